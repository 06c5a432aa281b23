// Window operations the USER modules share: SDL start-up, the frame and
// position notifications Windows sends around a geometry change, activation,
// and redrawing the strip. Internal to platform/user; every function accepts
// a stale handle and then does nothing (returning false/null).
#pragma once

#include <windows.h>

namespace platform::user {

// WINDOWPOS flags Windows keeps internal: DefWindowProc's WM_WINDOWPOSCHANGED
// sends WM_MOVE / WM_SIZE unless the client area kept its place / size, and
// always WM_SIZE for a minimize, maximize or restore.
constexpr UINT kSwpNoClientSize = 0x0800;
constexpr UINT kSwpNoClientMove = 0x1000;
constexpr UINT kSwpStateChanged = 0x8000;

// Starts SDL's video subsystem once; false (with SDL's reason logged) if it cannot.
bool ensureVideo();

// The client area changed without the window rectangle changing (the menu
// strip came or went): WM_WINDOWPOSCHANGING/CHANGED with SWP_FRAMECHANGED,
// hence WM_SIZE when the client size differs, and the compositor follows.
// `clientBefore` and `originBefore` are the client size and screen origin
// before the change.
void frameChanged(HWND window, SIZE clientBefore, POINT originBefore);

// Moves or sizes a window to `rect` (screen pixels for a top-level window)
// with the published notifications; `flags` are SWP_* flags. `fromSystem`
// marks a change the window manager already made (no SDL call then).
// `clientBefore`/`originBefore`, when given, stand for the client geometry
// before a change already made to the record (the menu strip).
bool moveWindow(HWND window, const RECT& rect, UINT flags, bool fromSystem, const SIZE* clientBefore = nullptr,
                const POINT* originBefore = nullptr);

// The window manager's frame (title bar, border, resizing) as the style asks.
// SDL ignores a change of frame while its window is full screen, so leaving
// full screen applies the style again.
void applyStyleToFrame(HWND window);

// WM_SIZE and WM_MOVE as DefWindowProc sends them for WM_WINDOWPOSCHANGED.
void sendSizeMessage(HWND window);
void sendMoveMessage(HWND window);

// Minimized (WS_MINIMIZE), maximized (WS_MAXIMIZE) or normal (0): the
// window's record follows and WM_SIZE reports it.
void setShowState(HWND window, DWORD state);

// Adds to the update region (client coordinates, null for all of it).
void invalidateClient(HWND window, const RECT* rect, bool erase);
// Sends WM_ERASEBKGND now when the background is still due, as Windows does
// for top-level windows the system uncovers.
void eraseNow(HWND window);

// Activation as Windows performs it: WM_ACTIVATEAPP on the first window of
// the program, WM_NCACTIVATE, WM_ACTIVATE and WM_SETFOCUS; the reverse on
// deactivation. `other` is the window on the other side, when known.
void activateWindow(HWND window);
void deactivateWindow(HWND window, HWND other);
HWND activeWindow();

// The window's menu strip changed look (open popup, highlight, enable state):
// composite it again and show it.
void redrawWindow(HWND window);

// Asks the window for its tracking limits (WM_GETMINMAXINFO) and gives the
// minimum to SDL; returns the filled record.
MINMAXINFO queryMinMaxInfo(HWND window);

}  // namespace platform::user
