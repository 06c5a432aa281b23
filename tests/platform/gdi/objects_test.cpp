// DCs, DIB sections, GetDIBits, selection and handle validation through the
// published API (both targets).
#include "tests/platform/gdi/gdi_canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

BITMAPINFO info32(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

TEST(GdiDibSection, PixelsAreBgrxBytesInTheRowOrderTheHeightSignSays) {
    for (bool topDown : {true, false}) {
        Canvas canvas(8, 4, topDown);
        ASSERT_TRUE(canvas.ok());
        EXPECT_EQ(canvas.boxOfPixelsOtherThan(0), (RECT{0, 0, 0, 0})) << "a new DIB section is zeroed";
        RECT topRow = {0, 0, 8, 1};
        SetBkColor(canvas.dc, RGB(0x11, 0x22, 0x33));
        ASSERT_TRUE(ExtTextOutA(canvas.dc, 0, 0, ETO_OPAQUE, &topRow, "", 0, nullptr));
        const auto* bytes = reinterpret_cast<const uint8_t*>(canvas.bits) + (topDown ? 0 : 3 * 8 * 4);
        EXPECT_EQ(bytes[0], 0x33) << "blue first";
        EXPECT_EQ(bytes[1], 0x22);
        EXPECT_EQ(bytes[2], 0x11);
        EXPECT_EQ(bytes[3], 0x00);
        EXPECT_EQ(canvas.bits[topDown ? 3 * 8 : 0], 0u) << "the bottom row is untouched";

        DIBSECTION ds;
        ASSERT_EQ(GetObjectA(canvas.bitmap, sizeof ds, &ds), int(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmWidth, 8);
        EXPECT_EQ(ds.dsBm.bmHeight, 4);
        EXPECT_EQ(ds.dsBm.bmWidthBytes, 32);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
        EXPECT_EQ(ds.dsBm.bmBits, canvas.bits);
        EXPECT_EQ(ds.dsBmih.biHeight, 4) << "reported without its sign, as Windows does";
    }
}

TEST(GdiDIBits, RowsComeBackInTheOrderTheHeaderAsks) {
    const int w = 5;
    const int h = 4;
    Canvas canvas(w, h);
    ASSERT_TRUE(canvas.ok());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            canvas.at(x, y) = uint32_t(0x00010000 * (y + 1) + x);
    HDC dc = CreateCompatibleDC(nullptr);
    uint32_t out[w * h];
    BITMAPINFO topDown = info32(w, -h);
    ASSERT_EQ(GetDIBits(dc, canvas.bitmap, 0, h, out, &topDown, DIB_RGB_COLORS), h);
    EXPECT_EQ(std::memcmp(out, canvas.bits, sizeof out), 0);
    BITMAPINFO bottomUp = info32(w, h);
    ASSERT_EQ(GetDIBits(dc, canvas.bitmap, 0, h, out, &bottomUp, DIB_RGB_COLORS), h);
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(std::memcmp(&out[(h - 1 - y) * w], &canvas.at(0, y), w * 4), 0) << y;
    // Scan lines 1 and 2 of a bottom-up DIB: the second and third rows from the bottom.
    ASSERT_EQ(GetDIBits(dc, canvas.bitmap, 1, 2, out, &bottomUp, DIB_RGB_COLORS), 2);
    EXPECT_EQ(out[0], canvas.at(0, h - 2));
    EXPECT_EQ(out[w], canvas.at(0, h - 3));
    // Without a buffer it describes the bitmap.
    BITMAPINFO query = {};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_NE(GetDIBits(dc, canvas.bitmap, 0, 0, nullptr, &query, DIB_RGB_COLORS), 0);
    EXPECT_EQ(query.bmiHeader.biWidth, w);
    EXPECT_EQ(query.bmiHeader.biBitCount, 32);
    EXPECT_EQ(query.bmiHeader.biSizeImage, DWORD(w * h * 4));
    DeleteDC(dc);
}

TEST(GdiSelection, SelectObjectReturnsWhatWasSelectedBefore) {
    Canvas canvas(4, 4);
    ASSERT_TRUE(canvas.ok());
    // A new DC holds a 1 x 1 monochrome bitmap and the system font.
    BITMAP bm;
    ASSERT_EQ(GetObjectA(canvas.previous, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth * bm.bmHeight * bm.bmBitsPixel, 1);
    ScopedFont font(-16, FW_BOLD);
    EXPECT_EQ(GetObjectType(font.font), DWORD(OBJ_FONT));
    EXPECT_EQ(SelectObject(canvas.dc, font.font), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT)), font.font);

    // A bitmap lives in one DC at a time; the DC's deletion lets it go.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, canvas.bitmap), nullptr);
    EXPECT_EQ(SelectObject(canvas.dc, canvas.previous), canvas.bitmap);
    EXPECT_NE(SelectObject(other, canvas.bitmap), nullptr);
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_EQ(SelectObject(canvas.dc, canvas.bitmap), canvas.previous);
}

TEST(GdiSelection, StockObjectsOutliveDeleteObject) {
    HGDIOBJ brush = GetStockObject(BLACK_BRUSH);
    DeleteObject(brush);
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), brush);
    EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), DWORD(OBJ_FONT));
}

TEST(GdiDeviceCaps, MemoryAndScreenDcsReportA96DpiTrueColourDisplay) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ASSERT_NE(memory, nullptr);
    for (HDC dc : {screen, memory}) {
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
        EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
        EXPECT_GT(GetDeviceCaps(dc, HORZRES), 0);
    }
    EXPECT_EQ(SetMapMode(memory, MM_TEXT), MM_TEXT);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(GdiHandles, StaleNullAndBadArgumentsFailCleanly) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteDC(dc));
    Canvas canvas(4, 4);
    ASSERT_TRUE(canvas.ok());
    HFONT font = ScopedFont(-12, FW_NORMAL).font;  // deleted at once
    BITMAPINFO info = info32(4, 4);
    void* bits = nullptr;
    HBITMAP gone = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(DeleteObject(gone));

    for (HDC bad : {dc, HDC(nullptr)}) {
        SIZE size;
        RECT rc = {0, 0, 10, 10};
        uint32_t out[16];
        EXPECT_FALSE(DeleteDC(bad));
        EXPECT_EQ(SelectObject(bad, GetStockObject(SYSTEM_FONT)), nullptr);
        EXPECT_EQ(GetDeviceCaps(bad, LOGPIXELSY), 0);
        EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetBkColor(bad, 0), CLR_INVALID);
        EXPECT_EQ(SetBkMode(bad, OPAQUE), 0);
        EXPECT_FALSE(GetTextExtentPoint32A(bad, "a", 1, &size));
        EXPECT_FALSE(ExtTextOutA(bad, 0, 0, ETO_OPAQUE, &rc, "a", 1, nullptr));
        EXPECT_EQ(DrawTextA(bad, "a", -1, &rc, DT_SINGLELINE), 0);
        EXPECT_EQ(GetDIBits(bad, canvas.bitmap, 0, 4, out, &info, DIB_RGB_COLORS), 0);
    }
    for (HGDIOBJ bad : {HGDIOBJ(gone), HGDIOBJ(font), HGDIOBJ(nullptr)}) {
        BITMAP bm;
        EXPECT_FALSE(DeleteObject(bad));
        EXPECT_EQ(SelectObject(canvas.dc, bad), nullptr);
        EXPECT_EQ(GetObjectA(bad, sizeof bm, &bm), 0);
        EXPECT_EQ(GetObjectType(bad), 0u);
    }
    ICONINFO ii;
    EXPECT_FALSE(GetIconInfo(nullptr, &ii));
    EXPECT_FALSE(DestroyIcon(nullptr));
    EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    for (BITMAPINFO bad : {info32(0, 4), info32(-4, 4), info32(4, 0)}) {
        bits = &bits;
        EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
        EXPECT_EQ(bits, nullptr);
    }
    // The canvas still works after all that.
    RECT all = {0, 0, 4, 4};
    SetBkColor(canvas.dc, RGB(1, 2, 3));
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 0, 0, ETO_OPAQUE, &all, "", 0, nullptr));
    EXPECT_EQ(canvas.at(3, 3), 0x00010203u);
}

// Reads a bitmap as top-down 32-bit rows.
std::vector<uint32_t> rowsOf(HBITMAP bitmap, int w, int h) {
    std::vector<uint32_t> out(size_t(w) * h);
    BITMAPINFO info = info32(w, -h);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, h, out.data(), &info, DIB_RGB_COLORS), h);
    DeleteDC(dc);
    return out;
}

TEST(GdiIcons, CreateIconIndirectKeepsTheBitmapsItWasGiven) {
    // A 16 x 2 monochrome mask: AND row 0 of alternating bits, XOR row 1 all set.
    const BYTE monoBits[] = {0xAA, 0xAA, 0xFF, 0xFF};
    HBITMAP monoMask = CreateBitmap(16, 2, 1, 1, monoBits);
    ASSERT_NE(monoMask, nullptr);
    ICONINFO in = {FALSE, 3, 1, monoMask, nullptr};
    HICON mono = CreateIconIndirect(&in);
    ASSERT_NE(mono, nullptr);
    ASSERT_TRUE(DeleteObject(monoMask)) << "the icon holds a copy";
    ICONINFO out = {};
    ASSERT_TRUE(GetIconInfo(mono, &out));
    EXPECT_FALSE(out.fIcon);
    EXPECT_EQ(out.xHotspot, 3u);
    EXPECT_EQ(out.yHotspot, 1u);
    EXPECT_EQ(out.hbmColor, nullptr) << "a monochrome icon has no colour bitmap";
    BITMAP bm = {};
    ASSERT_EQ(GetObjectA(out.hbmMask, sizeof bm, &bm), int(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 16);
    EXPECT_EQ(bm.bmHeight, 2);
    std::vector<uint32_t> mask = rowsOf(out.hbmMask, 16, 2);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(mask[x] & 0xFFFFFF, x % 2 == 0 ? 0xFFFFFFu : 0u) << x;
        EXPECT_EQ(mask[16 + x] & 0xFFFFFF, 0xFFFFFFu) << x;
    }
    DeleteObject(out.hbmMask);
    EXPECT_TRUE(DestroyIcon(mono));

    const uint32_t colours[4] = {0x00102030, 0x00405060, 0x00708090, 0x00A0B0C0};
    const BYTE colourMaskBits[] = {0x40, 0x00, 0x00, 0x00};  // (1, 0) transparent
    HBITMAP colourBitmap = CreateBitmap(2, 2, 1, 32, colours);
    HBITMAP colourMask = CreateBitmap(2, 2, 1, 1, colourMaskBits);
    ICONINFO colourIn = {FALSE, 0, 0, colourMask, colourBitmap};
    HICON colour = CreateIconIndirect(&colourIn);
    ASSERT_NE(colour, nullptr);
    DeleteObject(colourBitmap);
    DeleteObject(colourMask);
    ASSERT_TRUE(GetIconInfo(colour, &out));
    ASSERT_NE(out.hbmColor, nullptr);
    std::vector<uint32_t> pixels = rowsOf(out.hbmColor, 2, 2);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pixels[i] & 0xFFFFFF, colours[i]) << i;
    mask = rowsOf(out.hbmMask, 2, 2);
    EXPECT_EQ(mask[0] & 0xFFFFFF, 0u);
    EXPECT_EQ(mask[1] & 0xFFFFFF, 0xFFFFFFu);
    DeleteObject(out.hbmMask);
    DeleteObject(out.hbmColor);
    EXPECT_TRUE(DestroyIcon(colour));

    ICONINFO noMask = {TRUE, 0, 0, nullptr, nullptr};
    EXPECT_EQ(CreateIconIndirect(&noMask), nullptr);
}

}  // namespace
