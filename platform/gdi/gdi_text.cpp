// Measuring and drawing text: GetTextExtentPoint32A, ExtTextOutA, DrawTextA.
// Coverage is blended per colour channel between the background (or what is
// already there, in TRANSPARENT mode) and the text colour, as GDI's grey-scale
// antialiasing does; every pixel written gets a zero top byte, as GDI leaves it.
#include "gdi/font_face.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace platform::gdi;

namespace {

struct Box {
    long left;
    long top;
    long right;
    long bottom;
    bool empty() const { return left >= right || top >= bottom; }
};

Box intersect(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

Box normalised(const RECT& r) {
    return {std::min<long>(r.left, r.right), std::min<long>(r.top, r.bottom), std::max<long>(r.left, r.right),
            std::max<long>(r.top, r.bottom)};
}

void fill(const Surface& s, const Box& box, COLORREF color) {
    Box b = intersect(box, {0, 0, s.width, s.height});
    if (b.empty())
        return;
    uint32_t pixel = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    for (long y = b.top; y < b.bottom; ++y)
        std::fill(s.row(static_cast<int>(y)) + b.left, s.row(static_cast<int>(y)) + b.right, pixel);
}

uint32_t blend(uint32_t under, COLORREF color, unsigned level) {
    auto channel = [&](unsigned shift, unsigned text) {
        unsigned below = (under >> shift) & 0xFF;
        return ((text * level + below * (16 - level) + 8) / 16) << shift;
    };
    return channel(16, GetRValue(color)) | channel(8, GetGValue(color)) | channel(0, GetBValue(color));
}

void drawGlyph(const Surface& s, const Box& clip, const GlyphImage& g, long x, long y, COLORREF color) {
    Box where{x, y, x + g.width, y + g.height};
    Box b = intersect(intersect(where, clip), {0, 0, s.width, s.height});
    for (long py = b.top; py < b.bottom; ++py) {
        const uint8_t* cov = &g.coverage[static_cast<size_t>(py - y) * g.width];
        uint32_t* row = s.row(static_cast<int>(py));
        for (long px = b.left; px < b.right; ++px) {
            unsigned level = cov[px - x];
            if (level)
                row[px] = blend(row[px], color, level);
        }
    }
}

long runWidth(FontFace& face, const char* text, size_t count, const INT* dx) {
    long width = 0;
    for (size_t i = 0; i < count; ++i)
        width += dx ? dx[i] : face.advance(static_cast<unsigned char>(text[i]));
    return width;
}

// The whole of ExtTextOutA once the DC is known; the lock is held.
BOOL textOut(DcObject& dc, long x, long y, UINT options, const RECT* rect, const char* text, size_t count,
             const INT* dx) {
    FontFace* face = faceOf(dc);
    if (count > 0 && (!face || !text))
        return FALSE;
    Surface s = surfaceOf(dc);
    Box clip{0, 0, s.width, s.height};
    if (rect && (options & ETO_CLIPPED))
        clip = intersect(clip, normalised(*rect));
    if (rect && (options & ETO_OPAQUE))
        fill(s, intersect(normalised(*rect), clip), dc.bkColor);
    if (count == 0)
        return TRUE;

    const TEXTMETRICA& tm = face->metrics();
    long width = runWidth(*face, text, count, dx);
    UINT horizontal = dc.textAlign & TA_CENTER;
    UINT vertical = dc.textAlign & TA_BASELINE;
    long left = horizontal == TA_CENTER ? x - width / 2 : horizontal == TA_RIGHT ? x - width : x;
    long top = vertical == TA_BASELINE ? y - tm.tmAscent : vertical == TA_BOTTOM ? y - tm.tmHeight : y;
    // OPAQUE mode fills the text's cell; ETO_OPAQUE acts only with a rectangle.
    if (dc.bkMode == OPAQUE)
        fill(s, intersect({left, top, left + width, top + tm.tmHeight}, clip), dc.bkColor);
    if (s.width == 0)
        return TRUE;
    // Windows clips glyphs at the font's ascent and descent (the OS/2 Windows
    // metrics say so), so nothing is drawn above or below the cell.
    Box glyphClip = intersect(clip, {LONG_MIN / 2, top, LONG_MAX / 2, top + tm.tmHeight});
    long pen = left;
    long baseline = top + tm.tmAscent;
    for (size_t i = 0; i < count; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (const GlyphImage* g = face->glyph(c))
            drawGlyph(s, glyphClip, *g, pen + g->left, baseline - g->top, dc.textColor);
        pen += dx ? dx[i] : face->advance(c);
    }
    return TRUE;
}

// DrawText's '&' mnemonics: "&x" shows x (underlined on Windows, plain here), "&&" shows '&'.
std::string withoutPrefixes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        else if (text[i] == '&')
            continue;
        out += text[i];
    }
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

}  // namespace

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    FontFace* face = dc ? faceOf(*dc) : nullptr;
    if (!face || !psizl || c < 0 || (c > 0 && !lpString))
        return FALSE;
    // An empty string measures 0 x 0, as Windows measures it.
    psizl->cx = runWidth(*face, lpString, static_cast<size_t>(c), nullptr);
    psizl->cy = c > 0 ? face->metrics().tmHeight : 0;
    return TRUE;
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                        const INT* lpDx) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc)
        return FALSE;
    return textOut(*dc, x, y, options, lprect, lpString, c, lpDx);
}

// Text is laid out from the rectangle with TA_LEFT | TA_TOP whatever the DC's
// alignment, and clipped to the rectangle unless DT_NOCLIP.
int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    FontFace* face = dc ? faceOf(*dc) : nullptr;
    if (!face || !lpchText || !lprc || cchText < -1)
        return 0;
    std::string text = cchText == -1 ? std::string(lpchText) : std::string(lpchText, strnlen(lpchText, cchText));
    if (!(format & DT_NOPREFIX))
        text = withoutPrefixes(text);
    std::vector<std::string> lines = (format & DT_SINGLELINE) ? std::vector<std::string>{text} : splitLines(text);
    const TEXTMETRICA& tm = face->metrics();
    long lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    long textHeight = lineHeight * static_cast<long>(lines.size());

    if (format & DT_CALCRECT) {
        long width = 0;
        for (const std::string& line : lines)
            width = std::max(width, runWidth(*face, line.data(), line.size(), nullptr));
        lprc->right = lprc->left + width;
        lprc->bottom = lprc->top + textHeight;
        return static_cast<int>(textHeight);
    }

    long rectWidth = lprc->right - lprc->left;
    long rectHeight = lprc->bottom - lprc->top;
    long y = lprc->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = lprc->top + (rectHeight - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = lprc->bottom - lineHeight;
    }
    long firstY = y;
    UINT savedAlign = dc->textAlign;
    dc->textAlign = TA_LEFT | TA_TOP;
    UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    for (const std::string& line : lines) {
        long width = runWidth(*face, line.data(), line.size(), nullptr);
        long x = lprc->left;
        if (format & DT_CENTER)
            x = lprc->left + (rectWidth - width) / 2;
        else if (format & DT_RIGHT)
            x = lprc->right - width;
        textOut(*dc, x, y, options, lprc, line.data(), line.size(), nullptr);
        y += lineHeight;
    }
    dc->textAlign = savedAlign;
    // Documented: with DT_VCENTER or DT_BOTTOM, the offset from the top to the text's bottom.
    if (format & (DT_VCENTER | DT_BOTTOM))
        return static_cast<int>(firstY - lprc->top + textHeight);
    return static_cast<int>(textHeight);
}
