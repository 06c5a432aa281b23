// Test windows through the published USER32 calls.
#include "tests/platform/d3d9/test_window.h"

namespace {

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND createTestWindow(int width, int height)
{
    static ATOM atom = 0;
    HINSTANCE instance = nullptr;  // the program's own module
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = testWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = "Q31D3d9Test";
        atom = RegisterClassA(&wc);
    }
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExA(0, "Q31D3d9Test", "d3d9 test", WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left,
                                  rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    pumpTestWindow(window);
    return window;
}

void destroyTestWindow(HWND window)
{
    if (window) DestroyWindow(window);
}

void pumpTestWindow(HWND)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
