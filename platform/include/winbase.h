// KERNEL32: clocks, Sleep, last-error value, full path names, the read-only
// file probe and CloseHandle, and the few string and arithmetic helpers this
// program uses, with the published names, signatures and values (Linux only).
// Called by the framework (timer, media search) and the rest of the layer.
// Failures are reported as the published results (0, FALSE,
// INVALID_HANDLE_VALUE) with the reason in GetLastError().
#pragma once

#include <windef.h>
#include <winerror.h>

#include <cstdarg>

#ifndef WINAPIV
#define WINAPIV
#endif

typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* LPLONG;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

#define MAX_PATH 260
#define INFINITE 0xFFFFFFFF
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GENERIC_READ (0x80000000L)
#define GENERIC_WRITE (0x40000000L)
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_NORMAL 0x00000080

extern "C" {

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD errorCode);

// CLOCK_MONOTONIC in nanoseconds: the frequency is 1e9 counts per second.
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
// Milliseconds of CLOCK_MONOTONIC (time since boot), wrapping at 2^32.
DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD milliseconds);

// Purely lexical, as on Windows. '\' and '/' both separate and the result uses
// '/'; a drive letter stands for the one Linux root, so "C:\x" is "/x" and the
// drive-relative "C:x" is "x" in the current directory.
DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);

// Only the read-only probe is offered: OPEN_EXISTING with GENERIC_READ (or no
// access); other requests fail with ERROR_CALL_NOT_IMPLEMENTED. Names are
// translated as GetFullPathNameA does, then each component missing with its
// exact case is matched case-insensitively (ASCII letters) in its folder.
// Share modes are not enforced (Linux has no mandatory sharing). A folder
// fails with ERROR_ACCESS_DENIED, as without FILE_FLAG_BACKUP_SEMANTICS.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                          DWORD flagsAndAttributes, HANDLE templateFile);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not open (also on a
// second close). INVALID_HANDLE_VALUE doubles as the current-process pseudo
// handle: closing it does nothing and succeeds, as on Windows.
BOOL WINAPI CloseHandle(HANDLE object);
// Reading a file opened by CreateFileA, synchronously from its current
// position: overlapped must be null (else ERROR_INVALID_PARAMETER); at the end
// of the file TRUE with 0 bytes read. ERROR_INVALID_HANDLE for anything else.
typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
                     LPOVERLAPPED overlapped);
BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);

// A plain byte compare (unsigned), not the locale word sort Windows uses:
// equal strings give 0 either way, but the order of mixed-case strings can
// differ. A null string sorts before any other.
int WINAPI lstrcmpA(LPCSTR string1, LPCSTR string2);
// number * numerator / denominator through 64 bits, rounded half away from
// zero; -1 when the denominator is 0 or the result does not fit an int.
int WINAPI MulDiv(int number, int numerator, int denominator);
// The layer's ANSI code page is single-byte: never a lead byte.
BOOL WINAPI IsDBCSLeadByte(BYTE testChar);

// The program is the only module: a null name gives its instance handle (the
// one main() hands to WinMain); any other name fails with ERROR_MOD_NOT_FOUND.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);

// The program's entry point. The layer's main() (linked into the game only)
// calls it as the Windows loader does: the program's instance handle, no
// previous instance, an empty command line and SW_SHOWDEFAULT.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// Conversions %c %C %s %S %d %i %u %x %X %%, with the flags '-' '0' '#', a
// width, a precision and the size prefixes 'h' (16-bit numbers, ANSI text)
// and 'l' (32-bit numbers as Windows' long, UTF-16 text). At most 1024 bytes
// are written: output beyond 1023 characters is cut and the buffer is always
// terminated. Returns the characters stored, without the terminator. A null
// string prints "(null)"; a character with no meaning after '%' is copied and
// takes no argument.
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);
int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list arguments);

}  // extern "C"

// The names without A: this program is built for the ANSI character set.
#define GetModuleHandle GetModuleHandleA
