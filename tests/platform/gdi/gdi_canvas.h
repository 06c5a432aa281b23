// Test helpers for GDI through the published API only, so the same tests run
// against Windows' GDI: a memory DC with a 32-bit DIB section selected, a
// font deleted with its scope, and the texture font's glyph layout.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <vector>

struct Canvas {
    Canvas(int w, int h, bool topDown = true) : width(w), height(h), topDown(topDown) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, topDown ? -h : h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    bool ok() const { return dc && bitmap && bits && previous; }
    // y counts from the top whatever the row order in memory.
    uint32_t& at(int x, int y) { return bits[(topDown ? y : height - 1 - y) * width + x]; }
    void fillAll(uint32_t value) { std::fill(bits, bits + width * height, value); }
    // Bounding box of the pixels other than `value`; (0,0,0,0) if none.
    RECT boxOfPixelsOtherThan(uint32_t value) {
        RECT box = {width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(x, y) != value)
                    box = RECT{(std::min)(box.left, LONG(x)), (std::min)(box.top, LONG(y)),
                               (std::max)(box.right, LONG(x + 1)), (std::max)(box.bottom, LONG(y + 1))};
        return box.right == 0 ? RECT{0, 0, 0, 0} : box;
    }
    std::vector<uint32_t> topDownPixels() {
        std::vector<uint32_t> out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out.push_back(at(x, y));
        return out;
    }

    int width;
    int height;
    bool topDown;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
};

struct ScopedFont {
    ScopedFont(int height, int weight, const char* face = "Arial")
        : font(CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, face)) {}
    ~ScopedFont() { DeleteObject(font); }
    HFONT font;
};

// The game's font height: 12 points at the DC's vertical resolution.
inline int twelvePointHeight(HDC dc) { return -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72); }

// Draws characters 32..126 as the texture font does (white on black,
// ETO_OPAQUE, margins of 0.3 line heights, rows a pixel apart); returns each
// character's cell with its margins.
inline std::vector<RECT> drawGlyphAtlas(Canvas& canvas) {
    std::vector<RECT> cells;
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    SetBkColor(canvas.dc, RGB(0, 0, 0));
    SIZE space;
    GetTextExtentPoint32A(canvas.dc, " ", 1, &space);
    const int margin = static_cast<int>(static_cast<float>(space.cy) * 0.3f + 0.999f);
    int x = margin;
    int y = 0;
    for (char c = 32; c < 127; ++c) {
        SIZE size;
        GetTextExtentPoint32A(canvas.dc, &c, 1, &size);
        if (x + size.cx + margin > canvas.width) {
            x = margin;
            y += size.cy + 1;
        }
        ExtTextOutA(canvas.dc, x, y, ETO_OPAQUE, nullptr, &c, 1, nullptr);
        cells.push_back(RECT{x - margin, y, x + size.cx + margin, y + size.cy});
        x += size.cx + 2 * margin;
    }
    return cells;
}

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "[" << r.left << ", " << r.top << ") .. [" << r.right << ", " << r.bottom << ")";
}
