// The bounded, always terminated string copy that the display configuration,
// the render resources and the framework share; it sits below all of them and
// depends on nothing but the platform's types. Capacities count characters
// including the terminator.
#pragma once

#include <windows.h>

#include <cstring>

// strncpy for `capacity` characters (shorter sources are padded with
// terminators), then dest[capacity - 1] forced to the terminator. E_INVALIDARG,
// dest untouched, for null pointers or a capacity below 1.
inline HRESULT copyBounded(char* dest, const char* src, int capacity)
{
    if (dest == nullptr || src == nullptr || capacity < 1) return E_INVALIDARG;
    // Written out so that src is never read past what is copied.
    int copied = 0;
    for (; copied < capacity - 1 && src[copied] != '\0'; ++copied) dest[copied] = src[copied];
    std::memset(dest + copied, 0, static_cast<size_t>(capacity - copied));
    return S_OK;
}
