// Full path names and the file probe, driven the same way on both targets:
// names spelled with backslashes, results compared with either separator.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/platform/kernel/temp_folder.h"

namespace {

using kerneltest::backslashed;
using kerneltest::forwardSlashed;
using kerneltest::TempFolder;

// GetFullPathNameA's path ('/'-spelled) and the file part ("<null>" when null).
std::string fullPath(const std::string& name, std::string* filePart = nullptr) {
    char buffer[4 * MAX_PATH];
    LPSTR part = buffer + 1;
    DWORD length = GetFullPathNameA(name.c_str(), sizeof(buffer), buffer, &part);
    if (length == 0 || length != std::strlen(buffer)) return "<failed>";
    if (filePart != nullptr) *filePart = part == nullptr ? "<null>" : part;
    return forwardSlashed(buffer);
}

// ERROR_SUCCESS when the probe opens the file (closed again), else the last error.
DWORD probe(const std::string& name) {
    SetLastError(ERROR_SUCCESS);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SUCCESS ? GetLastError() : ~0u;
    return CloseHandle(file) ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
}

TEST(KernelFullPath, CollapsesDotsAndStartsRelativeNamesAtTheCurrentDirectory) {
    TempFolder temp;
    ASSERT_TRUE(temp.ok());
    std::string root = forwardSlashed(temp.path());
    std::string part;
    EXPECT_EQ(fullPath(backslashed(temp.path()) + "\\sub\\.\\deeper\\..\\file.txt", &part), root + "/sub/file.txt");
    EXPECT_EQ(part, "file.txt");
    EXPECT_EQ(fullPath(backslashed(temp.path()) + "/sub\\other/../file.txt"), root + "/sub/file.txt");

    ASSERT_TRUE(temp.enter());
    std::string cwd = forwardSlashed(kerneltest::currentFolder());
    EXPECT_EQ(fullPath("x\\Base02.x", &part), cwd + "/x/Base02.x");
    EXPECT_EQ(part, "Base02.x");
    // Purely lexical: the missing folder does not matter.
    EXPECT_EQ(fullPath(".\\missing\\..\\Base02.x"), cwd + "/Base02.x");
    EXPECT_EQ(fullPath("."), cwd);
}

TEST(KernelFullPath, RootsAndTrailingSeparators) {
    std::string part;
    EXPECT_EQ(fullPath("\\..\\..\\x.txt", &part), fullPath("\\x.txt"));
    EXPECT_EQ(part, "x.txt");
    std::string root = fullPath("\\", &part);
    EXPECT_EQ(root.back(), '/');
    EXPECT_EQ(part, "<null>");
    EXPECT_EQ(fullPath("\\a\\b\\", &part), root + "a/b/");
    EXPECT_EQ(part, "<null>");
    char buffer[MAX_PATH];
    EXPECT_EQ(GetFullPathNameA("", sizeof(buffer), buffer, nullptr), 0u);
}

TEST(KernelFullPath, BufferLengthRules) {
    std::string name = "\\media\\Base02.x";
    DWORD length = static_cast<DWORD>(fullPath(name).size());
    // The size needed counts the terminator; a short buffer is left alone.
    EXPECT_EQ(GetFullPathNameA(name.c_str(), 0, nullptr, nullptr), length + 1);
    std::string buffer(length + 1, '#');
    EXPECT_EQ(GetFullPathNameA(name.c_str(), length, &buffer[0], nullptr), length + 1);
    EXPECT_EQ(buffer, std::string(length + 1, '#'));
    // Exactly enough: the length without the terminator.
    EXPECT_EQ(GetFullPathNameA(name.c_str(), length + 1, &buffer[0], nullptr), length);
    EXPECT_EQ(std::strlen(buffer.c_str()), length);
}

class KernelFileProbe : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.ok());
        ASSERT_TRUE(temp.makeFile("Media/X/Base02.x"));
    }
    std::string in(const std::string& relative) const { return backslashed(temp.at(relative)); }

    TempFolder temp;
};

TEST_F(KernelFileProbe, OpensBackslashedRelativeAndOddCaseNames) {
    EXPECT_EQ(probe(in("Media/X/Base02.x")), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(probe(in("media/x/BASE02.X")), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(temp.enter());
    EXPECT_EQ(probe("MEDIA\\X\\base02.x"), static_cast<DWORD>(ERROR_SUCCESS));
    // ".." collapses before the lookup, as in the full path.
    EXPECT_EQ(probe("NoSuchFolder\\..\\Media\\X\\Base02.x"), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(KernelFileProbe, ReportsWhatIsMissing) {
    EXPECT_EQ(probe(in("Media/X/Lever1t.x")), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(probe(in("Media/NoSuchFolder/Base02.x")), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(probe(in("Media/X/Base02.x/Inner.x")), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(probe(in("Media/X")), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // a folder
    EXPECT_EQ(probe(""), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(KernelFileProbe, HandlesAreDistinctAndCloseOnce) {
    std::string name = in("Media/X/Base02.x");
    HANDLE first = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE second = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_NE(first, second);
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_FALSE(CloseHandle(first));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
