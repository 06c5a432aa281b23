// The real program on a Wayland desktop (weston with its GL renderer)
// through Xwayland, as under the desktops most players now have: the 42
// clicks to the celebration, Alt+Enter there and back, and Alt+F4
// to close. Screenshots by weston's screenshooter. weston runs on its
// x11 backend in a private Xvfb rather than headless: the headless seat has
// no pointer or keyboard, so the input goes to the Xvfb, where weston's
// output window takes it and passes it through its seat to Xwayland.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/game/chest_game_fixture.h"
#include "tests/game/desktop_journey.h"
#include "tests/support/desktop_environment.h"

namespace gametest {
namespace {

constexpr uint32_t Blue = 0x0000FF;

bool yellowish(uint32_t rgb)
{
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r > 200 && g > 200 && b < 80;
}

// The clicks of the shortest solution, worked out by the game's own picking
// in this process at the size and camera of the program about to start.
class WaylandJourney : public ChestGameTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::desktopFailure().empty()) << testsupport::desktopFailure();
        ChestGameTest::SetUp();
        ASSERT_EQ(createGame(), S_OK);
        frame();
        ASSERT_NO_FATAL_FAILURE(planSolutionClicks(&plan));
        SendMessage(game->window, WM_CLOSE, 0, 0);
        pump();
        game.reset();
        // The program's window is found by its title: not this one's.
        ASSERT_TRUE(waitUntil(10, [] { return shell("xdotool search --name '^Quorvane31$'").empty(); }))
            << "the planning window is still on the desktop";
    }

    std::vector<POINT> plan;
};

TEST_F(WaylandJourney, FortyTwoClicksToTheCelebrationAltEnterThereAndBackAndClose)
{
    Journey j("wayland_journey", Q31_TEST_OUTPUT_DIR, {Q31_GAME_EXE, {}, "/tmp", {}});
    ASSERT_NE(j.start(), 0u) << "no window titled Quorvane31 showed the scene";
    j.shot("start");
    const Shot start = j.x().capture(j.window());
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_TRUE(boundsOf(start, Blue, &left, &top, &right, &bottom));
    EXPECT_EQ(right - left + 1, 500);
    EXPECT_EQ(bottom - top + 1, 375);

    for (const POINT& p : plan) {
        ASSERT_TRUE(j.x().click(j.window(), left + p.x, top + p.y))
            << "the pointer did not reach " << p.x << "," << p.y << " of the client";
        ASSERT_TRUE(j.running()) << "the program ended by itself: " << j.logTail();
    }
    // The second line of the congratulation, where nothing of the closed
    // chest is yellow.
    int yellow = 0;
    const bool celebrating = waitUntil(30, [&] {
        const Shot line = crop(j.x().capture(j.window()), left + 130, top + 206, 250, 16);
        yellow = 0;
        for (uint32_t pixel : line.pixels) yellow += yellowish(pixel);
        return yellow > 100;
    });
    EXPECT_TRUE(celebrating) << "no celebration text after the 42 clicks (" << yellow << " yellow pixels)";
    j.shot("celebration");

    const Geometry windowed = j.clientGeometry();
    j.keys("alt+Return");
    EXPECT_TRUE(waitUntil(60, [&] {
        const Geometry g = j.clientGeometry();
        return g.width == 1280 && g.height == 1024 && j.sceneFillsClient();
    })) << "Alt+Enter did not cover weston's 1280 x 1024 output (window " << j.clientGeometry().width << " x "
        << j.clientGeometry().height << ")";
    j.shot("fullscreen_celebration");
    ASSERT_TRUE(j.running()) << "the program ended by itself: " << j.logTail();

    j.keys("alt+Return");
    EXPECT_TRUE(waitUntil(60, [&] {
        const Geometry g = j.clientGeometry();
        return g.width == windowed.width && g.height == windowed.height && j.sceneFillsClient();
    })) << "Alt+Enter did not bring the window back";
    j.shot("window_again");
    ASSERT_TRUE(j.running()) << "the program ended by itself: " << j.logTail();

    // weston 10's window manager gives a window back from full screen
    // without its title bar (the frame keeps the full-screen layout), so
    // there is no close button left to click: Alt+F4 closes it, as the
    // window menu's Close would.
    j.keys("alt+F4");
    EXPECT_EQ(j.program().waitForExit(30), 0) << "Alt+F4 did not end the program with exit code 0";
    // weston drops the surface a moment after the program ended: the closed
    // stage is the screen without the scene's blue.
    const std::string probe = std::string(Q31_TEST_OUTPUT_DIR) + "/wayland_journey_probe.png";
    EXPECT_TRUE(waitUntil(20, [&] {
        if (!testsupport::saveDesktopScreenshot(probe)) return false;
        const std::string raw = shell("convert '" + probe + "' -depth 8 rgb:-");
        int blue = 0;
        for (size_t i = 0; i + 2 < raw.size(); i += 3) blue += raw[i] == 0 && raw[i + 1] == 0 && uint8_t(raw[i + 2]) == 0xFF;
        return raw.size() == size_t(1280) * 1024 * 3 && blue == 0;
    })) << "weston still shows the program's scene";
    std::remove(probe.c_str());
    j.shot("closed");
}

}  // namespace
}  // namespace gametest
