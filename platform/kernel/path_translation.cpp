#include "kernel/path_translation.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

char foldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool currentDirectory(std::string* out) {
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()) != nullptr) {
            out->assign(buffer.data());
            return true;
        }
        if (errno != ERANGE || buffer.size() > (1u << 20)) return false;
        buffer.resize(buffer.size() * 2);
    }
}

// Splits `text` on either separator into `parts`, applying "." and "..".
void appendComponents(const std::string& text, std::vector<std::string>* parts) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = start;
        while (end < text.size() && !isSeparator(text[end])) ++end;
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts->empty()) parts->pop_back();
        } else if (!part.empty() && part != ".") {
            parts->push_back(part);
        }
        start = end + 1;
    }
}

// Components of the full path and whether it ends in a separator.
bool splitFullPath(const char* windowsName, std::vector<std::string>* parts, bool* trailing) {
    parts->clear();
    *trailing = false;
    if (windowsName == nullptr || windowsName[0] == '\0') return false;
    std::string name(windowsName);
    // A drive letter has no Linux meaning: drop it, keeping what follows.
    bool hasDrive = name.size() >= 2 && name[1] == ':' &&
                    ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    if (hasDrive) name.erase(0, 2);
    bool rooted = !name.empty() && isSeparator(name[0]);
    if (!rooted) {
        std::string cwd;
        if (!currentDirectory(&cwd)) return false;
        appendComponents(cwd, parts);
    }
    appendComponents(name, parts);
    *trailing = !name.empty() && isSeparator(name.back());
    return true;
}

std::string joinPath(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) path += "/" + parts[i];
    return path.empty() ? std::string("/") : path;
}

// The entry of `folder` equal to `name` ignoring case, smallest first.
bool findIgnoringCase(const std::string& folder, const std::string& name, std::string* match) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (!equalsIgnoringCase(name, entry->d_name)) continue;
        if (!found || match->compare(entry->d_name) > 0) *match = entry->d_name;
        found = true;
    }
    closedir(dir);
    return found;
}

}  // namespace

bool fullWindowsPath(const char* windowsName, std::string* fullPath) {
    std::vector<std::string> parts;
    bool trailing = false;
    if (!splitFullPath(windowsName, &parts, &trailing)) {
        fullPath->clear();
        return false;
    }
    *fullPath = joinPath(parts, parts.size());
    if (trailing && !parts.empty()) *fullPath += "/";
    return true;
}

PathLookup lookUpWindowsPath(const char* windowsPath, std::string* linuxPath) {
    std::vector<std::string> parts;
    bool trailing = false;
    if (!splitFullPath(windowsPath, &parts, &trailing)) {
        linuxPath->clear();
        return PathLookup::Invalid;
    }
    PathLookup result = PathLookup::Found;
    std::string resolved;
    for (size_t i = 0; i < parts.size() && result == PathLookup::Found; ++i) {
        bool last = i + 1 == parts.size();
        std::string folder = resolved.empty() ? std::string("/") : resolved;
        std::string candidate = resolved + "/" + parts[i];
        struct stat info;
        bool exists = stat(candidate.c_str(), &info) == 0;
        std::string match;
        if (!exists && findIgnoringCase(folder, parts[i], &match)) {
            parts[i] = match;
            candidate = resolved + "/" + match;
            exists = stat(candidate.c_str(), &info) == 0;
        }
        resolved = candidate;
        if (!exists) {
            result = last ? PathLookup::NameMissing : PathLookup::FolderMissing;
        } else if (!S_ISDIR(info.st_mode) && (!last || trailing)) {
            // A file used as a folder, as Windows reports it.
            result = PathLookup::FolderMissing;
        }
    }
    *linuxPath = joinPath(parts, parts.size());
    if (trailing && !parts.empty()) *linuxPath += "/";
    return result;
}

bool resolveWindowsPath(const char* windowsPath, std::string* linuxPath) {
    return lookUpWindowsPath(windowsPath, linuxPath) == PathLookup::Found;
}

}  // namespace platform
