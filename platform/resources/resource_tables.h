// The program's own resources as the build compiled them from the resource
// script: menu templates, accelerator tables, icons and dialog templates. The generated tables are read-only and live for the program.
// Lookups return null for an id the script does not define.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace platform {

// One menu item; a popup has children, a separator has neither text nor id.
struct MenuItemTemplate {
    const char* text;  // as in the script, '&' mnemonics and "\t" shortcut text kept
    UINT id;           // command id; 0 for popups and separators
    bool popup;
    bool separator;
    bool grayed;
    bool checked;
    const MenuItemTemplate* children;
    size_t childCount;
};

struct MenuTemplate {
    UINT id;
    const MenuItemTemplate* items;
    size_t itemCount;
};

// Same fields as the published ACCEL record.
struct AcceleratorEntry {
    BYTE fVirt;  // FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT
    WORD key;
    WORD cmd;
};

struct AcceleratorTemplate {
    UINT id;
    const AcceleratorEntry* entries;
    size_t entryCount;
};

// One image of an icon group, decoded at build time: 0xAARRGGBB, top-down.
struct IconImageTemplate {
    int width;
    int height;
    const uint32_t* pixels;
};

struct IconTemplate {
    UINT id;
    const IconImageTemplate* images;  // largest first
    size_t imageCount;
};

// One control of a dialog template, in tab order, with the styles the
// resource compiler gave it (WS_CHILD | WS_VISIBLE and the statement's own).
struct DialogControlTemplate {
    const char* className;  // "Button", "Static", "ComboBox", ...
    const char* text;       // '&' mnemonics kept
    UINT id;                // 0xFFFF (DIALOG) or 0xFFFFFFFF (DIALOGEX) for a control without one
    int x, y, width, height;  // dialog units
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate {
    UINT id;
    bool extended;  // DIALOGEX
    int x, y, width, height;  // dialog units; the size is the client area's
    DWORD style;
    DWORD exStyle;
    const char* caption;
    int pointSize;  // 0 without a FONT statement
    const char* faceName;
    int weight;
    bool italic;
    const DialogControlTemplate* controls;
    size_t controlCount;
};

const MenuTemplate* findMenuTemplate(UINT id);
const AcceleratorTemplate* findAcceleratorTemplate(UINT id);
const IconTemplate* findIconTemplate(UINT id);
const DialogTemplate* findDialogTemplate(UINT id);

}  // namespace platform
