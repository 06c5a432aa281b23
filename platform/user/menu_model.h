// The Win32 state of menus: menu bars and popups with their items, command
// ids and enable/check flags. Owned here (menu.cpp) for the program's life of
// each HMENU; read by the strip (menu_strip.cpp), the menu loop and
// TranslateAccelerator. Lookups return null for a handle that is not live.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform::user {

struct MenuItem {
    UINT flags = 0;      // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_CHECKED
    UINT id = 0;         // command id; 0 for popups and separators
    HMENU popup = nullptr;
    std::string text;    // '&' mnemonics and the "\t" shortcut text kept

    bool separator() const { return (flags & MF_SEPARATOR) != 0; }
    bool enabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
};

struct Menu {
    HMENU handle = nullptr;
    bool popup = false;
    std::vector<MenuItem> items;
};

Menu* findMenu(HMENU menu);

// Finds an item by command (searching popups depth-first, as Windows does) or
// by position; `owner` receives the menu that holds it. Null when none.
MenuItem* findMenuItem(HMENU menu, UINT item, UINT flags, HMENU* owner = nullptr);

// The mnemonic letter of an item text ("E&xit" gives 'x', lower case), 0 when none.
char mnemonicOf(const std::string& text);

}  // namespace platform::user
