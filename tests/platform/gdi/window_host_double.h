// A test double of the window host's pixel contract (platform/user/window_host.h):
// fake windows whose client pixels GDI locks, draws into and shows, counting
// locks and unlocks. Linked into the GDI tests instead of the real window host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace window_host_double {

struct FakeWindow {
    int width;
    int height;
    std::vector<uint32_t> pixels;  // top-down, 0x00RRGGBB
    int locks = 0;
    int unlocks = 0;
};

HWND addWindow(int width, int height, uint32_t fill);
FakeWindow* window(HWND hwnd);  // null for a handle addWindow did not return
void reset();

}  // namespace window_host_double
