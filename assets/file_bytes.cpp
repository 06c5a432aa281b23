#include "assets/file_bytes.h"

#include <new>
#include <utility>

namespace {

HRESULT lastErrorResult()
{
    const DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

HRESULT readFileBytes(const char* path, size_t maxBytes, FileBytes* out)
{
    if (!path || !out) return E_INVALIDARG;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastErrorResult();

    HRESULT result = S_OK;
    FileBytes bytes;
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize)) {
        result = lastErrorResult();
    } else if (fileSize.QuadPart < 0 || static_cast<unsigned long long>(fileSize.QuadPart) > maxBytes) {
        result = E_OUTOFMEMORY;
    } else {
        bytes.size = static_cast<size_t>(fileSize.QuadPart);
        // One byte more than the size, so that a file that grew is noticed.
        bytes.data.reset(new (std::nothrow) unsigned char[bytes.size + 1]);
        if (!bytes.data) result = E_OUTOFMEMORY;
    }
    size_t done = 0;
    while (SUCCEEDED(result)) {
        const size_t left = bytes.size + 1 - done;
        const DWORD request = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data.get() + done, request, &got, nullptr)) {
            result = lastErrorResult();
        } else if (got == 0) {
            break;
        } else {
            done += got;
            if (done > bytes.size) result = E_FAIL;
        }
    }
    CloseHandle(file);
    if (FAILED(result)) return result;
    if (done != bytes.size) return E_FAIL;
    *out = std::move(bytes);
    return S_OK;
}
