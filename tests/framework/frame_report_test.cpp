// The frame report that the game benchmark and the install check read: what
// it writes when Q31_FRAME_REPORT names a file, byte for byte, on both targets.
// The variable is looked at once per process, so this file holds the one test
// that turns it on; no other test of this program presents frames.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "framework/frame_report.h"

namespace {

TEST(FrameReport, WritesTheFirstFrameACountOncePerSecondAndEachReset)
{
    std::error_code error;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path(error) /
        ("q31-frame-report-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".txt");
    ASSERT_FALSE(error);
    static std::string setting;  // putenv keeps the pointer
    setting = "Q31_FRAME_REPORT=" + file.string();
    ASSERT_EQ(putenv(const_cast<char*>(setting.c_str())), 0);

    reportPresentedFrame();
    reportPresentedFrame();  // within the second: counted, no line
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    reportPresentedFrame();  // the third frame, a second on: a line
    reportPresentedFrame();  // a second from that line has not passed
    reportDeviceReset();     // each reset has its line at once
    reportDeviceReset();

    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    in.close();
    std::filesystem::remove(file, error);

    // "\n" alone ends each line, also where text files would get "\r\n".
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::istringstream lines(text);
    std::string word;
    long long first = 0, count = 0, at = 0;
    ASSERT_TRUE(lines >> word >> first) << text;
    EXPECT_EQ(word, "first");
    ASSERT_TRUE(lines >> word >> count >> at) << text;
    EXPECT_EQ(word, "frames");
    EXPECT_EQ(count, 3);
    // Wall-clock microseconds: after 2020, and at least the second slept apart.
    EXPECT_GT(first, 1577836800LL * 1000000);
    EXPECT_GE(at - first, 1000000);
    for (long long n = 1; n <= 2; ++n) {
        long long resetAt = 0;
        ASSERT_TRUE(lines >> word >> count >> resetAt) << text;
        EXPECT_EQ(word, "resets");
        EXPECT_EQ(count, n);
        EXPECT_GE(resetAt, at);
    }
    EXPECT_FALSE(lines >> word) << "a line less than a second after the last: " << word;
}

}  // namespace
