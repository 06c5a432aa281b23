// Image files made in memory for the decoder and texture tests: PNG through
// the shared test PNG writer, BMP from its header fields, and helpers to
// damage them.
#pragma once

#include "tests/support/png_writer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace imagetest {

using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& out, uint32_t v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

struct BmpSpec {
    uint32_t infoSize = 40;  // 12 for the core header, 108 for version 4
    int32_t width = 0;
    int32_t height = 0;      // negative for top-down rows
    uint32_t planes = 1;
    uint32_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;  // inside a later header, after a 40-byte one
    Bytes palette;                // 4 bytes an entry (3 with the core header)
    Bytes pixels;                 // padded rows as stored
};

inline Bytes bmpFile(const BmpSpec& s)
{
    Bytes info;
    put32(info, s.infoSize);
    if (s.infoSize == 12) {
        put16(info, uint32_t(s.width));
        put16(info, uint32_t(s.height));
        put16(info, s.planes);
        put16(info, s.bitCount);
    } else {
        put32(info, uint32_t(s.width));
        put32(info, uint32_t(s.height));
        put16(info, s.planes);
        put16(info, s.bitCount);
        put32(info, s.compression);
        put32(info, uint32_t(s.pixels.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, s.colorsUsed);
        put32(info, 0);
        for (uint32_t m : s.masks) put32(info, m);
        while (s.infoSize > 40 && info.size() < s.infoSize) info.push_back(0);
    }
    Bytes file = {'B', 'M'};
    const uint32_t pixelsAt = uint32_t(14 + info.size() + s.palette.size());
    put32(file, uint32_t(pixelsAt + s.pixels.size()));
    put32(file, 0);
    put32(file, pixelsAt);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), s.palette.begin(), s.palette.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

inline Bytes cut(const Bytes& file, size_t size) { return Bytes(file.begin(), file.begin() + ptrdiff_t(size)); }

// Writes `bytes` to `path`; false on an I/O error.
inline bool writeFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace imagetest
