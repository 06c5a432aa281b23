// What resources/quorvane31.rc defines and the program relies on: the menu
// bar's popups and items and the accelerator entries, in script order. The
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

}  // namespace expected
