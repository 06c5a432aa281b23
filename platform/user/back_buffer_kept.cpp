// See back_buffer_kept.h.
#include "platform/user/back_buffer_kept.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <epoxy/glx.h>

#include <cstring>

namespace platform::user {

BackBufferKept::BackBufferKept(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    ages_ = extensions && std::strstr(extensions, "GLX_EXT_buffer_age") != nullptr;
    display_ = display;
    drawable_ = info.info.x11.window;
    kept_ = true;
}

void BackBufferKept::afterSwap()
{
    if (!kept_ || !ages_) return;
    unsigned int age = 0;
    glXQueryDrawable(static_cast<Display*>(display_), drawable_, GLX_BACK_BUFFER_AGE_EXT, &age);
    // 1: the back buffer holds the frame just swapped.
    kept_ = age == 1;
}

}  // namespace platform::user
