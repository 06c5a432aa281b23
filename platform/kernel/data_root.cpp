#include "kernel/data_root.h"

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "kernel/path_translation.h"

#ifndef Q31_SOURCE_DIR
#error "Q31_SOURCE_DIR must name the source tree (set in platform/kernel/CMakeLists.txt)"
#endif

namespace platform {
namespace {

std::mutex seamMutex;
bool overridden = false;
bool overrideExists = false;
std::string overrideValue;

std::string programFolder() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return std::string();
    std::string exe(path, static_cast<size_t>(length));
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

}  // namespace

std::string dataRootFor(const std::string& exeFolder, const std::string& sourceTree) {
    std::string installed;
    struct stat info;
    if (!exeFolder.empty() && fullWindowsPath((exeFolder + "/../share/quorvane31").c_str(), &installed) &&
        stat(installed.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return installed;
    }
    return sourceTree;
}

bool sdkMediaRootValue(std::string* value) {
    {
        std::lock_guard<std::mutex> lock(seamMutex);
        if (overridden) {
            *value = overrideValue;
            return overrideExists;
        }
    }
    *value = dataRootFor(programFolder(), Q31_SOURCE_DIR);
    return true;
}

void overrideSdkMediaRoot(const char* value) {
    std::lock_guard<std::mutex> lock(seamMutex);
    overridden = true;
    overrideExists = value != nullptr;
    overrideValue = value != nullptr ? value : "";
}

void restoreSdkMediaRoot() {
    std::lock_guard<std::mutex> lock(seamMutex);
    overridden = false;
    overrideExists = false;
    overrideValue.clear();
}

}  // namespace platform
