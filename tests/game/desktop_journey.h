// Journeys of the real program on a player's desktop (tests/support/
// desktop_environment.h), the same driver for the Linux build and for the
// Windows build under Wine: real X input (XTEST) through accelerators, the
// settings dialog and the window manager's frame, each step checked by what
// the X server reports (window geometry and state, the RandR mode, which
// windows exist) and kept as a screenshot of the whole screen.
// Every wait is a bounded poll of X state; nothing asserts a duration.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/game/x_session.h"

namespace gametest {

struct ScreenMode {
    int width = 0, height = 0;
    bool operator==(const ScreenMode& o) const { return width == o.width && height == o.height; }
};

// The output's current RandR mode; 0 x 0 when xrandr cannot tell.
ScreenMode currentScreenMode();
// The distinct sizes of at least 640 x 480 the output offers, in the order
// the settings dialog lists them (width, then height, ascending).
std::vector<ScreenMode> offeredScreenSizes();

// Polls `ready` until it holds or `seconds` pass; its last answer.
bool waitUntil(double seconds, const std::function<bool()>& ready);

// How a journey starts its program.
struct ProgramLaunch {
    std::string path;
    std::vector<std::string> arguments;
    std::string workingDirectory;
    std::vector<std::string> environment;
    // The Windows build under Wine: paths it is given are Wine's (Z:\...).
    bool underWine = false;
};

class Journey {
public:
    // Screenshots and the program's log go to `outputFolder`, named after `name`.
    Journey(const std::string& name, const std::string& outputFolder, ProgramLaunch launch);

    // Starts the program; its main window once the scene is drawn, else 0.
    unsigned long start();
    unsigned long window() const { return window_; }
    XSession& x() { return x_; }
    ChildProgram& program() { return *program_; }
    bool running() { return program_ && program_->waitForExit(0) == -1; }
    // The last lines the program wrote.
    std::string logTail();
    // Device resets the program has done so far, from its frame report
    // (framework/frame_report.h), which start() turns on.
    int resets();

    // Saves the whole screen as the next numbered stage; the path.
    std::string shot(const std::string& stage);

    // What the window manager says of the main window.
    Geometry clientGeometry() { return x_.geometry(window_); }
    std::string windowState();
    bool fullScreen() { return windowState().find("_NET_WM_STATE_FULLSCREEN") != std::string::npos; }
    bool maximized() { return windowState().find("_NET_WM_STATE_MAXIMIZED_VERT") != std::string::npos; }
    bool viewable();
    // The height of the title bar the window manager gives the window; 0 for none.
    int titleBarHeight();
    // Top-level windows other than the main one titled `title` (message boxes).
    std::vector<unsigned long> otherWindowsTitled(const std::string& title);
    // The first viewable window titled exactly `title`, waiting up to `seconds`.
    unsigned long waitForWindowTitled(const std::string& title, double seconds);
    bool windowGone(unsigned long window, double seconds);

    // Lever 1's knob (the red nearest the right of the scene) clicked: true
    // when it moved. `why` says what was seen otherwise.
    bool leverClickMovesLever(std::string* why);
    // True when the client shows the scene's blue in both bottom corners
    // (the frame was drawn at the window's present size).
    bool sceneFillsClient();

    // Keys (xdotool names) to the focused main window.
    void keys(const std::string& keys);
    // A click at a point of the dialog template (dialog units), mapped
    // through the dialog's client size, which the template fixes at 289 x 302.
    void clickDialogUnit(unsigned long dialog, double dluX, double dluY);
    // The settings dialog's OK button.
    void clickDialogOk(unsigned long dialog) { clickDialogUnit(dialog, 111, 293); }
    // Opens the resolution list and chooses `size` from the keyboard.
    bool chooseResolution(unsigned long dialog, ScreenMode size);

    // The window manager's frame: the title bar's buttons, counted from the
    // right (0 close, 1 maximise, 2 minimise), and the bottom-right corner.
    void clickTitleButton(int fromRight);
    void dragFrameCorner(int dx, int dy);

private:
    std::string reportPath() const;

    std::string name_;
    std::string output_;
    ProgramLaunch launch_;
    int stage_ = 0;
    XSession x_;
    std::unique_ptr<ChildProgram> program_;
    unsigned long window_ = 0;
};

}  // namespace gametest
