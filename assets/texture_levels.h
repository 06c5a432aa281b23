// The size and level count of a texture made from an image, for
// D3DXCreateTextureFromFileA: the image's own size where the device allows
// it; stretched up to powers of two (and to a square) where the device's
// caps require that; then halved until it fits the device's maximum. Pure
// functions of the caps, exposed for tests.
#pragma once

#include <d3d9.h>

#include <cstdint>

struct TextureSize {
    uint32_t width;
    uint32_t height;
    uint32_t levels;  // the full chain down to 1 x 1, or 1 without mipmap support
};

TextureSize textureSizeFor(const D3DCAPS9& caps, uint32_t imageWidth, uint32_t imageHeight);

// Levels of a full mip chain: 1 + floor(log2(max(width, height))).
uint32_t fullMipLevelCount(uint32_t width, uint32_t height);
