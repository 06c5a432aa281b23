#include "display/format_bits.h"

unsigned colorBitsOf(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 8;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        // R5G6B5's green has six bits; the requirement is per weakest channel.
        return 5;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        return 4;
    case D3DFMT_R3G3B2:
    case D3DFMT_A8R3G3B2:
        return 2;
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A2R10G10B10:
        return 10;
    default:
        return 0;
    }
}

unsigned alphaBitsOf(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A8R3G3B2:
        return 8;
    case D3DFMT_A1R5G5B5:
        return 1;
    case D3DFMT_A4R4G4B4:
        return 4;
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A2R10G10B10:
        return 2;
    default:
        return 0;
    }
}

unsigned depthBitsOf(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_D32:
        return 32;
    case D3DFMT_D15S1:
        return 15;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
        return 24;
    case D3DFMT_D16:
        return 16;
    default:
        return 0;
    }
}

unsigned stencilBitsOf(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_D15S1:
        return 1;
    case D3DFMT_D24S8:
        return 8;
    case D3DFMT_D24X4S4:
        return 4;
    default:
        return 0;
    }
}
