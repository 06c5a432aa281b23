// The read-only registry: one key under HKEY_LOCAL_MACHINE with one value,
// the SDK media root, whose data comes from data_root.
#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "kernel/data_root.h"

namespace {

const char kSdkKey[] = "Software\\Microsoft\\DirectX SDK";
const char kMediaRootValue[] = "DX9J3SDK Samples Path";

std::mutex keysMutex;
std::set<HKEY> openKeys;  // handles to the SDK key, one object each

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

bool isPredefined(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
           key == HKEY_USERS;
}

bool isOpenSdkKey(HKEY key) {
    std::lock_guard<std::mutex> lock(keysMutex);
    return openKeys.count(key) != 0;
}

HKEY openSdkKey() {
    std::lock_guard<std::mutex> lock(keysMutex);
    HKEY key = new HKEY__{};
    openKeys.insert(key);
    return key;
}

}  // namespace

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    bool sdkKey = isOpenSdkKey(key);
    if (!sdkKey && !isPredefined(key)) return ERROR_INVALID_HANDLE;
    bool sameKey = subKey == nullptr || subKey[0] == '\0';
    if (sameKey && !sdkKey) {
        *result = key;
        return ERROR_SUCCESS;
    }
    // The SDK key has no subkeys; it is reached only from HKEY_LOCAL_MACHINE.
    if (!sameKey && (key != HKEY_LOCAL_MACHINE || !equalsIgnoringCase(subKey, kSdkKey))) {
        return ERROR_FILE_NOT_FOUND;
    }
    if ((desired & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0) return ERROR_ACCESS_DENIED;
    *result = openSdkKey();
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
    bool sdkKey = isOpenSdkKey(key);
    if (!sdkKey && !isPredefined(key)) return ERROR_INVALID_HANDLE;
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
    if (!sdkKey || valueName == nullptr || !equalsIgnoringCase(valueName, kMediaRootValue)) {
        return ERROR_FILE_NOT_FOUND;
    }
    std::string value;
    if (!platform::sdkMediaRootValue(&value)) return ERROR_FILE_NOT_FOUND;
    if (value.size() >= 0xFFFFFFFFu) return ERROR_FILE_NOT_FOUND;
    DWORD size = static_cast<DWORD>(value.size() + 1);
    if (type != nullptr) *type = REG_SZ;
    if (data == nullptr) {
        if (dataSize != nullptr) *dataSize = size;
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.c_str(), size);
    *dataSize = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (isPredefined(key)) return ERROR_SUCCESS;
    std::unique_ptr<HKEY__> owned;
    {
        std::lock_guard<std::mutex> lock(keysMutex);
        if (openKeys.erase(key) == 0) return ERROR_INVALID_HANDLE;
        owned.reset(key);
    }
    return ERROR_SUCCESS;
}

}  // extern "C"
