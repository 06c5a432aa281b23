#include "platform/core/sdl_video.h"

#include <SDL.h>

namespace platform {

bool ensureSdlVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace platform
