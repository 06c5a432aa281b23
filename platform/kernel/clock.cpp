// Performance counter, tick counts and Sleep over CLOCK_MONOTONIC, which
// like the Windows clocks never steps back when the wall clock is set.
#include <windows.h>
#include <mmsystem.h>

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace {

constexpr LONGLONG kNanosecondsPerSecond = 1000000000;

LONGLONG monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

DWORD monotonicMilliseconds() {
    return static_cast<DWORD>(static_cast<ULONGLONG>(monotonicNanoseconds() / 1000000));
}

}  // namespace

extern "C" {

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    frequency->QuadPart = kNanosecondsPerSecond;
    return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    count->QuadPart = monotonicNanoseconds();
    return TRUE;
}

DWORD WINAPI GetTickCount(void) { return monotonicMilliseconds(); }

DWORD WINAPI timeGetTime(void) { return monotonicMilliseconds(); }

void WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        // Sleep(0) gives up the rest of the time slice.
        sched_yield();
        return;
    }
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000;
    // A signal must not cut the sleep short: Windows has no such wake-up.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

}  // extern "C"
