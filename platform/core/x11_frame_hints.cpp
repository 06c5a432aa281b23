#include "platform/core/x11_frame_hints.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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
            XSetTransientForHint(display, xWindow, ownerInfo.info.x11.window);
            const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
            Atom dialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
            XChangeProperty(display, xWindow, type, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&dialog), 1);
        }
    }

    // A borderless window keeps SDL's hints (no decorations): full screen
    // goes through the window manager, which may refuse a window that does
    // not offer resizing.
    if (hints.framed) {
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
        XChangeProperty(display, xWindow, property, property, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&motif), 5);
    }
    XFlush(display);
}

}  // namespace platform
