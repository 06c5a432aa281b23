// The real program, started as a person starts it and played with real X
// pointer and key events: the window, the chest, the levers moving, the 42
// clicks, the celebration, File > Reset and Esc. Screenshots of every stage
// are kept in the test output folder.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/game/chest_game_fixture.h"
#include "tests/game/x_session.h"
#include "tests/support/png_writer.h"

namespace gametest {
namespace {

constexpr uint32_t Blue = 0x0000FF;

void pauseFor(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool yellowish(uint32_t rgb)
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r > 200 && g > 200 && b < 80;
}

int countIn(const Shot& shot, int left, int top, int right, int bottom, bool (*test)(uint32_t))
{
    int count = 0;
    for (int y = top; y < bottom && y < shot.height; ++y) {
        for (int x = left; x < right && x < shot.width; ++x) count += test(shot.at(x, y));
    }
    return count;
}

void save(const Shot& shot, const std::string& name)
{
    if (!shot.empty()) q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name + ".png", shot.pixels, shot.width, shot.height);
}

// Where the client area sits in the window: the blue of the clear colour
// fills its corners, the menu strip above it is not blue.
struct Client {
    int left = 0, top = 0, width = 0, height = 0;
};

Client clientOf(const Shot& shot)
{
    Client c;
    int right = 0, bottom = 0;
    if (!boundsOf(shot, Blue, &c.left, &c.top, &right, &bottom)) return c;
    c.width = right - c.left + 1;
    c.height = bottom - c.top + 1;
    return c;
}

// The click points of the 42-click solution and of the menu, worked out by
// the game's own picking in this process, at the same size and camera as the
// program about to be started.
class GameEndToEnd : public ChestGameTest {
protected:
    void SetUp() override
    {
        ChestGameTest::SetUp();
        ASSERT_EQ(createGame(), S_OK);
        frame();
        ASSERT_NO_FATAL_FAILURE(planSolutionClicks(&plan));
        ASSERT_TRUE(q31automation::menuBarItemRect(game->window, 0, &fileItem));
        SendMessage(game->window, WM_CLOSE, 0, 0);
        pump();
        game.reset();
        mkdir(Q31_TEST_OUTPUT_DIR, 0755);
    }

    std::vector<POINT> plan;
    RECT fileItem = {};
    XSession x;
};

TEST_F(GameEndToEnd, APersonPlaysTheChestOpenAndResetsIt)
{
    // Started from a folder without media: the data root's media are found.
    ChildProgram program(Q31_GAME_EXE, {}, "/tmp", std::string(Q31_TEST_OUTPUT_DIR) + "/e2e_game.log");
    ASSERT_TRUE(program.started());
    const unsigned long window = x.waitForWindow("Quorvane31", 30);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(x.windowName(window), "Quorvane31");
    // The scene drawn, then a moment for the picture to settle.
    x.waitForColour(window, Blue, 3, 20);
    pauseFor(0.5);
    const Shot start = x.capture(window);
    save(start, "e2e_1_start");
    ASSERT_FALSE(start.empty());
    const Client client = clientOf(start);
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.width, 500);
    EXPECT_EQ(client.height, 375);
    EXPECT_EQ(client.top + client.height, start.height);
    // The menu strip above the client area, with its item texts on it.
    ASSERT_GT(client.top, 10);
    const uint32_t stripColour = start.at(start.width - 3, client.top / 2);
    int textPixels = 0;
    for (int y = 0; y < client.top; ++y) {
        for (int xx = 0; xx < 100; ++xx) textPixels += start.at(xx, y) != stripColour;
    }
    EXPECT_GT(textPixels, 20);
    // The chest in the middle, blue around it.
    EXPECT_NE(start.at(250, client.top + 200), Blue);

    // One click on lever 1 slides it out.
    x.click(window, plan[0].x, client.top + plan[0].y);
    pauseFor(0.3);
    const Shot lever1 = x.capture(window);
    save(lever1, "e2e_2_lever1_out");
    const Shot around = crop(lever1, plan[0].x - 40, client.top + plan[0].y - 30, 80, 60);
    const Shot before = crop(start, plan[0].x - 40, client.top + plan[0].y - 30, 80, 60);
    EXPECT_GT(differingPixels(around, before, 24), 20);

    // The rest of the solution.
    for (size_t n = 1; n < plan.size(); ++n) {
        x.click(window, plan[n].x, client.top + plan[n].y);
        pauseFor(0.12);
        if (n == 20) save(x.capture(window), "e2e_3_halfway");
    }
    pauseFor(1.6);
    const Shot open = x.capture(window);
    save(open, "e2e_4_celebration");
    ASSERT_FALSE(open.empty());
    const int line1 = countIn(open, 200, client.top + 188, 330, client.top + 203, yellowish);
    const int line2 = countIn(open, 130, client.top + 206, 380, client.top + 221, yellowish);
    EXPECT_GT(line1, 50);
    EXPECT_GT(line2, 100);
    EXPECT_EQ(open.at(2, client.top + 2) == Blue || open.at(497, open.height - 3) == Blue, true);
    pauseFor(0.3);
    const Shot later = x.capture(window);
    save(later, "e2e_5_celebration_later");
    EXPECT_GT(differingPixels(crop(open, 0, client.top, 500, 375), crop(later, 0, client.top, 500, 375), 24), 200);

    // File > Reset: open the menu and click its first item, which the popup
    // shows just under the strip, one bar item high.
    const int fileX = (fileItem.left + fileItem.right) / 2;
    const int fileY = client.top + (fileItem.top + fileItem.bottom) / 2;
    x.click(window, fileX, fileY);
    pauseFor(0.4);
    const int itemHeight = fileItem.bottom - fileItem.top;
    const int resetX = fileItem.left + 20;
    const int resetY = client.top + itemHeight / 2 + 4;
    x.move(window, resetX, resetY);
    pauseFor(0.3);
    const Shot menu = x.capture(window);
    save(menu, "e2e_6_file_menu");
    // The popup covers the celebration there, highlighting the item under the pointer.
    EXPECT_NE(menu.at(resetX, resetY), Blue);
    EXPECT_NE(menu.at(resetX, resetY), open.at(resetX, resetY));
    x.click(window, resetX, resetY);
    pauseFor(0.5);
    const Shot reset = x.capture(window);
    save(reset, "e2e_7_after_reset");
    // The chest back with every lever home, from the same camera as at the start.
    const int changed = differingPixels(crop(start, 0, client.top, 500, 375), crop(reset, 0, client.top, 500, 375), 24);
    EXPECT_LT(changed, 500) << "pixels differing from the start picture";

    x.key(window, "Escape");
    EXPECT_EQ(program.waitForExit(15), 0);
}

// The start picture of the Windows build under Wine (Wine's Direct3D 9 on
// the same Mesa) against ours, client areas only: the menu bars are each
// system's own. The two differ where texture sampling (mip level choice,
// filtering of the wood and metal) rounds differently and at triangle edges,
// so a small mean difference and a small share of distant pixels are allowed.
TEST(GameAgainstWindowsBuild, TheStartPictureMatchesTheWindowsBuildsWithinTolerance)
{
    struct stat info;
    if (stat(Q31_WINDOWS_START_SHOT, &info) != 0) {
        GTEST_SKIP() << "no Windows build picture at " << Q31_WINDOWS_START_SHOT
                     << " (make test runs the Windows tests first)";
    }
    int status = -1;
    const std::string raw = shell(std::string("convert '") + Q31_WINDOWS_START_SHOT + "' -depth 8 rgb:-", &status);
    ASSERT_EQ(raw.size(), size_t(500 * 375 * 3)) << "the Windows picture is not the 500 x 375 client area";
    Shot wine;
    wine.width = 500;
    wine.height = 375;
    for (size_t i = 0; i < raw.size(); i += 3) {
        wine.pixels.push_back(uint32_t(uint8_t(raw[i])) << 16 | uint32_t(uint8_t(raw[i + 1])) << 8 |
                              uint32_t(uint8_t(raw[i + 2])));
    }

    mkdir(Q31_TEST_OUTPUT_DIR, 0755);
    ChildProgram program(Q31_GAME_EXE, {}, "/tmp", std::string(Q31_TEST_OUTPUT_DIR) + "/linux_start.log");
    XSession x;
    const unsigned long window = x.waitForWindow("Quorvane31", 30);
    ASSERT_NE(window, 0u);
    x.waitForColour(window, Blue, 3, 20);
    pauseFor(0.5);
    const Shot shown = x.capture(window);
    const Client client = clientOf(shown);
    ASSERT_EQ(client.width, 500);
    ASSERT_EQ(client.height, 375);
    const Shot ours = crop(shown, client.left, client.top, 500, 375);
    save(ours, "linux_start");
    x.key(window, "Escape");
    EXPECT_EQ(program.waitForExit(15), 0);

    Shot difference = ours;
    double sum = 0.0;
    for (size_t i = 0; i < ours.pixels.size(); ++i) {
        uint32_t d = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int delta = std::abs(int((ours.pixels[i] >> shift) & 0xFF) - int((wine.pixels[i] >> shift) & 0xFF));
            sum += delta;
            d |= uint32_t(std::min(255, delta * 4)) << shift;
        }
        difference.pixels[i] = d;
    }
    save(difference, "linux_vs_wine_difference");
    const double meanDifference = sum / (3.0 * double(ours.pixels.size()));
    const int distant = differingPixels(ours, wine, 48);
    const int near = differingPixels(ours, wine, 8);
    std::printf("Linux vs Wine start picture: mean channel difference %.2f levels; of %zu pixels %d differ by more "
                "than 8 levels, %d by more than 48\n",
                meanDifference, ours.pixels.size(), near, distant);
    EXPECT_LT(meanDifference, 1.0);
    EXPECT_LT(distant, int(ours.pixels.size() / 500));  // under 0.2 %
}

}  // namespace
}  // namespace gametest
