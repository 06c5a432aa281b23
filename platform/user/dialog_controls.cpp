// The Button and Static control classes: push buttons, radio buttons, check
// boxes and group boxes (BM_GETCHECK, BM_SETCHECK, BM_CLICK, BN_CLICKED on a
// click or on Space, automatic radio groups), labels and icons; the control record in the
// window's extra bytes for these and the combo box.
#include "platform/user/dialog_internal.h"
#include "platform/user/user_state.h"

#include <cstring>

namespace platform::user {

namespace {

ControlKind buttonKind(DWORD style, bool* automatic)
{
    *automatic = false;
    switch (style & BS_TYPEMASK) {
    case BS_DEFPUSHBUTTON: return ControlKind::DefPushButton;
    case BS_AUTOCHECKBOX: *automatic = true; return ControlKind::CheckBox;
    case BS_CHECKBOX: return ControlKind::CheckBox;
    case BS_AUTORADIOBUTTON: *automatic = true; return ControlKind::RadioButton;
    case BS_RADIOBUTTON: return ControlKind::RadioButton;
    case BS_GROUPBOX: return ControlKind::GroupBox;
    default: return ControlKind::PushButton;
    }
}

bool isRadio(HWND control)
{
    const ControlState* state = controlState(control);
    return state && state->kind == ControlKind::RadioButton;
}

// An automatic radio button checks itself and clears the others of its
// group: the controls from the last WS_GROUP at or before it to the next.
void checkInGroup(HWND button)
{
    const std::vector<HWND> controls = dialogControls(GetParent(button));
    size_t at = 0;
    while (at < controls.size() && controls[at] != button) ++at;
    if (at == controls.size()) return;
    size_t first = at;
    while (first > 0 && !(GetWindowLongA(controls[first], GWL_STYLE) & WS_GROUP)) --first;
    for (size_t i = first; i < controls.size(); ++i) {
        if (i > first && (GetWindowLongA(controls[i], GWL_STYLE) & WS_GROUP)) break;
        if (isRadio(controls[i]))
            SendMessageA(controls[i], BM_SETCHECK, controls[i] == button ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void click(HWND button)
{
    ControlState* state = controlState(button);
    if (!state) return;
    if (state->automatic && state->kind == ControlKind::RadioButton) checkInGroup(button);
    if (state->automatic && state->kind == ControlKind::CheckBox)
        SendMessageA(button, BM_SETCHECK, state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    notifyParent(button, BN_CLICKED);
}

bool inside(HWND window, LPARAM lParam)
{
    RECT client{};
    GetClientRect(window, &client);
    const POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    return PtInRect(&client, point) != FALSE;
}

// What both control classes do alike; -1 when the message is not one of them.
LRESULT commonMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* handled)
{
    *handled = true;
    switch (message) {
    case WM_NCDESTROY:
        delete controlState(window);
        SetWindowLongPtrA(window, 0, 0);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        dialogChanged(window);
        return result;
    }
    case WM_ENABLE:
    case WM_SETFOCUS: dialogChanged(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return paintByView(window);
    default: *handled = false; return 0;
    }
}

}  // namespace

ControlState* controlState(HWND control)
{
    Window* record = findWindow(control);
    if (!record || record->topLevel() || !record->windowClass) return nullptr;
    const std::string& name = record->windowClass->name;
    if (name != kButtonClass && name != kStaticClass && name != kComboBoxClass) return nullptr;
    if (record->extraBytes.size() < sizeof(ControlState*)) return nullptr;
    ControlState* state = nullptr;
    std::memcpy(&state, record->extraBytes.data(), sizeof state);
    return state;
}

LRESULT CALLBACK buttonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    const LRESULT common = commonMessage(window, message, wParam, lParam, &handled);
    if (handled) return common;
    ControlState* state = controlState(window);
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* made = new ControlState;
        made->kind = buttonKind(static_cast<DWORD>(create->style), &made->automatic);
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(made));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_NCHITTEST:
        // A group box lets clicks through to what lies under it, as on Windows.
        if (state && state->kind == ControlKind::GroupBox) return HTTRANSPARENT;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!state) return 0;
        state->pressed = true;
        SetCapture(window);
        SetFocus(window);
        dialogChanged(window);
        return 0;
    case WM_LBUTTONUP:
        if (!state || !state->pressed) return 0;
        state->pressed = false;
        ReleaseCapture();
        dialogChanged(window);
        if (inside(window, lParam)) click(window);
        return 0;
    case WM_CAPTURECHANGED:
        if (state && state->pressed) {
            state->pressed = false;
            dialogChanged(window);
        }
        return 0;
    case WM_KEYDOWN:
        // Space pushes the focused button in; its release clicks it.
        if (state && wParam == VK_SPACE && state->kind != ControlKind::GroupBox && !state->pressed) {
            state->pressed = true;
            dialogChanged(window);
        }
        return 0;
    case WM_KEYUP:
        if (state && wParam == VK_SPACE && state->pressed && GetCapture() != window) {
            state->pressed = false;
            dialogChanged(window);
            click(window);
        }
        return 0;
    case WM_KILLFOCUS:
        if (state && state->pressed && GetCapture() != window) state->pressed = false;
        dialogChanged(window);
        return 0;
    case BM_GETCHECK: return state ? state->check : 0;
    case BM_SETCHECK:
        if (state && (state->kind == ControlKind::RadioButton || state->kind == ControlKind::CheckBox)) {
            state->check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            // The checked button of a radio group is the group's tab stop.
            if (state->kind == ControlKind::RadioButton) {
                const LONG style = GetWindowLongA(window, GWL_STYLE);
                SetWindowLongA(window, GWL_STYLE, state->check == BST_CHECKED ? style | WS_TABSTOP : style & ~WS_TABSTOP);
            }
            dialogChanged(window);
        }
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(window)) click(window);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK staticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    const LRESULT common = commonMessage(window, message, wParam, lParam, &handled);
    if (handled) return common;
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(new ControlState));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_KILLFOCUS: dialogChanged(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace platform::user
