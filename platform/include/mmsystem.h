// WINMM: the multimedia timer the framework's clock falls back to, with the
// published name and signature (Linux only). Cannot fail.
#pragma once

#include <windef.h>

extern "C" {

// Milliseconds of CLOCK_MONOTONIC (time since boot), wrapping at 2^32, as
// GetTickCount.
DWORD WINAPI timeGetTime(void);

}  // extern "C"
