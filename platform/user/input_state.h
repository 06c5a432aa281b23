// Keyboard and mouse state as Windows keeps it for a thread: the key state
// table (GetKeyState, TranslateAccelerator) follows the input messages the
// program takes from the queue; the cursor position and button state follow
// the mouse events the layer has seen. Also the mapping between SDL keys and
// virtual keys with their scan codes. Internal to platform/user; the
// functions never fail (unknown keys map to 0).
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform::user {

// Virtual key for an SDL keycode/scancode pair; 0 when Windows has none.
UINT virtualKeyFromSdl(int32_t keycode, int scancode);
// PC scan code (set 1) for an SDL scancode; `extended` for the E0 keys.
UINT scanCodeFromSdl(int scancode, bool* extended);
// The SDL scancode and keycode that produce a virtual key (for the test seam).
bool sdlKeyFromVirtualKey(UINT virtualKey, int* scancode, int32_t* keycode);

// Updates the key state table for an input message the program retrieved.
void noteRetrievedInput(const MSG& message);
bool keyDown(UINT virtualKey);
// True when another key or a mouse button went down after the last Alt press
// taken from the queue, whether or not its message reached a window (an
// accelerator such as Alt+Enter consumes it): releasing Alt then opens no menu.
bool inputSinceAltPress();

// The character TranslateMessage makes of a key (0 for none), from the
// shift, control and caps-lock state in the key state table.
char characterForKey(UINT virtualKey);

// The pointer in screen pixels as the last mouse event placed it.
void noteCursorPosition(POINT screen);
POINT cursorPosition();
// Buttons held, as MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, from the mouse events seen.
void noteMouseButton(int sdlButton, bool down);
WPARAM mouseKeyFlags();

// Capture and cursor hooks for window destruction.
void windowGoing(HWND window);

}  // namespace platform::user
