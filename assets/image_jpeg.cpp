// JPEG through libjpeg, reading from memory. libjpeg's default error handler
// exits the process; ours jumps back to the setjmp in decodeJpeg instead,
// where the decompressor is destroyed and the failure becomes
// D3DXERR_INVALIDDATA. Warnings (corrupt data that libjpeg would patch over,
// a file that ends early) are failures too, so a damaged file is never shown
// half grey. Nothing is printed. As with PNG, no object with a destructor
// lives across the jump.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>

#include <csetjmp>
#include <new>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Level -1 is a warning about damaged data; higher levels are traces.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0) onError(info);
}

void printNothing(j_common_ptr) {}

// Runs under the setjmp of decodeJpeg; any libjpeg error jumps out.
HRESULT readImage(jpeg_decompress_struct* jpeg, const unsigned char* data, size_t size, Image* image,
                  JSAMPROW* row)
{
    jpeg_mem_src(jpeg, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(jpeg, TRUE) != JPEG_HEADER_OK) return D3DXERR_INVALIDDATA;
    // Refused before libjpeg sizes its own buffers in jpeg_start_decompress.
    HRESULT hr = image->allocate(jpeg->image_width, jpeg->image_height);
    if (FAILED(hr)) return hr;
    if (jpeg->jpeg_color_space == JCS_CMYK || jpeg->jpeg_color_space == JCS_YCCK) return D3DXERR_INVALIDDATA;
    jpeg->out_color_space = JCS_RGB;
    jpeg_start_decompress(jpeg);
    if (jpeg->output_components != 3 || jpeg->output_width != image->width || jpeg->output_height != image->height)
        return D3DXERR_INVALIDDATA;

    *row = new (std::nothrow) JSAMPLE[size_t(image->width) * 3];
    if (!*row) return E_OUTOFMEMORY;
    while (jpeg->output_scanline < jpeg->output_height) {
        const JDIMENSION y = jpeg->output_scanline;
        if (jpeg_read_scanlines(jpeg, row, 1) != 1) return D3DXERR_INVALIDDATA;
        uint32_t* target = image->row(y);
        for (uint32_t x = 0; x < image->width; ++x) {
            const JSAMPLE* p = *row + 3 * size_t(x);
            target[x] = packArgb(0xff, p[0], p[1], p[2]);
        }
    }
    jpeg_finish_decompress(jpeg);
    return S_OK;
}

}  // namespace

HRESULT decodeJpeg(const unsigned char* data, size_t size, Image* out)
{
    if (!data || !out) return D3DXERR_INVALIDDATA;
    const HRESULT layout = checkJpegMarkers(data, size);
    if (FAILED(layout)) return layout;
    Image image;
    jpeg_decompress_struct jpeg;
    ErrorManager errors;
    jpeg.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    errors.base.output_message = printNothing;
    JSAMPROW row = nullptr;
    // Volatile: assigned between setjmp and a possible longjmp.
    volatile HRESULT hr = D3DXERR_INVALIDDATA;
    if (setjmp(errors.jump) == 0) {
        jpeg_create_decompress(&jpeg);
        hr = readImage(&jpeg, data, size, &image, &row);
    }
    jpeg_destroy_decompress(&jpeg);
    delete[] row;
    if (FAILED(hr)) return hr;
    *out = std::move(image);
    return S_OK;
}
