// Which device state is in force follows the phase, across device resets and
// device changes; the puzzle and the camera survive all of them.
#include <cstring>
#include <ctime>

#include "game/orbit_camera.h"
#include "render/texture_font.h"
#include "tests/game/chest_game_fixture.h"

namespace gametest {
namespace {

class ChestLifecycle : public ChestGameTest {
protected:
    void SetUp() override
    {
        ChestGameTest::SetUp();
        ASSERT_EQ(createGame(), S_OK);
        frame();
    }

    void openByPuzzle()
    {
        for (int lever : SolutionClicks) game->puzzle.clickLever(lever - 1);
        ASSERT_EQ(game->puzzle.phase(), JustSolved);
        spoilDeviceState();
        runUntilOpen();
        ASSERT_EQ(game->puzzle.phase(), ChestOpen);
    }

    void changeDevice()
    {
        // What a confirmed settings dialog does: a new device with all four hooks.
        game->releaseDevice();
        ASSERT_EQ(game->initDevice(), S_OK);
    }
};

TEST_F(ChestLifecycle, TheGameStartsInAWindowWithTheChestStateAndTheOrbitView)
{
    char title[64] = "";
    GetWindowTextA(game->window, title, sizeof title);
    EXPECT_STREQ(title, "Quorvane31");
    RECT client;
    GetClientRect(game->window, &client);
    EXPECT_EQ(client.right - client.left, 500);
    EXPECT_EQ(client.bottom - client.top, 375);
    EXPECT_NE(GetMenu(game->window), nullptr);
    EXPECT_EQ(game->loading, 0);

    expectChestState();
    D3DXMATRIX orbit;
    orbitView(&orbit, StartAzimuth, StartElevation);
    D3DMATRIX view;
    game->device->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(std::memcmp(&view, &orbit, sizeof view), 0);
    EXPECT_TRUE(game->view == orbit);
}

TEST_F(ChestLifecycle, ADeviceResetDuringPlayRestoresTheChestStateAndKeepsThePuzzle)
{
    game->puzzle.clickLever(0);
    game->puzzle.clickLever(0);
    game->cameraAzimuth = -200;
    ASSERT_EQ(game->resetDevice(), S_OK);
    expectChestState();
    // The hooks set every state themselves, whatever the device held before.
    spoilDeviceState();
    game->onDeviceLost();
    game->onDeviceReset();
    expectStateBeforeTheNextFrame(true);
    // What WM_PAINT draws while paused shows the camera, not the fixed view.
    game->drawFrame();
    D3DXMATRIX orbit;
    orbitView(&orbit, -200, game->cameraElevation);
    D3DMATRIX view;
    game->device->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(std::memcmp(&view, &orbit, sizeof view), 0);
    frame();
    EXPECT_EQ(game->puzzle.lever(0), 2);
    EXPECT_EQ(game->cameraAzimuth, -200);
    EXPECT_EQ(game->puzzle.phase(), Playing);
}

TEST_F(ChestLifecycle, ADeviceChangeDuringPlayRebuildsEverythingAndKeepsThePuzzleAndCamera)
{
    game->puzzle.clickLever(0);
    game->cameraElevation = -123;
    IDirect3DVertexBuffer9* before = game->coinVertices;
    ASSERT_NE(before, nullptr);
    for (int k = 0; k < CoinCount; ++k) game->coins.coinPositions[k].y = 100.0f;
    const std::time_t from = std::time(nullptr);
    changeDevice();
    const std::time_t to = std::time(nullptr);
    expectChestState();
    EXPECT_NE(game->coinVertices, nullptr);
    // The coins were placed again after seeding with the time of the change.
    bool placedFromTheTime = false;
    for (std::time_t seed = from; seed <= to; ++seed) {
        std::srand(static_cast<unsigned>(seed));
        CoinShower expected;
        expected.place();
        placedFromTheTime |= std::memcmp(&expected, &game->coins, sizeof expected) == 0;
    }
    EXPECT_TRUE(placedFromTheTime);
    frame();
    EXPECT_EQ(game->puzzle.lever(0), 1);
    EXPECT_EQ(game->cameraElevation, -123);
    // A new glyph texture and coin shape came with the new device.
    EXPECT_NE(game->font->glyphTexture, nullptr);
}

TEST_F(ChestLifecycle, OpeningTheChestSwitchesToTheCoinStateAndDropsTheDrawableCopies)
{
    openByPuzzle();
    expectCoinState();
    frame();
    expectCoinState();
}

TEST_F(ChestLifecycle, ADeviceResetWhileOpenAppliesTheCoinStateAgainAndLeavesTheMeshesAlone)
{
    openByPuzzle();
    ASSERT_EQ(game->resetDevice(), S_OK);
    expectCoinState();
    spoilDeviceState();
    game->onDeviceLost();
    game->onDeviceReset();
    expectStateBeforeTheNextFrame(false);
    frame();
    EXPECT_EQ(game->puzzle.phase(), ChestOpen);
}

TEST_F(ChestLifecycle, ADeviceChangeWhileOpenKeepsTheCelebrationAndAResetThenRestoresTheChest)
{
    openByPuzzle();
    changeDevice();
    expectCoinState();
    frame();
    EXPECT_EQ(game->puzzle.phase(), ChestOpen);

    spoilDeviceState();
    sendCommand(IDM_RESET);
    game->advanceFrame();  // carries out the reset without drawing a frame
    EXPECT_EQ(game->puzzle.phase(), Playing);
    expectStateBeforeTheNextFrame(true);
    frame();
    expectChestState();
}

TEST_F(ChestLifecycle, TheBaseAndEachLeverAreDrawnSlidAlongTheirOwnAxis)
{
    D3DXMATRIX base;
    D3DXMatrixTranslation(&base, -1.0f, 0.0f, -1.0f);
    bool slidAlongX = false, slidAlongZ = false;
    // Part of the way, then solved: every lever out at some point.
    for (int clicks : {21, 42}) {
        for (int n = clicks == 21 ? 0 : 21; n < clicks; ++n) game->puzzle.clickLever(SolutionClicks[n] - 1);
        frame();
        EXPECT_TRUE(game->baseWorld == base);
        for (int i = 0; i < LeverCount; ++i) {
            const float d = leverOffset(game->puzzle.lever(i));
            // Levers 1, 3 and 5 slide along +X, levers 2, 4 and 6 along +Z.
            const bool alongX = i % 2 == 0;
            D3DXMATRIX expected;
            D3DXMatrixTranslation(&expected, alongX ? d : 0.0f, 0.0f, alongX ? 0.0f : d);
            EXPECT_TRUE(game->leverWorld[i] == expected) << "lever " << i + 1 << " after " << clicks << " clicks";
            (alongX ? slidAlongX : slidAlongZ) |= d != 0.0f;
        }
    }
    EXPECT_TRUE(slidAlongX);
    EXPECT_TRUE(slidAlongZ);
}

TEST_F(ChestLifecycle, TheCoinVertexBufferHoldsTheCoinShapeInTheManagedPool)
{
    IDirect3DVertexBuffer9* buffer = game->coinVertices;
    ASSERT_NE(buffer, nullptr);
    D3DVERTEXBUFFER_DESC desc = {};
    ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 1296u);
    EXPECT_EQ(desc.FVF, DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Usage, 0u);

    CoinVertex expected[CoinVertexCount];
    writeCoinShape(expected);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const CoinVertex* written = static_cast<const CoinVertex*>(data);
    for (int i = 0; i < CoinVertexCount; ++i) {
        EXPECT_EQ(std::memcmp(&written[i], &expected[i], sizeof(CoinVertex)), 0) << "vertex " << i;
    }
    buffer->Unlock();

    // Managed: the shape survives a reset.
    ASSERT_EQ(game->resetDevice(), S_OK);
    EXPECT_EQ(game->coinVertices, buffer);
}

}  // namespace
}  // namespace gametest
