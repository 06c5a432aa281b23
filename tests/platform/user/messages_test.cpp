// Windows and their messages through the published API: queue order, sent
// messages, creation and destruction, client geometry with a menu, styles.
// Built for both targets: on Windows it runs against the system under Wine.
#include "tests/platform/user/recording_window.h"

#include <gtest/gtest.h>

namespace {

using usertest::Received;
using usertest::RecordingWindows;

constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;  // the framework's, without WS_VISIBLE
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_SYSMENU | WS_VISIBLE;

class UserMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = windows.create(kWindowedStyle);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        windows.clear();
    }

    // Takes every ready message with PeekMessage, in retrieval order.
    std::vector<MSG> drain(HWND filter = nullptr, UINT first = 0, UINT last = 0)
    {
        std::vector<MSG> taken;
        MSG msg;
        while (PeekMessageA(&msg, filter, first, last, PM_REMOVE)) {
            if (msg.message == WM_PAINT) {
                DispatchMessageA(&msg);
                continue;
            }
            taken.push_back(msg);
        }
        return taken;
    }

    RecordingWindows windows;
    HWND window = nullptr;
};

TEST_F(UserMessages, PostedMessagesComeBackFirstInFirstOut)
{
    for (UINT i = 0; i < 5; ++i) ASSERT_TRUE(PostMessageA(window, WM_USER + i, i, 100 + i));
    ASSERT_TRUE(PostMessageA(nullptr, WM_APP, 7, 8));  // a thread message between window messages
    ASSERT_TRUE(PostMessageA(window, WM_USER + 5, 5, 105));
    const std::vector<MSG> taken = drain();
    ASSERT_EQ(taken.size(), 7u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(taken[i].hwnd, window);
        EXPECT_EQ(taken[i].message, WM_USER + i);
        EXPECT_EQ(taken[i].wParam, i);
        EXPECT_EQ(taken[i].lParam, static_cast<LPARAM>(100 + i));
    }
    EXPECT_EQ(taken[5].hwnd, nullptr);
    EXPECT_EQ(taken[5].message, static_cast<UINT>(WM_APP));
    EXPECT_EQ(taken[6].message, WM_USER + 5u);
}

TEST_F(UserMessages, PeekWithoutRemoveLeavesTheMessageAndFiltersKeepTheRestInOrder)
{
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    PostMessageA(window, WM_USER + 3, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    const std::vector<MSG> rest = drain();
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].message, WM_USER + 1u);
    EXPECT_EQ(rest[1].message, WM_USER + 3u);
}

TEST_F(UserMessages, QuitArrivesAfterThePostedMessagesAndEndsGetMessage)
{
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostQuitMessage(42);
    PostMessageA(window, WM_USER + 2, 0, 0);
    std::vector<UINT> order;
    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        ASSERT_NE(got, -1);
        if (msg.message != WM_PAINT) order.push_back(msg.message);
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 42u);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], WM_USER + 1u);
    EXPECT_EQ(order[1], WM_USER + 2u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // taken once only
}

TEST_F(UserMessages, SendMessageRunsTheProcedureAtOnceAndNests)
{
    windows.setHandler([](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
        if (message == WM_USER) {
            // Posted inside the send: it waits in the queue until the caller pumps.
            PostMessageA(hwnd, WM_USER + 9, 0, 0);
            *result = SendMessageA(hwnd, WM_USER + 1, wParam * 2, 0) + 1;
            return true;
        }
        if (message == WM_USER + 1) {
            *result = SendMessageA(hwnd, WM_USER + 2, wParam + 3, 0) * 10;
            return true;
        }
        if (message == WM_USER + 2) {
            *result = static_cast<LRESULT>(wParam);
            return true;
        }
        return false;
    });
    EXPECT_EQ(SendMessageA(window, WM_USER, 5, 0), (5 * 2 + 3) * 10 + 1);
    const std::vector<Received>& seen = windows.received();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(seen[0].depth, 0);
    EXPECT_EQ(seen[1].message, WM_USER + 1u);
    EXPECT_EQ(seen[1].depth, 1);
    EXPECT_EQ(seen[2].message, WM_USER + 2u);
    EXPECT_EQ(seen[2].depth, 2);
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_USER + 9), 1u);
    EXPECT_EQ(windows.received().back().depth, 0);
}

TEST_F(UserMessages, MessagesForADestroyedWindowAreDropped)
{
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    windows.clear();
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_USER + 1), 0u);
    EXPECT_EQ(windows.count(WM_USER + 2), 0u);

    SetLastError(0);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_TRUE(windows.received().empty());
}

TEST_F(UserMessages, CreationShowingAndDestructionSendTheirMessagesInWindowsOrder)
{
    windows.clear();
    HWND other = windows.create(kWindowedStyle);
    ASSERT_NE(other, nullptr);
    const std::vector<int> created = windows.firstIndexes({WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE});
    EXPECT_EQ(created[0], 0);
    EXPECT_LT(created[0], created[1]);
    EXPECT_LT(created[1], created[2]);
    EXPECT_LT(created[2], created[3]);
    EXPECT_EQ(windows.count(WM_SIZE), 0u);  // a hidden window hears of its size when shown
    const auto create = windows.only(WM_CREATE);
    ASSERT_EQ(create.size(), 1u);
    const auto* info = reinterpret_cast<const CREATESTRUCTA*>(create[0].lParam);
    EXPECT_EQ(info, reinterpret_cast<const CREATESTRUCTA*>(windows.only(WM_NCCREATE)[0].lParam));
    // Windows completes the styles of an overlapped window.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(other, GWL_STYLE)), kWindowedStyle | WS_CLIPSIBLINGS);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(other, GWL_EXSTYLE)), static_cast<DWORD>(WS_EX_WINDOWEDGE));
    char title[32] = {};
    EXPECT_EQ(GetWindowTextA(other, title, sizeof title), 8);
    EXPECT_STREQ(title, "Q31 test");

    windows.clear();
    EXPECT_FALSE(ShowWindow(other, SW_SHOW));  // it was hidden
    const std::vector<int> shown = windows.firstIndexes(
        {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATE, WM_ERASEBKGND, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE});
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_GE(shown[i], 0) << i;
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_LT(shown[i - 1], shown[i]) << i;
    EXPECT_EQ(windows.count(WM_SIZE), 1u);
    EXPECT_EQ(windows.only(WM_SIZE)[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(windows.only(WM_SHOWWINDOW)[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(GetActiveWindow(), other);

    windows.clear();
    ASSERT_TRUE(DestroyWindow(other));
    const std::vector<int> destroyed = windows.firstIndexes({WM_DESTROY, WM_NCDESTROY});
    ASSERT_GE(destroyed[0], 0);
    EXPECT_LT(destroyed[0], destroyed[1]);
    EXPECT_EQ(windows.received().back().message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(windows.count(WM_DESTROY), 1u);
}

TEST_F(UserMessages, CloseReachesDestroyThroughDefWindowProcAndCreateCanRefuse)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(windows.count(WM_DESTROY), 1u);

    windows.setHandler([](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message != WM_CREATE) return false;
        *result = -1;
        return true;
    });
    windows.clear();
    EXPECT_EQ(windows.create(kWindowedStyle), nullptr);
    EXPECT_EQ(windows.count(WM_NCDESTROY), 1u);
}

TEST_F(UserMessages, ClassesAreCheckedByName)
{
    WNDCLASSA again = {};
    again.lpfnWndProc = DefWindowProcA;
    again.lpszClassName = RecordingWindows::className();
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    // The class cursor as the framework reads it for its full-screen cursor.
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR)), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

TEST_F(UserMessages, AdjustedRectangleGivesTheRequestedClientAreaWithAndWithoutTheMenu)
{
    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 40014, "&Reset");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND framed = windows.create(kWindowedStyle, 500, 375, menu);
    ASSERT_NE(framed, nullptr);
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(framed, &client));
    EXPECT_EQ(client.right - client.left, 500);
    EXPECT_EQ(client.bottom - client.top, 375);
    ASSERT_TRUE(GetWindowRect(framed, &outer));
    const LONG stripAndFrame = (outer.bottom - outer.top) - 375;
    EXPECT_GT(stripAndFrame, 0);

    // Without the menu the client area takes the strip's rows; the window keeps its size.
    windows.clear();
    ASSERT_TRUE(SetMenu(framed, nullptr));
    EXPECT_EQ(GetMenu(framed), nullptr);
    RECT bigger, sameOuter;
    GetClientRect(framed, &bigger);
    GetWindowRect(framed, &sameOuter);
    EXPECT_EQ(sameOuter.bottom - sameOuter.top, outer.bottom - outer.top);
    EXPECT_EQ(bigger.right, 500);
    EXPECT_GT(bigger.bottom, 375);
    const auto sizes = windows.only(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(HIWORD(sizes.back().lParam), bigger.bottom);

    ASSERT_TRUE(SetMenu(framed, menu));
    GetClientRect(framed, &client);
    EXPECT_EQ(client.bottom, 375);
    EXPECT_EQ(GetMenu(framed), menu);
    DestroyWindow(framed);
    EXPECT_FALSE(IsMenu(menu));  // a window takes its menu with it
}

TEST_F(UserMessages, StyleSwitchBetweenWindowedAndFullScreenRoundTrips)
{
    HWND shown = windows.create(kWindowedStyle | WS_VISIBLE);
    ASSERT_NE(shown, nullptr);
    usertest::pumpReady();
    const LONG windowed = GetWindowLongA(shown, GWL_STYLE);
    EXPECT_EQ(static_cast<DWORD>(windowed), kWindowedStyle | WS_VISIBLE | WS_CLIPSIBLINGS);
    windows.clear();
    EXPECT_EQ(SetWindowLongA(shown, GWL_STYLE, static_cast<LONG>(kFullscreenStyle)), windowed);
    // A top-level window keeps WS_CLIPSIBLINGS whatever the program sets.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(shown, GWL_STYLE)), kFullscreenStyle | WS_CLIPSIBLINGS);
    const auto changed = windows.only(WM_STYLECHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(static_cast<int>(changed[0].wParam), GWL_STYLE);
    EXPECT_EQ(SetWindowLongA(shown, GWL_STYLE, windowed), static_cast<LONG>(kFullscreenStyle | WS_CLIPSIBLINGS));
    EXPECT_EQ(GetWindowLongA(shown, GWL_STYLE), windowed);
    EXPECT_TRUE(IsWindowVisible(shown));
}

TEST_F(UserMessages, DisabledWindowsReportItAndHearOfIt)
{
    EXPECT_TRUE(IsWindowEnabled(window));
    EXPECT_FALSE(EnableWindow(window, FALSE));  // it was enabled
    EXPECT_FALSE(IsWindowEnabled(window));
    EXPECT_TRUE(EnableWindow(window, FALSE));   // already disabled
    EXPECT_TRUE(EnableWindow(window, TRUE));
    const auto enables = windows.only(WM_ENABLE);
    ASSERT_EQ(enables.size(), 2u);
    EXPECT_EQ(enables[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(enables[1].wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(UserMessages, PaintValidatesAndInvalidateBringsItBack)
{
    MSG msg;
    usertest::pumpReady();
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    // Paint messages are generated only for visible windows.
    ShowWindow(window, SW_SHOW);
    usertest::pumpReady();
    windows.clear();
    RECT part = {10, 10, 20, 20};
    ASSERT_TRUE(InvalidateRect(window, &part, FALSE));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.bottom, 20);
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_PAINT), 1u);  // DefWindowProc validated it
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE));
    InvalidateRect(window, nullptr, FALSE);
    ValidateRect(window, nullptr);
    windows.clear();
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_PAINT), 0u);
}

}  // namespace
