// The settings dialog tests' fixture: a scripted runtime enumerated into a
// tree with two adapters, several modes and formats, a conflict between a
// depth format and a multisample type, and a driver for the dialog.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/settings_dialog.h"
#include "tests/display/dialog_driver.h"
#include "tests/display/enumeration_test_support.h"

using Texts = std::vector<std::string>;
using Values = std::vector<UINT_PTR>;

inline UINT_PTR packed(UINT width, UINT height) { return (UINT_PTR(height) << 16) | width; }

// Adapter 0: four sizes in X8R8G8B8 (one per refresh rate in the mode list)
// and 1024 x 768 in R5G6B5 too; a HAL device and a REF device. Adapter 1: one
// mode, HAL only. Windowed combos exist for the X8R8G8B8 desktop only.
inline ScriptedAdapter richAdapter()
{
    ScriptedAdapter adapter;
    adapter.description = "Scripted Adapter Zero";
    adapter.modes = {displayMode(1280, 1024, 60, D3DFMT_X8R8G8B8), displayMode(1024, 768, 75, D3DFMT_X8R8G8B8),
                     displayMode(640, 480, 60, D3DFMT_X8R8G8B8),   displayMode(1024, 768, 60, D3DFMT_X8R8G8B8),
                     displayMode(800, 600, 85, D3DFMT_X8R8G8B8),   displayMode(800, 600, 60, D3DFMT_X8R8G8B8),
                     displayMode(640, 480, 75, D3DFMT_X8R8G8B8),   displayMode(1024, 768, 60, D3DFMT_R5G6B5)};
    D3DCAPS9 software = capableCaps();
    software.DevCaps = 0;
    adapter.caps = {{D3DDEVTYPE_HAL, capableCaps()}, {D3DDEVTYPE_REF, software}};
    return adapter;
}

class SettingsDialogTest : public EnumerationTest {
protected:
    DialogDriver driver;

    void SetUp() override
    {
        EnumerationTest::SetUp();
        runtime.adapters = {richAdapter(), halAdapter("Scripted Adapter One")};
        runtime.deviceTypeOk = [](UINT, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBuffer, bool windowed) {
            if (adapterFormat == D3DFMT_R5G6B5) return !windowed && backBuffer == D3DFMT_R5G6B5;
            return backBuffer == D3DFMT_X8R8G8B8 || backBuffer == D3DFMT_A8R8G8B8;
        };
        runtime.depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT depth) {
            return depth == D3DFMT_D16 || depth == D3DFMT_D24X8 || depth == D3DFMT_D24S8;
        };
        // Back buffers take 2 samples (4 qualities) and 4 samples (2); a
        // D24S8 buffer cannot take 4 samples.
        runtime.multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT surface, bool, D3DMULTISAMPLE_TYPE type) {
            if (type == D3DMULTISAMPLE_NONE) return DWORD(1);
            if (type == D3DMULTISAMPLE_2_SAMPLES) return DWORD(4);
            if (type == D3DMULTISAMPLE_4_SAMPLES) return surface == D3DFMT_D24S8 ? DWORD(0) : DWORD(2);
            return DWORD(0);
        };
        enumerator.useDepthBuffer = true;
        enumerate();
        ASSERT_NE(driver.owner(), nullptr);
    }

    AdapterRecord* adapter(UINT index) { return recordsOf<AdapterRecord>(enumerator.adapters).at(index); }
    DeviceRecord* device(UINT adapterIndex, D3DDEVTYPE type)
    {
        for (DeviceRecord* record : recordsOf<DeviceRecord>(adapter(adapterIndex)->devices))
            if (record->deviceType == type) return record;
        return nullptr;
    }
    FormatCombo* combo(DeviceRecord* record, D3DFORMAT adapterFormat, D3DFORMAT backBuffer, bool windowed)
    {
        for (FormatCombo* candidate : recordsOf<FormatCombo>(record->combos))
            if (candidate->adapterFormat == adapterFormat && candidate->backBufferFormat == backBuffer &&
                candidate->windowed == windowed)
                return candidate;
        return nullptr;
    }

    // Both halves chosen, and none of their option values the first of its
    // list, so that a list that merely selects its first item shows up.
    DisplaySettings chosenSettings(bool windowed)
    {
        DisplaySettings s;
        s.windowed = windowed;
        s.windowedAdapter = adapter(0);
        s.windowedDevice = device(0, D3DDEVTYPE_HAL);
        s.windowedCombo = combo(s.windowedDevice, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true);
        s.windowedMode = displayMode(1280, 1024, 60, D3DFMT_X8R8G8B8);
        s.windowedDepthStencilFormat = D3DFMT_D24S8;
        s.windowedMultisampleType = D3DMULTISAMPLE_2_SAMPLES;
        s.windowedMultisampleQuality = 2;
        s.windowedVertexProcessing = HARDWARE_VP;
        s.windowedPresentInterval = D3DPRESENT_INTERVAL_ONE;
        s.fullscreenAdapter = adapter(0);
        s.fullscreenDevice = device(0, D3DDEVTYPE_HAL);
        s.fullscreenCombo = combo(s.fullscreenDevice, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, false);
        s.fullscreenMode = displayMode(1024, 768, 75, D3DFMT_X8R8G8B8);
        s.fullscreenDepthStencilFormat = D3DFMT_D24X8;
        s.fullscreenMultisampleType = D3DMULTISAMPLE_4_SAMPLES;
        s.fullscreenMultisampleQuality = 1;
        s.fullscreenVertexProcessing = SOFTWARE_VP;
        s.fullscreenPresentInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return s;
    }

    // Opens the dialog on `settings`, plays the steps and returns what ended it.
    int runDialog(DisplaySettingsDialog& dialog, std::vector<DialogDriver::Step> steps)
    {
        const int result = driver.run(dialog, std::move(steps));
        EXPECT_FALSE(driver.gaveUp()) << "the script left the dialog open or its cascade never settled";
        return result;
    }
};

// Every field of the two records equal, each reported on its own.
void expectSameSettings(const DisplaySettings& a, const DisplaySettings& b);

