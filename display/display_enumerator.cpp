#include "display/display_enumerator.h"

#include <cstdlib>
#include <initializer_list>

namespace {

// Candidate orders are behaviour: the framework takes the first usable entry.
const D3DFORMAT AllowedAdapterFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,
                                           D3DFMT_A2R10G10B10};
const D3DDEVTYPE DeviceTypes[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW, D3DDEVTYPE_REF};
const D3DFORMAT BackBufferFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10,
                                       D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5};
const D3DFORMAT DepthStencilFormats[] = {D3DFMT_D16,   D3DFMT_D15S1,   D3DFMT_D24X8,
                                         D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
const UINT PresentIntervals[] = {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                 D3DPRESENT_INTERVAL_ONE,       D3DPRESENT_INTERVAL_TWO,
                                 D3DPRESENT_INTERVAL_THREE,     D3DPRESENT_INTERVAL_FOUR};
const UINT LastMultisampleType = D3DMULTISAMPLE_16_SAMPLES;

// Option lists drop an element that cannot be stored rather than failing.
bool appendOption(GrowableArray* list, const void* element)
{
    return SUCCEEDED(list->append(element));
}

int compareModesForSort(const void* a, const void* b)
{
    return compareDisplayModes(*static_cast<const D3DDISPLAYMODE*>(a), *static_cast<const D3DDISPLAYMODE*>(b));
}

template <class T>
int order(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

int compareDisplayModes(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    if (int c = order(a.Width, b.Width)) return c;
    if (int c = order(a.Height, b.Height)) return c;
    if (int c = order(static_cast<UINT>(a.Format), static_cast<UINT>(b.Format))) return c;
    return order(a.RefreshRate, b.RefreshRate);
}

DisplayEnumerator::~DisplayEnumerator()
{
    if (adapters != nullptr) {
        for (UINT i = 0; i < adapters->count(); ++i) delete static_cast<AdapterRecord*>(adapters->at(i));
        delete adapters;
        adapters = nullptr;
    }
    delete allowedAdapterFormats;
    allowedAdapterFormats = nullptr;
}

HRESULT DisplayEnumerator::enumerateDisplay()
{
    if (direct3d == nullptr) return E_FAIL;
    // The settings record points into the tree, so it is built once and never
    // replaced; a second call must not orphan or free what they point at.
    if (adapters != nullptr || allowedAdapterFormats != nullptr) return E_FAIL;

    adapters = newTreeArray(ByPointer, sizeof(AdapterRecord*));
    allowedAdapterFormats = newTreeArray(ByValue, sizeof(D3DFORMAT));
    if (adapters == nullptr || allowedAdapterFormats == nullptr) {
        delete adapters;
        adapters = nullptr;
        delete allowedAdapterFormats;
        allowedAdapterFormats = nullptr;
        return E_OUTOFMEMORY;
    }
    for (D3DFORMAT format : AllowedAdapterFormats) {
        const HRESULT hr = allowedAdapterFormats->append(&format);
        if (FAILED(hr)) return hr;
    }

    // One scratch list, refilled per adapter, of the formats its modes use.
    GrowableArray adapterFormats(ByValue, sizeof(D3DFORMAT));
    const UINT adapterCount = direct3d->GetAdapterCount();
    for (UINT ordinal = 0; ordinal < adapterCount; ++ordinal) {
        const HRESULT hr = enumerateAdapter(ordinal, adapterFormats);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT DisplayEnumerator::enumerateAdapter(UINT ordinal, GrowableArray& adapterFormats)
{
    AdapterRecord* adapter = AdapterRecord::create(ordinal);
    if (adapter == nullptr) return E_OUTOFMEMORY;
    direct3d->GetAdapterIdentifier(ordinal, 0, &adapter->identifier);

    adapterFormats.empty();
    collectDisplayModes(*adapter, adapterFormats);

    HRESULT hr = collectDeviceRecords(*adapter, adapterFormats);
    if (SUCCEEDED(hr) && adapter->devices->count() == 0) {
        delete adapter;  // no usable device type: not offered
        return S_OK;
    }
    if (SUCCEEDED(hr)) hr = adapters->append(adapter);
    if (FAILED(hr)) delete adapter;
    return hr;
}

void DisplayEnumerator::collectDisplayModes(AdapterRecord& adapter, GrowableArray& adapterFormats)
{
    GrowableArray* modes = adapter.displayModes;
    for (UINT f = 0; f < allowedAdapterFormats->count(); ++f) {
        const D3DFORMAT format = *static_cast<const D3DFORMAT*>(allowedAdapterFormats->at(f));
        const UINT modeCount = direct3d->GetAdapterModeCount(adapter.ordinal, format);
        for (UINT index = 0; index < modeCount; ++index) {
            D3DDISPLAYMODE mode = {};
            if (FAILED(direct3d->EnumAdapterModes(adapter.ordinal, format, index, &mode))) continue;
            if (mode.Width < minFullscreenWidth || mode.Height < minFullscreenHeight ||
                colorBitsOf(mode.Format) < minColorBits)
                continue;
            appendOption(modes, &mode);
            if (!adapterFormats.has(&mode.Format)) appendOption(&adapterFormats, &mode.Format);
        }
    }
    // Fewer than two modes need no order, and an empty list's null buffer
    // must not reach qsort.
    if (modes->count() > 1)
        std::qsort(modes->at(0), modes->count(), sizeof(D3DDISPLAYMODE), compareModesForSort);
}

HRESULT DisplayEnumerator::collectDeviceRecords(AdapterRecord& adapter, const GrowableArray& adapterFormats)
{
    for (D3DDEVTYPE type : DeviceTypes) {
        DeviceRecord* device = DeviceRecord::create(adapter.ordinal, type);
        if (device == nullptr) return E_OUTOFMEMORY;
        if (FAILED(direct3d->GetDeviceCaps(adapter.ordinal, type, &device->caps))) {
            delete device;
            continue;
        }
        HRESULT hr = collectFormatCombos(*device, adapterFormats);
        if (SUCCEEDED(hr) && device->combos->count() == 0) {
            delete device;  // nothing usable on this device type
            continue;
        }
        if (SUCCEEDED(hr)) hr = adapter.devices->append(device);
        if (FAILED(hr)) {
            delete device;
            return hr;
        }
    }
    return S_OK;
}

HRESULT DisplayEnumerator::collectFormatCombos(DeviceRecord& device, const GrowableArray& adapterFormats)
{
    for (UINT f = 0; f < adapterFormats.count(); ++f) {
        const D3DFORMAT adapterFormat = *static_cast<const D3DFORMAT*>(adapterFormats.at(f));
        for (D3DFORMAT backBufferFormat : BackBufferFormats) {
            if (alphaBitsOf(backBufferFormat) < minAlphaBits) continue;
            for (bool windowed : {false, true}) {
                if (!windowed && windowedOnly) continue;
                if (windowed && fullscreenOnly) continue;
                if (FAILED(direct3d->CheckDeviceType(device.adapterOrdinal, device.deviceType, adapterFormat,
                                                     backBufferFormat, windowed ? TRUE : FALSE)))
                    continue;

                FormatCombo* combo = FormatCombo::create();
                if (combo == nullptr) return E_OUTOFMEMORY;
                combo->adapterOrdinal = device.adapterOrdinal;
                combo->deviceType = device.deviceType;
                combo->adapterFormat = adapterFormat;
                combo->backBufferFormat = backBufferFormat;
                combo->windowed = windowed;
                if (!fillCombo(device, *combo)) {
                    delete combo;
                    continue;
                }
                const HRESULT hr = device.combos->append(combo);
                if (FAILED(hr)) {
                    delete combo;
                    return hr;
                }
            }
        }
    }
    return S_OK;
}

// False when the combo lacks a list it cannot do without.
bool DisplayEnumerator::fillCombo(const DeviceRecord& device, FormatCombo& combo)
{
    if (useDepthBuffer) {
        fillDepthStencilFormats(combo);
        if (combo.depthStencilFormats->count() == 0) return false;
    }
    fillMultisampleTypes(combo);
    if (combo.multisampleTypes->count() == 0) return false;
    fillDepthSampleConflicts(combo);
    fillVertexProcessingTypes(device, combo);
    if (combo.vertexProcessingTypes->count() == 0) return false;
    fillPresentIntervals(device, combo);
    return true;
}

void DisplayEnumerator::fillDepthStencilFormats(FormatCombo& combo)
{
    for (D3DFORMAT format : DepthStencilFormats) {
        if (depthBitsOf(format) < minDepthBits || stencilBitsOf(format) < minStencilBits) continue;
        if (FAILED(direct3d->CheckDeviceFormat(combo.adapterOrdinal, combo.deviceType, combo.adapterFormat,
                                               D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format)))
            continue;
        if (FAILED(direct3d->CheckDepthStencilMatch(combo.adapterOrdinal, combo.deviceType, combo.adapterFormat,
                                                    combo.backBufferFormat, format)))
            continue;
        appendOption(combo.depthStencilFormats, &format);
    }
}

void DisplayEnumerator::fillMultisampleTypes(FormatCombo& combo)
{
    for (UINT value = D3DMULTISAMPLE_NONE; value <= LastMultisampleType; ++value) {
        const auto type = static_cast<D3DMULTISAMPLE_TYPE>(value);
        DWORD qualityLevels = 0;
        if (FAILED(direct3d->CheckDeviceMultiSampleType(combo.adapterOrdinal, combo.deviceType,
                                                        combo.backBufferFormat, combo.windowed ? TRUE : FALSE,
                                                        type, &qualityLevels)))
            continue;
        // The two lists are read at the same index: the quality goes in first
        // and filling stops at the first drop, so every listed type has its
        // quality (a surplus trailing quality is never read).
        const UINT quality = qualityLevels;
        if (!appendOption(combo.multisampleQualities, &quality)) return;
        if (!appendOption(combo.multisampleTypes, &type)) return;
    }
}

void DisplayEnumerator::fillDepthSampleConflicts(FormatCombo& combo)
{
    for (UINT d = 0; d < combo.depthStencilFormats->count(); ++d) {
        const D3DFORMAT format = *static_cast<const D3DFORMAT*>(combo.depthStencilFormats->at(d));
        for (UINT m = 0; m < combo.multisampleTypes->count(); ++m) {
            const auto type = *static_cast<const D3DMULTISAMPLE_TYPE*>(combo.multisampleTypes->at(m));
            if (SUCCEEDED(direct3d->CheckDeviceMultiSampleType(combo.adapterOrdinal, combo.deviceType, format,
                                                               combo.windowed ? TRUE : FALSE, type, nullptr)))
                continue;
            const DepthSampleConflict conflict = {format, type};
            appendOption(combo.conflicts, &conflict);
        }
    }
}

bool DisplayEnumerator::accepts(const DeviceRecord& device, VertexProcessingType type,
                                D3DFORMAT backBufferFormat) const
{
    return acceptDevice == nullptr || acceptDevice(&device.caps, type, backBufferFormat);
}

void DisplayEnumerator::fillVertexProcessingTypes(const DeviceRecord& device, FormatCombo& combo)
{
    const DWORD devCaps = device.caps.DevCaps;
    const auto offer = [&](VertexProcessingType type) {
        if (accepts(device, type, combo.backBufferFormat)) appendOption(combo.vertexProcessingTypes, &type);
    };
    if (devCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
        if (devCaps & D3DDEVCAPS_PUREDEVICE) offer(PURE_HARDWARE_VP);
        offer(HARDWARE_VP);
        if (allowMixedVertexProcessing) offer(MIXED_VP);
    }
    offer(SOFTWARE_VP);
}

void DisplayEnumerator::fillPresentIntervals(const DeviceRecord& device, FormatCombo& combo)
{
    for (UINT interval : PresentIntervals) {
        // A window presents at the desktop's rate; waiting several vertical
        // blanks there is not offered.
        if (combo.windowed && (interval == D3DPRESENT_INTERVAL_TWO || interval == D3DPRESENT_INTERVAL_THREE ||
                               interval == D3DPRESENT_INTERVAL_FOUR))
            continue;
        if (interval != D3DPRESENT_INTERVAL_DEFAULT && (device.caps.PresentationIntervals & interval) == 0) continue;
        appendOption(combo.presentIntervals, &interval);
    }
}
