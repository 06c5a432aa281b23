// The settings dialog as the Linux layer shows it: a real window under the
// private X server, photographed, and a list item picked with the mouse
// through the layer's own input path. Linux only.
#include <gtest/gtest.h>
#include <q31_automation.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/display/settings_dialog_fixture.h"
#include "tests/support/png_writer.h"

namespace {

struct Frame {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

int channelDistance(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        const int d = std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff));
        if (d > largest) largest = d;
    }
    return largest;
}

// Pixels inside `rect` that differ from `background` by more than 64 in a
// channel: text or frame lines drawn there.
int inkInside(const Frame& frame, const RECT& rect, uint32_t background)
{
    int ink = 0;
    for (int y = std::max(0, int(rect.top)); y < std::min(frame.height, int(rect.bottom)); ++y)
        for (int x = std::max(0, int(rect.left)); x < std::min(frame.width, int(rect.right)); ++x)
            if (channelDistance(frame.at(x, y), background) > 64) ++ink;
    return ink;
}

POINT centreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// The script, one stage per idle point of the dialog's modal loop.
struct OnScreenScript {
    DisplaySettingsDialog* dialog = nullptr;
    int stage = 0;
    int idles = 0;
    Frame closed;
    Frame open;
    RECT resolutionField = {};
    RECT firstItem = {};
    std::string picked;
    UINT storedWidth = 0;
    Texts refreshRates;
};

bool readFrame(HWND dialog, Frame* frame)
{
    return q31automation::readFrame(dialog, &frame->pixels, &frame->width, &frame->height) && frame->width > 0 &&
           frame->height > 0;
}

void onIdle(HWND dialog, void* context)
{
    OnScreenScript& script = *static_cast<OnScreenScript*>(context);
    if (++script.idles > 500) {  // the script is stuck; end rather than hang
        EndDialog(dialog, IDABORT);
        return;
    }
    switch (script.stage) {
    case 0:  // the cascade has settled: photograph, then open the resolution list
        if (!readFrame(dialog, &script.closed) ||
            !q31automation::dialogItemRect(dialog, IDC_RESOLUTION_COMBO, &script.resolutionField))
            break;
        q31automation::click(dialog, centreOf(script.resolutionField).x, centreOf(script.resolutionField).y);
        script.stage = 1;
        break;
    case 1:  // the list is open: photograph it and pick its first item
        if (!q31automation::comboListItemRect(dialog, IDC_RESOLUTION_COMBO, 0, &script.firstItem)) break;
        readFrame(dialog, &script.open);
        q31automation::click(dialog, centreOf(script.firstItem).x, centreOf(script.firstItem).y);
        script.stage = 2;
        break;
    case 2: {  // the pick reached the handler and the cascade ran below it
        MSG pending;
        if (PeekMessageA(&pending, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) break;
        script.picked = selectedText(dialog, IDC_RESOLUTION_COMBO);
        script.storedWidth = script.dialog->settings.fullscreenMode.Width;
        script.refreshRates = itemTexts(dialog, IDC_REFRESHRATE_COMBO);
        RECT ok;
        if (q31automation::dialogItemRect(dialog, IDOK, &ok)) q31automation::click(dialog, centreOf(ok).x, centreOf(ok).y);
        script.stage = 3;
        break;
    }
    default: break;
    }
}

class SettingsDialogOnScreen : public SettingsDialogTest {
protected:
    void SetUp() override
    {
        SettingsDialogTest::SetUp();
        q31automation::setEnabled(true);
    }
    void TearDown() override
    {
        q31automation::setDialogIdleHandler(nullptr, nullptr);
        q31automation::setEnabled(false);
    }

    void save(const Frame& frame, const char* name)
    {
        EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name, frame.pixels, frame.width,
                                      frame.height));
    }
};

}  // namespace

TEST_F(SettingsDialogOnScreen, ShowsTheListsAndTakesAMousePick)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(false));
    OnScreenScript script;
    script.dialog = &dialog;
    q31automation::setDialogIdleHandler(onIdle, &script);
    EXPECT_EQ(dialog.runModal(driver.owner()), IDOK);
    ASSERT_EQ(script.stage, 3) << "the script stopped at stage " << script.stage;

    save(script.closed, "settings_dialog.png");
    save(script.open, "settings_dialog_resolution_list.png");
    // The closed field shows its selection's text on the field's own colour.
    const Frame& closed = script.closed;
    const POINT fieldEdge = {script.resolutionField.left + 3, script.resolutionField.top + 3};
    EXPECT_GT(inkInside(closed, script.resolutionField, closed.at(fieldEdge.x, fieldEdge.y)), 20)
        << "the selected resolution's text";
    // The open list draws over what lay below the field.
    ASSERT_EQ(script.open.width, closed.width);
    int changed = 0;
    for (int y = std::max(0, int(script.firstItem.top)); y < std::min(closed.height, int(script.firstItem.bottom)); ++y)
        for (int x = std::max(0, int(script.firstItem.left)); x < std::min(closed.width, int(script.firstItem.right)); ++x)
            if (channelDistance(closed.at(x, y), script.open.at(x, y)) > 64) ++changed;
    EXPECT_GT(changed, 20) << "the first list item over the controls below";

    EXPECT_EQ(script.picked, "640 by 480");
    EXPECT_EQ(script.storedWidth, 640u) << "the resolution handler stored the pick";
    EXPECT_EQ(script.refreshRates, (Texts{"60 Hz", "75 Hz"}));
    EXPECT_EQ(dialog.settings.fullscreenMode.Width, 640u);
    EXPECT_EQ(dialog.settings.fullscreenMode.Height, 480u);
    EXPECT_EQ(dialog.settings.fullscreenMode.RefreshRate, 75u) << "the stored rate is offered again";
}

namespace {

struct KeyScript {
    std::vector<std::pair<UINT, BYTE>> keys;  // one per idle turn of the modal loop
    size_t next = 0;
    std::vector<int> focus;                   // the focused control's id after each key
};

void pressNextKey(HWND dialog, void* context)
{
    KeyScript& script = *static_cast<KeyScript*>(context);
    if (script.next > 0) script.focus.push_back(GetDlgCtrlID(GetFocus()));
    if (script.next >= script.keys.size()) {
        if (script.next++ > script.keys.size() + 100) EndDialog(dialog, IDABORT);  // the keys did not end it
        return;
    }
    const auto [key, modifiers] = script.keys[script.next++];
    q31automation::pressKey(dialog, key, modifiers);
}

}  // namespace

// A keyboard-only player switches to full screen and picks the first
// resolution: Tab to the mode buttons, Down to Fullscreen, Space on it, Tab
// to the resolution list, Home, Enter for OK.
TEST_F(SettingsDialogOnScreen, TheKeyboardAloneChoosesFullScreenAndAResolution)
{
    DisplaySettingsDialog dialog(&enumerator, chosenSettings(true));
    KeyScript script;
    script.keys = {{VK_TAB, 0},   {VK_TAB, 0},  {VK_DOWN, 0}, {VK_SPACE, 0},
                   {VK_TAB, 0},   {VK_TAB, 0},  {VK_HOME, 0}, {VK_RETURN, 0}};
    q31automation::setDialogIdleHandler(pressNextKey, &script);
    EXPECT_EQ(dialog.runModal(driver.owner()), IDOK);
    const std::vector<int> focus = {IDC_DEVICE_COMBO,        IDC_WINDOWED_RADIO,   IDC_FULLSCREEN_RADIO,
                                    IDC_FULLSCREEN_RADIO,    IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO,
                                    IDC_RESOLUTION_COMBO};
    EXPECT_EQ(std::vector<int>(script.focus.begin(), script.focus.begin() + std::min<size_t>(7, script.focus.size())),
              focus);
    EXPECT_FALSE(dialog.settings.windowed);
    EXPECT_EQ(dialog.settings.fullscreenMode.Width, 640u);
    EXPECT_EQ(dialog.settings.fullscreenMode.Height, 480u);
    EXPECT_EQ(dialog.settings.fullscreenMode.RefreshRate, 75u) << "the stored rate is offered again";
}
