// The modal menu loop, entered from DefWindowProc on WM_SYSCOMMAND
// SC_MOUSEMENU / SC_KEYMENU. While it runs, mouse and keyboard events go to
// the menu (sdl_events.cpp routes them here) and every other message is
// dispatched as usual, so the window procedure keeps running. The loop sends
// WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT,
// WM_UNINITMENUPOPUP and WM_EXITMENULOOP, and posts WM_COMMAND for the chosen
// item after the exit, as Windows does. Nothing here fails: a window without
// a menu, disabled or gone simply ends the loop.
#pragma once

#include <windows.h>

namespace platform::user {

struct MenuTracking {
    HWND window = nullptr;
    HMENU bar = nullptr;
    int barIndex = -1;     // highlighted top-level item
    bool popupOpen = false;
    int itemIndex = -1;    // highlighted item of the open popup
    bool done = false;
    UINT chosen = 0;       // command to post after the loop; 0 for none
};

// `byKeyboard`: opened by F10/Alt (`key` 0) or Alt+letter (`key` the
// character); otherwise by a press at `screenPoint` on the strip.
void runMenuLoop(HWND window, bool byKeyboard, char key, POINT screenPoint);

// The loop in progress, or null.
const MenuTracking* menuTracking();
// Input while the loop runs; `point` in screen pixels.
void menuMouseInput(UINT message, POINT point);
void menuKeyInput(UINT virtualKey);
// Ends the loop without a command (focus lost, WM_CANCELMODE, window gone).
void cancelMenuLoop();

}  // namespace platform::user
