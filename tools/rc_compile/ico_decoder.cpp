#include "tools/rc_compile/ico_decoder.h"

#include <algorithm>

namespace rc {

namespace {

constexpr size_t DirectorySize = 6;
constexpr size_t EntrySize = 16;
constexpr size_t InfoHeaderSize = 40;

uint16_t read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t read32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Bytes per bitmap row: rows are padded to whole 32-bit words.
size_t rowStride(int width, int bitCount)
{
    return (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
}

bool decodeImage(const uint8_t* data, size_t size, int index, IconImage* image, std::string* error)
{
    const std::string which = "image " + std::to_string(index);
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::equal(pngSignature, pngSignature + 8, data)) {
        *error = which + " is PNG-compressed; store it as an uncompressed 32-bit bitmap";
        return false;
    }
    if (size < InfoHeaderSize) {
        *error = which + " is too short for a bitmap header";
        return false;
    }
    const uint32_t headerSize = read32(data);
    const int32_t width = static_cast<int32_t>(read32(data + 4));
    const int32_t doubledHeight = static_cast<int32_t>(read32(data + 8));
    const uint16_t planes = read16(data + 12);
    const uint16_t bitCount = read16(data + 14);
    const uint32_t compression = read32(data + 16);
    const uint32_t colorsUsed = read32(data + 32);
    if (headerSize < InfoHeaderSize || headerSize > size) {
        *error = which + " has a bad bitmap header size (" + std::to_string(headerSize) + ")";
        return false;
    }
    // The bitmap's height counts the colour rows and the AND mask rows.
    if (width <= 0 || width > 256 || doubledHeight <= 0 || doubledHeight % 2 != 0 || doubledHeight > 512) {
        *error = which + " has a bad size " + std::to_string(width) + "x" + std::to_string(doubledHeight) +
                 " (width 1..256, height twice the icon's)";
        return false;
    }
    if (planes != 1 || compression != 0) {
        *error = which + " is compressed or has several planes; only uncompressed bitmaps are read";
        return false;
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
        *error = which + " has " + std::to_string(bitCount) + " bits per pixel (1, 4, 8, 24 or 32 are read)";
        return false;
    }
    const int height = doubledHeight / 2;

    size_t paletteCount = 0;
    if (bitCount <= 8) {
        paletteCount = colorsUsed != 0 ? colorsUsed : size_t{1} << bitCount;
        if (paletteCount > (size_t{1} << bitCount)) {
            *error = which + " has " + std::to_string(colorsUsed) + " palette entries for " +
                     std::to_string(bitCount) + " bits per pixel";
            return false;
        }
    }
    const size_t paletteOffset = headerSize;
    const size_t colorOffset = paletteOffset + paletteCount * 4;
    const size_t colorStride = rowStride(width, bitCount);
    const size_t maskOffset = colorOffset + colorStride * height;
    const size_t maskStride = rowStride(width, 1);
    if (maskOffset + maskStride * height > size) {
        *error = which + " is truncated (" + std::to_string(size) + " bytes, " +
                 std::to_string(maskOffset + maskStride * height) + " needed)";
        return false;
    }

    image->width = width;
    image->height = height;
    image->pixels.assign(static_cast<size_t>(width) * height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        // Bitmap rows run bottom-up.
        const uint8_t* row = data + colorOffset + colorStride * (height - 1 - y);
        const uint8_t* maskRow = data + maskOffset + maskStride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t b = 0, g = 0, r = 0, a = 0xFF;
            if (bitCount == 32) {
                b = row[x * 4];
                g = row[x * 4 + 1];
                r = row[x * 4 + 2];
                a = row[x * 4 + 3];
                anyAlpha = anyAlpha || a != 0;
            } else if (bitCount == 24) {
                b = row[x * 3];
                g = row[x * 3 + 1];
                r = row[x * 3 + 2];
            } else {
                const size_t bit = static_cast<size_t>(x) * bitCount;
                const unsigned shift = 8 - bitCount - bit % 8;
                const size_t entry = (row[bit / 8] >> shift) & ((1u << bitCount) - 1);
                if (entry >= paletteCount) {
                    *error = which + " uses palette entry " + std::to_string(entry) + " of " +
                             std::to_string(paletteCount);
                    return false;
                }
                const uint8_t* quad = data + paletteOffset + entry * 4;
                b = quad[0];
                g = quad[1];
                r = quad[2];
            }
            const bool masked = (maskRow[x / 8] >> (7 - x % 8)) & 1;
            if (bitCount != 32 && masked) a = 0;
            image->pixels[static_cast<size_t>(y) * width + x] = a << 24 | r << 16 | g << 8 | b;
        }
    }
    // Old 32-bit icons leave alpha at zero and rely on the mask.
    if (bitCount == 32 && !anyAlpha) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* maskRow = data + maskOffset + maskStride * (height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const bool masked = (maskRow[x / 8] >> (7 - x % 8)) & 1;
                if (!masked) image->pixels[static_cast<size_t>(y) * width + x] |= 0xFF000000u;
            }
        }
    }
    return true;
}

}  // namespace

bool decodeIco(const std::vector<uint8_t>& bytes, std::vector<IconImage>* images, std::string* error)
{
    images->clear();
    if (bytes.size() < DirectorySize || read16(bytes.data()) != 0) {
        *error = "not an icon file";
        return false;
    }
    const uint16_t type = read16(bytes.data() + 2);
    if (type == 2) {
        *error = "a cursor file, not an icon";
        return false;
    }
    if (type != 1) {
        *error = "not an icon file";
        return false;
    }
    const uint16_t count = read16(bytes.data() + 4);
    if (count == 0) {
        *error = "the icon file holds no images";
        return false;
    }
    if (DirectorySize + EntrySize * count > bytes.size()) {
        *error = "the icon directory is truncated";
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = bytes.data() + DirectorySize + EntrySize * i;
        const uint32_t size = read32(entry + 8);
        const uint32_t offset = read32(entry + 12);
        if (offset > bytes.size() || size > bytes.size() - offset) {
            *error = "image " + std::to_string(i) + " lies outside the file";
            return false;
        }
        IconImage image;
        if (!decodeImage(bytes.data() + offset, size, i, &image, error)) return false;
        // The directory's size, 0 meaning 256, must agree with the bitmap's.
        const int listedWidth = entry[0] == 0 ? 256 : entry[0];
        const int listedHeight = entry[1] == 0 ? 256 : entry[1];
        if (listedWidth != image.width || listedHeight != image.height) {
            *error = "image " + std::to_string(i) + " is listed as " + std::to_string(listedWidth) + "x" +
                     std::to_string(listedHeight) + " but its bitmap is " + std::to_string(image.width) + "x" +
                     std::to_string(image.height);
            return false;
        }
        images->push_back(std::move(image));
    }
    std::stable_sort(images->begin(), images->end(), [](const IconImage& a, const IconImage& b) {
        return a.width * a.height > b.width * b.height;
    });
    return true;
}

}  // namespace rc
