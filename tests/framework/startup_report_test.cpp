// The start-up report that the game benchmark reads: what it writes when
// Q31_STARTUP_REPORT names a file, on both targets. The variable is looked at
// once per process, so this file holds the one test that turns it on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/startup_report.h"

namespace {

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(StartupReport, WritesEachStageOnceInTheOrderReachedAndStopsAfterThePresentedFrame)
{
    std::error_code error;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path(error) /
        ("q31-startup-report-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".txt");
    ASSERT_FALSE(error);
    static std::string setting;  // putenv keeps the pointer
    setting = "Q31_STARTUP_REPORT=" + file.string();
    ASSERT_EQ(putenv(const_cast<char*>(setting.c_str())), 0);

    reportStartupStage(StartupStage::Direct3D);
    reportStartupStage(StartupStage::Enumerated);
    reportStartupStage(StartupStage::Window);
    reportStartupStage(StartupStage::Device);
    reportStartupStage(StartupStage::Media);
    // A second device (the reference fallback) is not a second start-up.
    reportStartupStage(StartupStage::Device);
    reportStartupStage(StartupStage::Media);
    reportStartupStage(StartupStage::Ready);
    // A line flushed as written: readable while the program runs on.
    const std::string beforeFrame = readBytes(file);
    reportStartupStage(StartupStage::Presented);
    reportStartupStage(StartupStage::Presented);
    const std::string text = readBytes(file);
    std::filesystem::remove(file, error);

    EXPECT_EQ(beforeFrame.find("presented"), std::string::npos);
    EXPECT_NE(beforeFrame.find("ready "), std::string::npos) << beforeFrame;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::istringstream lines(text);
    std::vector<std::string> names;
    std::vector<long long> times;
    std::string name;
    long long at = 0;
    while (lines >> name >> at) {
        names.push_back(name);
        times.push_back(at);
    }
    EXPECT_TRUE(lines.eof()) << text;
    const std::vector<std::string> expected = {"loaded", "direct3d", "enumerated", "window", "device",
                                               "media",  "ready",    "presented"};
    EXPECT_EQ(names, expected) << text;
    ASSERT_EQ(times.size(), expected.size());
    // Wall-clock microseconds, after 2020; never earlier than the stage before.
    EXPECT_GT(times.front(), 1577836800LL * 1000000);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_GE(times[i], times[i - 1]) << names[i];
}

}  // namespace
