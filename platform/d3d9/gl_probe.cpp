#include "platform/d3d9/gl_probe.h"

#include "platform/core/sdl_video.h"
#include "platform/d3d9/formats.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace d3d9gl {
namespace {

const D3DFORMAT kProbedDepth[] = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32, D3DFMT_D16_LOCKABLE};

bool framebufferComplete(GLenum depthInternal)
{
    GLuint fbo = 0, color = 0, depth = 0;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &color);
    glGenRenderbuffers(1, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glBindRenderbuffer(GL_RENDERBUFFER, color);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 4, 4);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, depthInternal, 4, 4);
    const bool hasStencil = depthInternal == GL_DEPTH24_STENCIL8;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, hasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, depth);
    const bool complete = glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &depth);
    glDeleteRenderbuffers(1, &color);
    glDeleteFramebuffers(1, &fbo);
    return complete;
}

GlProbe runProbe()
{
    GlProbe probe;
    if (!platform::ensureSdlVideo()) return probe;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_Window* window = SDL_CreateWindow("d3d9 probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (context) {
        probe.available = true;
        auto text = [](GLenum name) {
            const GLubyte* s = glGetString(name);
            return std::string(s ? reinterpret_cast<const char*>(s) : "");
        };
        probe.renderer = text(GL_RENDERER);
        probe.vendor = text(GL_VENDOR);
        probe.version = text(GL_VERSION);
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &probe.maxTextureSize);
        glGetIntegerv(GL_MAX_SAMPLES, &probe.maxSamples);
        for (size_t i = 0; i < sizeof kProbedDepth / sizeof kProbedDepth[0]; ++i)
            probe.depthRenderable[i] = framebufferComplete(depthFormat(kProbedDepth[i])->internalFormat);
        SDL_GL_DeleteContext(context);
    }
    if (window) SDL_DestroyWindow(window);
    if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
    return probe;
}

}  // namespace

const GlProbe& glProbe()
{
    // A failed probe (no display yet) is tried again on the next query.
    static GlProbe probe;
    if (!probe.available) probe = runProbe();
    return probe;
}

bool depthFormatRenderable(D3DFORMAT format)
{
    for (size_t i = 0; i < sizeof kProbedDepth / sizeof kProbedDepth[0]; ++i)
        if (kProbedDepth[i] == format) return glProbe().depthRenderable[i];
    return false;
}

void discardPendingGlErrors()
{
    // Bounded: a lost context reports the same error for ever.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

}  // namespace d3d9gl
