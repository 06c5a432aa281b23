#include "tests/game/desktop_journey.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/desktop_environment.h"

namespace gametest {
namespace {

constexpr uint32_t Blue = 0x0000FF;

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The four numbers of a CARDINAL property, e.g. _NET_FRAME_EXTENTS.
std::vector<int> cardinals(unsigned long window, const std::string& property)
{
    std::vector<int> values;
    const std::string text = shell("xprop -id " + std::to_string(window) + " " + property + " 2>/dev/null");
    const size_t eq = text.find('=');
    if (eq == std::string::npos) return values;
    std::istringstream in(text.substr(eq + 1));
    std::string item;
    while (std::getline(in, item, ',')) values.push_back(std::atoi(item.c_str()));
    return values;
}

struct Knob {
    bool found = false;
    int x = 0, y = 0;
};

// Lever 1's knob: the red nearest the right, where the levers sliding along
// +X end at the start camera, averaged over that far strip.
Knob leverKnob(const Shot& shot)
{
    Knob knob;
    int far = -1;
    auto red = [](uint32_t p) { return ((p >> 16) & 0xFF) > 170 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90; };
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (red(shot.at(x, y))) far = std::max(far, x);
    if (far < 0) return knob;
    const int strip = std::max(8, shot.width / 60);
    long sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = std::max(0, far - strip); x <= far; ++x)
            if (red(shot.at(x, y))) {
                sumX += x;
                sumY += y;
                ++count;
            }
    knob.found = count > 0;
    if (count) {
        knob.x = int(sumX / count);
        knob.y = int(sumY / count);
    }
    return knob;
}

}  // namespace

ScreenMode currentScreenMode()
{
    ScreenMode mode;
    std::istringstream lines(shell("xrandr --current 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] != ' ' || line.find('*') == std::string::npos) continue;
        std::sscanf(line.c_str(), " %dx%d", &mode.width, &mode.height);
        break;
    }
    return mode;
}

std::vector<ScreenMode> offeredScreenSizes()
{
    std::vector<ScreenMode> sizes;
    std::istringstream lines(shell("xrandr --current 2>/dev/null"));
    std::string line;
    bool connected = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ') {
            connected = line.find(" connected") != std::string::npos && sizes.empty();
            continue;
        }
        ScreenMode m;
        if (!connected || std::sscanf(line.c_str(), " %dx%d", &m.width, &m.height) != 2) continue;
        // The enumeration records no mode below 640 x 480.
        if (m.width < 640 || m.height < 480) continue;
        if (std::find(sizes.begin(), sizes.end(), m) == sizes.end()) sizes.push_back(m);
    }
    std::sort(sizes.begin(), sizes.end(), [](const ScreenMode& a, const ScreenMode& b) {
        return a.width != b.width ? a.width < b.width : a.height < b.height;
    });
    return sizes;
}

bool waitUntil(double seconds, const std::function<bool()>& ready)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        pause(0.1);
    }
    return ready();
}

Journey::Journey(const std::string& name, const std::string& outputFolder, ProgramLaunch launch)
    : name_(name), output_(outputFolder), launch_(std::move(launch))
{
    mkdir(output_.c_str(), 0755);
    if (testsupport::desktopIsWayland()) x_.sendInputTo(testsupport::desktopInputDisplay());
}

std::string Journey::reportPath() const
{
    return output_ + "/" + name_ + ".report";
}

unsigned long Journey::start()
{
    std::vector<std::string> environment = launch_.environment;
    std::string report = reportPath();
    std::remove(report.c_str());
    if (launch_.underWine) {
        std::replace(report.begin(), report.end(), '/', '\\');
        report = "Z:" + report;
    }
    environment.push_back("Q31_FRAME_REPORT=" + report);
    program_ = std::make_unique<ChildProgram>(launch_.path, launch_.arguments, launch_.workingDirectory,
                                              output_ + "/" + name_ + ".log", environment);
    if (!program_->started()) return 0;
    window_ = x_.waitForWindow("Quorvane31", 90);
    if (!window_) return 0;
    x_.waitForColour(window_, Blue, 3, 60);
    return window_;
}

std::string Journey::logTail()
{
    return shell("tail -c 600 '" + output_ + "/" + name_ + ".log'");
}

int Journey::resets()
{
    std::ifstream in(reportPath(), std::ios::binary);
    std::string word, line;
    int count = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int n = 0;
        if (fields >> word >> n && word == "resets") count = n;
    }
    return count;
}

std::string Journey::shot(const std::string& stage)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", ++stage_);
    const std::string path = output_ + "/" + name_ + "_" + number + "_" + stage + ".png";
    testsupport::saveDesktopScreenshot(path);
    return path;
}

std::string Journey::windowState()
{
    return shell("xprop -id " + std::to_string(window_) + " _NET_WM_STATE 2>/dev/null");
}

int Journey::titleBarHeight()
{
    const std::vector<int> extents = cardinals(window_, "_NET_FRAME_EXTENTS");
    return extents.size() == 4 ? extents[2] : 0;
}

bool Journey::viewable()
{
    return shell("xwininfo -id " + std::to_string(window_) + " 2>/dev/null").find("IsViewable") != std::string::npos;
}

std::vector<unsigned long> Journey::otherWindowsTitled(const std::string& title)
{
    std::vector<unsigned long> found;
    std::istringstream lines(shell("xwininfo -root -tree 2>/dev/null"));
    std::string line;
    const std::string quoted = "\"" + title + "\"";
    while (std::getline(lines, line)) {
        if (line.find(quoted) == std::string::npos) continue;
        const unsigned long id = std::strtoul(line.c_str(), nullptr, 16);
        if (id == 0 || id == window_) continue;
        if (shell("xwininfo -id " + std::to_string(id) + " 2>/dev/null").find("IsViewable") == std::string::npos)
            continue;
        found.push_back(id);
    }
    return found;
}

unsigned long Journey::waitForWindowTitled(const std::string& title, double seconds)
{
    unsigned long id = 0;
    waitUntil(seconds, [&] {
        const std::vector<unsigned long> windows = otherWindowsTitled(title);
        id = windows.empty() ? 0 : windows.front();
        return id != 0;
    });
    return id;
}

bool Journey::windowGone(unsigned long window, double seconds)
{
    return waitUntil(seconds, [&] {
        return shell("xwininfo -id " + std::to_string(window) + " 2>/dev/null").find("IsViewable") == std::string::npos;
    });
}

bool Journey::leverClickMovesLever(std::string* why)
{
    // The picture may settle a moment after a change of size or state: under
    // Wine, a window restored from maximised shows the top-left corner of the
    // maximised picture until the first frame after the reset lands (under
    // half a second here).
    Knob knob;
    waitUntil(10, [&] {
        knob = leverKnob(x_.capture(window_));
        return knob.found;
    });
    if (!knob.found) {
        *why = "no lever knob in view";
        return false;
    }
    x_.click(window_, knob.x, knob.y);
    Knob after;
    const bool moved = waitUntil(10, [&] {
        after = leverKnob(x_.capture(window_));
        return after.found && std::abs(after.x - knob.x) + std::abs(after.y - knob.y) > 2;
    });
    if (!moved) {
        char text[160];
        std::snprintf(text, sizeof text, "lever 1's knob stayed at (%d, %d) after a click there (now %s (%d, %d))",
                      knob.x, knob.y, after.found ? "at" : "not found,", after.x, after.y);
        *why = text;
    }
    return moved;
}

bool Journey::sceneFillsClient()
{
    const Shot shot = x_.capture(window_);
    if (shot.empty()) return false;
    return shot.at(2, shot.height - 3) == Blue && shot.at(shot.width - 3, shot.height - 3) == Blue;
}

void Journey::keys(const std::string& keys)
{
    x_.key(window_, keys);
}

void Journey::clickDialogUnit(unsigned long dialog, double dluX, double dluY)
{
    const Geometry g = x_.geometry(dialog);
    const int x = int(dluX * g.width / 289.0 + 0.5), y = int(dluY * g.height / 302.0 + 0.5);
    x_.click(dialog, x, y);
}

bool Journey::chooseResolution(unsigned long dialog, ScreenMode size)
{
    const std::vector<ScreenMode> sizes = offeredScreenSizes();
    const auto at = std::find(sizes.begin(), sizes.end(), size);
    if (at == sizes.end()) return false;
    // The list drops open on the click; Home and Down walk it, Enter takes the item.
    clickDialogUnit(dialog, 198, 124);
    pause(0.4);
    std::string walk = "Home";
    for (long i = 0; i < at - sizes.begin(); ++i) walk += " Down";
    shell("xdotool key --delay 60 " + walk + " Return");
    pause(0.4);
    return true;
}

void Journey::clickTitleButton(int fromRight)
{
    const std::vector<int> extents = cardinals(window_, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
    const Geometry g = clientGeometry();
    if (extents.size() != 4) return;
    const int x = g.width + extents[1] - 11 - 16 * fromRight;
    const int y = -extents[2] / 2 - 1;
    x_.click(window_, x, y);
}

void Journey::dragFrameCorner(int dx, int dy)
{
    const std::vector<int> extents = cardinals(window_, "_NET_FRAME_EXTENTS");
    const Geometry g = clientGeometry();
    if (extents.size() != 4) return;
    const int x = g.width + extents[1] - 2, y = g.height + extents[3] - 2;
    x_.move(window_, x, y);
    shell("sleep 0.1; xdotool mousedown 1");
    for (int step = 1; step <= 5; ++step) {
        x_.move(window_, x + dx * step / 5, y + dy * step / 5);
        pause(0.05);
    }
    shell("sleep 0.1; xdotool mouseup 1");
}

}  // namespace gametest
