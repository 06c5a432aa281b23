// The framework on the Linux layer with its test seams: window-manager
// resizing, minimise and maximise, the settings dialog, a lost device,
// failing hooks and devices, and the message boxes the framework shows
// (answered and recorded by the seam). Linux only.
#include <gtest/gtest.h>

#include "platform/d3d9/automation.h"
#include "q31_automation.h"
#include "resources/resource_ids.h"
#include "tests/framework/linux_app_fixture.h"

namespace frameworktest {
namespace {

namespace device = d3d9gl::automation;

// Closes the application three frames from now.
void exitSoon(TraceApp& a)
{
    a.later(3, [](TraceApp& b) { b.postCommand(IDM_EXIT); });
}

LONG clientWidth(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    return r.right - r.left;
}
LONG clientHeight(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    return r.bottom - r.top;
}

TEST_F(LinuxApp, DraggingTheFrameResetsOnceAtTheEnd)
{
    bool resizedAgain = false;
    app->onFrame[3] = [](TraceApp& a) { q31automation::resizeFrame(a.window, 400, 330); };
    app->onMessage[WM_ENTERSIZEMOVE] = [](TraceApp& a) { a.note("enterSizeMove"); };
    // A second step of the same drag.
    app->onMessage[WM_SIZE] = [&](TraceApp& a) {
        if (a.active || resizedAgain) return;
        resizedAgain = true;
        q31automation::resizeFrame(a.window, 420, 350);
    };
    app->onMessage[WM_EXITSIZEMOVE] = [](TraceApp& a) {
        a.note("exitSizeMove");
        exitSoon(a);
    };
    LONG width = 0, height = 0;
    app->onMessage[WM_CLOSE] = [&](TraceApp& a) {
        width = clientWidth(a.window);
        height = clientHeight(a.window);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_TRUE(resizedAgain);
    EXPECT_EQ(app->trace, startAndClose({"enterSizeMove", "exitSizeMove", "onDeviceLost", "onDeviceReset", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_NE(width, 320);
    EXPECT_EQ(app->backBufferDesc.Width, UINT(width));
    EXPECT_EQ(app->backBufferDesc.Height, UINT(height));
}

// Xvfb has no window manager: the test resizes the frame as one would when
// it maximises or restores, just before asking for the state.
TEST_F(LinuxApp, MaximisingAndRestoringResetWhenTheClientSizeChanges)
{
    LONG maximizedWidth = 0, restoredWidth = 0;
    UINT maximizedBackBuffer = 0;
    RECT frame = {};
    app->onFrame[3] = [&](TraceApp& a) {
        GetWindowRect(a.window, &frame);
        a.note("maximize");
        q31automation::resizeFrame(a.window, 1000, 800);
        ShowWindow(a.window, SW_MAXIMIZE);
        a.later(3, [&](TraceApp& b) {
            maximizedWidth = clientWidth(b.window);
            maximizedBackBuffer = b.backBufferDesc.Width;
            EXPECT_TRUE(b.maximized);
            b.note("restore");
            q31automation::resizeFrame(b.window, frame.right - frame.left, frame.bottom - frame.top);
            ShowWindow(b.window, SW_RESTORE);
            b.later(3, [&](TraceApp& c) {
                restoredWidth = clientWidth(c.window);
                EXPECT_FALSE(c.maximized);
                // Maximising at the size the window already has changes nothing.
                c.note("maximize in place");
                ShowWindow(c.window, SW_MAXIMIZE);
                c.later(3, [](TraceApp& d) {
                    EXPECT_TRUE(d.maximized);
                    exitSoon(d);
                });
            });
        });
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_EQ(app->trace, startAndClose({"maximize", "onDeviceLost", "onDeviceReset", "frame", "restore",
                                         "onDeviceLost", "onDeviceReset", "frame", "maximize in place", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(maximizedWidth, 1000);
    EXPECT_EQ(maximizedBackBuffer, 1000u);
    EXPECT_EQ(restoredWidth, 320);
    EXPECT_EQ(app->backBufferDesc.Width, 320u);
}

TEST_F(LinuxApp, MinimisingAndRestoringAtTheSameSizeDoesNotReset)
{
    bool pausedWhileMinimized = false;
    app->onFrame[3] = [](TraceApp& a) {
        a.note("minimize");
        ShowWindow(a.window, SW_MINIMIZE);
        SetTimer(a.window, 1, 100, nullptr);
    };
    app->onTimer[1] = [&](TraceApp& a) {
        KillTimer(a.window, 1);
        pausedWhileMinimized = !a.active && a.minimized && Application::pauseDepth == 1;
        a.note("restore");
        ShowWindow(a.window, SW_RESTORE);
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_TRUE(pausedWhileMinimized);
    EXPECT_EQ(app->trace, startAndClose({"minimize", "restore", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
}

TEST_F(LinuxApp, DialogOkWithoutChangesRecreatesTheDeviceWithAllFourHooks)
{
    // F2 from the keyboard opens it; OK is pressed once the dialog waits.
    struct Seen {
        TraceApp* app;
        std::string caption;
        bool pressed;
    } seen{app.get(), "", false};
    app->onFrame[3] = [](TraceApp& a) { q31automation::pressKey(a.window, VK_F2); };
    q31automation::setDialogIdleHandler(
        [](HWND dialog, void* context) {
            Seen& s = *static_cast<Seen*>(context);
            if (s.pressed) return;
            s.pressed = true;
            char text[64] = "";
            GetWindowText(dialog, text, sizeof text);
            s.caption = text;
            s.app->note(s.app->active ? "dialog while active" : "dialog");
            EXPECT_NE(pressDialogButton(*s.app, IDOK), nullptr);
            exitSoon(*s.app);
        },
        &seen);
    ASSERT_EQ(app->create(instance()), S_OK);
    const DisplaySettings before = app->settings;
    EXPECT_EQ(app->run(), 0);
    q31automation::setDialogIdleHandler(nullptr, nullptr);
    const std::string caption = seen.caption;

    EXPECT_EQ(caption, "Direct3D Settings");
    EXPECT_EQ(app->trace, startAndClose({"dialog", "onDeviceLost", "destroyDeviceResources", "createDeviceResources",
                                         "onDeviceReset", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(app->settings.windowedCombo, before.windowedCombo);
    EXPECT_TRUE(app->windowed);
    EXPECT_TRUE(q31automation::messageBoxes().empty());
}

TEST_F(LinuxApp, DialogFromFullScreenSwitchesToAWindowFirstAndCancelLeavesItWindowed)
{
    bool windowedUnderDialog = false;
    app->onFrame[3] = [](TraceApp& a) {
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
        a.later(3, [](TraceApp& b) {
            EXPECT_FALSE(b.windowed);
            b.postCommand(IDM_CHANGE_DEVICE);
            PostMessage(b.window, WM_APP, 0, 0);
        });
    };
    app->onMessage[WM_APP] = [&](TraceApp& a) {
        windowedUnderDialog = a.windowed && a.settings.windowed;
        a.note("dialog");
        EXPECT_NE(pressDialogButton(a, IDCANCEL), nullptr);
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_TRUE(windowedUnderDialog);
    EXPECT_EQ(app->trace, startAndClose({"onDeviceLost", "onDeviceReset", "frame", "onDeviceLost", "onDeviceReset",
                                         "dialog", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_TRUE(app->windowed);
    EXPECT_EQ(app->styleAtShutDown & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x10CF0000));
}

TEST_F(LinuxApp, ALostDeviceIsResetWhenUsableAndTheRecoveringPassDrawsNothing)
{
    int recoveries = 0;
    double lostCpu = 0.0, lostWall = 0.0;
    D3DFORMAT desktopFormat = D3DFMT_UNKNOWN;
    app->onFrame[3] = [&](TraceApp& a) {
        device::setDeviceLost(a.device, true);
        a.note("lost");
        desktopFormat = a.settings.windowedMode.Format;
        lostCpu -= processSeconds();
        lostWall -= wallSeconds();
        SetTimer(a.window, 2, 300, nullptr);
    };
    app->onTimer[2] = [&](TraceApp& a) {
        KillTimer(a.window, 2);
        lostCpu += processSeconds();
        lostWall += wallSeconds();
        EXPECT_TRUE(a.deviceLost);
        a.note("usable");
        // As if the desktop had changed format while the device was lost.
        a.settings.windowedMode.Format = D3DFMT_R5G6B5;
        a.presentParams.BackBufferFormat = D3DFMT_R5G6B5;
        device::setDeviceLost(a.device, false);
    };
    app->onReset = [&](TraceApp& a) {
        if (a.frames < 3) return;  // the start-up reset
        if (++recoveries == 1) {
            // Lost again at once: a pass that went on drawing after its reset
            // would now draw on a lost device.
            a.note("lost again");
            device::setDeviceLost(a.device, true);
            lostCpu -= processSeconds();
            lostWall -= wallSeconds();
            SetTimer(a.window, 2, 300, nullptr);
        } else {
            exitSoon(a);
        }
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);

    EXPECT_EQ(app->trace, startAndClose({"lost", "usable", "onDeviceLost", "onDeviceReset", "lost again", "usable",
                                         "onDeviceLost", "onDeviceReset", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    // The windowed back buffer followed the desktop's format on the way back.
    EXPECT_EQ(app->settings.windowedMode.Format, desktopFormat);
    EXPECT_EQ(app->presentParams.BackBufferFormat, desktopFormat);
    EXPECT_NE(desktopFormat, D3DFMT_R5G6B5);
    EXPECT_TRUE(q31automation::messageBoxes().empty());
    // While lost the loop sleeps between its tests of the device instead of spinning.
    ASSERT_GE(lostWall, 0.5);
    EXPECT_LT(lostCpu, 0.05 * lostWall) << "cpu " << lostCpu << " s in " << lostWall << " s";
}

TEST_F(LinuxApp, WithoutDirect3DStartUpReportsItBeforeAnyWindowExists)
{
    device::injectFailure(device::Call::Direct3DCreate, E_FAIL);
    EXPECT_EQ(app->create(instance()), HRESULT(Direct3DUnavailable));
    EXPECT_EQ(app->window, nullptr);
    EXPECT_EQ(app->direct3d, nullptr);
    EXPECT_EQ(app->trace, std::vector<std::string>());  // not even shutDown: there was no window to close
    expectBoxes({{"Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is "
                  "correctly installed on your\nsystem.  Also make sure that this program\nwas compiled with "
                  "header files that match\nthe installed DirectX DLLs.\n\nThis sample will now exit.",
                  MB_ICONERROR}});
}

TEST_F(LinuxApp, MissingMediaEndsStartUpWithoutTheReferenceFallback)
{
    for (HRESULT code : {HRESULT(MediaMissing), FileNotFound}) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        restart();
        app->createResults = {code};
        EXPECT_EQ(app->create(instance()), code);
        EXPECT_EQ(app->trace, (std::vector<std::string>{"approveDevice", "initOnce", "createDeviceResources",
                                                        "destroyDeviceResources", "shutDown"}));
        EXPECT_EQ(app->faults, std::vector<std::string>());
        EXPECT_EQ(app->window, nullptr);
        EXPECT_EQ(app->device, nullptr);
        expectBoxes({{"Could not load required media.\n\nThis sample will now exit.", MB_ICONERROR}});
    }
}

TEST_F(LinuxApp, AFailingHalDeviceWarnsAndRunsOnTheWindowedReferenceDevice)
{
    // Also from a full-screen start: the fallback is always to a window.
    for (bool fullscreenStart : {false, true}) {
        SCOPED_TRACE(fullscreenStart);
        restart();
        app->startFullscreen = fullscreenStart;
        device::injectFailure(device::Call::CreateDevice, D3DERR_OUTOFVIDEOMEMORY);
        DWORD style = 0;
        app->onFrame[3] = [&](TraceApp& a) {
            style = static_cast<DWORD>(GetWindowLong(a.window, GWL_STYLE));
            EXPECT_NE(GetMenu(a.window), nullptr);
            exitSoon(a);
        };
        ASSERT_EQ(app->create(instance()), S_OK);
        EXPECT_EQ(app->settings.windowedDevice->deviceType, D3DDEVTYPE_REF);
        EXPECT_TRUE(app->windowed);
        EXPECT_TRUE(app->settings.windowed);
        EXPECT_TRUE(app->presentParams.Windowed);
        EXPECT_EQ(std::string(app->deviceStats).substr(0, 3), "REF");
        EXPECT_EQ(app->run(), 0);
        EXPECT_EQ(style & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x10CF0000));
        EXPECT_EQ(app->trace, startAndClose());
        EXPECT_EQ(app->faults, std::vector<std::string>());
        expectBoxes({{"Not enough video memory.\n\nSwitching to the reference rasterizer,\na software device that "
                      "implements the entire\nDirect3D feature set, but runs very slowly.",
                      MB_ICONWARNING}});
    }
}

TEST_F(LinuxApp, AFailingHalHookFallsBackAndAFailingReferenceDeviceIsFatal)
{
    app->createResults = {E_FAIL, E_FAIL};
    EXPECT_EQ(app->create(instance()), E_FAIL);
    EXPECT_EQ(app->trace,
              (std::vector<std::string>{"approveDevice", "initOnce", "createDeviceResources", "destroyDeviceResources",
                                        "createDeviceResources", "destroyDeviceResources", "shutDown"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    const std::string generic = "Generic application error. Enable\ndebug output for detailed information.";
    expectBoxes({{generic + "\n\nSwitching to the reference rasterizer,\na software device that implements the "
                            "entire\nDirect3D feature set, but runs very slowly.",
                  MB_ICONWARNING},
                 {generic + "\n\nThis sample will now exit.", MB_ICONERROR}});

    // onDeviceReset failing on HAL: onDeviceLost, the release, then REF.
    restart();
    app->resetResults = {D3DERR_OUTOFVIDEOMEMORY};
    app->onFrame[2] = exitSoon;
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, (std::vector<std::string>{"approveDevice", "initOnce", "createDeviceResources",
                                                    "onDeviceReset", "onDeviceLost", "destroyDeviceResources",
                                                    "createDeviceResources", "onDeviceReset", "frame", "onDeviceLost",
                                                    "destroyDeviceResources", "shutDown"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
    EXPECT_EQ(app->settings.windowedDevice->deviceType, D3DDEVTYPE_REF);
}

TEST_F(LinuxApp, ASecondFatalErrorDuringTheTeardownShowsNoSecondBox)
{
    // The switch to full screen fails at Reset; the teardown that the fatal
    // report starts then finds the device still referenced.
    app->leakDeviceReference = true;
    app->onFrame[3] = [](TraceApp& a) {
        device::injectFailure(device::Call::Reset, D3DERR_INVALIDCALL);
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose());
    EXPECT_EQ(app->faults, std::vector<std::string>());
    expectBoxes({{"Could not reset the Direct3D device.\n\nThis sample will now exit.", MB_ICONERROR}});
    // The failed switch put the window back into its windowed style first.
    EXPECT_EQ(app->styleAtShutDown & ~DWORD(WS_CLIPSIBLINGS), DWORD(0x10CF0000));
    EXPECT_TRUE(app->windowed);
}

TEST_F(LinuxApp, ADeviceStillReferencedAtTheCloseIsReportedOnceAndClosesOnce)
{
    app->leakDeviceReference = true;
    app->onFrame[2] = exitSoon;
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose());  // shutDown once
    EXPECT_EQ(app->faults, std::vector<std::string>());
    expectBoxes({{"A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned "
                  "up).\n\nThis sample will now exit.",
                  MB_ICONERROR}});
}

TEST_F(LinuxApp, TheReducedReferenceDeviceWarnsAtEveryCreationAndKeepsRunning)
{
    app->onInitOnce = [](TraceApp& a) {
        ASSERT_TRUE(a.pickWindowedSettings(false, true));
        a.settings.windowedDevice->caps.PrimitiveMiscCaps |= D3DPMISCCAPS_NULLREFERENCE;
    };
    app->onFrame[3] = [](TraceApp& a) {
        a.postCommand(IDM_CHANGE_DEVICE);
        PostMessage(a.window, WM_APP, 0, 0);
    };
    app->onMessage[WM_APP] = [](TraceApp& a) {
        EXPECT_NE(pressDialogButton(a, IDOK), nullptr);
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    const char* reduced =
        "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but your\ncomputer only "
        "has a reduced-functionality reference device\ninstalled.  Install the DirectX SDK to get the full\nreference "
        "device.\n";
    expectBoxes({{reduced, MB_ICONWARNING}, {reduced, MB_ICONWARNING}});
    EXPECT_EQ(app->faults, std::vector<std::string>());
}

TEST_F(LinuxApp, AFailingFrameClosesTheWindowWithoutABox)
{
    app->failFrame = 4;
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose());
    EXPECT_EQ(app->frames, 4);
    EXPECT_TRUE(q31automation::messageBoxes().empty());
}

TEST_F(LinuxApp, EscapeAltXAndAltEnterWorkFromTheKeyboard)
{
    app->onFrame[3] = [](TraceApp& a) { q31automation::pressKey(a.window, VK_ESCAPE); };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_EQ(app->trace, startAndClose());

    restart();
    bool wentFullScreen = false;
    app->onFrame[3] = [&](TraceApp& a) {
        q31automation::pressKey(a.window, VK_RETURN, FALT);
        a.onMessage[WM_COMMAND] = [&](TraceApp& b) {
            if (b.onFrame.size() > 1) return;
            b.later(3, [&](TraceApp& c) {
                wentFullScreen = !c.windowed;
                q31automation::pressKey(c.window, 'X', FALT);
            });
        };
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_TRUE(wentFullScreen);
    EXPECT_EQ(app->trace, startAndClose({"onDeviceLost", "onDeviceReset", "frame"}));
    EXPECT_EQ(app->faults, std::vector<std::string>());
}

TEST_F(LinuxApp, FullScreenSwallowsFrameCommandsThatAWindowPassesOnAndHidesTheCursor)
{
    struct {
        LRESULT hit = 0, keyMenu = 0, maximize = 0, setCursor = 0, power = 0;
        bool zoomed = true;
        HCURSOR cursor = reinterpret_cast<HCURSOR>(1);
        MINMAXINFO limits = {};
    } seen;
    LRESULT windowedHit = HTCLIENT, windowedMaximize = TRUE;
    bool windowedZoomed = false;
    app->onFrame[3] = [&](TraceApp& a) {
        // In a window both go to the system: a point on the menu strip, and maximising.
        POINT onMenu = {5, -5};
        ClientToScreen(a.window, &onMenu);
        windowedHit = SendMessage(a.window, WM_NCHITTEST, 0, MAKELPARAM(onMenu.x, onMenu.y));
        windowedMaximize = SendMessage(a.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        windowedZoomed = IsZoomed(a.window) != FALSE;
        ShowWindow(a.window, SW_RESTORE);
        a.postCommand(IDM_TOGGLE_FULLSCREEN);
    };
    app->onFrame[6] = [&](TraceApp& a) {
        seen.hit = SendMessage(a.window, WM_NCHITTEST, 0, MAKELPARAM(2, 2));
        seen.keyMenu = SendMessage(a.window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        seen.maximize = SendMessage(a.window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        seen.zoomed = IsZoomed(a.window) != FALSE;
        seen.setCursor = SendMessage(a.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(a.window), HTCLIENT);
        seen.cursor = GetCursor();
        seen.power = SendMessage(a.window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        SendMessage(a.window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&seen.limits));
        exitSoon(a);
    };
    ASSERT_EQ(app->create(instance()), S_OK);
    EXPECT_EQ(app->run(), 0);
    EXPECT_NE(windowedHit, LRESULT(HTCLIENT));
    EXPECT_NE(windowedMaximize, LRESULT(TRUE));
    EXPECT_TRUE(windowedZoomed);
    EXPECT_EQ(seen.hit, LRESULT(HTCLIENT));
    EXPECT_EQ(seen.keyMenu, LRESULT(TRUE));
    EXPECT_EQ(seen.maximize, LRESULT(TRUE));
    EXPECT_FALSE(seen.zoomed);
    EXPECT_EQ(seen.setCursor, LRESULT(TRUE));
    EXPECT_EQ(seen.cursor, nullptr);
    EXPECT_EQ(seen.power, LRESULT(TRUE));
    EXPECT_EQ(seen.limits.ptMinTrackSize.x, 100);
    EXPECT_EQ(seen.limits.ptMinTrackSize.y, 100);
    EXPECT_EQ(app->trace, startAndClose({"onDeviceLost", "onDeviceReset", "frame"}));
}

TEST_F(LinuxApp, FullScreenConfinesTheCursorAndShowsTheDeviceCursorWhenAsked)
{
    for (bool show : {false, true}) {
        SCOPED_TRACE(show);
        restart();
        app->showCursorWhenFullscreen = show;
        RECT clip = {}, frame = {}, clipAfter = {}, screen = {};
        BOOL cursorWasShown = -1;
        app->onFrame[3] = [&](TraceApp& a) {
            a.postCommand(IDM_TOGGLE_FULLSCREEN);
            a.later(3, [&](TraceApp& b) {
                GetClipCursor(&clip);
                GetWindowRect(b.window, &frame);
                cursorWasShown = b.device->ShowCursor(FALSE);
                b.postCommand(IDM_TOGGLE_FULLSCREEN);
                b.later(3, [&](TraceApp& c) {
                    GetClipCursor(&clipAfter);
                    exitSoon(c);
                });
            });
        };
        ASSERT_EQ(app->create(instance()), S_OK);
        EXPECT_EQ(app->run(), 0);
        EXPECT_TRUE(EqualRect(&clip, &frame));
        EXPECT_EQ(cursorWasShown, show ? TRUE : FALSE);
        // Back in a window the confinement is gone: the whole screen again.
        SetRect(&screen, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN));
        EXPECT_TRUE(EqualRect(&clipAfter, &screen))
            << clipAfter.left << "," << clipAfter.top << "," << clipAfter.right << "," << clipAfter.bottom;
        EXPECT_EQ(app->faults, std::vector<std::string>());
    }
}

}  // namespace
}  // namespace frameworktest
