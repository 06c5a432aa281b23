// A player's journeys through the game's own UI on a real desktop (Xorg with
// the dummy driver under openbox): the settings dialog to full screen at the
// desktop mode and at 800 x 600, Alt+Enter, the window manager's maximise,
// minimise, resize and close, the About box from the keyboard, and the
// desktop mode restored however the program ends. The same steps drive the
// Linux build and the Windows build under Wine. Each stage's screenshot is
// kept in the test output folder.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "tests/game/desktop_journey.h"
#include "tests/support/desktop_environment.h"

namespace gametest {
namespace {

const ScreenMode Desktop = {1920, 1080};
const ScreenMode Small = {800, 600};

ProgramLaunch linuxBuild()
{
    // Started from a folder without media: the data root's media are found.
    return {Q31_GAME_EXE, {}, "/tmp", {}};
}

bool haveWindowsBuild()
{
    return Q31_WINDOWS_GAME_EXE[0] != '\0' && access(Q31_WINDOWS_GAME_EXE, X_OK) == 0;
}

// A prefix per journey: a Wine server keeps the display it started on, and
// the Windows tests' Xvfb or another journey's desktop is not this one.
ProgramLaunch windowsBuild(const std::string& journey)
{
    return {Q31_WINE_RUN, {Q31_JOURNEY_WINEPREFIX + journey, Q31_WINDOWS_GAME_EXE}, Q31_MEDIA_DIR, {}, true};
}

class DesktopJourney : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::desktopFailure().empty()) << testsupport::desktopFailure();
        ASSERT_EQ(currentScreenMode(), Desktop) << "the desktop does not start at its own mode";
    }

    // After every step: no message box came up, and a click still moves a
    // lever. Wine's runtime loses the click's position after the window
    // manager resized its window (its window rectangle lags the frame), where
    // Windows and ours keep it: there the lever is only reported.
    void stillPlays(Journey& j, const std::string& step, bool leverMustMove = true)
    {
        ASSERT_TRUE(j.running()) << step << ": the program ended by itself: " << j.logTail();
        EXPECT_TRUE(j.otherWindowsTitled("Quorvane31").empty()) << step << ": a message box came up";
        std::string why;
        const bool moved = j.leverClickMovesLever(&why);
        if (leverMustMove)
            EXPECT_TRUE(moved) << step << ": " << why;
        else if (!moved)
            std::printf("%s: %s (not counted for this runtime)\n", step.c_str(), why.c_str());
    }

    // F2, then Fullscreen and (unless the desktop's) a resolution, then OK.
    void fullScreenThroughTheDialog(Journey& j, ScreenMode mode)
    {
        askForFullScreen(j, mode);
        const bool full = waitUntil(60, [&] {
            const Geometry g = j.clientGeometry();
            // Covering the screen is what both targets show; the window
            // manager's full-screen state is each runtime's own choice.
            return currentScreenMode() == mode && g.width == mode.width && g.height == mode.height &&
                   j.sceneFillsClient();
        });
        const Geometry g = j.clientGeometry();
        EXPECT_TRUE(full) << "not full screen and drawn at " << mode.width << " x " << mode.height << ": state ["
                          << j.windowState() << "], window " << g.width << " x " << g.height << ", screen mode "
                          << currentScreenMode().width << " x " << currentScreenMode().height;
    }

    void askForFullScreen(Journey& j, ScreenMode mode)
    {
        j.keys("F2");
        const unsigned long dialog = j.waitForWindowTitled("Direct3D Settings", 30);
        ASSERT_NE(dialog, 0u) << "F2 shows no settings dialog";
        EXPECT_TRUE(waitUntil(20, [&] { return currentScreenMode() == Desktop && j.clientGeometry().width == 500; }))
            << "the dialog opened before the window was back at the desktop mode";
        j.shot("dialog_" + std::to_string(mode.width) + "x" + std::to_string(mode.height));
        j.clickDialogUnit(dialog, 24, 90);  // "&Fullscreen"
        if (!(mode == Desktop)) {
            ASSERT_TRUE(j.chooseResolution(dialog, mode)) << "the output offers no " << mode.width;
        }
        j.clickDialogOk(dialog);
        EXPECT_TRUE(j.windowGone(dialog, 20)) << "OK did not close the dialog";
    }

    void backToTheWindow(Journey& j, const std::string& how)
    {
        const bool windowed = waitUntil(60, [&] {
            return !j.fullScreen() && currentScreenMode() == Desktop && j.clientGeometry().width == 500 &&
                   j.titleBarHeight() > 0 && j.sceneFillsClient();
        });
        EXPECT_TRUE(windowed) << how << ": no 500-wide framed window at the desktop mode (title bar "
                              << j.titleBarHeight() << ", state [" << j.windowState()
                              << "], width " << j.clientGeometry().width << ", mode " << currentScreenMode().width
                              << ")";
    }

    void playTheWholeJourney(Journey& j, bool underWine)
    {
        ASSERT_NE(j.start(), 0u) << "no window titled Quorvane31 showed the scene";
        j.shot("start");
        stillPlays(j, "start");

        fullScreenThroughTheDialog(j, Desktop);
        j.shot("fullscreen_desktop_mode");
        stillPlays(j, "F2 > Fullscreen > OK");

        // F2 in full screen goes back to a window first, then opens the dialog.
        fullScreenThroughTheDialog(j, Small);
        j.shot("fullscreen_800x600");
        stillPlays(j, "F2 > Fullscreen > 800 x 600 > OK");

        j.keys("alt+Return");
        backToTheWindow(j, "Alt+Enter");
        j.shot("alt_enter_window");
        stillPlays(j, "Alt+Enter");

        // A new client size is one reset; hiding and showing the same size is none.
        const int resetsBefore = j.resets();
        j.clickTitleButton(1);
        EXPECT_TRUE(waitUntil(30, [&] { return j.maximized() && j.clientGeometry().width > 500 && j.sceneFillsClient(); }))
            << "the maximise button did not give a bigger, fully drawn client";
        EXPECT_TRUE(waitUntil(10, [&] { return j.resets() > resetsBefore; })) << "maximise: no device reset";
        j.shot("maximised");
        stillPlays(j, "maximise");
        EXPECT_EQ(j.resets(), resetsBefore + 1) << "maximise: not one reset";
        j.clickTitleButton(1);
        backToTheWindow(j, "restore from maximised");
        EXPECT_TRUE(waitUntil(10, [&] { return j.resets() > resetsBefore + 1; })) << "restore: no device reset";
        j.shot("restored");
        stillPlays(j, "restore");
        EXPECT_EQ(j.resets(), resetsBefore + 2) << "restore: not one reset";

        j.clickTitleButton(2);
        EXPECT_TRUE(waitUntil(30, [&] { return !j.viewable(); })) << "the minimise button left the window shown";
        j.shot("minimised");
        ASSERT_TRUE(j.running()) << "minimise: the program ended by itself: " << j.logTail();
        // What a task bar does: ask the window manager to activate it.
        shell("xdotool windowactivate " + std::to_string(j.window()) + " 2>/dev/null");
        EXPECT_TRUE(waitUntil(30, [&] { return j.viewable() && j.sceneFillsClient(); }))
            << "the window did not come back drawn";
        stillPlays(j, "minimise and restore");
        EXPECT_EQ(j.resets(), resetsBefore + 2) << "minimise and restore: a device reset";

        j.dragFrameCorner(120, 80);
        EXPECT_TRUE(waitUntil(30, [&] {
            const Geometry g = j.clientGeometry();
            return g.width > 560 && j.sceneFillsClient();
        })) << "dragging the frame's corner did not give a bigger, fully drawn client (width "
            << j.clientGeometry().width << ")";
        j.shot("resized");
        stillPlays(j, "drag resize", !underWine);

        j.keys("alt+h a");
        const unsigned long about = j.waitForWindowTitled("About Quorvane3", 20);
        EXPECT_NE(about, 0u) << "Help > About showed no box";
        j.shot("about_box");
        if (about) {
            shell("xdotool windowfocus --sync " + std::to_string(about) + " 2>/dev/null; xdotool key Return");
            EXPECT_TRUE(j.windowGone(about, 20)) << "Enter did not answer the About box";
        }
        stillPlays(j, "About box", !underWine);

        j.clickTitleButton(0);
        EXPECT_EQ(j.program().waitForExit(30), 0) << "the close box did not end the program with exit code 0";
        EXPECT_EQ(currentScreenMode(), Desktop);
        j.shot("closed");
    }

    // The dialog from the keyboard alone: Tab to the mode buttons, Down to
    // Fullscreen and Space, Tab to the resolution list, Home for its first
    // mode, Enter for the default button OK.
    void keyboardOnlyToTheFirstMode(Journey& j)
    {
        ASSERT_NE(j.start(), 0u);
        j.keys("F2");
        const unsigned long dialog = j.waitForWindowTitled("Direct3D Settings", 30);
        ASSERT_NE(dialog, 0u) << "F2 shows no settings dialog";
        shell("xdotool windowfocus --sync " + std::to_string(dialog) + " 2>/dev/null; xdotool key --delay 150 Tab Tab "
              "Down space Tab Tab Home");
        j.shot("keyboard_dialog");
        shell("xdotool key Return");
        const ScreenMode first = offeredScreenSizes().front();
        EXPECT_TRUE(waitUntil(60, [&] {
            const Geometry g = j.clientGeometry();
            return currentScreenMode() == first && g.width == first.width && g.height == first.height &&
                   j.sceneFillsClient();
        })) << "the keys did not reach full screen at " << first.width << " x " << first.height << " (screen mode "
            << currentScreenMode().width << " x " << currentScreenMode().height << ")";
        j.shot("keyboard_fullscreen");
        j.keys("Escape");
        EXPECT_EQ(j.program().waitForExit(30), 0);
        EXPECT_TRUE(waitUntil(10, [] { return currentScreenMode() == Desktop; }));
    }

    // Full screen at 800 x 600, then ended by `end`; the desktop mode must be back.
    void endWhileFullScreen(Journey& j, const std::function<void()>& end, int expectedExit)
    {
        ASSERT_NE(j.start(), 0u);
        fullScreenThroughTheDialog(j, Small);
        j.shot("fullscreen_800x600");
        end();
        EXPECT_EQ(j.program().waitForExit(30), expectedExit);
        EXPECT_TRUE(waitUntil(10, [] { return currentScreenMode() == Desktop; }))
            << "the screen stayed at " << currentScreenMode().width << " x " << currentScreenMode().height;
        j.shot("ended");
    }

    // A model file goes away while the game runs (the folder was cleaned, a
    // share went offline): the full-screen device the dialog asks for at
    // 800 x 600 cannot load it. The error box must come up at the desktop
    // mode and, once answered, the program ends with the mode given back.
    void fatalErrorOnTheWayToFullScreen(Journey& j, const std::string& model)
    {
        ASSERT_NE(j.start(), 0u);
        ASSERT_EQ(std::remove(model.c_str()), 0) << model;
        askForFullScreen(j, Small);
        const unsigned long box = j.waitForWindowTitled("Quorvane31", 60);
        ASSERT_NE(box, 0u) << "no error box: " << j.logTail();
        EXPECT_TRUE(waitUntil(20, [] { return currentScreenMode() == Desktop; }))
            << "the error box is up at " << currentScreenMode().width << " x " << currentScreenMode().height;
        j.shot("error_box");
        shell("xdotool windowfocus --sync " + std::to_string(box) + " 2>/dev/null; xdotool key Return");
        EXPECT_GE(j.program().waitForExit(30), 0) << "Enter on the error box did not end the program";
        EXPECT_EQ(currentScreenMode(), Desktop);
        j.shot("ended");
    }
};

// Copies of the program that may lose a model file: the Linux build installed
// into, and the Windows build with its media copied into, a scratch folder.
class DesktopJourneyWithOwnMedia : public DesktopJourney {
protected:
    void SetUp() override
    {
        DesktopJourney::SetUp();
        char name[] = "/tmp/q31-journey-media-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        scratch = name;
    }
    void TearDown() override
    {
        if (!scratch.empty()) shell("rm -rf '" + scratch + "'");
    }
    std::string scratch;
};

TEST_F(DesktopJourneyWithOwnMedia, TheLinuxBuildGivesTheDesktopModeBackAfterAFatalErrorOnTheWayToFullScreen)
{
    int status = -1;
    const std::string log = shell("'" Q31_CMAKE "' --install '" Q31_BINARY_DIR "' --prefix '" + scratch + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    Journey j("linux_fatal", Q31_TEST_OUTPUT_DIR, {scratch + "/games/quorvane31", {}, "/", {}});
    fatalErrorOnTheWayToFullScreen(j, scratch + "/share/quorvane31/media/Base02.x");
}

TEST_F(DesktopJourneyWithOwnMedia, TheWindowsBuildUnderWineGivesTheDesktopModeBackAfterAFatalErrorOnTheWayToFullScreen)
{
    if (!haveWindowsBuild()) GTEST_SKIP() << "no Windows build at " << Q31_WINDOWS_GAME_EXE;
    int status = -1;
    const std::string log = shell("cp '" Q31_WINDOWS_GAME_EXE "' '" Q31_MEDIA_DIR "'/* '" + scratch + "/' 2>&1", &status);
    ASSERT_EQ(status, 0) << log;
    Journey j("wine_fatal", Q31_TEST_OUTPUT_DIR,
              {Q31_WINE_RUN, {Q31_JOURNEY_WINEPREFIX + std::string("fatal"), scratch + "/quorvane31.exe"}, scratch, {}, true});
    fatalErrorOnTheWayToFullScreen(j, scratch + "/Base02.x");
}

TEST_F(DesktopJourney, TheLinuxBuildThroughDialogFullScreenWindowManagerAndClose)
{
    Journey j("linux_journey", Q31_TEST_OUTPUT_DIR, linuxBuild());
    playTheWholeJourney(j, false);
}

TEST_F(DesktopJourney, TheLinuxBuildGivesTheDesktopModeBackOnEscInFullScreen)
{
    Journey j("linux_esc", Q31_TEST_OUTPUT_DIR, linuxBuild());
    endWhileFullScreen(j, [&] { j.keys("Escape"); }, 0);
}

// What Windows does when a session ends or a task is ended politely: the
// window is asked to close.
TEST_F(DesktopJourney, TheLinuxBuildGivesTheDesktopModeBackOnSigterm)
{
    Journey j("linux_sigterm", Q31_TEST_OUTPUT_DIR, linuxBuild());
    endWhileFullScreen(j, [&] { j.program().signal(SIGTERM); }, 0);
}

TEST_F(DesktopJourney, TheLinuxBuildReachesFullScreenFromTheKeyboardAlone)
{
    Journey j("linux_keyboard", Q31_TEST_OUTPUT_DIR, linuxBuild());
    keyboardOnlyToTheFirstMode(j);
}

TEST_F(DesktopJourney, TheWindowsBuildUnderWineReachesFullScreenFromTheKeyboardAlone)
{
    if (!haveWindowsBuild()) GTEST_SKIP() << "no Windows build at " << Q31_WINDOWS_GAME_EXE;
    Journey j("wine_keyboard", Q31_TEST_OUTPUT_DIR, windowsBuild("keyboard"));
    keyboardOnlyToTheFirstMode(j);
}

TEST_F(DesktopJourney, TheWindowsBuildUnderWineThroughTheSameJourney)
{
    if (!haveWindowsBuild()) GTEST_SKIP() << "no Windows build at " << Q31_WINDOWS_GAME_EXE;
    Journey j("wine_journey", Q31_TEST_OUTPUT_DIR, windowsBuild("journey"));
    playTheWholeJourney(j, true);
}

TEST_F(DesktopJourney, TheWindowsBuildUnderWineGivesTheDesktopModeBackOnEsc)
{
    if (!haveWindowsBuild()) GTEST_SKIP() << "no Windows build at " << Q31_WINDOWS_GAME_EXE;
    Journey j("wine_esc", Q31_TEST_OUTPUT_DIR, windowsBuild("esc"));
    endWhileFullScreen(j, [&] { j.keys("Escape"); }, 0);
}

}  // namespace
}  // namespace gametest
