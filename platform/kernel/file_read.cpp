// ReadFile and GetFileSizeEx over the descriptors of the handle table.
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kernel/handle_table.h"

extern "C" {

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead, LPDWORD numberOfBytesRead,
                     LPOVERLAPPED overlapped) {
    if (numberOfBytesRead != nullptr) *numberOfBytesRead = 0;
    int fd = platform::fileDescriptorOf(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (overlapped != nullptr || (buffer == nullptr && numberOfBytesToRead != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Windows reads the whole request from a disk file unless the end comes
    // first; read() may return less, so loop.
    DWORD total = 0;
    while (total < numberOfBytesToRead) {
        ssize_t got = read(fd, static_cast<char*>(buffer) + total, numberOfBytesToRead - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (numberOfBytesRead != nullptr) *numberOfBytesRead = total;
            SetLastError(ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    if (numberOfBytesRead != nullptr) *numberOfBytesRead = total;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize) {
    int fd = platform::fileDescriptorOf(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (fileSize == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    fileSize->QuadPart = static_cast<LONGLONG>(info.st_size);
    return TRUE;
}

}  // extern "C"
