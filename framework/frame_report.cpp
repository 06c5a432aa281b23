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

}  // namespace

void reportPresentedFrame()
{
    // Looked at once, on the first frame: without the variable every later
    // call returns here.
    static FrameReport report;
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
