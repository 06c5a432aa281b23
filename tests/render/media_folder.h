// Test support for the media search on both targets: a private folder under
// the system's temp folder that is the current directory for the test's
// life, with files made and removed in it. Set-up failures show as ok() false.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace rendertest {

class MediaFolder {
public:
    MediaFolder()
    {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; !error && attempt < 100 && root_.empty(); ++attempt) {
            auto candidate = base / ("q31-media-" + std::to_string(stamp) + "-" + std::to_string(attempt));
            if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
        }
        if (root_.empty()) return;
        saved_ = std::filesystem::current_path(error);
        if (!error) std::filesystem::current_path(root_, error);
        entered_ = !error;
    }
    ~MediaFolder()
    {
        std::error_code error;
        if (entered_) std::filesystem::current_path(saved_, error);
        if (!root_.empty()) std::filesystem::remove_all(root_, error);
    }
    MediaFolder(const MediaFolder&) = delete;
    MediaFolder& operator=(const MediaFolder&) = delete;

    bool ok() const { return entered_; }
    // `relative` uses '/'; the result is in the system's own spelling.
    std::string at(const std::string& relative) const
    {
        return (root_ / std::filesystem::path(relative).make_preferred()).string();
    }
    bool makeFile(const std::string& relative) const
    {
        const std::filesystem::path file = at(relative);
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        std::ofstream out(file, std::ios::binary);
        out << "xof 0303txt 0032\n";
        return static_cast<bool>(out);
    }
    bool remove(const std::string& relative) const
    {
        std::error_code error;
        return std::filesystem::remove(at(relative), error);
    }
    // Whether `path` names the same file as `relative` here.
    bool isFile(const std::string& path, const std::string& relative) const
    {
        std::error_code error;
        return std::filesystem::equivalent(path, at(relative), error);
    }

private:
    std::filesystem::path root_;
    std::filesystem::path saved_;
    bool entered_ = false;
};

}  // namespace rendertest
