// The choice of the first windowed and full-screen configurations from the
// enumeration tree; see application.h.
#include "framework/application.h"

#include <windows.h>
#include <d3d9.h>

namespace {

template <typename T>
T firstOf(const GrowableArray* list, T fallback)
{
    if (!list || list->count() == 0) return fallback;
    return *static_cast<const T*>(list->at(0));
}

bool deviceTypeWanted(const DeviceRecord& device, bool requireHal, bool requireRef)
{
    if (requireHal && device.deviceType != D3DDEVTYPE_HAL) return false;
    if (requireRef && device.deviceType != D3DDEVTYPE_REF) return false;
    return true;
}

// The desktop mode of an adapter; all zero (matching no combination) when
// the runtime cannot say.
D3DDISPLAYMODE desktopModeOf(IDirect3D9* direct3d, UINT ordinal)
{
    D3DDISPLAYMODE mode = {};
    if (FAILED(direct3d->GetAdapterDisplayMode(ordinal, &mode))) mode = {};
    return mode;
}

// The full-screen mode of the adapter's list closest to the desktop mode,
// among modes of `format`; all zero when there is none.
D3DDISPLAYMODE chooseFullscreenMode(const AdapterRecord& adapter, D3DFORMAT format, const D3DDISPLAYMODE& desktop)
{
    D3DDISPLAYMODE taken = {};
    const GrowableArray* modes = adapter.displayModes;
    for (UINT i = 0; modes && i < modes->count(); ++i) {
        const D3DDISPLAYMODE& mode = *static_cast<const D3DDISPLAYMODE*>(modes->at(i));
        if (mode.Format != format) continue;
        const bool sameSize = mode.Width == desktop.Width && mode.Height == desktop.Height;
        if (sameSize && mode.RefreshRate == desktop.RefreshRate) {
            taken = mode;
            break;
        }
        if ((sameSize && mode.RefreshRate > taken.RefreshRate) || mode.Width == desktop.Width || taken.Width == 0)
            taken = mode;
    }
    return taken;
}

}  // namespace

HRESULT Application::chooseInitialSettings()
{
    const bool foundFullscreen = pickFullscreenSettings(false, false);
    // Second, so that a windowed configuration found leaves the flag true.
    const bool foundWindowed = pickWindowedSettings(false, false);
    if (startFullscreen && foundFullscreen) settings.windowed = false;
    if (!foundWindowed && foundFullscreen) settings.windowed = false;
    if (!foundWindowed && !foundFullscreen) return NoUsableDevice;
    return S_OK;
}

bool Application::pickWindowedSettings(bool requireHal, bool requireRef)
{
    if (!direct3d || !enumerator.adapters) return false;
    const D3DDISPLAYMODE desktop = desktopModeOf(direct3d, 0);

    AdapterRecord* bestAdapter = nullptr;
    DeviceRecord* bestDevice = nullptr;
    FormatCombo* best = nullptr;
    bool stop = false;
    for (UINT a = 0; !stop && a < enumerator.adapters->count(); ++a) {
        auto* adapter = static_cast<AdapterRecord*>(enumerator.adapters->at(a));
        for (UINT d = 0; !stop && adapter->devices && d < adapter->devices->count(); ++d) {
            auto* device = static_cast<DeviceRecord*>(adapter->devices->at(d));
            if (!deviceTypeWanted(*device, requireHal, requireRef)) continue;
            for (UINT c = 0; !stop && device->combos && c < device->combos->count(); ++c) {
                auto* combo = static_cast<FormatCombo*>(device->combos->at(c));
                if (!combo->windowed || combo->adapterFormat != desktop.Format) continue;
                const bool hal = combo->deviceType == D3DDEVTYPE_HAL;
                const bool exact = hal && combo->backBufferFormat == combo->adapterFormat;
                if (!best || (best->deviceType != D3DDEVTYPE_HAL && hal) || exact) {
                    bestAdapter = adapter;
                    bestDevice = device;
                    best = combo;
                }
                stop = exact;
            }
        }
    }
    if (!best) return false;

    settings.windowed = true;
    settings.windowedAdapter = bestAdapter;
    settings.windowedDevice = bestDevice;
    settings.windowedCombo = best;
    settings.windowedMode = desktop;
    if (enumerator.useDepthBuffer)
        settings.windowedDepthStencilFormat = firstOf(best->depthStencilFormats, D3DFMT_UNKNOWN);
    settings.windowedMultisampleType = firstOf(best->multisampleTypes, D3DMULTISAMPLE_NONE);
    settings.windowedMultisampleQuality = 0;
    settings.windowedVertexProcessing = firstOf(best->vertexProcessingTypes, SOFTWARE_VP);
    settings.windowedPresentInterval = firstOf<UINT>(best->presentIntervals, 0);
    return true;
}

bool Application::pickFullscreenSettings(bool requireHal, bool requireRef)
{
    if (!direct3d || !enumerator.adapters) return false;

    AdapterRecord* bestAdapter = nullptr;
    DeviceRecord* bestDevice = nullptr;
    FormatCombo* best = nullptr;
    D3DDISPLAYMODE bestDesktop = {};
    bool stop = false;
    for (UINT a = 0; !stop && a < enumerator.adapters->count(); ++a) {
        auto* adapter = static_cast<AdapterRecord*>(enumerator.adapters->at(a));
        const D3DDISPLAYMODE desktop = desktopModeOf(direct3d, adapter->ordinal);
        for (UINT d = 0; !stop && adapter->devices && d < adapter->devices->count(); ++d) {
            auto* device = static_cast<DeviceRecord*>(adapter->devices->at(d));
            if (!deviceTypeWanted(*device, requireHal, requireRef)) continue;
            for (UINT c = 0; !stop && device->combos && c < device->combos->count(); ++c) {
                auto* combo = static_cast<FormatCombo*>(device->combos->at(c));
                if (combo->windowed) continue;
                const bool hal = device->deviceType == D3DDEVTYPE_HAL;
                const bool matchesDesktop = combo->adapterFormat == desktop.Format;
                const bool matchesBackBuffer = combo->backBufferFormat == combo->adapterFormat;
                const bool exact = hal && matchesDesktop && matchesBackBuffer;
                if (!best || (best->deviceType != D3DDEVTYPE_HAL && hal) ||
                    (hal && best->adapterFormat != desktop.Format && matchesDesktop) || exact) {
                    bestAdapter = adapter;
                    bestDevice = device;
                    best = combo;
                    bestDesktop = desktop;
                }
                stop = exact;
            }
        }
    }
    if (!best) return false;

    settings.windowed = false;
    settings.fullscreenAdapter = bestAdapter;
    settings.fullscreenDevice = bestDevice;
    settings.fullscreenCombo = best;
    settings.fullscreenMode = chooseFullscreenMode(*bestAdapter, best->adapterFormat, bestDesktop);
    if (enumerator.useDepthBuffer)
        settings.fullscreenDepthStencilFormat = firstOf(best->depthStencilFormats, D3DFMT_UNKNOWN);
    settings.fullscreenMultisampleType = firstOf(best->multisampleTypes, D3DMULTISAMPLE_NONE);
    settings.fullscreenMultisampleQuality = 0;
    settings.fullscreenVertexProcessing = firstOf(best->vertexProcessingTypes, SOFTWARE_VP);
    settings.fullscreenPresentInterval = 0;  // D3DPRESENT_INTERVAL_DEFAULT
    return true;
}
