#include "platform/core/sdl_video.h"

#include <SDL.h>

namespace platform {

bool ensureSdlVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // SDL would turn SIGINT and SIGTERM into an SDL_QUIT event, which a Win32
    // program has no message for; they end the process as for any program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace platform
