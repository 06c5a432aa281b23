// The Debian package: the files a player's system needs are in it where the
// desktop and the game look for them, Debian's own checkers accept it, dpkg
// installs it into a private root and removes every file again, and the game
// unpacked from it starts from another folder, shows the chest and ends with
// status 0 on Esc.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/game/x_session.h"
#include "tests/render/media_folder.h"

namespace gametest {
namespace {

namespace fs = std::filesystem;

const std::string Deb = Q31_DEB;
const std::string Metainfo = "/usr/share/metainfo/org.example.quorvane.quorvane31.metainfo.xml";
const std::string ManPage = "/usr/share/man/man6/quorvane31.6.gz";

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The paths of the package's files (and folders unless `filesOnly`),
// "/usr/..." without a trailing slash, from dpkg-deb's tar listing.
std::set<std::string> packagedPaths(bool filesOnly = false)
{
    std::set<std::string> paths;
    std::istringstream listing(shell("dpkg-deb -c " + quoted(Deb)));
    std::string line;
    while (std::getline(listing, line)) {
        const size_t dot = line.find(" ./");
        if (dot == std::string::npos || (filesOnly && line[0] != '-')) continue;
        std::string path = line.substr(dot + 2);
        if (path.size() > 1 && path.back() == '/') path.pop_back();
        if (path != "/") paths.insert(path);
    }
    return paths;
}

class DebPackage : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }

    // The package's files under a fresh folder, as dpkg -x unpacks them.
    std::string unpacked()
    {
        const std::string root = scratch.at("root");
        int status = -1;
        const std::string log = shell("dpkg -x " + quoted(Deb) + " " + quoted(root) + " 2>&1", &status);
        EXPECT_EQ(status, 0) << log;
        return root;
    }

    std::string run(const std::string& command, int* status)
    {
        return shell(command + " 2>&1", status);
    }

    // Also the current directory, with nothing of the game in it.
    rendertest::MediaFolder scratch;
};

TEST_F(DebPackage, HoldsTheGameItsMediaDesktopEntryIconsMetainfoAndManualPage)
{
    const std::set<std::string> paths = packagedPaths();
    ASSERT_FALSE(paths.empty()) << "no listing of " << Deb;
    std::vector<std::string> expected = {"/usr/games/quorvane31",
                                         "/usr/share/applications/quorvane31.desktop",
                                         Metainfo,
                                         ManPage,
                                         "/usr/share/doc/quorvane31/copyright",
                                         "/usr/share/doc/quorvane31/changelog.gz"};
    for (const char* media : {"Base02.x", "Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x", "Lever5t.x",
                              "Lever6t.x", "chestwood.jpg", "brushedmetal.png"}) {
        expected.push_back(std::string("/usr/share/quorvane31/media/") + media);
    }
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        expected.push_back(std::string("/usr/share/icons/hicolor/") + size + "/apps/quorvane31.png");
    }
    for (const std::string& path : expected) EXPECT_TRUE(paths.count(path)) << path;
    for (const std::string& path : paths) {
        EXPECT_TRUE(path == "/usr" || path.rfind("/usr/", 0) == 0) << path << " is outside /usr";
        EXPECT_EQ(path.find("/usr/local"), std::string::npos) << path;
        EXPECT_EQ(path.find("README"), std::string::npos) << path;
    }

    // Its version is the program's, and its dependencies came from the
    // binary's libraries as well as the two it loads at run time.
    int status = -1;
    EXPECT_EQ(shell("dpkg-deb -f " + quoted(Deb) + " Package Version Architecture Section", &status),
              "Package: quorvane31\nVersion: " Q31_VERSION "\nArchitecture: amd64\nSection: games\n");
    const std::string depends = shell("dpkg-deb -f " + quoted(Deb) + " Depends");
    for (const char* package : {"libc6 (", "libsdl2-2.0-0 (", "libpng16-16 (", "libgl1", "fonts-liberation"}) {
        EXPECT_NE(depends.find(package), std::string::npos) << package << " missing from " << depends;
    }
}

TEST_F(DebPackage, DesktopEntryMetainfoAndManualPagePassTheirCheckers)
{
    const std::string root = unpacked();
    int status = -1;

    const std::string entry = root + "/usr/share/applications/quorvane31.desktop";
    const std::string entryComplaints = run("desktop-file-validate " + quoted(entry), &status);
    EXPECT_EQ(status, 0) << entryComplaints;
    EXPECT_EQ(entryComplaints, "");
    const std::string entryText = readFile(entry);
    EXPECT_NE(entryText.find("\nExec=/usr/games/quorvane31\n"), std::string::npos) << entryText;
    EXPECT_NE(entryText.find("\nCategories=Game;LogicGame;\n"), std::string::npos) << entryText;

    const std::string metainfo = root + Metainfo;
    const std::string verdict = run("appstreamcli validate --no-net --no-color " + quoted(metainfo), &status);
    EXPECT_EQ(status, 0) << verdict;
    // It launches the packaged entry and shows the README's two screenshots.
    const std::string metaText = readFile(metainfo);
    EXPECT_NE(metaText.find("<launchable type=\"desktop-id\">quorvane31.desktop</launchable>"), std::string::npos);
    EXPECT_EQ(occurrences(metaText, "<image>"), 2u);
    for (const char* shot : {"chest.png", "celebration.png"}) {
        EXPECT_NE(metaText.find(std::string("/") + shot + "</image>"), std::string::npos) << shot;
        EXPECT_TRUE(fs::exists(std::string(Q31_SOURCE_DIR) + "/docs/" + shot)) << shot;
    }

    const std::string page = root + ManPage;
    const std::string warnings = shell("man --warnings -l " + quoted(page) + " 2>&1 >/dev/null", &status);
    EXPECT_EQ(status, 0) << warnings;
    EXPECT_EQ(warnings, "");
    const std::string rendered = run("MANWIDTH=80 man -l " + quoted(page), &status);
    EXPECT_EQ(status, 0) << rendered;
    EXPECT_NE(rendered.find("QUORVANE31(6)"), std::string::npos) << rendered;
    EXPECT_NE(rendered.find("quorvane31 - open a treasure chest"), std::string::npos) << rendered;
}

// Warnings that are accepted are overridden in the package, with a reason.
TEST_F(DebPackage, LintianReportsNoErrorsOrWarnings)
{
    int status = -1;
    const std::string report = run("lintian --no-cfg --fail-on error,warning " + quoted(Deb), &status);
    EXPECT_EQ(status, 0) << report;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        EXPECT_NE(line.rfind("E: ", 0), 0u) << line;
        EXPECT_NE(line.rfind("W: ", 0), 0u) << line;
    }
}

TEST_F(DebPackage, DpkgInstallsItIntoAPrivateRootAndRemovesEveryFileItInstalled)
{
    const std::string root = scratch.at("root");
    for (const char* folder : {"var/lib/dpkg/info", "var/lib/dpkg/updates", "var/lib/dpkg/triggers"}) {
        fs::create_directories(root + "/" + folder);
    }
    std::ofstream(root + "/var/lib/dpkg/status").close();
    std::ofstream(root + "/var/lib/dpkg/available").close();
    // The private root has none of the libraries the package depends on.
    const std::string dpkg = "dpkg --root=" + quoted(root) + " --log=/dev/null --force-not-root --force-depends ";
    int status = -1;
    const std::string installLog = run(dpkg + "--install " + quoted(Deb), &status);
    ASSERT_EQ(status, 0) << installLog;

    std::istringstream listed(run(dpkg + "--listfiles quorvane31", &status));
    ASSERT_EQ(status, 0);
    std::string path;
    size_t files = 0;
    while (std::getline(listed, path)) {
        if (path.empty() || path == "/.") continue;
        EXPECT_TRUE(fs::exists(root + path)) << path;
        if (fs::is_regular_file(root + path)) ++files;
    }
    EXPECT_EQ(files, packagedPaths(true).size());
    EXPECT_TRUE(fs::exists(root + "/usr/games/quorvane31"));

    const std::string removeLog = run(dpkg + "--purge quorvane31", &status);
    ASSERT_EQ(status, 0) << removeLog;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string left = entry.path().string().substr(root.size());
        if (left.rfind("/var/lib/dpkg", 0) == 0) continue;
        EXPECT_TRUE(entry.is_directory()) << left << " left behind";
        EXPECT_EQ(left.find("quorvane31"), std::string::npos) << left << " left behind";
    }
}

// The unpacked program takes its media from the unpacked share/quorvane31;
// the test above pins where the package puts them.
TEST_F(DebPackage, TheUnpackedGameStartsFromAnotherFolderShowsTheChestAndEndsOnEsc)
{
    const std::string root = unpacked();
    const std::string elsewhere = scratch.at("");
    ChildProgram program(root + "/usr/games/quorvane31", {}, elsewhere, scratch.at("game.log"));
    ASSERT_TRUE(program.started());
    XSession x;
    EXPECT_EQ(startsWithTheChestAndEndsOnEsc(x, program), "") << readFile(scratch.at("game.log"));
}

}  // namespace
}  // namespace gametest
