// The application object: construction, start-up, the message loop, the
// frame cycle and pausing; see application.h.
#include "framework/application.h"

#include <windows.h>
#include <d3d9.h>

#include "framework/frame_report.h"
#include "framework/frame_timer.h"
#include "framework/startup_report.h"
#include "resources/resource_ids.h"

Application* currentApp = nullptr;
int Application::pauseDepth = 0;
bool Application::fatalErrorShown = false;

namespace {

// The frame-rate counters; process-wide like the timer.
FrameRateMeter frameRateMeter;

}  // namespace

DWORD behaviorFlagsFor(VertexProcessingType type)
{
    switch (type) {
    case SOFTWARE_VP: return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    case MIXED_VP: return D3DCREATE_MIXED_VERTEXPROCESSING;
    case HARDWARE_VP: return D3DCREATE_HARDWARE_VERTEXPROCESSING;
    case PURE_HARDWARE_VP: return D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
    default: return 0;
    }
}

Application::Application()
{
    currentApp = this;
    pause(true);  // inactive until create has finished
}

Application::~Application()
{
    // The enumerator frees its tree itself. The device and the Direct3D
    // object are gone already (the window-close sequence or a failed create).
    if (currentApp == this) currentApp = nullptr;
}

void Application::resetProcessStateForTesting()
{
    pauseDepth = 0;
    fatalErrorShown = false;
    frameRateMeter = FrameRateMeter();
}

HRESULT Application::approveDevice(const D3DCAPS9*, DWORD, D3DFORMAT) { return S_OK; }
HRESULT Application::initOnce() { return S_OK; }
HRESULT Application::createDeviceResources() { return S_OK; }
HRESULT Application::onDeviceReset() { return S_OK; }
HRESULT Application::advanceFrame() { return S_OK; }
HRESULT Application::drawFrame() { return S_OK; }
HRESULT Application::onDeviceLost() { return S_OK; }
HRESULT Application::destroyDeviceResources() { return S_OK; }
HRESULT Application::shutDown() { return S_OK; }

bool Application::approveDeviceCallback(const D3DCAPS9* caps, VertexProcessingType type,
                                         D3DFORMAT backBufferFormat)
{
    if (!currentApp) return false;
    return SUCCEEDED(currentApp->approveDevice(caps, behaviorFlagsFor(type), backBufferFormat));
}

HRESULT Application::failCreate(HRESULT code)
{
    // Released before the report, so the close sequence it runs finds it gone.
    if (direct3d) {
        direct3d->Release();
        direct3d = nullptr;
    }
    return reportError(code, Exit);
}

HRESULT Application::create(HINSTANCE instance)
{
    // The interface version these sources were written against, on every
    // target: later headers say 32, which describes the same interfaces.
    constexpr UINT kDirect3DSdkVersion = 31;
    direct3d = Direct3DCreate9(kDirect3DSdkVersion);
    if (!direct3d) return reportError(Direct3DUnavailable, Exit);
    reportStartupStage(StartupStage::Direct3D);

    enumerator.direct3d = direct3d;
    enumerator.acceptDevice = approveDeviceCallback;
    HRESULT hr = enumerator.enumerateDisplay();
    if (FAILED(hr)) return failCreate(hr);
    reportStartupStage(StartupStage::Enumerated);

    registerAndCreateWindow(instance);
    reportStartupStage(StartupStage::Window);
    windowedStyle = static_cast<DWORD>(GetWindowLong(window, GWL_STYLE));
    GetWindowRect(window, &windowRect);
    GetClientRect(window, &clientRect);

    hr = chooseInitialSettings();
    if (FAILED(hr)) return failCreate(hr);

    frameTimer(Start);

    hr = initOnce();
    if (FAILED(hr)) return failCreate(hr);

    hr = initDevice();
    if (FAILED(hr)) return failCreate(hr);

    pause(false);
    reportStartupStage(StartupStage::Ready);
    return S_OK;
}

int Application::run()
{
    HACCEL accelerators = LoadAccelerators(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDR_MAIN_ACCEL));

    MSG message;
    message.message = WM_NULL;
    PeekMessage(&message, nullptr, 0U, 0U, PM_NOREMOVE);

    while (message.message != WM_QUIT) {
        const BOOL got = active ? PeekMessage(&message, nullptr, 0U, 0U, PM_REMOVE)
                                : GetMessage(&message, nullptr, 0U, 0U);
        if (got) {
            if (accelerators && window && TranslateAccelerator(window, accelerators, &message)) continue;
            TranslateMessage(&message);
            DispatchMessage(&message);
        } else {
            if (deviceLost) Sleep(100);
            if (active && FAILED(stepFrame())) SendMessage(window, WM_CLOSE, 0, 0);
        }
    }

    if (accelerators) DestroyAcceleratorTable(accelerators);
    return static_cast<int>(message.wParam);
}

HRESULT Application::stepFrame()
{
    // A fatal report may have taken the device away; nothing to draw then.
    if (!device) return S_OK;

    if (deviceLost) {
        const HRESULT hr = device->TestCooperativeLevel();
        if (hr == D3DERR_DEVICELOST) return S_OK;
        if (hr == D3DERR_DEVICENOTRESET) {
            if (windowed) {
                const AdapterRecord* adapter = settings.windowed ? settings.windowedAdapter : settings.fullscreenAdapter;
                if (adapter) direct3d->GetAdapterDisplayMode(adapter->ordinal, &settings.windowedMode);
                presentParams.BackBufferFormat = settings.windowedMode.Format;
            }
            // deviceLost stays set: the next pass finds the device usable and draws.
            return resetDevice();
        }
        if (FAILED(hr)) return hr;
        deviceLost = false;
    }

    const float appTime = static_cast<float>(frameTimer(AppTime));
    const float elapsed = static_cast<float>(frameTimer(ElapsedTime));
    if (elapsed == 0.0f) return S_OK;
    time = appTime;
    elapsedTime = elapsed;

    HRESULT hr = advanceFrame();
    if (FAILED(hr)) return hr;
    // A fatal report inside the hook has closed the window and released the device.
    if (!device) return S_OK;
    hr = drawFrame();
    if (FAILED(hr)) return hr;

    updateFrameStats();

    if (device && device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) deviceLost = true;
    reportPresentedFrame();
    reportStartupStage(StartupStage::Presented);
    return S_OK;
}

void Application::pause(bool pausing)
{
    pauseDepth += pausing ? 1 : -1;
    active = pauseDepth == 0;
    if (pausing && pauseDepth == 1) frameTimer(Stop);
    if (pauseDepth == 0) frameTimer(Start);
}

void Application::updateFrameStats()
{
    const float now = static_cast<float>(frameTimer(AbsoluteTime));
    if (!countFrame(&frameRateMeter, now, &fps)) return;

    FrameStatsFacts facts;
    facts.fps = fps;
    facts.backBufferWidth = backBufferDesc.Width;
    facts.backBufferHeight = backBufferDesc.Height;
    facts.backBufferFormat = backBufferDesc.Format;
    facts.displayModeFormat = settings.windowed ? settings.windowedMode.Format : settings.fullscreenMode.Format;
    facts.useDepthBuffer = enumerator.useDepthBuffer;
    facts.depthStencilFormat =
        settings.windowed ? settings.windowedDepthStencilFormat : settings.fullscreenDepthStencilFormat;
    facts.multisampleType = settings.windowed ? settings.windowedMultisampleType : settings.fullscreenMultisampleType;
    formatFrameStats(frameStats, facts);
}
