// Which device state is in force follows the phase, across device resets and
// device changes; the puzzle and the camera survive all of them.
#include <cstring>

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
    game->device->SetRenderState(D3DRS_AMBIENT, 0);
    ASSERT_EQ(game->resetDevice(), S_OK);
    expectChestState();
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
    changeDevice();
    expectChestState();
    EXPECT_NE(game->coinVertices, nullptr);
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
    game->device->SetRenderState(D3DRS_AMBIENT, 0);
    ASSERT_EQ(game->resetDevice(), S_OK);
    expectCoinState();
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

    sendCommand(IDM_RESET);
    frame();
    EXPECT_EQ(game->puzzle.phase(), Playing);
    expectChestState();
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
