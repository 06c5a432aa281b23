// What a resource script compiles to, before it is written out as C++ tables:
// menus, accelerator tables and icon groups with decoded pixels. Filled by the
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

// Each list in script order.
struct Resources {
    std::vector<Menu> menus;
    std::vector<AcceleratorTable> accelerators;
    std::vector<IconGroup> icons;
};

}  // namespace rc
