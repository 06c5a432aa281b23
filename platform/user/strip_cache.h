// The menu strip kept as pixels between frames. Direct3D presents every frame
// while the strip rarely changes, so the compositor hands each frame's strip
// draw data here: it is rendered (over the window's white) into a texture only
// when it differs from the data rendered last, and the texture is copied into
// the window. Owned by the compositor; its GL context must be current for
// every call, including release().
#pragma once

#include <epoxy/gl.h>

#include <vector>

struct ImDrawData;

namespace platform::user {

class StripCache {
public:
    StripCache() = default;
    StripCache(const StripCache&) = delete;
    StripCache& operator=(const StripCache&) = delete;

    // Puts `data`, which draws nothing below row `height`, into rows 0 to
    // height - 1 of the bound draw framebuffer (`drawableHeight` rows high,
    // `width` wide), rendering it first when it changed.
    void draw(ImDrawData* data, int width, int height, int drawableHeight);
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
};

}  // namespace platform::user
