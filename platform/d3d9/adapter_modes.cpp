#include "platform/d3d9/adapter_modes.h"

#include "platform/core/sdl_video.h"

#include <SDL.h>

#include <algorithm>

namespace d3d9gl {

unsigned adapterCount()
{
    if (!platform::ensureSdlVideo()) return 0;
    const int count = SDL_GetNumVideoDisplays();
    return count > 0 ? unsigned(count) : 0;
}

D3DFORMAT formatOfSdlPixelFormat(unsigned sdlFormat)
{
    switch (sdlFormat) {
    case SDL_PIXELFORMAT_RGB888:
    case SDL_PIXELFORMAT_BGR888:
    case SDL_PIXELFORMAT_RGBX8888:
    case SDL_PIXELFORMAT_BGRX8888:
    case SDL_PIXELFORMAT_ARGB8888:
    case SDL_PIXELFORMAT_ABGR8888:
    case SDL_PIXELFORMAT_RGBA8888:
    case SDL_PIXELFORMAT_BGRA8888:
    case SDL_PIXELFORMAT_RGB24:
    case SDL_PIXELFORMAT_BGR24:
        return D3DFMT_X8R8G8B8;
    case SDL_PIXELFORMAT_RGB565:
    case SDL_PIXELFORMAT_BGR565:
        return D3DFMT_R5G6B5;
    case SDL_PIXELFORMAT_RGB555:
    case SDL_PIXELFORMAT_BGR555:
    case SDL_PIXELFORMAT_ARGB1555:
    case SDL_PIXELFORMAT_ABGR1555:
        return D3DFMT_X1R5G5B5;
    case SDL_PIXELFORMAT_ARGB2101010:
        return D3DFMT_A2R10G10B10;
    default:
        return D3DFMT_UNKNOWN;
    }
}

std::vector<D3DDISPLAYMODE> adapterModes(unsigned adapter, D3DFORMAT format)
{
    std::vector<D3DDISPLAYMODE> modes;
    if (adapter >= adapterCount()) return modes;
    const int count = SDL_GetNumDisplayModes(int(adapter));
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode sdl;
        if (SDL_GetDisplayMode(int(adapter), i, &sdl) != 0) continue;
        if (formatOfSdlPixelFormat(sdl.format) != format) continue;
        const D3DDISPLAYMODE mode = {UINT(sdl.w), UINT(sdl.h), UINT(sdl.refresh_rate), format};
        const bool seen = std::any_of(modes.begin(), modes.end(), [&](const D3DDISPLAYMODE& m) {
            return m.Width == mode.Width && m.Height == mode.Height && m.RefreshRate == mode.RefreshRate;
        });
        if (!seen) modes.push_back(mode);
    }
    // SDL lists largest first; Direct3D enumerates smallest first.
    std::sort(modes.begin(), modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
        if (a.Width != b.Width) return a.Width < b.Width;
        if (a.Height != b.Height) return a.Height < b.Height;
        return a.RefreshRate < b.RefreshRate;
    });
    return modes;
}

bool desktopMode(unsigned adapter, D3DDISPLAYMODE* mode)
{
    if (adapter >= adapterCount()) return false;
    SDL_DisplayMode sdl;
    if (SDL_GetDesktopDisplayMode(int(adapter), &sdl) != 0) return false;
    D3DFORMAT format = formatOfSdlPixelFormat(sdl.format);
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_X8R8G8B8;
    *mode = {UINT(sdl.w), UINT(sdl.h), UINT(sdl.refresh_rate), format};
    return true;
}

const char* adapterName(unsigned adapter)
{
    if (adapter >= adapterCount()) return "";
    const char* name = SDL_GetDisplayName(int(adapter));
    return name ? name : "";
}

}  // namespace d3d9gl
