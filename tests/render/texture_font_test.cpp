// The texture font through the published API: its glyph texture and layout,
// and the pixels drawString puts on the back buffer (both targets).
#include "render/texture_font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/render/font_fixture.h"

namespace {

bool isYellow(uint32_t p) { return redOf(p) >= 200 && greenOf(p) >= 200 && blueOf(p) <= 60; }

using GlyphTexture = FontDevice;

TEST_F(GlyphTexture, SizeFollowsThePointSize)
{
    const struct {
        DWORD points, size;
    } cases[] = {{12, 256}, {15, 256}, {16, 512}, {30, 512}, {31, 1024}, {60, 1024}, {61, 2048}};
    for (const auto& c : cases) {
        std::unique_ptr<TextureFont> sized = makeFont(c.points, 0);
        EXPECT_EQ(sized->textureWidth, c.size) << c.points << " points";
        EXPECT_EQ(sized->textureHeight, c.size) << c.points << " points";
        EXPECT_EQ(sized->textScale, 1.0f);
        D3DSURFACE_DESC desc = {};
        ASSERT_EQ(sized->glyphTexture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, D3DFMT_A4R4G4B4);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(sized->glyphTexture->GetLevelCount(), 1u);
        dropFont(*sized);
    }
}

TEST_F(GlyphTexture, CellMarginIsThreeTenthsOfTheLineRoundedUpAndRaisedOnWholeProducts)
{
    // 0.3 as a float is a little more than 0.3: a line of 10 pixels gets 4, not 3.
    for (DWORD points = 6; points <= 20; ++points) {
        const LONG line = gdiExtent(" ", points, false).cy;
        ASSERT_GT(line, 0);
        const INT expected = INT((line * 3 + 9) / 10 + ((line * 3) % 10 == 0 ? 1 : 0));
        std::unique_ptr<TextureFont> sized = makeFont(points, 0);
        EXPECT_EQ(sized->cellMargin, expected) << points << " points, line " << line;
        dropFont(*sized);
    }
}

TEST_F(GlyphTexture, CellsHoldEachGlyphWithItsMarginsInRowsAPixelApart)
{
    const INT m = font->cellMargin;
    const LONG line = gdiExtent(" ", 12).cy;
    EXPECT_EQ(cellOf(*font, ' ').left, 0);
    EXPECT_EQ(cellOf(*font, ' ').top, 0);
    for (int c = 32; c <= 126; ++c) {
        const char text[2] = {char(c), 0};
        const RECT cell = cellOf(*font, char(c));
        EXPECT_EQ(cell.right - cell.left - 2 * m, gdiExtent(text, 12).cx) << text;
        EXPECT_EQ(cell.bottom - cell.top, line) << text;
        EXPECT_LE(cell.right, LONG(font->textureWidth)) << text;
        if (c == 126) break;
        const RECT next = cellOf(*font, char(c + 1));
        if (next.top == cell.top) {
            EXPECT_EQ(next.left, cell.right) << "cells on a row touch: " << text;
        } else {
            EXPECT_EQ(next.top, cell.bottom + 1) << "a new row starts a pixel lower: " << text;
            EXPECT_EQ(next.left, 0);
        }
    }
    // The printable set fits a 256-texel texture at 12 points.
    EXPECT_LE(cellOf(*font, '~').bottom, 256);
}

TEST_F(GlyphTexture, TexelsAreWhiteWithCoverageInAlphaAndOnlyInsideCells)
{
    const std::vector<WORD> t = texels(*font);
    ASSERT_EQ(t.size(), size_t(256 * 256));
    std::vector<bool> inCell(t.size(), false);
    for (int c = 32; c <= 126; ++c) {
        const RECT cell = cellOf(*font, char(c));
        for (LONG y = cell.top; y < cell.bottom; ++y)
            for (LONG x = cell.left; x < cell.right; ++x) inCell[size_t(y) * 256 + size_t(x)] = true;
    }
    int covered = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == 0) continue;
        ++covered;
        ASSERT_EQ(t[i] & 0x0FFF, 0x0FFF) << "texel " << i;
        ASSERT_TRUE(inCell[i]) << "coverage outside every cell at texel " << i;
    }
    EXPECT_GT(covered, 1000);
    // Full coverage somewhere inside the stem of 'I'.
    const RECT cell = cellOf(*font, 'I');
    bool opaque = false;
    for (LONG y = cell.top; y < cell.bottom; ++y)
        for (LONG x = cell.left; x < cell.right; ++x) opaque = opaque || t[size_t(y) * 256 + size_t(x)] == 0xFFFF;
    EXPECT_TRUE(opaque);
}

using DrawString = FontDevice;

TEST_F(DrawString, CongratulationsIsYellowWhereTheGameDrawsIt)
{
    const char* text = "Congratulations!";
    const Frame frame = drawText(*font, 200.0f, 187.5f, text, 0, 0xFFFFFF00);
    saveFrame(frame, "congratulations");
    RECT inked = {};
    ASSERT_GT(frame.count([](uint32_t p) { return !isBlack(p); }, &inked), 200);
    EXPECT_GT(frame.count(isYellow), 150);
    // Every lit pixel is yellow or a darker yellow at a glyph edge.
    EXPECT_EQ(frame.count([](uint32_t p) { return blueOf(p) > 8 || std::abs(redOf(p) - greenOf(p)) > 8; }), 0);
    // Nowhere far from the text's own box: from (200, 187.5), GDI's width, one line high.
    const SIZE extent = gdiExtent(text, 12);
    EXPECT_GE(inked.left, 198);
    EXPECT_LE(inked.left, 203);
    EXPECT_GE(inked.top, 187);
    EXPECT_LE(inked.right, 200 + extent.cx + 2);
    EXPECT_LE(inked.bottom, 188 + extent.cy);
    EXPECT_GE(inked.right, 200 + extent.cx - 4);
}

TEST_F(DrawString, GlyphQuadShowsItsCellTexelForPixel)
{
    const Frame frame = drawText(*font, 100.0f, 50.0f, "H");
    const std::vector<WORD> t = texels(*font);
    const RECT cell = cellOf(*font, 'H');
    // Texel (u, v) of the cell lands at (100 - margin + u - left, 50 + v - top),
    // white scaled by its coverage.
    int lit = 0;
    for (LONG v = cell.top; v < cell.bottom; ++v)
        for (LONG u = cell.left; u < cell.right; ++u) {
            const int coverage = t[size_t(v) * font->textureWidth + size_t(u)] >> 12;
            const uint32_t p = frame.at(int(100 - font->cellMargin + u - cell.left), int(50 + v - cell.top));
            ASSERT_NEAR(greenOf(p), coverage * 17, 3) << "texel " << u << ", " << v;
            lit += coverage > 0;
        }
    EXPECT_GT(lit, 20);
    // Nothing outside the quad.
    const RECT quad = {100 - font->cellMargin, 50, 100 - font->cellMargin + cell.right - cell.left,
                       50 + cell.bottom - cell.top};
    EXPECT_EQ(frame.count([](uint32_t p) { return !isBlack(p); }),
              lit) << "quad " << quad.left << ", " << quad.top;
}

TEST_F(DrawString, LineFeedStartsTheNextLineAtTheStartOneLineLower)
{
    const float lh = lineHeight(*font);
    const Frame both = drawText(*font, 40.0f, 30.0f, "a\nb");
    const Frame apart = drawFrame(0xFF000000, [&] {
        font->drawString(40.0f, 30.0f, 0xFFFFFFFF, "a", 0);
        font->drawString(40.0f, 30.0f + lh, 0xFFFFFFFF, "b", 0);
    });
    EXPECT_GT(both.count([](uint32_t p) { return !isBlack(p); }), 20);
    EXPECT_EQ(differingPixels(both, apart), 0);
}

TEST_F(DrawString, BytesOutsideThePrintableSetAreSkippedWithoutMoving)
{
    const Frame plain = drawText(*font, 40.0f, 30.0f, "AB");
    const Frame noisy = drawText(*font, 40.0f, 30.0f, "A\x01\t\x7f\x80\xc8\xff" "B");
    EXPECT_GT(plain.count([](uint32_t p) { return !isBlack(p); }), 20);
    EXPECT_EQ(differingPixels(plain, noisy), 0);
}

TEST_F(DrawString, CharactersAdvanceByTheirGdiWidthsSpacesIncluded)
{
    const Frame together = drawText(*font, 40.0f, 30.0f, "A B");
    const float advance = float(gdiExtent("A ", 12).cx);
    const Frame apart = drawFrame(0xFF000000, [&] {
        font->drawString(40.0f, 30.0f, 0xFFFFFFFF, "A", 0);
        font->drawString(40.0f + advance, 30.0f, 0xFFFFFFFF, "B", 0);
    });
    EXPECT_EQ(differingPixels(together, apart), 0);
}

TEST_F(DrawString, CentringIgnoresThePositionAndMeasuresOnlyTheFirstLine)
{
    const char* text = "Congratulations!\nxx";
    const DWORD both = TextureFont::DrawCenterX | TextureFont::DrawCenterY;
    const Frame centred = drawText(*font, 0.0f, 0.0f, text, both);
    EXPECT_EQ(differingPixels(centred, drawText(*font, 321.0f, 17.0f, text, both)), 0);
    saveFrame(centred, "centred");

    const float width = float(gdiExtent("Congratulations!", 12).cx);
    const float x = (500.0f - width) * 0.5f;
    const float y = (375.0f - lineHeight(*font)) * 0.5f;
    EXPECT_EQ(differingPixels(centred, drawText(*font, x, y, text)), 0);
    // The second line starts where the first does.
    const Frame byHand = drawFrame(0xFF000000, [&] {
        font->drawString(x, y, 0xFFFFFFFF, "Congratulations!", 0);
        font->drawString(x, y + lineHeight(*font), 0xFFFFFFFF, "xx", 0);
    });
    EXPECT_EQ(differingPixels(centred, byHand), 0);
}

TEST_F(DrawString, GivesTheCallerItsStatesBack)
{
    IDirect3DTexture9* other = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &other, nullptr), D3D_OK);
    device->SetTexture(0, other);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 0x40);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);

    for (const char* text : {"Filtered", ""}) {
        device->BeginScene();
        EXPECT_EQ(font->drawString(10.0f, 10.0f, 0xFFFFFFFF, text, TextureFont::DrawFiltered), S_OK);
        device->EndScene();
        DWORD value = 0;
        device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
        EXPECT_EQ(value, DWORD(FALSE)) << '"' << text << '"';
        device->GetRenderState(D3DRS_SRCBLEND, &value);
        EXPECT_EQ(value, DWORD(D3DBLEND_ONE));
        device->GetRenderState(D3DRS_CULLMODE, &value);
        EXPECT_EQ(value, DWORD(D3DCULL_NONE));
        device->GetRenderState(D3DRS_ZENABLE, &value);
        EXPECT_EQ(value, DWORD(TRUE));
        device->GetRenderState(D3DRS_ALPHAREF, &value);
        EXPECT_EQ(value, 0x40u);
        device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
        EXPECT_EQ(value, DWORD(D3DTOP_SELECTARG2));
        device->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
        EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));
        device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
        EXPECT_EQ(value, DWORD(D3DTEXF_POINT)) << "the filter change is undone too";
        IDirect3DBaseTexture9* bound = nullptr;
        device->GetTexture(0, &bound);
        EXPECT_EQ(bound, other);
        if (bound) bound->Release();
    }
    device->SetTexture(0, nullptr);
    other->Release();
}

TEST_F(DrawString, EmptyStringDrawsNothing)
{
    const Frame frame = drawText(*font, 10.0f, 10.0f, "");
    EXPECT_EQ(frame.count([](uint32_t p) { return !isBlack(p); }), 0);
}

TEST(TextureFontName, KeepsTheFirst79Bytes)
{
    const std::string longName(100, 'f');
    EXPECT_EQ(std::strlen(TextureFont(longName.c_str(), 12, 0).faceName), 79u);
    EXPECT_STREQ(TextureFont("Arial", 12, 0).faceName, "Arial");
}

using FontLifecycle = FontDevice;

TEST_F(FontLifecycle, DrawingNeedsTheTextureAndTheDrawResources)
{
    TextureFont idle("Arial", 12, TextureFont::StyleBold);
    device->BeginScene();
    EXPECT_EQ(idle.drawString(0, 0, 0xFFFFFFFF, "x", 0), E_FAIL);
    EXPECT_EQ(font->releaseDrawResources(), S_OK);
    EXPECT_EQ(font->releaseDrawResources(), S_OK);
    EXPECT_EQ(font->drawString(0, 0, 0xFFFFFFFF, "x", 0), E_FAIL) << "built but not acquired";

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    EXPECT_EQ(font->releaseGlyphTexture(), S_OK);
    EXPECT_EQ(font->releaseGlyphTexture(), S_OK);
    EXPECT_EQ(font->device, nullptr);
    EXPECT_EQ(font->drawString(0, 0, 0xFFFFFFFF, "x", 0), E_FAIL);
    device->EndScene();
    DWORD value = TRUE;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(FALSE)) << "a refused draw changes no state";
}

TEST_F(FontLifecycle, DrawResourcesGoAroundAResetAndTheTextureStays)
{
    const Frame before = drawText(*font, 60.0f, 60.0f, "Reset");
    D3DPRESENT_PARAMETERS parameters = presentation;
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL) << "default-pool buffer and state blocks alive";
    font->releaseDrawResources();
    parameters = presentation;
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    ASSERT_EQ(font->acquireDrawResources(), S_OK);
    EXPECT_EQ(differingPixels(before, drawText(*font, 60.0f, 60.0f, "Reset")), 0);
}

}  // namespace
