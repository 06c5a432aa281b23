// GetModuleHandleA: the program is the only module the layer knows.
#include <windows.h>

#include <cstdint>

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    // The address Windows programs are conventionally loaded at, which the
    // layer's main() hands to WinMain too; resources are served for it.
    if (moduleName == nullptr) return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

}  // extern "C"
