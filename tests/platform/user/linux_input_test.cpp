// Input through the Linux layer's real event path: SDL events pushed by the
// test seam become the mouse and key messages Windows sends, with their
// parameters; accelerators from the program's table; capture and cursor
// confinement; an interactive resize bracketed by one ENTERSIZEMOVE /
// EXITSIZEMOVE pair. Linux only.
#include <gtest/gtest.h>

#include "tests/platform/user/linux_support.h"

#include <X11/Xlib.h>

namespace {

using usertest::Received;
using usertest::RecordingWindows;

constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

LPARAM clientPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

class UserLinuxInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = windows.create(kWindowedStyle, 400, 300);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        windows.clear();
    }

    // The key messages received, without the mouse and paint traffic.
    std::vector<Received> keyMessages() const
    {
        std::vector<Received> keys;
        for (const Received& entry : windows.received())
            if (entry.message >= WM_KEYFIRST && entry.message <= WM_KEYLAST) keys.push_back(entry);
        return keys;
    }

    usertest::SeamOn seam;
    RecordingWindows windows;
    HWND window = nullptr;
};

TEST_F(UserLinuxInput, AClickArrivesWithClientCoordinatesButtonFlagsAndTheCursorWhereItWas)
{
    POINT cursorAtPress = {-1, -1};
    windows.setHandler([&cursorAtPress](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_LBUTTONDOWN) {
            // The game reads the cursor, not lParam.
            GetCursorPos(&cursorAtPress);
            ScreenToClient(hwnd, &cursorAtPress);
        }
        return false;
    });
    ASSERT_TRUE(q31automation::click(window, 10, 20));
    ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_LBUTTONUP) == 1; }));
    const auto downs = windows.only(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].lParam, clientPoint(10, 20));
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(windows.only(WM_LBUTTONUP)[0].wParam, 0u);
    EXPECT_EQ(cursorAtPress.x, 10);
    EXPECT_EQ(cursorAtPress.y, 20);

    // Hit test in screen pixels, then the cursor shape, then the message.
    POINT screen = {10, 20};
    ClientToScreen(window, &screen);
    const auto hits = windows.only(WM_NCHITTEST);
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(hits.back().lParam, clientPoint(screen.x, screen.y));
    const std::vector<int> order = windows.firstIndexes({WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN});
    EXPECT_LT(order[0], order[1]);
    EXPECT_LT(order[1], order[2]);
    bool pressCursor = false;
    for (const Received& entry : windows.only(WM_SETCURSOR))
        if (LOWORD(entry.lParam) == HTCLIENT && HIWORD(entry.lParam) == WM_LBUTTONDOWN) pressCursor = true;
    EXPECT_TRUE(pressCursor);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));  // the class cursor
}

TEST_F(UserLinuxInput, CaptureKeepsMouseMessagesOnTheWindowOutsideItUntilReleased)
{
    EXPECT_EQ(SetCapture(window), nullptr);
    EXPECT_EQ(GetCapture(), window);
    ASSERT_TRUE(q31automation::moveMouse(window, 5, 5));
    ASSERT_TRUE(q31automation::moveMouse(window, -30, 500));
    ASSERT_TRUE(usertest::pumpUntil([&] {
        const auto moves = windows.only(WM_MOUSEMOVE);
        return !moves.empty() && moves.back().lParam == clientPoint(-30, 500);
    }));
    EXPECT_EQ(windows.count(WM_NCHITTEST), 0u);  // captured: no hit testing
    windows.clear();
    ASSERT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    const auto changed = windows.only(WM_CAPTURECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].lParam, 0);
}

TEST_F(UserLinuxInput, KeyMessagesCarryWin32sParameters)
{
    bool altSeenDown = false;
    windows.setHandler([&altSeenDown](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
        if (message == WM_SYSKEYDOWN && wParam == 'X') altSeenDown = GetKeyState(VK_MENU) < 0;
        return false;
    });
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));
    ASSERT_TRUE(q31automation::pressKey(window, 'X', FALT));
    ASSERT_TRUE(q31automation::pressKey(window, VK_LEFT));
    ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_KEYUP) == 2; }));
    const std::vector<Received> keys = keyMessages();
    struct Expected {
        UINT message;
        WPARAM key;
        DWORD lParam;  // repeat 1, scan code, extended, Alt context, previous state, transition
    };
    const Expected expected[] = {
        {WM_KEYDOWN, VK_ESCAPE, 0x00010001u},     {WM_CHAR, 0x1B, 0x00010001u},
        {WM_KEYUP, VK_ESCAPE, 0xC0010001u},
        {WM_SYSKEYDOWN, VK_MENU, 0x20380001u},    {WM_SYSKEYDOWN, 'X', 0x202D0001u},
        {WM_SYSCHAR, 'x', 0x202D0001u},           {WM_SYSKEYUP, 'X', 0xE02D0001u},
        {WM_SYSKEYUP, VK_MENU, 0xC0380001u},      {WM_KEYDOWN, VK_LEFT, 0x014B0001u},
        {WM_KEYUP, VK_LEFT, 0xC14B0001u},
    };
    ASSERT_EQ(keys.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].message, expected[i].message) << i;
        EXPECT_EQ(keys[i].wParam, expected[i].key) << i;
        EXPECT_EQ(static_cast<DWORD>(keys[i].lParam), expected[i].lParam) << i;
    }
    EXPECT_TRUE(altSeenDown);
    EXPECT_FALSE(GetKeyState(VK_MENU) < 0);
}

TEST_F(UserLinuxInput, F10IsASystemKeyWithoutTheAltContext)
{
    ASSERT_TRUE(q31automation::pressKey(window, VK_F10));
    ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_SYSKEYUP) == 1; }));
    const auto downs = windows.only(WM_SYSKEYDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(static_cast<DWORD>(downs[0].lParam), 0x00440001u);
}

TEST_F(UserLinuxInput, TheProgramsAcceleratorsTurnKeyPressesIntoCommands)
{
    HACCEL table = LoadAcceleratorsA(usertest::programInstance(), MAKEINTRESOURCE(113));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(LoadAcceleratorsA(usertest::programInstance(), MAKEINTRESOURCE(114)), nullptr);
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));
    ASSERT_TRUE(q31automation::pressKey(window, VK_RETURN, FALT));
    ASSERT_TRUE(q31automation::pressKey(window, VK_F2));
    ASSERT_TRUE(q31automation::pressKey(window, 'X', FALT));
    ASSERT_TRUE(q31automation::pressKey(window, 'X'));  // plain X is no accelerator
    // Alt+Enter again, Alt let go before Enter, as hands often do.
    ASSERT_TRUE(q31automation::keyEvent(window, VK_MENU, true));
    ASSERT_TRUE(q31automation::keyEvent(window, VK_RETURN, true));
    ASSERT_TRUE(q31automation::keyEvent(window, VK_MENU, false));
    ASSERT_TRUE(q31automation::keyEvent(window, VK_RETURN, false));
    ASSERT_TRUE(q31automation::pressKey(window, 'Y'));
    // The framework's loop: accelerators first, then translation and dispatch.
    for (int pass = 0; pass < 1000 && windows.count(WM_CHAR) < 2; ++pass) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (TranslateAcceleratorA(window, table, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        SDL_Delay(2);
    }
    const auto commands = windows.only(WM_COMMAND);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(40006, 1));
    EXPECT_EQ(commands[1].wParam, MAKEWPARAM(40003, 1));
    EXPECT_EQ(commands[2].wParam, MAKEWPARAM(40002, 1));
    EXPECT_EQ(commands[3].wParam, MAKEWPARAM(40006, 1));
    EXPECT_EQ(commands[4].wParam, MAKEWPARAM(40003, 1));
    EXPECT_EQ(windows.only(WM_CHAR)[0].wParam, static_cast<WPARAM>('x'));
    EXPECT_EQ(windows.count(WM_SYSCHAR), 0u);  // Alt+Enter and Alt+X were taken whole
    // Alt was not pressed alone: its release opens no menu bar.
    EXPECT_EQ(windows.count(WM_SYSCOMMAND), 0u);
    EXPECT_TRUE(DestroyAcceleratorTable(table));
}

TEST_F(UserLinuxInput, AnInteractiveResizeGivesOneSizeMovePairAndEndsAtTheFinalSize)
{
    RECT clientAtExit = {};
    windows.setHandler([&clientAtExit](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_EXITSIZEMOVE) GetClientRect(hwnd, &clientAtExit);  // what checkClientResize reads
        return false;
    });
    // A drag of the frame: a burst of sizes from the window manager.
    for (int step = 1; step <= 5; ++step) ASSERT_TRUE(q31automation::resizeFrame(window, 400 + 20 * step, 300 + 10 * step));
    ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_EXITSIZEMOVE) == 1; }));
    EXPECT_EQ(windows.count(WM_ENTERSIZEMOVE), 1u);
    const std::vector<int> order = windows.firstIndexes({WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE});
    EXPECT_LT(order[0], order[1]);
    EXPECT_LT(order[1], order[2]);
    const auto sizes = windows.only(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(sizes.back().lParam, MAKELPARAM(500, 350));
    EXPECT_EQ(clientAtExit.right, 500);
    EXPECT_EQ(clientAtExit.bottom, 350);
    // Nothing follows the end: the quiet time passes with no second pair.
    SDL_Delay(400);
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_ENTERSIZEMOVE), 1u);
    EXPECT_EQ(windows.count(WM_EXITSIZEMOVE), 1u);

    // The program's own SetWindowPos is no interactive resize.
    windows.clear();
    ASSERT_TRUE(SetWindowPos(window, HWND_NOTOPMOST, 10, 10, 320, 240, SWP_SHOWWINDOW));
    SDL_Delay(400);
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_ENTERSIZEMOVE), 0u);
    const auto programmed = windows.only(WM_SIZE);
    ASSERT_EQ(programmed.size(), 1u);
    EXPECT_EQ(programmed[0].lParam, MAKELPARAM(320, 240));
}

TEST_F(UserLinuxInput, AnInputEventEndsTheSizeMoveAtOnce)
{
    ASSERT_TRUE(q31automation::resizeFrame(window, 450, 320));
    ASSERT_TRUE(q31automation::moveMouse(window, 10, 10));
    ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_MOUSEMOVE) == 1; }, 200));
    EXPECT_EQ(windows.count(WM_EXITSIZEMOVE), 1u);
    const std::vector<int> order = windows.firstIndexes({WM_EXITSIZEMOVE, WM_MOUSEMOVE});
    EXPECT_LT(order[0], order[1]);
}

TEST_F(UserLinuxInput, ClipCursorConfinesThePointerToTheWindowThroughSdl)
{
    SDL_Window* sdl = platform::sdlWindowOf(window);
    RECT rect;
    GetWindowRect(window, &rect);
    ASSERT_TRUE(ClipCursor(&rect));
    const SDL_Rect* area = SDL_GetWindowMouseRect(sdl);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->x, 0);
    EXPECT_EQ(area->y, 0);
    EXPECT_EQ(area->w, rect.right - rect.left);
    EXPECT_EQ(area->h, rect.bottom - rect.top);
    RECT clip;
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_TRUE(EqualRect(&clip, &rect));
    ASSERT_TRUE(ClipCursor(nullptr));
    EXPECT_EQ(SDL_GetWindowMouseRect(sdl), nullptr);
}

TEST(UserLinuxSeam, IsOffUnlessATestSwitchesItOn)
{
    EXPECT_FALSE(q31automation::enabled());
    RecordingWindows windows;
    HWND window = windows.create(kWindowedStyle);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(q31automation::click(window, 1, 1));
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_FALSE(q31automation::readFrame(window, &pixels, &width, &height));
}

// A request about a window the X server no longer has (a dialog just closed)
// is answered with an error; Xlib's own handler would end the program there.
TEST_F(UserLinuxInput, AnXErrorAboutAGoneWindowDoesNotEndTheProgram)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(platform::sdlWindowOf(window), &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    Display* display = info.info.x11.display;
    const Window gone = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
    XDestroyWindow(display, gone);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = gone;
    event.xclient.format = 32;
    XSendEvent(display, gone, False, NoEventMask, &event);
    XSync(display, False);
    // Still here, and the window still works.
    ASSERT_TRUE(q31automation::click(window, 10, 20));
    EXPECT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_LBUTTONUP) == 1; }));
}

}  // namespace
