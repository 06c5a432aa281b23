// MessageBoxA as a dialog of the layer's own, built as Windows builds it: a
// template with the icon, the text and the buttons the flags ask for, laid
// out at WM_INITDIALOG once the text is measured in the dialog font, run by
// the dialog manager's modal loop (owner disabled, the thread's messages
// still dispatched, WM_PAINT among them; Enter, Esc, Space, Tab and the
// buttons' mnemonics) and drawn by the dialog view. With the test seam on,
// the seam answers instead, unless it asks for boxes to be shown.
#include "platform/user/automation_internal.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/message_text.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::user {

namespace {

struct Button {
    int id;
    const char* text;
};

std::vector<Button> buttonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
    }
}

// The system icon the flags name (its IDI_ ordinal), 0 for none.
int iconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return 32513;
    case MB_ICONQUESTION: return 32514;
    case MB_ICONEXCLAMATION: return 32515;
    case MB_ICONASTERISK: return 32516;
    default: return 0;
    }
}

// What Escape or the close box gives: Cancel where there is one, OK for a
// lone OK, nothing otherwise (the box stays up).
int escapeAnswer(const std::vector<Button>& buttons)
{
    for (const Button& button : buttons)
        if (button.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().id : 0;
}

constexpr UINT kIconId = 0x0014;
constexpr UINT kTextId = 0xFFFF;
constexpr int kIconSize = 32;

struct Setup {
    std::string text;
    std::vector<Button> buttons;
    size_t defaultIndex = 0;
    int escape = 0;
};

// Dialog units of the box's font to pixels.
int unitsX(HWND dialog, int units)
{
    const DialogState* state = dialogOf(dialog);
    return state ? MulDiv(units, state->metrics.baseX, 4) : units * 2;
}

int unitsY(HWND dialog, int units)
{
    const DialogState* state = dialogOf(dialog);
    return state ? MulDiv(units, state->metrics.baseY, 8) : units * 2;
}

struct TextMeasure {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    int lineHeight = 16;

    explicit TextMeasure(HWND dialog) : dc(CreateCompatibleDC(nullptr))
    {
        const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        if (dc && font) previous = SelectObject(dc, font);
        TEXTMETRICA metrics{};
        if (dc && GetTextMetricsA(dc, &metrics)) lineHeight = static_cast<int>(metrics.tmHeight);
    }
    ~TextMeasure()
    {
        if (dc && previous) SelectObject(dc, previous);
        if (dc) DeleteDC(dc);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    int width(const std::string& text) const
    {
        SIZE extent{};
        if (!dc || text.empty() || !GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent))
            return 0;
        return static_cast<int>(extent.cx);
    }
};

void place(HWND control, int x, int y, int width, int height)
{
    SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The box's layout: icon at the top left, the text beside it (centred on the
// icon when shorter), the buttons in a centred row below; all in the
// dialog's units so that it scales with its font as the settings dialog does.
void layOut(HWND dialog, const Setup& setup)
{
    const TextMeasure measure(dialog);
    const int marginX = unitsX(dialog, 8);
    const int marginY = unitsY(dialog, 7);
    HWND icon = GetDlgItem(dialog, kIconId);
    const int textLeft = marginX + (icon ? kIconSize + unitsX(dialog, 8) : 0);
    const int widest = GetSystemMetrics(SM_CXSCREEN) * 5 / 8 - textLeft - marginX;
    const std::vector<std::string> lines =
        wrapLines(setup.text.c_str(), std::max(widest, 64), [&](const std::string& line) { return measure.width(line); });
    int textWidth = 0;
    std::string shown;
    for (size_t i = 0; i < lines.size(); ++i) {
        textWidth = std::max(textWidth, measure.width(lines[i]));
        shown += (i ? "\n" : "") + lines[i];
    }
    const int textHeight = static_cast<int>(lines.size()) * measure.lineHeight;
    const int bodyHeight = std::max(textHeight, icon ? kIconSize : 0);

    int buttonWidth = unitsX(dialog, 50);
    for (const Button& button : setup.buttons)
        buttonWidth = std::max(buttonWidth, measure.width(button.text) + unitsX(dialog, 12));
    const int buttonHeight = unitsY(dialog, 14);
    const int buttonGap = unitsX(dialog, 4);
    const int rowWidth = static_cast<int>(setup.buttons.size()) * (buttonWidth + buttonGap) - buttonGap;

    char caption[256] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    const int captionWidth = measure.width(caption) + unitsX(dialog, 32);
    const int width = std::max({textLeft + textWidth + marginX, rowWidth + 2 * marginX, captionWidth});
    const int buttonsTop = marginY + bodyHeight + unitsY(dialog, 8);
    const int height = buttonsTop + buttonHeight + marginY;

    if (icon) place(icon, marginX, marginY, kIconSize, kIconSize);
    if (HWND text = GetDlgItem(dialog, kTextId)) {
        SetWindowTextA(text, shown.c_str());
        place(text, textLeft, marginY + (bodyHeight - textHeight) / 2, textWidth + 1, textHeight);
    }
    int x = (width - rowWidth) / 2;
    for (const Button& button : setup.buttons) {
        if (HWND control = GetDlgItem(dialog, button.id)) place(control, x, buttonsTop, buttonWidth, buttonHeight);
        x += buttonWidth + buttonGap;
    }
    Window* record = findWindow(dialog);
    const HWND owner = record ? record->parent : nullptr;
    const POINT at = centredOver(owner, width, height);
    SetWindowPos(dialog, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK messageBoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* setup = reinterpret_cast<const Setup*>(lParam);
        layOut(dialog, *setup);
        if (HWND button = GetDlgItem(dialog, setup->buttons[setup->defaultIndex].id)) SetFocus(button);
        return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    const auto* setup = reinterpret_cast<const Setup*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!setup) return FALSE;
    const int id = LOWORD(wParam);
    for (const Button& button : setup->buttons)
        if (button.id == id) {
            EndDialog(dialog, id);
            return TRUE;
        }
    // Esc and the close box: Cancel, the lone OK, or nothing.
    if (id == IDCANCEL && setup->escape) EndDialog(dialog, setup->escape);
    return TRUE;
}

int showBox(HWND owner, const char* caption, const Setup& setup, UINT type)
{
    std::vector<DialogControlTemplate> controls;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    char iconName[16] = {};
    if (const int icon = iconFor(type)) {
        std::snprintf(iconName, sizeof iconName, "#%d", icon);
        controls.push_back({kStaticClass, iconName, kIconId, 0, 0, 0, 0, static_cast<DWORD>(child | SS_ICON), 0});
    }
    controls.push_back({kStaticClass, "", kTextId, 0, 0, 0, 0,
                        static_cast<DWORD>(child | SS_LEFT | SS_NOPREFIX | WS_GROUP), 0});
    for (size_t i = 0; i < setup.buttons.size(); ++i) {
        const DWORD kind = i == setup.defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        const DWORD group = i == 0 ? WS_GROUP : 0;
        controls.push_back({kButtonClass, setup.buttons[i].text, static_cast<UINT>(setup.buttons[i].id), 0, 0, 0, 0,
                            static_cast<DWORD>(child | WS_TABSTOP | kind | group), 0});
    }
    const DialogTemplate box{0,       false, 0, 0, 0, 0, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                             0,       caption, 8, "MS Shell Dlg", FW_NORMAL, false, controls.data(), controls.size()};
    const INT_PTR answer = runDialogTemplate(nullptr, box, owner, &messageBoxProcedure, reinterpret_cast<LPARAM>(&setup));
    if (answer <= 0) {
        // No box could be shown (no display): the text must not be lost.
        std::fprintf(stderr, "%s: %s\n", caption, lineFeedBreaks(setup.text.c_str()).c_str());
        return 0;
    }
    return static_cast<int>(answer);
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

extern "C" {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (owner && !findWindowOrFail(owner)) return 0;
    if (!caption) caption = "Error";
    if (!text) text = "";
    Setup setup;
    setup.text = text;
    setup.buttons = buttonsFor(type);
    setup.defaultIndex = (type & MB_DEFMASK) >> 8;
    if (setup.defaultIndex >= setup.buttons.size()) setup.defaultIndex = 0;
    setup.escape = escapeAnswer(setup.buttons);
    if (!automationEnabled() || automationShowsMessageBoxes()) return showBox(owner, caption, setup, type);

    const HWND top = topLevelOf(owner);
    const bool disabledHere = top && !EnableWindow(top, FALSE);
    // The box's own modal loop: what is ready now reaches its windows.
    dispatchReadyMessages();
    const bool ownerDisabled = top && !IsWindowEnabled(top);
    const int answer = automationAnswerMessageBox(owner, caption, text, type, ownerDisabled,
                                                  setup.buttons[setup.defaultIndex].id);
    dispatchReadyMessages();
    if (disabledHere && findWindow(top)) {
        EnableWindow(top, TRUE);
        if (activeWindow() != top) activateWindow(top);
    }
    return answer;
}

BOOL WINAPI MessageBeep(UINT)
{
    // SDL has no bell; the layer stays silent.
    return TRUE;
}

}  // extern "C"
