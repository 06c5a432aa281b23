// What the X window manager is told about a top-level window beyond SDL's own
// properties, so that its frame offers what the Win32 style offers: for a
// framed window without every button, only the minimise, maximise, resize and
// close functions it has (Motif hints, which most X window managers read);
// for an owned window, that it is a dialog kept above its owner
// (WM_TRANSIENT_FOR, _NET_WM_WINDOW_TYPE_DIALOG).
// Does nothing under any video driver but SDL's x11 one.
#pragma once

struct SDL_Window;

namespace platform {

struct FrameHints {
    bool framed = false;  // a title bar and border (a borderless window gets no hints)
    bool closeBox = false;
    bool minimizeBox = false;
    bool maximizeBox = false;
    bool sizing = false;
};

// `owner` is the owner's SDL window, or null. Call before the window is first
// shown (the window type is read when it is mapped), and again after SDL
// changes its frame: SDL rewrites the Motif hints then.
void applyFrameHints(SDL_Window* window, SDL_Window* owner, const FrameHints& hints);

}  // namespace platform
