// The coins' motion under the game's frame clock and the pictures of the
// chest and the celebration as the device presented them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/automation.h"
#include "tests/game/chest_game_fixture.h"
#include "tests/support/png_writer.h"

namespace gametest {
namespace {

class ChestCelebration : public ChestGameTest {
protected:
    void SetUp() override
    {
        ChestGameTest::SetUp();
        ASSERT_EQ(createGame(), S_OK);
        frame();
    }

    void open()
    {
        for (int lever : SolutionClicks) game->puzzle.clickLever(lever - 1);
        runUntilOpen();
        ASSERT_EQ(game->puzzle.phase(), ChestOpen);
    }

    struct Picture {
        std::vector<uint32_t> pixels;
        int width = 0;
        int height = 0;
        uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFF; }
    };

    // Draws one frame and keeps what Present showed, saved under `name`.
    Picture presented(const char* name)
    {
        Picture picture;
        d3d9gl::automation::capturePresentedFrames(game->device, true);
        frame();
        d3d9gl::automation::lastPresentedFrame(game->device, &picture.pixels, &picture.width, &picture.height);
        d3d9gl::automation::capturePresentedFrames(game->device, false);
        if (!picture.pixels.empty()) {
            q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name + ".png", picture.pixels,
                              picture.width, picture.height);
        }
        return picture;
    }
};

bool yellowish(uint32_t rgb)
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r > 200 && g > 200 && b < 80;
}

TEST_F(ChestCelebration, CoinsDoNotMoveDuringPlayButAStallLiftsThemAboveTheView)
{
    const CoinShower placed = game->coins;
    for (int k = 0; k < CoinCount; ++k) EXPECT_EQ(placed.coinPositions[k].y, k * 0.5f - 2.0f);
    frame();
    frame();
    for (int k = 0; k < CoinCount; ++k) EXPECT_EQ(game->coins.coinPositions[k].y, placed.coinPositions[k].y);

    frame(1.5);
    EXPECT_EQ(game->frameDelta, 1.0f);
    for (int k = 0; k < CoinCount; ++k) {
        EXPECT_GE(game->coins.coinPositions[k].y, 3.5f);
        EXPECT_LE(game->coins.coinPositions[k].y, 23.3f + 1e-5f);
        EXPECT_EQ(game->coins.coinPositions[k].x, placed.coinPositions[k].x);
    }
}

TEST_F(ChestCelebration, OpenCoinsFallTwoUnitsPerSecondAndAStallMovesThemTwoUnitsAtMost)
{
    open();
    const CoinShower before = game->coins;
    frame(0.25);
    for (int k = 0; k < CoinCount; ++k) {
        if (before.coinPositions[k].y - 0.5f < -4.1f) continue;  // may have started again
        EXPECT_NEAR(game->coins.coinPositions[k].y, before.coinPositions[k].y - 0.5f, 1e-5f) << "coin " << k;
    }

    frame(3.0);
    EXPECT_EQ(game->frameDelta, 1.0f);
    for (int k = 0; k < CoinCount; ++k) {
        // Lifted to 3.5 .. 23.3, then one second of falling.
        EXPECT_GE(game->coins.coinPositions[k].y, 1.5f - 1e-5f);
        EXPECT_LE(game->coins.coinPositions[k].y, 21.3f + 1e-5f);
    }
}

TEST_F(ChestCelebration, ThePicturesShowTheChestOnBlueThenYellowTextAndMovingCoins)
{
    const Picture chest = presented("chest_start");
    ASSERT_EQ(chest.width, 500);
    ASSERT_EQ(chest.height, 375);
    EXPECT_EQ(chest.at(2, 2), 0x0000FFu);
    EXPECT_EQ(chest.at(497, 372), 0x0000FFu);
    // The chest stands in the middle of the view.
    EXPECT_NE(chest.at(250, 200), 0x0000FFu);

    open();
    frame(0.5);
    const Picture first = presented("celebration_1");
    frame(0.3);
    const Picture second = presented("celebration_2");
    ASSERT_EQ(first.width, 500);
    ASSERT_EQ(second.width, 500);

    // Text from (200, 187.5) and (130, 205.5): some yellow in each line's band.
    int yellowFirstLine = 0, yellowSecondLine = 0;
    for (int y = 188; y < 203; ++y) {
        for (int x = 200; x < 330; ++x) yellowFirstLine += yellowish(first.at(x, y));
    }
    for (int y = 206; y < 221; ++y) {
        for (int x = 130; x < 380; ++x) yellowSecondLine += yellowish(first.at(x, y));
    }
    EXPECT_GT(yellowFirstLine, 50);
    EXPECT_GT(yellowSecondLine, 100);

    // Coins: lit pixels that are neither background nor text, and they move.
    int coinPixels = 0, changed = 0;
    for (int y = 0; y < first.height; ++y) {
        for (int x = 0; x < first.width; ++x) {
            const uint32_t a = first.at(x, y);
            if (a != 0x0000FFu && !yellowish(a)) ++coinPixels;
            if (a != second.at(x, y)) ++changed;
        }
    }
    EXPECT_GT(coinPixels, 1000);
    EXPECT_GT(changed, 200);
}

}  // namespace
}  // namespace gametest
