// Shared by the benchmarks that need an X display or count allocations:
// a private Xvfb started when no DISPLAY is set, and a count of every
// operator new the program makes (linking bench_support.cpp replaces the
// global operator new and delete). Linux only.
#pragma once

#include <sys/types.h>

// Starts Xvfb on a free display and points DISPLAY at it when none is set;
// returns its process id, or -1 when a display was already there or Xvfb
// could not be started.
pid_t startXvfbIfNeeded();
// Stops what startXvfbIfNeeded started (nothing for -1).
void stopXvfb(pid_t xvfb);

// operator new calls so far.
long allocationCount();
