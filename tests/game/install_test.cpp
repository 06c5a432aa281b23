// make install into a private prefix: the program, its media, the desktop
// entry, the theme icons, metainfo and manual page land where the desktop and
// the program look for them, and the installed program started from elsewhere
// finds its media.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/game/x_session.h"
#include "tests/render/media_folder.h"

namespace gametest {
namespace {

namespace fs = std::filesystem;

std::string shellQuoted(const std::string& text)
{
    return "'" + text + "'";
}

class Installed : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(elsewhere.ok());
        prefix = elsewhere.at("prefix");
        int status = -1;
        const std::string log = shell(shellQuoted(Q31_CMAKE) + " --install " + shellQuoted(Q31_BINARY_DIR) + " --prefix " +
                                          shellQuoted(prefix) + " 2>&1",
                                      &status);
        ASSERT_EQ(status, 0) << log;
    }

    // The current directory for the test: nothing of the game in it.
    rendertest::MediaFolder elsewhere;
    std::string prefix;
};

TEST_F(Installed, TheProgramMediaEntryAndIconsAreInPlace)
{
    EXPECT_TRUE(fs::exists(prefix + "/games/quorvane31"));
    for (const char* name : {"Base02.x", "Lever1t.x", "Lever6t.x", "chestwood.jpg", "brushedmetal.png"}) {
        EXPECT_TRUE(fs::exists(prefix + "/share/quorvane31/media/" + name)) << name;
    }
    EXPECT_FALSE(fs::exists(prefix + "/share/quorvane31/media/README.md"));
    EXPECT_TRUE(fs::exists(prefix + "/share/metainfo/org.example.quorvane.quorvane31.metainfo.xml"));
    EXPECT_TRUE(fs::exists(prefix + "/share/man/man6/quorvane31.6.gz"));
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"}) {
        EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/" + size + "/apps/quorvane31.png")) << size;
    }

    const std::string entry = prefix + "/share/applications/quorvane31.desktop";
    int status = -1;
    const std::string complaints = shell("desktop-file-validate " + shellQuoted(entry) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << complaints;
    EXPECT_EQ(complaints, "");
    std::ifstream in(entry);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Exec=" + prefix + "/games/quorvane31\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Icon=quorvane31\n"), std::string::npos);
}

TEST_F(Installed, TheInstalledProgramStartedElsewhereFindsItsMedia)
{
    const std::string log = elsewhere.at("game.log");
    ChildProgram program(prefix + "/games/quorvane31", {}, elsewhere.at(""), log);
    ASSERT_TRUE(program.started());
    XSession x;
    EXPECT_EQ(startsWithTheChestAndEndsOnEsc(x, program), "");
}

}  // namespace
}  // namespace gametest
