// A private X server for window and rendering tests: linking the q31_test_xvfb
// object library into a test executable starts Xvfb (Mesa's software OpenGL)
// on a free display before the first test and stops it after the last.
// DISPLAY points at it for the whole run. Linux only.
#pragma once

namespace testsupport {

// The display name in use, e.g. ":57"; empty when Xvfb could not be started.
const char* xvfbDisplay();

}  // namespace testsupport
