// The records of the enumeration tree: adapter -> device type -> format
// combination -> option lists, every list a GrowableArray and every record and
// array its own heap object. DisplayEnumerator builds the tree; the initial
// settings choice and the settings dialog only read it. Each record owns what
// it points to and frees it bottom-up when deleted. The create functions
// return null when a record or one of its arrays cannot be allocated, having
// freed whatever part was made.
#pragma once

#include <d3d9.h>

#include <cstddef>

#include "display/growable_array.h"
#include "display/vertex_processing.h"

struct DepthSampleConflict {
    D3DFORMAT depthStencilFormat;
    D3DMULTISAMPLE_TYPE multisampleType;
};

// Asked once per combo and vertex processing type; true accepts the type.
using DeviceAcceptCallback = bool (*)(const D3DCAPS9* caps, VertexProcessingType type,
                                      D3DFORMAT backBufferFormat);

struct FormatCombo {
    UINT adapterOrdinal = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    bool windowed = false;
    GrowableArray* depthStencilFormats = nullptr;   // ByValue D3DFORMAT
    GrowableArray* multisampleTypes = nullptr;      // ByValue D3DMULTISAMPLE_TYPE
    GrowableArray* multisampleQualities = nullptr;  // ByValue UINT, same index as multisampleTypes
    GrowableArray* conflicts = nullptr;             // ByValue DepthSampleConflict
    GrowableArray* vertexProcessingTypes = nullptr; // ByValue VertexProcessingType
    GrowableArray* presentIntervals = nullptr;      // ByValue UINT

    // A combo with its six arrays, empty.
    static FormatCombo* create();

    FormatCombo() = default;
    ~FormatCombo();
    FormatCombo(const FormatCombo&) = delete;
    FormatCombo& operator=(const FormatCombo&) = delete;
};

struct DeviceRecord {
    UINT adapterOrdinal = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DCAPS9 caps = {};
    GrowableArray* combos = nullptr;  // ByPointer FormatCombo, owned

    // A record with an empty combo array.
    static DeviceRecord* create(UINT adapterOrdinal, D3DDEVTYPE deviceType);

    DeviceRecord() = default;
    ~DeviceRecord();
    DeviceRecord(const DeviceRecord&) = delete;
    DeviceRecord& operator=(const DeviceRecord&) = delete;
};

struct AdapterRecord {
    UINT ordinal = 0;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    GrowableArray* displayModes = nullptr;  // ByValue D3DDISPLAYMODE, sorted
    GrowableArray* devices = nullptr;       // ByPointer DeviceRecord, owned

    // A record with empty mode and device arrays.
    static AdapterRecord* create(UINT ordinal);

    AdapterRecord() = default;
    ~AdapterRecord();
    AdapterRecord(const AdapterRecord&) = delete;
    AdapterRecord& operator=(const AdapterRecord&) = delete;
};

// An empty array as a heap object of the tree, or null when it cannot be had.
GrowableArray* newTreeArray(GrowableArrayKind kind, UINT elementSize);

// Test seam: asked before every record and array object the tree allocates;
// false makes that allocation fail. Null (the default) allows all.
using TreeAllocationGate = bool (*)(size_t bytes);
void setTreeAllocationGateForTesting(TreeAllocationGate gate);
