// Writes test screenshots as PNG files for people to look at. Needs no
// image library, so the same call works in the Windows build under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace q31test {

// `pixels` are 0x??RRGGBB rows, top first; alpha is dropped. Creates the
// file's folder if missing (one level). False on a size mismatch or an I/O error.
bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

// The bytes of a PNG file around `rows` (each row its filter byte, then its
// packed samples), for tests that need other colour types and bit depths.
// `chunks` (type, data) go between IHDR and IDAT, e.g. PLTE and tRNS.
using PngChunk = std::pair<std::string, std::vector<unsigned char>>;
std::vector<unsigned char> encodePng(int width, int height, int bitDepth, int colorType,
                                     const std::vector<unsigned char>& rows, const std::vector<PngChunk>& chunks = {});

}  // namespace q31test
