// Where a device's OpenGL commands run and how its frames reach the window:
// the HAL device renders in the window's own context, the REF device in a
// private software-rasterised context. Created by CreateDevice; the factories
// return null when the window or the context is not available.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace d3d9gl {

class RenderHost {
public:
    virtual ~RenderHost() = default;
    // Makes this host's GL context current on the calling thread; false when
    // it is gone. The last frame Present drew into the window is then on the
    // screen (platform::finishPresenting).
    virtual bool makeCurrent() = 0;
    // The same, for calls that only add to the frame being drawn (a Clear,
    // a draw): they need not wait for the last frame's swap.
    virtual bool makeCurrentForFrame() { return makeCurrent(); }
    // Shows `texture` (this host's context, GL orientation) in the window and swaps.
    virtual void present(unsigned texture, int width, int height) = 0;
    // A frame drawn straight into the window's own framebuffer, where the
    // host offers that (platform::directFrameTarget): whether a width x height
    // 8-bit RGB frame with this depth and stencil can go there now, and the
    // GL position of its bottom-left pixel; the frame's start; its Present.
    virtual bool directTarget(int /*width*/, int /*height*/, int /*depthBits*/, int /*stencilBits*/, POINT*)
    {
        return false;
    }
    virtual void beginDirectFrame() {}
    virtual void presentDirect() {}
    // 0: swap at once; 1: wait for the vertical blank.
    virtual void setSwapInterval(int interval) = 0;
    // The GL_RENDERER string of this host's context.
    virtual std::string renderer() = 0;
};

// HAL: the window's context (platform/user/window_host.h).
std::unique_ptr<RenderHost> createWindowRenderHost(HWND window);
// REF: a private context asked for without acceleration; accepted only when
// its renderer really is a software rasteriser.
std::unique_ptr<RenderHost> createSoftwareRenderHost(HWND window);
// True for renderer strings of Mesa's software rasterisers.
bool isSoftwareRenderer(const std::string& renderer);

}  // namespace d3d9gl
