// Asks the Direct3D 9 runtime, once at start-up, what every adapter and
// device type can do, and keeps the usable answers as a tree (see
// enumeration_tree.h) that lives until the enumerator is destroyed. The
// framework's start-up sets direct3d and acceptDevice, the application may
// adjust the requirements, then enumerateDisplay runs once. It returns S_OK
// (also when no adapter qualifies: adapters is then empty), E_FAIL without a
// runtime interface or when called a second time, E_OUTOFMEMORY or an
// append's code when the tree cannot be allocated; records already in the
// tree then stay until destruction. Runtime refusals never fail it.
#pragma once

#include <d3d9.h>

#include "display/display_settings.h"
#include "display/enumeration_tree.h"
#include "display/format_bits.h"
#include "display/growable_array.h"

class DisplayEnumerator {
public:
    IDirect3D9* direct3d = nullptr;           // not owned
    GrowableArray* adapters = nullptr;        // ByPointer AdapterRecord, owned
    DeviceAcceptCallback acceptDevice = nullptr;  // null accepts every vertex processing type
    UINT minFullscreenWidth = 640;
    UINT minFullscreenHeight = 480;
    UINT minColorBits = 5;
    UINT minAlphaBits = 0;
    UINT minDepthBits = 15;
    UINT minStencilBits = 0;
    bool useDepthBuffer = false;
    bool allowMixedVertexProcessing = false;
    bool windowedOnly = false;
    bool fullscreenOnly = false;
    GrowableArray* allowedAdapterFormats = nullptr;  // ByValue D3DFORMAT, owned

    DisplayEnumerator() = default;
    ~DisplayEnumerator();
    DisplayEnumerator(const DisplayEnumerator&) = delete;
    DisplayEnumerator& operator=(const DisplayEnumerator&) = delete;

    HRESULT enumerateDisplay();

private:
    HRESULT enumerateAdapter(UINT ordinal, GrowableArray& adapterFormats);
    void collectDisplayModes(AdapterRecord& adapter, GrowableArray& adapterFormats);
    HRESULT collectDeviceRecords(AdapterRecord& adapter, const GrowableArray& adapterFormats);
    HRESULT collectFormatCombos(DeviceRecord& device, const GrowableArray& adapterFormats);
    bool fillCombo(const DeviceRecord& device, FormatCombo& combo);
    void fillDepthStencilFormats(FormatCombo& combo);
    void fillMultisampleTypes(FormatCombo& combo);
    void fillDepthSampleConflicts(FormatCombo& combo);
    void fillVertexProcessingTypes(const DeviceRecord& device, FormatCombo& combo);
    void fillPresentIntervals(const DeviceRecord& device, FormatCombo& combo);
    bool accepts(const DeviceRecord& device, VertexProcessingType type, D3DFORMAT backBufferFormat) const;
};

// Display-mode order: Width, then Height, then Format value, then RefreshRate,
// ascending; -1, 0 or +1.
int compareDisplayModes(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b);
