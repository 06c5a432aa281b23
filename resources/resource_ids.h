// Ids of the program's resources and menu commands, shared by the C++ code and
// the resource script (resources/quorvane31.rc), so plain #defines only: both
// resource compilers (the system's and tools/rc_compile) read this file.
// The game's window procedure dispatches WM_COMMAND on the IDM_ values.
#pragma once

// Resources
#define IDI_MAIN_ICON 101
#define IDR_MAIN_ACCEL 113
#define IDR_MAIN_MENU 141

// Commands (menu items and accelerators)
#define IDM_CHANGE_DEVICE 40002
#define IDM_TOGGLE_FULLSCREEN 40003  // accelerator only, no menu item
#define IDM_EXIT 40006
#define IDM_ABOUT 40013
#define IDM_RESET 40014
