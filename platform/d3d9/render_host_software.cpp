// The REF device's host: a private GL context on a hidden window, asked for
// without acceleration, so the reference device really renders in software.
// Frames are read back and handed to the window's compositor in its context.
#include "platform/core/sdl_video.h"
#include "platform/d3d9/render_host.h"
#include "platform/user/window_host.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <vector>

namespace d3d9gl {
namespace {

class SoftwareRenderHost final : public RenderHost {
public:
    SoftwareRenderHost(HWND window, SDL_Window* hidden, SDL_GLContext context)
        : window_(window), hidden_(hidden), context_(context)
    {
    }

    ~SoftwareRenderHost() override
    {
        if (windowTexture_ && platform::makeGlContextCurrent(window_)) glDeleteTextures(1, &windowTexture_);
        if (readFbo_ && makeCurrent()) glDeleteFramebuffers(1, &readFbo_);
        SDL_GL_DeleteContext(context_);
        SDL_DestroyWindow(hidden_);
    }

    bool makeCurrent() override
    {
        if (SDL_GL_GetCurrentContext() == context_) return true;
        return SDL_GL_MakeCurrent(hidden_, context_) == 0;
    }

    void present(unsigned texture, int width, int height) override
    {
        if (!makeCurrent()) return;
        pixels_.resize(size_t(width) * size_t(height) * 4);
        if (!readFbo_) glGenFramebuffers(1, &readFbo_);
        GLint previous = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        // BGRA both ways: the byte order the window's copy of a frame keeps.
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels_.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));

        if (!platform::makeGlContextCurrent(window_)) return;
        if (!windowTexture_) glGenTextures(1, &windowTexture_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, windowTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels_.data());
        platform::presentTexture(window_, windowTexture_, width, height);
        makeCurrent();
    }

    void setSwapInterval(int interval) override
    {
        if (platform::makeGlContextCurrent(window_)) SDL_GL_SetSwapInterval(interval);
        makeCurrent();
    }

    std::string renderer() override
    {
        if (!makeCurrent()) return {};
        const GLubyte* name = glGetString(GL_RENDERER);
        return name ? reinterpret_cast<const char*>(name) : "";
    }

private:
    HWND window_;
    SDL_Window* hidden_;
    SDL_GLContext context_;
    GLuint readFbo_ = 0;
    GLuint windowTexture_ = 0;
    std::vector<unsigned char> pixels_;
};

SDL_GLContext createCoreContext(SDL_Window* window, bool accelerated)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, accelerated ? 1 : 0);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    // Other windows must not inherit the request for a slow visual.
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 1);
    return context;
}

}  // namespace

std::unique_ptr<RenderHost> createSoftwareRenderHost(HWND window)
{
    if (!platform::glContextOf(window) || !platform::ensureSdlVideo()) return nullptr;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_Window* hidden = SDL_CreateWindow("d3d9 reference", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!hidden) return nullptr;
    SDL_GLContext context = createCoreContext(hidden, false);
    // Mesa's GLX offers no unaccelerated visual when software is all it has.
    if (!context) context = createCoreContext(hidden, true);
    if (!context) {
        SDL_DestroyWindow(hidden);
        return nullptr;
    }
    auto host = std::make_unique<SoftwareRenderHost>(window, hidden, context);
    const bool software = isSoftwareRenderer(host->renderer());
    if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
    if (!software) return nullptr;
    return host;
}

}  // namespace d3d9gl
