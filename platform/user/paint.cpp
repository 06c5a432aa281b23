// Update regions and painting: InvalidateRect, ValidateRect, GetUpdateRect,
// BeginPaint and EndPaint. The update region is kept as one rectangle, the
// bounding box of what was invalidated, which Windows also allows itself.
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

namespace platform::user {

namespace {

RECT wholeClient(const Window& window)
{
    const SIZE size = clientSize(window);
    return RECT{0, 0, size.cx, size.cy};
}

void validate(Window& window, const RECT* rect)
{
    if (!window.paintPending) return;
    RECT& update = window.updateRect;
    if (rect) {
        // Only a cut that leaves one rectangle shrinks it; anything else keeps it whole.
        RECT cut;
        if (!IntersectRect(&cut, rect, &update)) return;
        if (!EqualRect(&cut, &update)) {
            if (cut.left <= update.left && cut.right >= update.right) {
                if (cut.top <= update.top) update.top = cut.bottom;
                else if (cut.bottom >= update.bottom) update.bottom = cut.top;
            } else if (cut.top <= update.top && cut.bottom >= update.bottom) {
                if (cut.left <= update.left) update.left = cut.right;
                else if (cut.right >= update.right) update.right = cut.left;
            }
            if (!IsRectEmpty(&update)) return;
        }
    }
    window.paintPending = false;
    window.erasePending = false;
    SetRectEmpty(&update);
}

// WM_ERASEBKGND with a DC of the window; true when the window erased.
bool sendErase(HWND handle, HDC dc)
{
    return SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
}

}  // namespace

void invalidateClient(HWND handle, const RECT* rect, bool erase)
{
    Window* window = findWindow(handle);
    if (!window) return;
    const RECT client = wholeClient(*window);
    RECT area = client;
    if (rect && !IntersectRect(&area, rect, &client)) return;
    if (IsRectEmpty(&area)) return;
    if (window->paintPending)
        UnionRect(&window->updateRect, &window->updateRect, &area);
    else
        window->updateRect = area;
    window->paintPending = true;
    if (erase) window->erasePending = true;
}

void eraseNow(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window || !window->erasePending || !(window->style & WS_VISIBLE)) return;
    HDC dc = GetDC(handle);
    if (!dc) return;
    window = findWindow(handle);
    if (!window) return;
    window->eraseRect = window->updateRect;
    const bool erased = sendErase(handle, dc);
    ReleaseDC(handle, dc);
    if (Window* after = findWindow(handle); after && erased) after->erasePending = false;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase)
{
    if (!handle) {
        // All windows, as Windows does for a null window.
        for (HWND each : allWindows()) invalidateClient(each, nullptr, erase != FALSE);
        return TRUE;
    }
    if (!findWindowOrFail(handle)) return FALSE;
    invalidateClient(handle, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND handle, const RECT* rect)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    validate(*window, rect);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND handle, LPRECT rect, BOOL erase)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    if (rect) *rect = window->paintPending ? window->updateRect : RECT{0, 0, 0, 0};
    const BOOL pending = window->paintPending ? TRUE : FALSE;
    if (erase && pending) eraseNow(handle);
    return pending;
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint)
{
    Window* window = findWindowOrFail(handle);
    if (!window || !paint) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = window->paintPending ? window->updateRect : RECT{0, 0, 0, 0};
    const bool erase = window->erasePending;
    window->eraseRect = paint->rcPaint;
    validate(*window, nullptr);
    HDC dc = GetDC(handle);
    paint->hdc = dc;
    if (erase && dc) paint->fErase = sendErase(handle, dc) ? FALSE : TRUE;
    return dc;
}

BOOL WINAPI EndPaint(HWND handle, const PAINTSTRUCT* paint)
{
    if (!paint) return FALSE;
    if (paint->hdc) ReleaseDC(handle, paint->hdc);
    return TRUE;
}

}  // extern "C"
