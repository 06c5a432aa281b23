// The dialog class: its window procedure (DefDlgProcA, which hands each
// message to the dialog procedure first), the dialog record kept in the
// window's extra bytes and the control classes' registration.
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
    case WM_GETFONT: {
        const DialogState* state = stateIn(dialog);
        return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    }
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
        if (DialogState* state = stateIn(dialog); state && state->font) DeleteObject(state->font);
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
