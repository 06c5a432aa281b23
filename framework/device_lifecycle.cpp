// Creating, resetting, switching and releasing the device, with the hooks
// paired by deviceResourcesCreated and deviceResourcesRestored; see
// application.h.
#include "framework/application.h"

#include <windows.h>
#include <d3d9.h>

#include "display/settings_dialog.h"
#include "framework/frame_report.h"
#include "framework/startup_report.h"
#include "render/render_helpers.h"

const FormatCombo* Application::currentCombo() const
{
    return settings.windowed ? settings.windowedCombo : settings.fullscreenCombo;
}

void Application::restoreWindowPosition()
{
    SetWindowPos(window, HWND_NOTOPMOST, windowRect.left, windowRect.top, windowRect.right - windowRect.left,
                 windowRect.bottom - windowRect.top, SWP_SHOWWINDOW);
}

void Application::fillPresentParameters()
{
    const FormatCombo* combo = currentCombo();
    presentParams = {};
    presentParams.Windowed = settings.windowed ? TRUE : FALSE;
    presentParams.BackBufferCount = 1;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.hDeviceWindow = window;
    if (settings.windowed) {
        presentParams.MultiSampleType = settings.windowedMultisampleType;
        presentParams.MultiSampleQuality = settings.windowedMultisampleQuality;
        presentParams.PresentationInterval = settings.windowedPresentInterval;
    } else {
        presentParams.MultiSampleType = settings.fullscreenMultisampleType;
        presentParams.MultiSampleQuality = settings.fullscreenMultisampleQuality;
        presentParams.PresentationInterval = settings.fullscreenPresentInterval;
    }
    presentParams.EnableAutoDepthStencil = enumerator.useDepthBuffer ? TRUE : FALSE;
    if (enumerator.useDepthBuffer) {
        presentParams.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
        presentParams.AutoDepthStencilFormat =
            settings.windowed ? settings.windowedDepthStencilFormat : settings.fullscreenDepthStencilFormat;
    } else {
        presentParams.Flags = 0;
    }
    if (windowed) {
        presentParams.BackBufferWidth = static_cast<UINT>(clientRect.right - clientRect.left);
        presentParams.BackBufferHeight = static_cast<UINT>(clientRect.bottom - clientRect.top);
        presentParams.FullScreen_RefreshRateInHz = 0;
    } else {
        presentParams.BackBufferWidth = settings.fullscreenMode.Width;
        presentParams.BackBufferHeight = settings.fullscreenMode.Height;
        presentParams.FullScreen_RefreshRateInHz = settings.fullscreenMode.RefreshRate;
    }
    presentParams.BackBufferFormat = combo ? combo->backBufferFormat : D3DFMT_UNKNOWN;
}

// Back buffer 0's description, the full-screen device cursor and the cursor
// confinement, after every creation or Reset.
void Application::refreshBackBufferAndCursor()
{
    IDirect3DSurface9* backBuffer = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer) {
        backBuffer->GetDesc(&backBufferDesc);
        backBuffer->Release();
    }
    if (showCursorWhenFullscreen && !windowed) {
        HCURSOR cursor = reinterpret_cast<HCURSOR>(GetClassLongPtr(window, GCLP_HCURSOR));
        buildColorCursor(device, cursor, true);
        device->ShowCursor(TRUE);
    }
    if (!windowed) {
        RECT confine;
        GetWindowRect(window, &confine);
        ClipCursor(&confine);
    } else {
        ClipCursor(nullptr);
    }
}

HRESULT Application::initDevice()
{
    AdapterRecord* adapter = settings.windowed ? settings.windowedAdapter : settings.fullscreenAdapter;
    DeviceRecord* deviceRecord = settings.windowed ? settings.windowedDevice : settings.fullscreenDevice;
    const FormatCombo* combo = currentCombo();
    // A fatal report may have released the Direct3D object; a half never
    // chosen has nothing to create from.
    if (!direct3d || !adapter || !deviceRecord || !combo) return E_FAIL;

    windowed = settings.windowed;
    applyWindowStyle();
    fillPresentParameters();

    if (deviceRecord->caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) reportError(ReferenceDeviceReduced, Warn);

    const DWORD flags =
        behaviorFlagsFor(settings.windowed ? settings.windowedVertexProcessing : settings.fullscreenVertexProcessing);
    HRESULT hr = direct3d->CreateDevice(combo->adapterOrdinal, deviceRecord->deviceType, window, flags,
                                        &presentParams, &device);
    if (SUCCEEDED(hr)) {
        reportStartupStage(StartupStage::Device);
        if (windowed) restoreWindowPosition();
        device->GetDeviceCaps(&caps);
        behaviorFlags = flags;
        describeDevice(deviceStats, deviceRecord->deviceType, flags, adapter->identifier.Description);
        refreshBackBufferAndCursor();

        hr = createDeviceResources();
        if (FAILED(hr)) {
            destroyDeviceResources();
            releaseDevice();
        } else {
            reportStartupStage(StartupStage::Media);
            deviceResourcesCreated = true;
            hr = onDeviceReset();
            if (SUCCEEDED(hr)) {
                deviceResourcesRestored = true;
                return S_OK;
            }
            onDeviceLost();
            releaseDevice();
        }
    } else {
        device = nullptr;
    }

    // One windowed attempt on the reference device, unless media are missing
    // (no device would find them either) or this was not a hardware device.
    if (hr == MediaMissing || hr == FileNotFound || deviceRecord->deviceType != D3DDEVTYPE_HAL) return hr;
    if (!direct3d || !pickWindowedSettings(false, true)) return hr;
    windowed = true;
    applyWindowStyle();
    restoreWindowPosition();
    reportError(hr, FallBackToReference);
    return initDevice();
}

HRESULT Application::resetDevice()
{
    if (!device) return E_FAIL;
    if (deviceResourcesRestored) {
        deviceResourcesRestored = false;
        onDeviceLost();
    }
    HRESULT hr = device->Reset(&presentParams);
    if (FAILED(hr)) return hr;
    reportDeviceReset();

    refreshBackBufferAndCursor();
    hr = onDeviceReset();
    if (FAILED(hr)) {
        onDeviceLost();
        return hr;
    }
    deviceResourcesRestored = true;
    return S_OK;
}

// A failed switch or dialog change: back into a window, then the fatal report.
HRESULT Application::backToWindowedAfterFailure(HRESULT code)
{
    if (code != D3DERR_OUTOFVIDEOMEMORY) code = DeviceResetFailed;
    if (!windowed) {
        windowed = true;
        settings.windowed = true;
        applyWindowStyle();
        restoreWindowPosition();
    }
    return reportError(code, Exit);
}

HRESULT Application::toggleFullscreen()
{
    const FormatCombo* before = currentCombo();
    const FormatCombo* after = settings.windowed ? settings.fullscreenCombo : settings.windowedCombo;
    // No configuration was found for the other use: there is nothing to switch to.
    if (!before || !after) return S_OK;
    const UINT adapterOrdinal = before->adapterOrdinal;
    const D3DDEVTYPE deviceType = before->deviceType;

    pause(true);
    ignoreSizeChange = true;

    windowed = !windowed;
    settings.windowed = windowed;
    applyWindowStyle();

    HRESULT hr;
    if (after->adapterOrdinal == adapterOrdinal && after->deviceType == deviceType) {
        fillPresentParameters();
        hr = resetDevice();
    } else {
        releaseDevice();
        hr = initDevice();
    }

    if (FAILED(hr)) {
        // The pause stays: the program is ending.
        ignoreSizeChange = false;
        return backToWindowedAfterFailure(hr);
    }

    ignoreSizeChange = false;
    if (windowed) restoreWindowPosition();
    pause(false);
    return S_OK;
}

HRESULT Application::changeDeviceViaDialog()
{
    if (!windowed && FAILED(toggleFullscreen())) {
        reportError(DeviceResetFailed, Exit);  // silent: toggleFullscreen has reported
        return E_FAIL;
    }

    DisplaySettingsDialog dialog(&enumerator, settings);
    if (dialog.runModal(window) != IDOK) return S_OK;

    settings = dialog.settings;
    windowed = settings.windowed;

    releaseDevice();
    const HRESULT hr = initDevice();
    if (FAILED(hr)) return backToWindowedAfterFailure(hr);
    return S_OK;
}

void Application::releaseDevice()
{
    if (!device) return;
    if (deviceResourcesRestored) {
        deviceResourcesRestored = false;
        onDeviceLost();
    }
    if (deviceResourcesCreated) {
        deviceResourcesCreated = false;
        destroyDeviceResources();
    }
    // Cleared before the report: the close sequence it runs releases again.
    const ULONG references = device->Release();
    device = nullptr;
    if (references > 0) reportError(ObjectsStillReferenced, Exit);
}
