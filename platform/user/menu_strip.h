// The menu strip: where the items of a window's menu bar and of its open
// popup lie (in drawable pixels of the SDL window, the strip being rows 0 to
// kMenuStripHeight - 1), and their drawing with Dear ImGui. The layout is the
// one both the drawing and the menu loop's hit tests use. Called by the
// compositor (inside an ImGui frame), the menu loop and the automation seam.
// Layout queries return false / empty for a window without a menu.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ImDrawList;

namespace platform::user {

class Compositor;

struct PopupLayout {
    RECT frame{};
    std::vector<RECT> items;  // one per item, separators included
};

// One rectangle per top-level item of the window's menu bar; the second form
// refills the caller's vector, so that drawing every frame does not allocate.
std::vector<RECT> menuBarLayout(HWND window);
void menuBarLayout(HWND window, std::vector<RECT>* rects);
// The popup of top-level item `barIndex`, as it opens below its item.
bool menuPopupLayout(HWND window, int barIndex, PopupLayout* out);

// An item text as shown: '&' removed ("&&" gives '&'), split at the tab into
// the label and the right-aligned shortcut; `mnemonic` is the index in the
// label of the underlined letter, or -1.
struct ItemText {
    std::string label;
    std::string shortcut;
    int mnemonic = -1;
};
ItemText splitItemText(const std::string& text);

// Draws the strip and, while the menu loop tracks this window, its open popup.
void paintMenuStrip(HWND window, const Compositor& compositor, ImDrawList* list);
// True while paintMenuStrip draws nothing below the strip: no popup of the
// window's menu is open.
bool menuStripOnly(HWND window);

}  // namespace platform::user
