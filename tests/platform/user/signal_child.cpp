// A program of the layer for linux_signal_test.cpp: opens a window, says
// "ready" on its standard output and waits in GetMessage until WM_QUIT, which
// only closing the window would post. Exits 0 after WM_QUIT.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "signal child";
    if (!RegisterClassA(&windowClass)) return 2;
    HWND window = CreateWindowExA(0, "signal child", "signal child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                  150, nullptr, nullptr, instance, nullptr);
    if (!window) return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
