// Helpers for the enumeration tests: reading the tree's arrays into vectors
// and a fixture that owns a scripted runtime and an enumerator wired to it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "display/display_enumerator.h"
#include "tests/display/scripted_direct3d.h"

template <class T>
std::vector<T> valuesOf(const GrowableArray* list)
{
    std::vector<T> values;
    for (UINT i = 0; i < list->count(); ++i) values.push_back(*static_cast<const T*>(list->at(i)));
    return values;
}

template <class T>
std::vector<T*> recordsOf(const GrowableArray* list)
{
    std::vector<T*> records;
    for (UINT i = 0; i < list->count(); ++i) records.push_back(static_cast<T*>(list->at(i)));
    return records;
}

// Every combo of the tree, in tree order.
inline std::vector<FormatCombo*> allCombos(const DisplayEnumerator& enumerator)
{
    std::vector<FormatCombo*> combos;
    for (AdapterRecord* adapter : recordsOf<AdapterRecord>(enumerator.adapters))
        for (DeviceRecord* device : recordsOf<DeviceRecord>(adapter->devices))
            for (FormatCombo* combo : recordsOf<FormatCombo>(device->combos)) combos.push_back(combo);
    return combos;
}

// An adapter with one 1024x768 X8R8G8B8 mode and a capable HAL device only.
inline ScriptedAdapter halAdapter(const char* description = "Primary")
{
    ScriptedAdapter adapter;
    adapter.description = description;
    adapter.modes = {displayMode(1024, 768, 60, D3DFMT_X8R8G8B8)};
    adapter.caps = {{D3DDEVTYPE_HAL, capableCaps()}};
    return adapter;
}

class EnumerationTest : public ::testing::Test {
protected:
    ScriptedDirect3D runtime;
    DisplayEnumerator enumerator;

    void SetUp() override { enumerator.direct3d = &runtime; }

    // Runs the enumeration, which must succeed.
    void enumerate() { ASSERT_EQ(enumerator.enumerateDisplay(), S_OK); }

    // Lets only the (adapter format, back buffer, windowed) triples given pass CheckDeviceType.
    void allowOnlyDeviceType(D3DFORMAT adapterFormat, D3DFORMAT backBuffer, bool windowed)
    {
        runtime.deviceTypeOk = [=](UINT, D3DDEVTYPE, D3DFORMAT a, D3DFORMAT b, bool w) {
            return a == adapterFormat && b == backBuffer && w == windowed;
        };
    }
};
