#include "tests/render/font_fixture.h"

#include <cmath>
#include <cstring>

void FontDevice::SetUp()
{
    RenderDevice::SetUp();
    if (HasFatalFailure()) return;
    font = makeFont(12);
}

void FontDevice::TearDown()
{
    if (font) dropFont(*font);
    font.reset();
    RenderDevice::TearDown();
}

std::unique_ptr<TextureFont> FontDevice::makeFont(DWORD pointSize, DWORD style, IDirect3DDevice9* on)
{
    auto made = std::make_unique<TextureFont>("Arial", pointSize, style);
    EXPECT_EQ(made->buildGlyphTexture(on ? on : device), S_OK);
    EXPECT_EQ(made->acquireDrawResources(), S_OK);
    return made;
}

void FontDevice::dropFont(TextureFont& made)
{
    made.releaseDrawResources();
    made.releaseGlyphTexture();
}

std::vector<WORD> FontDevice::texels(const TextureFont& made)
{
    std::vector<WORD> out;
    D3DLOCKED_RECT locked;
    if (made.glyphTexture == nullptr || FAILED(made.glyphTexture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
        return out;
    out.resize(size_t(made.textureWidth) * made.textureHeight);
    for (DWORD y = 0; y < made.textureHeight; ++y)
        std::memcpy(&out[size_t(y) * made.textureWidth], static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch,
                    made.textureWidth * 2);
    made.glyphTexture->UnlockRect(0);
    return out;
}

RECT FontDevice::cellOf(const TextureFont& made, char c)
{
    const float* cell = made.glyphCells[static_cast<unsigned char>(c) - TextureFont::FirstGlyph];
    auto px = [](float v, DWORD size) { return LONG(std::lround(v * float(size))); };
    return {px(cell[0], made.textureWidth), px(cell[1], made.textureHeight), px(cell[2], made.textureWidth),
            px(cell[3], made.textureHeight)};
}

float FontDevice::lineHeight(const TextureFont& made)
{
    return (made.glyphCells[0][3] - made.glyphCells[0][1]) * float(made.textureHeight);
}

Frame FontDevice::drawText(TextureFont& made, float x, float y, const char* text, DWORD flags, D3DCOLOR color)
{
    return drawFrame(0xFF000000, [&] { EXPECT_EQ(made.drawString(x, y, color, text, flags), S_OK); });
}

SIZE gdiExtent(const char* text, DWORD pointSize, bool bold)
{
    SIZE size = {0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT gdiFont = CreateFontA(-MulDiv(int(pointSize), GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                                bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, "Arial");
    HGDIOBJ previous = SelectObject(dc, gdiFont);
    GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
    SelectObject(dc, previous);
    DeleteObject(gdiFont);
    DeleteDC(dc);
    return size;
}

int differingPixels(const Frame& a, const Frame& b)
{
    if (a.pixels.size() != b.pixels.size()) return -1;
    int differing = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if ((a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF)) ++differing;
    return differing;
}
