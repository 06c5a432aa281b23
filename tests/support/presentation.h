// The presentation parameters the device tests start from: windowed
// X8R8G8B8 of the given size with a D24S8 depth buffer, presenting at once.
#pragma once

#include <d3d9.h>

namespace q31test {

inline D3DPRESENT_PARAMETERS windowedPresentation(HWND window, UINT width, UINT height)
{
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

}  // namespace q31test
