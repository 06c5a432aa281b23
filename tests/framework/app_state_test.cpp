// The application object without a window: pausing and the timer, the frame
// statistics it keeps, and the enumerator's acceptance callback.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/application.h"
#include "framework/frame_timer.h"
#include "tests/framework/fake_clock.h"

namespace {

class Bare : public Application {
public:
    using Application::active;
    using Application::backBufferDesc;
    using Application::enumerator;
    using Application::fps;
    using Application::frameStats;
    using Application::settings;

    HRESULT approveDevice(const D3DCAPS9* caps, DWORD flags, D3DFORMAT backBuffer) override
    {
        seenCaps = caps;
        seenFlags.push_back(flags);
        return backBuffer == D3DFMT_A8R8G8B8 ? E_FAIL : S_OK;
    }
    const D3DCAPS9* seenCaps = nullptr;
    std::vector<DWORD> seenFlags;
};

class AppState : public ::testing::Test {
protected:
    void SetUp() override { Application::resetProcessStateForTesting(); }
    void TearDown() override { Application::resetProcessStateForTesting(); }
    frameworktest::FakeClock clock;
};

TEST_F(AppState, ConstructionMakesTheCurrentAppAndStartsInactive)
{
    Bare app;
    EXPECT_EQ(currentApp, &app);
    EXPECT_FALSE(app.active);
    EXPECT_EQ(Application::pauseDepth, 1);
}

TEST_F(AppState, NestedPausesNeedAsManyResumesAndStopTheClock)
{
    clock.setSeconds(5.0);
    Bare app;
    app.pause(false);  // as the end of create does
    ASSERT_TRUE(app.active);
    clock.advance(2.0);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 2.0);

    app.pause(true);
    app.pause(true);
    app.pause(false);
    EXPECT_FALSE(app.active);
    EXPECT_EQ(Application::pauseDepth, 1);
    clock.advance(3.0);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 2.0);  // stopped at the first pause
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.0);

    app.pause(false);
    EXPECT_TRUE(app.active);
    clock.advance(0.5);
    // The paused three seconds are left out; the first frame sees only the time since.
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 2.5);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.5);
}

class FrameStats : public AppState {
protected:
    void SetUp() override
    {
        AppState::SetUp();
        app = new Bare;
        app->backBufferDesc.Width = 500;
        app->backBufferDesc.Height = 375;
        app->backBufferDesc.Format = D3DFMT_X8R8G8B8;
        app->settings.windowed = true;
        app->settings.windowedMode.Format = D3DFMT_X8R8G8B8;
        app->settings.windowedDepthStencilFormat = D3DFMT_D24S8;
        app->settings.windowedMultisampleType = D3DMULTISAMPLE_NONE;
        app->enumerator.useDepthBuffer = true;
    }
    void TearDown() override
    {
        delete app;
        AppState::TearDown();
    }
    Bare* app = nullptr;
};

// The rate and text rules are frame_stats_test.cpp's; here, which half of the
// settings the application describes.
TEST_F(FrameStats, TheTextDescribesTheHalfOfTheSettingsInUse)
{
    clock.setSeconds(10.0);
    app->updateFrameStats();
    EXPECT_STREQ(app->frameStats, "0.10 fps (500x375), X8R8G8B8 (D24S8)");

    app->settings.windowed = false;
    app->settings.fullscreenMode.Format = D3DFMT_X8R8G8B8;
    app->settings.fullscreenDepthStencilFormat = D3DFMT_D16;
    app->settings.fullscreenMultisampleType = D3DMULTISAMPLE_4_SAMPLES;
    app->backBufferDesc.Format = D3DFMT_A8R8G8B8;
    clock.setSeconds(12.0);
    app->updateFrameStats();
    EXPECT_STREQ(app->frameStats, "0.50 fps (500x375), backbuf A8R8G8B8, adapter X8R8G8B8 (D16) (4x Multisample)");
}

TEST_F(AppState, AcceptanceCallbackAsksTheCurrentAppWithCreationFlags)
{
    Bare app;
    D3DCAPS9 caps = {};
    EXPECT_TRUE(Application::approveDeviceCallback(&caps, PURE_HARDWARE_VP, D3DFMT_X8R8G8B8));
    EXPECT_TRUE(Application::approveDeviceCallback(&caps, MIXED_VP, D3DFMT_X8R8G8B8));
    EXPECT_FALSE(Application::approveDeviceCallback(&caps, SOFTWARE_VP, D3DFMT_A8R8G8B8));
    EXPECT_EQ(app.seenCaps, &caps);
    EXPECT_EQ(app.seenFlags, (std::vector<DWORD>{0x50, 0x80, 0x20}));
}

}  // namespace
