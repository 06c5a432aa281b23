// The enumeration run once against the runtime the program gets: our layer
// on Linux (under the private X server), the system's on Windows. Whatever
// the machine offers, the tree must be non-empty and hold together.
#include "display/display_enumerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <vector>

#include "tests/display/enumeration_test_support.h"

namespace {

const D3DFORMAT AllowedAdapterFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_A2R10G10B10};
const D3DFORMAT BackBufferFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10,
                                       D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5};

template <class T, size_t N>
bool oneOf(T value, const T (&list)[N])
{
    return std::find(list, list + N, value) != list + N;
}

template <class T>
bool contains(const std::vector<T>& list, T value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

class RuntimeEnumeration : public ::testing::Test {
protected:
    void SetUp() override
    {
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3d, nullptr);
        enumerator.direct3d = direct3d;
        enumerator.useDepthBuffer = true;  // as the game asks
        ASSERT_EQ(enumerator.enumerateDisplay(), S_OK);
    }
    void TearDown() override
    {
        if (direct3d != nullptr) direct3d->Release();
    }

    IDirect3D9* direct3d = nullptr;
    DisplayEnumerator enumerator;
};

// One line per device for the log: what this machine's runtime offers.
void describe(const AdapterRecord& adapter)
{
    std::cout << "adapter " << adapter.ordinal << " \"" << adapter.identifier.Description << "\": "
              << adapter.displayModes->count() << " modes\n";
    for (DeviceRecord* device : recordsOf<DeviceRecord>(adapter.devices)) {
        UINT windowed = 0;
        for (FormatCombo* combo : recordsOf<FormatCombo>(device->combos)) windowed += combo->windowed ? 1 : 0;
        std::cout << "  device type " << device->deviceType << ": " << device->combos->count() << " combos ("
                  << windowed << " windowed)\n";
    }
}

}  // namespace

TEST_F(RuntimeEnumeration, FindsAnAdapterWithAHardwareDevice)
{
    const std::vector<AdapterRecord*> adapters = recordsOf<AdapterRecord>(enumerator.adapters);
    ASSERT_FALSE(adapters.empty());
    for (size_t i = 0; i < adapters.size(); ++i) {
        describe(*adapters[i]);
        if (i > 0) {
            EXPECT_GT(adapters[i]->ordinal, adapters[i - 1]->ordinal) << "ordinal order";
        }
        EXPECT_LT(adapters[i]->ordinal, direct3d->GetAdapterCount());
        const char* description = adapters[i]->identifier.Description;
        EXPECT_LT(strnlen(description, sizeof adapters[i]->identifier.Description), sizeof adapters[i]->identifier.Description);
        EXPECT_GT(std::strlen(description), 0u);
    }
    const std::vector<DeviceRecord*> devices = recordsOf<DeviceRecord>(adapters[0]->devices);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0]->deviceType, D3DDEVTYPE_HAL);
}

TEST_F(RuntimeEnumeration, DisplayModesPassTheFilterInSortedOrder)
{
    for (AdapterRecord* adapter : recordsOf<AdapterRecord>(enumerator.adapters)) {
        const std::vector<D3DDISPLAYMODE> modes = valuesOf<D3DDISPLAYMODE>(adapter->displayModes);
        ASSERT_FALSE(modes.empty()) << "adapter " << adapter->ordinal;
        for (size_t i = 0; i < modes.size(); ++i) {
            EXPECT_GE(modes[i].Width, 640u);
            EXPECT_GE(modes[i].Height, 480u);
            EXPECT_TRUE(oneOf(modes[i].Format, AllowedAdapterFormats)) << modes[i].Format;
            if (i > 0) {
                EXPECT_LE(compareDisplayModes(modes[i - 1], modes[i]), 0) << "mode " << i;
            }
        }
    }
}

TEST_F(RuntimeEnumeration, EveryComboHoldsTogether)
{
    for (AdapterRecord* adapter : recordsOf<AdapterRecord>(enumerator.adapters)) {
        std::vector<D3DFORMAT> modeFormats;
        for (const D3DDISPLAYMODE& mode : valuesOf<D3DDISPLAYMODE>(adapter->displayModes))
            modeFormats.push_back(mode.Format);
        D3DDEVTYPE previousType = D3DDEVTYPE(0);
        for (DeviceRecord* device : recordsOf<DeviceRecord>(adapter->devices)) {
            EXPECT_EQ(device->adapterOrdinal, adapter->ordinal);
            EXPECT_NE(device->deviceType, previousType) << "one record per device type";
            previousType = device->deviceType;
            ASSERT_GT(device->combos->count(), 0u) << "records without combos are dropped";
            for (FormatCombo* combo : recordsOf<FormatCombo>(device->combos)) {
                SCOPED_TRACE(testing::Message() << "device " << device->deviceType << ", adapter format "
                                                << combo->adapterFormat << ", back buffer "
                                                << combo->backBufferFormat << (combo->windowed ? ", windowed" : ""));
                EXPECT_EQ(combo->adapterOrdinal, adapter->ordinal);
                EXPECT_EQ(combo->deviceType, device->deviceType);
                EXPECT_TRUE(contains(modeFormats, combo->adapterFormat)) << "a format some mode has";
                EXPECT_TRUE(oneOf(combo->backBufferFormat, BackBufferFormats));

                const std::vector<D3DFORMAT> depths = valuesOf<D3DFORMAT>(combo->depthStencilFormats);
                EXPECT_FALSE(depths.empty());
                const std::vector<D3DMULTISAMPLE_TYPE> types = valuesOf<D3DMULTISAMPLE_TYPE>(combo->multisampleTypes);
                ASSERT_FALSE(types.empty());
                EXPECT_EQ(types[0], D3DMULTISAMPLE_NONE);
                EXPECT_TRUE(std::is_sorted(types.begin(), types.end()));
                EXPECT_EQ(combo->multisampleQualities->count(), combo->multisampleTypes->count());
                for (const DepthSampleConflict& conflict : valuesOf<DepthSampleConflict>(combo->conflicts)) {
                    EXPECT_TRUE(contains(depths, conflict.depthStencilFormat));
                    EXPECT_TRUE(contains(types, conflict.multisampleType));
                }

                const std::vector<VertexProcessingType> kinds =
                    valuesOf<VertexProcessingType>(combo->vertexProcessingTypes);
                ASSERT_FALSE(kinds.empty());
                EXPECT_TRUE(std::is_sorted(kinds.rbegin(), kinds.rend())) << "PURE, HARDWARE, MIXED, SOFTWARE";
                EXPECT_EQ(kinds.back(), SOFTWARE_VP) << "nothing refuses software processing";

                const std::vector<UINT> intervals = valuesOf<UINT>(combo->presentIntervals);
                EXPECT_TRUE(contains(intervals, UINT(D3DPRESENT_INTERVAL_DEFAULT)));
                if (combo->windowed) {
                    for (UINT slow : {D3DPRESENT_INTERVAL_TWO, D3DPRESENT_INTERVAL_THREE, D3DPRESENT_INTERVAL_FOUR})
                        EXPECT_FALSE(contains(intervals, slow));
                }
            }
        }
    }
}

TEST_F(RuntimeEnumeration, TheDesktopCanBeUsedWindowedAndFullScreen)
{
    D3DDISPLAYMODE desktop = {};
    ASSERT_EQ(direct3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    std::cout << "desktop " << desktop.Width << " x " << desktop.Height << " at " << desktop.RefreshRate
              << " Hz, format " << desktop.Format << "\n";
    bool windowed = false;
    bool fullscreen = false;
    for (FormatCombo* combo : allCombos(enumerator)) {
        if (combo->adapterOrdinal != 0 || combo->deviceType != D3DDEVTYPE_HAL) continue;
        if (combo->adapterFormat != desktop.Format) continue;
        (combo->windowed ? windowed : fullscreen) = true;
    }
    EXPECT_TRUE(windowed) << "a windowed HAL combo in the desktop format";
    EXPECT_TRUE(fullscreen) << "a full-screen HAL combo in the desktop format";
}
