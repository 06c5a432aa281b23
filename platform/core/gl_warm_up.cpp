#include "platform/core/gl_warm_up.h"

#include <X11/Xlib.h>
#include <epoxy/glx.h>

#include <new>
#include <thread>

namespace platform {

namespace {

// Not a std::thread object of static duration: one still joinable when the
// process exits by another way than main's return would end it.
std::thread* warmUp = nullptr;
Display* warmUpDisplay = nullptr;

}  // namespace

void startGlDriverWarmUp()
{
    if (warmUp) return;
    // Xlib from two threads: this must come before any other Xlib call
    // (SDL makes the same call later, which then changes nothing).
    if (!XInitThreads()) return;
    warmUp = new (std::nothrow) std::thread([] {
        warmUpDisplay = XOpenDisplay(nullptr);
        // Asking for the screen's GLX extensions makes the GL library set up
        // that screen, which loads its driver.
        if (warmUpDisplay) glXQueryExtensionsString(warmUpDisplay, DefaultScreen(warmUpDisplay));
    });
}

void finishGlDriverWarmUp()
{
    if (!warmUp) return;
    warmUp->join();
    delete warmUp;
    warmUp = nullptr;
    if (warmUpDisplay) XCloseDisplay(warmUpDisplay);
    warmUpDisplay = nullptr;
}

}  // namespace platform
