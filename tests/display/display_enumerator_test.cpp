#include "display/display_enumerator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/display/enumeration_test_support.h"

using Calls = std::vector<std::string>;

namespace {

bool sameMode(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate && a.Format == b.Format;
}

std::vector<D3DFORMAT> adapterFormatsOf(const std::vector<FormatCombo*>& combos)
{
    std::vector<D3DFORMAT> formats;
    for (const FormatCombo* combo : combos) formats.push_back(combo->adapterFormat);
    return formats;
}

}  // namespace

// --- the run as a whole -----------------------------------------------------

TEST_F(EnumerationTest, WithoutRuntimeFailsAndBuildsNothing)
{
    enumerator.direct3d = nullptr;
    EXPECT_EQ(enumerator.enumerateDisplay(), E_FAIL);
    EXPECT_EQ(enumerator.adapters, nullptr);
    EXPECT_EQ(enumerator.allowedAdapterFormats, nullptr);
}

TEST_F(EnumerationTest, NoAdaptersSucceedsWithAnEmptyTree)
{
    enumerate();
    ASSERT_NE(enumerator.adapters, nullptr);
    EXPECT_EQ(enumerator.adapters->count(), 0u);
    EXPECT_EQ(valuesOf<D3DFORMAT>(enumerator.allowedAdapterFormats),
              (std::vector<D3DFORMAT>{D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_A2R10G10B10}));
    EXPECT_EQ(runtime.calls, Calls{"GetAdapterCount()"});
}

TEST_F(EnumerationTest, SecondRunIsRefusedAndKeepsTheTree)
{
    runtime.adapters = {halAdapter()};
    enumerate();
    GrowableArray* adapters = enumerator.adapters;
    AdapterRecord* adapter = recordsOf<AdapterRecord>(adapters).at(0);
    const size_t queries = runtime.calls.size();

    EXPECT_EQ(enumerator.enumerateDisplay(), E_FAIL);
    EXPECT_EQ(enumerator.adapters, adapters);
    EXPECT_EQ(recordsOf<AdapterRecord>(enumerator.adapters), std::vector<AdapterRecord*>{adapter});
    EXPECT_EQ(runtime.calls.size(), queries) << "the runtime is not asked again";
}

TEST_F(EnumerationTest, AsksOnlyTheListedQueriesAndCreatesNoDevice)
{
    runtime.adapters = {halAdapter()};
    enumerator.useDepthBuffer = true;
    enumerate();
    const std::vector<std::string> allowed = {"GetAdapterCount(",       "GetAdapterIdentifier(",
                                              "GetAdapterModeCount(",   "EnumAdapterModes(",
                                              "GetDeviceCaps(",         "CheckDeviceType(",
                                              "CheckDeviceFormat(",     "CheckDepthStencilMatch(",
                                              "CheckDeviceMultiSampleType("};
    for (const std::string& call : runtime.calls) {
        bool listed = false;
        for (const std::string& prefix : allowed) listed = listed || call.compare(0, prefix.size(), prefix) == 0;
        EXPECT_TRUE(listed) << call;
    }
    EXPECT_EQ(runtime.callsStartingWith("GetAdapterIdentifier"), Calls{"GetAdapterIdentifier(0,0)"});
}

// --- adapters ----------------------------------------------------------------

TEST_F(EnumerationTest, AdapterWithoutUsableDeviceIsDropped)
{
    ScriptedAdapter noDevice = halAdapter("First");
    noDevice.caps.clear();
    runtime.adapters = {noDevice, halAdapter("Second")};
    enumerate();

    const auto adapters = recordsOf<AdapterRecord>(enumerator.adapters);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->ordinal, 1u);
    EXPECT_STREQ(adapters[0]->identifier.Description, "Second");
    EXPECT_EQ(runtime.callsStartingWith("GetAdapterIdentifier"),
              (Calls{"GetAdapterIdentifier(0,0)", "GetAdapterIdentifier(1,0)"}));
}

TEST_F(EnumerationTest, AdapterWithoutModesIsDropped)
{
    ScriptedAdapter noModes = halAdapter();
    noModes.modes.clear();
    runtime.adapters = {noModes};
    enumerate();
    EXPECT_EQ(enumerator.adapters->count(), 0u);
    EXPECT_TRUE(runtime.callsStartingWith("CheckDeviceType").empty()) << "no adapter format to try";
}

// --- display modes -------------------------------------------------------------

TEST_F(EnumerationTest, ModesAreAskedForEachAllowedFormatInOrder)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(800, 600, 60, D3DFMT_R5G6B5), displayMode(800, 600, 60, D3DFMT_X8R8G8B8),
                     displayMode(1024, 768, 60, D3DFMT_X8R8G8B8)};
    runtime.adapters = {adapter};
    enumerate();

    Calls modeQueries;
    for (const std::string& call : runtime.calls)
        if (call.rfind("GetAdapterModeCount", 0) == 0 || call.rfind("EnumAdapterModes", 0) == 0)
            modeQueries.push_back(call);
    EXPECT_EQ(modeQueries, (Calls{"GetAdapterModeCount(0,22)", "EnumAdapterModes(0,22,0)", "EnumAdapterModes(0,22,1)",
                                  "GetAdapterModeCount(0,24)", "GetAdapterModeCount(0,23)",
                                  "EnumAdapterModes(0,23,0)", "GetAdapterModeCount(0,35)"}));
}

TEST_F(EnumerationTest, ModeFilterDropsSmallModesAndWeakFormats)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(320, 240, 60, D3DFMT_X8R8G8B8), displayMode(640, 400, 60, D3DFMT_X8R8G8B8),
                     displayMode(640, 480, 60, D3DFMT_X8R8G8B8), displayMode(639, 480, 60, D3DFMT_X8R8G8B8),
                     displayMode(640, 480, 60, D3DFMT_R5G6B5)};
    runtime.adapters = {adapter};
    enumerate();
    auto modes = valuesOf<D3DDISPLAYMODE>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->displayModes);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_TRUE(sameMode(modes[0], displayMode(640, 480, 60, D3DFMT_X8R8G8B8)));
    EXPECT_TRUE(sameMode(modes[1], displayMode(640, 480, 60, D3DFMT_R5G6B5)));
}

TEST_F(EnumerationTest, ModeFilterFollowsChangedRequirements)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(1024, 768, 60, D3DFMT_X8R8G8B8), displayMode(1024, 768, 60, D3DFMT_R5G6B5),
                     displayMode(800, 600, 60, D3DFMT_X8R8G8B8)};
    runtime.adapters = {adapter};
    enumerator.minColorBits = 6;  // 16-bit formats have five bits in their weakest channel
    enumerator.minFullscreenWidth = 1024;
    enumerator.minFullscreenHeight = 768;
    enumerate();
    auto modes = valuesOf<D3DDISPLAYMODE>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->displayModes);
    ASSERT_EQ(modes.size(), 1u);
    EXPECT_TRUE(sameMode(modes[0], displayMode(1024, 768, 60, D3DFMT_X8R8G8B8)));
}

TEST_F(EnumerationTest, ModesAreSortedBySizeThenFormatThenRefresh)
{
    ScriptedAdapter adapter = halAdapter();
    // Reported in allowed-format order, so X8R8G8B8 comes first and 800x600 late.
    adapter.modes = {displayMode(1024, 768, 75, D3DFMT_X8R8G8B8), displayMode(1024, 768, 60, D3DFMT_X8R8G8B8),
                     displayMode(1024, 768, 60, D3DFMT_R5G6B5), displayMode(800, 600, 85, D3DFMT_R5G6B5),
                     displayMode(1024, 600, 60, D3DFMT_A2R10G10B10)};
    runtime.adapters = {adapter};
    enumerate();
    auto modes = valuesOf<D3DDISPLAYMODE>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->displayModes);
    const std::vector<D3DDISPLAYMODE> expected = {
        displayMode(800, 600, 85, D3DFMT_R5G6B5), displayMode(1024, 600, 60, D3DFMT_A2R10G10B10),
        displayMode(1024, 768, 60, D3DFMT_X8R8G8B8), displayMode(1024, 768, 75, D3DFMT_X8R8G8B8),
        displayMode(1024, 768, 60, D3DFMT_R5G6B5)};
    ASSERT_EQ(modes.size(), expected.size());
    for (size_t i = 0; i < modes.size(); ++i)
        EXPECT_TRUE(sameMode(modes[i], expected[i])) << "mode " << i << ": " << modes[i].Width << "x"
                                                     << modes[i].Height << " " << modes[i].Format << " "
                                                     << modes[i].RefreshRate;
}

TEST_F(EnumerationTest, ModeOrderComparesEachKeyInTurn)
{
    const D3DDISPLAYMODE base = displayMode(1024, 768, 60, D3DFMT_R5G6B5);
    EXPECT_EQ(compareDisplayModes(base, base), 0);
    // A later key never outweighs an earlier one.
    EXPECT_EQ(compareDisplayModes(displayMode(800, 1200, 100, D3DFMT_A2R10G10B10), base), -1);
    EXPECT_EQ(compareDisplayModes(displayMode(1024, 600, 100, D3DFMT_A2R10G10B10), base), -1);
    EXPECT_EQ(compareDisplayModes(displayMode(1024, 768, 100, D3DFMT_X8R8G8B8), base), -1);
    EXPECT_EQ(compareDisplayModes(displayMode(1024, 768, 59, D3DFMT_R5G6B5), base), -1);
    EXPECT_EQ(compareDisplayModes(base, displayMode(1024, 768, 59, D3DFMT_R5G6B5)), 1);
    EXPECT_EQ(compareDisplayModes(base, displayMode(800, 1200, 100, D3DFMT_A2R10G10B10)), 1);
    // Unsigned: a huge width sorts last, not first.
    EXPECT_EQ(compareDisplayModes(displayMode(0x80000000u, 768, 60, D3DFMT_R5G6B5), base), 1);
}

TEST_F(EnumerationTest, UnreadableModeIsSkipped)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(640, 480, 60, D3DFMT_X8R8G8B8), displayMode(800, 600, 60, D3DFMT_X8R8G8B8),
                     displayMode(1024, 768, 60, D3DFMT_X8R8G8B8)};
    adapter.unreadableModes = {{D3DFMT_X8R8G8B8, 1}};
    runtime.adapters = {adapter};
    enumerate();
    auto modes = valuesOf<D3DDISPLAYMODE>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->displayModes);
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].Width, 640u);
    EXPECT_EQ(modes[1].Width, 1024u);
}

// --- adapter formats -------------------------------------------------------------

TEST_F(EnumerationTest, OnlyFormatsWithRecordedModesAreTriedAsAdapterFormats)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(1024, 768, 60, D3DFMT_X8R8G8B8), displayMode(800, 600, 60, D3DFMT_X8R8G8B8),
                     displayMode(320, 240, 60, D3DFMT_R5G6B5)};
    runtime.adapters = {adapter};
    enumerate();

    for (const std::string& call : runtime.callsStartingWith("CheckDeviceType"))
        EXPECT_EQ(call.rfind("CheckDeviceType(0,1,22,", 0), 0u) << call;
    const auto combos = allCombos(enumerator);
    ASSERT_FALSE(combos.empty());
    bool sawWindowed = false;
    for (const FormatCombo* combo : combos) {
        EXPECT_EQ(combo->adapterFormat, D3DFMT_X8R8G8B8);
        sawWindowed = sawWindowed || combo->windowed;
    }
    EXPECT_TRUE(sawWindowed) << "windowed combos use the same adapter formats";
}

TEST_F(EnumerationTest, AdapterFormatsFollowTheAllowedListOnce)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.modes = {displayMode(800, 600, 60, D3DFMT_R5G6B5), displayMode(1024, 768, 60, D3DFMT_R5G6B5),
                     displayMode(800, 600, 60, D3DFMT_X1R5G5B5)};
    runtime.adapters = {adapter};
    runtime.deviceTypeOk = [](UINT, D3DDEVTYPE, D3DFORMAT a, D3DFORMAT b, bool w) { return a == b && !w; };
    enumerate();
    EXPECT_EQ(adapterFormatsOf(allCombos(enumerator)), (std::vector<D3DFORMAT>{D3DFMT_X1R5G5B5, D3DFMT_R5G6B5}))
        << "X1R5G5B5 precedes R5G6B5 in the allowed list; two R5G6B5 modes give one entry";
}

// --- device types -----------------------------------------------------------------

TEST_F(EnumerationTest, DeviceTypesComeInHalSwRefOrderAndUnreadableCapsSkipOne)
{
    ScriptedAdapter adapter = halAdapter();
    D3DCAPS9 refCaps = {};
    refCaps.MaxTextureWidth = 4096;
    adapter.caps = {{D3DDEVTYPE_REF, refCaps}, {D3DDEVTYPE_HAL, capableCaps()}};
    runtime.adapters = {ScriptedAdapter{}, adapter};
    runtime.adapters[0].caps.clear();
    enumerate();

    EXPECT_EQ(runtime.callsStartingWith("GetDeviceCaps(1"),
              (Calls{"GetDeviceCaps(1,1)", "GetDeviceCaps(1,3)", "GetDeviceCaps(1,2)"}));
    EXPECT_TRUE(runtime.callsStartingWith("CheckDeviceType(1,3").empty()) << "SW caps could not be read";
    const auto devices = recordsOf<DeviceRecord>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->devices);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0]->deviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(devices[1]->deviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(devices[1]->adapterOrdinal, 1u);
    EXPECT_EQ(devices[1]->caps.MaxTextureWidth, 4096u);
    EXPECT_EQ(devices[0]->caps.DevCaps, capableCaps().DevCaps);
    for (const FormatCombo* combo : recordsOf<FormatCombo>(devices[1]->combos)) {
        EXPECT_EQ(combo->deviceType, D3DDEVTYPE_REF);
        EXPECT_EQ(combo->adapterOrdinal, 1u);
    }
}

TEST_F(EnumerationTest, DeviceTypeWithoutCombosIsDropped)
{
    ScriptedAdapter adapter = halAdapter();
    adapter.caps.push_back({D3DDEVTYPE_REF, capableCaps()});
    runtime.adapters = {adapter};
    runtime.deviceTypeOk = [](UINT, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, bool) { return type == D3DDEVTYPE_HAL; };
    enumerate();
    const auto devices = recordsOf<DeviceRecord>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->devices);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0]->deviceType, D3DDEVTYPE_HAL);
}

// --- combo candidates -----------------------------------------------------------------

TEST_F(EnumerationTest, BackBufferCandidatesAreTriedInOrderFullScreenFirst)
{
    runtime.adapters = {halAdapter()};
    enumerate();
    Calls expected;
    for (int backBuffer : {21, 22, 35, 23, 25, 24})
        for (int windowed : {0, 1})
            expected.push_back("CheckDeviceType(0,1,22," + std::to_string(backBuffer) + "," +
                               std::to_string(windowed) + ")");
    EXPECT_EQ(runtime.callsStartingWith("CheckDeviceType"), expected);

    const auto combos = allCombos(enumerator);
    ASSERT_EQ(combos.size(), 12u);
    EXPECT_EQ(combos[0]->backBufferFormat, D3DFMT_A8R8G8B8);
    EXPECT_FALSE(combos[0]->windowed);
    EXPECT_EQ(combos[1]->backBufferFormat, D3DFMT_A8R8G8B8);
    EXPECT_TRUE(combos[1]->windowed);
    EXPECT_EQ(combos[11]->backBufferFormat, D3DFMT_X1R5G5B5);
}

TEST_F(EnumerationTest, RefusedDeviceTypeLeavesTheTripleOut)
{
    runtime.adapters = {halAdapter()};
    allowOnlyDeviceType(D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, true);
    enumerate();
    const auto combos = allCombos(enumerator);
    ASSERT_EQ(combos.size(), 1u);
    EXPECT_EQ(combos[0]->backBufferFormat, D3DFMT_R5G6B5);
    EXPECT_TRUE(combos[0]->windowed);
    EXPECT_EQ(combos[0]->adapterFormat, D3DFMT_X8R8G8B8);
}

TEST_F(EnumerationTest, WindowedOnlyAndFullscreenOnlyLimitTheCombos)
{
    runtime.adapters = {halAdapter()};
    enumerator.windowedOnly = true;
    enumerate();
    for (const FormatCombo* combo : allCombos(enumerator)) EXPECT_TRUE(combo->windowed);
    for (const std::string& call : runtime.callsStartingWith("CheckDeviceType"))
        EXPECT_EQ(call.substr(call.size() - 3), ",1)") << call;

    ScriptedDirect3D fullscreenRuntime;
    fullscreenRuntime.adapters = {halAdapter()};
    DisplayEnumerator fullscreen;
    fullscreen.direct3d = &fullscreenRuntime;
    fullscreen.fullscreenOnly = true;
    ASSERT_EQ(fullscreen.enumerateDisplay(), S_OK);
    ASSERT_FALSE(allCombos(fullscreen).empty());
    for (const FormatCombo* combo : allCombos(fullscreen)) EXPECT_FALSE(combo->windowed);
    EXPECT_EQ(fullscreenRuntime.callsStartingWith("CheckDeviceType").size(), 6u);
}

TEST_F(EnumerationTest, MinAlphaBitsSkipsBackBuffersWithoutAsking)
{
    runtime.adapters = {halAdapter()};
    enumerator.minAlphaBits = 1;
    enumerate();
    Calls expected;
    for (int backBuffer : {21, 35, 25})
        for (int windowed : {0, 1})
            expected.push_back("CheckDeviceType(0,1,22," + std::to_string(backBuffer) + "," +
                               std::to_string(windowed) + ")");
    EXPECT_EQ(runtime.callsStartingWith("CheckDeviceType"), expected);

    DisplayEnumerator strict;
    ScriptedDirect3D strictRuntime;
    strictRuntime.adapters = {halAdapter()};
    strict.direct3d = &strictRuntime;
    strict.minAlphaBits = 8;
    ASSERT_EQ(strict.enumerateDisplay(), S_OK);
    for (const FormatCombo* combo : allCombos(strict)) EXPECT_EQ(combo->backBufferFormat, D3DFMT_A8R8G8B8);
}
