#include "platform/core/x11_frame_hints.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace platform {

namespace {

// The Motif window manager hints, as the property lays them out.
struct MotifHints {
    unsigned long flags;
    unsigned long functions;
    unsigned long decorations;
    long inputMode;
    unsigned long status;
};

constexpr unsigned long HintsFunctions = 1, HintsDecorations = 2;
constexpr unsigned long FunctionResize = 2, FunctionMove = 4, FunctionMinimize = 8, FunctionMaximize = 16,
                        FunctionClose = 32;
constexpr unsigned long DecorBorder = 2, DecorResizeHandle = 4, DecorTitle = 8, DecorMenu = 16, DecorMinimize = 32,
                        DecorMaximize = 64;

// Writes a 32-bit property unless it already holds exactly these values: a
// window manager may re-decorate or even re-place a mapped window whenever
// one of its properties is written, changed or not.
void setProperty(Display* display, ::Window window, Atom property, Atom type, const unsigned long* values, int count)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool same = false;
    if (XGetWindowProperty(display, window, property, 0, count, False, type, &actualType, &format, &items, &after,
                           &data) == Success && data) {
        same = actualType == type && format == 32 && items == static_cast<unsigned long>(count) && after == 0 &&
               std::equal(values, values + count, reinterpret_cast<const unsigned long*>(data));
        XFree(data);
    }
    if (!same)
        XChangeProperty(display, window, property, type, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values), count);
}

}  // namespace

void applyFrameHints(SDL_Window* window, SDL_Window* owner, const FrameHints& hints)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    const ::Window xWindow = info.info.x11.window;

    if (owner) {
        SDL_SysWMinfo ownerInfo;
        SDL_VERSION(&ownerInfo.version);
        if (SDL_GetWindowWMInfo(owner, &ownerInfo) && ownerInfo.subsystem == SDL_SYSWM_X11) {
            const unsigned long owner = ownerInfo.info.x11.window;
            setProperty(display, xWindow, XA_WM_TRANSIENT_FOR, XA_WINDOW, &owner, 1);
            const unsigned long dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
            setProperty(display, xWindow, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, &dialog, 1);
        }
    }

    // A borderless window keeps SDL's hints (no decorations): full screen
    // goes through the window manager, which may refuse a window that does
    // not offer resizing. So does a window that offers every function: SDL's
    // hints already say as much.
    const bool offersAll = hints.closeBox && hints.minimizeBox && hints.maximizeBox && hints.sizing;
    if (hints.framed && !offersAll) {
        MotifHints motif{HintsFunctions | HintsDecorations, FunctionMove, DecorBorder | DecorTitle, 0, 0};
        if (hints.closeBox) {
            motif.functions |= FunctionClose;
            motif.decorations |= DecorMenu;
        }
        if (hints.minimizeBox) {
            motif.functions |= FunctionMinimize;
            motif.decorations |= DecorMinimize;
        }
        if (hints.maximizeBox) {
            motif.functions |= FunctionMaximize;
            motif.decorations |= DecorMaximize;
        }
        if (hints.sizing) {
            motif.functions |= FunctionResize;
            motif.decorations |= DecorResizeHandle;
        }
        const Atom property = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        const unsigned long values[5] = {motif.flags, motif.functions, motif.decorations,
                                         static_cast<unsigned long>(motif.inputMode), motif.status};
        setProperty(display, xWindow, property, property, values, 5);
    }
    XFlush(display);
}

}  // namespace platform
