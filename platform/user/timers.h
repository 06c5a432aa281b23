// Window and thread timers (SetTimer/KillTimer). A due timer is reported as
// WM_TIMER by the queue when nothing else is waiting (after WM_PAINT), as on
// Windows, and the queue's wait wakes for the next due time, so a waiting
// program spends no processor time in between. Internal to platform/user;
// the queue (queue.cpp) is the only caller. Timers of destroyed windows are
// dropped as they are met.
#pragma once

#include <windows.h>

namespace platform::user {

// Milliseconds until the next timer is due (0 when one is due); -1 for none.
int nextTimerDeadline();
// A due timer matching the filter as WM_TIMER; with `remove` it is then
// counted again from now. False when none is due.
bool takeTimerMessage(MSG* out, HWND window, UINT first, UINT last, bool remove);
// True when `procedure` belongs to a live timer: DispatchMessage calls only those.
bool isTimerProcedure(TIMERPROC procedure);

}  // namespace platform::user
