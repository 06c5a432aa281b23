// What a top-level window offers the rest of the layer (GDI and Direct3D).
// The window owns its SDL window and one OpenGL 3.3 core context, created
// with it; everything drawn into the window goes through the compositor here,
// which puts the client content below the menu strip and swaps.
#pragma once

#include <windows.h>

#include <cstdint>

struct SDL_Window;

namespace platform {

// Null when `window` is not a live top-level window of ours.
SDL_Window* sdlWindowOf(HWND window);
// The window's GL context (an SDL_GLContext); null as above.
void* glContextOf(HWND window);
// Makes the window's GL context current on this thread; false if it has none.
bool makeGlContextCurrent(HWND window);
// Returns once the window's last frame is on the screen. A frame drawn into
// the window (below) may still be in flight after its Present; GL calls other
// than those that only add to the next frame come after this.
void finishPresenting(HWND window);

// Client area in pixels of the SDL window's drawable: the menu strip, when the
// window has a menu, is the band above `top`.
RECT clientAreaInDrawable(HWND window);

// Direct3D's Present: shows `texture` (GL_TEXTURE_2D, width x height, row 0 at
// the bottom as GL stores it) in the client area, copied when it has the
// client's size and stretched otherwise, the menu strip above it, and swaps.
// The caller's GL state is left as it was.
void presentTexture(HWND window, unsigned texture, int width, int height);

// Direct3D drawing a frame straight into the window's back buffer, which
// saves Present a copy. directFrameTarget says whether a width x height 8-bit
// RGB frame with `depthBits`/`stencilBits` (the window may have more) fits the
// window's own framebuffer and the client area as it is now, and where its
// bottom-left pixel lies (GL window coordinates). It says no where a swap may
// not keep the back buffer (back_buffer_kept.h): the retained client content
// is read back from there when something else needs it. beginDirectFrame
// comes before the frame's first drawing; presentDirectFrame draws the strip
// and the window around the client and swaps.
bool directFrameTarget(HWND window, int width, int height, int depthBits, int stencilBits, POINT* origin);
void beginDirectFrame(HWND window);
void presentDirectFrame(HWND window);

// Direct3D's switch to full screen: the window now covers `bounds` (screen
// pixels), at once and with its messages, as the runtime makes it on Windows;
// the X window's own events catch up later and then change nothing.
void coverDisplay(HWND window, const RECT& bounds);

// Direct3D's return to windowed use: the window leaves full screen and gets
// back the frame its style asks for.
void leaveFullScreen(HWND window);

// GDI's view of a window's client area: 32-bit pixels, 0x00RRGGBB, top-down,
// `width` x `height` of the current client size; valid until unlockClientPixels.
struct ClientPixels {
    uint32_t* pixels;
    int width;
    int height;
};
bool lockClientPixels(HWND window, ClientPixels* out);
// Shows what GDI drew: composites the pixels under the menu strip and swaps.
void unlockClientPixels(HWND window);

}  // namespace platform
