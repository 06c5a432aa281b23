#include "tests/platform/user/recording_window.h"

#include <gtest/gtest.h>

namespace usertest {

namespace {

RecordingWindows* active = nullptr;

}  // namespace

RecordingWindows::RecordingWindows()
{
    active = this;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className();
    EXPECT_NE(RegisterClassA(&windowClass), 0);
}

RecordingWindows::~RecordingWindows()
{
    for (HWND window : created_)
        if (IsWindow(window)) DestroyWindow(window);
    pumpReady();
    UnregisterClassA(className(), nullptr);
    active = nullptr;
    // Leave no key held for the next test.
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

HWND RecordingWindows::create(DWORD style, int clientWidth, int clientHeight, HMENU menu)
{
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, style, menu != nullptr);
    HWND window = CreateWindowExA(0, className(), "Q31 test", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, menu, nullptr, nullptr);
    if (window) created_.push_back(window);
    return window;
}

std::vector<Received> RecordingWindows::only(UINT message) const
{
    std::vector<Received> matching;
    for (const Received& entry : received_)
        if (entry.message == message) matching.push_back(entry);
    return matching;
}

std::vector<int> RecordingWindows::firstIndexes(const std::vector<UINT>& messages) const
{
    std::vector<int> indexes;
    for (UINT message : messages) {
        int found = -1;
        for (size_t i = 0; i < received_.size(); ++i)
            if (received_[i].message == message) {
                found = static_cast<int>(i);
                break;
            }
        indexes.push_back(found);
    }
    return indexes;
}

size_t RecordingWindows::count(UINT message) const
{
    return only(message).size();
}

LRESULT CALLBACK RecordingWindows::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordingWindows* self = active;
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    self->received_.push_back(Received{window, message, wParam, lParam, self->depth_});
    ++self->depth_;
    LRESULT result = 0;
    const bool handled = self->handler_ && self->handler_(window, message, wParam, lParam, &result);
    if (!handled) result = DefWindowProcA(window, message, wParam, lParam);
    --self->depth_;
    return result;
}

int pumpReady()
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++count;
    }
    return count;
}

}  // namespace usertest
