// Ids of the program's resources and menu commands, shared by the C++ code and
// the resource script (resources/quorvane31.rc), so plain #defines only: both
// resource compilers (the system's and tools/rc_compile) read this file.
// The game's window procedure dispatches WM_COMMAND on the IDM_ values.
#pragma once

// Resources
#define IDI_MAIN_ICON 101
#define IDR_MAIN_ACCEL 113
#define IDR_MAIN_MENU 141
#define IDD_SELECTDEVICE 144

// Commands (menu items and accelerators)
#define IDM_CHANGE_DEVICE 40002
#define IDM_TOGGLE_FULLSCREEN 40003  // accelerator only, no menu item
#define IDM_EXIT 40006
#define IDM_ABOUT 40013
#define IDM_RESET 40014

// Controls of the display settings dialog (template IDD_SELECTDEVICE); the
// OK and Cancel buttons use the system's IDOK (1) and IDCANCEL (2).
#define IDC_DEVICE_COMBO 1000
#define IDC_ADAPTER_COMBO 1002
#define IDC_ADAPTERFORMAT_COMBO 1003
#define IDC_RESOLUTION_COMBO 1004
#define IDC_MULTISAMPLETYPE_COMBO 1005
#define IDC_REFRESHRATE_COMBO 1006
#define IDC_BACKBUFFER_COMBO 1007
#define IDC_DEPTHSTENCIL_COMBO 1008
#define IDC_VERTEXPROCESSING_COMBO 1009
#define IDC_PRESENTINTERVAL_COMBO 1010
#define IDC_MULTISAMPLEQUALITY_COMBO 1011
#define IDC_WINDOWED_RADIO 1016
#define IDC_FULLSCREEN_RADIO 1018
