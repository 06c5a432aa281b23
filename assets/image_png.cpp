// PNG through libpng, reading from memory. libpng reports every error
// through its error callback, which must not return: it jumps back to the
// setjmp in decodePng, where the read structures are freed and the failure
// becomes D3DXERR_INVALIDDATA. Warnings are dropped. No C++ object with a
// destructor may live across the jump, so the pixel memory is owned by the
// Image declared before the setjmp and reached only through plain pointers.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

#include <png.h>

#include <cstring>
#include <new>

namespace {

struct Reader {
    const unsigned char* data;
    size_t size;
    size_t at;
};

void readFromMemory(png_structp png, png_bytep target, size_t length)
{
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->at) png_error(png, "truncated");
    std::memcpy(target, reader->data + reader->at, length);
    reader->at += length;
}

void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Everything libpng needs freed on the way out, success or failure.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
};

// Runs under the setjmp of decodePng; png_error anywhere in here jumps out.
HRESULT readImage(PngRead* read, Reader* reader, Image* image)
{
    png_structp png = read->png;
    png_infop info = read->info;
    png_set_read_fn(png, reader, readFromMemory);
    // Refused by libpng itself from the header, as well as by us below.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    png_get_IHDR(png, info, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr);
    HRESULT hr = image->allocate(width, height);
    if (FAILED(hr)) return hr;

    // Everything becomes 8-bit RGBA: palettes and small grey depths expand,
    // tRNS becomes alpha, 16-bit samples are scaled down with rounding.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) return D3DXERR_INVALIDDATA;

    read->rows = static_cast<png_bytep*>(png_malloc_warn(png, sizeof(png_bytep) * height));
    if (!read->rows) return E_OUTOFMEMORY;
    for (png_uint_32 y = 0; y < height; ++y) read->rows[y] = reinterpret_cast<png_bytep>(image->row(y));
    png_read_image(png, read->rows);
    png_read_end(png, nullptr);

    // RGBA bytes in place to 0xAARRGGBB words.
    for (png_uint_32 y = 0; y < height; ++y) {
        uint32_t* row = image->row(y);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(row);
        for (png_uint_32 x = 0; x < width; ++x) {
            const unsigned char* p = bytes + 4 * size_t(x);
            row[x] = packArgb(p[3], p[0], p[1], p[2]);
        }
    }
    return S_OK;
}

}  // namespace

HRESULT decodePng(const unsigned char* data, size_t size, Image* out)
{
    if (!data || !out || size < 8 || png_sig_cmp(data, 0, 8) != 0) return D3DXERR_INVALIDDATA;
    Image image;
    const HRESULT layout = checkPngChunks(data, size, &image.hasAlpha);
    if (FAILED(layout)) return layout;
    Reader reader{data, size, 0};
    PngRead read;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!read.png) return E_OUTOFMEMORY;
    read.info = png_create_info_struct(read.png);
    if (!read.info) {
        png_destroy_read_struct(&read.png, nullptr, nullptr);
        return E_OUTOFMEMORY;
    }
    // Volatile: assigned between setjmp and a possible longjmp.
    volatile HRESULT hr = D3DXERR_INVALIDDATA;
    if (setjmp(png_jmpbuf(read.png)) == 0) hr = readImage(&read, &reader, &image);
    if (read.rows) png_free(read.png, read.rows);
    png_destroy_read_struct(&read.png, &read.info, nullptr);
    if (FAILED(hr)) return hr;
    *out = std::move(image);
    return S_OK;
}
