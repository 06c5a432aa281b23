// The compositor of one top-level window: its OpenGL 3.3 core context, the
// retained client content (a texture GDI's pixels are uploaded into and
// Direct3D's frames are copied into), the menu strip's Dear ImGui context and
// its cached pixels, and the pass that puts content and strip into the SDL
// window and swaps. A frame of the client's size is copied in, drawn out once,
// and the strip is rendered again only when it changed.
// Direct3D may instead draw a frame straight into the window's back buffer
// (directTarget); the retained content is then taken from there only when
// something other than the next frame needs it, and the swap runs on a
// thread of its own (swap_thread.h) while the next frame is recorded.
// Owned by the window record (user_state.h); called by window_host.cpp, the
// paint and menu code. create() returns null when no context can be made.
// Every entry leaves the GL context that was current before it current again.
#pragma once

#include <windows.h>

#include "platform/user/back_buffer_kept.h"
#include "platform/user/strip_cache.h"
#include "platform/user/swap_thread.h"
#include "platform/user/window_host.h"

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;
struct ImGuiContext;
struct ImDrawList;
struct ImFont;

namespace platform::user {

class Compositor {
public:
    static std::unique_ptr<Compositor> create(HWND window, SDL_Window* sdlWindow);
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    void* glContext() const { return context_; }
    // Also finishes the frame in flight (finishPresenting).
    bool makeCurrent();
    // Returns once the last direct frame is on the screen: before anything
    // that may flush the context, read the window's buffers or resize it.
    void finishPresenting();

    // Where the client area lies in the drawable; the retained content keeps
    // its top-left part across a size change (deferred while GDI holds it).
    void setClientArea(const RECT& area);
    RECT clientArea() const { return area_; }
    // Frames are swapped to the screen only while the window is shown.
    void setShown(bool shown) { shown_ = shown; }

    bool lockPixels(ClientPixels* out);
    // The last unlock uploads what GDI drew and shows it.
    void unlockPixels();
    void presentTexture(unsigned texture, int width, int height);
    // Whether a width x height 8-bit RGB frame with at most these depth and
    // stencil bits may be drawn into the window's own framebuffer, and where
    // its bottom-left pixel lies there (GL window coordinates). Never where a
    // swap may not keep the back buffer: the retained content is read back
    // from it when needed.
    bool directTarget(int width, int height, int depthBits, int stencilBits, POINT* origin);
    // Direct3D starts drawing a frame into the window's back buffer.
    void beginDirectFrame();
    // Shows that frame: draws the strip and the window around the client, and
    // swaps; under a software rasteriser on the swap thread, so that this
    // returns before the frame is rasterised.
    void presentDirect();
    // Draws content and strip; swaps when `swap`.
    void composite(bool swap);
    // Composites into the back buffer and reads it, top-down 0x00RRGGBB.
    bool readFrame(std::vector<uint32_t>* pixels, int* width, int* height);

    // Width and height of `text` in the strip's font, in pixels.
    SIZE measureText(const char* begin, const char* end) const;

    // What a window draws over its content besides the strip (a dialog its
    // controls), inside the compositor's ImGui frame, with the font set here.
    using Painter = void (*)(HWND window, ImDrawList* list, ImFont* font);
    void setPainter(Painter painter) { painter_ = painter; }
    // Loads the painter's font (a TrueType file, `pixels` from ascent to
    // descent); false, keeping the strip's font, when it cannot be loaded.
    bool setPainterFont(const char* file, float pixels);

private:
    Compositor() = default;
    bool init(HWND window, SDL_Window* sdlWindow);
    void applyPendingResize();
    void ensureCpuCopy();
    void sizeTexture();
    void uploadIfStale();
    void clientIsInWindow();
    void takeClientFromWindow();
    void copyIntoClient(unsigned texture, int width, int height);
    // Direct: a frame drawn into the window, swapped by swapDirect().
    enum class Swap { None, Now, Direct };
    void drawFrame(Swap swap, bool drawClient);
    void swapDirect();
    void clearAroundClient(int drawableWidth, int drawableHeight, bool keepTopBand);
    void drawQuad(unsigned texture, bool linear);
    unsigned buildOverlay(int drawableWidth, int drawableHeight);
    void drawOverlay(int drawableWidth, int drawableHeight, unsigned stripTexture);

    HWND window_ = nullptr;
    SDL_Window* sdl_ = nullptr;
    void* context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    Painter painter_ = nullptr;
    ImFont* painterFont_ = nullptr;
    bool shown_ = false;

    RECT area_{};
    RECT pendingArea_{};
    bool resizePending_ = false;
    int width_ = 0;  // size of the retained content
    int height_ = 0;

    unsigned program_ = 0;
    unsigned vertexArray_ = 0;
    unsigned samplerNearest_ = 0;
    unsigned samplerLinear_ = 0;
    unsigned clientTexture_ = 0;
    unsigned clientFramebuffer_ = 0;
    unsigned sourceFramebuffer_ = 0;  // a presented frame's texture, attached for its copy
    StripCache strip_;

    int textureWidth_ = 0;  // allocated size of the texture
    int textureHeight_ = 0;
    bool textureStale_ = true;  // the CPU copy is newer than the texture

    std::vector<uint32_t> cpuPixels_;
    bool cpuValid_ = true;  // false once Direct3D has drawn into the texture
    int lockCount_ = 0;

    // The newest client content is in the window's back buffer, where
    // Direct3D drew it (or is drawing it: deviceDrawing_); the texture is older.
    bool clientInWindow_ = false;
    bool deviceDrawing_ = false;
    // The window's own framebuffer, for frames drawn into it: its bits, and
    // whether a swap keeps it (null until the context exists).
    std::unique_ptr<BackBufferKept> backBufferKept_;
    int windowColorBits_[4] = {};
    int windowDepthBits_ = 0;
    int windowStencilBits_ = 0;
    // Swaps direct frames where the swap keeps the back buffer without a
    // check after each swap; made at the second such frame.
    std::unique_ptr<SwapThread> swapThread_;
    bool swapThreadTried_ = false;
    bool directSwapped_ = false;
};

}  // namespace platform::user
