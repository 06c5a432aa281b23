// The layer's kernel handles: each open handle owns one Linux file
// descriptor. Handle values are non-null multiples of 4 and never
// INVALID_HANDLE_VALUE, as on Windows. Called by the file functions
// (CreateFileA, CloseHandle, later the readers); thread-safe. Failures are
// reported as null / -1 / false, never through the last-error value.
#pragma once

#include <windows.h>

namespace platform {

// Takes ownership of `fd`; null (fd left with the caller) when the table is full.
HANDLE addFileHandle(int fd);
// The descriptor behind an open handle, -1 for anything else.
int fileDescriptorOf(HANDLE handle);
// Closes the handle and its descriptor; false when it was not open.
bool closeKernelHandle(HANDLE handle);

}  // namespace platform
