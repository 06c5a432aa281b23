// The HAL device's host: GL calls go to the window's own context and frames to
// the window host's compositor. Under a software rasteriser, whose swap copies
// the back buffer to the window and leaves it as it was, a frame of the
// client's size is drawn straight into the window: copying an offscreen frame
// in costs a full-window pass there (on a GPU it costs next to nothing). Its
// swap may still be under way when Present returns; Clear and the draws go on
// with the next frame, every other call waits for the swap first.
#include "platform/d3d9/render_host.h"
#include "platform/user/window_host.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace d3d9gl {
namespace {

class WindowRenderHost final : public RenderHost {
public:
    explicit WindowRenderHost(HWND window) : window_(window) { direct_ = isSoftwareRenderer(renderer()); }

    bool makeCurrent() override
    {
        if (!makeCurrentForFrame()) return false;
        platform::finishPresenting(window_);
        return true;
    }

    bool makeCurrentForFrame() override
    {
        void* context = platform::glContextOf(window_);
        if (!context) return false;
        if (SDL_GL_GetCurrentContext() == context) return true;
        return platform::makeGlContextCurrent(window_);
    }

    void present(unsigned texture, int width, int height) override
    {
        platform::presentTexture(window_, texture, width, height);
    }

    bool directTarget(int width, int height, int depthBits, int stencilBits, POINT* origin) override
    {
        return direct_ && platform::directFrameTarget(window_, width, height, depthBits, stencilBits, origin);
    }

    void beginDirectFrame() override { platform::beginDirectFrame(window_); }

    void presentDirect() override { platform::presentDirectFrame(window_); }

    void setSwapInterval(int interval) override
    {
        if (makeCurrent()) SDL_GL_SetSwapInterval(interval);
    }

    std::string renderer() override
    {
        if (!makeCurrent()) return {};
        const GLubyte* name = glGetString(GL_RENDERER);
        return name ? reinterpret_cast<const char*>(name) : "";
    }

private:
    HWND window_;
    bool direct_ = false;
};

}  // namespace

std::unique_ptr<RenderHost> createWindowRenderHost(HWND window)
{
    if (!platform::glContextOf(window)) return nullptr;
    return std::make_unique<WindowRenderHost>(window);
}

bool isSoftwareRenderer(const std::string& renderer)
{
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "lavapipe"})
        if (renderer.find(name) != std::string::npos) return true;
    return false;
}

}  // namespace d3d9gl
