// Key and mouse state, the SDL-to-virtual-key mapping, and the published
// keyboard functions (GetKeyState, TranslateMessage, ...); see input_state.h.
#include "platform/user/input_state.h"

#include "platform/user/user_state.h"

#include <SDL.h>

#include <cctype>
#include <cstring>

namespace platform::user {

namespace {

struct KeyEntry {
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    UINT virtualKey;
    UINT scanCode;  // set 1; 0x100 marks the E0 (extended) keys
};

// Keys with a layout-independent meaning. Letters and digits follow the
// keycode (the layout), as Windows' virtual keys follow the layout.
const KeyEntry kKeys[] = {
    {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, VK_ESCAPE, 0x01},
    {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, VK_BACK, 0x0E},
    {SDL_SCANCODE_TAB, SDLK_TAB, VK_TAB, 0x0F},
    {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, 0x1C},
    {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, 0x11C},
    {SDL_SCANCODE_LCTRL, SDLK_LCTRL, VK_CONTROL, 0x1D},
    {SDL_SCANCODE_RCTRL, SDLK_RCTRL, VK_CONTROL, 0x11D},
    {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, VK_SHIFT, 0x2A},
    {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, VK_SHIFT, 0x36},
    {SDL_SCANCODE_LALT, SDLK_LALT, VK_MENU, 0x38},
    {SDL_SCANCODE_RALT, SDLK_RALT, VK_MENU, 0x138},
    {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE, 0x39},
    {SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, VK_CAPITAL, 0x3A},
    {SDL_SCANCODE_F1, SDLK_F1, VK_F1, 0x3B},
    {SDL_SCANCODE_F2, SDLK_F2, VK_F2, 0x3C},
    {SDL_SCANCODE_F3, SDLK_F3, VK_F3, 0x3D},
    {SDL_SCANCODE_F4, SDLK_F4, VK_F4, 0x3E},
    {SDL_SCANCODE_F5, SDLK_F5, VK_F5, 0x3F},
    {SDL_SCANCODE_F6, SDLK_F6, VK_F6, 0x40},
    {SDL_SCANCODE_F7, SDLK_F7, VK_F7, 0x41},
    {SDL_SCANCODE_F8, SDLK_F8, VK_F8, 0x42},
    {SDL_SCANCODE_F9, SDLK_F9, VK_F9, 0x43},
    {SDL_SCANCODE_F10, SDLK_F10, VK_F10, 0x44},
    {SDL_SCANCODE_F11, SDLK_F11, VK_F11, 0x57},
    {SDL_SCANCODE_F12, SDLK_F12, VK_F12, 0x58},
    {SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, VK_NUMLOCK, 0x145},
    {SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK, VK_SCROLL, 0x46},
    {SDL_SCANCODE_PAUSE, SDLK_PAUSE, VK_PAUSE, 0x45},
    {SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, VK_SNAPSHOT, 0x137},
    {SDL_SCANCODE_INSERT, SDLK_INSERT, VK_INSERT, 0x152},
    {SDL_SCANCODE_DELETE, SDLK_DELETE, VK_DELETE, 0x153},
    {SDL_SCANCODE_HOME, SDLK_HOME, VK_HOME, 0x147},
    {SDL_SCANCODE_END, SDLK_END, VK_END, 0x14F},
    {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, VK_PRIOR, 0x149},
    {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, VK_NEXT, 0x151},
    {SDL_SCANCODE_LEFT, SDLK_LEFT, VK_LEFT, 0x14B},
    {SDL_SCANCODE_RIGHT, SDLK_RIGHT, VK_RIGHT, 0x14D},
    {SDL_SCANCODE_UP, SDLK_UP, VK_UP, 0x148},
    {SDL_SCANCODE_DOWN, SDLK_DOWN, VK_DOWN, 0x150},
    {SDL_SCANCODE_LGUI, SDLK_LGUI, VK_LWIN, 0x15B},
    {SDL_SCANCODE_RGUI, SDLK_RGUI, VK_RWIN, 0x15C},
    {SDL_SCANCODE_APPLICATION, SDLK_APPLICATION, VK_APPS, 0x15D},
    {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, VK_DIVIDE, 0x135},
    {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, VK_MULTIPLY, 0x37},
    {SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, VK_SUBTRACT, 0x4A},
    {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, VK_ADD, 0x4E},
    {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, VK_DECIMAL, 0x53},
    {SDL_SCANCODE_KP_0, SDLK_KP_0, VK_NUMPAD0, 0x52},
    {SDL_SCANCODE_KP_1, SDLK_KP_1, VK_NUMPAD1, 0x4F},
    {SDL_SCANCODE_KP_2, SDLK_KP_2, VK_NUMPAD2, 0x50},
    {SDL_SCANCODE_KP_3, SDLK_KP_3, VK_NUMPAD3, 0x51},
    {SDL_SCANCODE_KP_4, SDLK_KP_4, VK_NUMPAD4, 0x4B},
    {SDL_SCANCODE_KP_5, SDLK_KP_5, VK_NUMPAD5, 0x4C},
    {SDL_SCANCODE_KP_6, SDLK_KP_6, VK_NUMPAD6, 0x4D},
    {SDL_SCANCODE_KP_7, SDLK_KP_7, VK_NUMPAD7, 0x47},
    {SDL_SCANCODE_KP_8, SDLK_KP_8, VK_NUMPAD8, 0x48},
    {SDL_SCANCODE_KP_9, SDLK_KP_9, VK_NUMPAD9, 0x49},
    {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, VK_OEM_1, 0x27},
    {SDL_SCANCODE_EQUALS, SDLK_EQUALS, VK_OEM_PLUS, 0x0D},
    {SDL_SCANCODE_COMMA, SDLK_COMMA, VK_OEM_COMMA, 0x33},
    {SDL_SCANCODE_MINUS, SDLK_MINUS, VK_OEM_MINUS, 0x0C},
    {SDL_SCANCODE_PERIOD, SDLK_PERIOD, VK_OEM_PERIOD, 0x34},
    {SDL_SCANCODE_SLASH, SDLK_SLASH, VK_OEM_2, 0x35},
    {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, VK_OEM_3, 0x29},
    {SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET, VK_OEM_4, 0x1A},
    {SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH, VK_OEM_5, 0x2B},
    {SDL_SCANCODE_RIGHTBRACKET, SDLK_RIGHTBRACKET, VK_OEM_6, 0x1B},
    {SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, VK_OEM_7, 0x28},
    {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, VK_OEM_102, 0x56},
};

// Set-1 scan codes of the letter and digit rows, by SDL scancode.
const UINT kLetterScanCodes[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                   0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
const UINT kDigitScanCodes[10] = {0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A};

struct InputState {
    BYTE keys[256] = {};  // 0x80 down, 0x01 toggled
    POINT cursor{0, 0};
    bool cursorKnown = false;
    WPARAM buttons = 0;
    // Another key or a mouse button went down after the last Alt press.
    bool inputSinceAlt = false;
};

InputState& input()
{
    static auto* state = new InputState;
    return *state;
}

void setKey(UINT virtualKey, bool down)
{
    BYTE& key = input().keys[virtualKey & 0xFF];
    if (down && !(key & 0x80)) key ^= 0x01;
    key = static_cast<BYTE>(down ? (key | 0x80) : (key & ~0x80));
}

// The left or right variant of a modifier, from the scan code in lParam.
UINT sidedModifier(UINT virtualKey, LPARAM lParam)
{
    const bool extended = (lParam >> 24) & 1;
    const UINT scan = (lParam >> 16) & 0xFF;
    switch (virtualKey) {
    case VK_SHIFT: return scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
    default: return 0;
    }
}

}  // namespace

UINT virtualKeyFromSdl(int32_t keycode, int scancode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z) return static_cast<UINT>('A' + (keycode - SDLK_a));
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return static_cast<UINT>('0' + (keycode - SDLK_0));
    for (const KeyEntry& entry : kKeys)
        if (entry.scancode == scancode) return entry.virtualKey;
    // A layout whose letter sits on another key: fall back to the key's position.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<UINT>('A' + (scancode - SDL_SCANCODE_A));
    return 0;
}

UINT scanCodeFromSdl(int scancode, bool* extended)
{
    *extended = false;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return kLetterScanCodes[scancode - SDL_SCANCODE_A];
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_0)
        return kDigitScanCodes[(scancode - SDL_SCANCODE_1 + 1) % 10];
    for (const KeyEntry& entry : kKeys) {
        if (entry.scancode != scancode) continue;
        *extended = (entry.scanCode & 0x100) != 0;
        return entry.scanCode & 0xFF;
    }
    return 0;
}

bool sdlKeyFromVirtualKey(UINT virtualKey, int* scancode, int32_t* keycode)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        *scancode = SDL_SCANCODE_A + static_cast<int>(virtualKey - 'A');
        *keycode = SDLK_a + static_cast<int32_t>(virtualKey - 'A');
        return true;
    }
    if (virtualKey >= '0' && virtualKey <= '9') {
        *scancode = virtualKey == '0' ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + static_cast<int>(virtualKey - '1');
        *keycode = SDLK_0 + static_cast<int32_t>(virtualKey - '0');
        return true;
    }
    // The left-hand key for the generic modifiers, the first listed otherwise.
    const UINT wanted = virtualKey == VK_LSHIFT     ? VK_SHIFT
                        : virtualKey == VK_LCONTROL ? VK_CONTROL
                        : virtualKey == VK_LMENU    ? VK_MENU
                                                    : virtualKey;
    for (const KeyEntry& entry : kKeys) {
        if (entry.virtualKey != wanted) continue;
        *scancode = entry.scancode;
        *keycode = entry.keycode;
        return true;
    }
    return false;
}

void noteRetrievedInput(const MSG& message)
{
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        const UINT key = static_cast<UINT>(message.wParam);
        if (down) input().inputSinceAlt = key != VK_MENU;
        setKey(key, down);
        if (UINT sided = sidedModifier(key, message.lParam)) setKey(sided, down);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        input().inputSinceAlt = true;
        setKey(VK_LBUTTON, true);
        break;
    case WM_LBUTTONUP: setKey(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN:
        input().inputSinceAlt = true;
        setKey(VK_RBUTTON, true);
        break;
    case WM_RBUTTONUP: setKey(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN:
        input().inputSinceAlt = true;
        setKey(VK_MBUTTON, true);
        break;
    case WM_MBUTTONUP: setKey(VK_MBUTTON, false); break;
    default: break;
    }
}

bool inputSinceAltPress()
{
    return input().inputSinceAlt;
}

bool keyDown(UINT virtualKey)
{
    return (input().keys[virtualKey & 0xFF] & 0x80) != 0;
}

char characterForKey(UINT key)
{
    const bool shift = keyDown(VK_SHIFT);
    const bool control = keyDown(VK_CONTROL) && !keyDown(VK_MENU);
    const bool caps = (input().keys[VK_CAPITAL] & 0x01) != 0;
    if (key >= 'A' && key <= 'Z') {
        if (control) return static_cast<char>(key - 'A' + 1);
        return static_cast<char>((shift != caps) ? key : std::tolower(static_cast<int>(key)));
    }
    if (control) return 0;
    if (key >= '0' && key <= '9') return shift ? ")!@#$%^&*("[key - '0'] : static_cast<char>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + (key - VK_NUMPAD0));
    switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
    }
}

void noteCursorPosition(POINT screen)
{
    input().cursor = screen;
    input().cursorKnown = true;
}

POINT cursorPosition()
{
    InputState& state = input();
    if (!state.cursorKnown && SDL_WasInit(SDL_INIT_VIDEO)) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        return POINT{x, y};
    }
    return state.cursor;
}

void noteMouseButton(int sdlButton, bool down)
{
    WPARAM flag = 0;
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: flag = MK_LBUTTON; break;
    case SDL_BUTTON_RIGHT: flag = MK_RBUTTON; break;
    case SDL_BUTTON_MIDDLE: flag = MK_MBUTTON; break;
    default: return;
    }
    WPARAM& buttons = input().buttons;
    buttons = down ? (buttons | flag) : (buttons & ~flag);
}

WPARAM mouseKeyFlags()
{
    WPARAM flags = input().buttons;
    if (keyDown(VK_SHIFT)) flags |= MK_SHIFT;
    if (keyDown(VK_CONTROL)) flags |= MK_CONTROL;
    return flags;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

SHORT WINAPI GetKeyState(int virtualKey)
{
    const BYTE key = input().keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((key & 0x80) ? 0xFF80 : 0) | (key & 0x01));
}

// The layer sees keys only through its windows' events: the asynchronous
// state is the same table.
SHORT WINAPI GetAsyncKeyState(int virtualKey)
{
    return static_cast<SHORT>((input().keys[virtualKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI GetKeyboardState(PBYTE keyState)
{
    if (!keyState) return FALSE;
    std::memcpy(keyState, input().keys, sizeof input().keys);
    return TRUE;
}

BOOL WINAPI SetKeyboardState(PBYTE keyState)
{
    if (!keyState) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(input().keys, keyState, sizeof input().keys);
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    if (!msg) return FALSE;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const char character = characterForKey(static_cast<UINT>(msg->wParam));
        if (character) {
            const UINT message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
            PostMessageA(msg->hwnd, message, static_cast<WPARAM>(static_cast<unsigned char>(character)),
                         msg->lParam);
        }
        return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: return TRUE;
    default: return FALSE;
    }
}

BOOL WINAPI GetCursorPos(LPPOINT point)
{
    if (!point) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *point = cursorPosition();
    return TRUE;
}

}  // extern "C"
