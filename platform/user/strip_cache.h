// The menu strip kept as pixels between frames. Direct3D presents every frame
// while the strip rarely changes, so the compositor hands each frame's strip
// draw data here: it is rendered (over the window's white) into a texture only
// when it differs from the data rendered last, and the compositor draws the
// texture into the window. It is rendered on the processor (strip_raster.h),
// and by GL only where that cannot draw it. Owned by the compositor; its GL
// context must be current for every call, including release().
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

struct ImDrawData;

namespace platform::user {

class StripCache {
public:
    StripCache() = default;
    StripCache(const StripCache&) = delete;
    StripCache& operator=(const StripCache&) = delete;

    // The texture (GL's row order, `width` x `height`) showing `data`, which
    // draws nothing below row `height`; rendered first when `data` changed.
    // 0 when no texture can be made.
    GLuint update(ImDrawData* data, int width, int height);
    // The next draw renders again (the font atlas was rebuilt).
    void invalidate() { valid_ = false; }
    // Deletes the GL objects.
    void release();

private:
    bool ensureTarget(int width, int height);
    // Records `data` as the last rendered; false when it equals the last.
    bool recordIfChanged(const ImDrawData& data);
    void render(ImDrawData* data);

    GLuint texture_ = 0;
    GLuint framebuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool valid_ = false;
    std::vector<unsigned char> signature_;  // the draw data last rendered
    std::vector<unsigned char> scratch_;
    std::vector<uint32_t> pixels_;  // rendered on the processor, before the upload
};

}  // namespace platform::user
