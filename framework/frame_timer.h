// The framework's one clock: application time that freezes while the
// application is paused, the per-frame elapsed time, and an unpaused absolute
// time for the frame statistics. Process-wide, one instance, single-threaded.
// Called by the frame loop (Application::stepFrame, create, the pause logic)
// and the statistics code. Cannot fail: without a performance counter it
// falls back to the millisecond multimedia timer.
#pragma once

#include <windows.h>

#include <cstdint>

enum TimerCommand : int32_t {
    Start = 0,         // resume; the paused interval is left out of application time
    Stop = 1,          // pause; a second Stop keeps the first instant
    AbsoluteTime = 2,  // seconds since the clock's origin, ignoring pauses
    AppTime = 3,       // seconds of unpaused time since the first Start
    ElapsedTime = 4,   // seconds since the last ElapsedTime, Start or Stop
};

// Seconds for the time queries, 0 for Start and Stop. The timer is stopped
// until the first Start, which makes application time count from then.
double frameTimer(TimerCommand command);

// Where the timer reads the time; the real one calls QueryPerformanceFrequency,
// QueryPerformanceCounter and timeGetTime.
class TimerSource {
public:
    virtual ~TimerSource() = default;
    // False when there is no performance counter.
    virtual bool frequency(LONGLONG* ticksPerSecond) = 0;
    // The performance counter, in ticks.
    virtual LONGLONG counter() = 0;
    // The multimedia timer, in milliseconds.
    virtual DWORD milliseconds() = 0;
};

// Test seam, off by default: reads `source` instead (null restores the real
// clocks) and returns the timer to its process-start state, so the counter
// source is chosen again on the next call.
void setTimerSourceForTesting(TimerSource* source);
