// SetTimer and KillTimer; see timers.h.
#include "platform/user/timers.h"

#include "platform/user/user_state.h"

#include <SDL.h>

#include <vector>

namespace platform::user {

namespace {

// Windows raises shorter intervals to this (USER_TIMER_MINIMUM).
constexpr UINT MinimumInterval = 10;
// Thread timers get ids from here on, away from the small ids windows use.
constexpr UINT_PTR FirstThreadTimerId = 0x7F00;

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT interval;
    Uint32 due;
    TIMERPROC procedure;
};

std::vector<Timer>& timers()
{
    static auto* list = new std::vector<Timer>;
    return *list;
}

UINT_PTR nextThreadId = FirstThreadTimerId;

void dropTimersOfGoneWindows()
{
    auto& list = timers();
    for (auto it = list.begin(); it != list.end();)
        it = (it->window && !findWindow(it->window)) ? list.erase(it) : it + 1;
}

bool isDue(const Timer& timer, Uint32 now)
{
    return static_cast<int32_t>(now - timer.due) >= 0;
}

}  // namespace

int nextTimerDeadline()
{
    dropTimersOfGoneWindows();
    const Uint32 now = SDL_GetTicks();
    int best = -1;
    for (const Timer& timer : timers()) {
        const int left = isDue(timer, now) ? 0 : static_cast<int>(timer.due - now);
        if (best < 0 || left < best) best = left;
    }
    return best;
}

bool takeTimerMessage(MSG* out, HWND window, UINT first, UINT last, bool remove)
{
    if (!(first == 0 && last == 0) && !(WM_TIMER >= first && WM_TIMER <= last)) return false;
    dropTimersOfGoneWindows();
    const Uint32 now = SDL_GetTicks();
    for (Timer& timer : timers()) {
        if (!isDue(timer, now)) continue;
        if (window && window != timer.window) continue;
        POINT cursor{0, 0};
        GetCursorPos(&cursor);
        *out = MSG{timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), now, cursor};
        if (remove) timer.due = now + timer.interval;
        return true;
    }
    return false;
}

bool isTimerProcedure(TIMERPROC procedure)
{
    if (!procedure) return false;
    for (const Timer& timer : timers())
        if (timer.procedure == procedure) return true;
    return false;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure)
{
    if (window && !findWindowOrFail(window)) return 0;
    const UINT interval = elapse < MinimumInterval ? MinimumInterval : elapse;
    auto& list = timers();
    for (Timer& timer : list) {
        // Setting an existing timer again restarts it with the new values.
        if (timer.window == window && timer.id == id && (window || id != 0)) {
            timer.interval = interval;
            timer.due = SDL_GetTicks() + interval;
            timer.procedure = procedure;
            return window ? (id ? id : 1) : id;
        }
    }
    const UINT_PTR timerId = window ? id : nextThreadId++;
    list.push_back(Timer{window, timerId, interval, SDL_GetTicks() + interval, procedure});
    return window ? (id ? id : 1) : timerId;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id)
{
    auto& list = timers();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->window == window && it->id == id) {
            list.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // extern "C"
