#include "framework/frame_report.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "framework/wall_clock.h"

namespace {

constexpr int64_t LineInterval = 1000000;  // microseconds between "frames" lines

struct FrameReport {
    FILE* file = nullptr;
    int64_t frames = 0;
    int64_t resets = 0;
    int64_t nextLineAt = 0;

    FrameReport()
    {
        const char* path = std::getenv("Q31_FRAME_REPORT");
        // Binary: the same bytes, "\n" ends each line, on both targets.
        if (path && *path) file = std::fopen(path, "wb");
    }
    ~FrameReport()
    {
        if (file) std::fclose(file);
    }
    FrameReport(const FrameReport&) = delete;
    FrameReport& operator=(const FrameReport&) = delete;
};

// Looked at once, on first use: without the variable every later call
// returns at once.
FrameReport& theReport()
{
    static FrameReport report;
    return report;
}

}  // namespace

void reportPresentedFrame()
{
    FrameReport& report = theReport();
    if (!report.file) return;

    const int64_t now = wallClockMicroseconds();
    ++report.frames;
    if (report.frames == 1) {
        std::fprintf(report.file, "first %" PRId64 "\n", now);
    } else if (now >= report.nextLineAt) {
        std::fprintf(report.file, "frames %" PRId64 " %" PRId64 "\n", report.frames, now);
    } else {
        return;
    }
    std::fflush(report.file);
    report.nextLineAt = now + LineInterval;
}

void reportDeviceReset()
{
    FrameReport& report = theReport();
    if (!report.file) return;
    std::fprintf(report.file, "resets %" PRId64 " %" PRId64 "\n", ++report.resets, wallClockMicroseconds());
    std::fflush(report.file);
}
