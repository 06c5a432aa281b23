// A player's desktop for journeys of the real program. Linking one of the
// object libraries starts it before the first test and stops it after the
// last, as q31_test_xvfb does for the fast tests:
//   q31_test_desktop_x        Xorg with the dummy video driver (RandR modes
//                             1920 x 1080 down to 640 x 480) under openbox;
//   q31_test_desktop_wayland  weston with its GL renderer, the program
//                             reaching it through Xwayland. weston runs on
//                             its x11 backend in a private Xvfb, not on its
//                             headless one: that one's seat has no pointer
//                             or keyboard, and Xwayland aborts on input
//                             without them.
// DISPLAY points at the desktop's X server for the whole run. Linux only.
#pragma once

#include <string>

namespace testsupport {

// The X display name, e.g. ":57"; empty when the desktop could not be started.
const char* desktopDisplay();
// The X display where real input (XTEST) is sent to reach the program: the
// desktop's own for Xorg; for weston, the Xvfb holding weston's output
// window, at the same coordinates as Xwayland's root, with its bottom-right
// pixel outside that window. Empty when not started.
const char* desktopInputDisplay();
// Why the desktop could not be started, with the log to read; empty when it runs.
const std::string& desktopFailure();
// True for the Wayland desktop (no RandR mode changes, weston's own frames).
bool desktopIsWayland();
// Saves the whole screen as PNG at `path`; false when that failed.
bool saveDesktopScreenshot(const std::string& path);

}  // namespace testsupport
