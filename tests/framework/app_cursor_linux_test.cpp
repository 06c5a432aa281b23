// The window messages of the base handler that act on the cursor, on the
// Linux layer. Linux only.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "q31_automation.h"
#include "resources/resource_ids.h"
#include "tests/framework/linux_app_fixture.h"
#include "tests/render/recording_device.h"

namespace frameworktest {
namespace {

void exitSoon(TraceApp& a)
{
    a.later(3, [](TraceApp& b) { b.postCommand(IDM_EXIT); });
}

RECT screenRect()
{
    RECT screen;
    SetRect(&screen, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
            GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return screen;
}

TEST_F(LinuxApp, TheMouseMovesTheDeviceCursorInScreenPixelsOrInFullScreenClientPixels)
{
    std::unique_ptr<RecordingDevice> recorder;
    IDirect3DDevice9* real = nullptr;
    std::string windowedMove, fullscreenMove, expectedWindowed, expectedFullscreen;
    auto moveAndExpect = [&](TraceApp& a, int x, int y, std::string* expected) {
        real = a.device;
        recorder = std::make_unique<RecordingDevice>(real);
        a.device = recorder.get();
        q31automation::moveMouse(a.window, x, y);
        POINT cursor = {x, y};
        if (a.windowed) ClientToScreen(a.window, &cursor);
        *expected = "SetCursorPosition " + std::to_string(cursor.x) + " " + std::to_string(cursor.y) + " 0";
    };
    auto collect = [&](TraceApp& a, std::string* seen) {
        const auto calls = recorder->callsStartingWith("SetCursorPosition");
        if (!calls.empty()) *seen = calls.back();
        a.device = real;
        recorder.reset();
    };
    app->onFrame[3] = [&](TraceApp& a) {
        moveAndExpect(a, 40, 30, &expectedWindowed);
        a.later(3, [&](TraceApp& b) {
            collect(b, &windowedMove);
            b.postCommand(IDM_TOGGLE_FULLSCREEN);
            b.later(3, [&](TraceApp& c) {
                // Off the screen's corner, so that screen and client pixels differ.
                SetWindowPos(c.window, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                moveAndExpect(c, 60, 50, &expectedFullscreen);
                c.later(3, [&](TraceApp& d) {
                    collect(d, &fullscreenMove);
                    exitSoon(d);
                });
            });
        });
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(windowedMove, expectedWindowed);
    EXPECT_EQ(fullscreenMove, expectedFullscreen);
    EXPECT_EQ(fullscreenMove, "SetCursorPosition 60 50 0");
}

TEST_F(LinuxApp, MinimisingInFullScreenReleasesTheCursorConfinement)
{
    RECT whileMinimised = {};
    app->onFrame[3] = [&](TraceApp& a) {
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
        a.later(3, [&](TraceApp& b) {
            RECT small;
            SetRect(&small, 10, 10, 50, 50);
            ClipCursor(&small);
            ShowWindow(b.window, SW_MINIMIZE);
            GetClipCursor(&whileMinimised);
            ShowWindow(b.window, SW_RESTORE);
            exitSoon(b);
        });
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    const RECT screen = screenRect();
    EXPECT_TRUE(EqualRect(&whileMinimised, &screen));
    EXPECT_EQ(app->faults, std::vector<std::string>());
}

}  // namespace
}  // namespace frameworktest
