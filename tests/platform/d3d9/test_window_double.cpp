// A stand-in for the window host (platform/user/window_host.h) used while our
// USER32 has no windows: each test window is an SDL window with its own GL
// 3.3 core context, and presentTexture blits the texture into it and swaps.
#include "platform/core/sdl_video.h"
#include "platform/user/window_host.h"
#include "tests/platform/d3d9/test_window.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <map>

namespace {

struct DoubleWindow {
    SDL_Window* window;
    SDL_GLContext context;
    GLuint readFbo = 0;
};

std::map<HWND, DoubleWindow>& windows()
{
    static std::map<HWND, DoubleWindow> table;
    return table;
}

DoubleWindow* find(HWND window)
{
    auto it = windows().find(window);
    return it == windows().end() ? nullptr : &it->second;
}

}  // namespace

HWND createTestWindow(int width, int height)
{
    if (!platform::ensureSdlVideo()) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_Window* window = SDL_CreateWindow("d3d9 test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window) return nullptr;
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    HWND handle = reinterpret_cast<HWND>(window);
    windows()[handle] = {window, context};
    return handle;
}

void destroyTestWindow(HWND handle)
{
    DoubleWindow* w = find(handle);
    if (!w) return;
    SDL_GL_MakeCurrent(w->window, w->context);
    if (w->readFbo) glDeleteFramebuffers(1, &w->readFbo);
    SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(w->context);
    SDL_DestroyWindow(w->window);
    windows().erase(handle);
}

void pumpTestWindow(HWND)
{
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

namespace platform {

SDL_Window* sdlWindowOf(HWND window)
{
    DoubleWindow* w = find(window);
    return w ? w->window : nullptr;
}

void* glContextOf(HWND window)
{
    DoubleWindow* w = find(window);
    return w ? w->context : nullptr;
}

bool makeGlContextCurrent(HWND window)
{
    DoubleWindow* w = find(window);
    return w && SDL_GL_MakeCurrent(w->window, w->context) == 0;
}

RECT clientAreaInDrawable(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    if (DoubleWindow* w = find(window)) SDL_GL_GetDrawableSize(w->window, reinterpret_cast<int*>(&rect.right),
                                                               reinterpret_cast<int*>(&rect.bottom));
    return rect;
}

void presentTexture(HWND window, unsigned texture, int width, int height)
{
    DoubleWindow* w = find(window);
    if (!w || !makeGlContextCurrent(window)) return;
    if (!w->readFbo) glGenFramebuffers(1, &w->readFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, w->readFbo);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(w->window, &drawableWidth, &drawableHeight);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, width, height, 0, 0, drawableWidth, drawableHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    SDL_GL_SwapWindow(w->window);
}

bool lockClientPixels(HWND, ClientPixels*) { return false; }
void unlockClientPixels(HWND) {}

}  // namespace platform
