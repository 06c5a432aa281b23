// Writes test screenshots as PNG files for people to look at. Needs no
// image library, so the same call works in the Windows build under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace q31test {

// `pixels` are 0x??RRGGBB rows, top first; alpha is dropped. Creates the
// file's folder if missing (one level). False on a size mismatch or an I/O error.
bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace q31test
