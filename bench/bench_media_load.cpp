// The game's start-up loading of its media: the seven models of the source
// tree's media/ folder, each with the textures its materials name, through
// the mesh object on a real device, as the game's device hooks do it (load
// under the "x" path or else the plain name, then the drawable copy). There
// is no baseline: the time of one full load is printed in milliseconds, with
// the very first load of the process beside it (cold decoders and driver).
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <windows.h>
#include <d3d9.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "render/mesh_object.h"

namespace {

constexpr int ModelCount = 7;
constexpr int Width = 500;  // the game's window
constexpr int Height = 375;
const char* const ModelPaths[ModelCount] = {"x\\Lever1t.x", "x\\Lever2t.x", "x\\Lever3t.x", "x\\Lever4t.x",
                                            "x\\Lever5t.x", "x\\Lever6t.x", "x\\Base02.x"};
const char* const ModelNames[ModelCount] = {"Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x",
                                            "Lever5t.x", "Lever6t.x", "Base02.x"};

IDirect3DDevice9* gDevice = nullptr;

bool loadAll(MeshObject* meshes)
{
    for (int i = 0; i < ModelCount; ++i)
        if (FAILED(meshes[i].loadFromFile(gDevice, ModelPaths[i])) &&
            FAILED(meshes[i].loadFromFile(gDevice, ModelNames[i])))
            return false;
    for (int i = 0; i < ModelCount; ++i)
        if (FAILED(meshes[i].acquireDeviceMesh(gDevice))) return false;
    return true;
}

int textureCount(const MeshObject* meshes)
{
    int count = 0;
    for (int i = 0; i < ModelCount; ++i)
        for (DWORD m = 0; m < meshes[i].materialCount; ++m) count += meshes[i].textures[m] != nullptr;
    return count;
}

void releaseAll(MeshObject* meshes)
{
    for (int i = 0; i < ModelCount; ++i) meshes[i].releaseAll();
}

void bmStartupLoad(benchmark::State& state)
{
    MeshObject meshes[ModelCount];
    for (auto _ : state) {
        if (!loadAll(meshes)) {
            state.SkipWithError("a model could not be loaded");
            break;
        }
        state.PauseTiming();
        releaseAll(meshes);
        state.ResumeTiming();
    }
}

// The console table, and the real time of one full load in milliseconds: the
// median when repetitions give one, else the plain run's mean.
class LoadReporter : public benchmark::ConsoleReporter {
public:
    LoadReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            if (!median && hasMedian) continue;
            milliseconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            hasMedian = hasMedian || median;
        }
    }

    double milliseconds = -1.0;
    bool hasMedian = false;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const pid_t xvfb = startXvfbIfNeeded();
    HWND window = createBenchWindow("bench_media_load", Width, Height);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    gDevice = createBenchDevice(d3d, window, Width, Height);
    // Texture names inside the models are bare: the media search finds them
    // in the current directory, as it does for the game started there.
    std::error_code error;
    const std::filesystem::path saved = std::filesystem::current_path(error);
    std::filesystem::current_path(Q31_MEDIA_DIR, error);

    int result = 1;
    if (!gDevice) {
        std::fprintf(stderr, "bench_media_load: no window or device (is an X display available?)\n");
    } else if (error) {
        std::fprintf(stderr, "bench_media_load: cannot enter %s\n", Q31_MEDIA_DIR);
    } else {
        MeshObject meshes[ModelCount];
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = loadAll(meshes);
        const std::chrono::duration<double, std::milli> first = std::chrono::steady_clock::now() - start;
        const int textures = textureCount(meshes);
        releaseAll(meshes);
        if (!loaded || textures < ModelCount) {
            std::fprintf(stderr, "bench_media_load: the models of %s did not load with their textures (%d)\n",
                         Q31_MEDIA_DIR, textures);
        } else {
            benchmark::RegisterBenchmark("StartupLoad/7models", bmStartupLoad)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            LoadReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            if (reporter.milliseconds >= 0.0) {
                std::printf("Start-up load of the seven models with their %d textures: %.2f ms per full load "
                            "(first load of the process: %.2f ms)\n",
                            textures, reporter.milliseconds, first.count());
                result = 0;
            } else {
                std::fprintf(stderr, "bench_media_load: the load benchmark gave no result\n");
            }
        }
    }
    benchmark::Shutdown();
    std::filesystem::current_path(saved, error);
    if (gDevice) gDevice->Release();
    if (d3d) d3d->Release();
    if (window) DestroyWindow(window);
    stopXvfb(xvfb);
    return result;
}
