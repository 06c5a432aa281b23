// ADVAPI32 registry reads: the subset this program uses, with the published
// names, signatures and values (Linux only). Called by the framework's media
// search. Every function returns a Win32 error code (ERROR_SUCCESS on
// success); the last-error value is not touched.
//
// The layer's registry is read-only and holds one value: under
// HKEY_LOCAL_MACHINE, key "Software\Microsoft\DirectX SDK" (names compare
// case-insensitively), value "DX9J3SDK Samples Path" (REG_SZ) names the
// folder that holds the game's media folder: the installed
// <exe>/../share/quorvane31 when it exists, otherwise the source tree the
// layer was built from. Every other key and value is not found; asking for
// write access fails with ERROR_ACCESS_DENIED, as HKEY_LOCAL_MACHINE does
// for a normal user.
#pragma once

#include <winbase.h>

typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;
typedef HKEY* PHKEY;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006

#define REG_NONE 0
#define REG_SZ 1
#define REG_DWORD 4

extern "C" {

// A null or empty subKey opens another handle to hKey itself. On failure
// *result is set to null.
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
// Published size rules: with data null, *dataSize receives the size in bytes
// (a REG_SZ counts its terminator); when *dataSize is too small the result is
// ERROR_MORE_DATA, *dataSize the size needed and data is left untouched.
// dataSize may be null only when data is; reserved must be null.
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
// Closing a predefined key succeeds and does nothing.
LONG WINAPI RegCloseKey(HKEY key);

}  // extern "C"
