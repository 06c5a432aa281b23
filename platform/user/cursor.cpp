// The cursor and the program's icons: system cursors (the arrow drawn here as
// an icon object of GDI's, so GetIconInfo reads it, and shown as SDL's system
// cursor), icons from the program's resources, SetCursor/ShowCursor, mouse
// capture (SDL_CaptureMouse) and confinement (SDL_SetWindowMouseRect with a
// pointer grab).
#include "platform/gdi/gdi_objects.h"
#include "platform/resources/resource_tables.h"
#include "platform/user/input_state.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

#include <map>
#include <vector>

namespace platform::user {

namespace {

// The classic arrow, 'X' outline, '.' fill, anything else transparent.
const char* const kArrow[] = {
    "X",          "XX",         "X.X",        "X..X",       "X...X",     "X....X",    "X.....X",
    "X......X",   "X.......X",  "X........X", "X.....XXXXX", "X..X..X",  "X.X X..X",  "XX  X..X",
    "X    X..X",  "     X..X",  "      X..X", "      X..X", "       XX",
};

struct CursorState {
    std::map<ULONG_PTR, HCURSOR> system;          // by IDC_ value
    std::map<HCURSOR, SDL_SystemCursor> systemKind;
    std::map<HCURSOR, SDL_Cursor*> sdlCursors;
    std::map<UINT, HICON> icons;                  // the program's icon groups, loaded once as Windows shares them
    HCURSOR current = nullptr;
    SDL_Cursor* applied = nullptr;
    int showCount = 0;
    HWND capture = nullptr;
    HWND clipWindow = nullptr;
    RECT clip{};
    bool clipped = false;
};

CursorState& cursors()
{
    static auto* state = new CursorState;
    return *state;
}

std::vector<uint32_t> arrowPixels()
{
    std::vector<uint32_t> pixels(32 * 32, 0);
    for (int y = 0; y < static_cast<int>(sizeof kArrow / sizeof kArrow[0]); ++y)
        for (int x = 0; kArrow[y][x]; ++x) {
            if (kArrow[y][x] == 'X') pixels[static_cast<size_t>(y * 32 + x)] = 0xFF000000u;
            if (kArrow[y][x] == '.') pixels[static_cast<size_t>(y * 32 + x)] = 0xFFFFFFFFu;
        }
    return pixels;
}

// A plain window glyph for IDI_APPLICATION: white face, blue caption, black edge.
std::vector<uint32_t> applicationPixels()
{
    std::vector<uint32_t> pixels(32 * 32, 0);
    for (int y = 3; y < 29; ++y)
        for (int x = 2; x < 30; ++x) {
            const bool edge = x == 2 || x == 29 || y == 3 || y == 28;
            pixels[static_cast<size_t>(y * 32 + x)] = edge ? 0xFF000000u : (y < 9 ? 0xFF1E5AC8u : 0xFFFFFFFFu);
        }
    return pixels;
}

SDL_SystemCursor systemKindFor(ULONG_PTR id)
{
    switch (id) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32646: return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

SDL_Cursor* sdlCursorFor(HCURSOR cursor)
{
    CursorState& state = cursors();
    auto cached = state.sdlCursors.find(cursor);
    if (cached != state.sdlCursors.end()) return cached->second;
    SDL_Cursor* made = nullptr;
    auto kind = state.systemKind.find(cursor);
    if (kind != state.systemKind.end()) {
        made = SDL_CreateSystemCursor(kind->second);
    } else {
        platform::IconPixels pixels;
        if (platform::iconPixels(cursor, &pixels) && pixels.width > 0 && pixels.height > 0) {
            SDL_Surface* surface =
                SDL_CreateRGBSurfaceWithFormatFrom(pixels.argbTopDown.data(), pixels.width, pixels.height, 32,
                                                   pixels.width * 4, SDL_PIXELFORMAT_ARGB8888);
            if (surface) {
                made = SDL_CreateColorCursor(surface, pixels.hotX, pixels.hotY);
                SDL_FreeSurface(surface);
            }
        }
    }
    if (made) state.sdlCursors[cursor] = made;
    return made;
}

void applyCursor()
{
    CursorState& state = cursors();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    const bool visible = state.current && state.showCount >= 0;
    if (visible) {
        SDL_Cursor* cursor = sdlCursorFor(state.current);
        if (cursor && cursor != state.applied) {
            SDL_SetCursor(cursor);
            state.applied = cursor;
        }
    }
    if ((SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE) != visible) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void releaseClip()
{
    CursorState& state = cursors();
    if (Window* window = findWindow(state.clipWindow); window && window->sdl) {
        SDL_SetWindowMouseRect(window->sdl, nullptr);
        SDL_SetWindowGrab(window->sdl, SDL_FALSE);
    }
    state.clipWindow = nullptr;
    state.clipped = false;
}

}  // namespace

void windowGoing(HWND window)
{
    if (cursors().capture == window) ReleaseCapture();
    if (cursors().clipWindow == window) releaseClip();
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    // The program carries no cursor resources: only the system's exist.
    if (instance || !IS_INTRESOURCE(name) || !name) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
    if (id != 32512 && id != 32513 && id != 32514 && id != 32515 && id != 32646 && id != 32649) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    CursorState& state = cursors();
    auto found = state.system.find(id);
    if (found != state.system.end()) return found->second;
    // Every system cursor's image is the arrow; SDL shows the right shape.
    const std::vector<uint32_t> pixels = arrowPixels();
    HCURSOR cursor = platform::createIconFromPixels(32, 32, pixels.data(), 0, 0, true);
    if (!cursor) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    state.system[id] = cursor;
    state.systemKind[cursor] = systemKindFor(id);
    return cursor;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    if (!name || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    CursorState& state = cursors();
    const UINT key = instance ? id : 0x10000u | id;
    auto cached = state.icons.find(key);
    if (cached != state.icons.end()) return cached->second;
    HICON icon = nullptr;
    if (!instance) {
        if (id != 32512) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        const std::vector<uint32_t> pixels = applicationPixels();
        icon = platform::createIconFromPixels(32, 32, pixels.data(), 16, 16, false);
    } else {
        const platform::IconTemplate* source = platform::findIconTemplate(id);
        if (!source || source->imageCount == 0) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        const platform::IconImageTemplate& image = source->images[0];  // the largest
        icon = platform::createIconFromPixels(image.width, image.height, image.pixels, image.width / 2,
                                              image.height / 2, false);
    }
    if (!icon) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    state.icons[key] = icon;
    return icon;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor)
{
    CursorState& state = cursors();
    const HCURSOR previous = state.current;
    state.current = cursor;
    applyCursor();
    return previous;
}

HCURSOR WINAPI GetCursor(void)
{
    return cursors().current;
}

int WINAPI ShowCursor(BOOL show)
{
    CursorState& state = cursors();
    state.showCount += show ? 1 : -1;
    applyCursor();
    return state.showCount;
}

BOOL WINAPI SetCursorPos(int x, int y)
{
    if (!ensureVideo()) return FALSE;
    SDL_WarpMouseGlobal(x, y);
    noteCursorPosition(POINT{x, y});
    return TRUE;
}

HWND WINAPI SetCapture(HWND window)
{
    CursorState& state = cursors();
    if (!findWindowOrFail(window)) return nullptr;
    const HWND previous = state.capture;
    state.capture = window;
    // SDL captures only for the focused window; the layer's own capture
    // routes the mouse messages either way.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_CaptureMouse(SDL_TRUE);
    if (previous && previous != window && findWindow(previous))
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return previous;
}

BOOL WINAPI ReleaseCapture(void)
{
    CursorState& state = cursors();
    const HWND previous = state.capture;
    state.capture = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_CaptureMouse(SDL_FALSE);
    if (previous && findWindow(previous)) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture(void)
{
    return cursors().capture;
}

BOOL WINAPI ClipCursor(const RECT* rect)
{
    CursorState& state = cursors();
    releaseClip();
    if (!rect) return TRUE;
    // The pointer can be held only inside one of our windows: the active one,
    // or the first shown one.
    HWND target = activeWindow();
    if (Window* active = findWindow(target); !active || !active->sdl) {
        target = nullptr;
        for (HWND handle : allWindows())
            if (Window* window = findWindow(handle); window && window->sdl && (window->style & WS_VISIBLE)) {
                target = handle;
                break;
            }
    }
    state.clip = *rect;
    state.clipped = true;
    Window* window = findWindow(target);
    if (!window) return TRUE;
    RECT inside;
    if (!IntersectRect(&inside, rect, &window->rect)) return TRUE;
    const SDL_Rect area{static_cast<int>(inside.left - window->rect.left), static_cast<int>(inside.top - window->rect.top),
                        static_cast<int>(inside.right - inside.left), static_cast<int>(inside.bottom - inside.top)};
    SDL_SetWindowMouseRect(window->sdl, &area);
    SDL_SetWindowGrab(window->sdl, SDL_TRUE);
    state.clipWindow = target;
    return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT rect)
{
    if (!rect) return FALSE;
    CursorState& state = cursors();
    if (state.clipped) {
        *rect = state.clip;
        return TRUE;
    }
    *rect = RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                 GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return TRUE;
}

}  // extern "C"
