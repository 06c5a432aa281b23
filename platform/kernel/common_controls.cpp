#include <windows.h>
#include <commctrl.h>

extern "C" {

// Nothing to register: the layer's dialogs draw their own controls.
void WINAPI InitCommonControls(void) {}

}  // extern "C"
