// Writes test screenshots as PNG files (libpng). Linux tests only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace usertest {

// `pixels` top-down, 0x00RRGGBB; the folder is created if missing. False on any failure.
bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace usertest
