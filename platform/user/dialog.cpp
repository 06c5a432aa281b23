// Dialog boxes from the program's templates: DialogBoxParamA builds the
// dialog window and its controls from the template (dialog units converted
// with the template font's base units, as Windows measures them), sends
// WM_INITDIALOG and runs the modal loop with the owner disabled; EndDialog
// ends it. Also the item helpers (GetDlgItem, SendDlgItemMessageA, the
// button-check calls, MapDialogRect).
#include "platform/gdi/font_face.h"
#include "platform/resources/resource_tables.h"
#include "platform/user/automation_internal.h"
#include "platform/user/compositor.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <algorithm>
#include <string>

namespace platform::user {

namespace {

// 96 pixels per inch, as the layer's GDI assumes.
constexpr int kPixelsPerInch = 96;

struct DialogFont {
    DialogMetrics metrics;
    std::string file;  // the face GDI matched, for the view's text
    HFONT font = nullptr;  // the dialog's WM_GETFONT; owned by the dialog once it exists
};

// Windows' base units: the average width of the 52 Latin letters
// (rounded) and the character height of the dialog font.
DialogFont measureFont(const DialogTemplate& dialogTemplate)
{
    DialogFont result;
    result.metrics = DialogMetrics{8, 16, 16};  // the system font's, when the template names none
    if (!(dialogTemplate.style & DS_SETFONT) || dialogTemplate.pointSize <= 0) return result;
    const int weight = dialogTemplate.weight > 0 ? dialogTemplate.weight : FW_NORMAL;
    HFONT font = CreateFontA(-MulDiv(dialogTemplate.pointSize, kPixelsPerInch, 72), 0, 0, 0, weight,
                             dialogTemplate.italic ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             dialogTemplate.faceName);
    HDC dc = CreateCompatibleDC(nullptr);
    if (font && dc) {
        HGDIOBJ previous = SelectObject(dc, font);
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        TEXTMETRICA metrics{};
        SIZE extent{};
        if (GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, letters, 52, &extent) && extent.cx > 0) {
            result.metrics.baseX = static_cast<int>((extent.cx / 26 + 1) / 2);
            result.metrics.baseY = static_cast<int>(metrics.tmHeight);
            result.metrics.textHeight = static_cast<int>(metrics.tmHeight);
        }
        SelectObject(dc, previous);
        gdi::ObjectLock lock;
        if (gdi::FontObject* object = gdi::lookupFont(font); object && object->face)
            result.file = object->face->fileName();
    }
    if (dc) DeleteDC(dc);
    result.font = font;
    return result;
}

RECT toPixels(const DialogMetrics& metrics, int x, int y, int width, int height)
{
    const int left = MulDiv(x, metrics.baseX, 4);
    const int top = MulDiv(y, metrics.baseY, 8);
    return RECT{left, top, left + MulDiv(width, metrics.baseX, 4), top + MulDiv(height, metrics.baseY, 8)};
}

POINT keptOnScreen(POINT at, int width, int height)
{
    at.x = std::max(0, std::min<int>(at.x, GetSystemMetrics(SM_CXSCREEN) - width));
    at.y = std::max(0, std::min<int>(at.y, GetSystemMetrics(SM_CYSCREEN) - height));
    return at;
}

// Centred over the owner (DS_CENTER) or placed from the owner's client
// origin, and kept on the screen.
POINT placeDialog(const DialogTemplate& dialogTemplate, const RECT& pixels, HWND owner)
{
    const int width = pixels.right - pixels.left;
    const int height = pixels.bottom - pixels.top;
    if (dialogTemplate.style & DS_CENTER) return centredOver(owner, width, height);
    POINT origin{0, 0};
    if (owner) ClientToScreen(owner, &origin);
    return keptOnScreen(POINT{origin.x + pixels.left, origin.y + pixels.top}, width, height);
}

HWND firstTabStop(HWND dialog)
{
    for (HWND control : dialogControls(dialog))
        if ((GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(control) && IsWindowEnabled(control))
            return control;
    return nullptr;
}

// The dialog window and its controls; null (everything made so far
// destroyed) when a control's class is unknown or a window cannot be made.
HWND createDialog(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner, DLGPROC procedure)
{
    const DialogFont font = measureFont(dialogTemplate);
    const RECT pixels =
        toPixels(font.metrics, dialogTemplate.x, dialogTemplate.y, dialogTemplate.width, dialogTemplate.height);
    const POINT at = placeDialog(dialogTemplate, pixels, owner);
    DWORD exStyle = dialogTemplate.exStyle;
    if (dialogTemplate.style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
    const DWORD style = dialogTemplate.style & ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD);
    HWND dialog = CreateWindowExA(exStyle, kDialogClass, dialogTemplate.caption, style, at.x, at.y,
                                  pixels.right - pixels.left, pixels.bottom - pixels.top, owner, nullptr, instance,
                                  nullptr);
    DialogState* state = dialogOf(dialog);
    if (!state) {
        if (font.font) DeleteObject(font.font);
        return nullptr;
    }
    state->metrics = font.metrics;
    state->font = font.font;
    state->owner = owner;
    if (Window* record = findWindow(dialog); record && record->compositor) {
        record->compositor->setPainter(&paintDialog);
        if (!font.file.empty()) record->compositor->setPainterFont(font.file.c_str(), float(font.metrics.textHeight));
    }
    for (size_t i = 0; i < dialogTemplate.controlCount; ++i) {
        const DialogControlTemplate& control = dialogTemplate.controls[i];
        const RECT box = toPixels(font.metrics, control.x, control.y, control.width, control.height);
        HWND made = CreateWindowExA(control.exStyle, control.className, control.text, control.style | WS_CHILD,
                                    box.left, box.top, box.right - box.left, box.bottom - box.top, dialog,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control.id)), instance, nullptr);
        if (!made) {
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
    if (DialogState* ready = dialogOf(dialog)) ready->procedure = procedure;
    return dialog;
}

void present(HWND dialog)
{
    DialogState* state = dialogOf(dialog);
    Window* record = findWindow(dialog);
    if (!state || !record || !record->compositor || !(record->style & WS_VISIBLE)) return;
    state->dirty = false;
    record->compositor->composite(true);
}

// Returns what ended the loop: EndDialog's result, or 0 when the dialog went
// without it (destroyed, or WM_QUIT, which is posted again for the caller).
INT_PTR modalLoop(HWND dialog)
{
    for (;;) {
        DialogState* state = dialogOf(dialog);
        if (!state) return 0;
        if (state->ended) return state->result;
        MSG message;
        if (takeMessage(&message, nullptr, 0, 0, true)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return 0;
            }
            // Keys go to the control with the focus, as Windows delivers them.
            if (message.hwnd == dialog && (message.message == WM_KEYDOWN || message.message == WM_KEYUP)) {
                const HWND focus = GetFocus();
                if (focus && focus != dialog && dialogWindowOf(focus) == dialog) message.hwnd = focus;
            }
            if (!dialogKeyMessage(dialog, message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            continue;
        }
        if (state->dirty) present(dialog);
        automationDialogIdle(dialog);
        if (DialogState* after = dialogOf(dialog); after && !after->ended && !after->dirty && !quitPending())
            waitForEvents();
    }
}

}  // namespace

POINT centredOver(HWND owner, int width, int height)
{
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &around);
    return keptOnScreen(POINT{(around.left + around.right - width) / 2, (around.top + around.bottom - height) / 2},
                        width, height);
}

INT_PTR runDialogTemplate(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner, DLGPROC procedure,
                          LPARAM initParam)
{
    if (owner && !findWindowOrFail(owner)) return -1;
    if (!registerDialogClasses()) return -1;
    // The owner is the top-level window, disabled before the dialog exists,
    // as Windows does.
    const HWND top = topLevelOf(owner);
    const bool disabledHere = top && !EnableWindow(top, FALSE);
    HWND dialog = createDialog(instance, dialogTemplate, top, procedure);
    if (!dialog) {
        if (disabledHere && findWindow(top)) EnableWindow(top, TRUE);
        return -1;
    }
    if (DialogState* state = dialogOf(dialog)) state->ownerDisabled = disabledHere;

    HWND focus = firstTabStop(dialog);
    const LRESULT setFocus = SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), initParam);
    // A procedure that answers FALSE has put the focus where it wants it.
    const HWND chosen = setFocus ? nullptr : GetFocus();
    if (DialogState* state = dialogOf(dialog); state && !state->ended) {
        ShowWindow(dialog, SW_SHOWNORMAL);
        focus = setFocus ? firstTabStop(dialog) : chosen;
        if (focus && dialogOf(dialog) && dialogWindowOf(focus) == dialog && GetFocus() != focus) SetFocus(focus);
    }
    const INT_PTR result = modalLoop(dialog);
    // The owner comes back before the dialog goes, so that it is activated.
    if (DialogState* state = dialogOf(dialog); state && state->ownerDisabled && findWindow(top)) {
        state->ownerDisabled = false;
        EnableWindow(top, TRUE);
    } else if (!state && disabledHere && findWindow(top) && !IsWindowEnabled(top)) {
        EnableWindow(top, TRUE);
    }
    if (findWindow(dialog)) DestroyWindow(dialog);
    if (top && findWindow(top) && IsWindowEnabled(top) && activeWindow() != top) activateWindow(top);
    return result;
}

}  // namespace platform::user

using namespace platform::user;

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure,
                               LPARAM initParam)
{
    const platform::DialogTemplate* dialogTemplate =
        IS_INTRESOURCE(templateName)
            ? platform::findDialogTemplate(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(templateName)))
            : nullptr;
    if (!dialogTemplate) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    return runDialogTemplate(instance, *dialogTemplate, owner, procedure, initParam);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    DialogState* state = findWindowOrFail(dialog) ? dialogOf(dialog) : nullptr;
    if (!state || dialogWindowOf(dialog) != dialog) {
        if (findWindow(dialog)) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    state->result = result;
    state->ended = true;
    if (state->dropped) closeDropDown(state->dropped);
    // The owner is enabled at once and the dialog hidden; the loop then
    // returns and destroys it.
    if (DialogState* still = dialogOf(dialog); still && still->ownerDisabled && findWindow(still->owner)) {
        still->ownerDisabled = false;
        EnableWindow(still->owner, TRUE);
    }
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    if (!findWindowOrFail(dialog)) return nullptr;
    for (HWND control : dialogControls(dialog))
        if (GetDlgCtrlID(control) == id) return control;
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND control)
{
    Window* record = findWindowOrFail(control);
    if (!record || record->topLevel()) return 0;
    return static_cast<int>(reinterpret_cast<INT_PTR>(record->menu));
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId)
{
    if (!findWindowOrFail(dialog)) return FALSE;
    for (HWND control : dialogControls(dialog)) {
        const int id = GetDlgCtrlID(control);
        if (id >= firstId && id <= lastId)
            SendMessageA(control, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect)
{
    DialogState* state = dialogOf(dialog);
    if (!state || !rect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    rect->left = MulDiv(rect->left, state->metrics.baseX, 4);
    rect->top = MulDiv(rect->top, state->metrics.baseY, 8);
    rect->right = MulDiv(rect->right, state->metrics.baseX, 4);
    rect->bottom = MulDiv(rect->bottom, state->metrics.baseY, 8);
    return TRUE;
}

}  // extern "C"
