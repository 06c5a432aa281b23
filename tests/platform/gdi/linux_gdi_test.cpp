// What only the Linux layer can show: fonts checked against FreeType and
// fontconfig directly, icons built through the layer's object model, window
// DCs over a test double of the window host, and what the layer refuses.
// With Q31_GDI_PNG_DIR set, rendered text is also written there as PNGs.
#include "platform/gdi/gdi_objects.h"
#include "tests/platform/gdi/gdi_canvas.h"
#include "tests/platform/gdi/window_host_double.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void dumpPng(const char* name, const std::vector<uint32_t>& pixels, int width, int height) {
    const char* dir = std::getenv("Q31_GDI_PNG_DIR");
    if (!dir)
        return;
    std::vector<uint32_t> opaque(pixels);
    for (uint32_t& p : opaque)
        p |= 0xFF000000;  // B,G,R,X bytes written as opaque BGRA
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_BGRA;
    EXPECT_TRUE(png_image_write_to_file(&image, (std::string(dir) + "/" + name).c_str(), 0, opaque.data(), 0,
                                        nullptr));
}

// The face fontconfig itself picks for "Arial:bold", read with FreeType.
class GdiFontMatch : public ::testing::Test {
protected:
    std::string family;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    const TT_OS2* os2 = nullptr;
    Canvas canvas{8, 8};
    ScopedFont font{twelvePointHeight(canvas.dc), FW_BOLD};

    void SetUp() override {
        FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>("Arial:bold"));
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult result;
        FcPattern* m = FcFontMatch(nullptr, p, &result);
        FcPatternDestroy(p);
        ASSERT_NE(m, nullptr);
        FcChar8* file = nullptr;
        FcChar8* name = nullptr;
        int index = 0;
        FcPatternGetString(m, FC_FILE, 0, &file);
        FcPatternGetString(m, FC_FAMILY, 0, &name);
        FcPatternGetInteger(m, FC_INDEX, 0, &index);
        family = reinterpret_cast<const char*>(name);
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face), 0);
        FcPatternDestroy(m);
        os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        ASSERT_NE(os2, nullptr);
        ASSERT_NE(font.font, nullptr);
        SelectObject(canvas.dc, font.font);
    }
    void TearDown() override {
        SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    long scaled(long units, long ppem) const { return (units * ppem + face->units_per_EM / 2) / face->units_per_EM; }
};

TEST_F(GdiFontMatch, ArialBoldIsTheArialMetricFaceFontconfigMatches) {
    char name[LF_FACESIZE] = {};
    EXPECT_GT(GetTextFaceA(canvas.dc, sizeof name, name), 0);
    EXPECT_EQ(family, name);
    // Arial's published vertical metrics, which a metric-compatible face shares.
    EXPECT_EQ(face->units_per_EM, 2048);
    EXPECT_EQ(os2->usWinAscent, 1854);
    EXPECT_EQ(os2->usWinDescent, 434);
    EXPECT_TRUE(face->style_flags & FT_STYLE_FLAG_BOLD);
}

// Advances are the design widths rounded at 16 pixels per em, unkerned.
TEST_F(GdiFontMatch, HelloExtentIsTheSumOfTheFacesAdvances) {
    ASSERT_EQ(twelvePointHeight(canvas.dc), -16);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "Hello", 5, &size));
    long sum = 0;
    for (char c : std::string("Hello")) {
        FT_Fixed units = 0;
        FT_Get_Advance(face, FT_Get_Char_Index(face, FT_ULong(c)), FT_LOAD_NO_SCALE, &units);
        sum += scaled(units, 16);
    }
    EXPECT_EQ(size.cx, sum);
    EXPECT_EQ(size.cy, scaled(os2->usWinAscent, 16) + scaled(os2->usWinDescent, 16));
}

// Documented: a negative height is the em, TEXTMETRIC's tmHeight - tmInternalLeading.
TEST_F(GdiFontMatch, NegativeHeightIsTheEmHeightAndOddRequestsAreHandled) {
    for (int height : {-11, -16, -23}) {
        ScopedFont sized(height, FW_BOLD);
        SelectObject(canvas.dc, sized.font);
        TEXTMETRICA tm;
        ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm));
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -height);
        SelectObject(canvas.dc, font.font);
    }
    EXPECT_NE(ScopedFont(-16, FW_NORMAL, "No Such Face Anywhere").font, nullptr) << "falls back like GDI";
    EXPECT_NE(ScopedFont(-16, FW_NORMAL, nullptr).font, nullptr);
    EXPECT_EQ(ScopedFont(-100000, FW_NORMAL).font, nullptr);
    EXPECT_EQ(ScopedFont(-16, -5).font, nullptr);
}

// The layer blends coverage linearly between background and text colour, so
// over blue the blue channel falls as red rises.
TEST(GdiBlend, CoverageMixesTextAndBackgroundLinearly) {
    Canvas canvas(120, 24);
    ScopedFont font(-16, FW_BOLD);
    SelectObject(canvas.dc, font.font);
    SetTextColor(canvas.dc, RGB(255, 0, 0));
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 2, 2, ETO_OPAQUE, nullptr, "Quorvane", 8, nullptr));
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    int partial = 0;
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 60; ++x) {
            uint32_t p = canvas.at(x, y);
            ASSERT_NEAR(int(p & 0xFF), 255 - int((p >> 16) & 0xFF), 1) << x << "," << y;
            partial += (p & 0xFF) != 0 && (p & 0xFF) != 0xFF;
        }
    EXPECT_GT(partial, 0);
}

// Where the layer keeps to the documented contract or serves only a subset.
TEST(GdiLayerLimits, RefusedRequestsFailCleanly) {
    Canvas canvas(16, 16);
    ASSERT_TRUE(canvas.ok());
    EXPECT_FALSE(DeleteObject(canvas.bitmap)) << "documented: not while selected into a DC";
    EXPECT_EQ(GetObjectType(canvas.bitmap), DWORD(OBJ_BITMAP));

    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    int section = 0;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, &section, 0), nullptr);
    for (WORD count : {1, 8, 16, 24}) {
        info.bmiHeader.biBitCount = count;
        EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << count;
    }
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 1 << 20, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);

    SIZE size;
    RECT rc = {0, 0, 16, 16};
    EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc, "abc", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc, nullptr, 3, &size));
    EXPECT_FALSE(ExtTextOutA(canvas.dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
    EXPECT_EQ(DrawTextA(canvas.dc, nullptr, -1, &rc, DT_SINGLELINE), 0);
    EXPECT_EQ(DrawTextA(canvas.dc, "abc", -1, nullptr, DT_SINGLELINE), 0);
    EXPECT_EQ(SetMapMode(canvas.dc, 2), 0) << "only MM_TEXT is served";
}

TEST(GdiIcon, GetIconInfoHandsOutTheMaskAndColourOfThePixels) {
    const int n = 16;
    uint32_t argb[n * n];
    for (int i = 0; i < n * n; ++i)
        argb[i] = i < n / 2 ? 0 : 0xFF000000 | uint32_t(i * 0x010203);  // top row: left half transparent
    HICON icon = platform::createIconFromPixels(n, n, argb, n / 2, n / 2, false);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_TRUE(ii.fIcon);
    EXPECT_EQ(ii.xHotspot, 8u);
    BITMAP mask;
    ASSERT_EQ(GetObjectA(ii.hbmMask, sizeof mask, &mask), int(sizeof mask));
    EXPECT_EQ(mask.bmBitsPixel, 1);
    EXPECT_EQ(mask.bmHeight, n);

    // Read back as the colour cursor does: through a memory DC, rows bottom-up.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), n, n, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t maskRows[n * n];
    uint32_t colorRows[n * n];
    HGDIOBJ previous = SelectObject(memory, ii.hbmMask);
    EXPECT_EQ(GetDIBits(memory, ii.hbmMask, 0, n, maskRows, &bi, DIB_RGB_COLORS), n);
    SelectObject(memory, ii.hbmColor);
    EXPECT_EQ(GetDIBits(memory, ii.hbmColor, 0, n, colorRows, &bi, DIB_RGB_COLORS), n);
    SelectObject(memory, previous);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            uint32_t source = argb[y * n + x];
            ASSERT_EQ(colorRows[(n - 1 - y) * n + x], source) << "straight alpha kept";
            ASSERT_EQ(maskRows[(n - 1 - y) * n + x], (source >> 24) == 0 ? 0x00FFFFFFu : 0u);
        }
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_TRUE(DeleteObject(ii.hbmMask));
    EXPECT_TRUE(DeleteObject(ii.hbmColor));

    platform::IconPixels copy;
    ASSERT_TRUE(platform::iconPixels(icon, &copy));
    EXPECT_EQ(std::memcmp(copy.argbTopDown.data(), argb, sizeof argb), 0);
    EXPECT_FALSE(DeleteObject(icon)) << "an icon is not a GDI object";
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(GetIconInfo(icon, &ii));
    EXPECT_FALSE(platform::iconPixels(icon, &copy));
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(platform::createIconFromPixels(0, 1, argb, 0, 0, true), nullptr);
    EXPECT_EQ(platform::createIconFromPixels(1, 1, nullptr, 0, 0, true), nullptr);
}

class GdiWindowDc : public ::testing::Test {
protected:
    static constexpr uint32_t kFill = 0x00336699;
    HWND hwnd = window_host_double::addWindow(400, 120, kFill);
    window_host_double::FakeWindow* fake = window_host_double::window(hwnd);
    void TearDown() override { window_host_double::reset(); }
};

TEST_F(GdiWindowDc, LoadingTextIsDrawnIntoTheClientAndShownOnRelease) {
    HDC dc = GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    RECT client = {0, 0, 400, 120};
    const char* text = "Loading... Please wait";
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size));
    EXPECT_GT(DrawTextA(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER), 0);
    EXPECT_EQ(fake->unlocks, 0) << "shown only on ReleaseDC";
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    EXPECT_EQ(fake->locks, 1);
    EXPECT_EQ(fake->unlocks, 1);
    RECT cell = {(400 - size.cx) / 2, (120 - size.cy) / 2, (400 - size.cx) / 2 + size.cx, (120 - size.cy) / 2 + size.cy};
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 400; ++x) {
            bool inside = x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom;
            ASSERT_EQ(fake->pixels[y * 400 + x] != kFill, inside) << x << "," << y;
        }
    dumpPng("loading_text.png", fake->pixels, 400, 120);
}

TEST_F(GdiWindowDc, DcsOnOneWindowShareOneLockAndMisuseFails) {
    HDC first = GetDC(hwnd);
    HDC second = GetDC(hwnd);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(fake->locks, 1);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x1234)), nullptr);
    EXPECT_EQ(ReleaseDC(window_host_double::addWindow(4, 4, 0), first), 0) << "another window's DC";
    EXPECT_FALSE(DeleteDC(first)) << "GetDC's DCs belong to ReleaseDC";
    Canvas canvas(4, 4);
    HGDIOBJ bitmap = SelectObject(canvas.dc, canvas.previous);
    EXPECT_EQ(SelectObject(first, bitmap), nullptr) << "no bitmaps in window DCs";
    SelectObject(canvas.dc, bitmap);
    EXPECT_EQ(ReleaseDC(hwnd, first), 1);
    EXPECT_EQ(fake->unlocks, 0);
    EXPECT_EQ(ReleaseDC(hwnd, second), 1);
    EXPECT_EQ(fake->unlocks, 1);
    EXPECT_EQ(ReleaseDC(hwnd, second), 0) << "released twice";
    EXPECT_EQ(ReleaseDC(nullptr, canvas.dc), 0) << "a memory DC";
}

// Not a check of its own: pictures of the game's font for a person to look at.
TEST(GdiRendering, GameFontPictures) {
    Canvas canvas(256, 256);
    ScopedFont font(twelvePointHeight(canvas.dc), FW_BOLD);
    SelectObject(canvas.dc, font.font);
    drawGlyphAtlas(canvas);
    SetTextColor(canvas.dc, RGB(255, 200, 0));
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 6, 200, ETO_OPAQUE, nullptr, "Hello, Quorvane31!", 18, nullptr));
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    dumpPng("game_font.png", canvas.topDownPixels(), 256, 256);
}

}  // namespace
