// The framework on the real platform, on both targets (Linux through our
// layer, Windows under Wine): start-up, Alt+Enter there and back, and the
// close, as traces of the test application's hooks. The traces are the same
// on both targets, hook for hook.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/framework/app_fixture.h"

namespace frameworktest {
namespace {

using AppTraces = AppFixture;

TEST_F(AppTraces, StartUpDrawsAndTheCloseReleasesEverythingInOrder)
{
    HWND created = nullptr;
    RECT client = {};
    char title[64] = "";
    DWORD style = 0;
    bool hadMenu = false;
    app->onFrame[3] = [&](TraceApp& a) {
        created = a.window;
        GetClientRect(a.window, &client);
        GetWindowText(a.window, title, sizeof title);
        style = static_cast<DWORD>(GetWindowLong(a.window, GWL_STYLE));
        hadMenu = GetMenu(a.window) != nullptr;
        a.postCommand(IDM_EXIT);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_TRUE(app->active);
    EXPECT_EQ(app->run(), 0);

    EXPECT_EQ(app->trace, startAndClose());
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(client.right - client.left, 320);
    EXPECT_EQ(client.bottom - client.top, 240);
    EXPECT_STREQ(title, "Trace App");
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(style & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x10CF0000));
    EXPECT_TRUE(hadMenu);
    EXPECT_EQ(app->backBufferDesc.Width, 320u);
    EXPECT_EQ(app->backBufferDesc.Height, 240u);
    EXPECT_EQ(std::string(app->deviceStats).substr(0, 3), "HAL");
    EXPECT_TRUE(app->presentParams.Windowed);
    EXPECT_TRUE(app->presentParams.EnableAutoDepthStencil);
    EXPECT_EQ(app->presentParams.SwapEffect, D3DSWAPEFFECT_DISCARD);
    // The close sequence destroyed the window and left nothing behind.
    EXPECT_EQ(app->window, nullptr);
    EXPECT_FALSE(IsWindow(created));
    EXPECT_EQ(app->device, nullptr);
    EXPECT_EQ(app->direct3d, nullptr);
}

TEST_F(AppTraces, AltEnterThereAndBackResetsOnlyAndRestoresTheWindow)
{
    struct Seen {
        bool windowed = true;
        DWORD style = 0;
        bool menu = true;
        bool savedMenu = false;
        UINT width = 0, height = 0;
        RECT client = {};
    } before, fullscreen, after;
    auto look = [](TraceApp& a, Seen& seen) {
        seen.windowed = a.windowed;
        seen.style = static_cast<DWORD>(GetWindowLong(a.window, GWL_STYLE));
        seen.menu = GetMenu(a.window) != nullptr;
        seen.savedMenu = a.savedMenu != nullptr;
        seen.width = a.backBufferDesc.Width;
        seen.height = a.backBufferDesc.Height;
        GetClientRect(a.window, &seen.client);
    };
    // Each posted toggle is handled before the next frame.
    app->onFrame[3] = [&](TraceApp& a) {
        look(a, before);
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
        a.later(3, [&](TraceApp& b) {
            look(b, fullscreen);
            b.postCommand(IDM_TOGGLE_FULLSCREEN);
            b.later(3, [&](TraceApp& c) {
                look(c, after);
                c.postCommand(IDM_EXIT);
            });
        });
    };

    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_EQ(app->trace, startAndClose({"onDeviceLost", "onDeviceReset", "frame", "onDeviceLost", "onDeviceReset",
                                         "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());

    EXPECT_FALSE(fullscreen.windowed);
    EXPECT_EQ(fullscreen.style & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x90080000));
    EXPECT_FALSE(fullscreen.menu);
    EXPECT_TRUE(fullscreen.savedMenu);
    EXPECT_EQ(fullscreen.width, app->settings.fullscreenMode.Width);
    EXPECT_EQ(fullscreen.height, app->settings.fullscreenMode.Height);

    EXPECT_TRUE(after.windowed);
    EXPECT_EQ(after.style, before.style);
    EXPECT_TRUE(after.menu);
    EXPECT_FALSE(after.savedMenu);
    EXPECT_EQ(after.width, 320u);
    EXPECT_EQ(after.height, 240u);
    EXPECT_EQ(after.client.right - after.client.left, before.client.right - before.client.left);
    EXPECT_EQ(after.client.bottom - after.client.top, before.client.bottom - before.client.top);
}

TEST_F(AppTraces, ACloseRequestMidFrameEndsTheLoopWithTheSameSequence)
{
    // WM_CLOSE sent straight from a frame, as a failed frame or a fatal report does.
    app->onFrame[2] = [](TraceApp& a) { SendMessage(a.window, WM_CLOSE, 0, 0); };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose());
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(app->frames, 2);
}

}  // namespace
}  // namespace frameworktest
