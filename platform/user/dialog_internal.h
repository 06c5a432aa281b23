// The dialog manager's shared records: the state of a dialog window (its
// procedure, result, font metrics and the combo box whose list is open) and
// the state of each control (check, enable is the window's own, combo-box
// items with their data and selection). The layer keeps all of it; the view
// (dialog_view.cpp) only draws it. Internal to platform/user: dialog.cpp,
// dialog_proc.cpp, dialog_controls.cpp, combo_box.cpp, dialog_view.cpp and
// the automation seam use it. Lookups return null for a handle that is not a
// live dialog or control.
#pragma once

#include <windows.h>

#include "platform/resources/resource_tables.h"

#include <string>
#include <vector>

struct ImDrawList;
struct ImFont;

namespace platform::user {

// Class names Windows gives its dialog and control classes.
constexpr const char* kDialogClass = "#32770";
constexpr const char* kButtonClass = "Button";
constexpr const char* kStaticClass = "Static";
constexpr const char* kComboBoxClass = "ComboBox";

// Registers the dialog class and the control classes once; false if the
// class table refuses them.
bool registerDialogClasses();

struct DialogMetrics {
    int baseX = 0;       // average character width of the dialog font (dialog units x 4)
    int baseY = 0;       // character height of the dialog font (dialog units x 8)
    int textHeight = 0;  // tmHeight, the line height text is drawn with
};

struct DialogState {
    DLGPROC procedure = nullptr;
    HWND owner = nullptr;
    bool ownerDisabled = false;  // by this dialog: enabled again when it ends
    INT_PTR result = 0;
    bool ended = false;
    bool dirty = true;  // drawn again before the modal loop next waits
    DialogMetrics metrics;
    HFONT font = nullptr;    // the template's font (WM_GETFONT), deleted with the dialog
    HWND dropped = nullptr;  // the combo box whose list is open
};

// DialogBoxParamA for a template the caller holds (a message box builds its
// own): the dialog made over `owner`'s top-level window, WM_INITDIALOG, the
// modal loop. EndDialog's result; -1 when the dialog cannot be made.
INT_PTR runDialogTemplate(HINSTANCE instance, const DialogTemplate& dialogTemplate, HWND owner, DLGPROC procedure,
                          LPARAM initParam);
// Where a width x height window lies centred over `owner` (the screen when
// null), kept on the screen.
POINT centredOver(HWND owner, int width, int height);

// The state of a dialog window, or of the dialog a control sits in.
DialogState* dialogOf(HWND windowOrControl);
HWND dialogWindowOf(HWND windowOrControl);
// Something the dialog shows changed.
void dialogChanged(HWND windowOrControl);
// WM_PAINT of a dialog or control: the update region is validated and the
// dialog drawn again by the view.
LRESULT paintByView(HWND windowOrControl);
// WM_COMMAND (the control's id, `code`, the control) sent to its dialog.
void notifyParent(HWND control, WORD code);
// The dialog's children in creation order (the template's tab order).
std::vector<HWND> dialogControls(HWND dialog);

enum class ControlKind { Static, PushButton, DefPushButton, RadioButton, CheckBox, GroupBox, ComboBox };

struct ComboItem {
    std::string text;
    LPARAM data = 0;
};

struct ControlState {
    ControlKind kind = ControlKind::Static;
    bool automatic = false;  // BS_AUTORADIOBUTTON / BS_AUTOCHECKBOX
    UINT check = BST_UNCHECKED;
    bool pressed = false;  // a push button under a held mouse button
    // Combo boxes
    std::vector<ComboItem> items;
    int selection = -1;
    bool dropped = false;
    int hot = -1;           // the item under the pointer while the list is open
    int firstShown = 0;     // the open list's first visible item
    int droppedHeight = 0;  // pixels from the box's top to the open list's bottom (the template height)
};

ControlState* controlState(HWND control);

LRESULT CALLBACK buttonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK staticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK comboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Where a combo box's open list lies, in its dialog's client pixels; false
// while the list is closed.
struct DropDownLayout {
    RECT frame{};
    int itemHeight = 0;
    int firstShown = 0;
    int shownCount = 0;
};
bool dropDownLayout(HWND combo, DropDownLayout* out);
// Row `row` (0 the first shown) of an open list.
RECT dropDownRow(const DropDownLayout& layout, int row);
// Closes an open list (Esc, a click elsewhere, the dialog ending) without a selection.
void closeDropDown(HWND combo);
// The dialog manager's keys (IsDialogMessage's part of the modal loop): Esc
// gives IDCANCEL, Enter the default button (or the focused push button), Tab
// and Shift+Tab move the focus over WS_TABSTOP controls, the arrow keys move
// it within a WS_GROUP group (checking an automatic radio button it lands
// on), and a mnemonic letter (with Alt, or alone where the focused control
// takes no characters) clicks its button or focuses the control after its
// label. True when the message was used and must not be dispatched.
bool dialogKeyMessage(HWND dialog, const MSG& message);
// The push button Enter presses: the focused one, else the default one.
HWND defaultButton(HWND dialog);

// Keyboard while the dialog has the focus: arrows step the focused list;
// Enter and Esc act on an open list. True when the key was used.
bool comboBoxKey(HWND combo, UINT virtualKey);

// The dialog's look: registered as its compositor's painter.
void paintDialog(HWND dialog, ImDrawList* list, ImFont* font);

}  // namespace platform::user
