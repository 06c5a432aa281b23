// The mip levels made from recently loaded image files, so that a file loaded
// again (the game's models name one texture in fourteen materials) is copied
// into its new texture rather than decoded and filtered again. An entry is
// found by the file's exact bytes, so an edited file is decoded afresh; the
// caller checks that the entry's size is the one the device asks for. Only a
// few small images are kept. Used by D3DXCreateTextureFromFileA; safe to call
// from several threads.
#pragma once

#include "assets/image_decode.h"
#include "assets/texture_levels.h"

#include <cstddef>
#include <memory>
#include <vector>

struct TextureLevelSet {
    uint32_t imageWidth = 0;  // the decoded file's size, before any stretching
    uint32_t imageHeight = 0;
    TextureSize size{};
    bool hasAlpha = false;
    std::vector<Image> levels;  // size.levels images, the largest first
};

// Null when no levels were kept for exactly these bytes.
std::shared_ptr<const TextureLevelSet> findTextureLevels(const unsigned char* file, size_t fileSize);
// Keeps `levels` for these bytes, as the most recent entry; too large a set
// is not kept.
void keepTextureLevels(const unsigned char* file, size_t fileSize, std::shared_ptr<const TextureLevelSet> levels);
