// A fixture owning one test application per test, with the process-wide
// framework state (pause depth, the fatal-message flag, the statistics
// counters) and the thread's queue returned to their start state around it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "tests/framework/trace_app.h"

namespace frameworktest {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        drainMessages();
        Application::resetProcessStateForTesting();
        app = std::make_unique<TraceApp>();
    }
    void TearDown() override
    {
        // A test that stopped early leaves its window open.
        if (app && app->window) SendMessage(app->window, WM_CLOSE, 0, 0);
        if (app && app->leakedDevice) app->leakedDevice->Release();
        app.reset();
        drainMessages();
        Application::resetProcessStateForTesting();
    }
    static HINSTANCE instance() { return GetModuleHandle(nullptr); }

    std::unique_ptr<TraceApp> app;
};

}  // namespace frameworktest
