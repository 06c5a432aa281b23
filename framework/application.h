// The application base class. One instance per process: it owns the main
// window, the Direct3D object and device, the enumeration tree and the
// current display settings, and drives the program from create through the
// message loop (run) to the window-close sequence. A game derives from it,
// sets the configuration fields in its constructor and overrides the hooks
// (slots 2 to 10; the base versions do nothing and return S_OK). Every
// failure travels as an HRESULT; the ones the user must hear of go through
// reportError, which shows at most one fatal message per run and then closes
// the main window (re-entering handleMessage), so an operation that reported
// a fatal error finds `device`, `direct3d` and `window` null afterwards.
// Single-threaded; re-entry happens only through the window procedure.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "display/display_enumerator.h"
#include "display/display_settings.h"
#include "framework/app_error.h"
#include "framework/frame_stats.h"

class Application;

// The one application of the process; set by its constructor.
extern Application* currentApp;

// D3DCREATE_* flags for a vertex processing type (0 for unknown values).
DWORD behaviorFlagsFor(VertexProcessingType type);

class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // --- virtual operations, in slot order ---

    // Window style and menu for windowed or full-screen use; always S_OK.
    virtual HRESULT applyWindowStyle();
    // Counts the frame; once a second, fps and frameStats.
    virtual void updateFrameStats();

    // Hooks for the derived application.
    virtual HRESULT approveDevice(const D3DCAPS9* caps, DWORD behaviorFlags, D3DFORMAT backBufferFormat);
    virtual HRESULT initOnce();
    virtual HRESULT createDeviceResources();
    virtual HRESULT onDeviceReset();
    virtual HRESULT advanceFrame();
    virtual HRESULT drawFrame();
    virtual HRESULT onDeviceLost();
    virtual HRESULT destroyDeviceResources();
    virtual HRESULT shutDown();

    // S_OK, or the failure code after it has been reported as fatal.
    virtual HRESULT create(HINSTANCE instance);
    // The message loop; returns the wParam of WM_QUIT.
    virtual int run();
    // The base message handler; a derived handler ends by calling it.
    virtual LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Nesting pause: frames run only while no pause is outstanding.
    virtual void pause(bool pausing);

    virtual ~Application();

    // Shows the text for `code` (with the suffix `action` calls for) in a
    // message box captioned windowTitle and returns `code` unchanged; Exit
    // then closes the main window. Silent after the first Exit report.
    HRESULT reportError(HRESULT code, ErrorAction action);

    // The registered window procedure: forwards to currentApp's handleMessage.
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The enumerator's acceptance callback: currentApp's approveDevice.
    static bool approveDeviceCallback(const D3DCAPS9* caps, VertexProcessingType type,
                                      D3DFORMAT backBufferFormat);

    // Outstanding pause(true) calls and whether a fatal message has been
    // shown: process-wide. Tests that build several applications in one
    // process return them (and the statistics counters) to the process-start
    // state with resetProcessStateForTesting.
    static int pauseDepth;
    static bool fatalErrorShown;
    static void resetProcessStateForTesting();

protected:
    // --- frame loop, window, device lifecycle, initial settings ---

    // One pass of the frame cycle; called only by run.
    HRESULT stepFrame();
    // Resets the device when the client size really changed.
    HRESULT checkClientResize();
    // Creates the device from `settings` with its hooks; falls back once to a
    // windowed reference device when a hardware device fails.
    HRESULT initDevice();
    void fillPresentParameters();
    // Reset with presentParams, then onDeviceReset.
    HRESULT resetDevice();
    HRESULT toggleFullscreen();
    HRESULT changeDeviceViaDialog();
    // The release hooks as needed, then the device itself.
    void releaseDevice();
    // S_OK or NoUsableDevice.
    HRESULT chooseInitialSettings();
    bool pickWindowedSettings(bool requireHal, bool requireRef);
    bool pickFullscreenSettings(bool requireHal, bool requireRef);

    // --- fields, in declaration order ---

    DisplayEnumerator enumerator;
    DisplaySettings settings;
    bool windowed = true;
    bool active = false;
    bool deviceLost = false;
    bool minimized = false;
    bool maximized = false;
    // Between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: a drag, acted on at its end.
    bool sizeMoving = false;
    bool ignoreSizeChange = false;
    bool deviceResourcesCreated = false;
    bool deviceResourcesRestored = false;
    D3DPRESENT_PARAMETERS presentParams = {};
    HWND window = nullptr;
    HMENU savedMenu = nullptr;
    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DCAPS9 caps = {};
    D3DSURFACE_DESC backBufferDesc = {};
    DWORD behaviorFlags = 0;
    DWORD windowedStyle = 0;
    RECT windowRect = {};
    RECT clientRect = {};
    float time = 0.0f;
    float elapsedTime = 0.0f;
    float fps = 0.0f;
    char deviceStats[StatsTextCapacity] = "";
    char frameStats[StatsTextCapacity] = "";
    const char* windowTitle = "D3D9 Application";
    int createWidth = 400;
    int createHeight = 300;
    bool showCursorWhenFullscreen = false;
    bool startFullscreen = false;

private:
    void registerAndCreateWindow(HINSTANCE instance);
    void closeWindow(HWND hwnd);
    HRESULT onSize(WPARAM wParam);
    void refreshBackBufferAndCursor();
    void restoreWindowPosition();
    HRESULT backToWindowedAfterFailure(HRESULT code);
    HRESULT failCreate(HRESULT code);
    const FormatCombo* currentCombo() const;
};
