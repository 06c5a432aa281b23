// Format dispatch, the size limits and the box-filter resize shared by all
// decoders and by the mip chain.
#include "assets/image_decode.h"

#include "assets/d3dx_texture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

bool imageSizeAllowed(uint64_t width, uint64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

HRESULT Image::allocate(uint32_t newWidth, uint32_t newHeight)
{
    if (!imageSizeAllowed(newWidth, newHeight)) return D3DXERR_INVALIDDATA;
    pixels.reset(new (std::nothrow) uint32_t[size_t(newWidth) * newHeight]);
    if (!pixels) {
        width = height = 0;
        return E_OUTOFMEMORY;
    }
    width = newWidth;
    height = newHeight;
    return S_OK;
}

HRESULT decodeImage(const unsigned char* data, size_t size, Image* out)
{
    static const unsigned char pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (!data || !out) return E_INVALIDARG;
    if (size >= 8 && std::memcmp(data, pngSignature, 8) == 0) return decodePng(data, size, out);
    if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff) return decodeJpeg(data, size, out);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') return decodeBmp(data, size, out);
    return D3DXERR_INVALIDDATA;
}

namespace {

// Output pixel i of `to` covers [i*from, (i+1)*from) and source pixel j covers
// [j*to, (j+1)*to), both in units of 1/to source pixels, so the weights are
// integers and each output pixel's weights add up to `from`.
struct Axis {
    uint32_t from, to;
    uint32_t first(uint32_t i) const { return uint32_t(uint64_t(i) * from / to); }
    uint32_t last(uint32_t i) const { return uint32_t(((uint64_t(i) + 1) * from - 1) / to); }
    uint64_t weight(uint32_t i, uint32_t j) const
    {
        const uint64_t lo = std::max(uint64_t(i) * from, uint64_t(j) * to);
        const uint64_t hi = std::min((uint64_t(i) + 1) * from, (uint64_t(j) + 1) * to);
        return hi > lo ? hi - lo : 0;
    }
};

// One source row filtered horizontally: 4 weighted channel sums per output
// pixel, each at most 255 * 8192.
void filterRow(const uint32_t* source, const Axis& axis, uint32_t* sums)
{
    for (uint32_t x = 0; x < axis.to; ++x) {
        uint32_t a = 0, r = 0, g = 0, b = 0;
        for (uint32_t j = axis.first(x); j <= axis.last(x); ++j) {
            const uint32_t w = uint32_t(axis.weight(x, j));
            const uint32_t p = source[j];
            a += w * (p >> 24);
            r += w * ((p >> 16) & 0xff);
            g += w * ((p >> 8) & 0xff);
            b += w * (p & 0xff);
        }
        sums[4 * x] = a;
        sums[4 * x + 1] = r;
        sums[4 * x + 2] = g;
        sums[4 * x + 3] = b;
    }
}

}  // namespace

HRESULT resizeImage(const Image& source, uint32_t width, uint32_t height, Image* out)
{
    if (!source.pixels || !out) return E_INVALIDARG;
    Image result;
    HRESULT hr = result.allocate(width, height);
    if (FAILED(hr)) return hr;
    result.hasAlpha = source.hasAlpha;
    std::unique_ptr<uint32_t[]> rowSums(new (std::nothrow) uint32_t[size_t(width) * 4]);
    std::unique_ptr<uint64_t[]> sums(new (std::nothrow) uint64_t[size_t(width) * 4]);
    if (!rowSums || !sums) return E_OUTOFMEMORY;

    const Axis across{source.width, width};
    const Axis down{source.height, height};
    const uint64_t total = uint64_t(source.width) * source.height;
    for (uint32_t y = 0; y < height; ++y) {
        std::fill(sums.get(), sums.get() + size_t(width) * 4, uint64_t(0));
        for (uint32_t j = down.first(y); j <= down.last(y); ++j) {
            const uint64_t w = down.weight(y, j);
            filterRow(source.row(j), across, rowSums.get());
            for (size_t k = 0; k < size_t(width) * 4; ++k) sums[k] += w * rowSums[k];
        }
        uint32_t* target = result.row(y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint64_t* s = &sums[4 * size_t(x)];
            target[x] = packArgb(uint32_t((s[0] + total / 2) / total), uint32_t((s[1] + total / 2) / total),
                                 uint32_t((s[2] + total / 2) / total), uint32_t((s[3] + total / 2) / total));
        }
    }
    *out = std::move(result);
    return S_OK;
}
