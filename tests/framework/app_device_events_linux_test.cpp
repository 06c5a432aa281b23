// Device events on the Linux layer that the traces alone do not show: passes
// without elapsed time, test failures of the device, failed switches and
// their texts, a switch to another device type and ignored size changes.
// Linux only.
#include <gtest/gtest.h>

#include <memory>

#include "platform/d3d9/automation.h"
#include "q31_automation.h"
#include "resources/resource_ids.h"
#include "tests/framework/fake_clock.h"
#include "tests/framework/linux_app_fixture.h"
#include "tests/render/recording_device.h"

namespace frameworktest {
namespace {

namespace device = d3d9gl::automation;

void exitSoon(TraceApp& a)
{
    a.later(3, [](TraceApp& b) { b.postCommand(IDM_EXIT); });
}

// Presses OK on the next settings dialog once it waits for input.
void confirmNextDialog(TraceApp* app)
{
    static TraceApp* target = nullptr;
    target = app;
    q31automation::setDialogIdleHandler(
        [](HWND, void*) {
            if (!target) return;
            TraceApp* a = target;
            target = nullptr;
            EXPECT_NE(pressDialogButton(*a, IDOK), nullptr);
        },
        nullptr);
}

TEST_F(LinuxApp, APassWithoutElapsedTimeDrawsNothing)
{
    FakeClock clock;
    ASSERT_EQ(app->create(instance()), S_OK);
    clock.advance(0.02);
    EXPECT_EQ(app->stepFrame(), S_OK);
    EXPECT_EQ(app->frames, 1);
    EXPECT_EQ(app->stepFrame(), S_OK);  // the clock has not moved
    EXPECT_EQ(app->frames, 1);
    clock.advance(0.02);
    EXPECT_EQ(app->stepFrame(), S_OK);
    EXPECT_EQ(app->frames, 2);
}

TEST_F(LinuxApp, AnyOtherFailureOfTheDeviceTestClosesTheWindowWithoutABox)
{
    std::unique_ptr<RecordingDevice> failing;
    IDirect3DDevice9* real = nullptr;
    app->onFrame[3] = [&](TraceApp& a) {
        real = a.device;
        failing = std::make_unique<RecordingDevice>(real);
        failing->failNext("TestCooperativeLevel", D3DERR_DRIVERINTERNALERROR);
        a.device = failing.get();
        a.deviceLost = true;
    };
    app->onMessage[WM_CLOSE] = [&](TraceApp& a) {
        if (real) a.device = real;
        real = nullptr;
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->frames, 3);
    EXPECT_EQ(app->trace, startAndClose());
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_TRUE(q31automation::messageBoxes().empty());
}

TEST_F(LinuxApp, FailedSwitchesKeepOutOfVideoMemoryAndCallTheRestAResetFailure)
{
    enum Path { Resize, Toggle, Dialog };
    const struct {
        HRESULT code;
        const char* text;
    } codes[] = {{D3DERR_OUTOFVIDEOMEMORY, "Not enough video memory."},
                 {D3DERR_INVALIDCALL, "Could not reset the Direct3D device."}};
    const std::string generic = "Generic application error. Enable\ndebug output for detailed information.";
    for (Path path : {Resize, Toggle, Dialog}) {
        for (const auto& c : codes) {
            SCOPED_TRACE(testing::Message() << "path " << path << ", code " << std::hex << c.code);
            restart();
            const HRESULT code = c.code;
            if (path == Dialog) {
                // The new HAL device and then its reference fallback fail.
                app->createResults = {S_OK, code, code};
                confirmNextDialog(app.get());
            }
            app->onFrame[3] = [path, code](TraceApp& a) {
                if (path == Resize) {
                    device::injectFailure(device::Call::Reset, code);
                    q31automation::resizeFrame(a.window, 400, 330);
                } else if (path == Toggle) {
                    device::injectFailure(device::Call::Reset, code);
                    a.postCommand(IDM_TOGGLE_FULLSCREEN);
                } else {
                    a.postCommand(IDM_CHANGE_DEVICE);
                }
            };
            ASSERT_EQ(app->create(instance()), S_OK);
            EXPECT_EQ(app->run(), 0);
            q31automation::setDialogIdleHandler(nullptr, nullptr);
            EXPECT_EQ(app->window, nullptr);
            EXPECT_EQ(app->faults, std::vector<std::string>());
            const std::string fatal = std::string(c.text) + "\n\nThis sample will now exit.";
            if (path == Dialog) {
                const std::string first = code == D3DERR_OUTOFVIDEOMEMORY ? "Not enough video memory." : generic;
                expectBoxes({{first + "\n\nSwitching to the reference rasterizer,\na software device that implements "
                                      "the entire\nDirect3D feature set, but runs very slowly.",
                              MB_ICONWARNING},
                             {fatal, MB_ICONERROR}});
            } else {
                expectBoxes({{fatal, MB_ICONERROR}});
            }
            EXPECT_EQ(app->styleAtShutDown & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x10CF0000));
        }
    }
}

TEST_F(LinuxApp, AltEnterToAnotherDeviceTypeOrAdapterRecreatesTheDeviceWhileSizeChangesAreIgnored)
{
    // The full-screen half on the reference device, the windowed one on HAL.
    app->onInitOnce = [](TraceApp& a) {
        ASSERT_TRUE(a.pickFullscreenSettings(false, true));
        a.settings.windowed = true;
    };
    std::vector<bool> ignoringAtReset;
    std::string fullscreenDevice;
    app->onReset = [&](TraceApp& a) {
        if (a.frames >= 3) ignoringAtReset.push_back(a.ignoreSizeChange);
    };
    app->onFrame[3] = [&](TraceApp& a) {
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
        a.later(3, [&](TraceApp& b) {
            EXPECT_FALSE(b.windowed);
            fullscreenDevice = std::string(b.deviceStats).substr(0, 3);
            b.postCommand(IDM_TOGGLE_FULLSCREEN);
            exitSoon(b);
        });
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    const std::vector<std::string> recreate = {"onDeviceLost", "destroyDeviceResources", "createDeviceResources",
                                               "onDeviceReset", "frame"};
    std::vector<std::string> middle = recreate;
    middle.insert(middle.end(), recreate.begin(), recreate.end());
    EXPECT_EQ(app->trace, startAndClose(middle));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(fullscreenDevice, "REF");
    EXPECT_EQ(ignoringAtReset, (std::vector<bool>{true, true}));
    EXPECT_FALSE(app->ignoreSizeChange);
    EXPECT_TRUE(q31automation::messageBoxes().empty());

    // Xvfb has one screen: a full-screen half said to be on adapter 1 cannot
    // be created there, so the switch that re-creates the device ends on the
    // windowed reference device, where a reset would have kept the old one.
    restart();
    app->onInitOnce = [](TraceApp& a) { a.settings.fullscreenCombo->adapterOrdinal = 1; };
    app->onFrame[3] = [](TraceApp& a) {
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose(recreate));
    EXPECT_EQ(app->settings.windowedDevice->deviceType, D3DDEVTYPE_REF);
    expectBoxes({{"Generic application error. Enable\ndebug output for detailed information.\n\nSwitching to the "
                  "reference rasterizer,\na software device that implements the entire\nDirect3D feature set, but "
                  "runs very slowly.",
                  MB_ICONWARNING}});
}

TEST_F(LinuxApp, SizeChangesAreNotActedOnWhileIgnored)
{
    UINT ignoredWidth = 0;
    app->onFrame[3] = [](TraceApp& a) {
        a.ignoreSizeChange = true;
        a.note("resize ignored");
        q31automation::resizeFrame(a.window, 400, 330);
    };
    app->onFrame[6] = [&](TraceApp& a) {
        ignoredWidth = a.backBufferDesc.Width;
        a.ignoreSizeChange = false;
        a.note("resize again");
        SendMessage(a.window, WM_ENTERSIZEMOVE, 0, 0);
        SendMessage(a.window, WM_EXITSIZEMOVE, 0, 0);
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(ignoredWidth, 320u);
    EXPECT_NE(app->backBufferDesc.Width, 320u);
    EXPECT_EQ(app->trace, startAndClose({"resize ignored", "frame", "resize again", "onDeviceLost", "onDeviceReset",
                                         "frame"}));
}

// A drag waits for its end; a new size from anywhere else (a tiling window
// manager, SetWindowPos, a restore that arrives as two messages) is acted on
// at once, so that no frame is drawn at the old size meanwhile.
TEST_F(LinuxApp, ASizeChangeOutsideADragResetsAtOnceAndADragAtItsEnd)
{
    UINT widthDuringDrag = 0, widthAfterSetWindowPos = 0;
    LONG clientWidth = 0;
    app->onFrame[3] = [&](TraceApp& a) {
        a.note("drag");
        SendMessage(a.window, WM_ENTERSIZEMOVE, 0, 0);
        SetWindowPos(a.window, nullptr, 0, 0, 420, 360, SWP_NOMOVE | SWP_NOZORDER);
        widthDuringDrag = a.presentParams.BackBufferWidth;
        a.note("drag ends");
        SendMessage(a.window, WM_EXITSIZEMOVE, 0, 0);
    };
    app->onFrame[5] = [&](TraceApp& a) {
        a.note("moved by the system");
        SetWindowPos(a.window, nullptr, 0, 0, 380, 300, SWP_NOMOVE | SWP_NOZORDER);
        widthAfterSetWindowPos = a.presentParams.BackBufferWidth;
        RECT client;
        GetClientRect(a.window, &client);
        clientWidth = client.right;
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(widthDuringDrag, 320u);
    EXPECT_NE(clientWidth, 320);
    EXPECT_EQ(widthAfterSetWindowPos, static_cast<UINT>(clientWidth));
    EXPECT_EQ(app->trace, startAndClose({"drag", "drag ends", "onDeviceLost", "onDeviceReset", "frame",
                                         "moved by the system", "onDeviceLost", "onDeviceReset", "frame"}));
}

}  // namespace
}  // namespace frameworktest
