// Window geometry: rectangles, SetWindowPos and its notifications, the frame
// model (menu strip + client; the window manager's decorations not counted),
// coordinate conversion and the system metrics that follow from it.
#include "platform/user/compositor.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

#include <algorithm>

namespace platform::user {

namespace {

constexpr int kMinTrackWidth = 112;
constexpr int kMinTrackHeight = 27;

SDL_Rect screenBounds()
{
    SDL_Rect bounds{0, 0, 1024, 768};
    if (ensureVideo()) SDL_GetDisplayBounds(0, &bounds);
    return bounds;
}

SDL_Rect virtualScreen()
{
    SDL_Rect all = screenBounds();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return all;
    for (int i = 1; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0) SDL_UnionRect(&all, &bounds, &all);
    }
    return all;
}

// The client strips a grown client area adds, invalidated with their background.
void invalidateGrowth(HWND handle, SIZE before, SIZE after)
{
    if (after.cx > before.cx) {
        const RECT right{before.cx, 0, after.cx, after.cy};
        invalidateClient(handle, &right, true);
    }
    if (after.cy > before.cy) {
        const RECT bottom{0, before.cy, after.cx, after.cy};
        invalidateClient(handle, &bottom, true);
    }
    if (after.cx > before.cx || after.cy > before.cy) eraseNow(handle);
}

}  // namespace

MINMAXINFO queryMinMaxInfo(HWND handle)
{
    const SDL_Rect screen = screenBounds();
    const SDL_Rect all = virtualScreen();
    MINMAXINFO info{};
    info.ptMaxSize = POINT{screen.w, screen.h};
    info.ptMaxPosition = POINT{0, 0};
    info.ptMinTrackSize = POINT{kMinTrackWidth, kMinTrackHeight};
    info.ptMaxTrackSize = POINT{all.w, all.h};
    SendMessageA(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    Window* window = findWindow(handle);
    if (window && window->sdl)
        SDL_SetWindowMinimumSize(window->sdl, std::max<int>(1, info.ptMinTrackSize.x),
                                 std::max<int>(1, info.ptMinTrackSize.y));
    return info;
}

void sendSizeMessage(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window) return;
    const WPARAM type = (window->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                        : (window->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                        : SIZE_RESTORED;
    const SIZE size = clientSize(*window);
    SendMessageA(handle, WM_SIZE, type, MAKELPARAM(static_cast<WORD>(size.cx), static_cast<WORD>(size.cy)));
}

void sendMoveMessage(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window) return;
    POINT origin = clientOrigin(*window);
    if (!window->topLevel())
        if (Window* parent = findWindow(window->parent)) {
            const POINT parentOrigin = clientOrigin(*parent);
            origin.x -= parentOrigin.x;
            origin.y -= parentOrigin.y;
        }
    SendMessageA(handle, WM_MOVE, 0,
                 MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(origin.x)), static_cast<WORD>(static_cast<SHORT>(origin.y))));
}

bool moveWindow(HWND handle, const RECT& requested, UINT flags, bool fromSystem, const SIZE* clientBefore,
                const POINT* originBefore)
{
    Window* window = findWindow(handle);
    if (!window) return false;
    const RECT oldRect = window->rect;
    const SIZE oldClient = clientBefore ? *clientBefore : clientSize(*window);
    const POINT oldOrigin = originBefore ? *originBefore : clientOrigin(*window);
    RECT rect = requested;
    if (flags & SWP_NOMOVE) OffsetRect(&rect, oldRect.left - rect.left, oldRect.top - rect.top);
    if (flags & SWP_NOSIZE) {
        rect.right = rect.left + (oldRect.right - oldRect.left);
        rect.bottom = rect.top + (oldRect.bottom - oldRect.top);
    }
    WINDOWPOS pos{handle, nullptr, static_cast<int>(rect.left), static_cast<int>(rect.top),
                  static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top), flags};
    if (rect.left == oldRect.left && rect.top == oldRect.top) pos.flags |= SWP_NOMOVE;
    if (rect.right - rect.left == oldRect.right - oldRect.left && rect.bottom - rect.top == oldRect.bottom - oldRect.top)
        pos.flags |= SWP_NOSIZE;
    if (!(flags & SWP_NOSENDCHANGING)) {
        SendMessageA(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        window = findWindow(handle);
        if (!window) return false;
    }
    // What the window manager did already stands; a request may be changed by the window.
    if (!fromSystem) rect = RECT{pos.x, pos.y, pos.x + std::max(0, pos.cx), pos.y + std::max(0, pos.cy)};
    if (flags & SWP_FRAMECHANGED) {
        NCCALCSIZE_PARAMS calc{{rect, oldRect, oldRect}, &pos};
        SendMessageA(handle, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&calc));
        window = findWindow(handle);
        if (!window) return false;
    }
    const bool moved = rect.left != oldRect.left || rect.top != oldRect.top;
    const bool sized = rect.right - rect.left != oldRect.right - oldRect.left ||
                       rect.bottom - rect.top != oldRect.bottom - oldRect.top;
    window->rect = rect;
    if (!fromSystem && window->sdl && window->topLevel()) {
        // Not while a frame is in flight to the window (swap_thread.h).
        if ((moved || sized) && window->compositor) window->compositor->finishPresenting();
        if (moved) SDL_SetWindowPosition(window->sdl, rect.left, rect.top);
        if (sized) SDL_SetWindowSize(window->sdl, std::max<int>(1, rect.right - rect.left),
                                     std::max<int>(1, rect.bottom - rect.top));
    }
    const SIZE newClient = clientSize(*window);
    if (window->compositor)
        window->compositor->setClientArea(RECT{0, clientTop(*window), rect.right - rect.left, rect.bottom - rect.top});
    if (flags & SWP_SHOWWINDOW) ShowWindow(handle, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(handle, SW_HIDE);
    window = findWindow(handle);
    if (!window) return false;
    if (!(window->style & WS_MINIMIZE)) {
        // Back from minimized the kept content is shown again and repainted, not erased.
        if ((flags & kSwpStateChanged) && oldClient.cx == 0 && oldClient.cy == 0)
            invalidateClient(handle, nullptr, false);
        else
            invalidateGrowth(handle, oldClient, newClient);
    }
    window = findWindow(handle);
    if (!window) return false;

    pos.x = rect.left;
    pos.y = rect.top;
    pos.cx = rect.right - rect.left;
    pos.cy = rect.bottom - rect.top;
    pos.flags &= ~static_cast<UINT>(SWP_SHOWWINDOW | SWP_HIDEWINDOW);
    const POINT newOrigin = clientOrigin(*window);
    if (newOrigin.x == oldOrigin.x && newOrigin.y == oldOrigin.y) pos.flags |= kSwpNoClientMove;
    if (newClient.cx == oldClient.cx && newClient.cy == oldClient.cy) pos.flags |= kSwpNoClientSize;
    if (window->needSize) {
        window->needSize = false;
        pos.flags &= ~static_cast<UINT>(kSwpNoClientMove | kSwpNoClientSize);
    }
    SendMessageA(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(flags & SWP_NOACTIVATE) && !fromSystem)
        if (Window* shown = findWindow(handle); shown && shown->topLevel() && (shown->style & WS_VISIBLE))
            activateWindow(handle);
    if (Window* done = findWindow(handle); done && done->compositor && (moved || sized || (flags & kSwpStateChanged)))
        done->compositor->composite(true);
    return true;
}

void frameChanged(HWND handle, SIZE clientBefore, POINT originBefore)
{
    Window* window = findWindow(handle);
    if (!window) return;
    moveWindow(handle, window->rect, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE,
               false, &clientBefore, &originBefore);
    redrawWindow(handle);
}

void redrawWindow(HWND handle)
{
    Window* window = findWindow(handle);
    if (window && window->compositor) window->compositor->composite(true);
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect)
{
    Window* window = findWindowOrFail(handle);
    if (!window || !rect) return FALSE;
    *rect = window->rect;
    if (!window->topLevel())
        if (Window* parent = findWindow(window->parent)) {
            const POINT origin = clientOrigin(*parent);
            OffsetRect(rect, origin.x, origin.y);
        }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect)
{
    Window* window = findWindowOrFail(handle);
    if (!window || !rect) return FALSE;
    const SIZE size = clientSize(*window);
    *rect = RECT{0, 0, size.cx, size.cy};
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD)
{
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (menu && !(style & WS_CHILD)) rect->top -= kMenuStripHeight;
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL WINAPI SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    if (!(flags & SWP_NOZORDER) && window->sdl) {
        if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(window->sdl, SDL_TRUE);
        if (insertAfter == HWND_NOTOPMOST) SDL_SetWindowAlwaysOnTop(window->sdl, SDL_FALSE);
        if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) SDL_RaiseWindow(window->sdl);
    }
    const RECT rect{x, y, x + width, y + height};
    return moveWindow(handle, rect, flags & 0x07FF, false) ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(handle, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : static_cast<UINT>(SWP_NOREDRAW)));
}

BOOL WINAPI ScreenToClient(HWND handle, LPPOINT point)
{
    Window* window = findWindowOrFail(handle);
    if (!window || !point) return FALSE;
    const POINT origin = clientOrigin(*window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND handle, LPPOINT point)
{
    Window* window = findWindowOrFail(handle);
    if (!window || !point) return FALSE;
    const POINT origin = clientOrigin(*window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED: return screenBounds().w;
    case SM_CYSCREEN:
    case SM_CYMAXIMIZED: return screenBounds().h;
    case SM_CYFULLSCREEN: return screenBounds().h - kMenuStripHeight;
    case SM_XVIRTUALSCREEN: return virtualScreen().x;
    case SM_YVIRTUALSCREEN: return virtualScreen().y;
    case SM_CXVIRTUALSCREEN:
    case SM_CXMAXTRACK: return virtualScreen().w;
    case SM_CYVIRTUALSCREEN:
    case SM_CYMAXTRACK: return virtualScreen().h;
    case SM_CMONITORS: return ensureVideo() ? SDL_GetNumVideoDisplays() : 1;
    case SM_CYMENU: return kMenuStripHeight;
    // The frame and caption are the window manager's: none is counted.
    case SM_CYCAPTION:
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
    case SM_CXFRAME:
    case SM_CYFRAME: return 0;
    case SM_CXMINTRACK:
    case SM_CXMIN: return kMinTrackWidth;
    case SM_CYMINTRACK:
    case SM_CYMIN: return kMinTrackHeight;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CMOUSEBUTTONS: return 3;
    default: return 0;
    }
}

}  // extern "C"
