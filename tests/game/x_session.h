// Test support for driving a real program on the test's X display from the
// outside, as a person would: xdotool for windows, pointer and keys, and
// ImageMagick's import for the pixels shown. Child programs are started with
// their own working directory and waited for with a time limit. Linux only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gametest {

struct Shot {
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top first
    int width = 0;
    int height = 0;
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool empty() const { return pixels.empty(); }
};

// The part of `shot` from (x, y), width by height (clipped to the shot).
Shot crop(const Shot& shot, int x, int y, int width, int height);

// Pixels whose channels differ by more than `tolerance` in any channel.
int differingPixels(const Shot& a, const Shot& b, int tolerance);

// The bounding box of the pixels exactly equal to `rgb`; false when none.
bool boundsOf(const Shot& shot, uint32_t rgb, int* left, int* top, int* right, int* bottom);

// Runs a shell command; its standard output, and its exit status in *status.
std::string shell(const std::string& command, int* status = nullptr);

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class XSession {
public:
    // The first visible window whose whole name is `name`, waiting up to
    // `seconds`; 0 when none appeared.
    unsigned long waitForWindow(const std::string& name, double seconds);
    // A top-level window titled `name` other than `except`, waiting up to
    // `seconds`: the layer's message boxes, which xdotool's search skips
    // (they carry no WM_CLASS); 0 when none appeared.
    unsigned long waitForOtherWindow(const std::string& name, unsigned long except, double seconds);
    std::string windowName(unsigned long window);
    Geometry geometry(unsigned long window);
    // The window's pixels as shown on the screen.
    Shot capture(unsigned long window);
    // Captures until the pixel `inset` pixels from the bottom-left corner has
    // colour `rgb` (the first frame drawn), for at most `seconds`; the last
    // capture either way.
    Shot waitForColour(unsigned long window, uint32_t rgb, int inset, double seconds);

    // Input goes to `display` instead, at the root coordinates the window
    // has on its own display: a nested compositor's host, whose output
    // window covers the program's X server's root one to one and leaves the
    // host's bottom-right pixel uncovered.
    void sendInputTo(const std::string& display) { inputDisplay_ = display; }

    // Real pointer and key events (XTEST) at window-relative pixels. Through
    // a compositor, false when the pointer could not be brought there (the
    // click still happens, where the pointer is).
    bool click(unsigned long window, int x, int y);
    bool move(unsigned long window, int x, int y);
    void key(unsigned long window, const std::string& keys);

private:
    std::string outsideOutput();

    std::string inputDisplay_;
};

// A program started in `workingDirectory` with its output in `logFile`.
class ChildProgram {
public:
    ChildProgram(const std::string& path, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory, const std::string& logFile,
                 const std::vector<std::string>& environment = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return pid_ > 0; }
    // Sends `signal` to the program while it runs.
    void signal(int signal);
    // Its exit status once it ended within `seconds`; -1 if it is still
    // running then (it is killed on destruction), -2 if it died of a signal.
    int waitForExit(double seconds);

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// For the game just started as `program`: its window appears, shows the
// chest on blue (not a message box) and Esc ends it with status 0. Empty when
// all of that happened, otherwise what did not.
std::string startsWithTheChestAndEndsOnEsc(XSession& x, ChildProgram& program);

}  // namespace gametest
