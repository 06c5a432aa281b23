// The selection record: one configuration of the enumeration tree for
// windowed use, one for full screen, and which is in force. The framework
// fills it, the settings dialog edits a copy, and it is copied by value; the
// record pointers point into the DisplayEnumerator's tree and own nothing. A
// half whose combo is null has not been chosen. Nothing here can fail.
#pragma once

#include <d3d9.h>

#include "display/enumeration_tree.h"
#include "display/vertex_processing.h"

struct DisplaySettings {
    bool windowed = false;

    AdapterRecord* windowedAdapter = nullptr;
    DeviceRecord* windowedDevice = nullptr;
    FormatCombo* windowedCombo = nullptr;
    D3DDISPLAYMODE windowedMode = {};
    D3DFORMAT windowedDepthStencilFormat = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE windowedMultisampleType = D3DMULTISAMPLE_NONE;
    UINT windowedMultisampleQuality = 0;
    VertexProcessingType windowedVertexProcessing = SOFTWARE_VP;
    UINT windowedPresentInterval = 0;

    AdapterRecord* fullscreenAdapter = nullptr;
    DeviceRecord* fullscreenDevice = nullptr;
    FormatCombo* fullscreenCombo = nullptr;
    D3DDISPLAYMODE fullscreenMode = {};
    D3DFORMAT fullscreenDepthStencilFormat = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE fullscreenMultisampleType = D3DMULTISAMPLE_NONE;
    UINT fullscreenMultisampleQuality = 0;
    VertexProcessingType fullscreenVertexProcessing = SOFTWARE_VP;
    UINT fullscreenPresentInterval = 0;
};
