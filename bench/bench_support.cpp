#include "bench/bench_support.h"

#include "tests/support/presentation.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<long> allocations{0};

LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void* operator new(size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();  // the benchmark cannot go on without memory
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

long allocationCount()
{
    return allocations.load();
}

pid_t startXvfbIfNeeded()
{
    if (std::getenv("DISPLAY")) return -1;
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        std::freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buffer[16] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    if (n <= 0) return pid;
    setenv("DISPLAY", (":" + std::to_string(std::atoi(buffer))).c_str(), 1);
    return pid;
}

void stopXvfb(pid_t xvfb)
{
    if (xvfb <= 0) return;
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
}

HWND createBenchWindow(const char* title, int width, int height)
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = benchWindowProc;
        wc.lpszClassName = "Q31Bench";
        atom = RegisterClassA(&wc);
        if (!atom) return nullptr;
    }
    return CreateWindowExA(0, "Q31Bench", title, WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr, nullptr,
                           nullptr);
}

IDirect3DDevice9* createBenchDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height)
{
    if (!d3d || !window) return nullptr;
    D3DPRESENT_PARAMETERS pp = q31test::windowedPresentation(window, width, height);
    IDirect3DDevice9* device = nullptr;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device)))
        return nullptr;
    return device;
}
