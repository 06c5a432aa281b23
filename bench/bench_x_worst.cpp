// The hostile .x files of tests/assets/x_worst_cases.h through
// D3DXLoadMeshFromXInMemory: the time of each load and the peak resident
// memory of a process that makes the file and loads it. Each case runs in a
// child process of its own, so that its peak is its own, under a 4 GiB
// address-space limit and a 60 s alarm, so that a loader that balloons or
// stalls is reported as such rather than taking the machine.
#include "tests/assets/x_worst_cases.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr rlim_t kAddressSpace = rlim_t(4) << 30;
constexpr unsigned kAlarmSeconds = 60;

struct Outcome {
    double seconds = 0;
    double cpuSeconds = 0;  // the wall time means little on a busy machine
    HRESULT result = S_OK;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// In the child: make the file, load it, report through `fd`.
[[noreturn]] void runChild(const xworst::Case& c, int fd) {
    const rlimit limit{kAddressSpace, kAddressSpace};
    setrlimit(RLIMIT_AS, &limit);
    alarm(kAlarmSeconds);
    const std::string file = c.make();
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    Outcome outcome;
    outcome.result = D3DXLoadMeshFromXInMemory(file.data(), static_cast<DWORD>(file.size()), D3DXMESH_SYSTEMMEM,
                                               nullptr, &adjacency, &materials, nullptr, &count, &mesh);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.cpuSeconds = cpuSeconds() - cpuStart;
    ssize_t written = write(fd, &outcome, sizeof outcome);
    _exit(written == sizeof outcome ? 0 : 1);
}

void loadWorstCase(benchmark::State& state, const xworst::Case* c) {
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            runChild(*c, fds[1]);
        }
        close(fds[1]);
        Outcome outcome;
        const bool reported = child > 0 && read(fds[0], &outcome, sizeof outcome) == sizeof outcome;
        close(fds[0]);
        int status = 0;
        rusage usage{};
        if (child > 0) wait4(child, &status, 0, &usage);
        state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024;
        if (!reported) {
            const bool alarmed = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
            state.SkipWithError(alarmed ? "still loading after 60 s" : "the load died (out of memory?)");
            return;
        }
        state.SetIterationTime(outcome.seconds);
        state.counters["cpu_s"] = outcome.cpuSeconds;
        state.SetLabel(outcome.result == c->expected ? "as expected" : "UNEXPECTED RESULT");
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (const xworst::Case& c : xworst::cases())
        benchmark::RegisterBenchmark((std::string("LoadXWorst/") + c.name).c_str(), loadWorstCase, &c)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
