// Test support for both targets: reads the committed .ico on its own, apart
// from tools/rc_compile, so the tests compare the compiled icon with the file
// rather than with the compiler's reading of it. Reads only what the icon uses
// (uncompressed 32-bit BGRA images); anything else returns false with a reason.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace icofile {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;  // top-down, straight alpha
};

inline uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

inline bool read(const char* path, std::vector<Image>* images, std::string* why)
{
    auto fail = [why](const std::string& reason) {
        *why = reason;
        return false;
    };
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 6) return fail("cannot read " + std::string(path));
    const size_t count = b[4] | b[5] << 8;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        if (entry + 16 > b.size()) return fail("directory truncated");
        const size_t offset = le32(b, entry + 12);
        if (offset + 40 > b.size()) return fail("image outside the file");
        Image image;
        image.width = static_cast<int>(le32(b, offset + 4));
        image.height = static_cast<int>(le32(b, offset + 8)) / 2;
        if ((b[offset + 14] | b[offset + 15] << 8) != 32) return fail("not a 32-bit image");
        const size_t pixels = offset + le32(b, offset);
        if (pixels + size_t(image.width) * image.height * 4 > b.size()) return fail("pixels truncated");
        // Bitmap rows run bottom-up.
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const size_t p = pixels + (size_t(image.height - 1 - y) * image.width + x) * 4;
                image.argb.push_back(uint32_t(b[p + 3]) << 24 | b[p + 2] << 16 | b[p + 1] << 8 | b[p]);
            }
        }
        images->push_back(image);
    }
    return true;
}

inline const Image* findSize(const std::vector<Image>& images, int width)
{
    for (const Image& image : images)
        if (image.width == width) return &image;
    return nullptr;
}

}  // namespace icofile
