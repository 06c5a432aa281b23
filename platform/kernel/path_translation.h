// Windows path names on Linux, for every part of the layer that opens files
// (the file probe, later the image and mesh loaders). Owns no state.
// fullWindowsPath is lexical; lookUpWindowsPath also reads the file system
// to find each component case-insensitively. Both report failure through
// their result and never throw; the output string is always written.
#pragma once

#include <string>

namespace platform {

// The full path of a Windows name, the way GetFullPathName forms it: '\' and
// '/' separate, repeated separators count once, a drive letter stands for the
// Linux root ("C:\x" is "/x", "C:x" is relative), relative names start at the
// current directory, "." and ".." collapse lexically (never above the root),
// and a trailing separator is kept. The result uses '/'. False for a null or
// empty name or when the current directory cannot be read.
bool fullWindowsPath(const char* windowsName, std::string* fullPath);

enum class PathLookup {
    Found,          // *linuxPath names an existing entry
    NameMissing,    // every folder exists but the last component does not
    FolderMissing,  // a folder on the way is missing or is not a folder
    Invalid,        // null or empty name, or no current directory
};

// fullWindowsPath, then each component that does not exist with its exact
// case is matched case-insensitively (ASCII letters) among its folder's
// entries; when several match, the byte-wise smallest wins so the choice
// does not depend on directory order. *linuxPath receives the translated
// path, resolved as far as it exists.
PathLookup lookUpWindowsPath(const char* windowsPath, std::string* linuxPath);

// lookUpWindowsPath reduced to "does it name an existing entry".
bool resolveWindowsPath(const char* windowsPath, std::string* linuxPath);

}  // namespace platform
