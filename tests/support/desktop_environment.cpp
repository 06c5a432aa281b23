#include "tests/support/desktop_environment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string displayName;
std::string failure;
std::string folder;      // the bed's own temporary folder: config, logs, sockets
std::string waylandName;  // the Wayland socket, for the screenshot client
std::string inputDisplay;  // the X server whose input reaches the program

// Modes a player's monitor offers; the dummy driver adds its own default
// list around them, as a real monitor's EDID would.
const char* const kXorgConfig = R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
    Modeline "800x600" 40.00 800 840 968 1056 600 601 605 628 +hsync +vsync
    Modeline "640x480" 25.18 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 1920 1080
        Modes "1920x1080" "1280x1024" "1024x768" "800x600" "640x480"
    EndSubSection
EndSection
)";

std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[1024];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    return output;
}

bool waitUntil(double seconds, bool (*ready)())
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return ready();
}

// A child in a process group of its own, with its output in `log`.
pid_t spawn(const std::vector<std::string>& argv, const std::string& log)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, 0);
    setpgid(0, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// An X server started with `argv` plus -displayfd, in a process group of its
// own with its output in `out`; its display name (":N") once it accepts
// connections, empty when it did not start.
std::string startXServer(std::vector<std::string> argv, const std::string& out, pid_t* pid)
{
    int fds[2];
    if (pipe(fds) != 0) return {};
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    argv.push_back("-displayfd");
    argv.push_back(std::to_string(fds[1]));
    *pid = spawn(argv, out);
    close(fds[1]);
    char buffer[32] = {};
    size_t used = 0;
    while (*pid > 0 && used < sizeof buffer - 1) {
        const ssize_t n = read(fds[0], buffer + used, sizeof buffer - 1 - used);
        if (n <= 0) break;
        used += size_t(n);
        if (buffer[used - 1] == '\n') break;
    }
    close(fds[0]);
    if (used == 0) return {};
    return ":" + std::to_string(std::atoi(buffer));
}

void stop(pid_t& pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

bool windowManagerRunning()
{
    return run("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos;
}

bool xServerAnswers()
{
    return run("xdpyinfo 2>/dev/null | head -1").find("name of display") != std::string::npos;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        char name[] = "/tmp/q31-desktop-XXXXXX";
        if (!mkdtemp(name)) {
            failure = "no temporary folder for the desktop";
            return;
        }
        folder = name;
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
#ifdef Q31_DESKTOP_WAYLAND
        startWeston();
#else
        startXorg();
#endif
        if (!failure.empty()) displayName.clear();
        if (inputDisplay.empty() || !failure.empty()) inputDisplay = displayName;
    }

    void TearDown() override
    {
        stop(windowManager_);
        stop(server_);
        stop(host_);
        if (!folder.empty() && failure.empty()) run("rm -rf '" + folder + "'");
    }

private:
    void startXorg()
    {
        const std::string config = folder + "/xorg.conf";
        std::ofstream(config) << kXorgConfig;
        // An empty configuration folder: nothing of the system's own applies.
        mkdir((folder + "/xorg.conf.d").c_str(), 0755);
        const std::string log = folder + "/Xorg.log";
        displayName = startXServer({"Xorg", "-config", config, "-configdir", folder + "/xorg.conf.d", "-noreset",
                                    "-nolisten", "tcp", "-novtswitch", "-logfile", log},
                                   folder + "/Xorg.out", &server_);
        if (displayName.empty()) {
            failure = "Xorg with the dummy driver did not start (it needs root, or Xorg.wrap allowing it); see " + log +
                      " and " + folder + "/Xorg.out";
            return;
        }
        setenv("DISPLAY", displayName.c_str(), 1);
        windowManager_ = spawn({"openbox", "--sm-disable"}, folder + "/openbox.log");
        if (!waitUntil(20, windowManagerRunning)) failure = "openbox did not take the display; see " + folder + "/openbox.log";
    }

    void startWeston()
    {
        // weston wants its runtime folder private.
        chmod(folder.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        waylandName = "q31-" + folder.substr(folder.rfind('-') + 1);
        // weston's headless backend has a seat with neither pointer nor
        // keyboard, and Xwayland aborts on XTEST input without them. Its x11
        // backend, nested in a private Xvfb, takes the host's real X input on
        // its output window and passes it through its Wayland seat, as a
        // compositor passes a player's mouse and keyboard.
        // A margin beyond the output window, where the pointer can leave it.
        const int hostWidth = 1280 + 64, hostHeight = 1024 + 64;
        const std::string hostScreen = std::to_string(hostWidth) + "x" + std::to_string(hostHeight) + "x24";
        inputDisplay = startXServer({"Xvfb", "-screen", "0", hostScreen, "-nolisten", "tcp", "-noreset"},
                                    folder + "/Xvfb.out", &host_);
        if (inputDisplay.empty()) {
            failure = "Xvfb for weston's output window did not start; see " + folder + "/Xvfb.out";
            return;
        }
        setenv("DISPLAY", inputDisplay.c_str(), 1);
        const std::string log = folder + "/weston.log";
        // No fades: a screenshot right after a window closed shows it gone.
        const std::string config = folder + "/weston.ini";
        std::ofstream(config) << "[shell]\nstartup-animation=none\nanimation=none\nclose-animation=none\n"
                                 "focus-animation=none\n";
        // The x11 backend renders with GL unless told --use-pixman.
        server_ = spawn({"weston", "--backend=x11-backend.so", "--xwayland", "--debug", "--socket=" + waylandName,
                         "--config=" + config, "--width=1280", "--height=1024", "--idle-time=0", "--log=" + log},
                        folder + "/weston.out");
        // weston names the X display it listens on once Xwayland can be started.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        const std::string marker = "xserver listening on display ";
        while (std::chrono::steady_clock::now() < end && displayName.empty()) {
            const std::string text = fileText(log);
            const size_t at = text.find(marker);
            if (at != std::string::npos) displayName = text.substr(at + marker.size(), text.find('\n', at) - at - marker.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (displayName.empty()) {
            failure = "weston with Xwayland did not start; see " + log;
            return;
        }
        setenv("DISPLAY", displayName.c_str(), 1);
        setenv("WAYLAND_DISPLAY", waylandName.c_str(), 1);
        // Xwayland starts on the first connection.
        if (!waitUntil(30, xServerAnswers)) failure = "Xwayland did not answer on " + displayName + "; see " + log;
        // The x11 backend takes the pointer's position only as it enters the
        // output window, and follows relative motion after that; an entry
        // missed while the window was being made leaves weston's pointer off
        // the host's. Leave the window and enter it again.
        run("DISPLAY=" + inputDisplay + " xdotool mousemove --sync " + std::to_string(hostWidth - 1) + " " +
            std::to_string(hostHeight - 1) + " mousemove --sync 640 512");
    }

    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    pid_t host_ = -1;  // the Xvfb under weston's x11 backend
};

[[maybe_unused]] const auto* registered = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

}  // namespace

namespace testsupport {

const char* desktopDisplay() { return displayName.c_str(); }
const std::string& desktopFailure() { return failure; }

const char* desktopInputDisplay() { return inputDisplay.c_str(); }

bool desktopIsWayland()
{
#ifdef Q31_DESKTOP_WAYLAND
    return true;
#else
    return false;
#endif
}

bool saveDesktopScreenshot(const std::string& path)
{
    std::remove(path.c_str());
    if (!desktopIsWayland()) {
        run("import -window root '" + path + "' 2>/dev/null");
    } else {
        // weston's screenshooter writes into the current folder under a name of its own.
        const std::string shots = folder + "/shots";
        run("rm -rf '" + shots + "'; mkdir -p '" + shots + "'; cd '" + shots + "' && timeout 20 weston-screenshooter 2>/dev/null; mv " +
            shots + "/*.png '" + path + "' 2>/dev/null");
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

}  // namespace testsupport
