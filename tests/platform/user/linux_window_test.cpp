// What the Linux layer's windows are on the X server and on screen: the
// geometry X reports, the composited frame (client content below the menu
// strip), decorations following the style, the SDL minimum size, the icon,
// Direct3D's present path, expose and the idle wait. Linux only.
#include <gtest/gtest.h>

#include "platform/resources/resource_tables.h"
#include "tests/platform/user/linux_support.h"
#include "tests/support/png_writer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <epoxy/gl.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <time.h>

namespace {

using usertest::pixelAt;
using usertest::RecordingWindows;

constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr uint32_t kRed = 0x00FF0000u;

class UserLinuxWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        strip = GetSystemMetrics(SM_CYMENU);
        ASSERT_GT(strip, 0);
    }

    HWND createGameWindow()
    {
        menu = LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(141));
        EXPECT_NE(menu, nullptr);
        HWND window = windows.create(kWindowedStyle, 500, 375, menu);
        usertest::pumpReady();
        return window;
    }

    void fillClient(HWND window, uint32_t color)
    {
        platform::ClientPixels pixels{};
        ASSERT_TRUE(platform::lockClientPixels(window, &pixels));
        for (int i = 0; i < pixels.width * pixels.height; ++i) pixels.pixels[i] = color;
        platform::unlockClientPixels(window);
    }

    std::vector<uint32_t> frame(HWND window, int* width, int* height)
    {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(q31automation::readFrame(window, &pixels, width, height));
        return pixels;
    }

    usertest::SeamOn seam;
    RecordingWindows windows;
    HMENU menu = nullptr;
    int strip = 0;
};

TEST_F(UserLinuxWindow, A500By375ClientWithTheMenuIsThatManyXPixelsBelowTheStrip)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    Display* display = nullptr;
    const ::Window xWindow = usertest::xWindowOf(window, &display);
    ASSERT_NE(xWindow, 0u);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display, xWindow, &attributes));
    EXPECT_EQ(attributes.width, 500);
    EXPECT_EQ(attributes.height, 375 + strip);

    // The window rectangle is the X window; the client origin lies the strip below its top.
    int rootX = 0, rootY = 0;
    ::Window child;
    XTranslateCoordinates(display, xWindow, attributes.root, 0, 0, &rootX, &rootY, &child);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, rootX);
    EXPECT_EQ(outer.top, rootY);
    EXPECT_EQ(outer.right - outer.left, 500);
    EXPECT_EQ(outer.bottom - outer.top, 375 + strip);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, rootX);
    EXPECT_EQ(origin.y, rootY + strip);
    const RECT area = platform::clientAreaInDrawable(window);
    EXPECT_EQ(area.top, strip);
    EXPECT_EQ(area.bottom - area.top, 375);

    fillClient(window, kRed);
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = frame(window, &width, &height);
    ASSERT_EQ(width, 500);
    ASSERT_EQ(height, 375 + strip);
    for (int x : {0, 250, 499}) {
        EXPECT_EQ(pixelAt(pixels, width, x, strip), kRed) << x;
        EXPECT_EQ(pixelAt(pixels, width, x, height - 1), kRed) << x;
        EXPECT_NE(pixelAt(pixels, width, x, strip - 1), kRed) << x;
        EXPECT_NE(pixelAt(pixels, width, x, 0), kRed) << x;
    }
}

TEST_F(UserLinuxWindow, RemovingTheMenuGivesTheStripRowsToTheClientAndBack)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    fillClient(window, kRed);
    ASSERT_TRUE(SetMenu(window, nullptr));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 375 + strip);
    EXPECT_EQ(platform::clientAreaInDrawable(window).top, 0);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels = frame(window, &width, &height);
    // The kept content now starts at the top; the rows it lacks got the class's white.
    EXPECT_EQ(pixelAt(pixels, width, 250, 0), kRed);
    EXPECT_EQ(pixelAt(pixels, width, 250, height - 1), 0x00FFFFFFu);

    ASSERT_TRUE(SetMenu(window, menu));
    GetClientRect(window, &client);
    EXPECT_EQ(client.bottom, 375);
    pixels = frame(window, &width, &height);
    EXPECT_NE(pixelAt(pixels, width, 499, 0), kRed);
    EXPECT_EQ(pixelAt(pixels, width, 499, strip), kRed);
}

TEST_F(UserLinuxWindow, AnUnknownClassIsReportedAsNotFound)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(UserLinuxWindow, FullScreenStyleDropsTheDecorationsAndWindowedStyleRestoresThem)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = platform::sdlWindowOf(window);
    ASSERT_NE(sdl, nullptr);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE);
    const LONG windowed = GetWindowLongA(window, GWL_STYLE);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_SYSMENU | WS_VISIBLE));
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE);
    SetWindowLongA(window, GWL_STYLE, windowed);
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE);
}

// The X properties the window manager reads for the frame's buttons and a
// dialog's place above its owner.
struct FrameProperties {
    unsigned long motifFunctions = 0;  // 0: no Motif hints of functions
    ::Window transientFor = 0;
    bool dialogType = false;
};

FrameProperties framePropertiesOf(HWND window)
{
    FrameProperties found;
    Display* display = nullptr;
    const ::Window xWindow = usertest::xWindowOf(window, &display);
    if (!xWindow) return found;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    if (XGetWindowProperty(display, xWindow, motif, 0, 5, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success && data) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        if (count >= 2 && (values[0] & 1)) found.motifFunctions = values[1];
        XFree(data);
    }
    XGetTransientForHint(display, xWindow, &found.transientFor);
    data = nullptr;
    const Atom windowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    if (XGetWindowProperty(display, xWindow, windowType, 0, 8, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success && data) {
        const Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        found.dialogType = count >= 1 && reinterpret_cast<const Atom*>(data)[0] == dialog;
        XFree(data);
    }
    return found;
}

constexpr unsigned long kMotifResize = 2, kMotifMinimize = 8, kMotifMaximize = 16, kMotifClose = 32;

TEST_F(UserLinuxWindow, TheFrameOffersTheButtonsOfTheStyleAndAnOwnedBoxIsADialogAboveItsOwner)
{
    HWND main = createGameWindow();
    ASSERT_NE(main, nullptr);
    // Every function: SDL's hints, which restrict none, stay.
    FrameProperties frame = framePropertiesOf(main);
    EXPECT_EQ(frame.motifFunctions, 0u);
    // SDL marks its windows transient for the root window: owned by no window of ours.
    Display* display = nullptr;
    const ::Window mainX = usertest::xWindowOf(main, &display);
    EXPECT_TRUE(frame.transientFor == 0 || frame.transientFor == DefaultRootWindow(display)) << frame.transientFor;
    EXPECT_FALSE(frame.dialogType);

    // As a message box or dialog is made: owned, a caption and close box only.
    HWND box = CreateWindowExA(WS_EX_DLGMODALFRAME, RecordingWindows::className(), "box",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, 10, 10, 200, 100, main, nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    frame = framePropertiesOf(box);
    EXPECT_EQ(frame.motifFunctions & (kMotifResize | kMotifMinimize | kMotifMaximize | kMotifClose), kMotifClose);
    EXPECT_EQ(frame.transientFor, mainX);
    EXPECT_TRUE(frame.dialogType);
    DestroyWindow(box);

    // A style that drops a button after the window exists: SDL's frame
    // change comes first, then the hints, which it would otherwise overwrite.
    const LONG windowed = GetWindowLongA(main, GWL_STYLE);
    SetWindowLongA(main, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_SYSMENU | WS_VISIBLE));
    SetWindowLongA(main, GWL_STYLE, windowed & ~static_cast<LONG>(WS_MAXIMIZEBOX));
    EXPECT_EQ(framePropertiesOf(main).motifFunctions & (kMotifMinimize | kMotifMaximize), kMotifMinimize);
    SetWindowLongA(main, GWL_STYLE, windowed);
}

TEST_F(UserLinuxWindow, MinimumTrackingSizeBecomesSdlsMinimumAndLimitsSetWindowPos)
{
    windows.setHandler([](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{100, 100};
        return false;  // DefWindowProc as the framework does
    });
    HWND window = windows.create(kWindowedStyle, 300, 200);
    ASSERT_NE(window, nullptr);
    int minWidth = 0, minHeight = 0;
    SDL_GetWindowMinimumSize(platform::sdlWindowOf(window), &minWidth, &minHeight);
    EXPECT_EQ(minWidth, 100);
    EXPECT_EQ(minHeight, 100);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 100);
    EXPECT_EQ(rect.bottom - rect.top, 100);
    int width = 0, height = 0;
    SDL_GetWindowSize(platform::sdlWindowOf(window), &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 100);
}

TEST_F(UserLinuxWindow, TheClassIconIsTheXWindowsIcon)
{
    const platform::IconTemplate* icon = platform::findIconTemplate(101);
    ASSERT_NE(icon, nullptr);
    ASSERT_GT(icon->imageCount, 0u);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hIcon = LoadIconA(usertest::programInstance(), MAKEINTRESOURCE(101));
    windowClass.lpszClassName = "Q31 Icon Test";
    ASSERT_NE(windowClass.hIcon, nullptr);
    EXPECT_EQ(LoadIconA(usertest::programInstance(), MAKEINTRESOURCE(101)), windowClass.hIcon);  // shared
    EXPECT_EQ(LoadIconA(usertest::programInstance(), MAKEINTRESOURCE(999)), nullptr);
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND window = CreateWindowExA(0, "Q31 Icon Test", "icon", kWindowedStyle, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Display* display = nullptr;
    const ::Window xWindow = usertest::xWindowOf(window, &display);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
    ASSERT_EQ(XGetWindowProperty(display, xWindow, property, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &count,
                                 &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    const platform::IconImageTemplate& largest = icon->images[0];
    ASSERT_GE(count, 2u);
    EXPECT_EQ(values[0], static_cast<unsigned long>(largest.width));
    EXPECT_EQ(values[1], static_cast<unsigned long>(largest.height));
    const size_t middle = static_cast<size_t>(largest.height / 2 * largest.width + largest.width / 2);
    ASSERT_GT(count, 2 + middle);
    EXPECT_EQ(values[2 + middle] & 0xFFFFFFFFu, largest.pixels[middle]);
    XFree(data);
    DestroyWindow(window);
    EXPECT_EQ(platform::sdlWindowOf(window), nullptr);
    EXPECT_EQ(platform::glContextOf(window), nullptr);
    UnregisterClassA("Q31 Icon Test", nullptr);
}

TEST_F(UserLinuxWindow, PresentedTexturesFillTheClientAreaUprightAndLeaveTheCallersState)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(platform::makeGlContextCurrent(window));
    // GL order: row 0 is the bottom. Bottom row red, top row blue.
    const uint32_t texels[4] = {0xFF0000FFu, 0xFF0000FFu, 0xFFFF0000u, 0xFFFF0000u};  // RGBA bytes R,0,0,FF / 0,0,FF,FF
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_CULL_FACE);

    platform::presentTexture(window, texture, 2, 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = frame(window, &width, &height);
    EXPECT_EQ(pixelAt(pixels, width, 10, strip + 5), 0x000000FFu);  // top of the client: blue
    EXPECT_EQ(pixelAt(pixels, width, 10, height - 5), 0x00FF0000u);  // bottom: red
    // GDI then sees what Direct3D drew.
    platform::ClientPixels client{};
    ASSERT_TRUE(platform::lockClientPixels(window, &client));
    EXPECT_EQ(client.pixels[0], 0x000000FFu);
    EXPECT_EQ(client.pixels[static_cast<size_t>(client.width) * (client.height - 1)], 0x00FF0000u);
    platform::unlockClientPixels(window);
    platform::makeGlContextCurrent(window);
    glDeleteTextures(1, &texture);
}

TEST_F(UserLinuxWindow, AnExposedWindowIsPaintedAgain)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    windows.clear();
    SDL_Event event = {};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_EXPOSED;
    event.window.windowID = SDL_GetWindowID(platform::sdlWindowOf(window));
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    EXPECT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_PAINT) == 1; }));
}

TEST_F(UserLinuxWindow, MinimizeMaximizeAndRestoreFromTheWindowManagerArriveAsWmSize)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    const Uint32 windowId = SDL_GetWindowID(platform::sdlWindowOf(window));
    auto push = [windowId](Uint8 what) {
        SDL_Event event = {};
        event.window.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.windowID = windowId;
        return SDL_PushEvent(&event) == 1;
    };
    struct Step {
        Uint8 event;
        WPARAM type;
        LPARAM size;
        BOOL iconic;
        BOOL zoomed;
    };
    const Step steps[] = {
        {SDL_WINDOWEVENT_MINIMIZED, SIZE_MINIMIZED, 0, TRUE, FALSE},
        {SDL_WINDOWEVENT_RESTORED, SIZE_RESTORED, MAKELPARAM(500, 375), FALSE, FALSE},
        {SDL_WINDOWEVENT_MAXIMIZED, SIZE_MAXIMIZED, MAKELPARAM(500, 375), FALSE, TRUE},
        {SDL_WINDOWEVENT_RESTORED, SIZE_RESTORED, MAKELPARAM(500, 375), FALSE, FALSE},
    };
    for (const Step& step : steps) {
        windows.clear();
        ASSERT_TRUE(push(step.event));
        ASSERT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_SIZE) == 1; }));
        const auto size = windows.only(WM_SIZE)[0];
        EXPECT_EQ(size.wParam, step.type);
        EXPECT_EQ(size.lParam, step.size);
        EXPECT_EQ(IsIconic(window), step.iconic);
        EXPECT_EQ(IsZoomed(window), step.zoomed);
        EXPECT_EQ(windows.count(WM_ENTERSIZEMOVE), 0u);
    }
}

TEST_F(UserLinuxWindow, GetMessageWaitsWithoutSpendingProcessorTime)
{
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    const Uint32 windowId = SDL_GetWindowID(platform::sdlWindowOf(window));
    // Another thread ends the wait after half a second through SDL's queue
    // (thread-safe), with the close box.
    std::thread closer([windowId] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        SDL_Event event = {};
        event.window.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = windowId;
        SDL_PushEvent(&event);
    });
    timespec cpuStart, wallStart, cpuEnd, wallEnd;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
    clock_gettime(CLOCK_MONOTONIC, &wallStart);
    MSG msg;
    BOOL got = FALSE;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0 && msg.message != WM_SYSCOMMAND) DispatchMessageA(&msg);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    clock_gettime(CLOCK_MONOTONIC, &wallEnd);
    closer.join();
    ASSERT_GT(got, 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(SC_CLOSE));
    auto seconds = [](const timespec& a, const timespec& b) {
        return static_cast<double>(b.tv_sec - a.tv_sec) + static_cast<double>(b.tv_nsec - a.tv_nsec) * 1e-9;
    };
    const double wall = seconds(wallStart, wallEnd);
    const double cpu = seconds(cpuStart, cpuEnd);
    EXPECT_GE(wall, 0.4);
    EXPECT_LT(cpu, 0.2 * wall) << "cpu " << cpu << " s over " << wall << " s";
    DispatchMessageA(&msg);  // the close box closes the window
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(UserLinuxWindow, LoadingTextIsDrawnCentredBelowTheStrip)
{
    windows.setHandler([](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message != WM_PAINT) return false;
        // As the game paints its loading text: then DefWindowProc validates.
        HDC dc = GetDC(hwnd);
        char text[64];
        wsprintfA(text, "Loading... Please wait");
        RECT client;
        GetClientRect(hwnd, &client);
        DrawTextA(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        ReleaseDC(hwnd, dc);
        return false;
    });
    HWND window = createGameWindow();
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_PAINT, 0, 0);
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = frame(window, &width, &height);
    ASSERT_EQ(height, 375 + strip);
    EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/loading_text.png", pixels, width, height));

    // The dark pixels of the client area: the text, centred in it.
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = strip; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixelAt(pixels, width, x, y) & 0xFF) < 0x80) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no text in the client area";
    EXPECT_NEAR((left + right) / 2.0, 250.0, 3.0);
    EXPECT_NEAR((top + bottom) / 2.0 - strip, 187.5, 4.0);
    EXPECT_GT(right - left, 100);
    EXPECT_LT(bottom - top, 30);
    EXPECT_EQ(pixelAt(pixels, width, 5, strip + 5), 0x00FFFFFFu);  // the class's white background
}

}  // namespace
