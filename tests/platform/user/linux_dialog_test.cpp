// The Linux layer's dialog manager with the program's template 144: the
// controls built at their converted positions, combo-box and button
// messages with Windows' results, the modal loop (owner disabled, other
// windows still painted, posted notifications delivered), the keys and the
// close box, a mouse selection through the real SDL event path, and the
// dialog on screen. A small dialog procedure of the test's own drives each
// case. Linux only.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/platform/resources/expected_resources.h"
#include "tests/platform/user/dialog_script.h"
#include "tests/support/png_writer.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

using namespace usertest;

struct BaseUnits {
    int x = 0;
    int y = 0;
};

// Windows' rule, measured here with GDI: the average width of the 52 Latin
// letters and the height of "MS Shell Dlg" at 8 points.
BaseUnits measureShellDlg()
{
    BaseUnits units;
    HFONT font = CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Shell Dlg");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    TEXTMETRICA metrics{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    GetTextMetricsA(dc, &metrics);
    units.x = static_cast<int>((size.cx / 26 + 1) / 2);
    units.y = static_cast<int>(metrics.tmHeight);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return units;
}

RECT clientRectOf(HWND dialog, HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(dialog, &corners[0]);
    ScreenToClient(dialog, &corners[1]);
    return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

TEST_F(UserLinuxDialog, TemplateControlsStandAtTheirDialogUnitsInTheTemplateFont)
{
    const BaseUnits units = measureShellDlg();
    ASSERT_GT(units.x, 3);
    ASSERT_GT(units.y, 8);
    DialogScript script;
    script.init = [&](HWND dialog) {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, "Direct3D Settings");
        EXPECT_EQ(GetParent(dialog), owner);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU));
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, MulDiv(expected::dialogWidth, units.x, 4));
        EXPECT_EQ(client.bottom, MulDiv(expected::dialogHeight, units.y, 8));
        RECT frame{}, around{};
        GetWindowRect(dialog, &frame);
        GetWindowRect(owner, &around);
        EXPECT_NEAR((frame.left + frame.right) / 2, (around.left + around.right) / 2, 1);
        EXPECT_NEAR((frame.top + frame.bottom) / 2, (around.top + around.bottom) / 2, 1);

        for (const expected::DialogItem& want : expected::dialogControls) {
            if (want.id == expected::NoId) continue;
            SCOPED_TRACE(want.id);
            HWND control = GetDlgItem(dialog, want.id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(GetDlgCtrlID(control), want.id);
            // Windows converts the position and the size each on its own (so the
            // right edge can differ by one from MapDialogRect's conversion of it).
            RECT mapped{want.x, want.y, want.x + want.width, want.y + want.height};
            EXPECT_TRUE(MapDialogRect(dialog, &mapped));
            const LONG left = MulDiv(want.x, units.x, 4), top = MulDiv(want.y, units.y, 8);
            const RECT expectedRect{left, top, left + MulDiv(want.width, units.x, 4), top + MulDiv(want.height, units.y, 8)};
            EXPECT_EQ(mapped.left, left);
            EXPECT_EQ(mapped.top, top);
            EXPECT_NEAR(mapped.right, expectedRect.right, 1);
            const RECT actual = clientRectOf(dialog, control);
            EXPECT_EQ(actual.left, expectedRect.left);
            EXPECT_EQ(actual.top, expectedRect.top);
            EXPECT_EQ(actual.right, expectedRect.right);
            char text[64] = {};
            GetWindowTextA(control, text, sizeof text);
            if (want.kind == expected::Kind::DropDownList) {
                // The box is one line high; the template's height is how far its list reaches.
                EXPECT_GT(actual.bottom - actual.top, units.y);
                EXPECT_LT(actual.bottom, expectedRect.bottom);
                EXPECT_STREQ(text, "");
            } else {
                EXPECT_EQ(actual.bottom, expectedRect.bottom);
                EXPECT_STREQ(text, want.text);
            }
        }
        EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
        EndDialog(dialog, IDOK);
    };
    EXPECT_EQ(run(script), IDOK);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(UserLinuxDialog, ATemplateThatDoesNotExistFailsWithMinusOne)
{
    DialogScript script;
    EXPECT_EQ(run(script, 999), -1);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(DialogBoxParamA(usertest::programInstance(), "NAMED", owner, &scriptProcedure, 0), -1);
    EXPECT_EQ(script.dialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(EndDialog(owner, IDOK));
}

TEST_F(UserLinuxDialog, ComboBoxMessagesAnswerAsWindowsDoes)
{
    DialogScript script;
    script.init = [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_ADAPTER_COMBO);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);
        // Items stay in the order they are added.
        const char* texts[] = {"Zeta", "Alpha", "Mid"};
        for (LRESULT i = 0; i < 3; ++i)
            EXPECT_EQ(SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i])), i);
        EXPECT_NE(SendMessageA(list, CB_SETITEMDATA, 1, static_cast<LPARAM>(0x12345678)), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_SETITEMDATA, 3, 5), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 1, 0), 0x12345678);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 0, 0), 0);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, static_cast<WPARAM>(-1), 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 3);

        char text[200];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXTLEN, 2, 0), 3);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), 3);
        EXPECT_STREQ(text, "Mid");
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXTLEN, 3, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), CB_ERR);
        EXPECT_EQ(text[0], 'x');

        EXPECT_EQ(SendMessageA(list, CB_SETCURSEL, 1, 0), 1);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(GetWindowTextA(list, text, sizeof text), 5);
        EXPECT_STREQ(text, "Alpha");
        // -1 clears the selection; so does an index past the end.
        EXPECT_EQ(SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);
        SendMessageA(list, CB_SETCURSEL, 2, 0);
        EXPECT_EQ(SendMessageA(list, CB_SETCURSEL, 7, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);

        SendMessageA(list, CB_SETCURSEL, 0, 0);
        SendMessageA(list, CB_RESETCONTENT, 0, 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(list, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(list, CB_GETITEMDATA, 0, 0), CB_ERR);
        // An item added after the reset starts a fresh list.
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_ADAPTER_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("New")), 0);
        EXPECT_EQ(SendDlgItemMessageA(dialog, 4242, CB_GETCOUNT, 0, 0), 0);
        EndDialog(dialog, IDOK);
    };
    EXPECT_EQ(run(script), IDOK);
    // Setting items and selections from the program raises no notification.
    EXPECT_TRUE(script.commands.empty());
}

TEST_F(UserLinuxDialog, RadioButtonsAndEnableStateFollowTheCalls)
{
    DialogScript script;
    script.init = [&](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WINDOWED_RADIO), UINT(BST_UNCHECKED));
        EXPECT_TRUE(CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_FULLSCREEN_RADIO));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WINDOWED_RADIO), UINT(BST_UNCHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FULLSCREEN_RADIO), UINT(BST_CHECKED));
        CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_WINDOWED_RADIO);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WINDOWED_RADIO), UINT(BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FULLSCREEN_RADIO), UINT(BST_UNCHECKED));
        EXPECT_TRUE(script.commands.empty());  // checking from the program is silent
        // A click on an automatic radio button moves the check within its group and notifies.
        SendDlgItemMessageA(dialog, IDC_FULLSCREEN_RADIO, BM_CLICK, 0, 0);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_WINDOWED_RADIO), UINT(BST_UNCHECKED));
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_FULLSCREEN_RADIO), UINT(BST_CHECKED));
        EXPECT_EQ(script.count(IDC_FULLSCREEN_RADIO, BN_CLICKED), 1u);

        HWND list = GetDlgItem(dialog, IDC_RESOLUTION_COMBO);
        EXPECT_TRUE(IsWindowEnabled(list));
        EXPECT_FALSE(EnableWindow(list, FALSE));
        EXPECT_FALSE(IsWindowEnabled(list));
        EXPECT_TRUE(EnableWindow(list, TRUE));
        EXPECT_TRUE(IsWindowEnabled(list));
        EXPECT_EQ(IsDlgButtonChecked(dialog, 4242), 0u);
        EndDialog(dialog, IDCANCEL);
    };
    EXPECT_EQ(run(script), IDCANCEL);
}

TEST_F(UserLinuxDialog, TheModalLoopKeepsOtherWindowsGoingWithTheOwnerDisabled)
{
    DialogScript script;
    bool disabledAtInit = false, disabledWhileUp = true;
    script.init = [&](HWND dialog) {
        disabledAtInit = !IsWindowEnabled(owner);
        InvalidateRect(owner, nullptr, FALSE);
        // The cascade the settings dialog relies on: a notification posted to
        // the dialog arrives from its own loop, and can post the next.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADAPTER_COMBO, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_ADAPTER_COMBO)));
    };
    script.command = [&](HWND dialog, const Command& command) {
        if (command.id == IDC_ADAPTER_COMBO && command.code == CBN_SELCHANGE)
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_COMBO, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DEVICE_COMBO)));
        return false;
    };
    script.idle = [&](HWND dialog, int) {
        disabledWhileUp = disabledWhileUp && !IsWindowEnabled(owner);
        if (windows.count(WM_PAINT) > 0 && script.count(IDC_DEVICE_COMBO, CBN_SELCHANGE) > 0) EndDialog(dialog, 77);
    };
    EXPECT_EQ(run(script), 77);
    EXPECT_TRUE(disabledAtInit);
    EXPECT_TRUE(disabledWhileUp);
    EXPECT_GT(windows.count(WM_PAINT), 0u);
    ASSERT_EQ(script.commands.size(), 2u);
    EXPECT_EQ(script.commands[0].id, IDC_ADAPTER_COMBO);
    EXPECT_EQ(script.commands[1].id, IDC_DEVICE_COMBO);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(script.dialog));
}

TEST_F(UserLinuxDialog, EscapeAndTheCloseBoxCancelAndEnterPressesOk)
{
    struct Case {
        const char* what;
        std::function<bool(HWND)> act;
        INT_PTR result;
    };
    const Case cases[] = {
        {"Esc", [](HWND dialog) { return q31automation::pressKey(dialog, VK_ESCAPE); }, IDCANCEL},
        {"Enter", [](HWND dialog) { return q31automation::pressKey(dialog, VK_RETURN); }, IDOK},
        {"close box", [](HWND dialog) { return q31automation::pressCloseBox(dialog); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DialogScript script;
        HWND button = nullptr;
        script.idle = [&](HWND dialog, int turn) {
            if (turn == 0) {
                button = GetDlgItem(dialog, static_cast<int>(c.result));
                EXPECT_TRUE(c.act(dialog));
            }
        };
        EXPECT_EQ(run(script), c.result);
        ASSERT_EQ(script.commands.size(), 1u);
        EXPECT_EQ(script.commands[0].id, c.result);
        EXPECT_EQ(script.commands[0].code, BN_CLICKED);
        EXPECT_EQ(script.commands[0].control, button);
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

TEST_F(UserLinuxDialog, AMouseSelectionInAnOpenListReachesTheProcedure)
{
    DialogScript script;
    bool openedAfterClick = false, disabledStayedShut = false;
    HWND adapterList = nullptr;
    script.init = [&](HWND dialog) {
        adapterList = GetDlgItem(dialog, IDC_ADAPTER_COMBO);
        addItems(dialog, IDC_ADAPTER_COMBO, {"First adapter", "Second adapter", "Third adapter"});
        SendDlgItemMessageA(dialog, IDC_ADAPTER_COMBO, CB_SETCURSEL, 0, 0);
        addItems(dialog, IDC_DEVICE_COMBO, {"HAL"});
        EnableWindow(GetDlgItem(dialog, IDC_DEVICE_COMBO), FALSE);
    };
    script.idle = [&](HWND dialog, int turn) {
        switch (turn) {
        case 0: EXPECT_TRUE(clickControl(dialog, IDC_ADAPTER_COMBO)); break;
        case 1:
            openedAfterClick = SendDlgItemMessageA(dialog, IDC_ADAPTER_COMBO, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
            EXPECT_TRUE(clickListItem(dialog, IDC_ADAPTER_COMBO, 1));
            break;
        case 2: EXPECT_TRUE(clickControl(dialog, IDC_DEVICE_COMBO)); break;
        case 3:
            disabledStayedShut = !SendDlgItemMessageA(dialog, IDC_DEVICE_COMBO, CB_GETDROPPEDSTATE, 0, 0);
            EndDialog(dialog, IDOK);
            break;
        default: break;
        }
    };
    EXPECT_EQ(run(script), IDOK);
    EXPECT_TRUE(openedAfterClick);
    EXPECT_TRUE(disabledStayedShut);
    EXPECT_EQ(script.count(IDC_ADAPTER_COMBO, CBN_DROPDOWN), 1u);
    EXPECT_EQ(script.count(IDC_ADAPTER_COMBO, CBN_CLOSEUP), 1u);
    ASSERT_EQ(script.count(IDC_ADAPTER_COMBO, CBN_SELCHANGE), 1u);
    EXPECT_EQ(script.count(IDC_DEVICE_COMBO, CBN_DROPDOWN), 0u);
    for (const Command& command : script.commands)
        if (command.code == CBN_SELCHANGE) {
            EXPECT_EQ(command.selection, 1);  // already selected when the procedure hears of it
            EXPECT_EQ(command.control, adapterList);
        }
}

TEST_F(UserLinuxDialog, TheDialogShowsItsControlsWithDisabledListsGreyed)
{
    DialogScript script;
    std::vector<uint32_t> closed, open;
    int width = 0, height = 0, openWidth = 0, openHeight = 0;
    RECT enabledList{}, disabledList{}, okButton{}, windowed{}, fullscreen{}, openItem{};
    script.init = [&](HWND dialog) {
        addItems(dialog, IDC_ADAPTER_COMBO, {"Mesa Offscreen Adapter", "Second Adapter"});
        addItems(dialog, IDC_DEVICE_COMBO, {"HAL", "REF"});
        addItems(dialog, IDC_ADAPTERFORMAT_COMBO, {"D3DFMT_X8R8G8B8"});
        addItems(dialog, IDC_RESOLUTION_COMBO, {"1280 by 1024"});
        addItems(dialog, IDC_REFRESHRATE_COMBO, {"60 Hz"});
        addItems(dialog, IDC_BACKBUFFER_COMBO, {"D3DFMT_X8R8G8B8", "D3DFMT_R5G6B5"});
        addItems(dialog, IDC_DEPTHSTENCIL_COMBO, {"D3DFMT_D24S8", "D3DFMT_D16"});
        addItems(dialog, IDC_MULTISAMPLETYPE_COMBO, {"D3DMULTISAMPLE_NONE"});
        addItems(dialog, IDC_MULTISAMPLEQUALITY_COMBO, {"0"});
        addItems(dialog, IDC_VERTEXPROCESSING_COMBO, {"HARDWARE_VP", "SOFTWARE_VP"});
        addItems(dialog, IDC_PRESENTINTERVAL_COMBO, {"D3DPRESENT_INTERVAL_IMMEDIATE"});
        for (int id : {IDC_ADAPTER_COMBO, IDC_DEVICE_COMBO, IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO,
                       IDC_REFRESHRATE_COMBO, IDC_BACKBUFFER_COMBO, IDC_DEPTHSTENCIL_COMBO, IDC_MULTISAMPLETYPE_COMBO,
                       IDC_MULTISAMPLEQUALITY_COMBO, IDC_VERTEXPROCESSING_COMBO, IDC_PRESENTINTERVAL_COMBO})
            SendDlgItemMessageA(dialog, id, CB_SETCURSEL, 0, 0);
        for (int id : {IDC_ADAPTERFORMAT_COMBO, IDC_RESOLUTION_COMBO, IDC_REFRESHRATE_COMBO})
            EnableWindow(GetDlgItem(dialog, id), FALSE);
        CheckRadioButton(dialog, IDC_WINDOWED_RADIO, IDC_FULLSCREEN_RADIO, IDC_WINDOWED_RADIO);
    };
    script.idle = [&](HWND dialog, int turn) {
        switch (turn) {
        case 0:
            q31automation::dialogItemRect(dialog, IDC_BACKBUFFER_COMBO, &enabledList);
            q31automation::dialogItemRect(dialog, IDC_RESOLUTION_COMBO, &disabledList);
            q31automation::dialogItemRect(dialog, IDOK, &okButton);
            q31automation::dialogItemRect(dialog, IDC_WINDOWED_RADIO, &windowed);
            q31automation::dialogItemRect(dialog, IDC_FULLSCREEN_RADIO, &fullscreen);
            EXPECT_TRUE(q31automation::readFrame(dialog, &closed, &width, &height));
            EXPECT_TRUE(clickControl(dialog, IDC_VERTEXPROCESSING_COMBO));
            break;
        case 1:
            EXPECT_TRUE(q31automation::comboListItemRect(dialog, IDC_VERTEXPROCESSING_COMBO, 1, &openItem));
            EXPECT_TRUE(q31automation::readFrame(dialog, &open, &openWidth, &openHeight));
            EndDialog(dialog, IDCANCEL);
            break;
        default: break;
        }
    };
    EXPECT_EQ(run(script), IDCANCEL);
    ASSERT_FALSE(closed.empty());
    ASSERT_FALSE(open.empty());
    const std::string folder = Q31_TEST_OUTPUT_DIR;
    EXPECT_TRUE(q31test::writePng(folder + "/settings_dialog.png", closed, width, height));
    EXPECT_TRUE(q31test::writePng(folder + "/settings_dialog_list_open.png", open, openWidth, openHeight));

    auto pixel = [&](const std::vector<uint32_t>& frame, int x, int y) { return usertest::pixelAt(frame, width, x, y); };
    auto grey = [](uint32_t p) { return static_cast<int>(p & 0xFF); };
    auto darkCount = [&](const std::vector<uint32_t>& frame, const RECT& r, int below) {
        int dark = 0;
        for (LONG y = r.top + 2; y < r.bottom - 2; ++y)
            for (LONG x = r.left + 2; x < r.right - 2; ++x) dark += grey(pixel(frame, x, y)) < below;
        return dark;
    };
    // The dialog face is a light grey (tolerance 8 levels), not the white of an empty window.
    EXPECT_NEAR(grey(pixel(closed, 3, height - 3)), 240, 8);
    // A disabled list: lighter face and grey text, against the enabled one's dark text.
    const int enabledFace = grey(pixel(closed, enabledList.right - 24, (enabledList.top + enabledList.bottom) / 2));
    const int disabledFace = grey(pixel(closed, disabledList.right - 24, (disabledList.top + disabledList.bottom) / 2));
    EXPECT_GT(disabledFace, enabledFace + 4);
    EXPECT_GT(darkCount(closed, enabledList, 80), 20);
    EXPECT_EQ(darkCount(closed, disabledList, 80), 0);
    EXPECT_GT(darkCount(closed, okButton, 80), 5) << "no OK text";
    // The checked radio button has its dot (dark at its centre), the other not.
    const int mark = 13 / 2;
    EXPECT_LT(grey(pixel(closed, windowed.left + mark, (windowed.top + windowed.bottom) / 2)), 100);
    EXPECT_GT(grey(pixel(closed, fullscreen.left + mark, (fullscreen.top + fullscreen.bottom) / 2)), 200);
    // The open list covers what lay below the box: white rows, the hovered one marked.
    ASSERT_EQ(openWidth, width);
    EXPECT_GT(openItem.top, 0);
    EXPECT_EQ(grey(pixel(open, openItem.right - 4, (openItem.top + openItem.bottom) / 2)), 255);
    EXPECT_NE(pixel(open, openItem.right - 4, (openItem.top + openItem.bottom) / 2),
              pixel(closed, openItem.right - 4, (openItem.top + openItem.bottom) / 2));
}
