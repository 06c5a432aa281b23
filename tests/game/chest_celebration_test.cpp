// The coins' motion under the game's frame clock and the pictures of the
// chest and the celebration as the device presented them.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/automation.h"
#include "render/texture_font.h"
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

    // Draws one frame (or what `draw` presents) and keeps what Present
    // showed, saved under `name`.
    template <typename Draw>
    Picture presented(const char* name, Draw draw)
    {
        Picture picture;
        d3d9gl::automation::capturePresentedFrames(game->device, true);
        draw();
        d3d9gl::automation::lastPresentedFrame(game->device, &picture.pixels, &picture.width, &picture.height);
        d3d9gl::automation::capturePresentedFrames(game->device, false);
        if (!picture.pixels.empty()) {
            q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name + ".png", picture.pixels,
                              picture.width, picture.height);
        }
        return picture;
    }
    Picture presented(const char* name)
    {
        return presented(name, [this] { frame(); });
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

    // Exactly one second is not yet a stall; a hair more is.
    const float now = game->time;
    game->previousTime = 2.0f;
    game->time = 3.0f;
    game->advanceFrame();
    EXPECT_EQ(game->frameDelta, 1.0f);
    for (int k = 0; k < CoinCount; ++k) EXPECT_EQ(game->coins.coinPositions[k].y, placed.coinPositions[k].y);
    game->previousTime = std::nextafter(4.0f, 0.0f);
    game->time = 5.0f;
    game->advanceFrame();
    EXPECT_EQ(game->frameDelta, 1.0f);
    for (int k = 0; k < CoinCount; ++k) EXPECT_GE(game->coins.coinPositions[k].y, 3.5f);

    game->coins = placed;
    game->time = game->previousTime = now;
    frame(1.5);
    EXPECT_EQ(game->frameDelta, 1.0f);
    for (int k = 0; k < CoinCount; ++k) {
        EXPECT_GE(game->coins.coinPositions[k].y, 3.5f);
        EXPECT_LE(game->coins.coinPositions[k].y, 23.3f + 1e-5f);
        EXPECT_EQ(game->coins.coinPositions[k].x, placed.coinPositions[k].x);
    }
}

TEST_F(ChestCelebration, CoinsSpinByApplicationTimeWithNoTextureOnStageZero)
{
    open();
    for (int k = 0; k < CoinCount; ++k) game->coins.coinSpin[k] = 0.25f + 0.125f * float(k);
    // Whatever a chest subset or the text left bound.
    game->device->SetTexture(0, game->font->glyphTexture);
    frame(0.5);
    ASSERT_GT(game->time, 1.0f);
    IDirect3DBaseTexture9* bound = nullptr;
    game->device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    if (bound) bound->Release();
    // The last coin's transform stays set: its spin is rate x time, not x frame time.
    D3DXMATRIX expected;
    game->coins.world(CoinCount - 1, game->time, &expected);
    D3DMATRIX world;
    game->device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(std::memcmp(&world, &expected, sizeof world), 0);
}

TEST_F(ChestCelebration, TheTwoLinesStandExactlyAtTheirPlaces)
{
    open();
    ASSERT_EQ(game->backBufferDesc.Width, 500u);
    ASSERT_EQ(game->backBufferDesc.Height, 375u);
    // Coins far off to the side leave only the text on blue.
    for (int k = 0; k < CoinCount; ++k) game->coins.coinPositions[k].x = 1000.0f;
    const Picture shown = presented("celebration_text");
    const Picture expected = presented("celebration_text_expected", [this] {
        IDirect3DDevice9* device = game->device;
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000FF, 1.0f, 0);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        game->font->drawString(200.0f, 187.5f, 0xFFFFFF00, "Congratulations!", 0);
        game->font->drawString(130.0f, 205.5f, 0xFFFFFF00, "You've opened the treasure chest!", 0);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    });
    ASSERT_EQ(shown.pixels.size(), expected.pixels.size());
    int yellow = 0, differing = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i) {
        yellow += yellowish(expected.pixels[i] & 0xFFFFFF);
        differing += (shown.pixels[i] & 0xFFFFFF) != (expected.pixels[i] & 0xFFFFFF);
    }
    EXPECT_GT(yellow, 150);
    EXPECT_EQ(differing, 0);
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

TEST_F(ChestCelebration, ThePicturesShowTheChestOnBlueThenMovingCoins)
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
