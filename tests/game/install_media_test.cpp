// The installed program takes its media from the installed data folder and
// nowhere else: an installed copy started from "/" presents frames, and the
// same copy with one model taken out of share/quorvane31/media stops without
// presenting any, even though the source tree it was built from still holds
// that model. Frames are counted through the framework's frame report.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/game/x_session.h"
#include "tests/render/media_folder.h"
#include "tests/support/png_writer.h"

namespace gametest {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t Blue = 0x0000FF;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether the frame report names a first frame within `seconds`.
bool firstFramePresented(const std::string& report, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        if (readFile(report).compare(0, 6, "first ") == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

TEST(InstalledMedia, OnlyTheInstalledMediaAreUsed)
{
    rendertest::MediaFolder scratch;
    ASSERT_TRUE(scratch.ok());
    const std::string prefix = scratch.at("prefix");
    int status = -1;
    const std::string installLog =
        shell("'" Q31_CMAKE "' --install '" Q31_BINARY_DIR "' --prefix '" + prefix + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << installLog;
    const std::string model = prefix + "/share/quorvane31/media/Base02.x";
    ASSERT_TRUE(fs::exists(model));
    XSession x;

    // As installed: frames, and the chest in them.
    {
        const std::string report = scratch.at("frames.txt");
        ChildProgram program(prefix + "/games/quorvane31", {}, "/", scratch.at("game.log"),
                             {"Q31_FRAME_REPORT=" + report});
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(firstFramePresented(report, 30)) << readFile(scratch.at("game.log"));
        const unsigned long window = x.waitForWindow("Quorvane31", 10);
        ASSERT_NE(window, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const Shot shot = x.capture(window);
        ASSERT_FALSE(shot.empty());
        fs::create_directories(Q31_TEST_OUTPUT_DIR);
        q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/installed_start.png", shot.pixels, shot.width,
                          shot.height);
        // Blue all round, the textured chest in the middle of the client area.
        int left = 0, top = 0, right = 0, bottom = 0;
        ASSERT_TRUE(boundsOf(shot, Blue, &left, &top, &right, &bottom));
        EXPECT_EQ(right - left + 1, 500);
        EXPECT_EQ(bottom - top + 1, 375);
        const Shot middle = crop(shot, left + 200, top + 150, 100, 80);
        Shot flat = middle;
        for (uint32_t& pixel : flat.pixels) pixel = Blue;
        EXPECT_GT(differingPixels(middle, flat, 24), 7000) << "no chest in the middle";
        x.key(window, "Escape");
        EXPECT_EQ(program.waitForExit(20), 0);
    }

    // One model gone from the install: the source tree's copy must not stand in.
    ASSERT_TRUE(fs::remove(model));
    {
        const std::string report = scratch.at("frames_without_model.txt");
        const std::string log = scratch.at("game_without_model.log");
        ChildProgram program(prefix + "/games/quorvane31", {}, "/", log, {"Q31_FRAME_REPORT=" + report});
        ASSERT_TRUE(program.started());
        // The error box waits for its OK; without one the game ends by itself.
        // The box has the main window's title, so which of the two is which is
        // not known, and it exists before it is shown: Return goes to both
        // until the program ends (the disabled main window ignores it).
        const unsigned long window = x.waitForWindow("Quorvane31", 10);
        const unsigned long box = x.waitForOtherWindow("Quorvane31", window, 10);
        int exitStatus = program.waitForExit(box != 0 ? 0.5 : 20);
        for (int tries = 0; box != 0 && exitStatus == -1 && tries < 40; ++tries) {
            x.key(box, "Return");
            x.key(window, "Return");
            exitStatus = program.waitForExit(0.5);
        }
        EXPECT_GE(exitStatus, 0) << "still running, or ended by a signal";
        EXPECT_EQ(readFile(report), "") << "a frame was presented";
        const std::string output = readFile(log);
        // The error is shown in its box, or printed where no box can open.
        EXPECT_TRUE(box != 0 || output.find("Could not load required media.") != std::string::npos) << output;
    }
}

}  // namespace
}  // namespace gametest
