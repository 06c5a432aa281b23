// Test support for the kernel tests on both targets: a private folder under
// the system's temp folder, removed with its contents at the end, the current
// directory moved into it for a scope, and names spelled with either
// separator. Set-up failures show as ok() false.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace kerneltest {

inline std::string withSeparator(std::string name, char from, char to) {
    for (char& c : name)
        if (c == from) c = to;
    return name;
}
inline std::string backslashed(const std::string& name) { return withSeparator(name, '/', '\\'); }
inline std::string forwardSlashed(const std::string& name) { return withSeparator(name, '\\', '/'); }

inline std::string currentFolder() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

class TempFolder {
public:
    TempFolder() {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; !error && attempt < 100 && path_.empty(); ++attempt) {
            auto candidate = base / ("q31-kernel-" + std::to_string(stamp) + "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
        }
    }
    ~TempFolder() {
        std::error_code error;
        if (!saved_.empty()) std::filesystem::current_path(saved_, error);
        if (!path_.empty()) std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }  // in the system's own spelling
    std::string at(const std::string& relative) const {
        return (std::filesystem::path(path_) / std::filesystem::path(relative).make_preferred()).string();
    }
    bool makeFolder(const std::string& relative) const {
        std::error_code error;
        std::filesystem::create_directories(at(relative), error);
        return !error;
    }
    bool makeFile(const std::string& relative) const {
        std::filesystem::path file = at(relative);
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        std::ofstream out(file, std::ios::binary);
        out << "q31";
        return static_cast<bool>(out);
    }
    // Makes the folder the current directory until destruction.
    bool enter() {
        std::error_code error;
        saved_ = std::filesystem::current_path(error);
        if (!error) std::filesystem::current_path(path_, error);
        return !error;
    }

private:
    std::string path_;
    std::filesystem::path saved_;
};

}  // namespace kerneltest
