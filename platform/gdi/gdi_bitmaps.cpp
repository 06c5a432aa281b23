// Bitmaps: 32-bit DIB sections (CreateDIBSection) and reading any bitmap as
// 32-bit DIB rows (GetDIBits).
#include "gdi/gdi_objects.h"

#include <cstring>

namespace platform {
namespace gdi {
namespace {

// Larger than any texture or window the program makes, small enough that
// width * height * 4 cannot overflow.
constexpr long kMaxSide = 32768;
constexpr long long kMaxBytes = 1LL << 30;

bool sizeAcceptable(long width, long height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    long long bytes = static_cast<long long>(width) * height * (bitsPerPixel == 32 ? 4 : 1);
    return bytes <= kMaxBytes;
}

// 32 bits per pixel, uncompressed, or with the masks that mean the same.
bool is32BitRgb(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32)
        return false;
    if (h.biCompression == BI_RGB)
        return true;
    if (h.biCompression != BI_BITFIELDS)
        return false;
    DWORD masks[3];
    std::memcpy(masks, reinterpret_cast<const uint8_t*>(info) + h.biSize, sizeof masks);
    return masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
}

}  // namespace

std::unique_ptr<BitmapObject> makeBitmap(int width, int height, int bitsPerPixel) {
    if ((bitsPerPixel != 1 && bitsPerPixel != 32) || !sizeAcceptable(width, height, bitsPerPixel))
        return nullptr;
    auto bitmap = std::make_unique<BitmapObject>();
    size_t pitch = static_cast<size_t>(width) * (bitsPerPixel == 32 ? 4 : 1);
    bitmap->storage.assign(pitch * height, 0);
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->topRow = bitmap->storage.data();
    bitmap->pitch = static_cast<ptrdiff_t>(pitch);
    return bitmap;
}

std::unique_ptr<BitmapObject> copyBitmap(const BitmapObject& source) {
    std::unique_ptr<BitmapObject> copy = makeBitmap(source.width, source.height, source.bitsPerPixel);
    if (!copy)
        return nullptr;
    const size_t rowBytes = static_cast<size_t>(copy->pitch);
    for (int y = 0; y < source.height; ++y)
        std::memcpy(copy->row(y), source.row(y), rowBytes);
    return copy;
}

}  // namespace gdi
}  // namespace platform

using namespace platform::gdi;

// Device-dependent bitmaps of 1 or 32 bits per pixel, rows top-down, each
// padded to a WORD as Windows takes them; 1 bits are white. A zero side gives
// a 1 x 1 monochrome bitmap and a negative one counts as positive, as on Windows.
HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    ObjectLock lock;
    if (nWidth == INT32_MIN || nHeight == INT32_MIN || nPlanes != 1)
        return nullptr;
    nWidth = nWidth < 0 ? -nWidth : nWidth;
    nHeight = nHeight < 0 ? -nHeight : nHeight;
    if (nWidth == 0 || nHeight == 0) {
        nWidth = nHeight = 1;
        nBitCount = 1;
        lpBits = nullptr;
    }
    if (nBitCount != 1 && nBitCount != 32)
        return nullptr;
    std::unique_ptr<BitmapObject> bitmap = makeBitmap(nWidth, nHeight, static_cast<int>(nBitCount));
    if (!bitmap)
        return nullptr;
    if (lpBits) {
        const auto* src = static_cast<const uint8_t*>(lpBits);
        const size_t srcPitch = nBitCount == 1 ? ((static_cast<size_t>(nWidth) + 15) / 16) * 2
                                               : static_cast<size_t>(nWidth) * 4;
        for (int y = 0; y < nHeight; ++y, src += srcPitch) {
            uint8_t* dst = bitmap->row(y);
            if (nBitCount == 32) {
                std::memcpy(dst, src, srcPitch);
                continue;
            }
            for (int x = 0; x < nWidth; ++x)
                dst[x] = (src[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return static_cast<HBITMAP>(addObject(std::move(bitmap)));
}

// File-mapping sections (hSection) are not served: such calls fail.
HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                DWORD) {
    ObjectLock lock;
    if (ppvBits)
        *ppvBits = nullptr;
    if (!pbmi || hSection || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS))
        return nullptr;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (!is32BitRgb(pbmi) || h.biPlanes != 1 || h.biHeight == INT32_MIN)
        return nullptr;
    long width = h.biWidth;
    long height = h.biHeight < 0 ? -static_cast<long>(h.biHeight) : h.biHeight;
    std::unique_ptr<BitmapObject> bitmap = makeBitmap(width, height, 32);
    if (!bitmap)
        return nullptr;
    bitmap->isDibSection = true;
    bitmap->dibBits = bitmap->storage.data();
    if (h.biHeight > 0) {
        // Bottom-up: the first row in memory is the bottom one.
        bitmap->topRow = bitmap->storage.data() + (height - 1) * bitmap->pitch;
        bitmap->pitch = -bitmap->pitch;
    }
    bitmap->dibHeader = h;
    bitmap->dibHeader.biSize = sizeof(BITMAPINFOHEADER);
    // GetObject reports the height without its sign, as Windows does.
    bitmap->dibHeader.biHeight = static_cast<LONG>(height);
    bitmap->dibHeader.biSizeImage = static_cast<DWORD>(width * 4 * height);
    void* bits = bitmap->dibBits;
    HBITMAP handle = static_cast<HBITMAP>(addObject(std::move(bitmap)));
    if (handle && ppvBits)
        *ppvBits = bits;
    return handle;
}

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi,
                     UINT usage) {
    ObjectLock lock;
    BitmapObject* bitmap = lookupBitmap(hbm);
    if (!lookupDc(hdc) || !bitmap || !lpbmi || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS))
        return 0;
    BITMAPINFOHEADER& h = lpbmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER))
        return 0;
    if (!lpvBits) {
        // A query: with biBitCount 0 the bitmap's own format, otherwise the image size for the asked one.
        if (h.biBitCount == 0) {
            h.biWidth = bitmap->width;
            h.biHeight = bitmap->height;
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(bitmap->bitsPerPixel);
            h.biCompression = BI_RGB;
            h.biXPelsPerMeter = 0;
            h.biYPelsPerMeter = 0;
            h.biClrUsed = 0;
            h.biClrImportant = 0;
        }
        if (h.biWidth <= 0 || h.biBitCount == 0)
            return 0;
        long rows = h.biHeight < 0 ? -static_cast<long>(h.biHeight) : h.biHeight;
        long stride = ((static_cast<long>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
        h.biSizeImage = static_cast<DWORD>(stride * rows);
        return bitmap->height;
    }
    if (!is32BitRgb(lpbmi) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return 0;
    bool topDown = h.biHeight < 0;
    long dibRows = topDown ? -static_cast<long>(h.biHeight) : h.biHeight;
    long columns = h.biWidth < bitmap->width ? h.biWidth : bitmap->width;
    auto* out = static_cast<uint32_t*>(lpvBits);
    int copied = 0;
    for (unsigned long j = start; j < static_cast<unsigned long>(start) + cLines; ++j) {
        if (j >= static_cast<unsigned long>(dibRows) || j >= static_cast<unsigned long>(bitmap->height))
            break;
        // Scan line 0 is the top row of a top-down DIB and the bottom row of a bottom-up one.
        long y = topDown ? static_cast<long>(j) : bitmap->height - 1 - static_cast<long>(j);
        uint32_t* dst = out + static_cast<size_t>(j - start) * h.biWidth;
        const uint8_t* src = bitmap->row(y);
        for (long x = 0; x < columns; ++x) {
            if (bitmap->bitsPerPixel == 32)
                std::memcpy(&dst[x], src + x * 4, 4);
            else
                dst[x] = src[x] ? 0x00FFFFFF : 0x00000000;  // a monochrome bitmap's black and white
        }
        for (long x = columns; x < h.biWidth; ++x)
            dst[x] = 0;
        ++copied;
    }
    return copied;
}
