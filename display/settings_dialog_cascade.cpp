// The settings dialog's list handlers: each fills the lists below it from the
// selections above and the current half of the settings, preferring the value
// that half holds; the posted selection notifications carry the cascade down.
#include <cstdio>

#include "common/bounded_copy.h"
#include "display/setting_names.h"
#include "display/settings_dialog.h"
#include "resources/resource_ids.h"

namespace {

// Display-mode item texts hold at most 49 characters.
const int ModeTextCapacity = 50;

UINT_PTR resolutionValue(UINT width, UINT height)
{
    return (static_cast<UINT_PTR>(height) << 16) | (width & 0xFFFF);
}

void resolutionText(char (&text)[ModeTextCapacity], UINT width, UINT height)
{
    std::snprintf(text, sizeof text, "%d by %d", static_cast<int>(width), static_cast<int>(height));
}

void refreshRateText(char (&text)[ModeTextCapacity], UINT rate)
{
    if (rate == 0)
        std::snprintf(text, sizeof text, "Default Rate");
    else
        std::snprintf(text, sizeof text, "%d Hz", static_cast<int>(rate));
}

template <class T>
T valueAt(const GrowableArray* list, UINT index)
{
    return *static_cast<const T*>(list->at(index));
}

bool hasConflict(const FormatCombo& combo, D3DFORMAT depthStencil, D3DMULTISAMPLE_TYPE type)
{
    for (UINT i = 0; i < combo.conflicts->count(); ++i) {
        const DepthSampleConflict conflict = valueAt<DepthSampleConflict>(combo.conflicts, i);
        if (conflict.depthStencilFormat == depthStencil && conflict.multisampleType == type) return true;
    }
    return false;
}

}  // namespace

DisplaySettingsDialog::Half DisplaySettingsDialog::currentHalf()
{
    DisplaySettings& s = settings;
    if (s.windowed) {
        return {s.windowedAdapter, s.windowedDevice, s.windowedCombo, s.windowedMode,
                s.windowedDepthStencilFormat, s.windowedMultisampleType, s.windowedMultisampleQuality,
                s.windowedVertexProcessing, s.windowedPresentInterval};
    }
    return {s.fullscreenAdapter, s.fullscreenDevice, s.fullscreenCombo, s.fullscreenMode,
            s.fullscreenDepthStencilFormat, s.fullscreenMultisampleType, s.fullscreenMultisampleQuality,
            s.fullscreenVertexProcessing, s.fullscreenPresentInterval};
}

void DisplaySettingsDialog::fillAdapters()
{
    const FormatCombo* combo = currentHalf().combo;
    if (enumerator != nullptr && enumerator->adapters != nullptr) {
        for (UINT i = 0; i < enumerator->adapters->count(); ++i) {
            AdapterRecord* adapter = static_cast<AdapterRecord*>(enumerator->adapters->at(i));
            // The identifier's array need not be terminated; the copy is.
            char description[MAX_DEVICE_IDENTIFIER_STRING] = "";
            copyBounded(description, adapter->identifier.Description, sizeof description);
            add(IDC_ADAPTER_COMBO, reinterpret_cast<UINT_PTR>(adapter), description);
            if (combo != nullptr && adapter->ordinal == combo->adapterOrdinal)
                selectByValue(IDC_ADAPTER_COMBO, reinterpret_cast<UINT_PTR>(adapter));
        }
    }
    selectFirstIfNone(IDC_ADAPTER_COMBO);
}

void DisplaySettingsDialog::onAdapterChanged()
{
    AdapterRecord* adapter = reinterpret_cast<AdapterRecord*>(selectedValue(IDC_ADAPTER_COMBO));
    if (adapter == nullptr) return;
    currentHalf().adapter = adapter;

    const FormatCombo* combo = currentHalf().combo;
    reset(IDC_DEVICE_COMBO);
    for (UINT i = 0; i < adapter->devices->count(); ++i) {
        DeviceRecord* device = static_cast<DeviceRecord*>(adapter->devices->at(i));
        add(IDC_DEVICE_COMBO, reinterpret_cast<UINT_PTR>(device), deviceTypeName(device->deviceType));
        if (combo != nullptr && device->deviceType == combo->deviceType)
            selectByValue(IDC_DEVICE_COMBO, reinterpret_cast<UINT_PTR>(device));
    }
    selectFirstIfNone(IDC_DEVICE_COMBO);
}

void DisplaySettingsDialog::onDeviceChanged()
{
    DeviceRecord* device = reinterpret_cast<DeviceRecord*>(selectedValue(IDC_DEVICE_COMBO));
    if (device == nullptr) return;
    currentHalf().device = device;

    bool windowedPossible = false;
    bool fullscreenPossible = false;
    for (UINT i = 0; i < device->combos->count(); ++i) {
        const FormatCombo* combo = static_cast<const FormatCombo*>(device->combos->at(i));
        (combo->windowed ? windowedPossible : fullscreenPossible) = true;
    }
    enable(IDC_WINDOWED_RADIO, windowedPossible);
    enable(IDC_FULLSCREEN_RADIO, fullscreenPossible);
    const bool windowed = settings.windowed && windowedPossible;
    CheckRadioButton(dialogWindow, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO,
                     windowed ? IDC_WINDOWED_RADIO : IDC_FULLSCREEN_RADIO);
    onModeChanged();
}

void DisplaySettingsDialog::onModeChanged()
{
    AdapterRecord* adapter = reinterpret_cast<AdapterRecord*>(selectedValue(IDC_ADAPTER_COMBO));
    DeviceRecord* device = reinterpret_cast<DeviceRecord*>(selectedValue(IDC_DEVICE_COMBO));
    if (adapter == nullptr || device == nullptr) return;

    if (IsDlgButtonChecked(dialogWindow, IDC_WINDOWED_RADIO) == BST_CHECKED) {
        settings.windowed = true;
        settings.windowedAdapter = adapter;
        settings.windowedDevice = device;
        // The window lives in the desktop mode: one fixed item per list.
        const D3DDISPLAYMODE& mode = settings.windowedMode;
        char text[ModeTextCapacity];
        reset(IDC_ADAPTERFORMAT_COMBO);
        add(IDC_ADAPTERFORMAT_COMBO, static_cast<UINT_PTR>(mode.Format), formatName(mode.Format, true));
        selectIndex(IDC_ADAPTERFORMAT_COMBO, 0);
        enable(IDC_ADAPTERFORMAT_COMBO, false);
        reset(IDC_RESOLUTION_COMBO);
        resolutionText(text, mode.Width, mode.Height);
        add(IDC_RESOLUTION_COMBO, resolutionValue(mode.Width, mode.Height), text);
        selectIndex(IDC_RESOLUTION_COMBO, 0);
        enable(IDC_RESOLUTION_COMBO, false);
        reset(IDC_REFRESHRATE_COMBO);
        refreshRateText(text, mode.RefreshRate);
        add(IDC_REFRESHRATE_COMBO, mode.RefreshRate, text);
        selectIndex(IDC_REFRESHRATE_COMBO, 0);
        enable(IDC_REFRESHRATE_COMBO, false);
        return;
    }

    settings.windowed = false;
    settings.fullscreenAdapter = adapter;
    settings.fullscreenDevice = device;
    reset(IDC_ADAPTERFORMAT_COMBO);
    for (UINT i = 0; i < device->combos->count(); ++i) {
        const FormatCombo* combo = static_cast<const FormatCombo*>(device->combos->at(i));
        const char* name = formatName(combo->adapterFormat, true);
        if (hasText(IDC_ADAPTERFORMAT_COMBO, name)) continue;
        add(IDC_ADAPTERFORMAT_COMBO, static_cast<UINT_PTR>(combo->adapterFormat), name);
        if (combo->adapterFormat == settings.fullscreenMode.Format)
            selectByValue(IDC_ADAPTERFORMAT_COMBO, static_cast<UINT_PTR>(combo->adapterFormat));
    }
    selectFirstIfNone(IDC_ADAPTERFORMAT_COMBO);
    enable(IDC_ADAPTERFORMAT_COMBO, true);
    enable(IDC_RESOLUTION_COMBO, true);
    enable(IDC_REFRESHRATE_COMBO, true);
}

void DisplaySettingsDialog::onAdapterFormatChanged()
{
    if (IsDlgButtonChecked(dialogWindow, IDC_WINDOWED_RADIO) != BST_CHECKED) {
        const AdapterRecord* adapter = reinterpret_cast<const AdapterRecord*>(selectedValue(IDC_ADAPTER_COMBO));
        if (adapter == nullptr || !hasSelection(IDC_ADAPTERFORMAT_COMBO)) return;
        const D3DFORMAT format = static_cast<D3DFORMAT>(selectedValue(IDC_ADAPTERFORMAT_COMBO));
        settings.fullscreenMode.Format = format;

        // The mode list has one entry per refresh rate; the list one per size.
        reset(IDC_RESOLUTION_COMBO);
        for (UINT i = 0; i < adapter->displayModes->count(); ++i) {
            const D3DDISPLAYMODE mode = valueAt<D3DDISPLAYMODE>(adapter->displayModes, i);
            if (mode.Format != format) continue;
            char text[ModeTextCapacity];
            resolutionText(text, mode.Width, mode.Height);
            if (hasText(IDC_RESOLUTION_COMBO, text)) continue;
            add(IDC_RESOLUTION_COMBO, resolutionValue(mode.Width, mode.Height), text);
            if (mode.Width == settings.fullscreenMode.Width && mode.Height == settings.fullscreenMode.Height)
                selectByValue(IDC_RESOLUTION_COMBO, resolutionValue(mode.Width, mode.Height));
        }
        selectFirstIfNone(IDC_RESOLUTION_COMBO);
    }

    const DeviceRecord* device = reinterpret_cast<const DeviceRecord*>(selectedValue(IDC_DEVICE_COMBO));
    if (device == nullptr) return;
    const D3DFORMAT adapterFormat = currentHalf().mode.Format;
    const FormatCombo* current = currentHalf().combo;
    reset(IDC_BACKBUFFER_COMBO);
    for (UINT i = 0; i < device->combos->count(); ++i) {
        const FormatCombo* combo = static_cast<const FormatCombo*>(device->combos->at(i));
        if (combo->windowed != settings.windowed || combo->adapterFormat != adapterFormat) continue;
        const char* name = formatName(combo->backBufferFormat, true);
        if (hasText(IDC_BACKBUFFER_COMBO, name)) continue;
        add(IDC_BACKBUFFER_COMBO, static_cast<UINT_PTR>(combo->backBufferFormat), name);
        if (current != nullptr && combo->backBufferFormat == current->backBufferFormat)
            selectByValue(IDC_BACKBUFFER_COMBO, static_cast<UINT_PTR>(combo->backBufferFormat));
    }
    selectFirstIfNone(IDC_BACKBUFFER_COMBO);
}

void DisplaySettingsDialog::onResolutionChanged()
{
    if (settings.windowed) return;
    const AdapterRecord* adapter = reinterpret_cast<const AdapterRecord*>(selectedValue(IDC_ADAPTER_COMBO));
    if (adapter == nullptr || !hasSelection(IDC_RESOLUTION_COMBO)) return;
    const UINT_PTR resolution = selectedValue(IDC_RESOLUTION_COMBO);
    const UINT width = static_cast<UINT>(resolution & 0xFFFF);
    const UINT height = static_cast<UINT>((resolution >> 16) & 0xFFFF);
    settings.fullscreenMode.Width = width;
    settings.fullscreenMode.Height = height;

    const D3DFORMAT format = static_cast<D3DFORMAT>(selectedValue(IDC_ADAPTERFORMAT_COMBO));
    reset(IDC_REFRESHRATE_COMBO);
    for (UINT i = 0; i < adapter->displayModes->count(); ++i) {
        const D3DDISPLAYMODE mode = valueAt<D3DDISPLAYMODE>(adapter->displayModes, i);
        if (mode.Format != format || mode.Width != width || mode.Height != height) continue;
        char text[ModeTextCapacity];
        refreshRateText(text, mode.RefreshRate);
        if (hasText(IDC_REFRESHRATE_COMBO, text)) continue;
        add(IDC_REFRESHRATE_COMBO, mode.RefreshRate, text);
        if (mode.RefreshRate == settings.fullscreenMode.RefreshRate)
            selectByValue(IDC_REFRESHRATE_COMBO, mode.RefreshRate);
    }
    selectFirstIfNone(IDC_REFRESHRATE_COMBO);
}

void DisplaySettingsDialog::onRefreshRateChanged()
{
    if (settings.windowed || !hasSelection(IDC_REFRESHRATE_COMBO)) return;
    settings.fullscreenMode.RefreshRate = static_cast<UINT>(selectedValue(IDC_REFRESHRATE_COMBO));
}

void DisplaySettingsDialog::onBackBufferFormatChanged()
{
    const DeviceRecord* device = reinterpret_cast<const DeviceRecord*>(selectedValue(IDC_DEVICE_COMBO));
    if (device == nullptr) return;
    const D3DFORMAT adapterFormat = static_cast<D3DFORMAT>(selectedValue(IDC_ADAPTERFORMAT_COMBO));
    const D3DFORMAT backBufferFormat = static_cast<D3DFORMAT>(selectedValue(IDC_BACKBUFFER_COMBO));
    FormatCombo* combo = nullptr;
    for (UINT i = 0; i < device->combos->count() && combo == nullptr; ++i) {
        FormatCombo* candidate = static_cast<FormatCombo*>(device->combos->at(i));
        if (candidate->windowed == settings.windowed && candidate->adapterFormat == adapterFormat &&
            candidate->backBufferFormat == backBufferFormat)
            combo = candidate;
    }
    if (combo == nullptr) return;
    Half half = currentHalf();
    half.combo = combo;

    reset(IDC_DEPTHSTENCIL_COMBO);
    if (enumerator->useDepthBuffer) {
        for (UINT i = 0; i < combo->depthStencilFormats->count(); ++i) {
            const D3DFORMAT format = valueAt<D3DFORMAT>(combo->depthStencilFormats, i);
            add(IDC_DEPTHSTENCIL_COMBO, static_cast<UINT_PTR>(format), formatName(format, true));
            if (format == half.depthStencilFormat)
                selectByValue(IDC_DEPTHSTENCIL_COMBO, static_cast<UINT_PTR>(format));
        }
        selectFirstIfNone(IDC_DEPTHSTENCIL_COMBO);
    } else {
        enable(IDC_DEPTHSTENCIL_COMBO, false);
        add(IDC_DEPTHSTENCIL_COMBO, 0, "(not used)");
        selectIndex(IDC_DEPTHSTENCIL_COMBO, 0);
    }

    reset(IDC_VERTEXPROCESSING_COMBO);
    for (UINT i = 0; i < combo->vertexProcessingTypes->count(); ++i) {
        const VertexProcessingType type = valueAt<VertexProcessingType>(combo->vertexProcessingTypes, i);
        add(IDC_VERTEXPROCESSING_COMBO, static_cast<UINT_PTR>(type), vertexProcessingName(type));
        if (type == half.vertexProcessing) selectByValue(IDC_VERTEXPROCESSING_COMBO, static_cast<UINT_PTR>(type));
    }
    selectFirstIfNone(IDC_VERTEXPROCESSING_COMBO);

    reset(IDC_PRESENTINTERVAL_COMBO);
    for (UINT i = 0; i < combo->presentIntervals->count(); ++i) {
        const UINT interval = valueAt<UINT>(combo->presentIntervals, i);
        add(IDC_PRESENTINTERVAL_COMBO, interval, presentIntervalName(interval));
        if (interval == half.presentInterval) selectByValue(IDC_PRESENTINTERVAL_COMBO, interval);
    }
    selectFirstIfNone(IDC_PRESENTINTERVAL_COMBO);
}

void DisplaySettingsDialog::onDepthStencilFormatChanged()
{
    const D3DFORMAT depthStencil = static_cast<D3DFORMAT>(selectedValue(IDC_DEPTHSTENCIL_COMBO));
    Half half = currentHalf();
    if (enumerator->useDepthBuffer) half.depthStencilFormat = depthStencil;

    const FormatCombo* combo = half.combo;
    if (combo == nullptr) return;
    reset(IDC_MULTISAMPLETYPE_COMBO);
    for (UINT i = 0; i < combo->multisampleTypes->count(); ++i) {
        const D3DMULTISAMPLE_TYPE type = valueAt<D3DMULTISAMPLE_TYPE>(combo->multisampleTypes, i);
        if (hasConflict(*combo, depthStencil, type)) continue;
        add(IDC_MULTISAMPLETYPE_COMBO, static_cast<UINT_PTR>(type), multisampleTypeName(type));
        if (type == half.multisampleType) selectByValue(IDC_MULTISAMPLETYPE_COMBO, static_cast<UINT_PTR>(type));
    }
    selectFirstIfNone(IDC_MULTISAMPLETYPE_COMBO);
}

void DisplaySettingsDialog::onMultisampleTypeChanged()
{
    if (!hasSelection(IDC_MULTISAMPLETYPE_COMBO)) return;
    const D3DMULTISAMPLE_TYPE type = static_cast<D3DMULTISAMPLE_TYPE>(selectedValue(IDC_MULTISAMPLETYPE_COMBO));
    Half half = currentHalf();
    half.multisampleType = type;

    UINT qualities = 0;
    if (const FormatCombo* combo = half.combo) {
        for (UINT i = 0; i < combo->multisampleTypes->count(); ++i) {
            if (valueAt<D3DMULTISAMPLE_TYPE>(combo->multisampleTypes, i) != type) continue;
            qualities = valueAt<UINT>(combo->multisampleQualities, i);
            break;
        }
    }
    reset(IDC_MULTISAMPLEQUALITY_COMBO);
    for (UINT quality = 0; quality < qualities; ++quality) {
        char text[ModeTextCapacity];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(quality));
        add(IDC_MULTISAMPLEQUALITY_COMBO, quality, text);
        if (quality == half.multisampleQuality) selectByValue(IDC_MULTISAMPLEQUALITY_COMBO, quality);
    }
    selectFirstIfNone(IDC_MULTISAMPLEQUALITY_COMBO);
}

void DisplaySettingsDialog::onMultisampleQualityChanged()
{
    if (hasSelection(IDC_MULTISAMPLEQUALITY_COMBO))
        currentHalf().multisampleQuality = static_cast<UINT>(selectedValue(IDC_MULTISAMPLEQUALITY_COMBO));
}

void DisplaySettingsDialog::onVertexProcessingChanged()
{
    if (hasSelection(IDC_VERTEXPROCESSING_COMBO))
        currentHalf().vertexProcessing = static_cast<VertexProcessingType>(selectedValue(IDC_VERTEXPROCESSING_COMBO));
}

void DisplaySettingsDialog::onPresentIntervalChanged()
{
    if (hasSelection(IDC_PRESENTINTERVAL_COMBO))
        currentHalf().presentInterval = static_cast<UINT>(selectedValue(IDC_PRESENTINTERVAL_COMBO));
}
