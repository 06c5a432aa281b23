// USER32's records: window classes, windows and the handle values that name
// them. Internal to platform/user; every USER entry point looks its window up
// here. Lookups return null for a handle that is not live (never dereferenced),
// and a window record disappears at the end of DestroyWindow, so code that
// has sent a message must look its window up again before touching it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace platform::user {

class Compositor;

// Height of the menu strip in pixels (SM_CYMENU).
constexpr int kMenuStripHeight = 20;

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    WNDCLASSA info{};  // lpszClassName and lpszMenuName point into the strings here
    std::string menuName;
};

// Finds a registered class by name or integer atom; null when none.
WindowClass* findClass(LPCSTR nameOrAtom);
// True while any window of the class exists (UnregisterClass refuses then).
bool classInUse(const WindowClass* windowClass);

struct Window {
    HWND handle = nullptr;
    WindowClass* windowClass = nullptr;
    WNDPROC procedure = nullptr;
    DWORD style = 0;  // WS_VISIBLE, WS_DISABLED, WS_MINIMIZE and WS_MAXIMIZE carry the state
    DWORD exStyle = 0;
    std::string text;
    HWND parent = nullptr;  // the owner of a top-level window, the parent of a child
    HMENU menu = nullptr;   // top-level: the menu bar; child: its id
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<uint8_t> extraBytes;  // cbWndExtra, for Get/SetWindowLong with an offset
    bool messageOnly = false;         // parent HWND_MESSAGE: no SDL window
    RECT rect{};  // screen pixels for a top-level window (menu strip + client), parent client for a child
    bool needSize = true;   // the first WM_WINDOWPOSCHANGED reports size and position
    bool destroying = false;
    bool fullscreenSeen = false;  // SDL's full-screen flag at the last geometry event

    // Painting: the update rectangle, and whether it still needs its background.
    bool paintPending = false;
    bool erasePending = false;
    RECT updateRect{};
    RECT eraseRect{};  // what the WM_ERASEBKGND being sent covers

    // An interactive move or resize noticed from the window manager's events.
    bool inSizeMove = false;
    uint32_t sizeMoveDeadline = 0;

    SDL_Window* sdl = nullptr;
    uint32_t sdlId = 0;
    std::unique_ptr<Compositor> compositor;

    Window();
    ~Window();
    bool topLevel() const { return !(style & WS_CHILD); }
    bool hasMenuStrip() const { return topLevel() && !messageOnly && menu != nullptr; }
};

// The live window behind a handle; null for anything else.
Window* findWindow(HWND window);
// The same, setting ERROR_INVALID_WINDOW_HANDLE when there is none.
Window* findWindowOrFail(HWND window);
// The top-level window that `window` is or sits in; null for a stale handle.
HWND topLevelOf(HWND window);
Window* findWindowBySdlId(uint32_t sdlId);
HWND addWindow(std::unique_ptr<Window> window);
// Frees the record: the handle becomes stale.
void removeWindow(HWND window);
// Every live window in creation order (a copy: windows may go while it is walked).
std::vector<HWND> allWindows();
// The same list itself, for walks that send no message and change no window:
// the per-frame paths use it, as they must not allocate.
const std::vector<HWND>& liveWindows();

// A fresh value for a USER handle (windows, menus, accelerator tables):
// multiples of 4 from 0x10010, never reused within the process.
uintptr_t newHandleValue();

// Geometry helpers. Client rectangles are in client coordinates (0, 0, w, h).
int clientTop(const Window& window);
SIZE clientSize(const Window& window);
// The client origin in screen pixels.
POINT clientOrigin(const Window& window);

}  // namespace platform::user
