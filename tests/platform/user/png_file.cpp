#include "tests/platform/user/png_file.h"

#include <png.h>

#include <cstdio>
#include <sys/stat.h>

namespace usertest {

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height)
{
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) mkdir(path.substr(0, slash).c_str(), 0755);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;  // 0x00RRGGBB little-endian is B, G, R, 0 in memory
    std::vector<uint32_t> opaque(pixels);
    for (uint32_t& pixel : opaque) pixel |= 0xFF000000u;
    return png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), width * 4, nullptr) != 0;
}

}  // namespace usertest
