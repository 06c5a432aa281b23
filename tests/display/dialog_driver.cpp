#include "tests/display/dialog_driver.h"

namespace {

const char OwnerClass[] = "Q31 dialog driver";
const UINT StepMessage = WM_APP + 17;
// Reposts while the cascade runs; a real cascade settles within a few dozen.
const int MaxWaits = 5000;

DialogDriver* activeDriver = nullptr;

HWND control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

LRESULT send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

}  // namespace

DialogDriver::DialogDriver()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = OwnerClass;
    RegisterClassA(&windowClass);  // fails harmlessly when a previous driver registered it
    owner_ = CreateWindowA(OwnerClass, "Settings dialog test", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

DialogDriver::~DialogDriver()
{
    if (owner_ != nullptr) DestroyWindow(owner_);
}

int DialogDriver::run(DisplaySettingsDialog& dialog, std::vector<Step> steps)
{
    dialog_ = &dialog;
    steps_ = std::move(steps);
    nextStep_ = 0;
    waits_ = 0;
    gaveUp_ = false;
    activeDriver = this;
    // Queued ahead of the dialog's own notifications, so it first finds the
    // cascade running and waits behind it.
    PostMessageA(owner_, StepMessage, 0, 0);
    const int result = dialog.runModal(owner_);
    activeDriver = nullptr;

    // Whatever the ended dialog left queued must not reach the next one.
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&message);
    return result;
}

LRESULT CALLBACK DialogDriver::ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == StepMessage && activeDriver != nullptr) {
        activeDriver->onStep();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void DialogDriver::onStep()
{
    HWND dialog = dialog_->dialogWindow;
    if (dialog == nullptr || !IsWindow(dialog)) return;  // the dialog has ended

    MSG pending;
    const bool cascadeRunning = PeekMessageA(&pending, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != FALSE;
    // After the last step the dialog should be ending (a posted key may take
    // a moment); one that stays open is given up on.
    if (cascadeRunning || nextStep_ >= steps_.size()) {
        if (++waits_ > MaxWaits) {
            gaveUp_ = true;
            EndDialog(dialog, IDABORT);
            return;
        }
        PostMessageA(owner_, StepMessage, 0, 0);
        return;
    }
    waits_ = 0;
    steps_[nextStep_++](dialog);
    PostMessageA(owner_, StepMessage, 0, 0);
}

void choose(HWND dialog, int id, int index)
{
    // A user's pick: the list changes its selection and tells its parent.
    send(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control(dialog, id)));
}

bool chooseText(HWND dialog, int id, const std::string& text)
{
    const std::vector<std::string> texts = itemTexts(dialog, id);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] != text) continue;
        choose(dialog, id, static_cast<int>(i));
        return true;
    }
    return false;
}

void click(HWND dialog, int id)
{
    SendMessageA(control(dialog, id), BM_CLICK, 0, 0);
}

std::vector<std::string> itemTexts(HWND dialog, int id)
{
    std::vector<std::string> texts;
    const LRESULT count = send(dialog, id, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = send(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
        send(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(length > 0 ? static_cast<size_t>(length) : 0);
        texts.push_back(text);
    }
    return texts;
}

std::vector<UINT_PTR> itemValues(HWND dialog, int id)
{
    std::vector<UINT_PTR> values;
    const LRESULT count = send(dialog, id, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i)
        values.push_back(static_cast<UINT_PTR>(send(dialog, id, CB_GETITEMDATA, static_cast<WPARAM>(i))));
    return values;
}

std::string selectedText(HWND dialog, int id)
{
    const LRESULT index = send(dialog, id, CB_GETCURSEL);
    if (index < 0) return std::string();
    const std::vector<std::string> texts = itemTexts(dialog, id);
    return static_cast<size_t>(index) < texts.size() ? texts[static_cast<size_t>(index)] : std::string();
}

bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(control(dialog, id)) != FALSE; }

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
