// The third try of the media search, through the Linux layer's registry seam:
// the test chooses the SDK media root, or that there is none.
#include "render/media_search.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/data_root.h"
#include "tests/render/media_folder.h"

namespace {

using rendertest::MediaFolder;

const HRESULT FileNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

class MediaRoot : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(media.ok()); }
    void TearDown() override { platform::restoreSdkMediaRoot(); }

    void useRoot(const std::string& value) { platform::overrideSdkMediaRoot(value.c_str()); }

    MediaFolder media;
    char path[MAX_PATH] = "untouched";
};

TEST_F(MediaRoot, ThreeTriesInOrder)
{
    // The game's folder is "media"; the search asks for "Media".
    const std::string sdk = media.at("sdk");
    useRoot(sdk);
    ASSERT_TRUE(media.makeFile("x/Base02.x") && media.makeFile("Base02.x") && media.makeFile("sdk/media/Base02.x"));

    ASSERT_EQ(locateMediaFile(path, MAX_PATH, "x\\Base02.x"), S_OK);
    EXPECT_TRUE(media.isFile(path, "x/Base02.x")) << path;

    ASSERT_TRUE(media.remove("x/Base02.x"));
    ASSERT_EQ(locateMediaFile(path, MAX_PATH, "x\\Base02.x"), S_OK);
    EXPECT_STREQ(path, "Base02.x");

    ASSERT_TRUE(media.remove("Base02.x"));
    ASSERT_EQ(locateMediaFile(path, MAX_PATH, "x\\Base02.x"), S_OK);
    EXPECT_EQ(std::string(path), sdk + "\\Media\\Base02.x") << "suffix appended to a value with no backslash";

    ASSERT_TRUE(media.remove("sdk/media/Base02.x"));
    EXPECT_EQ(locateMediaFile(path, MAX_PATH, "x\\Base02.x"), FileNotFound);
    EXPECT_STREQ(path, "x\\Base02.x") << "the name as given";
}

TEST_F(MediaRoot, SuffixIsAppendedToTheValueAsItIs)
{
    useRoot("C:\\SDK");
    ASSERT_EQ(mediaRootFromRegistry(path, MAX_PATH), S_OK);
    EXPECT_STREQ(path, "C:\\SDK\\Media\\");
    useRoot("C:\\SDK\\");
    ASSERT_EQ(mediaRootFromRegistry(path, MAX_PATH), S_OK);
    EXPECT_STREQ(path, "C:\\SDK\\\\Media\\");
}

TEST_F(MediaRoot, NoValueFailsWithAnEmptyPath)
{
    platform::overrideSdkMediaRoot(nullptr);
    EXPECT_EQ(mediaRootFromRegistry(path, MAX_PATH), E_FAIL);
    EXPECT_STREQ(path, "");
    std::strcpy(path, "untouched");
    EXPECT_EQ(locateMediaFile(path, MAX_PATH, "Base02.x"), E_FAIL) << "not 0x80070002";
    EXPECT_STREQ(path, "");
}

TEST_F(MediaRoot, RootAndSuffixMustFit)
{
    useRoot("/r");  // 2 characters, 9 with the suffix
    EXPECT_EQ(mediaRootFromRegistry(path, 10), S_OK);
    EXPECT_STREQ(path, "/r\\Media\\");
    EXPECT_EQ(mediaRootFromRegistry(path, 9), E_INVALIDARG);
    EXPECT_STREQ(path, "/r") << "the bare value";
    EXPECT_EQ(mediaRootFromRegistry(path, 3), E_INVALIDARG) << "value and terminator just fit";
    EXPECT_STREQ(path, "/r");
    EXPECT_EQ(mediaRootFromRegistry(path, 2), E_FAIL) << "the value itself does not fit";
    EXPECT_STREQ(path, "");
}

TEST_F(MediaRoot, RootAndBareNameMustFit)
{
    const std::string name = "LongerModelName.x";
    // A capacity that holds the full path in the current directory exactly,
    // in a buffer of just that size so that a write past it shows.
    char full[MAX_PATH];
    ASSERT_NE(GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr), 0u);
    const size_t capacity = std::strlen(full) + 1;
    std::vector<char> small(capacity);
    // Root, suffix and name take up the whole capacity: no room for the terminator.
    const std::string root = "/" + std::string(capacity - 7 - name.size() - 1, 'r');
    useRoot(root);
    EXPECT_EQ(locateMediaFile(small.data(), static_cast<int>(capacity), name.c_str()), E_INVALIDARG);
    EXPECT_EQ(std::string(small.data()), root + "\\Media\\") << "the media root";

    useRoot(root.substr(1));  // one shorter: fits, and is probed
    EXPECT_EQ(locateMediaFile(small.data(), static_cast<int>(capacity), name.c_str()), FileNotFound);
    EXPECT_EQ(std::string(small.data()), name);
}

TEST_F(MediaRoot, NotFoundNameIsCutToFit)
{
    useRoot(media.at("sdk"));
    std::string name;
    for (int i = 0; i < 20; ++i) name += "x\\..\\";
    name += "Missing.x";  // full path is far shorter than the name
    const int capacity = static_cast<int>((media.at("sdk") + "\\Media\\Missing.x").size()) + 1;
    ASSERT_LT(static_cast<size_t>(capacity), name.size());
    char small[MAX_PATH];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(locateMediaFile(small, capacity, name.c_str()), FileNotFound);
    EXPECT_EQ(std::string(small), name.substr(0, static_cast<size_t>(capacity) - 1));
}

}  // namespace
