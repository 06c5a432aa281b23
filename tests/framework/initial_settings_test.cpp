// The first windowed and full-screen configurations chosen from enumeration
// trees built by hand (so that orders the enumerator never produces, such as
// REF before HAL, can be tried), with desktop modes from a scripted runtime.
#include <gtest/gtest.h>

#include "framework/application.h"
#include "tests/display/scripted_direct3d.h"

namespace {

class SettingsProbe : public Application {
public:
    using Application::chooseInitialSettings;
    using Application::direct3d;
    using Application::enumerator;
    using Application::pickFullscreenSettings;
    using Application::pickWindowedSettings;
    using Application::settings;
    using Application::startFullscreen;
    ~SettingsProbe() override { direct3d = nullptr; }  // the scripted runtime is the test's
};

class InitialSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application::resetProcessStateForTesting();
        app.direct3d = &runtime;
        app.enumerator.adapters = newTreeArray(ByPointer, sizeof(AdapterRecord*));
        ASSERT_NE(app.enumerator.adapters, nullptr);
    }
    void TearDown() override { Application::resetProcessStateForTesting(); }

    // An adapter whose desktop runs in `desktop`, with these full-screen modes.
    AdapterRecord* adapter(const D3DDISPLAYMODE& desktop, std::vector<D3DDISPLAYMODE> modes = {})
    {
        const UINT ordinal = app.enumerator.adapters->count();
        ScriptedAdapter scripted;
        scripted.desktopMode = desktop;
        runtime.adapters.push_back(scripted);
        AdapterRecord* record = AdapterRecord::create(ordinal);
        for (const D3DDISPLAYMODE& mode : modes) record->displayModes->append(&mode);
        app.enumerator.adapters->append(record);
        return record;
    }
    DeviceRecord* device(AdapterRecord* adapter, D3DDEVTYPE type)
    {
        DeviceRecord* record = DeviceRecord::create(adapter->ordinal, type);
        adapter->devices->append(record);
        return record;
    }
    FormatCombo* combo(DeviceRecord* device, D3DFORMAT adapterFormat, D3DFORMAT backBuffer, bool windowed)
    {
        FormatCombo* record = FormatCombo::create();
        record->adapterOrdinal = device->adapterOrdinal;
        record->deviceType = device->deviceType;
        record->adapterFormat = adapterFormat;
        record->backBufferFormat = backBuffer;
        record->windowed = windowed;
        const D3DFORMAT depths[] = {D3DFMT_D24S8, D3DFMT_D16};
        for (const D3DFORMAT& depth : depths) record->depthStencilFormats->append(&depth);
        const D3DMULTISAMPLE_TYPE samples[] = {D3DMULTISAMPLE_2_SAMPLES, D3DMULTISAMPLE_NONE};
        for (const D3DMULTISAMPLE_TYPE& type : samples) record->multisampleTypes->append(&type);
        const VertexProcessingType processing[] = {HARDWARE_VP, SOFTWARE_VP};
        for (const VertexProcessingType& type : processing) record->vertexProcessingTypes->append(&type);
        const UINT intervals[] = {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_ONE};
        for (const UINT& interval : intervals) record->presentIntervals->append(&interval);
        device->combos->append(record);
        return record;
    }

    ScriptedDirect3D runtime;
    SettingsProbe app;
    const D3DDISPLAYMODE desktop = displayMode(1280, 1024, 60, D3DFMT_X8R8G8B8);
};

TEST_F(InitialSettings, HalWinsBothSearchesEvenWhenRefComesFirst)
{
    AdapterRecord* a = adapter(desktop, {desktop});
    // REF first and exact, HAL later with another back-buffer format.
    DeviceRecord* ref = device(a, D3DDEVTYPE_REF);
    combo(ref, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    combo(ref, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    DeviceRecord* hal = device(a, D3DDEVTYPE_HAL);
    FormatCombo* halWindowed = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true);
    FormatCombo* halFullscreen = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false);

    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    EXPECT_EQ(app.settings.windowedCombo, halWindowed);
    EXPECT_EQ(app.settings.windowedDevice, hal);
    EXPECT_EQ(app.settings.windowedAdapter, a);
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.fullscreenCombo, halFullscreen);
    EXPECT_EQ(app.settings.fullscreenDevice, hal);
}

TEST_F(InitialSettings, WindowedSearchStoresTheDesktopModeAndEachListsFirstEntry)
{
    FormatCombo* chosen = combo(device(adapter(desktop), D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    app.enumerator.useDepthBuffer = true;
    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    const DisplaySettings& s = app.settings;
    EXPECT_TRUE(s.windowed);
    EXPECT_EQ(s.windowedCombo, chosen);
    EXPECT_EQ(s.windowedMode.Width, 1280u);
    EXPECT_EQ(s.windowedMode.Height, 1024u);
    EXPECT_EQ(s.windowedMode.RefreshRate, 60u);
    EXPECT_EQ(s.windowedMode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(s.windowedDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(s.windowedMultisampleType, D3DMULTISAMPLE_2_SAMPLES);
    EXPECT_EQ(s.windowedMultisampleQuality, 0u);
    EXPECT_EQ(s.windowedVertexProcessing, HARDWARE_VP);
    EXPECT_EQ(s.windowedPresentInterval, UINT(D3DPRESENT_INTERVAL_IMMEDIATE));
}

TEST_F(InitialSettings, WithoutDepthBufferTheDepthFormatIsLeftAlone)
{
    combo(device(adapter(desktop, {desktop}), D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    combo(static_cast<DeviceRecord*>(static_cast<AdapterRecord*>(app.enumerator.adapters->at(0))->devices->at(0)),
          D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    app.settings.windowedDepthStencilFormat = D3DFMT_D32;
    app.settings.fullscreenDepthStencilFormat = D3DFMT_D32;
    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.windowedDepthStencilFormat, D3DFMT_D32);
    EXPECT_EQ(app.settings.fullscreenDepthStencilFormat, D3DFMT_D32);
}

TEST_F(InitialSettings, WindowedHalMismatchStaysBestUntilAnExactHalComboEndsTheWalk)
{
    AdapterRecord* a = adapter(desktop);
    DeviceRecord* hal = device(a, D3DDEVTYPE_HAL);
    FormatCombo* mismatch = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true);
    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    EXPECT_EQ(app.settings.windowedCombo, mismatch);

    FormatCombo* exact = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    // A later exact one would replace `exact` if the walk went on.
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    combo(device(adapter(desktop), D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    EXPECT_EQ(app.settings.windowedCombo, exact);
}

TEST_F(InitialSettings, WindowedSearchSkipsFullscreenCombosAndOtherAdapterFormats)
{
    AdapterRecord* a = adapter(desktop);
    DeviceRecord* hal = device(a, D3DDEVTYPE_HAL);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    combo(hal, D3DFMT_R5G6B5, D3DFMT_R5G6B5, true);
    EXPECT_FALSE(app.pickWindowedSettings(false, false));
    EXPECT_EQ(app.settings.windowedCombo, nullptr);
}

TEST_F(InitialSettings, WindowedSearchUsesTheDefaultAdaptersDesktopForEveryAdapter)
{
    adapter(desktop);
    // The second adapter's own desktop is 16-bit, but only adapter 0's counts.
    AdapterRecord* second = adapter(displayMode(800, 600, 75, D3DFMT_R5G6B5));
    FormatCombo* x8 = combo(device(second, D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    ASSERT_TRUE(app.pickWindowedSettings(false, false));
    EXPECT_EQ(app.settings.windowedCombo, x8);
    EXPECT_EQ(app.settings.windowedAdapter, second);
    EXPECT_EQ(app.settings.windowedMode.Width, 1280u);
}

TEST_F(InitialSettings, RequireRefNeverVisitsHalAndRequireHalNeverVisitsRef)
{
    AdapterRecord* a = adapter(desktop);
    DeviceRecord* hal = device(a, D3DDEVTYPE_HAL);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    DeviceRecord* ref = device(a, D3DDEVTYPE_REF);
    FormatCombo* refMismatch = combo(ref, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true);
    FormatCombo* refExact = combo(ref, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);

    ASSERT_TRUE(app.pickWindowedSettings(false, true));
    EXPECT_EQ(app.settings.windowedDevice, ref);
    // Rule 3 and the early stop are for HAL combos only: the first REF one stays.
    EXPECT_EQ(app.settings.windowedCombo, refMismatch);
    (void)refExact;

    app.settings = DisplaySettings();
    ASSERT_TRUE(app.pickWindowedSettings(true, false));
    EXPECT_EQ(app.settings.windowedDevice, hal);

    // Without a REF device the reference search finds nothing.
    GrowableArray* devices = a->devices;
    for (UINT i = 0; i < devices->count(); ++i) delete static_cast<DeviceRecord*>(devices->at(i));
    devices->empty();
    combo(device(a, D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    EXPECT_FALSE(app.pickWindowedSettings(false, true));
}

TEST_F(InitialSettings, FullscreenSearchPrefersTheDesktopFormatThenTheExactCombo)
{
    AdapterRecord* a = adapter(desktop, {desktop});
    DeviceRecord* hal = device(a, D3DDEVTYPE_HAL);
    FormatCombo* other = combo(hal, D3DFMT_R5G6B5, D3DFMT_R5G6B5, false);
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.fullscreenCombo, other);

    // Rule 3: a desktop-format combo replaces a best of another format.
    FormatCombo* desktopFormat = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false);
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.fullscreenCombo, desktopFormat);

    // Rule 4 and the stop: the exact one wins and nothing after it is looked at.
    FormatCombo* exact = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.fullscreenCombo, exact);
    EXPECT_FALSE(app.settings.windowed);
    EXPECT_EQ(app.settings.fullscreenPresentInterval, 0u);  // the default, not the list's first
    EXPECT_EQ(app.settings.fullscreenVertexProcessing, HARDWARE_VP);
    EXPECT_EQ(app.settings.fullscreenMultisampleType, D3DMULTISAMPLE_2_SAMPLES);
}

TEST_F(InitialSettings, FullscreenRuleThreeComparesWithTheDesktopOfTheAdapterBeingWalked)
{
    // Adapter 0 runs its desktop in 32 bits, adapter 1 in 16 bits.
    const D3DDISPLAYMODE desktop16 = displayMode(1024, 768, 75, D3DFMT_R5G6B5);
    AdapterRecord* first = adapter(desktop, {desktop});
    AdapterRecord* second = adapter(desktop16, {desktop16});
    // A 32-bit best of adapter 0 differs from adapter 1's desktop: adapter 1's
    // 16-bit combination, which matches its own desktop, replaces it.
    combo(device(first, D3DDEVTYPE_HAL), D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false);
    FormatCombo* sixteen = combo(device(second, D3DDEVTYPE_HAL), D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, false);
    ASSERT_TRUE(app.pickFullscreenSettings(false, false));
    EXPECT_EQ(app.settings.fullscreenCombo, sixteen);
    EXPECT_EQ(app.settings.fullscreenAdapter, second);
    EXPECT_EQ(app.settings.fullscreenMode.Width, 1024u);
}

TEST_F(InitialSettings, FullscreenModeRules)
{
    const D3DFORMAT x8 = D3DFMT_X8R8G8B8;
    struct Case {
        const char* what;
        std::vector<D3DDISPLAYMODE> modes;
        D3DDISPLAYMODE expected;
    };
    const Case cases[] = {
        {"exact size and rate ends the walk",
         {displayMode(1280, 1024, 60, x8), displayMode(1280, 1024, 75, x8)},
         displayMode(1280, 1024, 60, x8)},
        {"same size with a higher rate replaces",
         {displayMode(640, 480, 60, x8), displayMode(1280, 1024, 50, x8), displayMode(1280, 1024, 70, x8)},
         displayMode(1280, 1024, 70, x8)},
        {"a later mode of the desktop's width replaces an exact-size one (rule 3)",
         {displayMode(1280, 1024, 75, x8), displayMode(1280, 1200, 60, x8)},
         displayMode(1280, 1200, 60, x8)},
        {"without a match the first mode is kept",
         {displayMode(640, 480, 60, x8), displayMode(800, 600, 60, x8)},
         displayMode(640, 480, 60, x8)},
        {"modes of other formats are ignored",
         {displayMode(1280, 1024, 60, D3DFMT_R5G6B5), displayMode(800, 600, 60, x8)},
         displayMode(800, 600, 60, x8)},
        {"no mode of the adapter format leaves the mode all zero",
         {displayMode(1280, 1024, 60, D3DFMT_R5G6B5)},
         D3DDISPLAYMODE{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsProbe probe;
        ScriptedDirect3D scripted;
        ScriptedAdapter scriptedAdapter;
        scriptedAdapter.desktopMode = desktop;
        scripted.adapters.push_back(scriptedAdapter);
        probe.direct3d = &scripted;
        probe.enumerator.adapters = newTreeArray(ByPointer, sizeof(AdapterRecord*));
        AdapterRecord* a = AdapterRecord::create(0);
        for (const D3DDISPLAYMODE& mode : c.modes) a->displayModes->append(&mode);
        probe.enumerator.adapters->append(a);
        DeviceRecord* hal = DeviceRecord::create(0, D3DDEVTYPE_HAL);
        a->devices->append(hal);
        FormatCombo* fc = FormatCombo::create();
        fc->adapterFormat = x8;
        fc->backBufferFormat = x8;
        hal->combos->append(fc);

        ASSERT_TRUE(probe.pickFullscreenSettings(false, false));
        const D3DDISPLAYMODE& got = probe.settings.fullscreenMode;
        EXPECT_EQ(got.Width, c.expected.Width);
        EXPECT_EQ(got.Height, c.expected.Height);
        EXPECT_EQ(got.RefreshRate, c.expected.RefreshRate);
        EXPECT_EQ(got.Format, c.expected.Format);
    }
}

TEST_F(InitialSettings, DesktopFormatMatchingNoWindowedComboStartsInFullScreen)
{
    DeviceRecord* hal = device(adapter(displayMode(1024, 768, 60, D3DFMT_R5G6B5), {desktop}), D3DDEVTYPE_HAL);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    FormatCombo* fullscreen = combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    ASSERT_EQ(app.chooseInitialSettings(), S_OK);
    EXPECT_FALSE(app.settings.windowed);
    EXPECT_EQ(app.settings.windowedCombo, nullptr);
    EXPECT_EQ(app.settings.fullscreenCombo, fullscreen);
}

TEST_F(InitialSettings, ChoiceStartsWindowedUnlessFullScreenIsPreferred)
{
    DeviceRecord* hal = device(adapter(desktop, {desktop}), D3DDEVTYPE_HAL);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
    ASSERT_EQ(app.chooseInitialSettings(), S_OK);
    EXPECT_TRUE(app.settings.windowed);
    EXPECT_NE(app.settings.windowedCombo, nullptr);
    EXPECT_NE(app.settings.fullscreenCombo, nullptr);

    app.startFullscreen = true;
    ASSERT_EQ(app.chooseInitialSettings(), S_OK);
    EXPECT_FALSE(app.settings.windowed);
}

TEST_F(InitialSettings, NothingUsableIsNoUsableDevice)
{
    adapter(desktop);
    EXPECT_EQ(app.chooseInitialSettings(), HRESULT(NoUsableDevice));
    // A desktop mode the runtime cannot tell matches no combination.
    DeviceRecord* hal = device(adapter(D3DDISPLAYMODE{}), D3DDEVTYPE_HAL);
    combo(hal, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    runtime.adapters[0].desktopMode = D3DDISPLAYMODE{};
    EXPECT_FALSE(app.pickWindowedSettings(false, false));
}

}  // namespace
