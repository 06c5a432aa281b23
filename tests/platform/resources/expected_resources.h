// What resources/quorvane31.rc defines and the program relies on: the menu
// bar's popups and items, the accelerator entries and the settings dialog's
// template, in script order. The
// Linux table test and the Windows API test both compare against this list,
// so the two targets are held to the one script.
#pragma once

#include <windows.h>

#include <cstddef>

#include "resources/resource_ids.h"

namespace expected {

struct MenuEntry {
    const char* text;  // null for a separator
    unsigned id;
};

struct Popup {
    const char* text;
    const MenuEntry* items;
    size_t itemCount;
};

inline const MenuEntry fileItems[] = {
    {"&Reset", IDM_RESET},
    {nullptr, 0},
    {"Config &display...\tF2", IDM_CHANGE_DEVICE},
    {nullptr, 0},
    {"E&xit\tESC", IDM_EXIT},
};

inline const MenuEntry helpItems[] = {
    {"&About Quorvane31...", IDM_ABOUT},
};

inline const Popup menuBar[] = {
    {"&File", fileItems, sizeof fileItems / sizeof fileItems[0]},
    {"&Help", helpItems, sizeof helpItems / sizeof helpItems[0]},
};
constexpr size_t menuBarCount = sizeof menuBar / sizeof menuBar[0];

// The published ACCEL flag values (FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT).
constexpr unsigned char VirtKey = 0x01;
constexpr unsigned char NoInvert = 0x02;
constexpr unsigned char Shift = 0x04;
constexpr unsigned char Control = 0x08;
constexpr unsigned char Alt = 0x10;

struct Accelerator {
    unsigned char flags;
    unsigned short key;
    unsigned short command;
};

inline const Accelerator accelerators[] = {
    {VirtKey | NoInvert, VK_ESCAPE, IDM_EXIT},
    {VirtKey | NoInvert, VK_F2, IDM_CHANGE_DEVICE},
    {VirtKey | NoInvert | Alt, VK_RETURN, IDM_TOGGLE_FULLSCREEN},
    {VirtKey | NoInvert | Alt, 'X', IDM_EXIT},
};
constexpr size_t acceleratorCount = sizeof accelerators / sizeof accelerators[0];

// The icon group's images, largest first.
constexpr int iconSizes[] = {32, 16};

// The settings dialog (template IDD_SELECTDEVICE): a centred modal pop-up
// with caption and system menu, its size in dialog units, and the controls
// in tab order with their classes, texts, ids and rectangles.
constexpr unsigned long dialogStyle = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr int dialogWidth = 289;
constexpr int dialogHeight = 302;
constexpr const char* dialogCaption = "Direct3D Settings";
constexpr const char* dialogFace = "MS Shell Dlg";
constexpr int dialogPointSize = 8;

enum class Kind { GroupBox, Label, DropDownList, RadioButton, DefaultButton, Button };

struct DialogItem {
    Kind kind;
    const char* text;
    int id;  // -1 for the labels and group boxes
    int x, y, width, height;
    bool startsGroup;
};

constexpr int NoId = -1;

inline const DialogItem dialogControls[] = {
    {Kind::GroupBox, "Adapter and device", NoId, 5, 5, 276, 47, false},
    {Kind::Label, "Display &Adapter:", NoId, 16, 17, 98, 10, true},
    {Kind::DropDownList, "", IDC_ADAPTER_COMBO, 124, 15, 149, 100, false},
    {Kind::Label, "Render &Device:", NoId, 16, 34, 98, 10, true},
    {Kind::DropDownList, "", IDC_DEVICE_COMBO, 124, 32, 149, 100, false},
    {Kind::GroupBox, "Display mode settings", NoId, 5, 56, 276, 98, false},
    {Kind::RadioButton, "&Windowed", IDC_WINDOWED_RADIO, 16, 68, 98, 15, true},
    {Kind::RadioButton, "&Fullscreen", IDC_FULLSCREEN_RADIO, 16, 83, 98, 15, false},
    {Kind::Label, "Adapter F&ormat:", NoId, 16, 103, 98, 8, true},
    {Kind::DropDownList, "", IDC_ADAPTERFORMAT_COMBO, 124, 101, 149, 204, true},
    {Kind::Label, "&Resolution:", NoId, 16, 120, 98, 8, true},
    {Kind::DropDownList, "", IDC_RESOLUTION_COMBO, 124, 118, 149, 204, true},
    {Kind::Label, "R&efresh Rate:", NoId, 16, 137, 98, 8, true},
    {Kind::DropDownList, "", IDC_REFRESHRATE_COMBO, 124, 135, 149, 204, true},
    {Kind::GroupBox, "Device settings", NoId, 7, 158, 274, 118, false},
    {Kind::Label, "&Back Buffer Format:", NoId, 16, 173, 98, 8, true},
    {Kind::DropDownList, "", IDC_BACKBUFFER_COMBO, 124, 170, 149, 100, false},
    {Kind::Label, "De&pth/Stencil Buffer Format:", NoId, 16, 190, 98, 8, true},
    {Kind::DropDownList, "", IDC_DEPTHSTENCIL_COMBO, 124, 187, 149, 100, false},
    {Kind::Label, "&Multisample Type:", NoId, 16, 207, 98, 10, true},
    {Kind::DropDownList, "", IDC_MULTISAMPLETYPE_COMBO, 124, 204, 149, 100, false},
    {Kind::Label, "Multisample &Quality:", NoId, 16, 224, 98, 8, true},
    {Kind::DropDownList, "", IDC_MULTISAMPLEQUALITY_COMBO, 124, 221, 149, 100, false},
    {Kind::Label, "&Vertex Processing:", NoId, 16, 241, 98, 8, true},
    {Kind::DropDownList, "", IDC_VERTEXPROCESSING_COMBO, 124, 238, 149, 100, false},
    {Kind::Label, "Present &Interval:", NoId, 16, 258, 98, 8, true},
    {Kind::DropDownList, "", IDC_PRESENTINTERVAL_COMBO, 124, 255, 149, 100, false},
    {Kind::DefaultButton, "OK", IDOK, 86, 286, 50, 14, false},
    {Kind::Button, "Cancel", IDCANCEL, 152, 286, 50, 14, false},
};
constexpr size_t dialogControlCount = sizeof dialogControls / sizeof dialogControls[0];

// The class and the style bits that make each kind, as the system's
// compiler writes them (every control is also WS_CHILD | WS_VISIBLE).
inline const char* className(Kind kind)
{
    switch (kind) {
    case Kind::Label: return "Static";
    case Kind::DropDownList: return "ComboBox";
    default: return "Button";
    }
}

inline unsigned long kindStyle(Kind kind)
{
    switch (kind) {
    case Kind::GroupBox: return BS_GROUPBOX;
    case Kind::Label: return SS_LEFT;
    case Kind::DropDownList: return CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    case Kind::RadioButton: return BS_AUTORADIOBUTTON | WS_TABSTOP;
    case Kind::DefaultButton: return BS_DEFPUSHBUTTON | WS_TABSTOP;
    case Kind::Button: return BS_PUSHBUTTON | WS_TABSTOP;
    }
    return 0;
}

inline unsigned long controlStyle(const DialogItem& control)
{
    const unsigned long group = control.startsGroup ? WS_GROUP : 0;
    // The second radio button leaves the tab stop to the first of its group.
    const unsigned long tab = control.kind == Kind::RadioButton && !control.startsGroup ? WS_TABSTOP : 0;
    return (WS_CHILD | WS_VISIBLE | kindStyle(control.kind) | group) & ~tab;
}

}  // namespace expected
