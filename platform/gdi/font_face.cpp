// Font matching (fontconfig), GDI metrics and glyph rasterisation (FreeType).
#include "gdi/font_face.h"

#include "platform/core/font_config.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>

namespace platform {
namespace gdi {
namespace {

// Bigger cells than this are refused rather than rasterised into huge images.
constexpr int kMaxPixelHeight = 4096;

FT_Library library() {
    // Created once under the GDI lock and kept for the program's life.
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0)
            return static_cast<FT_Library>(nullptr);
        return l;
    }();
    return lib;
}

// The ANSI code page's 0x80..0x9F block; elsewhere bytes equal Latin-1.
unsigned long unicodeOf(unsigned char c) {
    static const unsigned short k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (c >= 0x80 && c <= 0x9F)
        return k80[c - 0x80];
    return c;
}

// MulDiv's rounding: to nearest, halves away from zero.
long scaleRound(long value, long numerator, long denominator) {
    long long p = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<long>(p >= 0 ? (p + half) / denominator : (p - half) / denominator);
}

struct Match {
    std::string file;
    int index = 0;
    std::string family;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

bool matchFont(const FontRequest& request, Match* out) {
    if (!fontConfigReady())
        return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    // GDI compares at most LF_FACESIZE - 1 characters of the name.
    std::string face = request.faceName.substr(0, LF_FACESIZE - 1);
    if (face.empty())
        face = "sans-serif";
    int weight = request.weight > 0 ? std::min(request.weight, 1000) : FW_NORMAL;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* text = nullptr;
    bool ok = FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch;
    if (ok) {
        out->file = reinterpret_cast<const char*>(text);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &out->index) != FcResultMatch)
            out->index = 0;
        if (FcPatternGetString(match, FC_FAMILY, 0, &text) == FcResultMatch)
            out->family = reinterpret_cast<const char*>(text);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &out->weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &out->slant);
    }
    FcPatternDestroy(match);
    return ok;
}

BYTE familyOf(FT_Face face, const TT_OS2* os2) {
    if (FT_IS_FIXED_WIDTH(face))
        return FF_MODERN;
    // Panose: family kind 2 is Latin text; serif styles 11..13 are sans-serif.
    if (os2 && os2->version != 0xFFFF && os2->panose[0] == 2)
        return (os2->panose[1] >= 11 && os2->panose[1] <= 13) ? FF_SWISS : FF_ROMAN;
    return FF_DONTCARE;
}

}  // namespace

struct FontFace::Impl {
    FT_Face face = nullptr;
    bool syntheticBold = false;
    bool syntheticItalic = false;
    bool antialiased = true;
    ~Impl() {
        if (face)
            FT_Done_Face(face);
    }
};

FontFace::~FontFace() = default;

std::shared_ptr<FontFace> FontFace::open(const FontRequest& request) {
    if (std::abs(request.height) > kMaxPixelHeight || std::abs(request.width) > kMaxPixelHeight)
        return nullptr;
    FT_Library lib = library();
    Match match;
    if (!lib || !matchFont(request, &match))
        return nullptr;
    std::shared_ptr<FontFace> font(new FontFace);
    font->impl_ = std::make_unique<Impl>();
    Impl& impl = *font->impl_;
    if (FT_New_Face(lib, match.file.c_str(), match.index, &impl.face) != 0) {
        impl.face = nullptr;
        return nullptr;
    }
    FT_Face face = impl.face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
        return nullptr;

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    bool haveOs2 = os2 && os2->version != 0xFFFF;
    long upem = face->units_per_EM;
    long winAscent = haveOs2 ? os2->usWinAscent : face->ascender;
    long winDescent = haveOs2 ? os2->usWinDescent : -face->descender;
    if (winAscent + winDescent <= 0) {
        winAscent = face->ascender;
        winDescent = -face->descender;
    }
    if (winAscent + winDescent <= 0)
        return nullptr;

    // 0 asks for the default size: 12 points at 96 dpi.
    int height = request.height == 0 ? -16 : request.height;
    long ppem;
    long ascent;
    long descent;
    if (height < 0) {
        ppem = -height;
        ascent = scaleRound(winAscent, ppem, upem);
        descent = scaleRound(winDescent, ppem, upem);
    } else {
        ppem = std::max(1L, scaleRound(height, upem, winAscent + winDescent));
        ascent = scaleRound(winAscent, height, winAscent + winDescent);
        descent = height - ascent;
    }
    long xppem = ppem;
    long avgWidth = haveOs2 && os2->xAvgCharWidth > 0 ? scaleRound(os2->xAvgCharWidth, ppem, upem) : 0;
    if (request.width != 0 && avgWidth > 0) {
        xppem = std::max(1L, scaleRound(ppem, std::abs(request.width), avgWidth));
        avgWidth = std::abs(request.width);
    }
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(xppem), static_cast<FT_UInt>(ppem)) != 0)
        return nullptr;

    bool faceBold = match.weight >= FC_WEIGHT_DEMIBOLD;
    bool faceItalic = match.slant != FC_SLANT_ROMAN;
    // GDI simulates bold from weight 600 up and italic when the face has neither.
    impl.syntheticBold = request.weight >= FW_SEMIBOLD && !faceBold;
    impl.syntheticItalic = request.italic && !faceItalic;
    impl.antialiased = request.antialiased;
    font->family_ = match.family;
    font->file_ = match.file;

    TEXTMETRICA& tm = font->metrics_;
    tm.tmAscent = ascent;
    tm.tmDescent = descent;
    tm.tmHeight = ascent + descent;
    tm.tmInternalLeading = tm.tmHeight - ppem;
    long hheaGap = face->height - (face->ascender - face->descender);
    long extra = hheaGap - ((winAscent + winDescent) - (face->ascender - face->descender));
    tm.tmExternalLeading = extra > 0 ? scaleRound(extra, ppem, upem) : 0;
    tm.tmAveCharWidth = avgWidth;
    // The widest glyph's ink: the face's bounding box, as GDI reports it.
    tm.tmMaxCharWidth = scaleRound(face->bbox.xMax - face->bbox.xMin, xppem, upem) + (impl.syntheticBold ? 1 : 0);
    int faceWeight = haveOs2 && os2->usWeightClass > 0 ? os2->usWeightClass : (faceBold ? FW_BOLD : FW_NORMAL);
    tm.tmWeight = impl.syntheticBold ? FW_BOLD : faceWeight;
    tm.tmOverhang = 0;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x1E;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = 0x1F;
    tm.tmBreakChar = 0x20;
    tm.tmItalic = request.italic ? 255 : 0;
    tm.tmUnderlined = request.underline ? 255 : 0;
    tm.tmStruckOut = request.strikeOut ? 255 : 0;
    // TMPF_FIXED_PITCH set means variable pitch, as the published flag does.
    tm.tmPitchAndFamily = static_cast<BYTE>((FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                            TMPF_TRUETYPE | familyOf(face, haveOs2 ? os2 : nullptr));
    tm.tmCharSet = ANSI_CHARSET;
    return font;
}

bool FontFace::load(unsigned char c) {
    if (loaded_[c])
        return glyphs_[c] != nullptr;
    loaded_[c] = true;
    FT_Face face = impl_->face;
    FT_UInt index = FT_Get_Char_Index(face, unicodeOf(c));
    // Light hinting snaps heights to whole pixels, so descenders end within the
    // cell, and keeps advances at the rounded design widths.
    FT_Int32 flags = FT_LOAD_DEFAULT | (impl_->antialiased ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(face, index, flags) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (impl_->syntheticItalic)
        FT_GlyphSlot_Oblique(slot);
    if (impl_->syntheticBold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        // GDI's simulated bold is one pixel wider and advances one pixel more.
        FT_Outline_EmboldenXY(&slot->outline, 64, 0);
        advance += 1;
    }
    advances_[c] = advance;
    FT_Render_Mode mode = impl_->antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, mode) != 0)
        return false;

    auto image = std::make_unique<GlyphImage>();
    const FT_Bitmap& bm = slot->bitmap;
    image->left = slot->bitmap_left;
    image->top = slot->bitmap_top;
    image->width = static_cast<int>(bm.width);
    image->height = static_cast<int>(bm.rows);
    image->coverage.assign(static_cast<size_t>(image->width) * image->height, 0);
    for (int y = 0; y < image->height; ++y) {
        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(bm.pitch) * y;
        uint8_t* dst = &image->coverage[static_cast<size_t>(y) * image->width];
        for (int x = 0; x < image->width; ++x) {
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 16 : 0;
            else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                dst[x] = static_cast<uint8_t>((src[x] * 16 + 127) / 255);
        }
    }
    glyphs_[c] = std::move(image);
    return true;
}

int FontFace::advance(unsigned char c) {
    load(c);
    return advances_[c];
}

const GlyphImage* FontFace::glyph(unsigned char c) {
    return load(c) ? glyphs_[c].get() : nullptr;
}

std::unique_ptr<FontObject> makeFontObject(const FontRequest& request) {
    auto font = std::make_unique<FontObject>();
    font->face = FontFace::open(request);
    return font;
}

}  // namespace gdi
}  // namespace platform
