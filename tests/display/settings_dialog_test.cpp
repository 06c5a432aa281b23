#include "display/settings_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/display/settings_dialog_fixture.h"

TEST_F(SettingsDialogTest, OkWithoutChangesReturnsTheSettingsPassedIn)
{
    // The second adapter, found by its ordinal; and full screen in the second
    // adapter format: neither is the first item of its list.
    DisplaySettings secondAdapter = chosenSettings(true);
    secondAdapter.windowedAdapter = adapter(1);
    secondAdapter.windowedDevice = device(1, D3DDEVTYPE_HAL);
    secondAdapter.windowedCombo = combo(secondAdapter.windowedDevice, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
    DisplaySettings secondFormat = chosenSettings(false);
    secondFormat.fullscreenCombo = combo(secondFormat.fullscreenDevice, D3DFMT_R5G6B5, D3DFMT_R5G6B5, false);
    secondFormat.fullscreenMode = displayMode(1024, 768, 60, D3DFMT_R5G6B5);
    ASSERT_NE(secondAdapter.windowedCombo, nullptr);
    ASSERT_NE(secondFormat.fullscreenCombo, nullptr);

    const std::pair<const char*, DisplaySettings> cases[] = {{"windowed", chosenSettings(true)},
                                                             {"full screen", chosenSettings(false)},
                                                             {"second adapter", secondAdapter},
                                                             {"second adapter format", secondFormat}};
    for (const auto& [name, passed] : cases) {
        SCOPED_TRACE(name);
        DisplaySettingsDialog dialog(&enumerator, passed);
        EXPECT_EQ(runDialog(dialog, {[](HWND d) { click(d, IDOK); }}), IDOK);
        expectSameSettings(dialog.settings, passed);
    }
}

// Template and control numbers are the program's published resource
// interface: read here as numbers, not through the names that the code and
// the template share, so a renumbered name cannot pass unnoticed.
namespace {

struct TemplateLook {
    std::string caption;
    std::vector<int> missing;
    std::string windowedText, fullscreenText;
};
TemplateLook templateLook;

INT_PTR CALLBACK lookAtTemplate(HWND d, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return FALSE;
    char text[64] = "";
    GetWindowTextA(d, text, sizeof text);
    templateLook.caption = text;
    for (int id : {1000, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1016, 1018, 1, 2})
        if (GetDlgItem(d, id) == nullptr) templateLook.missing.push_back(id);
    GetWindowTextA(GetDlgItem(d, 1016), text, sizeof text);
    templateLook.windowedText = text;
    GetWindowTextA(GetDlgItem(d, 1018), text, sizeof text);
    templateLook.fullscreenText = text;
    EndDialog(d, 7);
    return TRUE;
}

}  // namespace

TEST_F(SettingsDialogTest, TemplateAndControlsAnswerToTheirPublishedNumbers)
{
    templateLook = {};
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144), driver.owner(), lookAtTemplate, 0),
              7);
    EXPECT_EQ(templateLook.caption, "Direct3D Settings");
    EXPECT_EQ(templateLook.missing, std::vector<int>{});
    EXPECT_EQ(templateLook.windowedText, "&Windowed");
    EXPECT_EQ(templateLook.fullscreenText, "&Fullscreen");

    DisplaySettingsDialog dialog(&enumerator, chosenSettings(false));
    EXPECT_EQ(runDialog(dialog, {[](HWND d) {
                  EXPECT_EQ(itemTexts(d, 1002), (Texts{"Scripted Adapter Zero", "Scripted Adapter One"}));
                  EXPECT_EQ(itemTexts(d, 1000), (Texts{"D3DDEVTYPE_HAL", "D3DDEVTYPE_REF"}));
                  EXPECT_TRUE(isChecked(d, 1018));
                  EXPECT_FALSE(isChecked(d, 1016));
                  EXPECT_EQ(itemTexts(d, 1003), (Texts{"D3DFMT_X8R8G8B8", "D3DFMT_R5G6B5"}));
                  EXPECT_EQ(selectedText(d, 1004), "1024 by 768");
                  EXPECT_EQ(selectedText(d, 1006), "75 Hz");
                  EXPECT_EQ(itemTexts(d, 1007), (Texts{"D3DFMT_A8R8G8B8", "D3DFMT_X8R8G8B8"}));
                  EXPECT_EQ(selectedText(d, 1008), "D3DFMT_D24X8");
                  EXPECT_EQ(selectedText(d, 1005), "D3DMULTISAMPLE_4_SAMPLES");
                  EXPECT_EQ(itemTexts(d, 1011), (Texts{"0", "1"}));
                  EXPECT_EQ(selectedText(d, 1009), "SOFTWARE_VP");
                  EXPECT_EQ(selectedText(d, 1010), "D3DPRESENT_INTERVAL_IMMEDIATE");
                  click(d, 1);
              }}),
              1);
}

TEST_F(SettingsDialogTest, OpensOnTheCurrentAdapterAndDeviceWithTheModeButtons)
{
    DisplaySettings passed = chosenSettings(true);
    passed.windowedDevice = device(0, D3DDEVTYPE_REF);
    passed.windowedCombo = combo(passed.windowedDevice, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true);
    passed.windowedVertexProcessing = SOFTWARE_VP;  // all the software device offers
    DisplaySettingsDialog dialog(&enumerator, passed);
    EXPECT_EQ(runDialog(dialog, {[](HWND d) {
                  EXPECT_EQ(itemTexts(d, IDC_ADAPTER_COMBO), (Texts{"Scripted Adapter Zero", "Scripted Adapter One"}));
                  EXPECT_EQ(selectedText(d, IDC_ADAPTER_COMBO), "Scripted Adapter Zero");
                  EXPECT_EQ(itemTexts(d, IDC_DEVICE_COMBO), (Texts{"D3DDEVTYPE_HAL", "D3DDEVTYPE_REF"}));
                  EXPECT_EQ(selectedText(d, IDC_DEVICE_COMBO), "D3DDEVTYPE_REF");
                  EXPECT_TRUE(isChecked(d, IDC_WINDOWED_RADIO));
                  EXPECT_FALSE(isChecked(d, IDC_FULLSCREEN_RADIO));
                  EXPECT_TRUE(isEnabled(d, IDC_WINDOWED_RADIO));
                  EXPECT_TRUE(isEnabled(d, IDC_FULLSCREEN_RADIO));
                  EXPECT_EQ(itemTexts(d, IDC_BACKBUFFER_COMBO), (Texts{"D3DFMT_A8R8G8B8", "D3DFMT_X8R8G8B8"}));
                  EXPECT_EQ(selectedText(d, IDC_BACKBUFFER_COMBO), "D3DFMT_A8R8G8B8");
                  EXPECT_EQ(itemTexts(d, IDC_VERTEXPROCESSING_COMBO), Texts{"SOFTWARE_VP"});
                  click(d, IDOK);
              }}),
              IDOK);
    expectSameSettings(dialog.settings, passed);
}

TEST_F(SettingsDialogTest, WindowedModeShowsTheDesktopAsOneDisabledItemPerList)
{
    for (UINT rate : {60u, 0u}) {
        DisplaySettings passed = chosenSettings(true);
        passed.windowedMode.RefreshRate = rate;
        DisplaySettingsDialog dialog(&enumerator, passed);
        runDialog(dialog, {[rate](HWND d) {
            EXPECT_EQ(itemTexts(d, IDC_ADAPTERFORMAT_COMBO), Texts{"D3DFMT_X8R8G8B8"});
            EXPECT_EQ(itemValues(d, IDC_ADAPTERFORMAT_COMBO), Values{D3DFMT_X8R8G8B8});
            EXPECT_EQ(itemTexts(d, IDC_RESOLUTION_COMBO), Texts{"1280 by 1024"});
            EXPECT_EQ(itemValues(d, IDC_RESOLUTION_COMBO), Values{packed(1280, 1024)});
            EXPECT_EQ(itemTexts(d, IDC_REFRESHRATE_COMBO), Texts{rate == 0 ? "Default Rate" : "60 Hz"});
            EXPECT_EQ(itemValues(d, IDC_REFRESHRATE_COMBO), Values{rate});
            for (int id : {IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO, IDC_REFRESHRATE_COMBO}) {
                EXPECT_FALSE(isEnabled(d, id)) << "list " << id;
                EXPECT_FALSE(selectedText(d, id).empty()) << "list " << id;
            }
            click(d, IDOK);
        }});
        expectSameSettings(dialog.settings, passed);
    }
}

TEST_F(SettingsDialogTest, FullScreenListsEachResolutionOnceInModeOrder)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(false));
    runDialog(dialog, {[](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_ADAPTERFORMAT_COMBO), (Texts{"D3DFMT_X8R8G8B8", "D3DFMT_R5G6B5"}));
                           EXPECT_EQ(itemTexts(d, IDC_RESOLUTION_COMBO),
                                     (Texts{"640 by 480", "800 by 600", "1024 by 768", "1280 by 1024"}));
                           EXPECT_EQ(itemValues(d, IDC_RESOLUTION_COMBO),
                                     (Values{packed(640, 480), packed(800, 600), packed(1024, 768), packed(1280, 1024)}));
                           const UINT_PTR value = itemValues(d, IDC_RESOLUTION_COMBO).at(2);
                           EXPECT_EQ(value & 0xFFFF, 1024u);
                           EXPECT_EQ(value >> 16, 768u);
                           EXPECT_EQ(selectedText(d, IDC_RESOLUTION_COMBO), "1024 by 768");
                           EXPECT_EQ(itemTexts(d, IDC_REFRESHRATE_COMBO), (Texts{"60 Hz", "75 Hz"}));
                           EXPECT_EQ(selectedText(d, IDC_REFRESHRATE_COMBO), "75 Hz");
                           for (int id : {IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO, IDC_REFRESHRATE_COMBO})
                               EXPECT_TRUE(isEnabled(d, id)) << "list " << id;
                           EXPECT_TRUE(chooseText(d, IDC_RESOLUTION_COMBO, "800 by 600"));
                       },
                       [](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_REFRESHRATE_COMBO), (Texts{"60 Hz", "85 Hz"}));
                           EXPECT_EQ(selectedText(d, IDC_REFRESHRATE_COMBO), "60 Hz") << "75 Hz is not offered";
                           EXPECT_TRUE(chooseText(d, IDC_REFRESHRATE_COMBO, "85 Hz"));
                       },
                       [](HWND d) { click(d, IDOK); }});
    const D3DDISPLAYMODE& mode = dialog.settings.fullscreenMode;
    EXPECT_EQ(mode.Width, 800u);
    EXPECT_EQ(mode.Height, 600u);
    EXPECT_EQ(mode.RefreshRate, 85u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
}

TEST_F(SettingsDialogTest, AnotherAdapterFormatRefillsModesAndBuffersBelowIt)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(false));
    runDialog(dialog, {[](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTERFORMAT_COMBO, "D3DFMT_R5G6B5")); },
                       [](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_RESOLUTION_COMBO), Texts{"1024 by 768"});
                           EXPECT_EQ(itemTexts(d, IDC_REFRESHRATE_COMBO), Texts{"60 Hz"});
                           EXPECT_EQ(itemTexts(d, IDC_BACKBUFFER_COMBO), Texts{"D3DFMT_R5G6B5"});
                           EXPECT_EQ(selectedText(d, IDC_DEPTHSTENCIL_COMBO), "D3DFMT_D24X8") << "kept where possible";
                           click(d, IDOK);
                       }});
    const DisplaySettings& s = dialog.settings;
    EXPECT_EQ(s.fullscreenCombo, combo(device(0, D3DDEVTYPE_HAL), D3DFMT_R5G6B5, D3DFMT_R5G6B5, false));
    EXPECT_EQ(s.fullscreenMode.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(s.fullscreenMode.RefreshRate, 60u);
    EXPECT_EQ(s.fullscreenDepthStencilFormat, D3DFMT_D24X8);
}

TEST_F(SettingsDialogTest, ConflictingMultisampleTypeIsHiddenUntilTheDepthFormatAllowsIt)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(false));
    const Texts all = {"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES", "D3DMULTISAMPLE_4_SAMPLES"};
    runDialog(dialog, {[&](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_DEPTHSTENCIL_COMBO),
                                     (Texts{"D3DFMT_D16", "D3DFMT_D24X8", "D3DFMT_D24S8"}));
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLETYPE_COMBO), all);
                           EXPECT_EQ(selectedText(d, IDC_MULTISAMPLETYPE_COMBO), "D3DMULTISAMPLE_4_SAMPLES");
                           EXPECT_TRUE(chooseText(d, IDC_DEPTHSTENCIL_COMBO, "D3DFMT_D24S8"));
                       },
                       [&](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLETYPE_COMBO), (Texts{all[0], all[1]}));
                           EXPECT_EQ(selectedText(d, IDC_MULTISAMPLETYPE_COMBO), all[0]) << "falls back to the first";
                           EXPECT_TRUE(chooseText(d, IDC_DEPTHSTENCIL_COMBO, "D3DFMT_D16"));
                       },
                       [&](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLETYPE_COMBO), all);
                           EXPECT_EQ(selectedText(d, IDC_MULTISAMPLETYPE_COMBO), all[0]) << "the stored type is NONE now";
                           click(d, IDOK);
                       }});
    EXPECT_EQ(dialog.settings.fullscreenDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(dialog.settings.fullscreenMultisampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(SettingsDialogTest, QualityListCountsTheLevelsOfTheChosenType)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(true));
    runDialog(dialog, {[](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLEQUALITY_COMBO), (Texts{"0", "1", "2", "3"}));
                           EXPECT_EQ(itemValues(d, IDC_MULTISAMPLEQUALITY_COMBO), (Values{0, 1, 2, 3}));
                           EXPECT_EQ(selectedText(d, IDC_MULTISAMPLEQUALITY_COMBO), "2");
                           EXPECT_TRUE(chooseText(d, IDC_MULTISAMPLETYPE_COMBO, "D3DMULTISAMPLE_NONE"));
                       },
                       [](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLEQUALITY_COMBO), Texts{"0"});
                           click(d, IDOK);
                       }});
    EXPECT_EQ(dialog.settings.windowedMultisampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(dialog.settings.windowedMultisampleQuality, 0u);
}

TEST_F(SettingsDialogTest, TypeWithoutQualityLevelsLeavesTheListEmptyAndTheQualityAlone)
{
    DisplaySettings passed = chosenSettings(true);
    passed.windowedDepthStencilFormat = D3DFMT_D24X8;  // takes 4 samples
    FormatCombo* windowedCombo = passed.windowedCombo;
    for (UINT i = 0; i < windowedCombo->multisampleTypes->count(); ++i)
        if (*static_cast<D3DMULTISAMPLE_TYPE*>(windowedCombo->multisampleTypes->at(i)) == D3DMULTISAMPLE_4_SAMPLES)
            *static_cast<UINT*>(windowedCombo->multisampleQualities->at(i)) = 0;
    DisplaySettingsDialog dialog(&enumerator, passed);
    runDialog(dialog, {[](HWND d) { EXPECT_TRUE(chooseText(d, IDC_MULTISAMPLETYPE_COMBO, "D3DMULTISAMPLE_4_SAMPLES")); },
                       [](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLEQUALITY_COMBO), Texts{});
                           click(d, IDOK);
                       }});
    EXPECT_EQ(dialog.settings.windowedMultisampleType, D3DMULTISAMPLE_4_SAMPLES);
    EXPECT_EQ(dialog.settings.windowedMultisampleQuality, 2u);
}

TEST_F(SettingsDialogTest, SwitchingModesUsesTheOtherHalfAndKeepsBoth)
{
    const DisplaySettings passed = chosenSettings(true);
    DisplaySettingsDialog dialog(&enumerator, passed);
    runDialog(dialog, {[](HWND d) { click(d, IDC_FULLSCREEN_RADIO); },
                       [&](HWND d) {
                           EXPECT_FALSE(dialog.settings.windowed);
                           for (int id : {IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO, IDC_REFRESHRATE_COMBO})
                               EXPECT_TRUE(isEnabled(d, id)) << "list " << id;
                           EXPECT_EQ(selectedText(d, IDC_RESOLUTION_COMBO), "1024 by 768");
                           EXPECT_EQ(selectedText(d, IDC_DEPTHSTENCIL_COMBO), "D3DFMT_D24X8");
                           EXPECT_EQ(selectedText(d, IDC_PRESENTINTERVAL_COMBO), "D3DPRESENT_INTERVAL_IMMEDIATE");
                           click(d, IDC_WINDOWED_RADIO);
                       },
                       [](HWND d) {
                           for (int id : {IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO, IDC_REFRESHRATE_COMBO})
                               EXPECT_FALSE(isEnabled(d, id)) << "list " << id;
                           EXPECT_EQ(selectedText(d, IDC_DEPTHSTENCIL_COMBO), "D3DFMT_D24S8");
                           click(d, IDOK);
                       }});
    expectSameSettings(dialog.settings, passed);
}

TEST_F(SettingsDialogTest, DeviceWithoutWindowedCombosForcesFullScreen)
{
    runtime.deviceTypeOk = [](UINT adapterOrdinal, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBuffer,
                              bool windowed) {
        return adapterOrdinal == 1 ? !windowed : adapterFormat == backBuffer;
    };
    DisplayEnumerator fullscreenOnlySecond;
    fullscreenOnlySecond.direct3d = &runtime;
    ASSERT_EQ(fullscreenOnlySecond.enumerateDisplay(), S_OK);
    DisplaySettings passed;
    passed.windowed = true;
    DisplaySettingsDialog dialog(&fullscreenOnlySecond, passed);
    runDialog(dialog, {[](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTER_COMBO, "Scripted Adapter One")); },
                       [](HWND d) {
                           EXPECT_FALSE(isEnabled(d, IDC_WINDOWED_RADIO));
                           EXPECT_TRUE(isEnabled(d, IDC_FULLSCREEN_RADIO));
                           EXPECT_TRUE(isChecked(d, IDC_FULLSCREEN_RADIO));
                           EXPECT_EQ(itemTexts(d, IDC_RESOLUTION_COMBO), Texts{"1024 by 768"});
                           click(d, IDOK);
                       }});
    EXPECT_FALSE(dialog.settings.windowed);
    ASSERT_NE(dialog.settings.fullscreenCombo, nullptr);
    EXPECT_EQ(dialog.settings.fullscreenCombo->adapterOrdinal, 1u);
    EXPECT_EQ(dialog.settings.fullscreenMode.Width, 1024u) << "a first full-screen choice takes the first items";
    EXPECT_EQ(dialog.settings.windowedCombo, nullptr) << "the windowed half was never chosen";
}

TEST_F(SettingsDialogTest, DeviceWithoutFullScreenCombosStillOffersFullScreenFormats)
{
    runtime.deviceTypeOk = [](UINT adapterOrdinal, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBuffer,
                              bool windowed) { return (adapterOrdinal == 0 || windowed) && adapterFormat == backBuffer; };
    DisplayEnumerator windowedOnlySecond;
    windowedOnlySecond.direct3d = &runtime;
    ASSERT_EQ(windowedOnlySecond.enumerateDisplay(), S_OK);
    DisplaySettings passed;
    passed.windowed = false;
    passed.windowedMode = displayMode(1280, 1024, 60, D3DFMT_X8R8G8B8);
    DisplaySettingsDialog dialog(&windowedOnlySecond, passed);
    runDialog(dialog, {[](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTER_COMBO, "Scripted Adapter One")); },
                       [](HWND d) {
                           EXPECT_TRUE(isEnabled(d, IDC_WINDOWED_RADIO));
                           EXPECT_FALSE(isEnabled(d, IDC_FULLSCREEN_RADIO));
                           // The settings were full screen: it stays checked though disabled.
                           EXPECT_TRUE(isChecked(d, IDC_FULLSCREEN_RADIO));
                           EXPECT_FALSE(isChecked(d, IDC_WINDOWED_RADIO));
                           // The format list takes every combo's format, windowed ones too.
                           EXPECT_EQ(itemTexts(d, IDC_ADAPTERFORMAT_COMBO), Texts{"D3DFMT_X8R8G8B8"});
                           EXPECT_EQ(itemTexts(d, IDC_BACKBUFFER_COMBO), Texts{});
                           click(d, IDC_WINDOWED_RADIO);
                       },
                       [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTER_COMBO, "Scripted Adapter Zero")); },
                       [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTER_COMBO, "Scripted Adapter One")); },
                       [](HWND d) {
                           EXPECT_TRUE(isChecked(d, IDC_WINDOWED_RADIO)) << "windowed settings and a windowed combo";
                           EXPECT_EQ(itemTexts(d, IDC_BACKBUFFER_COMBO), Texts{"D3DFMT_X8R8G8B8"});
                           click(d, IDOK);
                       }});
    EXPECT_TRUE(dialog.settings.windowed);
    ASSERT_NE(dialog.settings.windowedCombo, nullptr);
    EXPECT_EQ(dialog.settings.windowedCombo->adapterOrdinal, 1u);
}

TEST_F(SettingsDialogTest, BackBufferWithoutTheStoredDepthFormatSelectsItsFirst)
{
    // The A8R8G8B8 combo offers D24S8 first and lacks the stored D24X8.
    DisplaySettings passed = chosenSettings(false);
    FormatCombo* alpha = combo(passed.fullscreenDevice, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, false);
    ASSERT_NE(alpha, nullptr);
    alpha->depthStencilFormats->empty();
    for (D3DFORMAT format : {D3DFMT_D24S8, D3DFMT_D16}) ASSERT_EQ(alpha->depthStencilFormats->append(&format), S_OK);
    DisplaySettingsDialog dialog(&enumerator, passed);
    runDialog(dialog, {[](HWND d) { EXPECT_TRUE(chooseText(d, IDC_BACKBUFFER_COMBO, "D3DFMT_A8R8G8B8")); },
                       [](HWND d) {
                           EXPECT_EQ(itemTexts(d, IDC_DEPTHSTENCIL_COMBO), (Texts{"D3DFMT_D24S8", "D3DFMT_D16"}));
                           EXPECT_EQ(selectedText(d, IDC_DEPTHSTENCIL_COMBO), "D3DFMT_D24S8");
                           // Its handler ran: D24S8 cannot take 4 samples.
                           EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLETYPE_COMBO),
                                     (Texts{"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES"}));
                           click(d, IDOK);
                       }});
    EXPECT_EQ(dialog.settings.fullscreenCombo, alpha);
    EXPECT_EQ(dialog.settings.fullscreenDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(dialog.settings.fullscreenMultisampleType, D3DMULTISAMPLE_NONE);
}

TEST_F(SettingsDialogTest, WithoutDepthBufferTheDepthListIsDisabledAndNotUsed)
{
    enumerator.useDepthBuffer = false;
    const DisplaySettings passed = chosenSettings(false);
    DisplaySettingsDialog dialog(&enumerator, passed);
    runDialog(dialog, {[](HWND d) {
        EXPECT_EQ(itemTexts(d, IDC_DEPTHSTENCIL_COMBO), Texts{"(not used)"});
        EXPECT_EQ(itemValues(d, IDC_DEPTHSTENCIL_COMBO), Values{0});
        EXPECT_FALSE(isEnabled(d, IDC_DEPTHSTENCIL_COMBO));
        EXPECT_EQ(itemTexts(d, IDC_MULTISAMPLETYPE_COMBO).size(), 3u) << "no depth format, no conflicts";
        click(d, IDOK);
    }});
    EXPECT_EQ(dialog.settings.fullscreenDepthStencilFormat, D3DFMT_D24X8) << "stored format left alone";
}

TEST_F(SettingsDialogTest, DesktopFormatWithoutWindowedComboLeavesTheBuffersEmpty)
{
    DisplaySettings passed = chosenSettings(true);
    passed.windowedMode.Format = D3DFMT_R5G6B5;
    DisplaySettingsDialog dialog(&enumerator, passed);
    runDialog(dialog, {[](HWND d) {
        EXPECT_EQ(itemTexts(d, IDC_ADAPTERFORMAT_COMBO), Texts{"D3DFMT_R5G6B5"});
        EXPECT_EQ(itemTexts(d, IDC_BACKBUFFER_COMBO), Texts{});
        EXPECT_EQ(itemTexts(d, IDC_DEPTHSTENCIL_COMBO), Texts{});
        click(d, IDOK);
    }});
    expectSameSettings(dialog.settings, passed);
}

TEST_F(SettingsDialogTest, LongAdapterDescriptionIsCutAndTerminated)
{
    std::memset(adapter(1)->identifier.Description, 'x', sizeof adapter(1)->identifier.Description);
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(true));
    runDialog(dialog, {[](HWND d) {
        const Texts texts = itemTexts(d, IDC_ADAPTER_COMBO);
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1], std::string(511, 'x'));
        click(d, IDOK);
    }});
}

// Ends a dialog after many changes in one of the three ways of cancelling.
void cancelBy(HWND d, int way)
{
    if (way == 0) click(d, IDCANCEL);
    if (way == 1) PostMessageA(d, WM_KEYDOWN, VK_ESCAPE, 0);
    if (way == 2) PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST_F(SettingsDialogTest, CancelEscapeAndCloseBoxAllEndWithCancel)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way == 0 ? "Cancel" : way == 1 ? "Esc" : "close box");
        DisplaySettingsDialog dialog(&enumerator, chosenSettings(true));
        const int result = runDialog(
            dialog, {[](HWND d) { click(d, IDC_FULLSCREEN_RADIO); },
                     [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_RESOLUTION_COMBO, "640 by 480")); },
                     [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_DEPTHSTENCIL_COMBO, "D3DFMT_D16")); },
                     [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_ADAPTER_COMBO, "Scripted Adapter One")); },
                     [](HWND d) { EXPECT_TRUE(chooseText(d, IDC_VERTEXPROCESSING_COMBO, "PURE_HARDWARE_VP")); },
                     [&](HWND d) {
                         EXPECT_EQ(dialog.settings.fullscreenAdapter, adapter(1)) << "the copy did change";
                         cancelBy(d, way);
                     }});
        // The caller adopts the working copy only on IDOK; it has changed.
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(dialog.settings.fullscreenAdapter, adapter(1));
    }
}

void expectSameSettings(const DisplaySettings& a, const DisplaySettings& b)
{
    EXPECT_EQ(a.windowed, b.windowed);
    EXPECT_EQ(a.windowedAdapter, b.windowedAdapter);
    EXPECT_EQ(a.windowedDevice, b.windowedDevice);
    EXPECT_EQ(a.windowedCombo, b.windowedCombo);
    EXPECT_EQ(std::memcmp(&a.windowedMode, &b.windowedMode, sizeof a.windowedMode), 0);
    EXPECT_EQ(a.windowedDepthStencilFormat, b.windowedDepthStencilFormat);
    EXPECT_EQ(a.windowedMultisampleType, b.windowedMultisampleType);
    EXPECT_EQ(a.windowedMultisampleQuality, b.windowedMultisampleQuality);
    EXPECT_EQ(a.windowedVertexProcessing, b.windowedVertexProcessing);
    EXPECT_EQ(a.windowedPresentInterval, b.windowedPresentInterval);
    EXPECT_EQ(a.fullscreenAdapter, b.fullscreenAdapter);
    EXPECT_EQ(a.fullscreenDevice, b.fullscreenDevice);
    EXPECT_EQ(a.fullscreenCombo, b.fullscreenCombo);
    EXPECT_EQ(std::memcmp(&a.fullscreenMode, &b.fullscreenMode, sizeof a.fullscreenMode), 0);
    EXPECT_EQ(a.fullscreenDepthStencilFormat, b.fullscreenDepthStencilFormat);
    EXPECT_EQ(a.fullscreenMultisampleType, b.fullscreenMultisampleType);
    EXPECT_EQ(a.fullscreenMultisampleQuality, b.fullscreenMultisampleQuality);
    EXPECT_EQ(a.fullscreenVertexProcessing, b.fullscreenVertexProcessing);
    EXPECT_EQ(a.fullscreenPresentInterval, b.fullscreenPresentInterval);
}
