// libFuzzer targets for the texture loader's image decoding, one binary per
// format (FUZZ_FORMAT_PNG, _JPEG or _BMP): the bytes go through decodeImage,
// the entry the texture loader uses, and inputs without that format's
// signature are refused so that each target's corpus stays in its format. A
// decoded image must be in range, fully written (MemorySanitizer is not
// available with ASan, so every pixel is read), and survive the halving the
// mip chain does. Built by `make fuzz` only.
#include "assets/image_decode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool hasSignature(const uint8_t* data, size_t size) {
#if defined(FUZZ_FORMAT_PNG)
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return size >= 8 && std::memcmp(data, signature, 8) == 0;
#elif defined(FUZZ_FORMAT_JPEG)
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
#elif defined(FUZZ_FORMAT_BMP)
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
#else
#error "define FUZZ_FORMAT_PNG, FUZZ_FORMAT_JPEG or FUZZ_FORMAT_BMP"
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!hasSignature(data, size)) return -1;
    Image image;
    if (FAILED(decodeImage(data, size, &image))) {
        require(!image.pixels);
        return 0;
    }
    require(image.pixels && imageSizeAllowed(image.width, image.height));
    uint32_t mix = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x) mix ^= image.row(y)[x];
    if (!image.hasAlpha) require((mix >> 24) == 0 || (mix >> 24) == 0xff);
    Image half;
    require(SUCCEEDED(resizeImage(image, image.width > 1 ? image.width / 2 : 1,
                                  image.height > 1 ? image.height / 2 : 1, &half)));
    return 0;
}
