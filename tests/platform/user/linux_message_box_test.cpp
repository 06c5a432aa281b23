// Message boxes on the Linux layer, answered and recorded through the test
// seam: modal with the owner disabled, the owner still painting, and the
// answers Windows gives. Linux only.
#include <gtest/gtest.h>

#include "platform/user/message_text.h"
#include "tests/platform/user/linux_support.h"

namespace {

using usertest::RecordingWindows;

class UserLinuxMessageBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = windows.create(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_NE(owner, nullptr);
        usertest::pumpReady();
        windows.clear();
    }
    usertest::SeamOn seam;
    RecordingWindows windows;
    HWND owner = nullptr;
};

TEST(UserLinuxMessageBoxes, ABoxBeforeAnyWindowIsAnsweredAndRecorded)
{
    usertest::SeamOn seam;
    EXPECT_EQ(MessageBoxA(nullptr, "Could not initialize Direct3D.", "Q31", MB_OK | MB_ICONWARNING), IDOK);
    const auto boxes = q31automation::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].caption, "Q31");
    EXPECT_EQ(boxes[0].text, "Could not initialize Direct3D.");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(boxes[0].ownerDisabled);
}

TEST_F(UserLinuxMessageBox, TheOwnerIsDisabledWhileTheBoxIsUpAndEnabledAfter)
{
    const char* about = "Quorvane31 Version 3.13\rline two\rline three\rline four";
    EXPECT_EQ(MessageBoxA(owner, about, "About Quorvane3", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "Not enough video memory.", "Q31", MB_OK | MB_ICONERROR), IDOK);
    const auto boxes = q31automation::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].text, about);  // carriage returns kept as they are
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(boxes[0].ownerDisabled);
    EXPECT_EQ(boxes[1].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindowEnabled(owner));
    const auto enables = windows.only(WM_ENABLE);
    ASSERT_EQ(enables.size(), 4u);
    EXPECT_EQ(enables[0].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(enables[1].wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(UserLinuxMessageBox, QueuedAnswersAndDefaultButtonsAnswerAsWindowsWould)
{
    q31automation::queueMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(MessageBoxA(owner, "Continue?", "Q31", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(owner, "Continue?", "Q31", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "Continue?", "Q31", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxA(owner, "Continue?", nullptr, MB_YESNO), IDYES);
    EXPECT_EQ(q31automation::messageBoxes().back().caption, "Error");  // Windows' caption for none
    SetLastError(0);
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0)), "x", "y", MB_OK), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

struct DuringBox {
    HWND owner;
    bool clicked;
};

int repaintAndClick(const q31automation::MessageBoxRecord& box, void* context)
{
    auto* during = static_cast<DuringBox*>(context);
    InvalidateRect(box.owner, nullptr, FALSE);
    during->clicked = q31automation::click(during->owner, 20, 20);
    return IDOK;
}

TEST_F(UserLinuxMessageBox, TheOwnerPaintsWhileTheBoxIsUpAndItsInputIsDropped)
{
    bool paintedDisabled = false;
    windows.setHandler([&paintedDisabled](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_PAINT && !IsWindowEnabled(hwnd)) paintedDisabled = true;
        return false;
    });
    DuringBox during{owner, false};
    q31automation::setMessageBoxHandler(repaintAndClick, &during);
    EXPECT_EQ(MessageBoxA(owner, "text", "caption", MB_OK), IDOK);
    EXPECT_TRUE(during.clicked);
    EXPECT_TRUE(paintedDisabled);
    usertest::pumpReady();
    EXPECT_EQ(windows.count(WM_LBUTTONDOWN), 0u);
    // The same click now that the box is gone does arrive.
    ASSERT_TRUE(q31automation::click(owner, 20, 20));
    EXPECT_TRUE(usertest::pumpUntil([&] { return windows.count(WM_LBUTTONDOWN) == 1; }));
}

}  // namespace

TEST(UserLinuxMessageBoxes, CarriageReturnsBreakLinesInTheShownText)
{
    using platform::user::lineFeedBreaks;
    EXPECT_EQ(lineFeedBreaks("About\rVersion 3.13\r\rmail"), "About\nVersion 3.13\n\nmail");
    EXPECT_EQ(lineFeedBreaks("one\r\ntwo\n\rthree\r"), "one\ntwo\n\nthree\n");
    EXPECT_EQ(lineFeedBreaks(""), "");
}
