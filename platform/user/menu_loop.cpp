// The modal menu loop and the menu's handling of mouse and keys; see menu_loop.h.
#include "platform/user/menu_loop.h"

#include "platform/user/menu_model.h"
#include "platform/user/menu_strip.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <cctype>

namespace platform::user {

namespace {

MenuTracking* current = nullptr;

Menu* popupMenu(const MenuTracking& tracking, int barIndex)
{
    Menu* bar = findMenu(tracking.bar);
    if (!bar || barIndex < 0 || static_cast<size_t>(barIndex) >= bar->items.size()) return nullptr;
    return findMenu(bar->items[static_cast<size_t>(barIndex)].popup);
}

int barCount(const MenuTracking& tracking)
{
    Menu* bar = findMenu(tracking.bar);
    return bar ? static_cast<int>(bar->items.size()) : 0;
}

void sendSelect(MenuTracking& tracking)
{
    Menu* bar = findMenu(tracking.bar);
    if (!bar || tracking.barIndex < 0) return;
    const MenuItem& top = bar->items[static_cast<size_t>(tracking.barIndex)];
    if (tracking.popupOpen && tracking.itemIndex >= 0) {
        Menu* popup = popupMenu(tracking, tracking.barIndex);
        if (!popup) return;
        const MenuItem& item = popup->items[static_cast<size_t>(tracking.itemIndex)];
        const WORD id = item.popup ? static_cast<WORD>(tracking.itemIndex) : static_cast<WORD>(item.id);
        SendMessageA(tracking.window, WM_MENUSELECT, MAKEWPARAM(id, static_cast<WORD>(item.flags | MF_HILITE)),
                     reinterpret_cast<LPARAM>(popup->handle));
    } else {
        SendMessageA(tracking.window, WM_MENUSELECT,
                     MAKEWPARAM(static_cast<WORD>(tracking.barIndex), static_cast<WORD>(top.flags | MF_HILITE)),
                     reinterpret_cast<LPARAM>(bar->handle));
    }
}

void closePopup(MenuTracking& tracking)
{
    if (!tracking.popupOpen) return;
    tracking.popupOpen = false;
    tracking.itemIndex = -1;
    if (Menu* popup = popupMenu(tracking, tracking.barIndex))
        SendMessageA(tracking.window, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(popup->handle), 0);
}

int firstSelectable(const Menu& popup, int from, int step)
{
    const int count = static_cast<int>(popup.items.size());
    for (int n = 0, i = from; n < count; ++n, i = (i + step + count) % count)
        if (!popup.items[static_cast<size_t>(i)].separator()) return i;
    return -1;
}

// Opens the popup of bar item `index`; `highlightFirst` when the keyboard opened it.
void openPopup(MenuTracking& tracking, int index, bool highlightFirst)
{
    if (tracking.popupOpen && tracking.barIndex == index) return;
    closePopup(tracking);
    tracking.barIndex = index;
    Menu* popup = popupMenu(tracking, index);
    sendSelect(tracking);
    if (!popup) {
        redrawWindow(tracking.window);
        return;
    }
    SendMessageA(tracking.window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->handle),
                 MAKELPARAM(static_cast<WORD>(index), FALSE));
    tracking.popupOpen = true;
    popup = popupMenu(tracking, index);  // the window may have changed it
    tracking.itemIndex = highlightFirst && popup ? firstSelectable(*popup, 0, 1) : -1;
    if (tracking.itemIndex >= 0) sendSelect(tracking);
    redrawWindow(tracking.window);
}

void choose(MenuTracking& tracking, int itemIndex)
{
    Menu* popup = popupMenu(tracking, tracking.barIndex);
    if (!popup || itemIndex < 0 || static_cast<size_t>(itemIndex) >= popup->items.size()) return;
    const MenuItem& item = popup->items[static_cast<size_t>(itemIndex)];
    if (item.separator() || item.popup) return;
    tracking.done = true;
    if (item.enabled()) tracking.chosen = item.id;
}

int itemAt(const MenuTracking& tracking, POINT drawable)
{
    PopupLayout layout;
    if (!tracking.popupOpen || !menuPopupLayout(tracking.window, tracking.barIndex, &layout)) return -1;
    for (size_t i = 0; i < layout.items.size(); ++i)
        if (PtInRect(&layout.items[i], drawable)) return static_cast<int>(i);
    return -1;
}

int barItemAt(const MenuTracking& tracking, POINT drawable)
{
    const std::vector<RECT> rects = menuBarLayout(tracking.window);
    for (size_t i = 0; i < rects.size(); ++i)
        if (PtInRect(&rects[i], drawable)) return static_cast<int>(i);
    return -1;
}

bool inPopupFrame(const MenuTracking& tracking, POINT drawable)
{
    PopupLayout layout;
    return tracking.popupOpen && menuPopupLayout(tracking.window, tracking.barIndex, &layout) &&
           PtInRect(&layout.frame, drawable);
}

POINT toDrawable(const MenuTracking& tracking, POINT screen)
{
    Window* window = findWindow(tracking.window);
    if (!window) return POINT{-1, -1};
    return POINT{screen.x - window->rect.left, screen.y - window->rect.top};
}

void highlightItem(MenuTracking& tracking, int index)
{
    if (tracking.itemIndex == index) return;
    tracking.itemIndex = index;
    if (index >= 0) sendSelect(tracking);
    redrawWindow(tracking.window);
}

}  // namespace

const MenuTracking* menuTracking()
{
    return current;
}

void cancelMenuLoop()
{
    if (current) current->done = true;
}

void menuMouseInput(UINT message, POINT screen)
{
    if (!current || current->done) return;
    MenuTracking& tracking = *current;
    const POINT point = toDrawable(tracking, screen);
    const int bar = barItemAt(tracking, point);
    const int item = itemAt(tracking, point);
    switch (message) {
    case WM_MOUSEMOVE:
        if (bar >= 0 && tracking.popupOpen && bar != tracking.barIndex) {
            openPopup(tracking, bar, false);
        } else if (inPopupFrame(tracking, point)) {
            Menu* popup = popupMenu(tracking, tracking.barIndex);
            const bool separator = popup && item >= 0 && popup->items[static_cast<size_t>(item)].separator();
            highlightItem(tracking, separator ? -1 : item);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        if (bar >= 0) {
            // A press on the open item closes the menu, as on Windows.
            if (tracking.popupOpen && bar == tracking.barIndex) tracking.done = true;
            else openPopup(tracking, bar, false);
        } else if (!inPopupFrame(tracking, point)) {
            tracking.done = true;  // a press outside the menu ends it and is not passed on
        } else if (item >= 0) {
            highlightItem(tracking, item);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (item >= 0) choose(tracking, item);
        break;
    default: break;
    }
}

void menuKeyInput(UINT key)
{
    if (!current || current->done) return;
    MenuTracking& tracking = *current;
    const int count = barCount(tracking);
    if (count == 0) {
        tracking.done = true;
        return;
    }
    Menu* popup = tracking.popupOpen ? popupMenu(tracking, tracking.barIndex) : nullptr;
    switch (key) {
    case VK_MENU:
    case VK_F10: tracking.done = true; return;
    case VK_ESCAPE:
        if (tracking.popupOpen) {
            closePopup(tracking);
            redrawWindow(tracking.window);
        } else {
            tracking.done = true;
        }
        return;
    case VK_LEFT:
    case VK_RIGHT: {
        const int step = key == VK_RIGHT ? 1 : count - 1;
        const int next = ((tracking.barIndex < 0 ? 0 : tracking.barIndex) + step) % count;
        if (tracking.popupOpen) {
            openPopup(tracking, next, true);
        } else {
            tracking.barIndex = next;
            sendSelect(tracking);
            redrawWindow(tracking.window);
        }
        return;
    }
    case VK_UP:
    case VK_DOWN:
        if (!popup) {
            openPopup(tracking, tracking.barIndex < 0 ? 0 : tracking.barIndex, true);
        } else if (!popup->items.empty()) {
            const int step = key == VK_DOWN ? 1 : -1;
            const int size = static_cast<int>(popup->items.size());
            const int from = tracking.itemIndex < 0 ? (step > 0 ? 0 : size - 1)
                                                    : (tracking.itemIndex + step + size) % size;
            highlightItem(tracking, firstSelectable(*popup, from, step));
        }
        return;
    case VK_RETURN:
        if (!popup) openPopup(tracking, tracking.barIndex < 0 ? 0 : tracking.barIndex, true);
        else if (tracking.itemIndex >= 0) choose(tracking, tracking.itemIndex);
        else tracking.done = true;
        return;
    default: break;
    }
    if (!((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) return;
    const char letter = static_cast<char>(std::tolower(static_cast<int>(key)));
    if (popup) {
        for (size_t i = 0; i < popup->items.size(); ++i)
            if (mnemonicOf(popup->items[i].text) == letter) {
                choose(tracking, static_cast<int>(i));
                return;
            }
    } else if (Menu* bar = findMenu(tracking.bar)) {
        for (size_t i = 0; i < bar->items.size(); ++i)
            if (mnemonicOf(bar->items[i].text) == letter) {
                openPopup(tracking, static_cast<int>(i), true);
                return;
            }
    }
    MessageBeep(0);
}

void runMenuLoop(HWND handle, bool byKeyboard, char key, POINT screenPoint)
{
    Window* window = findWindow(handle);
    if (current || !window || !window->hasMenuStrip() || !findMenu(window->menu) || (window->style & WS_DISABLED))
        return;
    MenuTracking tracking;
    tracking.window = handle;
    tracking.bar = window->menu;
    current = &tracking;

    SendMessageA(handle, WM_ENTERMENULOOP, FALSE, 0);
    if (findWindow(handle)) SendMessageA(handle, WM_INITMENU, reinterpret_cast<WPARAM>(tracking.bar), 0);
    if (!findWindow(handle)) tracking.done = true;
    if (!tracking.done) {
        if (!byKeyboard) {
            const int bar = barItemAt(tracking, toDrawable(tracking, screenPoint));
            if (bar >= 0) openPopup(tracking, bar, false);
            else tracking.done = true;
        } else if (key) {
            menuKeyInput(static_cast<UINT>(std::toupper(static_cast<unsigned char>(key))));
            if (!tracking.popupOpen) tracking.done = true;  // no item has that letter
        } else {
            tracking.barIndex = 0;
            sendSelect(tracking);
            redrawWindow(handle);
        }
    }

    // Other messages keep flowing to their windows while the menu is open.
    while (!tracking.done && findWindow(handle) && !quitPending()) {
        MSG message;
        if (takeMessage(&message, nullptr, WM_QUIT + 1, 0xFFFFFFFFu, true) ||
            takeMessage(&message, nullptr, 0, WM_QUIT - 1, true)) {
            DispatchMessageA(&message);
            continue;
        }
        if (!tracking.done) waitForEvents();
    }

    const bool alive = findWindow(handle) != nullptr;
    if (alive) {
        closePopup(tracking);
        SendMessageA(handle, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    }
    current = nullptr;
    if (alive) {
        redrawWindow(handle);
        SendMessageA(handle, WM_EXITMENULOOP, FALSE, 0);
    }
    if (alive && tracking.chosen) PostMessageA(handle, WM_COMMAND, MAKEWPARAM(tracking.chosen, 0), 0);
}

}  // namespace platform::user
