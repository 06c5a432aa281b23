// DefWindowProcA: Windows' default handling of the messages this program
// passes on: closing, sizes and positions, system commands (the menu loop
// among them), hit tests, the class cursor, painting and the background,
// the Alt and F10 keys that open the menu bar, and the window text.
#include "platform/gdi/gdi_objects.h"
#include "platform/user/compositor.h"
#include "platform/user/input_state.h"
#include "platform/user/menu_loop.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform::user {

namespace {

// Alt pressed and released alone, or F10, opens the menu bar; any other key
// in between cancels it (Windows keeps the same two flags).
struct MenuKeys {
    bool altAlone = false;
    bool f10 = false;
};

MenuKeys& menuKeys()
{
    static MenuKeys keys;
    return keys;
}

POINT pointFrom(LPARAM lParam)
{
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

LRESULT hitTest(const Window& window, POINT screen)
{
    RECT rect = window.rect;
    if (!window.topLevel())
        if (Window* parent = findWindow(window.parent)) {
            const POINT origin = clientOrigin(*parent);
            OffsetRect(&rect, origin.x, origin.y);
        }
    if (!PtInRect(&rect, screen)) return HTNOWHERE;
    if (window.hasMenuStrip() && screen.y < rect.top + kMenuStripHeight) return HTMENU;
    return HTCLIENT;
}

// Fills what the erase covers with the class brush, straight into the client pixels.
LRESULT eraseBackground(HWND handle)
{
    Window* window = findWindow(handle);
    if (!window || !window->windowClass) return 0;
    COLORREF color = 0;
    if (!platform::brushColor(window->windowClass->info.hbrBackground, &color)) return 0;
    ClientPixels pixels{};
    if (!lockClientPixels(handle, &pixels)) return 0;
    const uint32_t value = (static_cast<uint32_t>(GetRValue(color)) << 16) |
                           (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    RECT area{0, 0, pixels.width, pixels.height};
    const RECT limit = area;
    if (!IsRectEmpty(&window->eraseRect)) IntersectRect(&area, &window->eraseRect, &limit);
    for (LONG y = area.top; y < area.bottom; ++y)
        std::fill(pixels.pixels + static_cast<size_t>(y) * pixels.width + area.left,
                  pixels.pixels + static_cast<size_t>(y) * pixels.width + area.right, value);
    unlockClientPixels(handle);
    return 1;
}

LRESULT setCursorDefault(HWND handle, LPARAM lParam)
{
    Window* window = findWindow(handle);
    if (!window) return FALSE;
    const SHORT hit = static_cast<SHORT>(LOWORD(lParam));
    if (hit == HTCLIENT) {
        HCURSOR cursor = window->windowClass ? window->windowClass->info.hCursor : nullptr;
        if (!cursor) return FALSE;
        SetCursor(cursor);
        return TRUE;
    }
    if (hit == HTERROR || hit == HTNOWHERE) return FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT systemCommand(HWND handle, WPARAM wParam, LPARAM lParam)
{
    switch (wParam & 0xFFF0) {
    case SC_CLOSE: SendMessageA(handle, WM_CLOSE, 0, 0); return 0;
    case SC_MINIMIZE: ShowWindow(handle, SW_MINIMIZE); return 0;
    case SC_MAXIMIZE: ShowWindow(handle, SW_MAXIMIZE); return 0;
    case SC_RESTORE: ShowWindow(handle, SW_RESTORE); return 0;
    case SC_MOUSEMENU: runMenuLoop(handle, false, 0, pointFrom(lParam)); return 0;
    case SC_KEYMENU: runMenuLoop(handle, true, static_cast<char>(lParam & 0xFF), POINT{0, 0}); return 0;
    default: return 0;  // moving and sizing belong to the window manager
    }
}

LRESULT setText(HWND handle, LPCSTR text)
{
    Window* window = findWindow(handle);
    if (!window) return FALSE;
    window->text = text ? text : "";
    if (window->sdl) SDL_SetWindowTitle(window->sdl, window->text.c_str());
    return TRUE;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

extern "C" LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(handle);
    if (!window) return 0;
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create && create->lpszName) setText(handle, create->lpszName);
        return TRUE;
    }
    case WM_NCCALCSIZE: {
        // The client area is the window less the menu strip.
        if (lParam && window->hasMenuStrip()) reinterpret_cast<RECT*>(lParam)->top += kMenuStripHeight;
        return 0;
    }
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        const bool limited = (window->style & WS_THICKFRAME) || !(window->style & (WS_POPUP | WS_CHILD));
        if (pos && limited && !(pos->flags & SWP_NOSIZE) && !(window->style & WS_MINIMIZE)) {
            const MINMAXINFO info = queryMinMaxInfo(handle);
            pos->cx = std::clamp<int>(pos->cx, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
            pos->cy = std::clamp<int>(pos->cy, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
        }
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos) return 0;
        if (!(pos->flags & kSwpNoClientMove)) sendMoveMessage(handle);
        if (!(pos->flags & kSwpNoClientSize) || (pos->flags & kSwpStateChanged)) sendSizeMessage(handle);
        return 0;
    }
    case WM_SYSCOMMAND: return systemCommand(handle, wParam, lParam);
    case WM_NCHITTEST: return hitTest(*window, POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))});
    case WM_NCLBUTTONDOWN:
        if (wParam == HTMENU) SendMessageA(handle, WM_SYSCOMMAND, SC_MOUSEMENU + HTMENU, lParam);
        return 0;
    case WM_SETCURSOR: return setCursorDefault(handle, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(handle, &paint);
        EndPaint(handle, &paint);
        return 0;
    }
    case WM_ERASEBKGND: return eraseBackground(handle);
    case WM_NCPAINT: return 0;
    case WM_NCACTIVATE: return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(handle);
        return 0;
    case WM_CANCELMODE:
        if (menuTracking() && menuTracking()->window == handle) cancelMenuLoop();
        if (GetCapture() == handle) ReleaseCapture();
        return 0;
    case WM_SYSKEYDOWN:
        if (HIWORD(lParam) & KF_ALTDOWN) {
            if (wParam == VK_F4) {
                SendMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
                return 0;
            }
            menuKeys().altAlone = wParam == VK_MENU && !(HIWORD(lParam) & KF_REPEAT) ? true
                                  : wParam == VK_MENU                               ? menuKeys().altAlone
                                                                                    : false;
        }
        menuKeys().f10 = wParam == VK_F10;
        return 0;
    case WM_KEYDOWN:
        menuKeys().altAlone = false;
        menuKeys().f10 = wParam == VK_F10;
        return 0;
    case WM_SYSKEYUP:
    case WM_KEYUP: {
        const bool open = (wParam == VK_MENU && menuKeys().altAlone && !inputSinceAltPress()) ||
                          (wParam == VK_F10 && menuKeys().f10);
        menuKeys().altAlone = menuKeys().f10 = false;
        if (open) SendMessageA(handle, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return 0;
    }
    case WM_SYSCHAR:
        menuKeys().altAlone = false;
        if (wParam == '\t' || wParam == VK_ESCAPE || wParam == '\r') return 0;
        if (HIWORD(lParam) & KF_ALTDOWN) SendMessageA(handle, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
        return 0;
    case WM_SETTEXT: return setText(handle, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0) return 0;
        const size_t length = std::min(window->text.size(), static_cast<size_t>(wParam) - 1);
        std::memcpy(buffer, window->text.data(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
    default: return 0;
    }
}
