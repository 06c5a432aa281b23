// The dialog manager's keyboard on the Linux layer, with the program's
// template 144 and keys sent through the SDL input path: Tab over the tab
// stops (the checked radio button standing for its group), the arrow keys
// moving the check within the group, Space clicking on its release,
// mnemonics with and without Alt, and the mnemonic underline on screen.
// Linux only.
#include <gtest/gtest.h>

#include "tests/platform/user/dialog_script.h"
#include "tests/support/png_writer.h"

#include <string>

namespace {

using namespace usertest;

class UserLinuxDialogKeys : public UserLinuxDialog {};

void fillLists(HWND dialog)
{
    addItems(dialog, IDC_ADAPTER_COMBO, {"Adapter"});
    addItems(dialog, IDC_DEVICE_COMBO, {"HAL"});
    addItems(dialog, IDC_RESOLUTION_COMBO, {"640 by 480", "800 by 600", "1024 by 768"});
    SendDlgItemMessageA(dialog, IDC_RESOLUTION_COMBO, CB_SETCURSEL, 2, 0);
}

int focusedId()
{
    return GetDlgCtrlID(GetFocus());
}

bool checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

}  // namespace

TEST_F(UserLinuxDialogKeys, TabReachesTheCheckedRadioButtonAndArrowsMoveTheCheck)
{
    DialogScript script;
    std::vector<int> focus;
    std::vector<bool> fullscreenChecked;
    script.init = [&](HWND dialog) {
        fillLists(dialog);
        CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_WINDOWED_RADIO);
    };
    script.idle = [&](HWND dialog, int turn) {
        if (turn > 0) {
            focus.push_back(focusedId());
            fullscreenChecked.push_back(checked(dialog, IDC_FULLSCREEN_RADIO));
        }
        switch (turn) {
        case 0:  // adapter list -> device list -> the checked radio button
            q31automation::pressKey(dialog, VK_TAB);
            q31automation::pressKey(dialog, VK_TAB);
            break;
        case 1: q31automation::pressKey(dialog, VK_DOWN); break;
        case 2: q31automation::pressKey(dialog, VK_TAB); break;  // out of the group
        case 3: q31automation::pressKey(dialog, VK_TAB, FSHIFT); break;  // back: to the button now checked
        case 4: q31automation::pressKey(dialog, VK_UP); break;
        case 5: q31automation::pressKey(dialog, VK_UP); break;  // wraps within the two-button group
        case 6: EndDialog(dialog, IDOK); break;
        default: break;
        }
    };
    EXPECT_EQ(run(script), IDOK);
    const std::vector<int> wantFocus = {IDC_WINDOWED_RADIO,      IDC_FULLSCREEN_RADIO, IDC_ADAPTERFORMAT_COMBO,
                                        IDC_FULLSCREEN_RADIO,    IDC_WINDOWED_RADIO,   IDC_FULLSCREEN_RADIO};
    EXPECT_EQ(focus, wantFocus);
    EXPECT_EQ(fullscreenChecked, (std::vector<bool>{false, true, true, true, false, true}));
    // Each arrow that moved the check told the procedure, as a click does.
    EXPECT_EQ(script.count(IDC_FULLSCREEN_RADIO, BN_CLICKED), 2u);
    EXPECT_EQ(script.count(IDC_WINDOWED_RADIO, BN_CLICKED), 1u);
}

TEST_F(UserLinuxDialogKeys, SpaceClicksTheFocusedButtonWhenReleased)
{
    DialogScript script;
    size_t commandsWhileHeld = 99;
    bool windowedAfterSpace = false;
    script.init = [&](HWND dialog) {
        fillLists(dialog);
        CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_FULLSCREEN_RADIO);
    };
    script.idle = [&](HWND dialog, int turn) {
        switch (turn) {
        case 0:
            SetFocus(GetDlgItem(dialog, IDC_WINDOWED_RADIO));
            q31automation::pressKey(dialog, VK_SPACE);
            break;
        case 1:
            windowedAfterSpace = checked(dialog, IDC_WINDOWED_RADIO) && !checked(dialog, IDC_FULLSCREEN_RADIO);
            SetFocus(GetDlgItem(dialog, IDCANCEL));
            q31automation::keyEvent(dialog, VK_SPACE, true);
            break;
        case 2:
            commandsWhileHeld = script.count(IDCANCEL, BN_CLICKED);
            q31automation::keyEvent(dialog, VK_SPACE, false);
            break;
        case 10: EndDialog(dialog, -3); break;  // Cancel was never clicked
        default: break;
        }
    };
    EXPECT_EQ(run(script), IDCANCEL);
    EXPECT_TRUE(windowedAfterSpace);
    EXPECT_EQ(script.count(IDC_WINDOWED_RADIO, BN_CLICKED), 1u);
    EXPECT_EQ(commandsWhileHeld, 0u) << "a held Space does not click yet";
}

TEST_F(UserLinuxDialogKeys, MnemonicsClickButtonsAndFocusTheListAfterTheirLabel)
{
    DialogScript script;
    bool fullscreenByAltF = false, letterInListIgnored = false;
    int focusAfterAltR = 0, selectionAfterHome = -1;
    script.init = [&](HWND dialog) {
        fillLists(dialog);
        CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_WINDOWED_RADIO);
    };
    script.idle = [&](HWND dialog, int turn) {
        switch (turn) {
        case 0: q31automation::pressKey(dialog, 'F', FALT); break;
        case 1:
            fullscreenByAltF = checked(dialog, IDC_FULLSCREEN_RADIO) && focusedId() == IDC_FULLSCREEN_RADIO;
            q31automation::pressKey(dialog, 'R', FALT);  // "&Resolution:" labels the list after it
            break;
        case 2:
            focusAfterAltR = focusedId();
            q31automation::pressKey(dialog, 'W');  // a list takes letters: no mnemonic
            break;
        case 3:
            letterInListIgnored = checked(dialog, IDC_FULLSCREEN_RADIO);
            q31automation::pressKey(dialog, VK_HOME);
            break;
        case 4:
            selectionAfterHome =
                static_cast<int>(SendDlgItemMessageA(dialog, IDC_RESOLUTION_COMBO, CB_GETCURSEL, 0, 0));
            SetFocus(GetDlgItem(dialog, IDOK));
            q31automation::pressKey(dialog, 'W');  // on a button a letter alone is a mnemonic
            break;
        case 5: EndDialog(dialog, checked(dialog, IDC_WINDOWED_RADIO) ? IDOK : IDABORT); break;
        default: break;
        }
    };
    EXPECT_EQ(run(script), IDOK) << "W alone on a button checks Windowed";
    EXPECT_TRUE(fullscreenByAltF);
    EXPECT_EQ(script.count(IDC_FULLSCREEN_RADIO, BN_CLICKED), 1u);
    EXPECT_EQ(focusAfterAltR, IDC_RESOLUTION_COMBO);
    EXPECT_TRUE(letterInListIgnored);
    EXPECT_EQ(selectionAfterHome, 0);
}

TEST_F(UserLinuxDialogKeys, TheMnemonicLetterIsUnderlined)
{
    DialogScript script;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    RECT radio{};
    script.init = [&](HWND dialog) { fillLists(dialog); };
    script.idle = [&](HWND dialog, int turn) {
        if (turn != 0) return;
        q31automation::dialogItemRect(dialog, IDC_WINDOWED_RADIO, &radio);
        q31automation::readFrame(dialog, &pixels, &width, &height);
        EndDialog(dialog, IDOK);
    };
    EXPECT_EQ(run(script), IDOK);
    ASSERT_FALSE(pixels.empty());
    EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/dialog_mnemonics.png", pixels, width, height));
    // "Windowed" has no descender: its lowest dark row is the underline,
    // which spans the "W" alone (the label starts after the 13-pixel mark).
    int lowest = -1, inkLeft = width, inkRight = -1;
    for (int y = radio.top; y < radio.bottom; ++y)
        for (int x = radio.left + 16; x < radio.right; ++x)
            if ((pixelAt(pixels, width, x, y) & 0xFF) < 96) lowest = y;
    ASSERT_GE(lowest, 0);
    for (int x = radio.left + 16; x < radio.right; ++x)
        if ((pixelAt(pixels, width, x, lowest) & 0xFF) < 96) {
            inkLeft = std::min(inkLeft, x);
            inkRight = std::max(inkRight, x);
        }
    EXPECT_GE(inkRight - inkLeft + 1, 7) << "a line under the W";
    EXPECT_LE(inkRight - inkLeft + 1, 14) << "under the W alone";
}
