#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display/display_enumerator.h"
#include "tests/display/enumeration_test_support.h"

// Refusing allocations through the two seams: tree objects (records and array
// objects) and array buffers. Leaks on these paths are caught by the
// sanitizer build's leak checker as each enumerator is destroyed.

namespace {

struct Refusal {
    enum Kind { Tree, Buffer };
    struct Allocation {
        Kind kind;
        size_t bytes;
    };
    static inline std::vector<Allocation> seen;
    static inline int refuseAt = -1;         // allocation number to refuse; -1 none
    static inline bool refuseLater = false;  // refuse every one from refuseAt on

    static void reset(int at = -1, bool later = false)
    {
        seen.clear();
        refuseAt = at;
        refuseLater = later;
    }
    static bool allow(Kind kind, size_t bytes)
    {
        const int number = static_cast<int>(seen.size());
        seen.push_back({kind, bytes});
        if (refuseAt < 0) return true;
        return refuseLater ? number < refuseAt : number != refuseAt;
    }
    static bool treeGate(size_t bytes) { return allow(Tree, bytes); }
    static void* buffer(size_t bytes) { return allow(Buffer, bytes) ? std::malloc(bytes) : nullptr; }

    // Number of the n-th (from 1) allocation of this kind and size, or -1.
    static int find(Kind kind, size_t bytes, int n)
    {
        for (size_t i = 0; i < seen.size(); ++i)
            if (seen[i].kind == kind && seen[i].bytes == bytes && --n == 0) return static_cast<int>(i);
        return -1;
    }
};

class EnumerationAllocationTest : public ::testing::Test {
protected:
    ScriptedDirect3D runtime;
    DisplayEnumerator enumerator;

    void SetUp() override
    {
        Refusal::reset();
        setTreeAllocationGateForTesting(&Refusal::treeGate);
        GrowableArray::setAllocatorForTesting(&Refusal::buffer);
    }
    void TearDown() override
    {
        setTreeAllocationGateForTesting(nullptr);
        GrowableArray::setAllocatorForTesting(nullptr);
    }

    // Two adapters (HAL and REF, then HAL alone), two back buffers, two depth
    // formats, all 17 multisample types (so both lists grow past 16) and D16
    // conflicting with every type but NONE: every kind of list is filled.
    static void script(ScriptedDirect3D& runtime)
    {
        ScriptedAdapter first = halAdapter("First");
        first.modes.push_back(displayMode(800, 600, 60, D3DFMT_X8R8G8B8));
        first.caps.push_back({D3DDEVTYPE_REF, capableCaps()});
        runtime.adapters = {first, halAdapter("Second")};
        runtime.deviceTypeOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT bb, bool) {
            return bb == D3DFMT_X8R8G8B8 || bb == D3DFMT_R5G6B5;
        };
        runtime.depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT ds) {
            return ds == D3DFMT_D16 || ds == D3DFMT_D24S8;
        };
        runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT surface, bool, D3DMULTISAMPLE_TYPE type) {
            return surface == D3DFMT_D16 && type != D3DMULTISAMPLE_NONE ? DWORD(0) : DWORD(type + 1);
        };
    }

    // Runs the scripted enumeration on a fresh runtime and enumerator.
    static HRESULT run(DisplayEnumerator& enumerator, ScriptedDirect3D& runtime)
    {
        script(runtime);
        enumerator.direct3d = &runtime;
        enumerator.useDepthBuffer = true;
        return enumerator.enumerateDisplay();
    }

    // Learns the allocation sequence of an undisturbed run.
    static void probe()
    {
        Refusal::reset();
        ScriptedDirect3D probeRuntime;
        DisplayEnumerator probeEnumerator;
        ASSERT_EQ(run(probeEnumerator, probeRuntime), S_OK);
    }

    // What a reader of the tree relies on, whatever was dropped.
    static void expectReadableTree(const DisplayEnumerator& enumerator)
    {
        for (AdapterRecord* adapter : recordsOf<AdapterRecord>(enumerator.adapters)) {
            ASSERT_NE(adapter->displayModes, nullptr);
            ASSERT_NE(adapter->devices, nullptr);
            EXPECT_GT(adapter->devices->count(), 0u);
            for (DeviceRecord* device : recordsOf<DeviceRecord>(adapter->devices)) {
                ASSERT_NE(device->combos, nullptr);
                EXPECT_GT(device->combos->count(), 0u);
            }
        }
        for (FormatCombo* combo : allCombos(enumerator)) {
            EXPECT_GT(combo->depthStencilFormats->count(), 0u);
            EXPECT_GT(combo->multisampleTypes->count(), 0u);
            EXPECT_GT(combo->vertexProcessingTypes->count(), 0u);
            ASSERT_LE(combo->multisampleTypes->count(), combo->multisampleQualities->count())
                << "every listed type has its quality count at the same index";
            const auto types = valuesOf<D3DMULTISAMPLE_TYPE>(combo->multisampleTypes);
            for (UINT i = 0; i < types.size(); ++i)
                EXPECT_EQ(*static_cast<UINT*>(combo->multisampleQualities->at(i)), UINT(types[i]) + 1) << i;
        }
    }
};

}  // namespace

TEST_F(EnumerationAllocationTest, EnumeratorArraysThatCannotBeMadeLeaveNothingBuilt)
{
    Refusal::reset(1);  // the allowed-format array object, made after the adapter array
    EXPECT_EQ(run(enumerator, runtime), E_OUTOFMEMORY);
    EXPECT_EQ(Refusal::seen.at(1).kind, Refusal::Tree);
    EXPECT_EQ(enumerator.adapters, nullptr);
    EXPECT_EQ(enumerator.allowedAdapterFormats, nullptr);
    EXPECT_TRUE(runtime.calls.empty());
}

TEST_F(EnumerationAllocationTest, AllowedFormatBufferFailureReturnsTheAppendsCode)
{
    probe();
    Refusal::reset(Refusal::find(Refusal::Buffer, 16 * sizeof(D3DFORMAT), 1));
    EXPECT_EQ(run(enumerator, runtime), E_OUTOFMEMORY);
    ASSERT_NE(enumerator.allowedAdapterFormats, nullptr);
    EXPECT_EQ(enumerator.allowedAdapterFormats->count(), 0u);
    EXPECT_TRUE(runtime.calls.empty()) << "no adapter is looked at";
}

TEST_F(EnumerationAllocationTest, RecordFailureEndsTheRunAndKeepsWhatIsInTheTree)
{
    probe();
    const int secondAdapter = Refusal::find(Refusal::Tree, sizeof(AdapterRecord), 2);
    ASSERT_GE(secondAdapter, 0);
    Refusal::reset(secondAdapter);
    EXPECT_EQ(run(enumerator, runtime), E_OUTOFMEMORY);
    const auto kept = recordsOf<AdapterRecord>(enumerator.adapters);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0]->ordinal, 0u);
    EXPECT_EQ(kept[0]->devices->count(), 2u);
    expectReadableTree(enumerator);
    EXPECT_TRUE(runtime.callsStartingWith("GetDeviceCaps(1").empty()) << "enumeration ends at the failure";
}

TEST_F(EnumerationAllocationTest, ComboFailureDeletesTheUnfinishedDeviceRecord)
{
    probe();
    // The first REF combo: HAL has four combos on the first adapter.
    const int refCombo = Refusal::find(Refusal::Tree, sizeof(FormatCombo), 5);
    ASSERT_GE(refCombo, 0);
    Refusal::reset(refCombo);
    EXPECT_EQ(run(enumerator, runtime), E_OUTOFMEMORY);
    EXPECT_EQ(enumerator.adapters->count(), 0u) << "the adapter record under construction is deleted";
}

TEST_F(EnumerationAllocationTest, OptionListDropsLeaveOnlyThatElementOut)
{
    probe();
    // Buffers of sixteen formats: allowed formats, the adapter's formats,
    // then the first combo's depth/stencil list, refused for D16 only.
    Refusal::reset(Refusal::find(Refusal::Buffer, 16 * sizeof(D3DFORMAT), 3));
    EXPECT_EQ(run(enumerator, runtime), S_OK);
    const auto combos = allCombos(enumerator);
    ASSERT_EQ(combos.size(), 12u);
    EXPECT_EQ(valuesOf<D3DFORMAT>(combos[0]->depthStencilFormats), std::vector<D3DFORMAT>{D3DFMT_D24S8});
    EXPECT_EQ(valuesOf<D3DFORMAT>(combos[1]->depthStencilFormats),
              (std::vector<D3DFORMAT>{D3DFMT_D16, D3DFMT_D24S8}));
    expectReadableTree(enumerator);
}

TEST_F(EnumerationAllocationTest, MultisampleListsStayAlignedWhenGrowthFails)
{
    probe();
    // The 17th type makes both lists grow to 32; the qualities grow first.
    const int qualityGrowth = Refusal::find(Refusal::Buffer, 32 * sizeof(UINT), 1);
    ASSERT_GE(qualityGrowth, 0);
    for (int at : {qualityGrowth, qualityGrowth + 1}) {
        SCOPED_TRACE(at);
        Refusal::reset(at);
        ScriptedDirect3D oneRuntime;
        DisplayEnumerator one;
        EXPECT_EQ(run(one, oneRuntime), S_OK);
        const FormatCombo* first = allCombos(one).at(0);
        EXPECT_EQ(first->multisampleTypes->count(), 16u);
        expectReadableTree(one);
    }
}

TEST_F(EnumerationAllocationTest, EveryRefusedAllocationIsReportedOrDroppedWithoutHarm)
{
    probe();
    const size_t total = Refusal::seen.size();
    ASSERT_GT(total, 50u);

    for (bool later : {false, true}) {
        for (size_t at = 0; at < total; ++at) {
            SCOPED_TRACE(std::string(later ? "refusing from " : "refusing only ") + std::to_string(at));
            Refusal::reset(static_cast<int>(at), later);
            ScriptedDirect3D oneRuntime;
            DisplayEnumerator one;
            const HRESULT hr = run(one, oneRuntime);
            if (Refusal::seen.at(at).kind == Refusal::Tree)
                EXPECT_EQ(hr, E_OUTOFMEMORY) << "a record or array object that cannot be made is reported";
            else
                EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << std::hex << hr;
            if (one.adapters != nullptr) expectReadableTree(one);
            if (HasFailure()) return;
        }
    }
}
