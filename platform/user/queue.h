// The process's message queue: posted messages (first in, first out), input
// messages translated from SDL events, the quit flag, and WM_PAINT generated
// for windows with an update region, retrieved in that order as on Windows.
// Internal to platform/user: the message functions (queue.cpp), the event
// translation (sdl_events.cpp) and the modal loops use it. Nothing here
// fails; a message for a window that is gone is dropped.
#pragma once

#include <windows.h>

namespace platform::user {

// Appends a translated input message; a mouse move replaces a mouse move for
// the same window still waiting at the end, as Windows coalesces them.
void queueInputMessage(const MSG& message);
// Drops every queued message for a window being destroyed.
void purgeMessagesFor(HWND window);

// The next message matching the filter, after handling whatever SDL events
// are waiting; false when there is none. Never waits.
bool takeMessage(MSG* out, HWND window, UINT first, UINT last, bool remove);
// Waits, without spending processor time, for an SDL event or the next
// synthesised event (the end of a size-move), and handles it.
void waitForEvents();
// Dispatches every message that is ready now (modal loops use it).
void dispatchReadyMessages();

bool quitPending();

}  // namespace platform::user
