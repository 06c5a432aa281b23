// A test application: records its hook calls as a trace, checks the hook
// pairing itself (a pairing fault lands in `faults`), holds a managed texture
// for the device's life and a default-pool vertex buffer between reset and
// lost (so a Reset with the buffer alive fails, as on Windows), and runs a
// script: actions on given frame numbers, on window messages and on timer
// ticks. It runs on the real platform: Linux through our layer, Windows the
// system's. The trace collapses repeated entries ("frame" for a run of
// frames, "approveDevice" for the enumeration's calls).
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/application.h"

namespace frameworktest {

class TraceApp : public Application {
public:
    TraceApp();
    ~TraceApp() override;

    // Fields and operations the tests look at.
    using Application::active;
    using Application::backBufferDesc;
    using Application::behaviorFlags;
    using Application::clientRect;
    using Application::device;
    using Application::deviceLost;
    using Application::deviceResourcesCreated;
    using Application::deviceResourcesRestored;
    using Application::deviceStats;
    using Application::direct3d;
    using Application::enumerator;
    using Application::ignoreSizeChange;
    using Application::maximized;
    using Application::minimized;
    using Application::pickFullscreenSettings;
    using Application::pickWindowedSettings;
    using Application::presentParams;
    using Application::savedMenu;
    using Application::settings;
    using Application::showCursorWhenFullscreen;
    using Application::startFullscreen;
    using Application::stepFrame;
    using Application::time;
    using Application::window;
    using Application::windowed;
    using Application::windowedStyle;
    using Application::windowTitle;

    HRESULT approveDevice(const D3DCAPS9* caps, DWORD flags, D3DFORMAT backBufferFormat) override;
    HRESULT initOnce() override;
    HRESULT createDeviceResources() override;
    HRESULT onDeviceReset() override;
    HRESULT advanceFrame() override;
    HRESULT drawFrame() override;
    HRESULT onDeviceLost() override;
    HRESULT destroyDeviceResources() override;
    HRESULT shutDown() override;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Appends to the trace, collapsing a repeat of the last entry for the
    // repeating ones.
    void note(const std::string& entry);
    // Posts a command to the main window, as a menu item or accelerator does.
    void postCommand(WORD command);

    using Action = std::function<void(TraceApp&)>;
    std::map<int, Action> onFrame;          // by frame number, from 1
    std::map<UINT, Action> onMessage;       // before the base handler
    std::map<UINT_PTR, Action> onTimer;     // WM_TIMER by timer id (the timer is left running)
    Action onInitOnce;                      // after the hook is noted
    // Runs `action` on the frame `frames` after the current one.
    void later(int framesFromNow, Action action) { onFrame[frames + framesFromNow] = std::move(action); }
    int frameLimit = 2000;                  // a broken test closes the window after this many frames

    Action onReset;                         // at the end of onDeviceReset
    // Results the hooks return after doing their work: the creation and
    // reset hooks take theirs from the front of the lists (S_OK once empty).
    HRESULT initOnceResult = S_OK;
    std::vector<HRESULT> createResults;
    std::vector<HRESULT> resetResults;
    int failFrame = 0;  // advanceFrame of this frame returns E_FAIL
    // One extra device reference taken in createDeviceResources and never
    // given back: the release then finds the device still referenced.
    bool leakDeviceReference = false;
    IDirect3DDevice9* leakedDevice = nullptr;

    std::vector<std::string> trace;
    std::vector<std::string> faults;
    int frames = 0;
    int paintDraws = 0;
    DWORD styleAtShutDown = 0;

private:
    void fault(const std::string& what);
    bool created = false;
    bool restored = false;
    bool inFrame = false;
    IDirect3DTexture9* texture = nullptr;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
};

// Drops whatever a test left in the thread's queue, WM_QUIT included, so the
// next application's loop starts clean.
void drainMessages();

// The trace of a run that starts, draws and closes; `middle` goes between the
// first frames and the close.
std::vector<std::string> startAndClose(const std::vector<std::string>& middle = {});

}  // namespace frameworktest
