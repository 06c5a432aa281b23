// The dialog manager's keyboard, IsDialogMessage's part of a dialog's modal
// loop: Tab and Shift+Tab over WS_TABSTOP controls, the arrow keys within a
// WS_GROUP group, Enter and Esc, mnemonics, and the keys a focused combo box
// takes first. What is not used here reaches the focused control (Space on
// a button).
#include "platform/user/dialog_internal.h"
#include "platform/user/menu_strip.h"
#include "platform/user/user_state.h"

#include <cctype>

namespace platform::user {

namespace {

bool takesFocus(HWND control)
{
    const ControlState* state = controlState(control);
    return state && state->kind != ControlKind::Static && state->kind != ControlKind::GroupBox &&
           IsWindowEnabled(control) && IsWindowVisible(control);
}

bool isKind(HWND control, std::initializer_list<ControlKind> kinds)
{
    const ControlState* state = controlState(control);
    if (!state) return false;
    for (ControlKind kind : kinds)
        if (state->kind == kind) return true;
    return false;
}

bool isPushButton(HWND control)
{
    return isKind(control, {ControlKind::PushButton, ControlKind::DefPushButton});
}

// A control by id without GetDlgItem's last-error side effect.
HWND controlById(HWND dialog, int id)
{
    for (HWND control : dialogControls(dialog))
        if (GetDlgCtrlID(control) == id) return control;
    return nullptr;
}

void pressButton(HWND dialog, int id, HWND control)
{
    if (control && !IsWindowEnabled(control)) return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void focusControl(HWND dialog, HWND control)
{
    SetFocus(control);
    dialogChanged(dialog);
}

int indexOf(const std::vector<HWND>& controls, HWND control)
{
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == control) return static_cast<int>(i);
    return -1;
}

// Tab and Shift+Tab: the next enabled, visible control with WS_TABSTOP.
void moveFocus(HWND dialog, bool backwards)
{
    const std::vector<HWND> controls = dialogControls(dialog);
    if (controls.empty()) return;
    const int at = indexOf(controls, GetFocus());
    const int count = static_cast<int>(controls.size());
    const int start = at >= 0 ? at : (backwards ? 0 : count - 1);
    for (int step = 1; step <= count; ++step) {
        HWND candidate = controls[static_cast<size_t>(((start + (backwards ? -step : step)) % count + count) % count)];
        if ((GetWindowLongA(candidate, GWL_STYLE) & WS_TABSTOP) && takesFocus(candidate)) {
            focusControl(dialog, candidate);
            return;
        }
    }
}

// The arrow keys: the next control of the focus's group (from the last
// WS_GROUP control at or before it to the next one), wrapping within the
// group. An automatic radio button landed on is clicked, which checks it.
void moveInGroup(HWND dialog, HWND focus, bool backwards)
{
    const std::vector<HWND> controls = dialogControls(dialog);
    const int at = indexOf(controls, focus);
    if (at < 0) return;
    const auto groupStart = [&](int i) { return (GetWindowLongA(controls[size_t(i)], GWL_STYLE) & WS_GROUP) != 0; };
    int first = at;
    while (first > 0 && !groupStart(first)) --first;
    int last = at;
    while (last + 1 < static_cast<int>(controls.size()) && !groupStart(last + 1)) ++last;
    const int count = last - first + 1;
    for (int step = 1; step < count; ++step) {
        const int offset = ((at - first + (backwards ? -step : step)) % count + count) % count;
        HWND candidate = controls[size_t(first + offset)];
        if (!takesFocus(candidate)) continue;
        focusControl(dialog, candidate);
        const ControlState* state = controlState(candidate);
        if (state && state->kind == ControlKind::RadioButton && state->automatic && state->check != BST_CHECKED)
            SendMessageA(candidate, BM_CLICK, 0, 0);
        return;
    }
}

// The control whose text has `letter` as its mnemonic, searched from the
// one after the focus so that a repeated letter moves on; a label stands for
// the control after it. Null when none.
HWND mnemonicTarget(HWND dialog, char letter, HWND* owner)
{
    const std::vector<HWND> controls = dialogControls(dialog);
    const int count = static_cast<int>(controls.size());
    const int at = indexOf(controls, GetFocus());
    for (int step = 1; step <= count; ++step) {
        const int index = ((at + step) % count + count) % count;
        HWND control = controls[size_t(index)];
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        if (!IsWindowVisible(control) || !isKind(control, {ControlKind::Static, ControlKind::GroupBox,
                                                           ControlKind::PushButton, ControlKind::DefPushButton,
                                                           ControlKind::RadioButton, ControlKind::CheckBox}))
            continue;
        if (isKind(control, {ControlKind::Static}) && (style & (SS_NOPREFIX | SS_TYPEMASK)) != SS_LEFT) continue;
        char text[256] = {};
        GetWindowTextA(control, text, sizeof text);
        const ItemText shown = splitItemText(text);
        if (shown.mnemonic < 0 ||
            std::tolower(static_cast<unsigned char>(shown.label[size_t(shown.mnemonic)])) !=
                std::tolower(static_cast<unsigned char>(letter)))
            continue;
        *owner = control;
        if (!isKind(control, {ControlKind::Static, ControlKind::GroupBox})) return control;
        for (int next = index + 1; next < count; ++next)
            if (!isKind(controls[size_t(next)], {ControlKind::Static, ControlKind::GroupBox})) return controls[size_t(next)];
        return nullptr;
    }
    return nullptr;
}

bool mnemonic(HWND dialog, char letter)
{
    HWND owner = nullptr;
    HWND target = mnemonicTarget(dialog, letter, &owner);
    if (!owner) return false;
    if (!target || !IsWindowEnabled(target) || !IsWindowVisible(target)) return true;
    if (isPushButton(target)) {
        pressButton(dialog, GetDlgCtrlID(target), target);
    } else if (isKind(target, {ControlKind::RadioButton, ControlKind::CheckBox}) && target == owner) {
        focusControl(dialog, target);
        SendMessageA(target, BM_CLICK, 0, 0);
    } else {
        focusControl(dialog, target);
    }
    return true;
}

bool keyDown(HWND dialog, DialogState& state, UINT key, bool alt)
{
    HWND focus = GetFocus();
    if (focus == dialog || dialogWindowOf(focus) != dialog) focus = nullptr;
    const bool comboFocused = isKind(focus, {ControlKind::ComboBox});
    // Alt+Up and Alt+Down open and close a drop-down list, as F4 does.
    if (alt && comboFocused && (key == VK_UP || key == VK_DOWN)) return comboBoxKey(focus, VK_F4);
    if (alt) return false;
    if (state.dropped && comboBoxKey(state.dropped, key)) return true;
    if (comboFocused && comboBoxKey(focus, key)) return true;
    switch (key) {
    case VK_ESCAPE: pressButton(dialog, IDCANCEL, controlById(dialog, IDCANCEL)); return true;
    case VK_RETURN: {
        HWND button = defaultButton(dialog);
        pressButton(dialog, button ? GetDlgCtrlID(button) : IDOK, button);
        return true;
    }
    case VK_TAB: moveFocus(dialog, GetKeyState(VK_SHIFT) < 0); return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (focus) moveInGroup(dialog, focus, key == VK_LEFT || key == VK_UP);
        return true;
    default: return false;
    }
}

}  // namespace

HWND defaultButton(HWND dialog)
{
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == dialog && isPushButton(focus)) return focus;
    const LRESULT id = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID ? controlById(dialog, LOWORD(id)) : nullptr;
}

bool dialogKeyMessage(HWND dialog, const MSG& message)
{
    if (dialogWindowOf(message.hwnd) != dialog) return false;
    DialogState* state = dialogOf(dialog);
    if (!state) return false;
    const char character = static_cast<char>(message.wParam);
    switch (message.message) {
    case WM_KEYDOWN: return keyDown(dialog, *state, static_cast<UINT>(message.wParam), false);
    case WM_SYSKEYDOWN: return keyDown(dialog, *state, static_cast<UINT>(message.wParam), true);
    case WM_SYSCHAR: return std::isalnum(static_cast<unsigned char>(character)) && mnemonic(dialog, character);
    case WM_CHAR:
        // A list takes the letters typed at it; elsewhere a letter alone is a mnemonic.
        if (state->dropped || isKind(GetFocus(), {ControlKind::ComboBox})) return false;
        return std::isalnum(static_cast<unsigned char>(character)) && mnemonic(dialog, character);
    default: return false;
    }
}

}  // namespace platform::user
