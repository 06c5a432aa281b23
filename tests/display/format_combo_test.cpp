#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_enumerator.h"
#include "tests/display/enumeration_test_support.h"

using Calls = std::vector<std::string>;

namespace {

// One combo: X8R8G8B8 adapter format, R5G6B5 back buffer, the windowed flag given.
class EnumerationComboTest : public EnumerationTest {
protected:
    void SetUp() override
    {
        EnumerationTest::SetUp();
        runtime.adapters = {halAdapter()};
    }

    void useOneCombo(bool windowed) { allowOnlyDeviceType(D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, windowed); }

    void setHalCaps(DWORD devCaps, DWORD presentIntervals)
    {
        D3DCAPS9 caps = {};
        caps.DevCaps = devCaps;
        caps.PresentationIntervals = presentIntervals;
        runtime.adapters[0].caps = {{D3DDEVTYPE_HAL, caps}};
    }

    FormatCombo* onlyCombo()
    {
        const auto combos = allCombos(enumerator);
        EXPECT_EQ(combos.size(), 1u);
        return combos.empty() ? nullptr : combos[0];
    }

    Calls depthQueries() const
    {
        Calls queries;
        for (const std::string& call : runtime.calls)
            if (call.rfind("CheckDeviceFormat(", 0) == 0 || call.rfind("CheckDepthStencilMatch(", 0) == 0)
                queries.push_back(call);
        return queries;
    }
};

std::vector<D3DFORMAT> depthFormatsOf(const FormatCombo* combo)
{
    return valuesOf<D3DFORMAT>(combo->depthStencilFormats);
}

// Records the callback's arguments; refuses the kinds in `refused`.
struct AcceptSpy {
    static inline std::vector<VertexProcessingType> asked;
    static inline std::vector<const D3DCAPS9*> capsSeen;
    static inline std::vector<D3DFORMAT> formatsSeen;
    static inline std::vector<VertexProcessingType> refused;

    static void reset()
    {
        asked.clear();
        capsSeen.clear();
        formatsSeen.clear();
        refused.clear();
    }
    static bool accept(const D3DCAPS9* caps, VertexProcessingType type, D3DFORMAT backBuffer)
    {
        asked.push_back(type);
        capsSeen.push_back(caps);
        formatsSeen.push_back(backBuffer);
        for (VertexProcessingType no : refused)
            if (no == type) return false;
        return true;
    }
};

using VpList = std::vector<VertexProcessingType>;

}  // namespace

// --- depth/stencil formats -------------------------------------------------------

TEST_F(EnumerationComboTest, DepthFormatsAreTestedInCandidateOrderFormatBeforeMatch)
{
    useOneCombo(false);
    enumerator.useDepthBuffer = true;
    runtime.depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT ds) { return ds != D3DFMT_D24X8; };
    runtime.depthMatchOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT ds) { return ds != D3DFMT_D32; };
    enumerate();

    EXPECT_EQ(depthQueries(),
              (Calls{"CheckDeviceFormat(0,1,22,2,1,80)", "CheckDepthStencilMatch(0,1,22,23,80)",
                     "CheckDeviceFormat(0,1,22,2,1,73)", "CheckDepthStencilMatch(0,1,22,23,73)",
                     "CheckDeviceFormat(0,1,22,2,1,77)", "CheckDeviceFormat(0,1,22,2,1,75)",
                     "CheckDepthStencilMatch(0,1,22,23,75)", "CheckDeviceFormat(0,1,22,2,1,79)",
                     "CheckDepthStencilMatch(0,1,22,23,79)", "CheckDeviceFormat(0,1,22,2,1,71)",
                     "CheckDepthStencilMatch(0,1,22,23,71)"}));
    const FormatCombo* combo = onlyCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(depthFormatsOf(combo),
              (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X4S4}));
}

TEST_F(EnumerationComboTest, DepthAndStencilBitRequirementsNarrowTheCandidates)
{
    useOneCombo(false);
    enumerator.useDepthBuffer = true;
    enumerator.minStencilBits = 1;
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(depthFormatsOf(onlyCombo()), (std::vector<D3DFORMAT>{D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X4S4}));
    EXPECT_EQ(runtime.callsStartingWith("CheckDeviceFormat").size(), 3u) << "filtered candidates are not asked";

    ScriptedDirect3D deepRuntime;
    deepRuntime.adapters = {halAdapter()};
    deepRuntime.deviceTypeOk = runtime.deviceTypeOk;
    DisplayEnumerator deep;
    deep.direct3d = &deepRuntime;
    deep.useDepthBuffer = true;
    deep.minDepthBits = 24;
    ASSERT_EQ(deep.enumerateDisplay(), S_OK);
    ASSERT_EQ(allCombos(deep).size(), 1u);
    EXPECT_EQ(depthFormatsOf(allCombos(deep)[0]),
              (std::vector<D3DFORMAT>{D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32}));
}

TEST_F(EnumerationComboTest, DefaultRequirementsKeepAllSixDepthFormats)
{
    useOneCombo(true);
    enumerator.useDepthBuffer = true;
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(depthFormatsOf(onlyCombo()), (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8,
                                                                   D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32}));
}

TEST_F(EnumerationComboTest, ComboWithoutUsableDepthFormatIsDroppedWithItsDeviceAndAdapter)
{
    enumerator.useDepthBuffer = true;
    runtime.depthMatchOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT bb, D3DFORMAT) { return bb != D3DFMT_R5G6B5; };
    enumerate();
    for (const FormatCombo* combo : allCombos(enumerator)) EXPECT_NE(combo->backBufferFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(allCombos(enumerator).size(), 10u);

    ScriptedDirect3D noDepthRuntime;
    noDepthRuntime.adapters = {halAdapter()};
    noDepthRuntime.depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) { return false; };
    DisplayEnumerator noDepth;
    noDepth.direct3d = &noDepthRuntime;
    noDepth.useDepthBuffer = true;
    ASSERT_EQ(noDepth.enumerateDisplay(), S_OK);
    EXPECT_EQ(noDepth.adapters->count(), 0u);
}

TEST_F(EnumerationComboTest, WithoutDepthBufferNoDepthFormatsOrConflictsAreCollected)
{
    runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT surface, bool, D3DMULTISAMPLE_TYPE) {
        return surface == D3DFMT_R5G6B5 || surface == D3DFMT_A8R8G8B8 ? DWORD(2) : DWORD(0);
    };
    enumerate();
    EXPECT_TRUE(depthQueries().empty());
    EXPECT_TRUE(runtime.callsStartingWith("CheckDeviceMultiSampleType").size() > 0);
    for (const std::string& call : runtime.callsStartingWith("CheckDeviceMultiSampleType"))
        EXPECT_EQ(call.substr(call.size() - 3), ",q)") << "no conflict query without depth formats: " << call;
    const auto combos = allCombos(enumerator);
    EXPECT_EQ(combos.size(), 4u);
    for (const FormatCombo* combo : combos) {
        EXPECT_EQ(combo->depthStencilFormats->count(), 0u);
        EXPECT_EQ(combo->conflicts->count(), 0u);
    }
}

// --- multisample types and conflicts ---------------------------------------------------

TEST_F(EnumerationComboTest, MultisampleTypesAreAskedAscendingWithTheirQualityCounts)
{
    useOneCombo(true);
    runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT, bool, D3DMULTISAMPLE_TYPE type) {
        switch (type) {
        case D3DMULTISAMPLE_NONE: return DWORD(1);
        case D3DMULTISAMPLE_NONMASKABLE: return DWORD(3);
        case D3DMULTISAMPLE_4_SAMPLES: return DWORD(2);
        case D3DMULTISAMPLE_16_SAMPLES: return DWORD(1);
        default: return DWORD(0);
        }
    };
    enumerate();

    Calls expected;
    for (int type = 0; type <= 16; ++type)
        expected.push_back("CheckDeviceMultiSampleType(0,1,23,1," + std::to_string(type) + ",q)");
    EXPECT_EQ(runtime.callsStartingWith("CheckDeviceMultiSampleType"), expected);

    const FormatCombo* combo = onlyCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(valuesOf<D3DMULTISAMPLE_TYPE>(combo->multisampleTypes),
              (std::vector<D3DMULTISAMPLE_TYPE>{D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_NONMASKABLE,
                                                D3DMULTISAMPLE_4_SAMPLES, D3DMULTISAMPLE_16_SAMPLES}));
    EXPECT_EQ(valuesOf<UINT>(combo->multisampleQualities), (std::vector<UINT>{1, 3, 2, 1}));
}

TEST_F(EnumerationComboTest, ComboWithoutMultisampleTypeIsDropped)
{
    runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT surface, bool windowed, D3DMULTISAMPLE_TYPE) {
        return surface == D3DFMT_X8R8G8B8 && windowed ? DWORD(1) : DWORD(0);
    };
    enumerate();
    const auto combos = allCombos(enumerator);
    ASSERT_EQ(combos.size(), 1u);
    EXPECT_EQ(combos[0]->backBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_TRUE(combos[0]->windowed);
}

TEST_F(EnumerationComboTest, ConflictsPairEachDepthFormatWithEachRefusedType)
{
    useOneCombo(true);
    enumerator.useDepthBuffer = true;
    runtime.depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT ds) {
        return ds == D3DFMT_D16 || ds == D3DFMT_D24S8;
    };
    runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT surface, bool, D3DMULTISAMPLE_TYPE type) {
        if (type != D3DMULTISAMPLE_NONE && type != D3DMULTISAMPLE_2_SAMPLES) return DWORD(0);
        // D16 cannot be multisampled; D24S8 can.
        if (surface == D3DFMT_D16 && type == D3DMULTISAMPLE_2_SAMPLES) return DWORD(0);
        return DWORD(1);
    };
    enumerate();

    Calls conflictQueries;
    for (const std::string& call : runtime.callsStartingWith("CheckDeviceMultiSampleType"))
        if (call.substr(call.size() - 5) == "null)") conflictQueries.push_back(call);
    EXPECT_EQ(conflictQueries,
              (Calls{"CheckDeviceMultiSampleType(0,1,80,1,0,null)", "CheckDeviceMultiSampleType(0,1,80,1,2,null)",
                     "CheckDeviceMultiSampleType(0,1,75,1,0,null)", "CheckDeviceMultiSampleType(0,1,75,1,2,null)"}));

    const FormatCombo* combo = onlyCombo();
    ASSERT_NE(combo, nullptr);
    const auto conflicts = valuesOf<DepthSampleConflict>(combo->conflicts);
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].depthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(conflicts[0].multisampleType, D3DMULTISAMPLE_2_SAMPLES);
}

// --- vertex processing -------------------------------------------------------------------

class EnumerationVertexProcessingTest : public EnumerationComboTest {
protected:
    void SetUp() override
    {
        EnumerationComboTest::SetUp();
        AcceptSpy::reset();
        enumerator.acceptDevice = &AcceptSpy::accept;
    }
};

TEST_F(EnumerationVertexProcessingTest, FullHardwareOffersEveryKindInOrderAndPassesTheRecordsCaps)
{
    useOneCombo(true);
    enumerator.allowMixedVertexProcessing = true;
    enumerate();
    const FormatCombo* combo = onlyCombo();
    ASSERT_NE(combo, nullptr);
    const VpList all = {PURE_HARDWARE_VP, HARDWARE_VP, MIXED_VP, SOFTWARE_VP};
    EXPECT_EQ(valuesOf<VertexProcessingType>(combo->vertexProcessingTypes), all);
    EXPECT_EQ(AcceptSpy::asked, all);

    const DeviceRecord* device =
        recordsOf<DeviceRecord>(recordsOf<AdapterRecord>(enumerator.adapters).at(0)->devices).at(0);
    for (const D3DCAPS9* caps : AcceptSpy::capsSeen) EXPECT_EQ(caps, &device->caps);
    for (D3DFORMAT format : AcceptSpy::formatsSeen) EXPECT_EQ(format, D3DFMT_R5G6B5);
}

TEST_F(EnumerationVertexProcessingTest, MixedNeedsPermissionAndPureNeedsHardwareTransform)
{
    useOneCombo(false);
    setHalCaps(D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0);
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(valuesOf<VertexProcessingType>(onlyCombo()->vertexProcessingTypes), (VpList{HARDWARE_VP, SOFTWARE_VP}));

    AcceptSpy::reset();
    ScriptedDirect3D pureOnlyRuntime;
    pureOnlyRuntime.adapters = {halAdapter()};
    pureOnlyRuntime.adapters[0].caps[0].second.DevCaps = D3DDEVCAPS_PUREDEVICE;
    pureOnlyRuntime.deviceTypeOk = runtime.deviceTypeOk;
    DisplayEnumerator pureOnly;
    pureOnly.direct3d = &pureOnlyRuntime;
    pureOnly.acceptDevice = &AcceptSpy::accept;
    pureOnly.allowMixedVertexProcessing = true;
    ASSERT_EQ(pureOnly.enumerateDisplay(), S_OK);
    ASSERT_EQ(allCombos(pureOnly).size(), 1u);
    EXPECT_EQ(valuesOf<VertexProcessingType>(allCombos(pureOnly)[0]->vertexProcessingTypes), VpList{SOFTWARE_VP});
    EXPECT_EQ(AcceptSpy::asked, VpList{SOFTWARE_VP});
}

TEST_F(EnumerationVertexProcessingTest, RefusedKindsAreLeftOutAndNullCallbackAcceptsAll)
{
    useOneCombo(false);
    AcceptSpy::refused = {PURE_HARDWARE_VP};
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(valuesOf<VertexProcessingType>(onlyCombo()->vertexProcessingTypes), (VpList{HARDWARE_VP, SOFTWARE_VP}));

    ScriptedDirect3D openRuntime;
    openRuntime.adapters = {halAdapter()};
    openRuntime.deviceTypeOk = runtime.deviceTypeOk;
    DisplayEnumerator open;
    open.direct3d = &openRuntime;
    ASSERT_EQ(open.enumerateDisplay(), S_OK);
    ASSERT_EQ(allCombos(open).size(), 1u);
    EXPECT_EQ(valuesOf<VertexProcessingType>(allCombos(open)[0]->vertexProcessingTypes),
              (VpList{PURE_HARDWARE_VP, HARDWARE_VP, SOFTWARE_VP}));
}

TEST_F(EnumerationVertexProcessingTest, RefusingSoftwareOnSoftwareOnlyDevicesEmptiesTheTree)
{
    setHalCaps(0, D3DPRESENT_INTERVAL_ONE);
    runtime.adapters[0].caps.push_back({D3DDEVTYPE_REF, capableCaps()});
    runtime.adapters.push_back(halAdapter("Second"));
    runtime.adapters[1].caps[0].second.DevCaps = 0;
    AcceptSpy::refused = {SOFTWARE_VP, PURE_HARDWARE_VP, HARDWARE_VP};
    enumerate();
    EXPECT_EQ(enumerator.adapters->count(), 0u) << "every combo lost its last kind";
    EXPECT_EQ(AcceptSpy::asked.size(), size_t(12 * 1 + 12 * 3 + 12 * 1))
        << "HAL asks SOFTWARE_VP only; REF asks PURE, HARDWARE, SOFTWARE";
}

// --- present intervals ------------------------------------------------------------------------

TEST_F(EnumerationComboTest, FullScreenCombosListEverySupportedInterval)
{
    useOneCombo(false);
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(valuesOf<UINT>(onlyCombo()->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE,
                                 D3DPRESENT_INTERVAL_TWO, D3DPRESENT_INTERVAL_THREE, D3DPRESENT_INTERVAL_FOUR}));
}

TEST_F(EnumerationComboTest, WindowedCombosNeverWaitForSeveralRefreshes)
{
    useOneCombo(true);
    enumerate();
    ASSERT_NE(onlyCombo(), nullptr);
    EXPECT_EQ(valuesOf<UINT>(onlyCombo()->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE}));
}

TEST_F(EnumerationComboTest, DefaultIntervalIsAlwaysListedAndOthersFollowTheCaps)
{
    setHalCaps(D3DDEVCAPS_HWTRANSFORMANDLIGHT, D3DPRESENT_INTERVAL_TWO);
    runtime.deviceTypeOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT bb, bool) { return bb == D3DFMT_R5G6B5; };
    enumerate();
    const auto combos = allCombos(enumerator);
    ASSERT_EQ(combos.size(), 2u) << "a combo is kept with only the default interval";
    EXPECT_FALSE(combos[0]->windowed);
    EXPECT_EQ(valuesOf<UINT>(combos[0]->presentIntervals),
              (std::vector<UINT>{D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_TWO}));
    EXPECT_EQ(valuesOf<UINT>(combos[1]->presentIntervals), std::vector<UINT>{D3DPRESENT_INTERVAL_DEFAULT});
}
