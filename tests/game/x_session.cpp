#include "tests/game/x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace gametest {

Shot crop(const Shot& shot, int x, int y, int width, int height)
{
    Shot out;
    x = std::max(0, x);
    y = std::max(0, y);
    out.width = std::max(0, std::min(width, shot.width - x));
    out.height = std::max(0, std::min(height, shot.height - y));
    out.pixels.reserve(size_t(out.width) * size_t(out.height));
    for (int row = 0; row < out.height; ++row) {
        for (int column = 0; column < out.width; ++column) out.pixels.push_back(shot.at(x + column, y + row));
    }
    return out;
}

int differingPixels(const Shot& a, const Shot& b, int tolerance)
{
    if (a.width != b.width || a.height != b.height) return a.width * a.height + b.width * b.height;
    int count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            const int ca = int((a.pixels[i] >> shift) & 0xFF);
            const int cb = int((b.pixels[i] >> shift) & 0xFF);
            if (std::abs(ca - cb) > tolerance) {
                ++count;
                break;
            }
        }
    }
    return count;
}

bool boundsOf(const Shot& shot, uint32_t rgb, int* left, int* top, int* right, int* bottom)
{
    bool found = false;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            if (shot.at(x, y) != rgb) continue;
            if (!found) {
                *left = *right = x;
                *top = *bottom = y;
                found = true;
            }
            *left = std::min(*left, x);
            *right = std::max(*right, x);
            *top = std::min(*top, y);
            *bottom = std::max(*bottom, y);
        }
    }
    return found;
}

std::string shell(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status) *status = -1;
        return output;
    }
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int result = pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

unsigned long XSession::waitForWindow(const std::string& name, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        std::istringstream ids(shell("xdotool search --onlyvisible --name '^" + name + "$' 2>/dev/null"));
        unsigned long id = 0;
        if (ids >> id) return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

unsigned long XSession::waitForOtherWindow(const std::string& name, unsigned long except, double seconds)
{
    const std::string quoted = "\"" + name + "\"";
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        std::istringstream lines(shell("xwininfo -root -children 2>/dev/null"));
        std::string line;
        while (std::getline(lines, line)) {
            const size_t title = line.find(quoted);
            if (title == std::string::npos) continue;
            const unsigned long id = std::strtoul(line.c_str(), nullptr, 16);
            if (id != 0 && id != except) return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

std::string XSession::windowName(unsigned long window)
{
    std::string name = shell("xdotool getwindowname " + std::to_string(window));
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    return name;
}

Geometry XSession::geometry(unsigned long window)
{
    Geometry g;
    std::istringstream lines(shell("xdotool getwindowgeometry --shell " + std::to_string(window)));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = value;
        if (key == "Y") g.y = value;
        if (key == "WIDTH") g.width = value;
        if (key == "HEIGHT") g.height = value;
    }
    return g;
}

Shot XSession::capture(unsigned long window)
{
    Shot shot;
    const Geometry g = geometry(window);
    if (g.width <= 0 || g.height <= 0) return shot;
    const std::string raw = shell("import -window " + std::to_string(window) + " -depth 8 rgb:- 2>/dev/null");
    if (raw.size() != size_t(g.width) * size_t(g.height) * 3) return shot;
    shot.width = g.width;
    shot.height = g.height;
    shot.pixels.resize(size_t(g.width) * size_t(g.height));
    for (size_t i = 0; i < shot.pixels.size(); ++i) {
        shot.pixels[i] = uint32_t(uint8_t(raw[3 * i])) << 16 | uint32_t(uint8_t(raw[3 * i + 1])) << 8 |
                         uint32_t(uint8_t(raw[3 * i + 2]));
    }
    return shot;
}

Shot XSession::waitForColour(unsigned long window, uint32_t rgb, int inset, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Shot shot;
    do {
        shot = capture(window);
        if (!shot.empty() && shot.width > inset && shot.height > inset && shot.at(inset, shot.height - 1 - inset) == rgb)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return shot;
}

namespace {

// The pointer's root position on the program's X server, from
// `xdotool getmouselocation` ("x:12 y:34 screen:0 window:56").
bool pointerAt(int* x, int* y)
{
    return std::sscanf(shell("xdotool getmouselocation").c_str(), "x:%d y:%d", x, y) == 2;
}

}  // namespace

bool XSession::move(unsigned long window, int x, int y)
{
    if (inputDisplay_.empty()) {
        shell("xdotool mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) + " " +
              std::to_string(y));
        return true;
    }
    // xdotool gives the position in the parent, the window manager's frame;
    // xwininfo the one on the root, which the host's pointer needs.
    int rootX = 0, rootY = 0;
    std::istringstream lines(shell("xwininfo -id " + std::to_string(window)));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t colon = line.find(':');
        if (line.find("Absolute upper-left X:") != std::string::npos) rootX = std::atoi(line.c_str() + colon + 1);
        if (line.find("Absolute upper-left Y:") != std::string::npos) rootY = std::atoi(line.c_str() + colon + 1);
    }
    const int targetX = rootX + x, targetY = rootY + y;
    int hostX = targetX, hostY = targetY;
    // The compositor passes the motion on in its own time: wait (bounded)
    // until the program's X server has the pointer there too. weston's x11
    // backend follows the host's pointer by relative motion from where it
    // last entered the output window; a missed entry leaves its pointer off
    // the host's, so a retry first leaves the window and enters it again.
    // The X server also places a window where the compositor last told it,
    // which can lag the compositor's own placement: a pointer that lands
    // off by that lag is moved by the difference.
    for (int attempt = 0; attempt < 4; ++attempt) {
        int beforeX = -1, beforeY = -1;
        pointerAt(&beforeX, &beforeY);
        if (attempt > 0) shell("DISPLAY=" + inputDisplay_ + " xdotool mousemove --sync " + outsideOutput());
        shell("DISPLAY=" + inputDisplay_ + " xdotool mousemove --sync " + std::to_string(hostX) + " " +
              std::to_string(hostY));
        int atX = beforeX, atY = beforeY;
        auto settledSince = std::chrono::steady_clock::now();
        const auto end = settledSince + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            int nowX = -1, nowY = -1;
            if (pointerAt(&nowX, &nowY) && nowX == targetX && nowY == targetY) return true;
            if (nowX != atX || nowY != atY) {
                atX = nowX;
                atY = nowY;
                settledSince = std::chrono::steady_clock::now();
            } else if ((atX != beforeX || atY != beforeY) &&
                       std::chrono::steady_clock::now() - settledSince > std::chrono::milliseconds(300)) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (atX >= 0 && (atX != beforeX || atY != beforeY)) {
            hostX += targetX - atX;
            hostY += targetY - atY;
        }
    }
    std::fprintf(stderr, "the pointer did not reach %d,%d (the host's pointer on %s last moved to %d,%d)\n", targetX,
                 targetY, inputDisplay_.c_str(), hostX, hostY);
    return false;
}

std::string XSession::outsideOutput()
{
    // The host's bottom-right pixel, which the compositor's output window
    // leaves uncovered.
    int width = 0, height = 0;
    std::sscanf(shell("DISPLAY=" + inputDisplay_ + " xdotool getdisplaygeometry").c_str(), "%d %d", &width, &height);
    return std::to_string(width - 1) + " " + std::to_string(height - 1);
}

bool XSession::click(unsigned long window, int x, int y)
{
    const bool there = move(window, x, y);
    // Press and release a moment apart, as a hand does: the menu strip takes
    // its hover and its press from separate frames.
    const std::string to = inputDisplay_.empty() ? "" : "DISPLAY=" + inputDisplay_ + " ";
    shell("sleep 0.05; " + to + "xdotool mousedown 1; sleep 0.05; " + to + "xdotool mouseup 1");
    return there;
}

void XSession::key(unsigned long window, const std::string& keys)
{
    // Through a compositor the keys go where its seat's keyboard focus is,
    // which follows the clicks.
    if (!inputDisplay_.empty()) {
        shell("DISPLAY=" + inputDisplay_ + " xdotool key " + keys);
        return;
    }
    shell("xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null; xdotool key " + keys);
}

ChildProgram::ChildProgram(const std::string& path, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory, const std::string& logFile,
                           const std::vector<std::string>& environment)
{
    pid_ = fork();
    if (pid_ != 0) return;
    const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log >= 0) {
        dup2(log, 1);
        dup2(log, 2);
    }
    if (chdir(workingDirectory.c_str()) != 0) _exit(126);
    for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
}

ChildProgram::~ChildProgram()
{
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void ChildProgram::signal(int signal)
{
    if (pid_ > 0 && !reaped_) kill(pid_, signal);
}

int ChildProgram::waitForExit(double seconds)
{
    if (pid_ <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
}

std::string startsWithTheChestAndEndsOnEsc(XSession& x, ChildProgram& program)
{
    const unsigned long window = x.waitForWindow("Quorvane31", 30);
    if (window == 0) return "no window titled Quorvane31";
    const Shot shot = x.waitForColour(window, 0x0000FF, 3, 20);
    if (shot.empty() || shot.at(3, shot.height - 3) != 0x0000FFu) return "no blue frame drawn";
    // The 500 x 375 client area with the chest in its middle.
    if (shot.width != 500) return "the window is " + std::to_string(shot.width) + " wide, not 500";
    if (shot.at(250, shot.height - 375 + 200) == 0x0000FFu) return "no chest in the middle";
    x.key(window, "Escape");
    const int status = program.waitForExit(15);
    if (status != 0) return "Esc ended it with status " + std::to_string(status) + ", not 0";
    return "";
}

}  // namespace gametest
