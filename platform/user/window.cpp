// Windows: creation and destruction with the messages Windows sends, showing,
// enabling, styles and window longs, text. Each top-level window gets its SDL
// window and compositor here.
#include "platform/core/sdl_video.h"
#include "platform/core/x11_frame_hints.h"
#include "platform/user/compositor.h"
#include "platform/user/input_state.h"
#include "platform/user/menu_loop.h"
#include "platform/user/menu_model.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include "platform/gdi/gdi_objects.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform::user {

namespace {

// Windows adds these to every top-level window.
void completeStyles(DWORD* style, DWORD* exStyle)
{
    if ((*style & (WS_CHILD | WS_POPUP)) != WS_CHILD) {
        *style |= WS_CLIPSIBLINGS;
        if (!(*style & WS_POPUP)) *style |= WS_CAPTION;
    }
    if ((*exStyle & WS_EX_DLGMODALFRAME) || (*style & (WS_DLGFRAME | WS_THICKFRAME))) *exStyle |= WS_EX_WINDOWEDGE;
}

bool bordered(DWORD style)
{
    return (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME);
}

void applyDecorations(Window& window)
{
    if (!window.sdl) return;
    SDL_SetWindowBordered(window.sdl, bordered(window.style) ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(window.sdl, (window.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    // The title bar's buttons as the style has them: a message box or dialog
    // offers neither minimise nor maximise.
    platform::FrameHints hints;
    hints.framed = bordered(window.style);
    hints.closeBox = (window.style & WS_SYSMENU) != 0;
    hints.minimizeBox = (window.style & (WS_SYSMENU | WS_MINIMIZEBOX)) == (WS_SYSMENU | WS_MINIMIZEBOX);
    hints.maximizeBox = (window.style & (WS_SYSMENU | WS_MAXIMIZEBOX)) == (WS_SYSMENU | WS_MAXIMIZEBOX);
    hints.sizing = (window.style & WS_THICKFRAME) != 0;
    const Window* owner = window.parent ? findWindow(window.parent) : nullptr;
    platform::applyFrameHints(window.sdl, owner ? owner->sdl : nullptr, hints);
}

}  // namespace

void applyStyleToFrame(HWND handle)
{
    if (Window* window = findWindow(handle)) applyDecorations(*window);
}

namespace {

// The class icon as the SDL window's icon.
void applyIcon(Window& window)
{
    if (!window.sdl || !window.windowClass) return;
    platform::IconPixels icon;
    if (!platform::iconPixels(window.windowClass->info.hIcon, &icon) || icon.width <= 0 || icon.height <= 0) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon.argbTopDown.data(), icon.width, icon.height, 32,
                                                              icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(window.sdl, surface);
    SDL_FreeSurface(surface);
}

bool createSdlWindow(Window& window, int x, int y, int width, int height, bool defaultPosition)
{
    if (!ensureVideo()) return false;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (window.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!bordered(window.style)) flags |= SDL_WINDOW_BORDERLESS;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    // Depth and stencil in the window's own framebuffer let Direct3D draw a
    // frame of the client's size straight into it.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    const int sdlX = defaultPosition ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
    const int sdlY = defaultPosition ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;
    window.sdl = SDL_CreateWindow(window.text.c_str(), sdlX, sdlY, std::max(1, width), std::max(1, height), flags);
    if (!window.sdl) {
        // No such visual: the window does without, and Direct3D draws offscreen.
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        window.sdl = SDL_CreateWindow(window.text.c_str(), sdlX, sdlY, std::max(1, width), std::max(1, height), flags);
    }
    if (!window.sdl) {
        SDL_Log("CreateWindowEx: no SDL window: %s", SDL_GetError());
        return false;
    }
    window.compositor = Compositor::create(window.handle, window.sdl);
    if (!window.compositor) {
        SDL_DestroyWindow(window.sdl);
        window.sdl = nullptr;
        return false;
    }
    window.sdlId = SDL_GetWindowID(window.sdl);
    int actualX = 0, actualY = 0, actualWidth = 0, actualHeight = 0;
    SDL_GetWindowPosition(window.sdl, &actualX, &actualY);
    SDL_GetWindowSize(window.sdl, &actualWidth, &actualHeight);
    window.rect = RECT{actualX, actualY, actualX + actualWidth, actualY + actualHeight};
    window.compositor->setClientArea(RECT{0, clientTop(window), actualWidth, actualHeight});
    applyIcon(window);
    applyDecorations(window);
    return true;
}

void destroySdlWindow(Window& window)
{
    window.compositor.reset();
    if (window.sdl) SDL_DestroyWindow(window.sdl);
    window.sdl = nullptr;
    window.sdlId = 0;
}

struct Activation {
    HWND active = nullptr;
    HWND focus = nullptr;
    bool appActive = false;
};

Activation& activation()
{
    static Activation state;
    return state;
}

void sendToTopLevels(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (HWND handle : allWindows())
        if (Window* window = findWindow(handle); window && window->topLevel() && !window->messageOnly)
            SendMessageA(handle, message, wParam, lParam);
}

bool isSelfOrChild(HWND window, HWND ancestor)
{
    for (int depth = 0; window && depth < 64; ++depth) {
        if (window == ancestor) return true;
        Window* record = findWindow(window);
        if (!record || record->topLevel()) return false;
        window = record->parent;
    }
    return false;
}

void hideWindow(HWND handle, bool sendShowMessage)
{
    Window* window = findWindow(handle);
    if (!window || !(window->style & WS_VISIBLE)) return;
    if (sendShowMessage) SendMessageA(handle, WM_SHOWWINDOW, FALSE, 0);
    WINDOWPOS pos{handle, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER};
    SendMessageA(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    window = findWindow(handle);
    if (!window) return;
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (window->sdl) SDL_HideWindow(window->sdl);
    if (window->compositor) window->compositor->setShown(false);
    pos.flags |= kSwpNoClientMove | kSwpNoClientSize;
    SendMessageA(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (activation().active == handle) deactivateWindow(handle, nullptr);
}

void showWindow(HWND handle, bool activate)
{
    Window* window = findWindow(handle);
    if (!window || (window->style & WS_VISIBLE)) return;
    SendMessageA(handle, WM_SHOWWINDOW, TRUE, 0);
    WINDOWPOS pos{handle, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER};
    SendMessageA(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    window = findWindow(handle);
    if (!window) return;
    window->style |= WS_VISIBLE;
    if (window->sdl) SDL_ShowWindow(window->sdl);
    if (window->compositor) window->compositor->setShown(true);
    if (activate && window->topLevel() && !window->messageOnly) activateWindow(handle);
    invalidateClient(handle, nullptr, true);
    eraseNow(handle);
    window = findWindow(handle);
    if (!window) return;
    pos.flags |= kSwpNoClientMove | kSwpNoClientSize;
    const bool firstShow = window->needSize;
    window->needSize = false;
    SendMessageA(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    // The first showing reports size, then position, as Windows does.
    if (firstShow) {
        sendSizeMessage(handle);
        sendMoveMessage(handle);
    }
    if (Window* shown = findWindow(handle); shown && shown->compositor) shown->compositor->composite(true);
}

void sendDestroy(HWND handle)
{
    SendMessageA(handle, WM_DESTROY, 0, 0);
    for (HWND child : allWindows())
        if (Window* record = findWindow(child); record && !record->topLevel() && record->parent == handle)
            sendDestroy(child);
}

void sendNcDestroyAndFree(HWND handle)
{
    for (HWND child : allWindows())
        if (Window* record = findWindow(child); record && !record->topLevel() && record->parent == handle)
            sendNcDestroyAndFree(child);
    if (!findWindow(handle)) return;
    SendMessageA(handle, WM_NCDESTROY, 0, 0);
    purgeMessagesFor(handle);
    if (Window* record = findWindow(handle)) {
        // A top-level window's menu goes with it, as on Windows.
        if (record->topLevel() && findMenu(record->menu)) DestroyMenu(record->menu);
        destroySdlWindow(*record);
    }
    removeWindow(handle);
}

}  // namespace

HWND topLevelOf(HWND window)
{
    for (int depth = 0; window && depth < 64; ++depth) {
        Window* record = findWindow(window);
        if (!record) return nullptr;
        if (record->topLevel()) return window;
        window = record->parent;
    }
    return nullptr;
}

bool ensureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // A click that focuses a window is also a click, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint("SDL_QUIT_ON_LAST_WINDOW_CLOSE", "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (!ensureSdlVideo()) {
        SDL_Log("no SDL video: %s", SDL_GetError());
        return false;
    }
    SDL_EventState(SDL_TEXTINPUT, SDL_IGNORE);
    SDL_EventState(SDL_TEXTEDITING, SDL_IGNORE);
    return true;
}

void activateWindow(HWND handle)
{
    Activation& state = activation();
    Window* window = findWindow(handle);
    if (!window || state.active == handle) return;
    const HWND old = state.active;
    if (old) deactivateWindow(old, handle);
    if (!findWindow(handle)) return;
    if (!state.appActive) {
        state.appActive = true;
        sendToTopLevels(WM_ACTIVATEAPP, TRUE, 0);
    }
    state.active = handle;
    SendMessageA(handle, WM_NCACTIVATE, TRUE, 0);
    window = findWindow(handle);
    if (!window) return;
    const WORD minimized = (window->style & WS_MINIMIZE) ? 1 : 0;
    SendMessageA(handle, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, minimized), reinterpret_cast<LPARAM>(old));
}

void deactivateWindow(HWND handle, HWND other)
{
    Activation& state = activation();
    if (state.active != handle) return;
    if (menuTracking() && menuTracking()->window == handle) cancelMenuLoop();
    state.active = nullptr;
    SendMessageA(handle, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(handle, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(other));
    if (state.focus && isSelfOrChild(state.focus, handle)) {
        const HWND lost = state.focus;
        state.focus = nullptr;
        SendMessageA(lost, WM_KILLFOCUS, reinterpret_cast<WPARAM>(other), 0);
    }
    if (!other && state.appActive) {
        state.appActive = false;
        sendToTopLevels(WM_ACTIVATEAPP, FALSE, 0);
    }
}

HWND activeWindow()
{
    return activation().active;
}

void setShowState(HWND handle, DWORD state)
{
    Window* window = findWindow(handle);
    if (!window) return;
    if ((window->style & (WS_MINIMIZE | WS_MAXIMIZE)) == state) return;
    window->style = (window->style & ~static_cast<DWORD>(WS_MINIMIZE | WS_MAXIMIZE)) | state;
    RECT rect = window->rect;
    if (!(state & WS_MINIMIZE) && window->sdl) {
        // The size SDL knows now, before its own size event arrives.
        int x = 0, y = 0, width = 0, height = 0;
        SDL_GetWindowPosition(window->sdl, &x, &y);
        SDL_GetWindowSize(window->sdl, &width, &height);
        rect = RECT{x, y, x + width, y + height};
    }
    moveWindow(handle, rect, SWP_NOZORDER | SWP_NOACTIVATE | kSwpStateChanged, true);
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    WindowClass* windowClass = findClass(className);
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool messageOnly = parent == HWND_MESSAGE;
    if (messageOnly) parent = nullptr;
    if (style & WS_CHILD) {
        if (!parent) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        if (!findWindowOrFail(parent)) return nullptr;
    } else if (parent && !findWindowOrFail(parent)) {
        return nullptr;
    }
    if (menu && !(style & WS_CHILD) && !findMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }

    const bool wantVisible = (style & WS_VISIBLE) != 0;
    completeStyles(&style, &exStyle);
    auto record = std::make_unique<Window>();
    record->windowClass = windowClass;
    record->procedure = windowClass->info.lpfnWndProc;
    record->style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    record->exStyle = exStyle;
    record->parent = parent;
    record->instance = instance;
    record->messageOnly = messageOnly;
    record->extraBytes.assign(static_cast<size_t>(windowClass->info.cbWndExtra), 0);
    if (windowName) record->text = windowName;  // the SDL title; WM_NCCREATE sets the window text
    const bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    if (!(style & WS_CHILD) && !menu && windowClass->info.lpszMenuName)
        menu = LoadMenuA(windowClass->info.hInstance, windowClass->info.lpszMenuName);
    record->menu = menu;

    const bool defaultPosition = overlapped && x == CW_USEDEFAULT;
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = height = 0;
        if (overlapped) {
            width = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
            height = GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
        }
    }
    record->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    const HWND handle = addWindow(std::move(record));

    if (overlapped || (style & WS_THICKFRAME)) {
        const MINMAXINFO limits = queryMinMaxInfo(handle);
        width = std::clamp<int>(width, limits.ptMinTrackSize.x, std::max(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x));
        height = std::clamp<int>(height, limits.ptMinTrackSize.y, std::max(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y));
    }
    Window* window = findWindow(handle);
    if (!window) return nullptr;
    window->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
    if (window->topLevel() && !messageOnly && !createSdlWindow(*window, x, y, width, height, defaultPosition)) {
        removeWindow(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (window->sdl) queryMinMaxInfo(handle);  // now that SDL can take the minimum

    window->text.clear();
    CREATESTRUCTA create{param,
                         instance,
                         menu,
                         parent,
                         static_cast<int>(window->rect.bottom - window->rect.top),
                         static_cast<int>(window->rect.right - window->rect.left),
                         static_cast<int>(window->rect.top),
                         static_cast<int>(window->rect.left),
                         static_cast<LONG>(style),
                         windowName,
                         className,
                         exStyle};
    if (!SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        if (findWindow(handle)) sendNcDestroyAndFree(handle);
        return nullptr;
    }
    if (!findWindow(handle)) return nullptr;
    RECT calc = findWindow(handle)->rect;
    SendMessageA(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc));
    if (SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        if (findWindow(handle)) DestroyWindow(handle);
        return nullptr;
    }
    window = findWindow(handle);
    if (!window) return nullptr;
    // A hidden window hears of its size and position when first shown.
    if (wantVisible) showWindow(handle, true);
    return findWindow(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND handle)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    if (window->destroying) return TRUE;
    window->destroying = true;
    if (menuTracking() && menuTracking()->window == handle) cancelMenuLoop();
    window->inSizeMove = false;
    // Owned windows go first, as on Windows.
    for (HWND other : allWindows())
        if (Window* owned = findWindow(other); owned && owned->topLevel() && owned->parent == handle)
            DestroyWindow(other);
    hideWindow(handle, false);
    windowGoing(handle);
    Activation& state = activation();
    if (state.focus && isSelfOrChild(state.focus, handle)) state.focus = nullptr;
    if (findWindow(handle)) sendDestroy(handle);
    if (findWindow(handle)) sendNcDestroyAndFree(handle);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window)
{
    return findWindow(window) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND handle)
{
    for (int depth = 0; depth < 64; ++depth) {
        Window* window = findWindow(handle);
        if (!window || !(window->style & WS_VISIBLE)) return FALSE;
        if (window->topLevel()) return TRUE;
        handle = window->parent;
    }
    return FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND handle)
{
    Window* window = findWindow(handle);
    return window && !(window->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    const BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) {
        window->style &= ~static_cast<DWORD>(WS_DISABLED);
    } else {
        window->style |= WS_DISABLED;
        if (menuTracking() && menuTracking()->window == handle) cancelMenuLoop();
        if (GetCapture() && isSelfOrChild(GetCapture(), handle)) ReleaseCapture();
        if (activation().focus && isSelfOrChild(activation().focus, handle)) SetFocus(nullptr);
    }
    SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI IsIconic(HWND handle)
{
    Window* window = findWindow(handle);
    return window && (window->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND handle)
{
    Window* window = findWindow(handle);
    return window && (window->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND handle, int command)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE: hideWindow(handle, true); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        showWindow(handle, command == SW_SHOWMINIMIZED);
        if (Window* shown = findWindow(handle); shown && shown->sdl) SDL_MinimizeWindow(shown->sdl);
        setShowState(handle, WS_MINIMIZE);
        break;
    case SW_SHOWMAXIMIZED:
        showWindow(handle, true);
        if (Window* shown = findWindow(handle); shown && shown->sdl) SDL_MaximizeWindow(shown->sdl);
        setShowState(handle, WS_MAXIMIZE);
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        showWindow(handle, true);
        if (Window* shown = findWindow(handle); shown && (shown->style & (WS_MINIMIZE | WS_MAXIMIZE))) {
            if (shown->sdl) SDL_RestoreWindow(shown->sdl);
            setShowState(handle, 0);
        }
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA: showWindow(handle, false); break;
    default: showWindow(handle, true); break;  // SW_SHOW, SW_SHOWDEFAULT
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND handle)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    if (window->paintPending && (window->style & WS_VISIBLE)) SendMessageA(handle, WM_PAINT, 0, 0);
    return TRUE;
}

HWND WINAPI GetParent(HWND handle)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return nullptr;
    // An owned popup answers its owner; an overlapped window has no parent.
    if (window->topLevel() && !(window->style & WS_POPUP)) return nullptr;
    return window->parent;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text)
{
    if (!findWindowOrFail(handle)) return FALSE;
    return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int bufferLength)
{
    if (!buffer || bufferLength <= 0) return 0;
    buffer[0] = '\0';
    if (!findWindowOrFail(handle)) return 0;
    return static_cast<int>(
        SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(bufferLength), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND handle)
{
    if (!findWindowOrFail(handle)) return 0;
    return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

// The pointer-sized slot at `index` of the window's extra bytes, or null
// (ERROR_INVALID_INDEX) when it does not fit.
static unsigned char* extraBytesSlot(Window& window, int index)
{
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > window.extraBytes.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return nullptr;
    }
    return &window.extraBytes[static_cast<size_t>(index)];
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return 0;
    if (index >= 0) {
        unsigned char* slot = extraBytesSlot(*window, index);
        LONG_PTR value = 0;
        if (slot) std::memcpy(&value, slot, sizeof value);
        return value;
    }
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    case GWLP_USERDATA: return window->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->procedure);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_ID: return window->topLevel() ? 0 : reinterpret_cast<LONG_PTR>(window->menu);
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return 0;
    if (index >= 0) {
        unsigned char* slot = extraBytesSlot(*window, index);
        LONG_PTR old = 0;
        if (!slot) return 0;
        std::memcpy(&old, slot, sizeof old);
        std::memcpy(slot, &value, sizeof value);
        return old;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        const bool isStyle = index == GWL_STYLE;
        old = static_cast<LONG>(isStyle ? window->style : window->exStyle);
        STYLESTRUCT change{isStyle ? window->style : window->exStyle, static_cast<DWORD>(value)};
        // Visibility and the minimized/maximized state stay what they are:
        // ShowWindow changes them, not the style bits.
        if (isStyle) {
            const DWORD kept = WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE;
            change.styleNew = (change.styleNew & ~kept) | (window->style & kept);
            // Top-level windows always clip their siblings.
            if (window->topLevel()) change.styleNew |= WS_CLIPSIBLINGS;
        }
        SendMessageA(handle, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        window = findWindow(handle);
        if (!window) return old;
        if (isStyle)
            window->style = change.styleNew;
        else
            window->exStyle = change.styleNew;
        if (isStyle) applyDecorations(*window);
        SendMessageA(handle, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return old;
    }
    case GWLP_USERDATA:
        old = window->userData;
        window->userData = value;
        return old;
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(window->procedure);
        if (value) window->procedure = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_HWNDPARENT:
        old = reinterpret_cast<LONG_PTR>(window->parent);
        window->parent = reinterpret_cast<HWND>(value);
        return old;
    case GWLP_ID:
        if (window->topLevel()) break;
        old = reinterpret_cast<LONG_PTR>(window->menu);
        window->menu = reinterpret_cast<HMENU>(value);
        return old;
    default: break;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG WINAPI GetWindowLongA(HWND handle, int index)
{
    if (index >= 0) {
        Window* window = findWindowOrFail(handle);
        if (!window) return 0;
        LONG value = 0;
        if (static_cast<size_t>(index) + sizeof value > window->extraBytes.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        std::memcpy(&value, &window->extraBytes[static_cast<size_t>(index)], sizeof value);
        return value;
    }
    return static_cast<LONG>(GetWindowLongPtrA(handle, index));
}

LONG WINAPI SetWindowLongA(HWND handle, int index, LONG value)
{
    if (index >= 0) {
        Window* window = findWindowOrFail(handle);
        if (!window) return 0;
        LONG old = 0;
        if (static_cast<size_t>(index) + sizeof value > window->extraBytes.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        std::memcpy(&old, &window->extraBytes[static_cast<size_t>(index)], sizeof old);
        std::memcpy(&window->extraBytes[static_cast<size_t>(index)], &value, sizeof value);
        return old;
    }
    // Styles are 32-bit values with the top bit set: keep them unsigned on the way.
    const LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE)
                              ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                              : static_cast<LONG_PTR>(value);
    return static_cast<LONG>(SetWindowLongPtrA(handle, index, wide));
}

HWND WINAPI GetDesktopWindow(void)
{
    return nullptr;
}

HWND WINAPI GetForegroundWindow(void)
{
    return activation().active;
}

HWND WINAPI GetActiveWindow(void)
{
    return activation().active;
}

BOOL WINAPI SetForegroundWindow(HWND handle)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    const HWND top = topLevelOf(handle);
    if (Window* topWindow = findWindow(top); topWindow && topWindow->sdl) SDL_RaiseWindow(topWindow->sdl);
    activateWindow(top);
    return TRUE;
}

HWND WINAPI GetFocus(void)
{
    return activation().focus;
}

HWND WINAPI SetFocus(HWND handle)
{
    Activation& state = activation();
    const HWND old = state.focus;
    if (handle) {
        Window* window = findWindowOrFail(handle);
        if (!window) return nullptr;
        if (handle == old) return old;
        const HWND top = topLevelOf(handle);
        if (state.active != top) activateWindow(top);
        if (!findWindow(handle)) return nullptr;
        if (state.focus == handle) return old;  // activation gave it the focus already
    }
    const HWND previous = state.focus;
    state.focus = handle;
    if (previous && findWindow(previous)) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    if (handle && findWindow(handle)) SendMessageA(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return old;
}

}  // extern "C"
