// Renders Dear ImGui draw data on the processor, as the OpenGL 3 backend
// draws it: triangles with interpolated vertex colours, the font atlas
// sampled bilinearly (repeating, as GL's default wrap does), blended by
// source alpha over an opaque background, clipped by each command's
// rectangle. The menu strip is a few rectangles and letters; a software GL
// driver would first compile a pipeline for them, which costs the window's
// first paint 10-20 ms. Used by the strip cache (strip_cache.h).
#pragma once

#include <imgui.h>

#include <cstdint>
#include <vector>

namespace platform::user {

// The font atlas as GetTexDataAsRGBA32 gives it, and the id its commands use.
struct AtlasPixels {
    const unsigned char* rgba = nullptr;
    int width = 0;
    int height = 0;
    ImTextureID id = nullptr;
};
// The atlas's pixels (built first if they are not yet) and its id.
AtlasPixels atlasPixels(ImFontAtlas* fonts);

// Draws `data` (DisplayPos at the top-left pixel, FramebufferScale 1) over
// white into `width` x `height` pixels, 0xAARRGGBB with alpha 0xFF, rows
// bottom-up as GL stores a texture. False, leaving `pixels` unspecified,
// when a command has a callback or another texture than the atlas.
bool rasterizeDrawData(const ImDrawData& data, const AtlasPixels& atlas, int width, int height,
                       std::vector<uint32_t>* pixels);

}  // namespace platform::user
