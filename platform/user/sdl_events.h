// SDL events become what Windows would deliver: input messages queued with
// Win32's parameters, and the window-manager side (size, position, state,
// exposure, focus, the close box) sent at once to the window procedure.
// SDL has no start or end of an interactive move/resize: a change the window
// manager made opens one (WM_ENTERSIZEMOVE) and it ends (WM_EXITSIZEMOVE)
// after kSizeMoveQuietMs without such changes or at the next input event.
// Internal to platform/user; called by the queue (queue.cpp). Events for
// windows that are not ours (or gone) are dropped.
#pragma once

#include <windows.h>

#include <cstdint>

union SDL_Event;

namespace platform::user {

constexpr uint32_t kSizeMoveQuietMs = 250;

// Handles one waiting SDL event; false when none was waiting.
bool processOneEvent();
void handleEvent(const SDL_Event& event);
// Milliseconds until the next size-move ends by itself; -1 when none is open.
int nextEventDeadline();
// Ends the size-moves whose quiet time is over.
void processDeadlines();
// Ends a window's size-move now (WM_EXITSIZEMOVE), if one is open.
void endSizeMove(HWND window);

}  // namespace platform::user
