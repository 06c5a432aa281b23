// Image decoding for the texture loader. PNG, JPEG and BMP files held in
// memory become 32-bit 0xAARRGGBB pixels, top row first. Sizes beyond the
// limits below are refused from the header, before any pixel memory is taken.
// Called by D3DXCreateTextureFromFileA only. Failures: D3DXERR_INVALIDDATA for
// data that is no image of these formats, or is corrupt, truncated or too
// large; E_OUTOFMEMORY when the pixels cannot be had. Nothing is kept between
// calls. PNG and JPEG go through libpng and libjpeg on Linux and through the
// system's imaging component on Windows (no libpng/libjpeg exist for that
// target here); BMP and everything else is the same code on both.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

// Textures larger than this are of no use to the program and a header that
// claims more is treated as corrupt.
constexpr uint32_t kMaxImageSide = 8192;
constexpr uint64_t kMaxImagePixels = uint64_t(1) << 24;

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    // The file carries an alpha channel or transparency (a PNG tRNS chunk).
    bool hasAlpha = false;
    std::unique_ptr<uint32_t[]> pixels;

    // Takes the pixel memory for a width x height image, refusing zero or
    // oversized dimensions with D3DXERR_INVALIDDATA before allocating.
    HRESULT allocate(uint32_t newWidth, uint32_t newHeight);
    uint32_t* row(uint32_t y) { return pixels.get() + size_t(y) * width; }
    const uint32_t* row(uint32_t y) const { return pixels.get() + size_t(y) * width; }
};

bool imageSizeAllowed(uint64_t width, uint64_t height);

// Picks the decoder by the file's signature; `out` is replaced on success only.
HRESULT decodeImage(const unsigned char* data, size_t size, Image* out);

// The decoders behind decodeImage; each expects its own signature. The PNG
// and JPEG decoders of both targets first run the container checks below.
HRESULT decodePng(const unsigned char* data, size_t size, Image* out);
HRESULT decodeJpeg(const unsigned char* data, size_t size, Image* out);
HRESULT decodeBmp(const unsigned char* data, size_t size, Image* out);

// Container checks, so that damage is judged the same whatever library
// decodes: every PNG chunk complete with its CRC right, IHDR first, IDAT
// present and IEND reached, with hasAlpha set from the colour type or a tRNS
// chunk; JPEG segments complete from SOI through a frame and its scans to EOI.
HRESULT checkPngChunks(const unsigned char* data, size_t size, bool* hasAlpha);
HRESULT checkJpegMarkers(const unsigned char* data, size_t size);

// Box-filter resize: each output pixel is the area-weighted mean of the source
// pixels it covers, per channel and alpha, rounded to nearest. Halving gives
// the mean of each 2 x 2 block. E_OUTOFMEMORY or D3DXERR_INVALIDDATA (sizes).
HRESULT resizeImage(const Image& source, uint32_t width, uint32_t height, Image* out);

// Packs 8-bit channels into the 0xAARRGGBB layout the decoders produce.
inline uint32_t packArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }
