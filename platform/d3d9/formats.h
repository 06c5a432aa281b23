// Direct3D 9 formats as OpenGL sees them: texel sizes, upload formats, how a
// back buffer of each format is stored, and conversion of read-back RGBA8
// pixels into a surface's format. Used by textures, surfaces, the back buffer
// and the format checks; lookups of unknown formats return null / false.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>

namespace d3d9gl {

struct FormatInfo {
    D3DFORMAT format;
    unsigned bytesPerPixel;
    unsigned internalFormat;  // GL sized internal format
    unsigned uploadFormat;    // GL pixel format of the D3D memory layout
    unsigned uploadType;      // GL pixel type of the D3D memory layout
    int swizzle[4];           // GL_TEXTURE_SWIZZLE_RGBA; 0 for identity
    bool renderTarget;        // usable as a back buffer
    bool hasAlpha;
};

// Colour formats usable for textures and surfaces; null for others.
const FormatInfo* colorFormat(D3DFORMAT format);

struct DepthFormatInfo {
    D3DFORMAT format;
    unsigned internalFormat;
    int depthBits;
    int stencilBits;
};
// Depth-stencil formats with a GL equivalent; null for others.
const DepthFormatInfo* depthFormat(D3DFORMAT format);

// Display (adapter) formats the layer reports.
bool isDisplayFormat(D3DFORMAT format);

// Writes one pixel given as 8-bit RGBA into `out` in `format`.
void packPixel(D3DFORMAT format, const uint8_t rgba[4], uint8_t* out);

}  // namespace d3d9gl
