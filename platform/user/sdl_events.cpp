// SDL events into Win32 messages; see sdl_events.h.
#include "platform/user/sdl_events.h"

#include "platform/user/compositor.h"
#include "platform/user/input_state.h"
#include "platform/user/menu_loop.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

namespace platform::user {

namespace {

LPARAM pointParam(LONG x, LONG y)
{
    // Coordinates travel as signed 16-bit halves (negative outside the client area).
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

void endAllSizeMoves()
{
    for (HWND handle : allWindows())
        if (Window* window = findWindow(handle); window && window->inSizeMove) endSizeMove(handle);
}

// The window manager moved or resized the window (or SDL reports our own
// change coming back, which matches the record and is ignored).
void geometryChanged(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window || !window->sdl || (window->style & WS_MINIMIZE)) return;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    const RECT rect{x, y, x + width, y + height};
    const RECT& old = window->rect;
    if (rect.left == old.left && rect.top == old.top && rect.right == old.right && rect.bottom == old.bottom) return;
    const Uint32 flags = SDL_GetWindowFlags(window->sdl);
    const bool maximized = (flags & SDL_WINDOW_MAXIMIZED) != 0;
    // Entering or leaving full screen (Direct3D's mode switch) is the
    // program's own change, not the user's drag.
    const bool fullscreen = (flags & SDL_WINDOW_FULLSCREEN) != 0;
    const bool fullscreenChange = fullscreen || fullscreen != window->fullscreenSeen;
    window->fullscreenSeen = fullscreen;
    if (fullscreenChange || maximized || (window->style & WS_MAXIMIZE) || !(window->style & WS_VISIBLE)) {
        moveWindow(handle, rect, SWP_NOZORDER | SWP_NOACTIVATE, true);
        return;
    }
    if (!window->inSizeMove) {
        window->inSizeMove = true;
        SendMessageA(handle, WM_ENTERSIZEMOVE, 0, 0);
        window = findWindow(handle);
        if (!window) return;
    }
    window->sizeMoveDeadline = SDL_GetTicks() + kSizeMoveQuietMs;
    moveWindow(handle, rect, SWP_NOZORDER | SWP_NOACTIVATE, true);
}

void stateChanged(HWND handle, DWORD state)
{
    Window* window = findWindow(handle);
    if (!window || (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) == state) return;
    endSizeMove(handle);
    setShowState(handle, state);
}

void windowEvent(const SDL_WindowEvent& event)
{
    Window* window = findWindowBySdlId(event.windowID);
    if (!window) return;
    const HWND handle = window->handle;
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        // The retained content is shown at once; the program repaints too.
        if (window->compositor) window->compositor->composite(true);
        InvalidateRect(handle, nullptr, FALSE);
        break;
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: geometryChanged(handle); break;
    case SDL_WINDOWEVENT_MINIMIZED: stateChanged(handle, WS_MINIMIZE); break;
    case SDL_WINDOWEVENT_MAXIMIZED: stateChanged(handle, WS_MAXIMIZE); break;
    case SDL_WINDOWEVENT_RESTORED: stateChanged(handle, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (activeWindow() != handle) activateWindow(handle);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        if (menuTracking()) cancelMenuLoop();
        if (activeWindow() != handle) break;
        // Another window of ours taking the focus is the next event when it happens.
        SDL_Event next;
        HWND other = nullptr;
        if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 1 &&
            next.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            if (Window* gaining = findWindowBySdlId(next.window.windowID)) other = gaining->handle;
        deactivateWindow(handle, other);
        break;
    }
    case SDL_WINDOWEVENT_CLOSE: {
        endSizeMove(handle);
        const POINT point = cursorPosition();
        queueInputMessage(MSG{handle, WM_SYSCOMMAND, SC_CLOSE, pointParam(point.x, point.y), event.timestamp, point});
        break;
    }
    default: break;
    }
}

UINT buttonMessage(Uint8 button, bool down, bool doubleClick)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return down ? (doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
    }
}

// The deepest visible, enabled child under the pointer that does not let
// the mouse through (HTTRANSPARENT), as Windows finds it; `window` itself
// when there is none.
HWND childAtPoint(HWND window, POINT screen)
{
    for (int depth = 0; depth < 16; ++depth) {
        HWND found = nullptr;
        for (HWND handle : allWindows()) {
            Window* child = findWindow(handle);
            Window* parent = findWindow(window);
            if (!child || !parent || child->topLevel() || child->parent != window) continue;
            if (!(child->style & WS_VISIBLE) || (child->style & WS_DISABLED)) continue;
            RECT area = child->rect;
            const POINT origin = clientOrigin(*parent);
            OffsetRect(&area, origin.x, origin.y);
            if (!PtInRect(&area, screen)) continue;
            if (SendMessageA(handle, WM_NCHITTEST, 0, pointParam(screen.x, screen.y)) == HTTRANSPARENT) continue;
            found = handle;
            break;
        }
        if (!found || !findWindow(found)) return window;
        window = found;
    }
    return window;
}

// A mouse event: hit test and cursor shape as Windows does them, then the
// client or non-client message (capture makes everything client).
void mouseEvent(uint32_t windowId, int x, int y, UINT message, uint32_t time)
{
    Window* window = findWindowBySdlId(windowId);
    if (!window) return;
    const POINT screen{window->rect.left + x, window->rect.top + y};
    noteCursorPosition(screen);
    if (menuTracking()) {
        menuMouseInput(message, screen);
        return;
    }
    HWND target = GetCapture();
    const bool captured = target != nullptr;
    if (!captured) target = childAtPoint(window->handle, screen);
    Window* targetWindow = findWindow(target);
    if (!targetWindow || (targetWindow->style & WS_DISABLED)) return;
    const POINT origin = clientOrigin(*targetWindow);
    const LPARAM client = pointParam(screen.x - origin.x, screen.y - origin.y);
    if (captured) {
        queueInputMessage(MSG{target, message, mouseKeyFlags(), client, time, screen});
        return;
    }
    const LRESULT hit = SendMessageA(target, WM_NCHITTEST, 0, pointParam(screen.x, screen.y));
    if (!findWindow(target)) return;
    if (message != WM_MOUSEWHEEL)
        SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
    if (!findWindow(target)) return;
    if (hit == HTCLIENT || message == WM_MOUSEWHEEL) {
        queueInputMessage(MSG{target, message, mouseKeyFlags(), client, time, screen});
        return;
    }
    UINT nonClient = 0;
    switch (message) {
    case WM_MOUSEMOVE: nonClient = WM_NCMOUSEMOVE; break;
    case WM_LBUTTONDOWN: nonClient = WM_NCLBUTTONDOWN; break;
    case WM_LBUTTONDBLCLK: nonClient = WM_NCLBUTTONDBLCLK; break;
    case WM_LBUTTONUP: nonClient = WM_NCLBUTTONUP; break;
    default: return;  // right and middle buttons on the strip do nothing
    }
    queueInputMessage(MSG{target, nonClient, static_cast<WPARAM>(hit), pointParam(screen.x, screen.y), time, screen});
}

void keyEvent(const SDL_KeyboardEvent& event)
{
    Window* window = findWindowBySdlId(event.windowID);
    HWND target = window ? window->handle : activeWindow();
    const UINT key = virtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    if (!target || key == 0) return;
    const bool down = event.type == SDL_KEYDOWN;
    bool extended = false;
    const UINT scan = scanCodeFromSdl(event.keysym.scancode, &extended);
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool control = (event.keysym.mod & KMOD_CTRL) != 0;
    const LPARAM lParam = static_cast<LPARAM>(
        1u | (scan << 16) | (extended ? 1u << 24 : 0u) | (alt ? 1u << 29 : 0u) |
        ((!down || event.repeat) ? 1u << 30 : 0u) | (down ? 0u : 1u << 31));
    const bool system = key == VK_F10 || (key == VK_MENU && !control) || (alt && !control);
    const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    const POINT point = cursorPosition();
    const MSG msg{target, message, key, lParam, event.timestamp, point};
    if (menuTracking()) {
        // The menu has the keyboard; the key state still follows.
        noteRetrievedInput(msg);
        if (down) menuKeyInput(key);
        return;
    }
    Window* targetWindow = findWindow(target);
    if (!targetWindow || (targetWindow->style & WS_DISABLED)) return;
    queueInputMessage(msg);
}

}  // namespace

bool processOneEvent()
{
    SDL_Event event;
    if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_PollEvent(&event)) return false;
    handleEvent(event);
    return true;
}

void handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: windowEvent(event.window); break;
    case SDL_MOUSEMOTION:
        endAllSizeMoves();
        mouseEvent(event.motion.windowID, event.motion.x, event.motion.y, WM_MOUSEMOVE, event.motion.timestamp);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        endAllSizeMoves();
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        noteMouseButton(event.button.button, down);
        Window* window = findWindowBySdlId(event.button.windowID);
        const bool doubleClicks = window && window->windowClass && (window->windowClass->info.style & CS_DBLCLKS);
        const UINT message = buttonMessage(event.button.button, down, doubleClicks && event.button.clicks == 2);
        if (message) mouseEvent(event.button.windowID, event.button.x, event.button.y, message, event.button.timestamp);
        break;
    }
    case SDL_MOUSEWHEEL: {
        endAllSizeMoves();
        Window* window = findWindowBySdlId(event.wheel.windowID);
        if (!window || menuTracking()) break;
        const POINT point = cursorPosition();
        const SHORT delta = static_cast<SHORT>(event.wheel.y * 120);
        const HWND target = GetFocus() ? GetFocus() : window->handle;
        queueInputMessage(MSG{target, WM_MOUSEWHEEL,
                              MAKEWPARAM(static_cast<WORD>(mouseKeyFlags()), static_cast<WORD>(delta)),
                              pointParam(point.x, point.y), event.wheel.timestamp, point});
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        endAllSizeMoves();
        keyEvent(event.key);
        break;
    case SDL_QUIT:
        // SIGTERM or SIGINT: what Windows does for a task ended politely or a
        // session ending, WM_CLOSE to each of the program's main windows.
        for (HWND handle : allWindows()) {
            const Window* window = findWindow(handle);
            if (window && window->topLevel() && !window->messageOnly && !window->parent &&
                IsWindowVisible(handle))
                PostMessageA(handle, WM_CLOSE, 0, 0);
        }
        break;
    default: break;
    }
}

int nextEventDeadline()
{
    int best = -1;
    const uint32_t now = SDL_GetTicks();
    for (HWND handle : liveWindows()) {
        Window* window = findWindow(handle);
        if (!window || !window->inSizeMove) continue;
        const int left = static_cast<int32_t>(window->sizeMoveDeadline - now) > 0
                             ? static_cast<int>(window->sizeMoveDeadline - now)
                             : 0;
        if (best < 0 || left < best) best = left;
    }
    return best;
}

void processDeadlines()
{
    // Ending a size-move sends messages, which may destroy windows: the
    // copied list is walked then, and only when one is due.
    if (nextEventDeadline() != 0) return;
    const uint32_t now = SDL_GetTicks();
    for (HWND handle : allWindows())
        if (Window* window = findWindow(handle);
            window && window->inSizeMove && static_cast<int32_t>(now - window->sizeMoveDeadline) >= 0)
            endSizeMove(handle);
}

void endSizeMove(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window || !window->inSizeMove) return;
    window->inSizeMove = false;
    SendMessageA(handle, WM_EXITSIZEMOVE, 0, 0);
    // Windows repaints the window at the end of its modal size loop and then
    // returns to the program's own loop; here the end comes inside a waiting
    // GetMessage, which the WM_PAINT releases.
    if (findWindow(handle)) InvalidateRect(handle, nullptr, FALSE);
}

}  // namespace platform::user
