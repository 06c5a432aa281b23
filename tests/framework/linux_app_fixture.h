// The application fixture with the Linux layer's seam on: message boxes are
// answered (OK) and recorded instead of shown, and device failures injected
// by a test are cleared again. Linux only.
#pragma once

#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/automation.h"
#include "q31_automation.h"
#include "tests/framework/app_fixture.h"

namespace frameworktest {

// Processor time of this process and wall time, in seconds: a loop that
// waits uses next to none of the first while the second passes.
inline double processSeconds()
{
    timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
inline double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Clicks button `id` of the dialog that is up over the application (the
// active window) and returns the dialog; null when no other window is active.
inline HWND pressDialogButton(const TraceApp& app, int id)
{
    HWND dialog = GetActiveWindow();
    if (!dialog || dialog == app.window) return nullptr;
    SendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    return dialog;
}

class LinuxApp : public AppFixture {
protected:
    void SetUp() override
    {
        q31automation::setEnabled(true);
        q31automation::clearMessageBoxes();
        AppFixture::SetUp();
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        clearInjectedFailures();
        q31automation::clearMessageBoxes();
        q31automation::setEnabled(false);
    }

    // A fresh application for a second run in the same test.
    void restart()
    {
        AppFixture::TearDown();
        q31automation::clearMessageBoxes();
        AppFixture::SetUp();
    }

    // The boxes shown so far, each with its text and icon: every one owned
    // by no window, captioned with the window title, with an OK button only.
    void expectBoxes(const std::vector<std::pair<std::string, UINT>>& expected)
    {
        const auto boxes = q31automation::messageBoxes();
        ASSERT_EQ(boxes.size(), expected.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(boxes[i].text, expected[i].first);
            EXPECT_EQ(boxes[i].caption, "Trace App");
            EXPECT_EQ(boxes[i].type, expected[i].second | MB_OK);
            EXPECT_EQ(boxes[i].owner, nullptr);
        }
    }

private:
    static void clearInjectedFailures()
    {
        namespace device = d3d9gl::automation;
        for (int call = 0; call < int(device::Call::Count); ++call)
            device::takeInjectedFailure(static_cast<device::Call>(call), nullptr);
    }
};

}  // namespace frameworktest
