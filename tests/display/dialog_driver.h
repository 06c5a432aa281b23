// Drives the settings dialog through the window system's own messages: runs
// it modally over a hidden owner window and plays a script from inside its
// modal loop. Each step runs once no WM_COMMAND is queued any more, that is
// once the cascade of posted selection notifications the previous step (or
// the opening) started has settled. The helpers act as the user would (pick
// an item, click a button) and read the lists back, all through published
// calls, so the same tests run against the system's dialog manager.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "display/settings_dialog.h"

class DialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;

    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    HWND owner() const { return owner_; }

    // Runs the dialog and the steps; returns what ended it. A script that
    // leaves the dialog open, or a cascade that never settles, ends it with
    // IDABORT and sets gaveUp().
    int run(DisplaySettingsDialog& dialog, std::vector<Step> steps);
    bool gaveUp() const { return gaveUp_; }

private:
    static LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onStep();

    HWND owner_ = nullptr;
    DisplaySettingsDialog* dialog_ = nullptr;
    std::vector<Step> steps_;
    size_t nextStep_ = 0;
    int waits_ = 0;
    bool gaveUp_ = false;
};

// The user picks the item at `index` of a drop-down list.
void choose(HWND dialog, int id, int index);
// The user picks the item with this text; false when the list has none.
bool chooseText(HWND dialog, int id, const std::string& text);
// The user clicks a radio button or push button.
void click(HWND dialog, int id);

std::vector<std::string> itemTexts(HWND dialog, int id);
std::vector<UINT_PTR> itemValues(HWND dialog, int id);
// The selected item's text; empty when nothing is selected.
std::string selectedText(HWND dialog, int id);
bool isEnabled(HWND dialog, int id);
bool isChecked(HWND dialog, int id);
