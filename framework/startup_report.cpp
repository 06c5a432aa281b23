#include "framework/startup_report.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "framework/wall_clock.h"

namespace {

// Read before WinMain, with or without the report: one clock read.
const int64_t loadedAt = wallClockMicroseconds();

const char* const stageNames[] = {"direct3d", "enumerated", "window", "device", "media", "ready", "presented"};
constexpr int stageCount = static_cast<int>(sizeof stageNames / sizeof stageNames[0]);
static_assert(stageCount == static_cast<int>(StartupStage::Presented) + 1, "a name for every stage");

struct StartupReport {
    FILE* file = nullptr;
    bool reached[stageCount] = {};

    StartupReport()
    {
        const char* path = std::getenv("Q31_STARTUP_REPORT");
        // Binary: "\n" ends each line on both targets.
        if (path && *path) file = std::fopen(path, "wb");
        if (file) std::fprintf(file, "loaded %" PRId64 "\n", loadedAt);
    }
    ~StartupReport() { close(); }
    StartupReport(const StartupReport&) = delete;
    StartupReport& operator=(const StartupReport&) = delete;

    void close()
    {
        if (file) std::fclose(file);
        file = nullptr;
    }
};

}  // namespace

void reportStartupStage(StartupStage stage)
{
    // Looked at once, on the first stage; every frame calls this for the
    // last one, so off and after it returns here.
    static StartupReport report;
    if (!report.file) return;

    const int index = static_cast<int>(stage);
    if (index < 0 || index >= stageCount || report.reached[index]) return;
    report.reached[index] = true;
    std::fprintf(report.file, "%s %" PRId64 "\n", stageNames[index], wallClockMicroseconds());
    std::fflush(report.file);
    if (stage == StartupStage::Presented) report.close();
}
