#include "framework/frame_timer.h"

#include <mmsystem.h>

namespace {

class SystemTimerSource : public TimerSource {
public:
    bool frequency(LONGLONG* ticksPerSecond) override
    {
        LARGE_INTEGER value{};
        if (!QueryPerformanceFrequency(&value)) return false;
        *ticksPerSecond = value.QuadPart;
        return true;
    }
    LONGLONG counter() override
    {
        LARGE_INTEGER value{};
        QueryPerformanceCounter(&value);
        return value.QuadPart;
    }
    DWORD milliseconds() override { return timeGetTime(); }
};

SystemTimerSource systemSource;

// Counter values are ticks of the performance counter, or milliseconds of the
// multimedia timer when there is none; toSeconds knows which.
struct TimerState {
    TimerSource* source = &systemSource;
    bool sourceChosen = false;
    bool usePerformanceCounter = false;
    LONGLONG ticksPerSecond = 0;
    bool stopped = true;
    LONGLONG stopTime = 0;
    LONGLONG lastElapsedTime = 0;
    LONGLONG baseTime = 0;
};

TimerState timer;

LONGLONG readClock()
{
    return timer.usePerformanceCounter ? timer.source->counter()
                                       : static_cast<LONGLONG>(timer.source->milliseconds());
}

double toSeconds(LONGLONG value)
{
    if (timer.usePerformanceCounter)
        return static_cast<double>(value) / static_cast<double>(timer.ticksPerSecond);
    return static_cast<double>(value) * 0.001;
}

}  // namespace

void setTimerSourceForTesting(TimerSource* source)
{
    timer = TimerState{};
    if (source != nullptr) timer.source = source;
}

double frameTimer(TimerCommand command)
{
    if (!timer.sourceChosen) {
        LONGLONG frequency = 0;
        // A zero frequency would divide by zero; treat it as no counter.
        timer.usePerformanceCounter = timer.source->frequency(&frequency) && frequency > 0;
        timer.ticksPerSecond = timer.usePerformanceCounter ? frequency : 0;
        timer.sourceChosen = true;
    }

    // While stopped every query answers as of the stop instant.
    const bool frozen = timer.stopTime != 0 && command != Start && command != AbsoluteTime;
    const LONGLONG now = frozen ? timer.stopTime : readClock();

    switch (command) {
    case Start:
        if (timer.stopped) timer.baseTime += now - timer.stopTime;
        timer.stopTime = 0;
        timer.lastElapsedTime = now;
        timer.stopped = false;
        return 0.0;
    case Stop:
        if (!timer.stopped) {
            timer.stopTime = now;
            timer.lastElapsedTime = now;
            timer.stopped = true;
        }
        return 0.0;
    case AbsoluteTime:
        return toSeconds(now);
    case AppTime:
        return toSeconds(now - timer.baseTime);
    case ElapsedTime: {
        const double elapsed = toSeconds(now - timer.lastElapsedTime);
        timer.lastElapsedTime = now;
        return elapsed;
    }
    }
    return 0.0;
}
