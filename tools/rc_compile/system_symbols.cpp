#include "tools/rc_compile/system_symbols.h"

#include <strings.h>

namespace rc {

namespace {

// Published values. Letters and digits have no VK_ names: their
// codes are the uppercase ASCII characters, written "X" in a script.
const SystemSymbol table[] = {
    {"VK_BACK", 0x08},   {"VK_TAB", 0x09},    {"VK_RETURN", 0x0D}, {"VK_SHIFT", 0x10},
    {"VK_CONTROL", 0x11}, {"VK_MENU", 0x12},  {"VK_PAUSE", 0x13},  {"VK_ESCAPE", 0x1B},
    {"VK_SPACE", 0x20},  {"VK_PRIOR", 0x21},  {"VK_NEXT", 0x22},   {"VK_END", 0x23},
    {"VK_HOME", 0x24},   {"VK_LEFT", 0x25},   {"VK_UP", 0x26},     {"VK_RIGHT", 0x27},
    {"VK_DOWN", 0x28},   {"VK_INSERT", 0x2D}, {"VK_DELETE", 0x2E}, {"VK_F1", 0x70},
    {"VK_F2", 0x71},     {"VK_F3", 0x72},     {"VK_F4", 0x73},     {"VK_F5", 0x74},
    {"VK_F6", 0x75},     {"VK_F7", 0x76},     {"VK_F8", 0x77},     {"VK_F9", 0x78},
    {"VK_F10", 0x79},    {"VK_F11", 0x7A},    {"VK_F12", 0x7B},
    // Dialog results and the window, dialog and control styles of templates.
    {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6}, {"IDNO", 7},
    {"WS_OVERLAPPED", 0x00000000}, {"WS_POPUP", 0x80000000}, {"WS_CHILD", 0x40000000},
    {"WS_MINIMIZE", 0x20000000}, {"WS_VISIBLE", 0x10000000}, {"WS_DISABLED", 0x08000000},
    {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000}, {"WS_MAXIMIZE", 0x01000000},
    {"WS_CAPTION", 0x00C00000}, {"WS_BORDER", 0x00800000}, {"WS_DLGFRAME", 0x00400000},
    {"WS_VSCROLL", 0x00200000}, {"WS_HSCROLL", 0x00100000}, {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000}, {"WS_TABSTOP", 0x00010000},
    {"WS_MINIMIZEBOX", 0x00020000}, {"WS_MAXIMIZEBOX", 0x00010000},
    {"WS_EX_DLGMODALFRAME", 0x00000001}, {"WS_EX_TOPMOST", 0x00000008}, {"WS_EX_TOOLWINDOW", 0x00000080},
    {"WS_EX_WINDOWEDGE", 0x00000100}, {"WS_EX_CLIENTEDGE", 0x00000200}, {"WS_EX_STATICEDGE", 0x00020000},
    {"WS_EX_APPWINDOW", 0x00040000},
    {"DS_ABSALIGN", 0x01}, {"DS_SYSMODAL", 0x02}, {"DS_FIXEDSYS", 0x08}, {"DS_LOCALEDIT", 0x20},
    {"DS_SETFONT", 0x40}, {"DS_MODALFRAME", 0x80}, {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200},
    {"DS_3DLOOK", 0x04}, {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800}, {"DS_CENTERMOUSE", 0x1000},
    {"DS_SHELLFONT", 0x48},
    {"BS_PUSHBUTTON", 0x0}, {"BS_DEFPUSHBUTTON", 0x1}, {"BS_CHECKBOX", 0x2}, {"BS_AUTOCHECKBOX", 0x3},
    {"BS_RADIOBUTTON", 0x4}, {"BS_3STATE", 0x5}, {"BS_AUTO3STATE", 0x6}, {"BS_GROUPBOX", 0x7},
    {"BS_AUTORADIOBUTTON", 0x9}, {"BS_LEFTTEXT", 0x20},
    {"SS_LEFT", 0x0}, {"SS_CENTER", 0x1}, {"SS_RIGHT", 0x2}, {"SS_NOPREFIX", 0x80},
    {"CBS_SIMPLE", 0x1}, {"CBS_DROPDOWN", 0x2}, {"CBS_DROPDOWNLIST", 0x3}, {"CBS_AUTOHSCROLL", 0x40},
    {"CBS_SORT", 0x100}, {"CBS_HASSTRINGS", 0x200}, {"CBS_NOINTEGRALHEIGHT", 0x400},
    {"ES_LEFT", 0x0}, {"ES_AUTOHSCROLL", 0x80}, {"LBS_NOTIFY", 0x1}, {"LBS_SORT", 0x2},
    {nullptr, 0},
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
