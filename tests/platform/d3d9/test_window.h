// Top-level windows for the Direct3D 9 tests: real Win32 windows where USER32
// exists (Windows, or our layer once it has windows), otherwise a stand-in for
// platform/user/window_host.h made by the test itself. Null on failure.
#pragma once

#include <windows.h>

HWND createTestWindow(int width, int height);
void destroyTestWindow(HWND window);
// Lets the window system catch up (maps, mode switches).
void pumpTestWindow(HWND window);
