// The layer's side of the test seam (q31_automation.h): whether it is on,
// the answer it gives a message box, and the test's turn in a dialog's modal
// loop. Internal to platform/user; used by message_box.cpp and dialog.cpp.
#pragma once

#include <windows.h>

namespace platform::user {

bool automationEnabled();
// The seam lets message boxes come up as they do without it (showMessageBoxes).
bool automationShowsMessageBoxes();
// Records the box and returns the seam's answer, `defaultAnswer` when it has none.
int automationAnswerMessageBox(HWND owner, const char* caption, const char* text, UINT type, bool ownerDisabled,
                               int defaultAnswer);
// The dialog's modal loop has handled everything waiting: the seam's idle
// handler, if any, runs now.
void automationDialogIdle(HWND dialog);

}  // namespace platform::user
