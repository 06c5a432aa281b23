// Measuring and drawing text through the published API (both targets).
#include "tests/platform/gdi/gdi_canvas.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

SIZE extentOf(HDC dc, const char* text) {
    SIZE size = {-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size));
    return size;
}

class GdiText : public ::testing::Test {
protected:
    Canvas canvas{240, 64};
    ScopedFont bold{twelvePointHeight(canvas.dc), FW_BOLD};
    void SetUp() override {
        ASSERT_TRUE(canvas.ok());
        ASSERT_NE(bold.font, nullptr);
        SelectObject(canvas.dc, bold.font);
        canvas.fillAll(0);
    }
    void TearDown() override { SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT)); }
    void draw(int x, int y, const char* text, COLORREF fg, COLORREF bk) {
        SetTextColor(canvas.dc, fg);
        SetBkColor(canvas.dc, bk);
        ASSERT_TRUE(ExtTextOutA(canvas.dc, x, y, ETO_OPAQUE, nullptr, text, UINT(std::strlen(text)), nullptr));
    }
};

TEST_F(GdiText, ExtentGrowsPerCharacterAndBoldIsWider) {
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    LONG lastWidth = 0;
    for (const char* text : {"H", "He", "Hel", "Hell", "Hello"}) {
        SIZE size = extentOf(canvas.dc, text);
        EXPECT_GT(size.cx, lastWidth) << text;
        EXPECT_EQ(size.cy, tm.tmHeight) << text;
        lastWidth = size.cx;
    }
    ScopedFont normal(twelvePointHeight(canvas.dc), FW_NORMAL);
    ScopedFont cell(20, FW_NORMAL);
    SelectObject(canvas.dc, normal.font);
    LONG normalWidth = extentOf(canvas.dc, "Hello World").cx;
    SelectObject(canvas.dc, bold.font);
    EXPECT_LT(normalWidth, extentOf(canvas.dc, "Hello World").cx);
    // A positive height asks for the cell height.
    SelectObject(canvas.dc, cell.font);
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm));
    EXPECT_EQ(tm.tmHeight, 20);
    SelectObject(canvas.dc, bold.font);
}

TEST_F(GdiText, WhiteOnBlackCoverageLandsOnlyInsideTheExtentBox) {
    draw(10, 20, "Hello", RGB(255, 255, 255), RGB(0, 0, 0));
    SIZE size = extentOf(canvas.dc, "Hello");
    RECT ink = canvas.boxOfPixelsOtherThan(0);
    ASSERT_LT(ink.left, ink.right) << "nothing was drawn";
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.right, 10 + size.cx);
    EXPECT_LE(ink.bottom, 20 + size.cy);
    // Grey coverage: equal channels, the top byte left at 0, some partial levels.
    int partial = 0;
    for (uint32_t p : canvas.topDownPixels()) {
        ASSERT_EQ(p >> 24, 0u);
        ASSERT_EQ((p >> 16) & 0xFF, p & 0xFF);
        ASSERT_EQ((p >> 8) & 0xFF, p & 0xFF);
        partial += (p & 0xFF) != 0 && (p & 0xFF) != 0xFF;
    }
    EXPECT_GT(partial, 0) << "text is expected antialiased";
}

TEST_F(GdiText, ColouredTextScalesEachChannelByTheCoverage) {
    draw(4, 4, "Quorvane", RGB(255, 128, 0), RGB(0, 0, 0));
    int inked = 0;
    for (uint32_t p : canvas.topDownPixels()) {
        int r = (p >> 16) & 0xFF;
        ASSERT_NEAR(int((p >> 8) & 0xFF), r / 2, 2);
        ASSERT_EQ(p & 0xFF, 0u);
        inked += r > 0;
    }
    EXPECT_GT(inked, 0);
}

TEST_F(GdiText, OpaqueOutputFillsExactlyTheTextCellOrTheRectangle) {
    const uint32_t sentinel = 0xFF5A5A5A;
    canvas.fillAll(sentinel);
    draw(7, 9, "Hello", RGB(255, 255, 0), RGB(0, 0, 128));
    SIZE size = extentOf(canvas.dc, "Hello");
    EXPECT_EQ(canvas.boxOfPixelsOtherThan(sentinel), (RECT{7, 9, 7 + size.cx, 9 + size.cy}));
    EXPECT_EQ(canvas.at(7, 9), 0x00000080u) << "the cell's corner is background";

    canvas.fillAll(sentinel);
    RECT rc = {30, 5, 50, 25};
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 0, 0, ETO_OPAQUE, &rc, "", 0, nullptr));
    EXPECT_EQ(canvas.boxOfPixelsOtherThan(sentinel), rc);

    // TRANSPARENT mode without ETO_OPAQUE draws only the glyphs.
    canvas.fillAll(sentinel);
    SetBkMode(canvas.dc, TRANSPARENT);
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 7, 9, 0, nullptr, "Hello", 5, nullptr));
    SetBkMode(canvas.dc, OPAQUE);
    EXPECT_EQ(canvas.at(7, 9), sentinel);
    EXPECT_FALSE(canvas.boxOfPixelsOtherThan(sentinel) == (RECT{0, 0, 0, 0})) << "the glyphs were drawn";
}

TEST_F(GdiText, BaselineAlignmentPlacesTheAscentAboveThePoint) {
    TEXTMETRICA tm;
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &tm));
    draw(12, 30, "Hgjy", RGB(255, 255, 255), RGB(0, 0, 0));
    std::vector<uint32_t> topAligned = canvas.topDownPixels();
    canvas.fillAll(0);
    EXPECT_EQ(SetTextAlign(canvas.dc, TA_LEFT | TA_BASELINE), UINT(TA_LEFT | TA_TOP));
    draw(12, 30 + tm.tmAscent, "Hgjy", RGB(255, 255, 255), RGB(0, 0, 0));
    SetTextAlign(canvas.dc, TA_TOP);
    EXPECT_TRUE(canvas.topDownPixels() == topAligned);
}

// The texture font's use: every glyph's coverage stays inside its own cell.
TEST(GdiGlyphAtlas, EveryCharacterStaysInsideItsCell) {
    Canvas canvas(256, 256);
    ASSERT_TRUE(canvas.ok());
    ScopedFont font(twelvePointHeight(canvas.dc), FW_BOLD);
    SelectObject(canvas.dc, font.font);
    std::vector<RECT> cells = drawGlyphAtlas(canvas);
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
    EXPECT_LE(cells.back().bottom, canvas.height) << "the 12-point set fits a 256 x 256 texture";
    int inked = 0;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            if (canvas.at(x, y) == 0)
                continue;
            ++inked;
            bool inCell = false;
            for (const RECT& r : cells)
                inCell = inCell || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
            ASSERT_TRUE(inCell) << x << "," << y;
        }
    EXPECT_GT(inked, 95 * 4);
}

class GdiDrawText : public ::testing::Test {
protected:
    Canvas canvas{320, 100};
    void SetUp() override { ASSERT_TRUE(canvas.ok()); }
};

// The loading text: default font and colours, centred both ways.
TEST_F(GdiDrawText, SingleLineIsCentredBothWaysInTheRectangle) {
    const uint32_t sentinel = 0xFF102030;
    canvas.fillAll(sentinel);
    const char* text = "Loading... Please wait";
    RECT client = {0, 0, canvas.width, canvas.height};
    SIZE size = extentOf(canvas.dc, text);
    int result = DrawTextA(canvas.dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    LONG left = (canvas.width - size.cx) / 2;
    LONG top = (canvas.height - size.cy) / 2;
    // The default background is opaque white: it marks the text's cell.
    EXPECT_EQ(canvas.boxOfPixelsOtherThan(sentinel), (RECT{left, top, left + size.cx, top + size.cy}));
    EXPECT_EQ(canvas.at(left, top), 0x00FFFFFFu);
    EXPECT_EQ(result, top + size.cy);
}

TEST_F(GdiDrawText, CalcRectMeasuresLinesAndMnemonicsWithoutDrawing) {
    canvas.fillAll(0x00ABCDEF);
    RECT rc = {5, 6, 5, 6};
    EXPECT_EQ(DrawTextA(canvas.dc, "&File", -1, &rc, DT_SINGLELINE | DT_CALCRECT), extentOf(canvas.dc, "File").cy);
    EXPECT_EQ(rc, (RECT{5, 6, 5 + extentOf(canvas.dc, "File").cx, 6 + extentOf(canvas.dc, "File").cy}));
    EXPECT_EQ(canvas.boxOfPixelsOtherThan(0x00ABCDEF), (RECT{0, 0, 0, 0}));
    rc = RECT{0, 0, 0, 0};
    DrawTextA(canvas.dc, "A&&B", 4, &rc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(rc.right, extentOf(canvas.dc, "A&B").cx);
    rc = RECT{0, 0, 0, 0};
    DrawTextA(canvas.dc, "&File", -1, &rc, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(rc.right, extentOf(canvas.dc, "&File").cx);
    rc = RECT{0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(canvas.dc, "ab\r\ncd", -1, &rc, DT_CALCRECT), 2 * extentOf(canvas.dc, "ab").cy);
}

}  // namespace
