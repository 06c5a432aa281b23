// The framework's cost per frame: Application::run with its message pump,
// the frame timer, the statistics and a Present of a frame that is only
// cleared, against the floor of a bare SDL + OpenGL loop that polls events,
// clears and swaps a window of the same size. A second pair compares the
// same frame with a bare loop over the same device and window (pump, Clear,
// Present), which leaves the framework's own share. Everything presents
// without waiting for vertical sync. Operator new is counted: a steady-state
// frame of the loop must allocate nothing.
#include "bench/bench_support.h"
#include "bench/ratio_reporter.h"

#include <windows.h>
#include <d3d9.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <vector>

#include "framework/application.h"

namespace {

constexpr int Width = 500;
constexpr int Height = 375;

// Each benchmark iteration is one frame of the real loop: advanceFrame asks
// the benchmark whether to go on and ends the loop when it is done.
class LoopApp : public Application {
public:
    LoopApp()
    {
        windowTitle = "bench_frame_loop";
        createWidth = Width;
        createHeight = Height;
        enumerator.useDepthBuffer = true;
    }
    HRESULT initOnce() override
    {
        settings.windowedPresentInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        return S_OK;
    }
    HRESULT advanceFrame() override
    {
        ++frames;
        if (frames == countFrom) allocationsAtStart = allocationCount();
        if (state && !state->KeepRunning()) {
            state = nullptr;
            PostQuitMessage(0);
        }
        return S_OK;
    }
    HRESULT drawFrame() override
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 64), 1.0f, 0);
        return S_OK;
    }
    // One frame without the framework: the same pump, Clear and Present.
    void bareFrame()
    {
        MSG message;
        while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessage(&message);
        }
        drawFrame();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    void close()
    {
        if (window) SendMessage(window, WM_CLOSE, 0, 0);
        MSG message;
        while (PeekMessage(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    benchmark::State* state = nullptr;
    long frames = 0;
    long countFrom = 0;
    long allocationsAtStart = 0;
};

LoopApp* app;
SDL_Window* floorWindow;
SDL_GLContext floorContext;
long framesCounted = 0;
long allocationsCounted = -1;

void bmFramework(benchmark::State& state)
{
    // The frames after the first few of this run are the steady state.
    app->state = &state;
    app->countFrom = app->frames + 3;
    app->run();
    if (app->frames > app->countFrom) {
        framesCounted = app->frames - app->countFrom;
        allocationsCounted = allocationCount() - app->allocationsAtStart;
    }
}

void bmBareDevice(benchmark::State& state)
{
    for (auto _ : state) app->bareFrame();
}

// runWithRatios takes the benchmark flags out of the argument list it is
// given: each pass gets its own copy.
int runPass(int argc, char** argv, const char* ours, const char* baseline)
{
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    return runWithRatios(argc, arguments.data(), ours, baseline);
}

void bmFloor(benchmark::State& state)
{
    SDL_GL_MakeCurrent(floorWindow, floorContext);
    SDL_GL_SetSwapInterval(0);
    for (auto _ : state) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        glViewport(0, 0, Width, Height);
        glClearColor(0.0f, 0.0f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapWindow(floorWindow);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const pid_t xvfb = startXvfbIfNeeded();
    int result = 1;
    app = new LoopApp;
    if (SUCCEEDED(app->create(GetModuleHandle(nullptr)))) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        floorWindow = SDL_CreateWindow("floor", 0, 0, Width, Height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        floorContext = floorWindow ? SDL_GL_CreateContext(floorWindow) : nullptr;
        if (floorContext) {
            benchmark::RegisterBenchmark("Frame/framework", bmFramework)->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark("Frame/sdl_gl", bmFloor)->Unit(benchmark::kMicrosecond);
            result = runPass(argc, argv, "framework", "sdl_gl");
            benchmark::ClearRegisteredBenchmarks();
            benchmark::RegisterBenchmark("FrameOverItsDevice/framework", bmFramework)->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark("FrameOverItsDevice/bare_device", bmBareDevice)
                ->Unit(benchmark::kMicrosecond);
            result |= runPass(argc, argv, "framework", "bare_device");
            std::printf("Allocations in %ld steady-state frames of the framework loop: %ld\n", framesCounted,
                        allocationsCounted);
            if (allocationsCounted != 0) result = 1;
            SDL_GL_DeleteContext(floorContext);
        } else {
            std::fprintf(stderr, "bench_frame_loop: no OpenGL window for the floor: %s\n", SDL_GetError());
        }
        if (floorWindow) SDL_DestroyWindow(floorWindow);
        app->close();
    } else {
        std::fprintf(stderr, "bench_frame_loop: the application did not start (is an X display available?)\n");
    }
    delete app;
    stopXvfb(xvfb);
    return result;
}
