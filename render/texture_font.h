// The texture font: rasterises the printable ASCII characters (32 to 126) of
// a Windows font once with GDI into an alpha-only glyph texture, then draws
// strings over the scene as screen-space quads, one per character, in the
// caller's colour. Owns its glyph texture (managed pool, built once per
// device), its dynamic vertex buffer and two state blocks (default pool and
// device state, released before every reset); it does not own the device.
// Called by the game's device hooks and its celebration drawing.
// Failures: the device's code when a texture, buffer or lock fails, E_FAIL
// when the GDI font, DC or bitmap cannot be made, and drawString E_FAIL
// unless the font is built and its draw resources acquired.
#pragma once

#include <windows.h>
#include <d3d9.h>

// One corner of a glyph quad, already in screen space.
struct GlyphVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD GlyphVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(GlyphVertex) == 28, "the glyph vertex is 28 bytes");

class TextureFont {
public:
    enum StyleFlag : DWORD { StyleBold = 1, StyleItalic = 2, StyleDepthTest = 4 };
    enum DrawFlag : DWORD { DrawCenterX = 1, DrawCenterY = 2, DrawFiltered = 8 };

    // The first 79 bytes of the face name are kept.
    TextureFont(const char* faceName, DWORD pointSize, DWORD styleFlags);
    ~TextureFont();
    TextureFont(const TextureFont&) = delete;
    TextureFont& operator=(const TextureFont&) = delete;

    // After the device is created. Keeps the device even when it fails.
    HRESULT buildGlyphTexture(IDirect3DDevice9* device);
    // After creation and after every reset.
    HRESULT acquireDrawResources();
    // Before every reset and before the device goes. Always 0.
    HRESULT releaseDrawResources();
    // When the device goes; forgets the device. Always 0.
    HRESULT releaseGlyphTexture();

    // Draws `text` with its top-left at (x, y) pixels between BeginScene and
    // EndScene; line feeds start a new line, other bytes outside 32..126 are
    // skipped. The caller's values of the font's render states are restored.
    HRESULT drawString(float x, float y, D3DCOLOR color, const char* text, DWORD flags);

    static constexpr int FaceNameCapacity = 80;
    static constexpr int FirstGlyph = 32;
    static constexpr int GlyphCellCount = 96;
    static constexpr UINT VertexBufferBytes = 9600;

    char faceName[FaceNameCapacity];
    DWORD pointSize;
    DWORD styleFlags;
    IDirect3DDevice9* device = nullptr;
    IDirect3DTexture9* glyphTexture = nullptr;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    DWORD textureWidth = 0;
    DWORD textureHeight = 0;
    float textScale = 1.0f;
    // Texture rectangle (left, top, right, bottom) of code c at c - 32.
    float glyphCells[GlyphCellCount][4] = {};
    // Pixels added on either side of every glyph cell.
    INT cellMargin = 0;
    IDirect3DStateBlock9* savedStateBlock = nullptr;
    IDirect3DStateBlock9* drawStateBlock = nullptr;

private:
    HRESULT rasteriseGlyphs();
    void recordDrawState();
    float lineWidth(const char* text) const;
};
