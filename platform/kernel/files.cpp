// Full path names, the read-only file probe and CloseHandle. Names go through
// the path translation shared with the rest of the layer.
#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "kernel/handle_table.h"
#include "kernel/path_translation.h"

namespace {

DWORD errorOfOpen(int error) {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_GEN_FAILURE;
    }
}

HANDLE failOpen(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

extern "C" {

DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (filePart != nullptr) *filePart = nullptr;
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (fileName[0] == '\0') {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string full;
    if (!platform::fullWindowsPath(fileName, &full)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (full.size() >= 0xFFFFFFFFu) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    DWORD length = static_cast<DWORD>(full.size());
    // Too small: report the size needed, terminator included, and leave the
    // buffer as it was.
    if (buffer == nullptr || bufferLength <= length) return length + 1;
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr && full.back() != '/') *filePart = buffer + full.rfind('/') + 1;
    return length;
}

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                          LPSECURITY_ATTRIBUTES /*securityAttributes*/, DWORD creationDisposition,
                          DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
    if (fileName == nullptr) return failOpen(ERROR_INVALID_PARAMETER);
    if (creationDisposition != OPEN_EXISTING || (desiredAccess & ~static_cast<DWORD>(GENERIC_READ)) != 0) {
        return failOpen(ERROR_CALL_NOT_IMPLEMENTED);
    }
    std::string path;
    switch (platform::lookUpWindowsPath(fileName, &path)) {
        case platform::PathLookup::Found:
            break;
        case platform::PathLookup::NameMissing:
            return failOpen(ERROR_FILE_NOT_FOUND);
        case platform::PathLookup::FolderMissing:
        case platform::PathLookup::Invalid:
            return failOpen(ERROR_PATH_NOT_FOUND);
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failOpen(errorOfOpen(errno));
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return failOpen(ERROR_ACCESS_DENIED);
    }
    HANDLE handle = platform::addFileHandle(fd);
    if (handle == nullptr) {
        close(fd);
        return failOpen(ERROR_TOO_MANY_OPEN_FILES);
    }
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI CloseHandle(HANDLE object) {
    // INVALID_HANDLE_VALUE is also the current-process pseudo handle, whose
    // close is published as having no effect.
    if (object == INVALID_HANDLE_VALUE) return TRUE;
    if (!platform::closeKernelHandle(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
