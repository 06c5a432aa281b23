// Menus: creation from the program's templates or item by item, the item
// queries and the enable/check state, and attaching a menu bar to a window.
#include "platform/resources/resource_tables.h"
#include "platform/user/menu_model.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>

namespace platform::user {

namespace {

std::map<HMENU, std::unique_ptr<Menu>>& menus()
{
    static auto* table = new std::map<HMENU, std::unique_ptr<Menu>>;
    return *table;
}

HMENU newMenu(bool popup)
{
    auto menu = std::make_unique<Menu>();
    menu->handle = reinterpret_cast<HMENU>(newHandleValue());
    menu->popup = popup;
    HMENU handle = menu->handle;
    menus().emplace(handle, std::move(menu));
    return handle;
}

Menu* findMenuOrFail(HMENU menu)
{
    Menu* found = findMenu(menu);
    if (!found) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return found;
}

MenuItem* findByCommand(Menu& menu, UINT id, HMENU* owner, int depth)
{
    if (depth > 16) return nullptr;  // a menu listed inside itself
    for (MenuItem& item : menu.items) {
        if (item.popup) {
            if (Menu* sub = findMenu(item.popup))
                if (MenuItem* found = findByCommand(*sub, id, owner, depth + 1)) return found;
        } else if (!item.separator() && item.id == id) {
            if (owner) *owner = menu.handle;
            return &item;
        }
    }
    return nullptr;
}

bool appendItem(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text)
{
    Menu* target = findMenuOrFail(menu);
    if (!target) return false;
    MenuItem item;
    item.flags = flags & (MF_POPUP | MF_SEPARATOR | MF_GRAYED | MF_DISABLED | MF_CHECKED);
    if (flags & MF_POPUP) {
        item.popup = reinterpret_cast<HMENU>(idOrPopup);
        if (!findMenu(item.popup)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return false;
        }
    } else if (!(flags & MF_SEPARATOR)) {
        item.id = static_cast<UINT>(idOrPopup & 0xFFFF);
    }
    if (!(flags & MF_SEPARATOR) && text) item.text = text;
    target->items.push_back(std::move(item));
    return true;
}

HMENU buildFromTemplate(const MenuItemTemplate* items, size_t count, bool popup)
{
    HMENU menu = newMenu(popup);
    for (size_t i = 0; i < count; ++i) {
        const MenuItemTemplate& source = items[i];
        UINT flags = source.grayed ? MF_GRAYED : 0;
        if (source.checked) flags |= MF_CHECKED;
        if (source.separator) {
            appendItem(menu, MF_SEPARATOR, 0, nullptr);
        } else if (source.popup) {
            HMENU sub = buildFromTemplate(source.children, source.childCount, true);
            appendItem(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), source.text);
        } else {
            appendItem(menu, flags, source.id, source.text);
        }
    }
    return menu;
}

void destroyRecursive(HMENU menu, int depth)
{
    auto it = menus().find(menu);
    if (it == menus().end() || depth > 16) return;
    std::unique_ptr<Menu> owned = std::move(it->second);
    menus().erase(it);
    for (const MenuItem& item : owned->items)
        if (item.popup) destroyRecursive(item.popup, depth + 1);
}

// Redraws the strip of the window whose bar holds `menu`, directly or below.
void redrawOwners(HMENU menu)
{
    for (HWND handle : allWindows()) {
        Window* window = findWindow(handle);
        if (!window || !window->hasMenuStrip()) continue;
        if (window->menu == menu) {
            redrawWindow(handle);
            continue;
        }
        if (Menu* bar = findMenu(window->menu))
            for (const MenuItem& item : bar->items)
                if (item.popup == menu) redrawWindow(handle);
    }
}

}  // namespace

Menu* findMenu(HMENU menu)
{
    auto it = menus().find(menu);
    return it == menus().end() ? nullptr : it->second.get();
}

MenuItem* findMenuItem(HMENU menu, UINT item, UINT flags, HMENU* owner)
{
    Menu* found = findMenu(menu);
    if (!found) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= found->items.size()) return nullptr;
        if (owner) *owner = menu;
        return &found->items[item];
    }
    return findByCommand(*found, item, owner, 0);
}

char mnemonicOf(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

HMENU WINAPI CreateMenu(void)
{
    return newMenu(false);
}

HMENU WINAPI CreatePopupMenu(void)
{
    return newMenu(true);
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem)
{
    if (!appendItem(menu, flags, idNewItem, newItem)) return FALSE;
    redrawOwners(menu);
    return TRUE;
}

HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR name)
{
    const platform::MenuTemplate* source =
        IS_INTRESOURCE(name) ? platform::findMenuTemplate(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)))
                             : nullptr;
    if (!source) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return buildFromTemplate(source->items, source->itemCount, false);
}

BOOL WINAPI DestroyMenu(HMENU menu)
{
    if (!findMenuOrFail(menu)) return FALSE;
    // As on Windows a window showing it keeps the stale handle and its strip,
    // which is now drawn empty.
    destroyRecursive(menu, 0);
    for (HWND handle : allWindows())
        if (Window* window = findWindow(handle); window && window->hasMenuStrip() && window->menu == menu)
            redrawWindow(handle);
    return TRUE;
}

BOOL WINAPI IsMenu(HMENU menu)
{
    return findMenu(menu) ? TRUE : FALSE;
}

BOOL WINAPI SetMenu(HWND handle, HMENU menu)
{
    Window* window = findWindowOrFail(handle);
    if (!window) return FALSE;
    if (!window->topLevel()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (menu && !findMenuOrFail(menu)) return FALSE;
    if (window->menu == menu) return TRUE;
    const SIZE clientBefore = clientSize(*window);
    const POINT originBefore = clientOrigin(*window);
    window->menu = menu;
    frameChanged(handle, clientBefore, originBefore);
    return TRUE;
}

HMENU WINAPI GetMenu(HWND handle)
{
    Window* window = findWindowOrFail(handle);
    return window && window->topLevel() ? window->menu : nullptr;
}

BOOL WINAPI DrawMenuBar(HWND handle)
{
    if (!findWindowOrFail(handle)) return FALSE;
    redrawWindow(handle);
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu)
{
    Menu* found = findMenuOrFail(menu);
    return found ? static_cast<int>(found->items.size()) : -1;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position)
{
    if (position < 0) return nullptr;
    MenuItem* item = findMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    return item ? item->popup : nullptr;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position)
{
    if (position < 0) return static_cast<UINT>(-1);
    MenuItem* item = findMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (!item || item->popup) return static_cast<UINT>(-1);
    return item->id;
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags)
{
    MenuItem* found = findMenuItem(menu, item, flags);
    if (!found) return static_cast<UINT>(-1);
    if (found->popup) {
        Menu* sub = findMenu(found->popup);
        const UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
        return (count << 8) | (found->flags & 0xFF);
    }
    return found->flags;
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int bufferLength, UINT flags)
{
    MenuItem* found = findMenuItem(menu, item, flags);
    if (!found) return 0;
    const int length = static_cast<int>(found->text.size());
    if (!buffer || bufferLength <= 0) return length;
    const int copied = std::min(length, bufferLength - 1);
    std::memcpy(buffer, found->text.data(), static_cast<size_t>(copied));
    buffer[copied] = '\0';
    return copied;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable)
{
    HMENU owner = nullptr;
    MenuItem* found = findMenuItem(menu, item, enable, &owner);
    if (!found) return -1;
    const UINT previous = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags = (found->flags & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    redrawOwners(owner);
    return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT check)
{
    HMENU owner = nullptr;
    MenuItem* found = findMenuItem(menu, item, check, &owner);
    if (!found) return static_cast<DWORD>(-1);
    const DWORD previous = found->flags & MF_CHECKED;
    found->flags = (found->flags & ~static_cast<UINT>(MF_CHECKED)) | (check & MF_CHECKED);
    redrawOwners(owner);
    return previous;
}

}  // extern "C"
