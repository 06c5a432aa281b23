#include "platform/d3d9/formats.h"

#include <epoxy/gl.h>

namespace d3d9gl {
namespace {

// D3D's ARGB formats are little-endian words: BGRA byte order in memory.
const FormatInfo kColorFormats[] = {
    {D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, {0, 0, 0, 0}, true, true},
    {D3DFMT_X8R8G8B8, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, {0, 0, 0, 0}, true, false},
    {D3DFMT_R5G6B5, 2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {0, 0, 0, 0}, true, false},
    {D3DFMT_X1R5G5B5, 2, GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, true,
     false},
    {D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {0, 0, 0, 0}, false, true},
    {D3DFMT_A4R4G4B4, 2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {0, 0, 0, 0}, false, true},
    {D3DFMT_X4R4G4B4, 2, GL_RGB4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, false,
     false},
    {D3DFMT_A2R10G10B10, 4, GL_RGB10_A2, GL_BGRA, GL_UNSIGNED_INT_2_10_10_10_REV, {0, 0, 0, 0}, true, true},
    {D3DFMT_A8B8G8R8, 4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, {0, 0, 0, 0}, false, true},
    {D3DFMT_X8B8G8R8, 4, GL_RGB8, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8_REV, {0, 0, 0, 0}, false, false},
    {D3DFMT_A8, 1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, false, true},
    {D3DFMT_L8, 1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}, false, false},
    {D3DFMT_A8L8, 2, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}, false, true},
};

const DepthFormatInfo kDepthFormats[] = {
    {D3DFMT_D16, GL_DEPTH_COMPONENT16, 16, 0},
    {D3DFMT_D16_LOCKABLE, GL_DEPTH_COMPONENT16, 16, 0},
    {D3DFMT_D24X8, GL_DEPTH_COMPONENT24, 24, 0},
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, 24, 8},
    {D3DFMT_D32, GL_DEPTH_COMPONENT32, 32, 0},
};

uint32_t scale(uint8_t value, int bits) { return (uint32_t(value) * ((1u << bits) - 1) + 127) / 255; }

}  // namespace

const FormatInfo* colorFormat(D3DFORMAT format)
{
    for (const FormatInfo& info : kColorFormats)
        if (info.format == format) return &info;
    return nullptr;
}

const DepthFormatInfo* depthFormat(D3DFORMAT format)
{
    for (const DepthFormatInfo& info : kDepthFormats)
        if (info.format == format) return &info;
    return nullptr;
}

bool isDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
           format == D3DFMT_A2R10G10B10;
}

void packPixel(D3DFORMAT format, const uint8_t rgba[4], uint8_t* out)
{
    const uint8_t r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
    uint32_t word = 0;
    switch (format) {
    case D3DFMT_A8R8G8B8:
        word = (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
        break;
    case D3DFMT_X8R8G8B8:
        word = 0xff000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
        break;
    case D3DFMT_A8B8G8R8:
        word = (uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(g) << 8) | r;
        break;
    case D3DFMT_X8B8G8R8:
        word = 0xff000000u | (uint32_t(b) << 16) | (uint32_t(g) << 8) | r;
        break;
    case D3DFMT_A2R10G10B10:
        word = (scale(a, 2) << 30) | (scale(r, 10) << 20) | (scale(g, 10) << 10) | scale(b, 10);
        break;
    case D3DFMT_R5G6B5:
        word = (scale(r, 5) << 11) | (scale(g, 6) << 5) | scale(b, 5);
        break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        word = ((format == D3DFMT_A1R5G5B5 ? scale(a, 1) : 1u) << 15) | (scale(r, 5) << 10) | (scale(g, 5) << 5) |
               scale(b, 5);
        break;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        word = ((format == D3DFMT_A4R4G4B4 ? scale(a, 4) : 15u) << 12) | (scale(r, 4) << 8) | (scale(g, 4) << 4) |
               scale(b, 4);
        break;
    case D3DFMT_A8:
        word = a;
        break;
    case D3DFMT_L8:
        word = r;
        break;
    case D3DFMT_A8L8:
        word = (uint32_t(a) << 8) | r;
        break;
    default:
        break;
    }
    const FormatInfo* info = colorFormat(format);
    const unsigned bytes = info ? info->bytesPerPixel : 4;
    for (unsigned i = 0; i < bytes; ++i) out[i] = uint8_t(word >> (8 * i));
}

}  // namespace d3d9gl
