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
