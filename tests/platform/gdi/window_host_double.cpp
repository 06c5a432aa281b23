// Test double of lockClientPixels/unlockClientPixels; see window_host_double.h.
#include "tests/platform/gdi/window_host_double.h"

#include "platform/user/window_host.h"

#include <map>

namespace window_host_double {

static std::map<HWND, FakeWindow> windows;

HWND addWindow(int width, int height, uint32_t fill) {
    HWND hwnd = reinterpret_cast<HWND>(uintptr_t(0x7000 + windows.size()));
    windows[hwnd] = FakeWindow{width, height, std::vector<uint32_t>(size_t(width) * height, fill)};
    return hwnd;
}

FakeWindow* window(HWND hwnd) {
    auto it = windows.find(hwnd);
    return it == windows.end() ? nullptr : &it->second;
}

void reset() { windows.clear(); }

}  // namespace window_host_double

bool platform::lockClientPixels(HWND hwnd, ClientPixels* out) {
    window_host_double::FakeWindow* w = window_host_double::window(hwnd);
    if (!w || !out)
        return false;
    ++w->locks;
    *out = ClientPixels{w->pixels.data(), w->width, w->height};
    return true;
}

void platform::unlockClientPixels(HWND hwnd) {
    if (window_host_double::FakeWindow* w = window_host_double::window(hwnd))
        ++w->unlocks;
}
