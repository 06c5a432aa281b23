#include "tools/rc_compile/system_symbols.h"

#include <strings.h>

namespace rc {

namespace {

// Published virtual-key codes. Letters and digits have no VK_ names: their
// codes are the uppercase ASCII characters, written "X" in a script.
const SystemSymbol table[] = {
    {"VK_BACK", 0x08},   {"VK_TAB", 0x09},    {"VK_RETURN", 0x0D}, {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12},  {"VK_PAUSE", 0x13},  {"VK_ESCAPE", 0x1B},
    {"VK_SPACE", 0x20},  {"VK_PRIOR", 0x21},  {"VK_NEXT", 0x22},   {"VK_END", 0x23},
    {"VK_HOME", 0x24},   {"VK_LEFT", 0x25},   {"VK_UP", 0x26},     {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},   {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E}, {"VK_F1", 0x70},
    {"VK_F2", 0x71},     {"VK_F3", 0x72},     {"VK_F4", 0x73},     {"VK_F5", 0x74},
    {"VK_F6", 0x75},     {"VK_F7", 0x76},     {"VK_F8", 0x77},     {"VK_F9", 0x78},
    {"VK_F10", 0x79},    {"VK_F11", 0x7A},    {"VK_F12", 0x7B},    {nullptr, 0},
};

const char* const headers[] = {"windows.h", "winresrc.h", "winres.h", "winuser.h"};

}  // namespace

bool isKnownSystemHeader(const char* name)
{
    for (const char* header : headers)
        if (strcasecmp(header, name) == 0) return true;
    return false;
}

const SystemSymbol* systemSymbols()
{
    return table;
}

}  // namespace rc
