#include "framework/frame_timer.h"

#include <gtest/gtest.h>

#include "tests/framework/fake_clock.h"

namespace {

using frameworktest::FakeClock;

class FrameTimer : public ::testing::Test {
protected:
    void SetUp() override { clock.setSeconds(100.0); }
    FakeClock clock;
};

TEST_F(FrameTimer, FirstStartIsTheOriginOfApplicationTime)
{
    EXPECT_EQ(frameTimer(Start), 0.0);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 0.0);
    clock.advance(2.5);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 2.5);
    EXPECT_DOUBLE_EQ(frameTimer(AbsoluteTime), 102.5);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 2.5) << "measured from the Start";
}

TEST_F(FrameTimer, PauseFreezesApplicationTimeAndLeavesItsIntervalOut)
{
    frameTimer(Start);
    clock.advance(1.0);
    EXPECT_EQ(frameTimer(Stop), 0.0);
    clock.advance(5.0);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 1.0);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.0);
    EXPECT_DOUBLE_EQ(frameTimer(AbsoluteTime), 106.0) << "absolute time ignores the pause";

    frameTimer(Start);
    clock.advance(0.5);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 1.5);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.5);
    clock.advance(0.25);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.25) << "each query measures from the one before";
}

TEST_F(FrameTimer, SecondStopKeepsTheFirstInstant)
{
    frameTimer(Start);
    clock.advance(1.0);
    frameTimer(Stop);
    clock.advance(2.0);
    frameTimer(Stop);
    clock.advance(3.0);
    frameTimer(Start);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 1.0);
}

TEST_F(FrameTimer, SecondStartLeavesTheBaseTimeAlone)
{
    frameTimer(Start);
    clock.advance(1.0);
    frameTimer(Start);
    EXPECT_DOUBLE_EQ(frameTimer(AppTime), 1.0);
    EXPECT_DOUBLE_EQ(frameTimer(ElapsedTime), 0.0) << "but elapsed time restarts";
}

TEST_F(FrameTimer, CounterSourceIsChosenOnce)
{
    for (int i = 0; i < 5; ++i) frameTimer(AppTime);
    frameTimer(Start);
    EXPECT_EQ(clock.frequencyQueries, 1);
}

TEST_F(FrameTimer, WithoutPerformanceCounterSameRulesInMilliseconds)
{
    struct Case {
        bool hasCounter;
        LONGLONG frequency;
    };
    // No counter at all, or one that reports a zero frequency.
    for (Case c : {Case{false, FakeClock::TicksPerSecond}, Case{true, 0}}) {
        clock.hasPerformanceCounter = c.hasCounter;
        clock.frequencyValue = c.frequency;
        setTimerSourceForTesting(&clock);
        clock.setSeconds(100.0);

        frameTimer(Start);
        clock.advance(1.5);
        EXPECT_NEAR(frameTimer(AppTime), 1.5, 1e-9);
        EXPECT_NEAR(frameTimer(ElapsedTime), 1.5, 1e-9);
        clock.advance(0.0004);
        EXPECT_EQ(frameTimer(ElapsedTime), 0.0) << "less than a millisecond is nothing";
        frameTimer(Stop);
        clock.advance(3.0);
        frameTimer(Start);
        clock.advance(0.25);
        EXPECT_NEAR(frameTimer(AppTime), 1.75, 1e-9);
        EXPECT_NEAR(frameTimer(AbsoluteTime), 104.75, 1e-9) << "whole milliseconds";
    }
}

}  // namespace
