// Wall-clock microseconds since the Unix epoch: the clock the frame and
// start-up reports write, comparable with the shell's $EPOCHREALTIME that the
// benchmark reads at the launch.
#pragma once

#include <chrono>
#include <cstdint>

inline int64_t wallClockMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}
