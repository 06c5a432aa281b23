// The "Direct3D Settings" dialog: offers the enumeration tree as a cascade of
// drop-down lists and writes every selection into its own copy of the
// settings, into the windowed or the full-screen half according to the mode
// in force. The framework constructs it from its enumerator and a copy of its
// settings, calls runModal over the main window and, on IDOK, copies
// settings over its own; on IDCANCEL (or the window system's failure value
// when the dialog cannot be created) it ignores them. One dialog exists at a
// time: construction makes it the one the dialog procedure forwards to.
#pragma once

#include <windows.h>

#include "display/display_enumerator.h"
#include "display/display_settings.h"

class DisplaySettingsDialog {
public:
    DisplaySettingsDialog(DisplayEnumerator* enumerator, const DisplaySettings& settings);
    ~DisplaySettingsDialog();
    DisplaySettingsDialog(const DisplaySettingsDialog&) = delete;
    DisplaySettingsDialog& operator=(const DisplaySettingsDialog&) = delete;

    // Shows dialog template 144 of the program's module, owned by `parent`,
    // and returns IDOK or IDCANCEL; the window system's failure value (0 or
    // -1) when the dialog cannot be created.
    int runModal(HWND parent);

    // What the dialog procedure forwards every message to; TRUE when handled.
    INT_PTR handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND dialogWindow = nullptr;    // the dialog, from WM_INITDIALOG on
    DisplayEnumerator* enumerator;  // the tree offered; not owned
    DisplaySettings settings;       // the working copy: the caller's settings with the user's choices

private:
    // List operations on one drop-down list of the dialog, by control id.
    void add(int id, UINT_PTR value, const char* text);
    void selectByValue(int id, UINT_PTR value);
    void selectIndex(int id, int index);
    UINT_PTR selectedValue(int id) const;
    bool hasSelection(int id) const;
    int count(int id) const;
    void reset(int id);
    bool hasText(int id, const char* text) const;
    void selectFirstIfNone(int id);
    void enable(int id, bool enabled);

    // The half of the settings in force: windowed or full screen.
    struct Half {
        AdapterRecord*& adapter;
        DeviceRecord*& device;
        FormatCombo*& combo;
        D3DDISPLAYMODE& mode;
        D3DFORMAT& depthStencilFormat;
        D3DMULTISAMPLE_TYPE& multisampleType;
        UINT& multisampleQuality;
        VertexProcessingType& vertexProcessing;
        UINT& presentInterval;
    };
    Half currentHalf();

    void fillAdapters();
    void onAdapterChanged();
    void onDeviceChanged();
    void onModeChanged();
    void onAdapterFormatChanged();
    void onResolutionChanged();
    void onRefreshRateChanged();
    void onBackBufferFormatChanged();
    void onDepthStencilFormatChanged();
    void onMultisampleTypeChanged();
    void onMultisampleQualityChanged();
    void onVertexProcessingChanged();
    void onPresentIntervalChanged();
};
