// The dialog class: its window procedure (DefDlgProcA, which hands each
// message to the dialog procedure first), the dialog record kept in the
// window's extra bytes, the control classes' registration, and the keys the
// dialog manager takes for itself in the modal loop.
#include "platform/user/dialog_internal.h"
#include "platform/user/user_state.h"

#include <cstring>

namespace platform::user {

namespace {

// After the published DWLP_ slots: the layer's own record.
constexpr int kStateOffset = DWLP_USER + static_cast<int>(sizeof(LONG_PTR));
constexpr int kDialogExtra = kStateOffset + static_cast<int>(sizeof(LONG_PTR));

DialogState* stateIn(HWND dialog)
{
    Window* record = findWindow(dialog);
    if (!record || !record->windowClass || record->windowClass->name != kDialogClass) return nullptr;
    if (record->extraBytes.size() < static_cast<size_t>(kDialogExtra)) return nullptr;
    DialogState* state = nullptr;
    std::memcpy(&state, &record->extraBytes[kStateOffset], sizeof state);
    return state;
}

void storeState(HWND dialog, DialogState* state)
{
    SetWindowLongPtrA(dialog, kStateOffset, reinterpret_cast<LONG_PTR>(state));
}

// Messages whose dialog-procedure result is the message's own result
// rather than a "handled" flag (DWLP_MSGRESULT carries the others).
bool returnsDirectly(UINT message)
{
    return message == WM_INITDIALOG;
}

// The control Enter presses: the focused push button, else the default one.
HWND defaultButton(HWND dialog)
{
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == dialog) {
        const ControlState* control = controlState(focus);
        if (control && (control->kind == ControlKind::PushButton || control->kind == ControlKind::DefPushButton))
            return focus;
    }
    const LRESULT id = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(id)) : nullptr;
}

void pressButton(HWND dialog, int id, HWND control)
{
    if (control && !IsWindowEnabled(control)) return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Tab and Shift+Tab: the next enabled, visible control with WS_TABSTOP.
void moveFocus(HWND dialog, bool backwards)
{
    const std::vector<HWND> controls = dialogControls(dialog);
    if (controls.empty()) return;
    const HWND focus = GetFocus();
    int at = -1;
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == focus) at = static_cast<int>(i);
    const int count = static_cast<int>(controls.size());
    const int start = at >= 0 ? at : (backwards ? 0 : count - 1);
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (backwards ? -step : step)) % count + count) % count;
        HWND candidate = controls[static_cast<size_t>(index)];
        if ((GetWindowLongA(candidate, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(candidate) &&
            IsWindowVisible(candidate)) {
            SetFocus(candidate);
            dialogChanged(dialog);
            return;
        }
    }
}

LRESULT defaultProcessing(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: {
        // The close box is the Cancel button, when there is one to press.
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_PAINT: return paintByView(dialog);
    case WM_ERASEBKGND: return 1;  // the view paints the whole face
    case DM_GETDEFID:
        for (HWND control : dialogControls(dialog))
            if (const ControlState* state = controlState(control); state && state->kind == ControlKind::DefPushButton)
                return MAKELRESULT(static_cast<WORD>(GetDlgCtrlID(control)), DC_HASDEFID);
        return 0;
    case WM_INITDIALOG: return FALSE;
    default: return DefWindowProcA(dialog, message, wParam, lParam);
    }
}

}  // namespace

DialogState* dialogOf(HWND windowOrControl)
{
    return stateIn(dialogWindowOf(windowOrControl));
}

HWND dialogWindowOf(HWND windowOrControl)
{
    for (int depth = 0; windowOrControl && depth < 64; ++depth) {
        if (stateIn(windowOrControl)) return windowOrControl;
        Window* record = findWindow(windowOrControl);
        if (!record || record->topLevel()) return nullptr;
        windowOrControl = record->parent;
    }
    return nullptr;
}

void dialogChanged(HWND windowOrControl)
{
    if (DialogState* state = dialogOf(windowOrControl)) state->dirty = true;
}

LRESULT paintByView(HWND windowOrControl)
{
    PAINTSTRUCT paint;
    BeginPaint(windowOrControl, &paint);
    EndPaint(windowOrControl, &paint);
    dialogChanged(windowOrControl);
    return 0;
}

void notifyParent(HWND control, WORD code)
{
    Window* record = findWindow(control);
    if (!record || record->topLevel() || !record->parent) return;
    SendMessageA(record->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
                 reinterpret_cast<LPARAM>(control));
}

std::vector<HWND> dialogControls(HWND dialog)
{
    std::vector<HWND> controls;
    for (HWND handle : allWindows())
        if (Window* record = findWindow(handle); record && !record->topLevel() && record->parent == dialog)
            controls.push_back(handle);
    return controls;
}

bool registerDialogClasses()
{
    static const bool registered = [] {
        struct Entry {
            const char* name;
            WNDPROC procedure;
            int extra;
        };
        const Entry entries[] = {
            {kDialogClass, &DefDlgProcA, kDialogExtra},
            {kButtonClass, &buttonProcedure, static_cast<int>(sizeof(LONG_PTR))},
            {kStaticClass, &staticProcedure, static_cast<int>(sizeof(LONG_PTR))},
            {kComboBoxClass, &comboBoxProcedure, static_cast<int>(sizeof(LONG_PTR))},
        };
        for (const Entry& entry : entries) {
            WNDCLASSA info{};
            info.style = entry.procedure == &DefDlgProcA ? CS_DBLCLKS : 0;
            info.lpfnWndProc = entry.procedure;
            info.cbWndExtra = entry.extra;
            info.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            info.lpszClassName = entry.name;
            if (!findClass(entry.name) && !RegisterClassA(&info)) return false;
        }
        return true;
    }();
    return registered;
}

bool dialogKeyMessage(HWND dialog, const MSG& message)
{
    if (message.message != WM_KEYDOWN || dialogWindowOf(message.hwnd) != dialog) return false;
    DialogState* state = dialogOf(dialog);
    if (!state) return false;
    const UINT key = static_cast<UINT>(message.wParam);
    if (state->dropped && comboBoxKey(state->dropped, key)) return true;
    HWND focus = GetFocus();
    if (focus && dialogWindowOf(focus) == dialog && focus != dialog) {
        if (const ControlState* control = controlState(focus);
            control && control->kind == ControlKind::ComboBox && comboBoxKey(focus, key))
            return true;
    }
    switch (key) {
    case VK_ESCAPE: pressButton(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL)); return true;
    case VK_RETURN: {
        HWND button = defaultButton(dialog);
        pressButton(dialog, button ? GetDlgCtrlID(button) : IDOK, button);
        return true;
    }
    case VK_TAB: moveFocus(dialog, GetKeyState(VK_SHIFT) < 0); return true;
    default: return false;
    }
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        storeState(dialog, new DialogState);
        return DefWindowProcA(dialog, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        delete stateIn(dialog);
        storeState(dialog, nullptr);
        return DefWindowProcA(dialog, message, wParam, lParam);
    }
    DialogState* state = stateIn(dialog);
    if (state && state->procedure) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        const INT_PTR handled = state->procedure(dialog, message, wParam, lParam);
        if (returnsDirectly(message)) return handled;
        if (handled) return findWindow(dialog) ? GetWindowLongPtrA(dialog, DWLP_MSGRESULT) : 0;
        if (!findWindow(dialog)) return 0;
    }
    return defaultProcessing(dialog, message, wParam, lParam);
}

}  // extern "C"
