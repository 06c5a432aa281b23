// SDL video start-up shared by every part of the layer that needs SDL's video
// subsystem (windows, GL probing, display modes). Call before any SDL video
// function; SDL is started once per process and never stopped here. SIGINT
// and SIGTERM reach the program as SDL_QUIT (sdl_events turns it into
// WM_CLOSE); X protocol errors are reported on stderr instead of ending it.
#pragma once

namespace platform {

// True once SDL's video subsystem runs; false (with SDL_GetError set) when no
// video driver can start, e.g. no X display.
bool ensureSdlVideo();

}  // namespace platform
