#include "platform/core/sdl_video.h"

#include "platform/core/font_config.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// Xlib's own handler ends the process on any protocol error. Requests about
// a window the server has already destroyed (a closed dialog, a window
// mid-teardown) are a normal race for an X client, as messages to a
// destroyed window are on Windows: they are reported and dropped.
int reportXError(Display* display, XErrorEvent* error)
{
    char text[160] = {};
    XGetErrorText(display, error->error_code, text, sizeof text - 1);
    std::fprintf(stderr, "X error ignored: %s (request %u, resource 0x%lx)\n", text, unsigned(error->request_code),
                 static_cast<unsigned long>(error->resourceid));
    return 0;
}

}  // namespace

bool ensureSdlVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SIGINT and SIGTERM become SDL_QUIT, which the layer turns into WM_CLOSE
    // for the program's windows, as Windows asks a program to end politely;
    // SDL_QUIT comes from nothing else (closing a window is WM_CLOSE already).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Every window's first paint matches a font. The configuration loads
    // while the GL driver does, which keeps one processor and leaves the
    // X server idle; SDL's start above needs them both.
    startFontConfigLoad();
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) XSetErrorHandler(reportXError);
    return true;
}

}  // namespace platform
