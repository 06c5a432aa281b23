// The message queue and the published message functions; see queue.h.
#include "platform/user/queue.h"

#include "platform/user/input_state.h"
#include "platform/user/menu_loop.h"
#include "platform/user/sdl_events.h"
#include "platform/user/timers.h"
#include "platform/user/user_state.h"

#include <SDL.h>

#include <deque>

namespace platform::user {

namespace {

struct QueueState {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quit = false;
    int quitCode = 0;
    DWORD lastTime = 0;
};

QueueState& queue()
{
    static auto* state = new QueueState;
    return *state;
}

// A null filter takes every message; (HWND)-1 only those posted with no window.
bool windowMatches(HWND filter, HWND window)
{
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return window == nullptr;
    return filter == window;
}

bool rangeMatches(UINT first, UINT last, UINT message)
{
    if (first == 0 && last == 0) return true;
    return message >= first && message <= last;
}

bool takeFrom(std::deque<MSG>& messages, MSG* out, HWND window, UINT first, UINT last, bool remove)
{
    for (auto it = messages.begin(); it != messages.end(); ++it) {
        if (!windowMatches(window, it->hwnd) || !rangeMatches(first, last, it->message)) continue;
        *out = *it;
        if (remove) messages.erase(it);
        return true;
    }
    return false;
}

bool takePaint(MSG* out, HWND filter, UINT first, UINT last)
{
    if (!rangeMatches(first, last, WM_PAINT)) return false;
    for (HWND handle : liveWindows()) {
        Window* window = findWindow(handle);
        if (!window || !window->paintPending || !(window->style & WS_VISIBLE)) continue;
        if (!windowMatches(filter, handle)) continue;
        *out = MSG{handle, WM_PAINT, 0, 0, SDL_GetTicks(), cursorPosition()};
        return true;
    }
    return false;
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return MSG{window, message, wParam, lParam, SDL_GetTicks(), cursorPosition()};
}

}  // namespace

void queueInputMessage(const MSG& message)
{
    auto& input = queue().input;
    if (message.message == WM_MOUSEMOVE && !input.empty() && input.back().message == WM_MOUSEMOVE &&
        input.back().hwnd == message.hwnd) {
        input.back() = message;
        return;
    }
    input.push_back(message);
}

void purgeMessagesFor(HWND window)
{
    for (auto* messages : {&queue().posted, &queue().input})
        for (auto it = messages->begin(); it != messages->end();)
            it = it->hwnd == window ? messages->erase(it) : it + 1;
}

bool takeMessage(MSG* out, HWND window, UINT first, UINT last, bool remove)
{
    processDeadlines();
    QueueState& state = queue();
    for (;;) {
        if (takeFrom(state.posted, out, window, first, last, remove)) break;
        if (takeFrom(state.input, out, window, first, last, remove)) {
            if (remove) noteRetrievedInput(*out);
            break;
        }
        // A menu that has just ended leaves the next events for the program.
        const bool menuEnded = menuTracking() && menuTracking()->done;
        if (menuEnded || !processOneEvent()) {
            if (state.quit && rangeMatches(first, last, WM_QUIT)) {
                *out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0);
                if (remove) state.quit = false;
                break;
            }
            if (takePaint(out, window, first, last)) break;
            if (takeTimerMessage(out, window, first, last, remove)) break;
            return false;
        }
    }
    state.lastTime = out->time;
    return true;
}

void waitForEvents()
{
    int timeout = nextEventDeadline();
    const int timer = nextTimerDeadline();
    if (timer >= 0 && (timeout < 0 || timer < timeout)) timeout = timer;
    SDL_Event event;
    const int got = timeout < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeout);
    if (got) handleEvent(event);
    processDeadlines();
}

void dispatchReadyMessages()
{
    MSG message;
    // WM_QUIT stays for the program's own loop.
    while (takeMessage(&message, nullptr, 0, WM_QUIT - 1, true) ||
           takeMessage(&message, nullptr, WM_QUIT + 1, 0xFFFFFFFFu, true))
        DispatchMessageA(&message);
}

bool quitPending()
{
    return queue().quit;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return takeMessage(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (window && window != reinterpret_cast<HWND>(-1) && !findWindowOrFail(window)) return -1;
    while (!takeMessage(msg, window, filterMin, filterMax, true)) waitForEvents();
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI WaitMessage(void)
{
    MSG message;
    while (!takeMessage(&message, nullptr, 0, 0, false)) waitForEvents();
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (msg && msg->message == WM_TIMER && msg->lParam) {
        // Only a live timer's own procedure is called, as Windows checks too.
        const TIMERPROC procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (isTimerProcedure(procedure)) procedure(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg || !msg->hwnd) return 0;
    Window* window = findWindowOrFail(msg->hwnd);
    if (!window) return 0;
    return window->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window && !findWindowOrFail(window)) return FALSE;
    queue().posted.push_back(makeMessage(window, message, wParam, lParam));
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* record = findWindowOrFail(window);
    if (!record) return 0;
    return record->procedure(window, message, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

void WINAPI PostQuitMessage(int exitCode)
{
    queue().quit = true;
    queue().quitCode = exitCode;
}

DWORD WINAPI GetMessageTime(void)
{
    return queue().lastTime;
}

}  // extern "C"
