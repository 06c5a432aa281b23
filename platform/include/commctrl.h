// COMCTL32: InitCommonControls, which the framework calls at start-up, with
// the published name and signature (Linux only). Cannot fail.
#pragma once

#include <windef.h>

extern "C" {

// Does nothing: the layer draws every control itself, so there are no window
// classes to register.
void WINAPI InitCommonControls(void);

}  // extern "C"
