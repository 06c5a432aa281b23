// Message boxes as the Linux layer shows them (the seam lets them come up):
// a dialog of the layer's own with the icon the flags ask for, the text laid
// out in the dialog font, centred on its owner, answered by its keys through
// the SDL input path, the owner still painting meanwhile. Linux only.
#include <gtest/gtest.h>

#include "platform/user/message_text.h"
#include "tests/platform/user/linux_support.h"
#include "tests/support/png_writer.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Frame {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    uint32_t at(int x, int y) const { return usertest::pixelAt(pixels, width, x, y); }
};

constexpr uint32_t kFace = 0xF0F0F0;

int channelDistance(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift : {0, 8, 16}) largest = std::max(largest, std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
    return largest;
}

// Pixels of `rect` within `tolerance` of `rgb`.
int countNear(const Frame& frame, const RECT& rect, uint32_t rgb, int tolerance)
{
    int n = 0;
    for (int y = std::max(0, int(rect.top)); y < std::min(frame.height, int(rect.bottom)); ++y)
        for (int x = std::max(0, int(rect.left)); x < std::min(frame.width, int(rect.right)); ++x)
            n += channelDistance(frame.at(x, y), rgb) <= tolerance;
    return n;
}

// The layer's ids of the box's icon and text, as Windows numbers them.
constexpr int kIconId = 0x14;
constexpr int kTextId = 0xFFFF;

RECT childRect(HWND dialog, int id)
{
    RECT rect{};
    q31automation::dialogItemRect(dialog, id, &rect);
    return rect;
}

// One box: what its idle turns do, what they saw.
struct BoxScript {
    std::function<void(HWND, int)> idle;
    HWND box = nullptr;
    Frame frame;
    RECT boxRect{};
    RECT iconRect{};
    RECT textRect{};
    int turns = 0;
};

void boxIdle(HWND dialog, void* context)
{
    auto* script = static_cast<BoxScript*>(context);
    script->box = dialog;
    const int turn = script->turns++;
    if (turn > 2000) {
        // A stuck script: the box's own Esc answer is not what the test expects.
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (turn == 0) {
        q31automation::readFrame(dialog, &script->frame.pixels, &script->frame.width, &script->frame.height);
        GetWindowRect(dialog, &script->boxRect);
        script->iconRect = childRect(dialog, kIconId);
        script->textRect = childRect(dialog, kTextId);
    }
    if (script->idle) script->idle(dialog, turn);
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
}

class UserLinuxMessageBoxShown : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = windows.create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 375);
        ASSERT_NE(owner, nullptr);
        usertest::pumpReady();
        windows.clear();
        q31automation::showMessageBoxes(true);
    }
    void TearDown() override { q31automation::setDialogIdleHandler(nullptr, nullptr); }

    int show(BoxScript& script, const char* text, const char* caption, UINT type, HWND boxOwner)
    {
        q31automation::setDialogIdleHandler(&boxIdle, &script);
        return MessageBoxA(boxOwner, text, caption, type);
    }
    void save(const Frame& frame, const char* name)
    {
        EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name, frame.pixels, frame.width,
                                      frame.height));
    }

    usertest::SeamOn seam;
    usertest::RecordingWindows windows;
    HWND owner = nullptr;
};

const char* const kAbout = "Quorvane31 Version 3.13\rCopyright 2008 Ilse Marwood\rilse@quorvane.example\r"
                           "http://www.quorvane.example/";
const char* const kFatal = "Could not load required media.\n\nThis sample will now exit.";

}  // namespace

TEST_F(UserLinuxMessageBoxShown, TheAboutBoxIsADialogCentredOnItsOwnerWithItsLinesAndOk)
{
    BoxScript script;
    script.idle = [](HWND box, int turn) {
        if (turn == 1) q31automation::pressKey(box, VK_RETURN);
    };
    EXPECT_EQ(show(script, kAbout, "About Quorvane3", MB_OK, owner), IDOK);
    ASSERT_FALSE(script.frame.pixels.empty());
    save(script.frame, "message_box_about.png");
    RECT around{};
    GetWindowRect(owner, &around);
    EXPECT_NEAR((script.boxRect.left + script.boxRect.right) / 2, (around.left + around.right) / 2, 1);
    EXPECT_NEAR((script.boxRect.top + script.boxRect.bottom) / 2, (around.top + around.bottom) / 2, 1);
    EXPECT_FALSE(IsWindow(script.box));
    EXPECT_TRUE(IsWindowEnabled(owner));
    // Four lines of text, drawn; no icon for MB_OK alone.
    EXPECT_EQ(script.iconRect.right, 0);
    const int lineHeight = (script.textRect.bottom - script.textRect.top) / 4;
    EXPECT_GT(lineHeight, 10);
    EXPECT_EQ(script.textRect.bottom - script.textRect.top, 4 * lineHeight);
    for (int line = 0; line < 4; ++line) {
        const RECT row{script.textRect.left, script.textRect.top + line * lineHeight, script.textRect.right,
                       script.textRect.top + (line + 1) * lineHeight};
        const int area = (row.right - row.left) * (row.bottom - row.top);
        EXPECT_GT(area - countNear(script.frame, row, kFace, 64), 40) << "ink on line " << line;
    }
}

TEST_F(UserLinuxMessageBoxShown, ItsKeysAnswerAsWindowsBoxesDo)
{
    struct Case {
        const char* what;
        UINT type;
        std::vector<std::pair<UINT, BYTE>> keys;  // one per idle turn
        int answer;
    };
    const Case cases[] = {
        {"N alone on Yes/No", MB_YESNO | MB_ICONQUESTION, {{'N', 0}}, IDNO},
        {"Alt+Y", MB_YESNO, {{'Y', FALT}}, IDYES},
        {"Esc does nothing without Cancel", MB_YESNO, {{VK_ESCAPE, 0}, {VK_RETURN, 0}}, IDYES},
        {"Enter on the second default", MB_YESNO | MB_DEFBUTTON2, {{VK_RETURN, 0}}, IDNO},
        {"Esc is Cancel", MB_OKCANCEL | MB_ICONWARNING, {{VK_ESCAPE, 0}}, IDCANCEL},
        {"Tab then Space", MB_OKCANCEL, {{VK_TAB, 0}, {VK_SPACE, 0}}, IDCANCEL},
        {"I for Ignore", MB_ABORTRETRYIGNORE | MB_ICONINFORMATION, {{'I', 0}}, IDIGNORE},
        {"Esc on a lone OK", MB_OK | MB_ICONERROR, {{VK_ESCAPE, 0}}, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoxScript script;
        bool upAfterEachKey = true;
        script.idle = [&](HWND box, int turn) {
            if (turn > 0 && turn < int(c.keys.size())) upAfterEachKey = upAfterEachKey && IsWindowVisible(box);
            if (turn < int(c.keys.size())) q31automation::pressKey(box, c.keys[size_t(turn)].first, c.keys[size_t(turn)].second);
        };
        EXPECT_EQ(show(script, "Continue?", "Quorvane31", c.type, owner), c.answer);
        EXPECT_TRUE(upAfterEachKey);
    }
}

TEST_F(UserLinuxMessageBoxShown, TheOwnerStillPaintsWhileTheBoxIsUp)
{
    bool paintedDisabled = false;
    windows.setHandler([&paintedDisabled](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_PAINT && !IsWindowEnabled(hwnd)) paintedDisabled = true;
        return false;
    });
    BoxScript script;
    script.idle = [&](HWND box, int turn) {
        if (turn == 0) InvalidateRect(owner, nullptr, FALSE);
        if (turn == 1) q31automation::pressKey(box, VK_RETURN);
    };
    EXPECT_EQ(show(script, "Not enough video memory.", "Quorvane31", MB_OK | MB_ICONWARNING, owner), IDOK);
    EXPECT_TRUE(paintedDisabled);
    EXPECT_EQ(q31automation::messageBoxes().size(), 0u) << "a shown box is not answered by the seam";
}

TEST_F(UserLinuxMessageBoxShown, ALongLineIsWrappedToFiveEighthsOfTheScreen)
{
    std::string text;
    for (int i = 0; i < 40; ++i) text += "wrapping words ";
    BoxScript script;
    script.idle = [](HWND box, int turn) {
        if (turn == 1) q31automation::pressKey(box, VK_RETURN);
    };
    EXPECT_EQ(show(script, text.c_str(), "Quorvane31", MB_OK | MB_ICONINFORMATION, owner), IDOK);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_LE(script.boxRect.right - script.boxRect.left, screen * 5 / 8);
    EXPECT_GT(script.boxRect.right - script.boxRect.left, screen * 5 / 8 - 60) << "lines filled up to the limit";
    EXPECT_GT(script.textRect.bottom - script.textRect.top, 3 * 12) << "several lines";
    EXPECT_GT(countNear(script.frame, script.iconRect, 0x1868CC, 40), 300) << "the blue disc";
    EXPECT_LT(script.iconRect.right, script.textRect.left);
}

TEST_F(UserLinuxMessageBoxShown, AFatalErrorShowsTheStopIcon)
{
    BoxScript script;
    script.idle = [](HWND box, int turn) {
        if (turn == 1) q31automation::pressKey(box, VK_ESCAPE);
    };
    EXPECT_EQ(show(script, kFatal, "Quorvane31", MB_OK | MB_ICONERROR, nullptr), IDOK);
    ASSERT_FALSE(script.frame.pixels.empty());
    save(script.frame, "message_box_fatal.png");
    EXPECT_GT(countNear(script.frame, script.iconRect, 0xE02024, 40), 300) << "the red disc";
}

TEST(UserLinuxMessageBoxText, LinesBreakAtLineEndsAndWrapAtSpaces)
{
    using platform::user::wrapLines;
    const auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };  // 10 px a character
    using Lines = std::vector<std::string>;
    EXPECT_EQ(wrapLines("About\rVersion\r\nmail\nweb", 1000, width), (Lines{"About", "Version", "mail", "web"}));
    EXPECT_EQ(wrapLines("one two three four", 90, width), (Lines{"one two", "three", "four"}));
    EXPECT_EQ(wrapLines("one   two", 40, width), (Lines{"one", "two"})) << "spaces at a break dropped";
    EXPECT_EQ(wrapLines("abcdefghij", 40, width), (Lines{"abcd", "efgh", "ij"})) << "a word too wide is cut";
    EXPECT_EQ(wrapLines("", 40, width), (Lines{""}));
    EXPECT_EQ(wrapLines("a\r\rb", 40, width), (Lines{"a", "", "b"}));
}
