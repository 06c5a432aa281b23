// Decodes an .ico file into the icon group's images (0xAARRGGBB, top-down),
// largest first. Reads uncompressed images only: 32-bit BGRA (its alpha, or
// the AND mask when every alpha is zero) and 1/4/8-bit palette or 24-bit with
// the AND mask. Called by the parser for each ICON statement. Returns false
// with a one-line reason (no file or line: the caller adds them) for anything
// else: PNG-compressed images, cursors, truncated or inconsistent data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/rc_compile/resource_model.h"

namespace rc {

bool decodeIco(const std::vector<uint8_t>& bytes, std::vector<IconImage>* images, std::string* error);

}  // namespace rc
