// Window and thread timers through the published API, on both targets: a due
// timer comes as WM_TIMER once nothing else is waiting, KillTimer stops it,
// and a timer procedure is called by DispatchMessage.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/platform/user/recording_window.h"

namespace {

using usertest::RecordingWindows;

// Waits in GetMessage (dispatching) until a WM_TIMER for `window` arrives;
// the messages before it are returned in order.
std::vector<UINT> messagesUntilTimer(HWND window, WPARAM* id)
{
    std::vector<UINT> seen;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        seen.push_back(message.message);
        DispatchMessageA(&message);
        if (message.message == WM_TIMER && message.hwnd == window) {
            *id = message.wParam;
            break;
        }
    }
    return seen;
}

TEST(Timers, AWindowTimerWakesAWaitingGetMessageAfterPostedMessages)
{
    RecordingWindows windows;
    HWND window = windows.create(WS_OVERLAPPEDWINDOW);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SetTimer(window, 7, 20, nullptr), UINT_PTR(7));
    Sleep(40);  // due now; the posted message still comes first
    PostMessageA(window, WM_APP, 0, 0);
    WPARAM id = 0;
    const std::vector<UINT> seen = messagesUntilTimer(window, &id);
    EXPECT_EQ(id, WPARAM(7));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_APP)), seen.end());
    EXPECT_LT(std::find(seen.begin(), seen.end(), UINT(WM_APP)) - seen.begin(),
              std::find(seen.begin(), seen.end(), UINT(WM_TIMER)) - seen.begin());
    EXPECT_EQ(windows.count(WM_TIMER), 1u);
    EXPECT_TRUE(KillTimer(window, 7));
}

TEST(Timers, KillTimerStopsADueTimer)
{
    RecordingWindows windows;
    HWND window = windows.create(WS_OVERLAPPEDWINDOW);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(SetTimer(window, 3, 10, nullptr), UINT_PTR(0));
    Sleep(30);
    EXPECT_TRUE(KillTimer(window, 3));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_FALSE(KillTimer(window, 3));
}

int procedureCalls = 0;
void CALLBACK countCall(HWND, UINT message, UINT_PTR, DWORD)
{
    if (message == WM_TIMER) ++procedureCalls;
}

TEST(Timers, AThreadTimerWithAProcedureIsCalledByDispatchMessage)
{
    procedureCalls = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, countCall);
    ASSERT_NE(id, UINT_PTR(0));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
        if (message.message == WM_TIMER && message.hwnd == nullptr) break;
    }
    EXPECT_EQ(message.wParam, WPARAM(id));
    EXPECT_EQ(procedureCalls, 1);
    EXPECT_TRUE(KillTimer(nullptr, id));
}

TEST(ModuleHandle, OnlyTheProgramItselfIsFound)
{
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

}  // namespace
