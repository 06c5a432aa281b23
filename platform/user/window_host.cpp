// What GDI and Direct3D reach a window through (window_host.h): its SDL
// window, GL context, client area and the compositor's two ways in.
#include "platform/user/window_host.h"

#include "platform/user/compositor.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

namespace platform {

namespace {

user::Window* hostWindow(HWND window)
{
    user::Window* record = user::findWindow(window);
    return record && record->sdl && record->compositor ? record : nullptr;
}

}  // namespace

SDL_Window* sdlWindowOf(HWND window)
{
    user::Window* record = hostWindow(window);
    return record ? record->sdl : nullptr;
}

void* glContextOf(HWND window)
{
    user::Window* record = hostWindow(window);
    return record ? record->compositor->glContext() : nullptr;
}

bool makeGlContextCurrent(HWND window)
{
    user::Window* record = hostWindow(window);
    return record && record->compositor->makeCurrent();
}

void finishPresenting(HWND window)
{
    if (user::Window* record = hostWindow(window)) record->compositor->finishPresenting();
}

RECT clientAreaInDrawable(HWND window)
{
    user::Window* record = hostWindow(window);
    return record ? record->compositor->clientArea() : RECT{0, 0, 0, 0};
}

void presentTexture(HWND window, unsigned texture, int width, int height)
{
    if (user::Window* record = hostWindow(window)) record->compositor->presentTexture(texture, width, height);
}

bool directFrameTarget(HWND window, int width, int height, int depthBits, int stencilBits, POINT* origin)
{
    user::Window* record = hostWindow(window);
    return record && origin && record->compositor->directTarget(width, height, depthBits, stencilBits, origin);
}

void beginDirectFrame(HWND window)
{
    if (user::Window* record = hostWindow(window)) record->compositor->beginDirectFrame();
}

void presentDirectFrame(HWND window)
{
    if (user::Window* record = hostWindow(window)) record->compositor->presentDirect();
}

void coverDisplay(HWND window, const RECT& bounds)
{
    if (hostWindow(window)) user::moveWindow(window, bounds, SWP_NOZORDER | SWP_NOACTIVATE, true);
}

void leaveFullScreen(HWND window)
{
    user::Window* record = hostWindow(window);
    if (!record) return;
    SDL_SetWindowFullscreen(record->sdl, 0);
    user::applyStyleToFrame(window);
}

bool lockClientPixels(HWND window, ClientPixels* out)
{
    user::Window* record = hostWindow(window);
    if (!record || !out) return false;
    return record->compositor->lockPixels(out);
}

void unlockClientPixels(HWND window)
{
    if (user::Window* record = hostWindow(window)) record->compositor->unlockPixels();
}

}  // namespace platform
