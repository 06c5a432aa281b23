// A GDI font as FreeType sees it: the face fontconfig matches for the
// requested name, weight and slant, sized by GDI's height rule, with GDI's
// metrics (TEXTMETRIC) and per-character advances and coverage images for
// the ANSI (Windows-1252) code page. Called by the font and text calls of
// this folder. open() returns null when no font file can be loaded.
//
// Height: negative = em height in pixels; positive = cell height (ascent +
// descent, from the OS/2 Windows metrics, as GDI measures TrueType fonts);
// 0 = 12 points at 96 dpi. Glyphs are light-hinted (heights on the pixel
// grid); advances are whole pixels, the design widths rounded, without
// kerning (GDI does not kern). Coverage is quantised to 17 levels (0..16) as
// GDI's grey-scale antialiasing is.
#pragma once

#include "gdi/gdi_objects.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace gdi {

struct FontRequest {
    int height = 0;
    int width = 0;  // average character width; 0 keeps the face's aspect
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool antialiased = true;
    std::string faceName;
};

// One character's coverage image, placed relative to the pen on the baseline.
struct GlyphImage {
    int left = 0;  // columns right of the pen position
    int top = 0;   // rows above the baseline
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // width * height levels 0..16, top row first
};

class FontFace {
public:
    static std::shared_ptr<FontFace> open(const FontRequest& request);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const TEXTMETRICA& metrics() const { return metrics_; }
    const std::string& familyName() const { return family_; }
    // The font file fontconfig matched (the dialogs hand it to their text renderer).
    const std::string& fileName() const { return file_; }
    int advance(unsigned char c);
    // Null only if FreeType cannot load the character's glyph.
    const GlyphImage* glyph(unsigned char c);

private:
    FontFace() = default;
    bool load(unsigned char c);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    TEXTMETRICA metrics_{};
    std::string family_;
    std::string file_;
    std::array<int, 256> advances_{};
    std::array<std::unique_ptr<GlyphImage>, 256> glyphs_{};
    std::array<bool, 256> loaded_{};
};

// A font object for the request; its face is null when no font could be loaded.
std::unique_ptr<FontObject> makeFontObject(const FontRequest& request);

// The face of the font selected into the DC; null when it has none.
inline FontFace* faceOf(const DcObject& dc) {
    FontObject* font = lookupFont(dc.font);
    return font ? font->face.get() : nullptr;
}

}  // namespace gdi
}  // namespace platform
