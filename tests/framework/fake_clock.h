// Test support: a controllable clock for frameTimer. Installing it returns the
// timer to its process-start state; the real clocks come back at the end.
#pragma once

#include <cmath>

#include "framework/frame_timer.h"

namespace frameworktest {

class FakeClock : public TimerSource {
public:
    static constexpr LONGLONG TicksPerSecond = 1000000;

    FakeClock() { setTimerSourceForTesting(this); }
    ~FakeClock() override { setTimerSourceForTesting(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    bool frequency(LONGLONG* ticksPerSecond) override
    {
        ++frequencyQueries;
        *ticksPerSecond = frequencyValue;
        return hasPerformanceCounter;
    }
    LONGLONG counter() override { return ticks; }
    DWORD milliseconds() override { return static_cast<DWORD>(ticks / 1000); }

    // Both sources show the same instant: the counter in microseconds, the
    // multimedia timer rounded down to whole milliseconds.
    void setSeconds(double seconds) { ticks = std::llround(seconds * TicksPerSecond); }
    void advance(double seconds) { ticks += std::llround(seconds * TicksPerSecond); }

    bool hasPerformanceCounter = true;
    LONGLONG frequencyValue = TicksPerSecond;
    LONGLONG ticks = 0;
    int frequencyQueries = 0;
};

}  // namespace frameworktest
