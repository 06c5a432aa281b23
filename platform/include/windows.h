// Win32: the subset this program uses, with the published names, signatures,
// layouts and values. Linux only; on Windows the system's <windows.h> is used.
// Like the system header it is an umbrella over the per-area headers.
#pragma once

#include <windef.h>
#include <winerror.h>
#include <wingdi.h>
#include <winbase.h>
#include <winreg.h>
#include <winuser.h>
