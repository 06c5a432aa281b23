#include "render/media_search.h"

#include <cstring>

namespace {

constexpr int BareNameCapacity = 260;
const char SdkKey[] = "Software\\Microsoft\\DirectX SDK";
const char MediaRootValue[] = "DX9J3SDK Samples Path";
const char MediaSuffix[] = "\\Media\\";
constexpr size_t MediaSuffixLength = sizeof MediaSuffix - 1;

// The read-only probe: true when the file exists and can be opened for reading.
bool fileOpens(const char* name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

HRESULT mediaRootFromRegistry(char* path, int capacity)
{
    if (path == nullptr || capacity < 1) return E_INVALIDARG;
    path[0] = '\0';

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SdkKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return E_FAIL;
    DWORD size = static_cast<DWORD>(capacity);
    const LONG read = RegQueryValueExA(key, MediaRootValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(path), &size);
    path[capacity - 1] = '\0';
    // A value stored without its terminator must not pick up what the buffer
    // held before past its end.
    if (read == ERROR_SUCCESS && size < static_cast<DWORD>(capacity)) path[size] = '\0';
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) {
        path[0] = '\0';
        return E_FAIL;
    }

    if (std::strlen(path) + MediaSuffixLength >= static_cast<size_t>(capacity)) return E_INVALIDARG;
    std::strcat(path, MediaSuffix);
    return S_OK;
}

HRESULT locateMediaFile(char* path, int capacity, const char* fileName)
{
    if (fileName == nullptr || path == nullptr || capacity < 1) return E_INVALIDARG;
    path[0] = '\0';
    char bareName[BareNameCapacity] = "";

    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(fileName, static_cast<DWORD>(capacity), path, &filePart);
    if (length == 0 || length >= static_cast<DWORD>(capacity)) return E_FAIL;
    if (filePart != nullptr) copyBounded(bareName, filePart, BareNameCapacity);

    // Try 1: the name as given, made absolute.
    if (fileOpens(path)) return S_OK;

    // Try 2: the bare file name in the current directory.
    if (fileOpens(bareName)) {
        copyBounded(path, bareName, capacity);
        return S_OK;
    }

    // Try 3: the bare name in the SDK's media folder.
    const HRESULT root = mediaRootFromRegistry(path, capacity);
    if (FAILED(root)) return root;
    if (std::strlen(path) + std::strlen(bareName) >= static_cast<size_t>(capacity)) return E_INVALIDARG;
    std::strcat(path, bareName);
    if (fileOpens(path)) return S_OK;

    copyBounded(path, fileName, capacity);
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}
