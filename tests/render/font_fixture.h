// Support for the texture font tests: a device with the game's font built and
// acquired, the glyph texture read back, cells in texels, and GDI measuring
// the same face independently of the font.
#pragma once

#include "render/texture_font.h"
#include "tests/render/render_device.h"

#include <memory>
#include <vector>

class FontDevice : public RenderDevice {
protected:
    void SetUp() override;
    void TearDown() override;

    // A font made, built and acquired on `on` (the fixture's device by default).
    std::unique_ptr<TextureFont> makeFont(DWORD pointSize, DWORD style = TextureFont::StyleBold,
                                          IDirect3DDevice9* on = nullptr);
    // Releases a font's device objects (before the device goes).
    static void dropFont(TextureFont& font);

    // The font's glyph texture as 16-bit texels, rows top first.
    std::vector<WORD> texels(const TextureFont& font);
    // The cell of character c in texels: [left, right) x [top, bottom).
    static RECT cellOf(const TextureFont& font, char c);
    // Pixels of one line of the font: (bottom - top) of the space cell in texels.
    static float lineHeight(const TextureFont& font);

    // Draws `text` in opaque white on black and reads the frame back.
    Frame drawText(TextureFont& font, float x, float y, const char* text, DWORD flags = 0,
                   D3DCOLOR color = 0xFFFFFFFF);

    std::unique_ptr<TextureFont> font;  // Arial 12 bold, as the game makes it
};

// GDI's own measure of `text` in the game's face at `pointSize` points, made
// the way the font makes its GDI font; (0, 0) if GDI fails.
SIZE gdiExtent(const char* text, DWORD pointSize, bool bold = true);

// How many pixels of two frames of the same size differ.
int differingPixels(const Frame& a, const Frame& b);
