// Shared by the benchmarks that need an X display, a device or count
// allocations: a private Xvfb started when no DISPLAY is set, a plain window
// with a HAL device on it, and a count of every operator new the program
// makes (linking bench_support.cpp replaces the global operator new and
// delete). Linux only.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <sys/types.h>

// Starts Xvfb on a free display and points DISPLAY at it when none is set;
// returns its process id, or -1 when a display was already there or Xvfb
// could not be started.
pid_t startXvfbIfNeeded();
// Stops what startXvfbIfNeeded started (nothing for -1).
void stopXvfb(pid_t xvfb);

// operator new calls so far.
long allocationCount();

// A top-level window of width x height with the default window procedure;
// null when it cannot be made. DestroyWindow ends it.
HWND createBenchWindow(const char* title, int width, int height);
// A windowed HAL device on `window`: an X8R8G8B8 back buffer of width x
// height, D24S8 depth, hardware vertex processing, immediate presentation.
// Null when the device cannot be made; the caller releases it.
IDirect3DDevice9* createBenchDevice(IDirect3D9* d3d, HWND window, UINT width, UINT height);
