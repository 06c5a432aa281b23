// What a resource script compiles to, before it is written out as C++ tables:
// menus, accelerator tables, icon groups with decoded pixels and dialog
// templates. Filled by the
// parser, read by the table writer and by tests. Plain values; no failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rc {

struct MenuItem {
    std::string text;  // '&' and the tab before the shortcut text kept
    uint32_t id = 0;   // 0 for popups and separators
    bool popup = false;
    bool separator = false;
    bool grayed = false;
    bool checked = false;
    std::vector<MenuItem> children;
};

struct Menu {
    uint32_t id = 0;
    std::vector<MenuItem> items;
};

// The published ACCEL flag values.
constexpr uint8_t AccelVirtKey = 0x01;
constexpr uint8_t AccelNoInvert = 0x02;
constexpr uint8_t AccelShift = 0x04;
constexpr uint8_t AccelControl = 0x08;
constexpr uint8_t AccelAlt = 0x10;

struct Accelerator {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t command = 0;
};

struct AcceleratorTable {
    uint32_t id = 0;
    std::vector<Accelerator> entries;
};

// 0xAARRGGBB, top-down, straight (not premultiplied) alpha.
struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

struct IconGroup {
    uint32_t id = 0;
    std::vector<IconImage> images;  // largest first
};

// One control of a dialog template, with the styles the system's compiler
// gives it: the statement's defaults, WS_CHILD | WS_VISIBLE, and the
// script's own flags (NOT removes).
struct DialogControl {
    std::string className;  // "Button", "Static", "ComboBox", "Edit", "ListBox", "ScrollBar" or the script's name
    std::string text;
    uint32_t id = 0;        // 0xFFFF (DIALOG) or 0xFFFFFFFF (DIALOGEX) for -1
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    uint32_t style = 0;
    uint32_t exStyle = 0;
};

struct Dialog {
    uint32_t id = 0;
    bool extended = false;  // DIALOGEX
    int x = 0, y = 0, width = 0, height = 0;  // dialog units
    uint32_t style = 0;
    uint32_t exStyle = 0;
    std::string caption;
    int pointSize = 0;  // 0 without a FONT statement
    std::string faceName;
    int weight = 0;
    bool italic = false;
    uint32_t charset = 0;
    std::vector<DialogControl> controls;  // in script order, the tab order
};

// Each list in script order.
struct Resources {
    std::vector<Menu> menus;
    std::vector<AcceleratorTable> accelerators;
    std::vector<IconGroup> icons;
    std::vector<Dialog> dialogs;
};

}  // namespace rc
