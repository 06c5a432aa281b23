// Test support for the game object: a ChestGame created on a real window and
// device of the Linux layer under the private Xvfb, with the frame clock in
// the test's hands (frames run only when the test steps them), message boxes
// answered and recorded by the automation seam, and mouse input pushed
// through the layer's own event translation. Linux only.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <q31_automation.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/chest_game.h"
#include "resources/resource_ids.h"
#include "tests/framework/fake_clock.h"

namespace gametest {

// ChestGame with its state and the framework's device operations open to tests.
class TestChestGame : public ChestGame {
public:
    using ChestGame::baseWorld;
    using ChestGame::cameraAzimuth;
    using ChestGame::cameraElevation;
    using ChestGame::coinVertices;
    using ChestGame::coins;
    using ChestGame::dragging;
    using ChestGame::font;
    using ChestGame::frameDelta;
    using ChestGame::leverWorld;
    using ChestGame::loading;
    using ChestGame::meshes;
    using ChestGame::previousTime;
    using ChestGame::pick;
    using ChestGame::projection;
    using ChestGame::puzzle;
    using ChestGame::resetRequested;
    using ChestGame::view;

    using Application::backBufferDesc;
    using Application::device;
    using Application::initDevice;
    using Application::releaseDevice;
    using Application::resetDevice;
    using Application::stepFrame;
    using Application::time;
    using Application::window;
};

class ChestGameTest : public testing::Test {
protected:
    static constexpr double FrameSeconds = 1.0 / 60.0;

    void SetUp() override;
    void TearDown() override;

    // Creates the game as the entry point does; S_OK or create's code.
    HRESULT createGame();
    // Lets `seconds` of application time pass, delivers pending messages and
    // runs one pass of the frame cycle.
    void frame(double seconds = FrameSeconds);
    // Delivers every pending message (the game's and the layer's).
    void pump();

    // Real mouse input at client pixel (x, y) of the game's window.
    void moveTo(int x, int y);
    void press(int x, int y);
    void release(int x, int y);
    void clickAt(POINT p);

    // A client pixel under which pick finds lever `index`, as near to the
    // lever's projected centre as the other levers allow, from the transforms
    // of the last chest frame. False when the lever is nowhere pickable.
    bool pointOnLever(int index, POINT* point);
    // A client pixel that hits no lever.
    POINT background() const { return POINT{6, 6}; }

    // The client pixel of each click of the shortest solution, worked out by
    // the game's own picking while the clicks are played here, so that a
    // program started at the same size and camera can be clicked through.
    void planSolutionClicks(std::vector<POINT>* plan);
    // Plays the shortest solution with picked clicks through real input.
    void playSolutionByMouse();
    // Frames until the chest is open (at most `limit` of them).
    void runUntilOpen(int limit = 200);

    void sendCommand(WORD command) { SendMessage(game->window, WM_COMMAND, command, 0); }

    // Device state checks of the two lighting sets and the drawable copies.
    void expectChestState();
    void expectCoinState();
    // Sets every state of both lighting sets and of the common state to a
    // value that neither uses, so a state left out shows in the checks above.
    void spoilDeviceState();
    // The chest or coin state as the hooks leave it before a frame draws:
    // also the chest's fallback material, the identity world and the fixed view.
    void expectStateBeforeTheNextFrame(bool chest);
    int drawableCopies() const;

    frameworktest::FakeClock clock;
    std::unique_ptr<TestChestGame> game;
};

// The levers of the 42-click shortest solution, 1 to 6.
extern const int SolutionClicks[42];

}  // namespace gametest
