// While the application is paused (a menu open, minimised, the settings
// dialog up) the loop waits in the window system: the process spends next to
// no processor time, application time stands still, and WM_PAINT still
// redraws with the last time. Measured between two ticks of a window timer
// while paused. Linux only.
#include <gtest/gtest.h>

#include "framework/frame_timer.h"
#include "q31_automation.h"
#include "resources/resource_ids.h"
#include "tests/framework/linux_app_fixture.h"

namespace frameworktest {
namespace {

constexpr UINT_PTR MeasureTimer = 9;
constexpr UINT MeasureMs = 400;

struct Pause {
    bool inactive = false;
    double cpu = 0, wall = 0, appTime = 0;
    float time = 0;
    int frames = 0;
    int paintDraws = 0;
};

class Inactive : public LinuxApp {
protected:
    // `enter` pauses the application on frame 3 and starts the timer; on its
    // first tick the measurement starts, on the second it ends and `leave`
    // lifts the pause.
    void measure(TraceApp::Action enter, TraceApp::Action leave, bool repaints = true)
    {
        app->onFrame[3] = [enter](TraceApp& a) {
            SetTimer(a.window, MeasureTimer, 50, nullptr);
            enter(a);
        };
        app->onTimer[MeasureTimer] = [this, leave](TraceApp& a) {
            Pause& p = ticks == 0 ? first : second;
            p.inactive = !a.active;
            p.appTime = frameTimer(AppTime);
            p.time = a.time;
            p.frames = a.frames;
            if (ticks == 0) {
                // The paused loop repaints on request, with the last time.
                InvalidateRect(a.window, nullptr, FALSE);
                UpdateWindow(a.window);
                p.paintDraws = a.paintDraws;
                SetTimer(a.window, MeasureTimer, MeasureMs, nullptr);
            } else {
                KillTimer(a.window, MeasureTimer);
            }
            p.cpu = processSeconds();
            p.wall = wallSeconds();
            if (ticks++ == 1) {
                leave(a);
                a.later(3, [](TraceApp& b) { b.postCommand(IDM_EXIT); });
            }
        };
        ASSERT_EQ(app->create(instance()), S_OK);
        EXPECT_EQ(app->run(), 0);
        ASSERT_EQ(ticks, 2);

        EXPECT_TRUE(first.inactive);
        EXPECT_TRUE(second.inactive);
        EXPECT_EQ(first.frames, second.frames) << "frames were produced while paused";
        EXPECT_EQ(second.appTime, first.appTime) << "application time moved while paused";
        EXPECT_EQ(second.time, first.time);
        if (repaints) {
            EXPECT_GE(first.paintDraws, 1);
        }
        const double wall = second.wall - first.wall;
        const double cpu = second.cpu - first.cpu;
        ASSERT_GE(wall, MeasureMs / 1000.0 * 0.9);
        // Near zero; the bound only has to tell waiting from spinning.
        EXPECT_LT(cpu, 0.2 * wall) << "cpu " << cpu << " s in " << wall << " s";
        EXPECT_EQ(app->faults, std::vector<std::string>());
        EXPECT_GT(app->frames, first.frames) << "frames resumed after the pause";
    }

    int ticks = 0;
    Pause first, second;
};

TEST_F(Inactive, WithTheMenuOpen)
{
    measure(
        [](TraceApp& a) {
            RECT item = {};
            ASSERT_TRUE(q31automation::menuBarItemRect(a.window, 0, &item));
            const int x = (item.left + item.right) / 2, y = (item.top + item.bottom) / 2;
            q31automation::mouseButton(a.window, x, y, 1, true);
            q31automation::mouseButton(a.window, x, y, 1, false);
        },
        [](TraceApp& a) { SendMessage(a.window, WM_CANCELMODE, 0, 0); });
    EXPECT_EQ(app->trace, startAndClose());
}

TEST_F(Inactive, WhileMinimised)
{
    measure([](TraceApp& a) { ShowWindow(a.window, SW_MINIMIZE); },
            [](TraceApp& a) { ShowWindow(a.window, SW_RESTORE); }, false);
    EXPECT_EQ(app->trace, startAndClose());
}

TEST_F(Inactive, WithTheSettingsDialogUp)
{
    measure([](TraceApp& a) { a.postCommand(IDM_CHANGE_DEVICE); },
            [](TraceApp& a) { EXPECT_NE(pressDialogButton(a, IDCANCEL), nullptr); });
    EXPECT_EQ(app->trace, startAndClose());
}

}  // namespace
}  // namespace frameworktest
