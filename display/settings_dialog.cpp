#include "display/settings_dialog.h"

#include "resources/resource_ids.h"

namespace {

// The window system calls a plain function; it forwards to the one dialog.
DisplaySettingsDialog* activeDialog = nullptr;

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (activeDialog == nullptr) return FALSE;
    return activeDialog->handleMessage(dialog, message, wParam, lParam);
}

// Texts longer than this are never compared by hasText.
const int ItemTextCapacity = 200;

}  // namespace

DisplaySettingsDialog::DisplaySettingsDialog(DisplayEnumerator* enumerator, const DisplaySettings& settings)
    : enumerator(enumerator), settings(settings)
{
    activeDialog = this;
}

DisplaySettingsDialog::~DisplaySettingsDialog()
{
    // A destroyed dialog must not receive the next dialog's messages.
    if (activeDialog == this) activeDialog = nullptr;
}

int DisplaySettingsDialog::runModal(HWND parent)
{
    activeDialog = this;
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECTDEVICE),
                                            parent, settingsDialogProc, 0));
}

INT_PTR DisplaySettingsDialog::handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        dialogWindow = dialog;
        fillAdapters();
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;

    const int id = LOWORD(wParam);
    const UINT notification = HIWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
    }
    if (id == IDC_WINDOWED_RADIO || id == IDC_FULLSCREEN_RADIO) {
        onModeChanged();
        return TRUE;
    }
    if (notification != CBN_SELCHANGE) return TRUE;
    switch (id) {
    case IDC_ADAPTER_COMBO: onAdapterChanged(); break;
    case IDC_DEVICE_COMBO: onDeviceChanged(); break;
    case IDC_ADAPTERFORMAT_COMBO: onAdapterFormatChanged(); break;
    case IDC_RESOLUTION_COMBO: onResolutionChanged(); break;
    case IDC_REFRESHRATE_COMBO: onRefreshRateChanged(); break;
    case IDC_BACKBUFFER_COMBO: onBackBufferFormatChanged(); break;
    case IDC_DEPTHSTENCIL_COMBO: onDepthStencilFormatChanged(); break;
    case IDC_MULTISAMPLETYPE_COMBO: onMultisampleTypeChanged(); break;
    case IDC_MULTISAMPLEQUALITY_COMBO: onMultisampleQualityChanged(); break;
    case IDC_VERTEXPROCESSING_COMBO: onVertexProcessingChanged(); break;
    case IDC_PRESENTINTERVAL_COMBO: onPresentIntervalChanged(); break;
    default: break;
    }
    return TRUE;
}

void DisplaySettingsDialog::add(int id, UINT_PTR value, const char* text)
{
    const LRESULT index = SendDlgItemMessageA(dialogWindow, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0) return;  // CB_ERR or CB_ERRSPACE: nothing was added
    SendDlgItemMessageA(dialogWindow, id, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
}

void DisplaySettingsDialog::selectByValue(int id, UINT_PTR value)
{
    const int items = count(id);
    for (int i = 0; i < items; ++i) {
        const LRESULT data = SendDlgItemMessageA(dialogWindow, id, CB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (static_cast<UINT_PTR>(data) == value) {
            selectIndex(id, i);
            return;
        }
    }
}

void DisplaySettingsDialog::selectIndex(int id, int index)
{
    SendDlgItemMessageA(dialogWindow, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Posted, not sent: the list below is refilled after this handler returns.
    PostMessageA(dialogWindow, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialogWindow, id)));
}

UINT_PTR DisplaySettingsDialog::selectedValue(int id) const
{
    const LRESULT index = SendDlgItemMessageA(dialogWindow, id, CB_GETCURSEL, 0, 0);
    if (index < 0) return 0;
    return static_cast<UINT_PTR>(SendDlgItemMessageA(dialogWindow, id, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool DisplaySettingsDialog::hasSelection(int id) const
{
    return SendDlgItemMessageA(dialogWindow, id, CB_GETCURSEL, 0, 0) >= 0;
}

int DisplaySettingsDialog::count(int id) const
{
    const LRESULT items = SendDlgItemMessageA(dialogWindow, id, CB_GETCOUNT, 0, 0);
    return items < 0 ? 0 : static_cast<int>(items);
}

void DisplaySettingsDialog::reset(int id)
{
    SendDlgItemMessageA(dialogWindow, id, CB_RESETCONTENT, 0, 0);
}

bool DisplaySettingsDialog::hasText(int id, const char* text) const
{
    const int items = count(id);
    for (int i = 0; i < items; ++i) {
        const LRESULT length = SendDlgItemMessageA(dialogWindow, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0 || length >= ItemTextCapacity) continue;
        char itemText[ItemTextCapacity] = "";
        SendDlgItemMessageA(dialogWindow, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(itemText));
        if (lstrcmpA(itemText, text) == 0) return true;
    }
    return false;
}

void DisplaySettingsDialog::selectFirstIfNone(int id)
{
    if (!hasSelection(id) && count(id) > 0) selectIndex(id, 0);
}

void DisplaySettingsDialog::enable(int id, bool enabled)
{
    EnableWindow(GetDlgItem(dialogWindow, id), enabled ? TRUE : FALSE);
}
