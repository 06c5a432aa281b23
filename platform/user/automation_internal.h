// The layer's side of the test seam (q31_automation.h): whether it is on,
// and the answer it gives a message box. Internal to platform/user; used by
// message_box.cpp only.
#pragma once

#include <windows.h>

namespace platform::user {

bool automationEnabled();
// Records the box and returns the seam's answer, `defaultAnswer` when it has none.
int automationAnswerMessageBox(HWND owner, const char* caption, const char* text, UINT type, bool ownerDisabled,
                               int defaultAnswer);

}  // namespace platform::user
