// Helpers of the Linux-only USER tests: waiting for the layer to deliver what
// the seam pushed, the seam switched on for one test, the program's menu and
// the X window behind a window.
#pragma once

#include <windows.h>

#include "q31_automation.h"
#include "platform/user/window_host.h"
#include "tests/platform/user/recording_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <functional>

namespace usertest {

// Pumps (translating and dispatching) until `done` holds; false after
// `limitMs` without it. The limit only stops a broken test from hanging.
inline bool pumpUntil(const std::function<bool()>& done, int limitMs = 5000)
{
    const Uint32 start = SDL_GetTicks();
    for (;;) {
        pumpReady();
        if (done()) return true;
        if (SDL_GetTicks() - start > static_cast<Uint32>(limitMs)) return false;
        SDL_Delay(2);
    }
}

// The seam on for one test, off and cleared again after it.
struct SeamOn {
    SeamOn() { q31automation::setEnabled(true); }
    ~SeamOn()
    {
        q31automation::clearMessageBoxes();
        q31automation::setMessageBoxHandler(nullptr, nullptr);
        q31automation::setEnabled(false);
    }
};

// The layer serves the program's own resources for any instance.
inline HINSTANCE programInstance()
{
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
}

inline Window xWindowOf(HWND window, Display** display)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* sdl = platform::sdlWindowOf(window);
    if (!sdl || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    *display = info.info.x11.display;
    return info.info.x11.window;
}

inline uint32_t pixelAt(const std::vector<uint32_t>& pixels, int width, int x, int y)
{
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

}  // namespace usertest
