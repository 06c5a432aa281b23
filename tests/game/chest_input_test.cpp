// The mouse through the layer's real input path: clicks picked onto levers,
// drags turning the view, the solution played to the open chest, and Reset.
#include <cstring>

#include "game/orbit_camera.h"
#include "render/mesh_object.h"
#include "tests/game/chest_game_fixture.h"

namespace gametest {
namespace {

class ChestInput : public ChestGameTest {
protected:
    void SetUp() override
    {
        ChestGameTest::SetUp();
        ASSERT_EQ(createGame(), S_OK);
        frame();
    }
};

TEST_F(ChestGameTest, APressBeforeTheFirstChestFrameFindsNoLever)
{
    ASSERT_EQ(createGame(), S_OK);
    D3DXMATRIX identity;
    D3DXMatrixTranslation(&identity, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(game->view == identity);
    for (const D3DXMATRIX& world : game->leverWorld) EXPECT_TRUE(world == identity);
    for (int y = 0; y < 375; y += 25) {
        for (int x = 0; x < 500; x += 25) EXPECT_EQ(game->pick(x, y), -1) << x << ", " << y;
    }
}

TEST_F(ChestInput, ThePressOnABlockedLeverChangesNothingAndStartsNoDrag)
{
    POINT p;
    ASSERT_TRUE(pointOnLever(1, &p));
    press(p.x, p.y);
    EXPECT_EQ(game->puzzle.lever(1), 0);
    EXPECT_EQ(game->dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    release(p.x, p.y);
}

TEST_F(ChestInput, EveryLeverIsPickableAndAClickOnLeverOneMovesIt)
{
    for (int i = 0; i < LeverCount; ++i) {
        POINT p;
        EXPECT_TRUE(pointOnLever(i, &p)) << "lever " << i + 1;
    }
    POINT p;
    ASSERT_TRUE(pointOnLever(0, &p));
    clickAt(p);
    EXPECT_EQ(game->puzzle.lever(0), 1);
    frame();
    // Drawn slid out by 0.1 along +X from the next frame on.
    EXPECT_FLOAT_EQ(game->leverWorld[0].m[3][0], 0.1f);
}

TEST_F(ChestInput, ALeverWithoutADrawableCopyIsNotHit)
{
    POINT p;
    ASSERT_TRUE(pointOnLever(0, &p));
    game->meshes[0]->releaseDeviceMesh();
    EXPECT_NE(game->pick(p.x, p.y), 0);
}

TEST_F(ChestInput, FourHundredPixelsOfDragTurnTheViewByAnEighthOfATurn)
{
    const POINT start = background();
    ASSERT_EQ(game->pick(start.x, start.y), -1);
    moveTo(start.x, start.y + 20);
    press(start.x, start.y + 20);
    EXPECT_EQ(game->dragging, 1);
    EXPECT_EQ(GetCapture(), game->window);
    for (int step = 1; step <= 4; ++step) moveTo(start.x + 100 * step, start.y + 20);
    EXPECT_EQ(game->cameraAzimuth, StartAzimuth + 400);
    EXPECT_EQ(game->cameraElevation, StartElevation);
    EXPECT_NEAR(orbitAzimuth(StartAzimuth) - orbitAzimuth(game->cameraAzimuth), 0.7854f, 1e-5f);
    frame();
    D3DXMATRIX turned;
    orbitView(&turned, StartAzimuth + 400, StartElevation);
    EXPECT_TRUE(game->view == turned);

    release(start.x + 400, start.y + 20);
    EXPECT_EQ(game->dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    moveTo(start.x, start.y);
    EXPECT_EQ(game->cameraAzimuth, StartAzimuth + 400);
}

TEST_F(ChestInput, DragsStopAtTheLimitsAndAReverseMovementActsAtOnce)
{
    const POINT start = background();
    moveTo(start.x, start.y);
    press(start.x, start.y);
    // The capture keeps the drag going outside the window.
    moveTo(start.x, start.y - 1000);
    EXPECT_EQ(game->cameraElevation, -ElevationLimit);
    moveTo(start.x, start.y - 999);
    EXPECT_EQ(game->cameraElevation, -ElevationLimit + 1);
    moveTo(start.x + 4000, start.y - 999);
    EXPECT_EQ(game->cameraAzimuth, AzimuthLimit);
    moveTo(start.x + 3999, start.y - 999);
    EXPECT_EQ(game->cameraAzimuth, AzimuthLimit - 1);
    release(start.x + 3999, start.y - 999);
}

TEST_F(ChestInput, TheSolutionByMouseOpensTheChestOneSecondAfterTheLastClick)
{
    playSolutionByMouse();
    ASSERT_EQ(game->puzzle.phase(), JustSolved);
    for (int i = 0; i < LeverCount; ++i) EXPECT_EQ(game->puzzle.lever(i), i % 2 ? 2 : 0);

    frame();
    ASSERT_EQ(game->puzzle.phase(), OpeningDelay);
    const float solvedAt = game->puzzle.solvedTime();
    EXPECT_EQ(solvedAt, game->time);
    frame(0.5);
    EXPECT_EQ(game->puzzle.phase(), OpeningDelay);
    EXPECT_EQ(drawableCopies(), MeshCount);
    frame(0.45);
    EXPECT_EQ(game->puzzle.phase(), OpeningDelay);
    frame(0.1);
    ASSERT_EQ(game->puzzle.phase(), ChestOpen);
    EXPECT_GE(game->time, solvedAt + 1.0f);
    expectCoinState();
}

TEST_F(ChestInput, LeverSixMovedBackDuringTheDelayStillOpensTheChest)
{
    for (int n = 0; n < 41; ++n) game->puzzle.clickLever(SolutionClicks[n] - 1);
    frame();
    POINT p;
    ASSERT_TRUE(pointOnLever(5, &p));
    clickAt(p);
    ASSERT_EQ(game->puzzle.phase(), JustSolved);
    frame();
    frame();
    ASSERT_TRUE(pointOnLever(5, &p));
    clickAt(p);
    EXPECT_EQ(game->puzzle.lever(5), 1);
    runUntilOpen();
    EXPECT_EQ(game->puzzle.phase(), ChestOpen);
}

TEST_F(ChestInput, PressesMovesAndReleasesDoNothingWhileTheChestIsOpen)
{
    POINT lever1;
    ASSERT_TRUE(pointOnLever(0, &lever1));
    for (int lever : SolutionClicks) game->puzzle.clickLever(lever - 1);
    runUntilOpen();
    ASSERT_EQ(game->puzzle.phase(), ChestOpen);

    const int32_t azimuth = game->cameraAzimuth;
    const int32_t elevation = game->cameraElevation;
    clickAt(lever1);
    press(background().x, background().y);
    moveTo(background().x + 200, background().y + 100);
    EXPECT_EQ(game->puzzle.lever(0), 0);
    EXPECT_EQ(game->dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(game->cameraAzimuth, azimuth);
    EXPECT_EQ(game->cameraElevation, elevation);
    release(background().x + 200, background().y + 100);
    EXPECT_EQ(game->puzzle.phase(), ChestOpen);
}

TEST_F(ChestInput, TheChestOpeningDuringADragReleasesTheCaptureAndResetEndsTheDrag)
{
    for (int n = 0; n < 42; ++n) game->puzzle.clickLever(SolutionClicks[n] - 1);
    moveTo(background().x, background().y);
    press(background().x, background().y);
    ASSERT_EQ(GetCapture(), game->window);
    runUntilOpen();
    ASSERT_EQ(game->puzzle.phase(), ChestOpen);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(game->dragging, 1);  // the release is not seen while open

    sendCommand(IDM_RESET);
    frame();
    EXPECT_EQ(game->dragging, 0);
    EXPECT_EQ(game->puzzle.phase(), Playing);
}

TEST_F(ChestInput, ResetDuringADragEndsItAndBringsEveryLeverHome)
{
    game->puzzle.clickLever(0);
    game->puzzle.clickLever(0);
    game->puzzle.clickLever(1);
    moveTo(background().x, background().y);
    press(background().x, background().y);
    moveTo(background().x + 50, background().y);
    ASSERT_EQ(game->dragging, 1);
    const int32_t azimuth = game->cameraAzimuth;

    sendCommand(IDM_RESET);
    sendCommand(IDM_RESET);  // requests merge into one
    EXPECT_EQ(game->resetRequested, 1);
    EXPECT_EQ(game->puzzle.lever(0), 2);  // carried out by the next frame update
    frame();
    EXPECT_EQ(game->resetRequested, 0);
    EXPECT_EQ(game->dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    for (int i = 0; i < LeverCount; ++i) EXPECT_EQ(game->puzzle.lever(i), 0);
    expectChestState();
    moveTo(background().x + 150, background().y);
    EXPECT_EQ(game->cameraAzimuth, azimuth);
}

TEST_F(ChestInput, ResetWhileOpenBringsTheChestBackSeenFromTheLastCamera)
{
    moveTo(background().x, background().y);
    press(background().x, background().y);
    moveTo(background().x + 30, background().y + 10);
    release(background().x + 30, background().y + 10);
    const int32_t azimuth = game->cameraAzimuth;
    const int32_t elevation = game->cameraElevation;

    for (int lever : SolutionClicks) game->puzzle.clickLever(lever - 1);
    runUntilOpen();
    ASSERT_EQ(game->puzzle.phase(), ChestOpen);
    sendCommand(IDM_RESET);
    frame();
    EXPECT_EQ(game->puzzle.phase(), Playing);
    for (int i = 0; i < LeverCount; ++i) EXPECT_EQ(game->puzzle.lever(i), 0);
    expectChestState();
    // The frame that carried out the Reset drew the chest from the camera.
    D3DXMATRIX last;
    orbitView(&last, azimuth, elevation);
    D3DMATRIX drawn;
    game->device->GetTransform(D3DTS_VIEW, &drawn);
    EXPECT_EQ(std::memcmp(&drawn, &last, sizeof drawn), 0);
    frame();
    EXPECT_TRUE(game->view == last);
    // The levers answer clicks again.
    POINT p;
    ASSERT_TRUE(pointOnLever(0, &p));
    clickAt(p);
    EXPECT_EQ(game->puzzle.lever(0), 1);
}

}  // namespace
}  // namespace gametest
