// Windows bitmaps: uncompressed 8-bit palettised, 16-, 24- and 32-bit files,
// bottom-up or top-down, with the info header or a later version of it, or
// the old core header. 16- and 32-bit files may give their channel masks
// (BI_BITFIELDS); a 32-bit file without an alpha mask is opaque, as the
// fourth byte of BI_RGB is unused. Other compressions are refused.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

#include <utility>

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

uint32_t read16(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t read32(const unsigned char* p) { return read16(p) | read16(p + 2) << 16; }

// One channel of a packed pixel: a contiguous mask, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t bits = 0;

    bool set(uint32_t newMask)
    {
        mask = newMask;
        shift = bits = 0;
        if (mask == 0) return true;
        while (!((mask >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
        return (mask >> shift) == (bits == 32 ? ~0u : (1u << bits) - 1);  // contiguous
    }
    uint32_t of(uint32_t pixel, uint32_t absent) const
    {
        if (bits == 0) return absent;
        const uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
    }
};

struct Header {
    int64_t width = 0;
    int64_t height = 0;  // negative for top-down rows
    uint32_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorsUsed = 0;
    uint32_t paletteEntrySize = 4;
    size_t paletteAt = 0;  // offset of the colour table in the file
    Channel red, green, blue, alpha;
};

HRESULT readHeader(const unsigned char* data, size_t size, Header* h)
{
    if (size < 14 + 12) return D3DXERR_INVALIDDATA;
    const unsigned char* info = data + 14;
    const uint32_t infoSize = read32(info);
    if (infoSize == 12) {  // core header: unsigned 16-bit sizes, 3-byte palette
        h->width = read16(info + 4);
        h->height = read16(info + 6);
        if (read16(info + 8) != 1) return D3DXERR_INVALIDDATA;
        h->bitCount = read16(info + 10);
        h->paletteEntrySize = 3;
        h->paletteAt = 14 + 12;
        return S_OK;
    }
    if (infoSize < 40 || size < 14 + size_t(infoSize)) return D3DXERR_INVALIDDATA;
    h->width = int32_t(read32(info + 4));
    h->height = int32_t(read32(info + 8));
    if (read16(info + 12) != 1) return D3DXERR_INVALIDDATA;
    h->bitCount = read16(info + 14);
    h->compression = read32(info + 16);
    h->colorsUsed = read32(info + 32);
    h->paletteAt = 14 + size_t(infoSize);
    if (h->compression == kBiBitfields || h->compression == kBiAlphaBitfields) {
        // The masks follow a plain info header, or sit inside a later one.
        const size_t maskCount = h->compression == kBiAlphaBitfields ? 4 : 3;
        size_t masksAt = 14 + 40;
        if (infoSize == 40) h->paletteAt += 4 * maskCount;
        else if (infoSize < 40 + 4 * maskCount) return D3DXERR_INVALIDDATA;
        if (size < masksAt + 4 * maskCount) return D3DXERR_INVALIDDATA;
        if (!h->red.set(read32(data + masksAt)) || !h->green.set(read32(data + masksAt + 4)) ||
            !h->blue.set(read32(data + masksAt + 8)))
            return D3DXERR_INVALIDDATA;
        const bool alphaMaskGiven = maskCount == 4 || infoSize >= 56;
        if (alphaMaskGiven && !h->alpha.set(read32(data + masksAt + 12))) return D3DXERR_INVALIDDATA;
    } else if (h->compression != kBiRgb) {
        return D3DXERR_INVALIDDATA;
    }
    return S_OK;
}

// The default masks of BI_RGB files: 5-5-5 and 8-8-8 with the top bits unused.
void setDefaultMasks(Header* h)
{
    if (h->bitCount == 16) {
        h->red.set(0x7c00);
        h->green.set(0x03e0);
        h->blue.set(0x001f);
    } else {
        h->red.set(0xff0000);
        h->green.set(0x00ff00);
        h->blue.set(0x0000ff);
    }
}

}  // namespace

HRESULT decodeBmp(const unsigned char* data, size_t size, Image* out)
{
    if (!data || !out || size < 2 || data[0] != 'B' || data[1] != 'M') return D3DXERR_INVALIDDATA;
    Header h;
    HRESULT hr = readHeader(data, size, &h);
    if (FAILED(hr)) return hr;
    const bool topDown = h.height < 0;
    const uint64_t width = uint64_t(h.width > 0 ? h.width : 0);
    const uint64_t height = uint64_t(topDown ? -h.height : h.height);
    if (!imageSizeAllowed(width, height)) return D3DXERR_INVALIDDATA;

    const bool packed = h.bitCount == 16 || h.bitCount == 32;
    if (h.bitCount != 8 && h.bitCount != 24 && !packed) return D3DXERR_INVALIDDATA;
    if (h.compression != kBiRgb && !packed) return D3DXERR_INVALIDDATA;
    if (packed && h.compression == kBiRgb) setDefaultMasks(&h);

    uint32_t paletteSize = 0;
    if (h.bitCount == 8) {
        paletteSize = h.colorsUsed == 0 ? 256 : h.colorsUsed;
        if (paletteSize > 256 || h.paletteAt + uint64_t(paletteSize) * h.paletteEntrySize > size)
            return D3DXERR_INVALIDDATA;
    }
    const uint64_t stride = (width * h.bitCount + 31) / 32 * 4;
    const uint64_t pixelsAt = read32(data + 10);
    if (pixelsAt > size || stride * height > size - pixelsAt) return D3DXERR_INVALIDDATA;

    Image image;
    hr = image.allocate(uint32_t(width), uint32_t(height));
    if (FAILED(hr)) return hr;
    image.hasAlpha = h.alpha.bits != 0;
    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < paletteSize; ++i) {
        const unsigned char* entry = data + h.paletteAt + size_t(i) * h.paletteEntrySize;
        palette[i] = packArgb(0xff, entry[2], entry[1], entry[0]);
    }
    for (uint32_t y = 0; y < height; ++y) {
        const unsigned char* source = data + pixelsAt + stride * (topDown ? y : height - 1 - y);
        uint32_t* target = image.row(y);
        for (uint32_t x = 0; x < width; ++x) {
            if (h.bitCount == 8) {
                if (source[x] >= paletteSize) return D3DXERR_INVALIDDATA;
                target[x] = palette[source[x]];
            } else if (h.bitCount == 24) {
                const unsigned char* p = source + 3 * size_t(x);
                target[x] = packArgb(0xff, p[2], p[1], p[0]);
            } else {
                const uint32_t p = h.bitCount == 16 ? read16(source + 2 * size_t(x)) : read32(source + 4 * size_t(x));
                target[x] = packArgb(h.alpha.of(p, 0xff), h.red.of(p, 0), h.green.of(p, 0), h.blue.of(p, 0));
            }
        }
    }
    *out = std::move(image);
    return S_OK;
}
