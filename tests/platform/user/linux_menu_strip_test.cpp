// The program's menu (resource 141) on the Linux layer's strip: chosen by
// synthetic clicks and keys through the real event path, with Win32's
// message order, the modal loop still dispatching other messages, and the
// strip and popup on screen. Linux only.
#include <gtest/gtest.h>

#include "tests/platform/user/linux_support.h"
#include "tests/support/png_writer.h"

namespace {

using usertest::Received;
using usertest::RecordingWindows;

constexpr UINT kReset = 40014;
constexpr UINT kExit = 40006;
constexpr UINT kAbout = 40013;

// The menu loop's messages, in order, as the framework sees them.
std::vector<UINT> loopMessages(const RecordingWindows& windows)
{
    std::vector<UINT> seen;
    for (const Received& entry : windows.received())
        switch (entry.message) {
        case WM_ENTERMENULOOP:
        case WM_INITMENU:
        case WM_INITMENUPOPUP:
        case WM_EXITMENULOOP:
        case WM_COMMAND: seen.push_back(entry.message); break;
        default: break;
        }
    return seen;
}

class UserLinuxMenuStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        menu = LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(141));
        ASSERT_NE(menu, nullptr);
        window = windows.create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 375, menu);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        windows.clear();
    }

    bool waitForLoopEnd() { return usertest::pumpUntil([&] { return windows.count(WM_EXITMENULOOP) > 0; }); }
    // A command arrives, if one does, right after the loop ends.
    std::vector<Received> commands()
    {
        usertest::pumpReady();
        return windows.only(WM_COMMAND);
    }

    usertest::SeamOn seam;
    RecordingWindows windows;
    HMENU menu = nullptr;
    HWND window = nullptr;
};

TEST(UserLinuxMenuResources, Menu141IsTheScriptsFileAndHelpMenus)
{
    HMENU menu = LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(141));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(LoadMenuA(usertest::programInstance(), MAKEINTRESOURCE(142)), nullptr);
    EXPECT_EQ(LoadMenuA(usertest::programInstance(), "NAMED"), nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    char text[64];
    GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Help");
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(file), 5);
    const UINT ids[] = {kReset, 0, 40002, 0, kExit};
    for (int i = 0; i < 5; ++i)
        if (ids[i]) EXPECT_EQ(GetMenuItemID(file, i), ids[i]) << i;
        else EXPECT_TRUE(GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) << i;
    GetMenuStringA(menu, kExit, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "E&xit\tESC");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 0), kAbout);
    // A short buffer gets the start of the text, terminated, as documented.
    EXPECT_EQ(GetMenuStringA(menu, kExit, text, 3, MF_BYCOMMAND), 2);
    EXPECT_STREQ(text, "E&");
    DestroyMenu(menu);
}

TEST_F(UserLinuxMenuStrip, ClickingResetGivesWin32sMessageOrderAndAPostedCommand)
{
    ASSERT_TRUE(q31automation::clickMenuItem(window, 0, 0));
    ASSERT_TRUE(waitForLoopEnd());
    const std::vector<Received> sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].wParam, MAKEWPARAM(kReset, 0));
    EXPECT_EQ(sent[0].lParam, 0);
    EXPECT_EQ(sent[0].depth, 0);  // taken from the queue, not sent from inside the loop
    const std::vector<UINT> expected = {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_EXITMENULOOP, WM_COMMAND};
    EXPECT_EQ(loopMessages(windows), expected);
    EXPECT_EQ(windows.only(WM_ENTERMENULOOP)[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(windows.only(WM_INITMENUPOPUP)[0].wParam, reinterpret_cast<WPARAM>(GetSubMenu(menu, 0)));
    // The clicks went to the menu, none to the client area.
    EXPECT_EQ(windows.count(WM_LBUTTONDOWN), 0u);
    EXPECT_EQ(windows.count(WM_LBUTTONUP), 0u);
}

TEST_F(UserLinuxMenuStrip, TheOpenMenuIsOnScreenAndTheWindowKeepsPainting)
{
    // From inside the loop: ask for a repaint, look at the frame, then choose About.
    std::vector<uint32_t> duringLoop;
    int width = 0, height = 0;
    bool paintedInLoop = false;
    bool inLoop = false;
    windows.setHandler([&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_ENTERMENULOOP) inLoop = true;
        if (message == WM_EXITMENULOOP) inLoop = false;
        if (message == WM_INITMENUPOPUP) InvalidateRect(hwnd, nullptr, FALSE);
        if (message == WM_PAINT && inLoop && !paintedInLoop) {
            paintedInLoop = true;
            q31automation::readFrame(hwnd, &duringLoop, &width, &height);
            RECT item;
            q31automation::menuItemRect(hwnd, 1, 0, &item);
            q31automation::click(hwnd, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
        }
        return false;
    });
    RECT help;
    ASSERT_TRUE(q31automation::menuBarItemRect(window, 1, &help));
    ASSERT_TRUE(q31automation::click(window, (help.left + help.right) / 2, (help.top + help.bottom) / 2));
    ASSERT_TRUE(waitForLoopEnd());
    EXPECT_TRUE(paintedInLoop);
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(LOWORD(sent[0].wParam), kAbout);

    // The popup lies over the client area below "Help"; the rest of the client stays white.
    ASSERT_FALSE(duringLoop.empty());
    EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/help_menu_open.png", duringLoop, width, height));
    RECT item;
    ASSERT_TRUE(q31automation::menuItemRect(window, 1, 0, &item));
    const int strip = GetSystemMetrics(SM_CYMENU);
    int dark = 0;
    for (int y = item.top; y < item.bottom; ++y)
        for (int x = item.left; x < item.right; ++x)
            if ((usertest::pixelAt(duringLoop, width, x, y + strip) & 0xFF) < 0x60) ++dark;
    EXPECT_GT(dark, 20) << "no item text drawn";
    EXPECT_GE(item.top, 0);
    EXPECT_EQ(usertest::pixelAt(duringLoop, width, width - 5, height - 5), 0x00FFFFFFu);
}

TEST_F(UserLinuxMenuStrip, F10AndEnterOpenTheMenuAndChooseTheFirstItem)
{
    std::vector<uint32_t> open;
    int width = 0, height = 0;
    bool inLoop = false;
    windows.setHandler([&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_ENTERMENULOOP) inLoop = true;
        if (message == WM_INITMENUPOPUP) InvalidateRect(hwnd, nullptr, FALSE);
        if (message == WM_PAINT && inLoop && open.empty()) q31automation::readFrame(hwnd, &open, &width, &height);
        return false;
    });
    ASSERT_TRUE(q31automation::pressKey(window, VK_F10));
    ASSERT_TRUE(q31automation::pressKey(window, VK_RETURN));
    ASSERT_TRUE(q31automation::pressKey(window, VK_RETURN));
    ASSERT_TRUE(waitForLoopEnd());
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].wParam, MAKEWPARAM(kReset, 0));

    // The keyboard opened File with its first item highlighted; the shortcut
    // texts sit at the right of their items.
    ASSERT_FALSE(open.empty());
    EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/file_menu_keyboard.png", open, width, height));
    const int strip = GetSystemMetrics(SM_CYMENU);
    RECT reset, config;
    ASSERT_TRUE(q31automation::menuItemRect(window, 0, 0, &reset));
    ASSERT_TRUE(q31automation::menuItemRect(window, 0, 2, &config));
    const uint32_t highlighted = usertest::pixelAt(open, width, reset.right - 3, (reset.top + reset.bottom) / 2 + strip);
    const uint32_t plain = usertest::pixelAt(open, width, config.right - 3, (config.top + config.bottom) / 2 + strip);
    EXPECT_NE(highlighted, plain);
    auto darkIn = [&](LONG left, LONG right, const RECT& item) {
        int dark = 0;
        for (LONG y = item.top; y < item.bottom; ++y)
            for (LONG x = left; x < right; ++x)
                if ((usertest::pixelAt(open, width, x, y + strip) & 0xFF) < 0x60) ++dark;
        return dark;
    };
    const LONG quarter = (config.right - config.left) / 4;
    EXPECT_GT(darkIn(config.right - quarter, config.right, config), 5);  // "F2"
    EXPECT_EQ(darkIn(reset.right - quarter, reset.right, reset), 0);    // "&Reset" has none
}

TEST_F(UserLinuxMenuStrip, AltWithMnemonicsOpensAPopupAndChoosesAnItem)
{
    ASSERT_TRUE(q31automation::pressKey(window, 'F', FALT));
    ASSERT_TRUE(q31automation::pressKey(window, 'X'));
    ASSERT_TRUE(waitForLoopEnd());
    auto sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(LOWORD(sent[0].wParam), kExit);

    windows.clear();
    // Arrows move along the bar and down the popup: File -> Help -> About.
    ASSERT_TRUE(q31automation::pressKey(window, 'F', FALT));
    ASSERT_TRUE(q31automation::pressKey(window, VK_RIGHT));
    ASSERT_TRUE(q31automation::pressKey(window, VK_RETURN));
    ASSERT_TRUE(waitForLoopEnd());
    sent = commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(LOWORD(sent[0].wParam), kAbout);
}

TEST_F(UserLinuxMenuStrip, EscapeAndOutsideClicksCloseWithoutACommand)
{
    ASSERT_TRUE(q31automation::pressKey(window, VK_F10));
    ASSERT_TRUE(q31automation::pressKey(window, VK_DOWN));    // opens File
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));  // closes the popup
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));  // leaves the bar
    ASSERT_TRUE(waitForLoopEnd());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(windows.count(WM_KEYDOWN), 0u);  // the menu had the keys

    windows.clear();
    RECT file;
    ASSERT_TRUE(q31automation::menuBarItemRect(window, 0, &file));
    ASSERT_TRUE(q31automation::click(window, (file.left + file.right) / 2, (file.top + file.bottom) / 2));
    ASSERT_TRUE(q31automation::click(window, 400, 300));
    ASSERT_TRUE(waitForLoopEnd());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(windows.count(WM_LBUTTONDOWN), 0u);
}

TEST_F(UserLinuxMenuStrip, AGrayedItemKeepsTheMenuOpenAndSendsNothing)
{
    EnableMenuItem(menu, kReset, MF_BYCOMMAND | MF_GRAYED);
    ASSERT_TRUE(q31automation::clickMenuItem(window, 0, 0));
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));
    ASSERT_TRUE(q31automation::pressKey(window, VK_ESCAPE));
    ASSERT_TRUE(waitForLoopEnd());
    EXPECT_TRUE(commands().empty());
    // The strip's state is the layer's: enabled again, the same click chooses it.
    windows.clear();
    EnableMenuItem(menu, kReset, MF_BYCOMMAND | MF_ENABLED);
    ASSERT_TRUE(q31automation::clickMenuItem(window, 0, 0));
    ASSERT_TRUE(waitForLoopEnd());
    ASSERT_EQ(commands().size(), 1u);
}

TEST_F(UserLinuxMenuStrip, TheStripShowsTheLabelsWithoutTheirAmpersands)
{
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(q31automation::readFrame(window, &pixels, &width, &height));
    const int strip = GetSystemMetrics(SM_CYMENU);
    RECT file, help;
    ASSERT_TRUE(q31automation::menuBarItemRect(window, 0, &file));
    ASSERT_TRUE(q31automation::menuBarItemRect(window, 1, &help));
    EXPECT_EQ(file.top, -strip);  // the strip is above the client area
    EXPECT_EQ(help.left, file.right);
    // "File" is narrower than "&File" would be in the same font; the text is dark on the strip.
    auto darkColumns = [&](const RECT& box) {
        int columns = 0;
        for (int x = box.left; x < box.right; ++x) {
            bool dark = false;
            for (int y = 0; y < strip; ++y) dark = dark || (usertest::pixelAt(pixels, width, x, y) & 0xFF) < 0x60;
            columns += dark ? 1 : 0;
        }
        return columns;
    };
    EXPECT_GT(darkColumns(file), 8);
    EXPECT_GT(darkColumns(help), 8);
    const RECT beyond = {help.right + 2, 0, width, strip};
    EXPECT_EQ(darkColumns(beyond), 0);
}

}  // namespace
