// What only the Linux layer does: drive letters, the case-insensitive lookup
// on a case-sensitive file system, the one registry value and its test seam,
// and its readings of the published rules (formatter limit, MulDiv range,
// null arguments) where Wine answers differently.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/kernel/data_root.h"
#include "platform/kernel/path_translation.h"
#include "tests/platform/kernel/temp_folder.h"

namespace {

using kerneltest::TempFolder;
using platform::PathLookup;

std::string full(const char* name) {
    std::string out = "unchanged";
    return platform::fullWindowsPath(name, &out) ? out : "<failed:" + out + ">";
}

TEST(KernelPathTranslation, DriveLettersStandForTheRootAndSeparatorsCountOnce) {
    EXPECT_EQ(full("C:\\SDK\\Media\\Base02.x"), "/SDK/Media/Base02.x");
    EXPECT_EQ(full("d:/x"), "/x");
    EXPECT_EQ(full("C:\\..\\x"), "/x");
    EXPECT_EQ(full("\\\\a\\\\b//c\\\\"), "/a/b/c/");
    EXPECT_EQ(full(""), "<failed:>");
    EXPECT_EQ(full(nullptr), "<failed:>");
    TempFolder temp;
    ASSERT_TRUE(temp.ok() && temp.enter());
    EXPECT_EQ(full("C:Base02.x"), kerneltest::currentFolder() + "/Base02.x");

    char buffer[MAX_PATH];
    LPSTR filePart = nullptr;
    ASSERT_EQ(GetFullPathNameA("C:\\SDK\\Media\\Base02.x", sizeof(buffer), buffer, &filePart), 19u);
    EXPECT_STREQ(buffer, "/SDK/Media/Base02.x");
    EXPECT_EQ(filePart, buffer + 11);
}

class KernelCaseLookup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.ok() && temp.makeFile("Data/Media/x/Base02.x")); }
    PathLookup lookUp(const std::string& relative) {
        return platform::lookUpWindowsPath((temp.path() + "\\" + relative).c_str(), &found);
    }
    std::string onDisk(const std::string& relative) const { return temp.path() + "/" + relative; }

    TempFolder temp;
    std::string found;
};

TEST_F(KernelCaseLookup, ReportsTheNamesOnDiskAsFarAsTheyExist) {
    EXPECT_EQ(lookUp("DATA\\media\\X\\base02.X"), PathLookup::Found);
    EXPECT_EQ(found, onDisk("Data/Media/x/Base02.x"));
    EXPECT_EQ(lookUp("data\\MEDIA\\x\\"), PathLookup::Found);
    EXPECT_EQ(found, onDisk("Data/Media/x/"));
    EXPECT_EQ(lookUp("data\\media\\x\\Lever1t.x"), PathLookup::NameMissing);
    EXPECT_EQ(found, onDisk("Data/Media/x/Lever1t.x"));
    EXPECT_EQ(lookUp("data\\Textures\\wood.jpg"), PathLookup::FolderMissing);
    EXPECT_EQ(found, onDisk("Data/Textures/wood.jpg"));
    // A file where a folder should be, also when named with a trailing separator.
    EXPECT_EQ(lookUp("data\\media\\x\\base02.x\\inner"), PathLookup::FolderMissing);
    EXPECT_EQ(lookUp("data\\media\\x\\base02.x\\"), PathLookup::FolderMissing);
    EXPECT_EQ(platform::lookUpWindowsPath("", &found), PathLookup::Invalid);
}

TEST_F(KernelCaseLookup, ExactCaseWinsThenTheSmallestName) {
    ASSERT_TRUE(temp.makeFolder("Data/media") && temp.makeFolder("Data/MEDIA"));
    EXPECT_EQ(lookUp("Data\\media"), PathLookup::Found);
    EXPECT_EQ(found, onDisk("Data/media"));
    // "MEDIA" < "Media" < "media" byte-wise, whatever the directory order.
    EXPECT_EQ(lookUp("Data\\mEDIA"), PathLookup::Found);
    EXPECT_EQ(found, onDisk("Data/MEDIA"));
}

TEST(KernelFileArguments, UnsupportedRequestsAndUnknownHandlesFailCleanly) {
    TempFolder temp;
    ASSERT_TRUE(temp.ok() && temp.makeFile("file.txt"));
    std::string name = temp.at("file.txt");
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // The layer probes files; it never creates or writes them.
    EXPECT_EQ(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    // Never-opened handles are refused, not dereferenced; the current-process
    // pseudo handle (INVALID_HANDLE_VALUE) closes without effect, as published.
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ffc))));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

const char kSdkKey[] = "Software\\Microsoft\\DirectX SDK";
const char kValue[] = "DX9J3SDK Samples Path";

class KernelRegistryValue : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, &key), ERROR_SUCCESS); }
    void TearDown() override {
        platform::restoreSdkMediaRoot();
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    // The value as the media search reads it, or "<error N>".
    std::string read(HKEY from, const char* name) {
        char data[4096];
        DWORD size = sizeof(data);
        DWORD type = REG_NONE;
        LONG result = RegQueryValueExA(from, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
        if (result != ERROR_SUCCESS) return "<error " + std::to_string(result) + ">";
        bool sized = type == REG_SZ && size == std::strlen(data) + 1;
        return sized ? std::string(data) : "<bad type or size>";
    }

    HKEY key = nullptr;
};

TEST_F(KernelRegistryValue, NamesTheSourceTreeAndIgnoresCase) {
    EXPECT_EQ(read(key, kValue), Q31_SOURCE_DIR);
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\microsoft\\directx sdk", 0, KEY_QUERY_VALUE, &other),
              ERROR_SUCCESS);
    EXPECT_NE(other, key);
    EXPECT_EQ(read(other, "dx9j3sdk samples path"), Q31_SOURCE_DIR);
    EXPECT_EQ(RegCloseKey(other), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(other), ERROR_INVALID_HANDLE);
    EXPECT_EQ(read(other, kValue), "<error 6>");
}

TEST_F(KernelRegistryValue, PublishedSizeRules) {
    DWORD needed = static_cast<DWORD>(std::strlen(Q31_SOURCE_DIR) + 1);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, kValue, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);  // the terminator counts
    std::string data(needed, '#');
    size = needed - 1;
    EXPECT_EQ(RegQueryValueExA(key, kValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(&data[0]), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(data, std::string(needed, '#'));
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, kValue, &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, kValue, nullptr, nullptr, reinterpret_cast<LPBYTE>(&data[0]), nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(KernelRegistryValue, NothingElseExistsAndNothingIsWritable) {
    EXPECT_EQ(read(key, "DX9J3SDK Samples Path2"), "<error 2>");
    EXPECT_EQ(read(key, nullptr), "<error 2>");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, kValue), "<error 2>");
    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "Samples", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSdkKey, 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_WRITE, &other), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

// The media search appends "\Media\" and a name to the value and probes that.
TEST_F(KernelRegistryValue, SeamValueLeadsTheMediaSuffixToTheMediaFolder) {
    TempFolder temp;
    ASSERT_TRUE(temp.ok() && temp.makeFile("data/media/x/Base02.x"));
    for (std::string root : {temp.at("data"), temp.at("data") + "/"}) {
        platform::overrideSdkMediaRoot(root.c_str());
        ASSERT_EQ(read(key, kValue), root);
        std::string name = root + "\\Media\\x\\Base02.x";
        HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
        CloseHandle(file);
    }
    platform::overrideSdkMediaRoot(nullptr);
    EXPECT_EQ(read(key, kValue), "<error 2>");
    platform::restoreSdkMediaRoot();
    EXPECT_EQ(read(key, kValue), Q31_SOURCE_DIR);
}

TEST(KernelDataRoot, InstalledDataFolderWinsWhenItExists) {
    TempFolder temp;
    ASSERT_TRUE(temp.ok() && temp.makeFolder("prefix/bin"));
    std::string bin = temp.at("prefix/bin");
    EXPECT_EQ(platform::dataRootFor(bin, "/src/q31"), "/src/q31");
    ASSERT_TRUE(temp.makeFile("prefix/share/quorvane31"));  // a file is not a data folder
    EXPECT_EQ(platform::dataRootFor(bin, "/src/q31"), "/src/q31");
    std::filesystem::remove(temp.at("prefix/share/quorvane31"));
    ASSERT_TRUE(temp.makeFolder("prefix/share/quorvane31"));
    EXPECT_EQ(platform::dataRootFor(bin, "/src/q31"), temp.at("prefix/share/quorvane31"));
}

TEST(KernelFormatLimits, OutputStopsAt1023CharactersAndIsTerminated) {
    std::string longText(1500, 'a');
    char buffer[1100];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(wsprintfA(buffer, "<%s>", longText.c_str()), 1023);
    EXPECT_EQ(std::strlen(buffer), 1023u);
    EXPECT_EQ(buffer[1024], '#');
    EXPECT_EQ(wsprintfA(buffer, "%2000d", 5), 1023);
}

TEST(KernelFormatLimits, ShortSizesNullsAndUnknownConversions) {
    char buffer[64];
    EXPECT_EQ(wsprintfA(buffer, "%hu %hd %hx", 70000, 65535, 0x12345), 12);
    EXPECT_STREQ(buffer, "4464 -1 2345");
    EXPECT_EQ(wsprintfA(buffer, "[%s]", static_cast<const char*>(nullptr)), 8);
    EXPECT_STREQ(buffer, "[(null)]");
    // A zero character would end the text while the count went on.
    EXPECT_EQ(wsprintfA(buffer, "[%c%hc%lc]", 0, 0, 0), 2);
    // No argument is taken for what the formatter does not know.
    EXPECT_EQ(wsprintfA(buffer, "%f %5.1q|%d 50%", 7), 8);
    EXPECT_STREQ(buffer, "f q|7 50");
    EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
}

TEST(KernelNumbersAndNulls, MulDivRangeAndLstrcmpNulls) {
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), INT_MIN);  // representable, so not an overflow
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, INT_MIN, INT_MIN), INT_MIN);
    EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
    EXPECT_LT(lstrcmpA(nullptr, ""), 0);
    EXPECT_GT(lstrcmpA("", nullptr), 0);
    EXPECT_GT(lstrcmpA("\xe9", "z"), 0);  // unsigned bytes
}

}  // namespace
