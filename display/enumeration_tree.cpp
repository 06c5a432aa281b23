#include "display/enumeration_tree.h"

#include <new>
#include <utility>

namespace {

TreeAllocationGate allocationGate = nullptr;

template <class T, class... Args>
T* newTreeObject(Args&&... args)
{
    if (allocationGate != nullptr && !allocationGate(sizeof(T))) return nullptr;
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

}  // namespace

void setTreeAllocationGateForTesting(TreeAllocationGate gate)
{
    allocationGate = gate;
}

GrowableArray* newTreeArray(GrowableArrayKind kind, UINT elementSize)
{
    return newTreeObject<GrowableArray>(kind, elementSize);
}

FormatCombo* FormatCombo::create()
{
    FormatCombo* combo = newTreeObject<FormatCombo>();
    if (combo == nullptr) return nullptr;
    combo->depthStencilFormats = newTreeArray(ByValue, sizeof(D3DFORMAT));
    combo->multisampleTypes = newTreeArray(ByValue, sizeof(D3DMULTISAMPLE_TYPE));
    combo->multisampleQualities = newTreeArray(ByValue, sizeof(UINT));
    combo->conflicts = newTreeArray(ByValue, sizeof(DepthSampleConflict));
    combo->vertexProcessingTypes = newTreeArray(ByValue, sizeof(VertexProcessingType));
    combo->presentIntervals = newTreeArray(ByValue, sizeof(UINT));
    if (!combo->depthStencilFormats || !combo->multisampleTypes || !combo->multisampleQualities ||
        !combo->conflicts || !combo->vertexProcessingTypes || !combo->presentIntervals) {
        delete combo;
        return nullptr;
    }
    return combo;
}

FormatCombo::~FormatCombo()
{
    delete depthStencilFormats;
    delete multisampleTypes;
    delete multisampleQualities;
    delete conflicts;
    delete vertexProcessingTypes;
    delete presentIntervals;
}

DeviceRecord* DeviceRecord::create(UINT adapterOrdinal, D3DDEVTYPE deviceType)
{
    DeviceRecord* device = newTreeObject<DeviceRecord>();
    if (device == nullptr) return nullptr;
    device->adapterOrdinal = adapterOrdinal;
    device->deviceType = deviceType;
    device->combos = newTreeArray(ByPointer, sizeof(FormatCombo*));
    if (device->combos == nullptr) {
        delete device;
        return nullptr;
    }
    return device;
}

DeviceRecord::~DeviceRecord()
{
    if (combos == nullptr) return;
    for (UINT i = 0; i < combos->count(); ++i) delete static_cast<FormatCombo*>(combos->at(i));
    delete combos;
}

AdapterRecord* AdapterRecord::create(UINT ordinal)
{
    AdapterRecord* adapter = newTreeObject<AdapterRecord>();
    if (adapter == nullptr) return nullptr;
    adapter->ordinal = ordinal;
    adapter->displayModes = newTreeArray(ByValue, sizeof(D3DDISPLAYMODE));
    adapter->devices = newTreeArray(ByPointer, sizeof(DeviceRecord*));
    if (adapter->displayModes == nullptr || adapter->devices == nullptr) {
        delete adapter;
        return nullptr;
    }
    return adapter;
}

AdapterRecord::~AdapterRecord()
{
    if (devices != nullptr) {
        for (UINT i = 0; i < devices->count(); ++i) delete static_cast<DeviceRecord*>(devices->at(i));
        delete devices;
    }
    delete displayModes;
}
