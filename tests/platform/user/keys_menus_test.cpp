// Accelerators, menus and key translation through the published API, with
// the framework's accelerator table made by CreateAcceleratorTableA and key
// messages handed over as the message loop would. Built for both targets: on
// Windows it runs against the system under Wine.
#include "tests/platform/user/recording_window.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using usertest::RecordingWindows;

constexpr WORD kChangeDevice = 40002;
constexpr WORD kToggleFullscreen = 40003;
constexpr WORD kExit = 40006;
constexpr WORD kAbout = 40013;
constexpr WORD kReset = 40014;

// Set-1 scan codes in lParam, as the keyboard would give them.
LPARAM keyDownParam(UINT scan, bool alt)
{
    return static_cast<LPARAM>(1u | (scan << 16) | (alt ? 1u << 29 : 0u));
}

MSG keyMessage(HWND window, UINT message, UINT key, UINT scan, bool alt)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = key;
    msg.lParam = keyDownParam(scan, alt);
    return msg;
}

// Holds the given keys down in the thread's key state, as input would.
void holdKeys(std::initializer_list<int> keys)
{
    BYTE state[256] = {};
    for (int key : keys) state[key] = 0x80;
    ASSERT_TRUE(SetKeyboardState(state));
}

HMENU buildGameMenu()
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU help = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kReset, "&Reset");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kChangeDevice, "Config &display...\tF2");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit\tESC");
    AppendMenuA(help, MF_STRING, kAbout, "&About Quorvane31...");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

class UserAccelerators : public ::testing::Test {
protected:
    void SetUp() override
    {
        ACCEL entries[] = {
            {FVIRTKEY | FNOINVERT, VK_ESCAPE, kExit},
            {FVIRTKEY | FNOINVERT, VK_F2, kChangeDevice},
            {FVIRTKEY | FALT | FNOINVERT, VK_RETURN, kToggleFullscreen},
            {FVIRTKEY | FALT | FNOINVERT, 'X', kExit},
        };
        table = CreateAcceleratorTableA(entries, 4);
        ASSERT_NE(table, nullptr);
        window = windows.create(WS_OVERLAPPEDWINDOW);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        windows.clear();
    }
    void TearDown() override { DestroyAcceleratorTable(table); }

    // TranslateAccelerator's answer, and the commands it sent meanwhile.
    int translate(MSG msg) { return TranslateAcceleratorA(window, table, &msg); }
    std::vector<WPARAM> commands() const
    {
        std::vector<WPARAM> sent;
        for (const auto& entry : windows.only(WM_COMMAND)) sent.push_back(entry.wParam);
        return sent;
    }

    RecordingWindows windows;
    HWND window = nullptr;
    HACCEL table = nullptr;
};

TEST_F(UserAccelerators, FrameworkKeysSendTheirCommandsAtOnce)
{
    holdKeys({});
    EXPECT_NE(translate(keyMessage(window, WM_KEYDOWN, VK_ESCAPE, 0x01, false)), 0);
    EXPECT_NE(translate(keyMessage(window, WM_KEYDOWN, VK_F2, 0x3C, false)), 0);
    holdKeys({VK_MENU, VK_LMENU});
    EXPECT_NE(translate(keyMessage(window, WM_SYSKEYDOWN, VK_RETURN, 0x1C, true)), 0);
    EXPECT_NE(translate(keyMessage(window, WM_SYSKEYDOWN, 'X', 0x2D, true)), 0);
    const std::vector<WPARAM> sent = commands();
    ASSERT_EQ(sent.size(), 4u);
    // HIWORD 1 marks a command from an accelerator; lParam stays 0.
    EXPECT_EQ(sent[0], MAKEWPARAM(kExit, 1));
    EXPECT_EQ(sent[1], MAKEWPARAM(kChangeDevice, 1));
    EXPECT_EQ(sent[2], MAKEWPARAM(kToggleFullscreen, 1));
    EXPECT_EQ(sent[3], MAKEWPARAM(kExit, 1));
    for (const auto& entry : windows.only(WM_COMMAND)) EXPECT_EQ(entry.lParam, 0);
}

TEST_F(UserAccelerators, ModifierStateMustMatchExactly)
{
    holdKeys({});
    EXPECT_EQ(translate(keyMessage(window, WM_KEYDOWN, VK_RETURN, 0x1C, false)), 0);  // Enter without Alt
    EXPECT_EQ(translate(keyMessage(window, WM_KEYDOWN, 'X', 0x2D, false)), 0);
    holdKeys({VK_CONTROL, VK_LCONTROL});
    EXPECT_EQ(translate(keyMessage(window, WM_KEYDOWN, VK_ESCAPE, 0x01, false)), 0);  // Ctrl+Esc
    holdKeys({VK_MENU, VK_SHIFT});
    EXPECT_EQ(translate(keyMessage(window, WM_SYSKEYDOWN, VK_RETURN, 0x1C, true)), 0);  // Alt+Shift+Enter
    holdKeys({VK_MENU});
    EXPECT_EQ(translate(keyMessage(window, WM_SYSKEYDOWN, VK_F2, 0x3C, true)), 0);  // Alt+F2
    EXPECT_TRUE(commands().empty());
}

TEST_F(UserAccelerators, OnlyKeyDownMessagesAreTranslated)
{
    holdKeys({});
    MSG up = keyMessage(window, WM_KEYUP, VK_ESCAPE, 0x01, false);
    up.lParam |= static_cast<LPARAM>(0xC0000000u);
    EXPECT_EQ(translate(up), 0);
    EXPECT_EQ(translate(keyMessage(window, WM_CHAR, 0x1B, 0x01, false)), 0);
    MSG mouse = {};
    mouse.hwnd = window;
    mouse.message = WM_LBUTTONDOWN;
    EXPECT_EQ(translate(mouse), 0);
    EXPECT_TRUE(commands().empty());
}

TEST_F(UserAccelerators, AMenuItemInitialisesItsMenuAndADisabledOneSendsNothing)
{
    HMENU menu = buildGameMenu();
    ASSERT_TRUE(SetMenu(window, menu));
    windows.clear();
    holdKeys({});
    EXPECT_NE(translate(keyMessage(window, WM_KEYDOWN, VK_ESCAPE, 0x01, false)), 0);
    const std::vector<int> order = windows.firstIndexes({WM_INITMENU, WM_INITMENUPOPUP, WM_COMMAND});
    EXPECT_GE(order[0], 0);
    EXPECT_LT(order[0], order[1]);
    EXPECT_LT(order[1], order[2]);
    EXPECT_EQ(windows.only(WM_INITMENUPOPUP)[0].wParam, reinterpret_cast<WPARAM>(GetSubMenu(menu, 0)));

    windows.clear();
    EnableMenuItem(menu, kExit, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_NE(translate(keyMessage(window, WM_KEYDOWN, VK_ESCAPE, 0x01, false)), 0);  // still taken
    EXPECT_TRUE(commands().empty());
    // A command with no menu item is sent whatever the menu says.
    holdKeys({VK_MENU});
    EXPECT_NE(translate(keyMessage(window, WM_SYSKEYDOWN, VK_RETURN, 0x1C, true)), 0);
    ASSERT_EQ(commands().size(), 1u);
    EXPECT_EQ(commands()[0], MAKEWPARAM(kToggleFullscreen, 1));
}

TEST_F(UserAccelerators, BadTablesAndRecordsAreRefused)
{
    EXPECT_EQ(CreateAcceleratorTableA(nullptr, 0), nullptr);
    ACCEL one = {FVIRTKEY, VK_F5, 1};
    EXPECT_EQ(CreateAcceleratorTableA(&one, 0), nullptr);
    HACCEL spare = CreateAcceleratorTableA(&one, 1);
    ASSERT_NE(spare, nullptr);
    EXPECT_TRUE(DestroyAcceleratorTable(spare));
    MSG msg = keyMessage(window, WM_KEYDOWN, VK_F5, 0x3F, false);
    EXPECT_EQ(TranslateAcceleratorA(window, spare, &msg), 0);
    EXPECT_EQ(TranslateAcceleratorA(nullptr, table, &msg), 0);
    EXPECT_TRUE(commands().empty());
}

TEST(UserMenus, ItemsCarryTheirTextIdsAndState)
{
    HMENU bar = buildGameMenu();
    ASSERT_TRUE(IsMenu(bar));
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemCount(file), 5);
    EXPECT_EQ(GetSubMenu(bar, 2), nullptr);
    EXPECT_EQ(GetSubMenu(file, 0), nullptr);

    char text[64];
    EXPECT_EQ(GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION), 5);
    EXPECT_STREQ(text, "&File");
    EXPECT_EQ(GetMenuStringA(bar, kChangeDevice, text, sizeof text, MF_BYCOMMAND), 21);
    EXPECT_STREQ(text, "Config &display...\tF2");
    EXPECT_EQ(GetMenuStringA(bar, 12345, text, sizeof text, MF_BYCOMMAND), 0);

    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(kReset));
    EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));  // a popup has no id
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));

    // Enable and check state: the previous state comes back, searched through the popups.
    EXPECT_EQ(EnableMenuItem(bar, kReset, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(file, kReset, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(bar, kReset, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(file, 0, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(file, kReset, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(EnableMenuItem(bar, 999, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(CheckMenuItem(bar, 999, MF_BYCOMMAND), static_cast<DWORD>(-1));

    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(file));  // popups go with their bar
    EXPECT_FALSE(DestroyMenu(bar));
    EXPECT_EQ(GetMenuItemCount(bar), -1);
}

class UserKeyTranslation : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = windows.create(WS_OVERLAPPEDWINDOW);
        ASSERT_NE(window, nullptr);
        usertest::pumpReady();
        windows.clear();
    }
    // The character messages TranslateMessage posts for one key message.
    std::vector<std::pair<UINT, WPARAM>> charactersFor(MSG msg)
    {
        EXPECT_TRUE(TranslateMessage(&msg));
        std::vector<std::pair<UINT, WPARAM>> found;
        MSG posted;
        while (PeekMessageA(&posted, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
            found.emplace_back(posted.message, posted.wParam);
        return found;
    }
    RecordingWindows windows;
    HWND window = nullptr;
};

TEST_F(UserKeyTranslation, KeysBecomeCharactersWithTheShiftStateAndAltMakesSystemCharacters)
{
    holdKeys({});
    auto plain = charactersFor(keyMessage(window, WM_KEYDOWN, 'A', 0x1E, false));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].first, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(plain[0].second, static_cast<WPARAM>('a'));
    holdKeys({VK_SHIFT, VK_LSHIFT});
    auto shifted = charactersFor(keyMessage(window, WM_KEYDOWN, 'A', 0x1E, false));
    ASSERT_EQ(shifted.size(), 1u);
    EXPECT_EQ(shifted[0].second, static_cast<WPARAM>('A'));
    holdKeys({VK_MENU, VK_LMENU});
    auto alt = charactersFor(keyMessage(window, WM_SYSKEYDOWN, 'F', 0x21, true));
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_EQ(alt[0].first, static_cast<UINT>(WM_SYSCHAR));
    EXPECT_EQ(alt[0].second, static_cast<WPARAM>('f'));
    holdKeys({});
    EXPECT_TRUE(charactersFor(keyMessage(window, WM_KEYDOWN, VK_F2, 0x3C, false)).empty());
    MSG mouse = {};
    mouse.hwnd = window;
    mouse.message = WM_MOUSEMOVE;
    EXPECT_FALSE(TranslateMessage(&mouse));
}

}  // namespace
