// Accelerator tables: LoadAcceleratorsA from the program's resources,
// CreateAcceleratorTableA, DestroyAcceleratorTable, and TranslateAcceleratorA
// with Windows' matching rules: a virtual-key entry matches WM_KEYDOWN or
// WM_SYSKEYDOWN when Shift, Ctrl and Alt in the key state table equal its
// flags; a character entry matches WM_CHAR/WM_SYSCHAR. The command is sent
// as WM_COMMAND with HIWORD(wParam) 1, unless the menu item it names is
// disabled, the window is disabled or the mouse is captured.
#include "platform/resources/resource_tables.h"
#include "platform/user/menu_model.h"
#include "platform/user/user_state.h"

#include <map>
#include <memory>
#include <vector>

namespace platform::user {

namespace {

std::map<HACCEL, std::vector<ACCEL>>& tables()
{
    static auto* all = new std::map<HACCEL, std::vector<ACCEL>>;
    return *all;
}

HACCEL addTable(std::vector<ACCEL> entries)
{
    const HACCEL handle = reinterpret_cast<HACCEL>(newHandleValue());
    tables().emplace(handle, std::move(entries));
    return handle;
}

BYTE modifierState()
{
    BYTE mask = 0;
    if (GetKeyState(VK_SHIFT) & 0x8000) mask |= FSHIFT;
    if (GetKeyState(VK_CONTROL) & 0x8000) mask |= FCONTROL;
    if (GetKeyState(VK_MENU) & 0x8000) mask |= FALT;
    return mask;
}

bool matches(const ACCEL& entry, const MSG& msg)
{
    const BYTE modifiers = modifierState();
    if (entry.fVirt & FVIRTKEY) {
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
        return msg.wParam == entry.key && (entry.fVirt & (FSHIFT | FCONTROL | FALT)) == modifiers;
    }
    if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
    return msg.wParam == entry.key && (entry.fVirt & FALT) == (modifiers & FALT);
}

// Sends the command unless Windows would withhold it; the message counts as
// handled either way.
void runCommand(HWND window, WORD command)
{
    Window* record = findWindow(window);
    if (!record) return;
    HMENU bar = record->topLevel() ? record->menu : nullptr;
    HMENU owner = nullptr;
    MenuItem* item = findMenu(bar) ? findMenuItem(bar, command, MF_BYCOMMAND, &owner) : nullptr;
    if (item) {
        if (GetCapture() || (record->style & WS_DISABLED)) return;
        SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
        if (owner != bar)
            if (Menu* top = findMenu(bar))
                for (size_t i = 0; i < top->items.size(); ++i)
                    if (top->items[i].popup == owner)
                        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(owner),
                                     MAKELPARAM(static_cast<WORD>(i), FALSE));
        // The window may have changed the item while initialising the menu.
        item = findMenu(bar) ? findMenuItem(bar, command, MF_BYCOMMAND) : nullptr;
        if (item && !item->enabled()) return;
        if (IsIconic(window)) return;
    }
    if (!findWindow(window)) return;
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, 1), 0);
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

extern "C" {

HACCEL WINAPI CreateAcceleratorTableA(LPACCEL entries, int count)
{
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return addTable(std::vector<ACCEL>(entries, entries + count));
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE, LPCSTR name)
{
    const platform::AcceleratorTemplate* source =
        IS_INTRESOURCE(name) && name
            ? platform::findAcceleratorTemplate(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)))
            : nullptr;
    if (!source) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::vector<ACCEL> entries;
    for (size_t i = 0; i < source->entryCount; ++i)
        entries.push_back(ACCEL{source->entries[i].fVirt, source->entries[i].key, source->entries[i].cmd});
    return addTable(std::move(entries));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL table)
{
    if (tables().erase(table) == 0) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return FALSE;
    }
    return TRUE;
}

int WINAPI TranslateAcceleratorA(HWND window, HACCEL table, LPMSG msg)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto found = tables().find(table);
    if (found == tables().end()) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    if (!findWindowOrFail(window)) return 0;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN && msg->message != WM_CHAR &&
        msg->message != WM_SYSCHAR)
        return 0;
    // A copy: the command may destroy the table.
    const std::vector<ACCEL> entries = found->second;
    for (const ACCEL& entry : entries) {
        if (!matches(entry, *msg)) continue;
        runCommand(window, entry.cmd);
        return 1;
    }
    return 0;
}

}  // extern "C"
