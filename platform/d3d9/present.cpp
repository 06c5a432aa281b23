// Present, back-buffer read-back and the presentation mode (windowed or full
// screen with the requested display mode, vsync or not).
#include "platform/d3d9/automation.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/gl_probe.h"
#include "platform/user/window_host.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace d3d9gl {
namespace {

Uint32 sdlFormatFor(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R5G6B5: return SDL_PIXELFORMAT_RGB565;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return SDL_PIXELFORMAT_RGB555;
    case D3DFMT_A2R10G10B10: return SDL_PIXELFORMAT_ARGB2101010;
    default: return SDL_PIXELFORMAT_RGB888;
    }
}

}  // namespace

void Device::applyPresentMode()
{
    SDL_Window* window = platform::sdlWindowOf(deviceWindow());
    platform::finishPresenting(deviceWindow());
    if (window && !parameters_.Windowed) {
        SDL_DisplayMode wanted = {sdlFormatFor(parameters_.BackBufferFormat), int(parameters_.BackBufferWidth),
                                  int(parameters_.BackBufferHeight), int(parameters_.FullScreen_RefreshRateInHz),
                                  nullptr};
        SDL_DisplayMode closest;
        if (SDL_GetClosestDisplayMode(int(adapter_), &wanted, &closest)) SDL_SetWindowDisplayMode(window, &closest);
        // A refused switch (no window manager, no mode setting) leaves the
        // window as it is; the device still works.
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
        fullScreen_ = true;
        // On Windows the device window covers the screen when Reset returns.
        SDL_Rect display;
        if (SDL_GetDisplayBounds(int(adapter_), &display) == 0)
            platform::coverDisplay(deviceWindow(),
                                   RECT{display.x, display.y, display.x + display.w, display.y + display.h});
    } else if (window && fullScreen_) {
        platform::leaveFullScreen(deviceWindow());
        fullScreen_ = false;
    }
    host_->setSwapInterval(parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
}

void Device::beginFrame()
{
    if (frameStarted_) return;
    frameStarted_ = true;
    POINT origin = {};
    const DepthFormatInfo* depth = depthFormat(parameters_.AutoDepthStencilFormat);
    const bool direct = directCapable_ && depth &&
                        host_->directTarget(int(parameters_.BackBufferWidth), int(parameters_.BackBufferHeight),
                                            depth->depthBits, depth->stencilBits, &origin);
    if (direct) host_->beginDirectFrame();
    const bool moved = direct != direct_ || origin.x != origin_.x || origin.y != origin_.y;
    direct_ = direct;
    origin_ = origin;
    if (!moved) return;
    dirty_ |= kDirtyViewport | kDirtyRaster;
    if (!depthBuffer_) return;
    // The depth buffer does not move with the frame: the one now drawn into
    // starts as a new back buffer's does.
    glBindFramebuffer(GL_FRAMEBUFFER, frameFramebuffer());
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glStencilMask(0xff);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool Device::readBackBuffer(std::vector<uint8_t>* rgba)
{
    if (!makeCurrent()) return false;
    discardPendingGlErrors();
    const GLsizei width = GLsizei(parameters_.BackBufferWidth), height = GLsizei(parameters_.BackBufferHeight);
    if (direct_) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
    } else if (samples_ > 0) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, renderFbo_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo_);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFbo_);
    } else {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, renderFbo_);
    }
    rgba->resize(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(origin_.x, origin_.y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->data());
    glBindFramebuffer(GL_FRAMEBUFFER, frameFramebuffer());
    // GL's rows run bottom-up; Direct3D's surfaces top-down.
    const size_t rowBytes = size_t(width) * 4;
    for (GLsizei y = 0; y < height / 2; ++y)
        std::swap_ranges(rgba->begin() + ptrdiff_t(size_t(y) * rowBytes),
                         rgba->begin() + ptrdiff_t(size_t(y + 1) * rowBytes),
                         rgba->begin() + ptrdiff_t(size_t(height - 1 - y) * rowBytes));
    return glGetError() == GL_NO_ERROR;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const struct _RGNDATA*)
{
    updateLossState();
    if (lossState_ != LossState::Operational) return D3DERR_DEVICELOST;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::Present, &injected)) return injected;
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    const GLsizei width = GLsizei(parameters_.BackBufferWidth), height = GLsizei(parameters_.BackBufferHeight);
    if (capturePresents_) {
        readBackBuffer(&presented_);
        presentedWidth_ = width;
        presentedHeight_ = height;
    } else if (samples_ > 0) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, renderFbo_);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFbo_);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    // Our sampler on unit 0 would override the compositor's filtering.
    glBindSampler(0, 0);
    // A Present without drawing shows the last frame again, from wherever
    // that frame went.
    frameStarted_ = false;
    if (direct_)
        host_->presentDirect();
    else
        host_->present(colorTexture_, width, height);
    // The compositor used the framebuffer, program, texture unit 0 and
    // viewport. The frame may still be in flight: the next one can start.
    makeCurrentForFrame();
    dirty_ |= kDirtyViewport | kDirtyTextures | kDirtyRaster;
    program_ = nullptr;
    texturesChanged();
    return D3D_OK;
}

}  // namespace d3d9gl
