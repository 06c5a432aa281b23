#include "render/texture_font.h"

#include "common/bounded_copy.h"
#include "render/release_object.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr int LastGlyph = 126;
constexpr float GlyphDepth = 0.9f;
// A batch is drawn once it holds this many triangles (50 characters), so it
// always fits the vertex buffer.
constexpr UINT BatchTriangles = 100;

bool drawable(unsigned char c) { return c >= TextureFont::FirstGlyph && c <= LastGlyph; }

// The GDI objects the glyphs are rasterised with, given back on every path.
struct GlyphCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HGDIOBJ previousFont = nullptr;
    const DWORD* pixels = nullptr;

    ~GlyphCanvas()
    {
        if (previousFont) SelectObject(dc, previousFont);
        if (previousBitmap) SelectObject(dc, previousBitmap);
        if (font) DeleteObject(font);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
};

}  // namespace

TextureFont::TextureFont(const char* name, DWORD size, DWORD flags) : pointSize(size), styleFlags(flags)
{
    copyBounded(faceName, name != nullptr ? name : "", FaceNameCapacity);
}

TextureFont::~TextureFont()
{
    releaseDrawResources();
    releaseGlyphTexture();
}

HRESULT TextureFont::buildGlyphTexture(IDirect3DDevice9* newDevice)
{
    releaseObject(glyphTexture);
    device = newDevice;
    textScale = 1.0f;
    if (device == nullptr) return E_FAIL;

    const DWORD size = pointSize > 60 ? 2048 : pointSize > 30 ? 1024 : pointSize > 15 ? 512 : 256;
    textureWidth = textureHeight = size;
    D3DCAPS9 caps = {};
    if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0 && textureWidth > caps.MaxTextureWidth) {
        // The glyphs are rasterised smaller and the quads drawn larger.
        textScale = float(caps.MaxTextureWidth) / float(textureWidth);
        textureWidth = textureHeight = caps.MaxTextureWidth;
    }

    const HRESULT created = device->CreateTexture(textureWidth, textureHeight, 1, 0, D3DFMT_A4R4G4B4,
                                                  D3DPOOL_MANAGED, &glyphTexture, nullptr);
    if (FAILED(created)) {
        glyphTexture = nullptr;
        return created;
    }
    return rasteriseGlyphs();
}

HRESULT TextureFont::rasteriseGlyphs()
{
    GlyphCanvas canvas;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = LONG(textureWidth);
    info.bmiHeader.biHeight = -LONG(textureHeight);  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    canvas.dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    if (canvas.dc) canvas.bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas.bitmap || !bits) return E_FAIL;
    canvas.pixels = static_cast<const DWORD*>(bits);
    SetMapMode(canvas.dc, MM_TEXT);

    const int dpi = int(std::floor(float(GetDeviceCaps(canvas.dc, LOGPIXELSY)) * textScale));
    const int height = -MulDiv(int(pointSize), dpi, 72);
    canvas.font = CreateFontA(height, 0, 0, 0, (styleFlags & StyleBold) ? FW_BOLD : FW_NORMAL,
                              (styleFlags & StyleItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, faceName);
    if (!canvas.font) return E_FAIL;

    canvas.previousBitmap = SelectObject(canvas.dc, canvas.bitmap);
    canvas.previousFont = SelectObject(canvas.dc, canvas.font);
    SetTextColor(canvas.dc, RGB(255, 255, 255));
    SetBkColor(canvas.dc, RGB(0, 0, 0));
    SetTextAlign(canvas.dc, TA_LEFT | TA_TOP);

    SIZE extent = {};
    GetTextExtentPoint32A(canvas.dc, " ", 1, &extent);
    // 0.3 as a float is a little above 0.3; the product is taken exactly, so
    // a 10-pixel line gets a margin of 4.
    cellMargin = INT(std::ceil(double(extent.cy) * double(0.3f)));

    LONG x = cellMargin;
    LONG y = 0;
    for (int c = FirstGlyph; c <= LastGlyph; ++c) {
        const char text = char(c);
        SIZE glyph = {};
        GetTextExtentPoint32A(canvas.dc, &text, 1, &glyph);
        if (x + glyph.cx + cellMargin > LONG(textureWidth)) {
            x = cellMargin;
            y += glyph.cy + 1;
        }
        ExtTextOutA(canvas.dc, int(x), int(y), ETO_OPAQUE, nullptr, &text, 1, nullptr);
        float* cell = glyphCells[c - FirstGlyph];
        cell[0] = float(x - cellMargin) / float(textureWidth);
        cell[1] = float(y) / float(textureHeight);
        cell[2] = float(x + glyph.cx + cellMargin) / float(textureWidth);
        cell[3] = float(y + glyph.cy) / float(textureHeight);
        x += glyph.cx + 2 * cellMargin;
    }

    D3DLOCKED_RECT locked;
    const HRESULT lockResult = glyphTexture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(lockResult)) return lockResult;
    for (DWORD row = 0; row < textureHeight; ++row) {
        const DWORD* source = canvas.pixels + size_t(row) * textureWidth;
        WORD* texel = reinterpret_cast<WORD*>(static_cast<BYTE*>(locked.pBits) + ptrdiff_t(row) * locked.Pitch);
        for (DWORD column = 0; column < textureWidth; ++column) {
            // Coverage from the top four bits of blue; the colour is white.
            const WORD alpha = WORD((source[column] >> 4) & 0xF);
            texel[column] = alpha > 0 ? WORD((alpha << 12) | 0x0FFF) : WORD(0);
        }
    }
    glyphTexture->UnlockRect(0);
    return S_OK;
}

HRESULT TextureFont::acquireDrawResources()
{
    if (device == nullptr) return E_FAIL;
    // A second acquire without a release must not leak default-pool objects.
    releaseDrawResources();
    const HRESULT created = device->CreateVertexBuffer(VertexBufferBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0,
                                                       D3DPOOL_DEFAULT, &vertexBuffer, nullptr);
    if (FAILED(created)) {
        vertexBuffer = nullptr;
        return created;
    }
    // The same states twice: the first block captures and gives back the
    // caller's values, the second sets the font's. A block that cannot be
    // recorded leaves drawString refusing to draw.
    for (IDirect3DStateBlock9** block : {&savedStateBlock, &drawStateBlock}) {
        const HRESULT begun = device->BeginStateBlock();
        if (FAILED(begun)) return begun;
        recordDrawState();
        const HRESULT recorded = device->EndStateBlock(block);
        if (FAILED(recorded)) {
            *block = nullptr;
            return recorded;
        }
    }
    return S_OK;
}

void TextureFont::recordDrawState()
{
    device->SetTexture(0, glyphTexture);
    device->SetRenderState(D3DRS_ZENABLE, (styleFlags & StyleDepthTest) ? TRUE : FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 8);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_CLIPPING, TRUE);
    device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
    device->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
}

HRESULT TextureFont::releaseDrawResources()
{
    releaseObject(vertexBuffer);
    releaseObject(savedStateBlock);
    releaseObject(drawStateBlock);
    return S_OK;
}

HRESULT TextureFont::releaseGlyphTexture()
{
    releaseObject(glyphTexture);
    device = nullptr;
    return S_OK;
}

float TextureFont::lineWidth(const char* text) const
{
    float width = 0.0f;
    for (const char* at = text; *at != '\0' && *at != '\n'; ++at) {
        const auto c = static_cast<unsigned char>(*at);
        if (!drawable(c)) continue;
        const float* cell = glyphCells[c - FirstGlyph];
        width += (cell[2] - cell[0]) * float(textureWidth) / textScale - float(2 * cellMargin);
    }
    return width;
}

HRESULT TextureFont::drawString(float x, float y, D3DCOLOR color, const char* text, DWORD flags)
{
    // Built but not acquired has no blocks or buffer to draw with.
    if (device == nullptr || vertexBuffer == nullptr || savedStateBlock == nullptr || drawStateBlock == nullptr)
        return E_FAIL;
    if (text == nullptr) return E_INVALIDARG;

    savedStateBlock->Capture();
    drawStateBlock->Apply();
    device->SetFVF(GlyphVertexFvf);
    device->SetPixelShader(nullptr);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(GlyphVertex));
    if (flags & DrawFiltered) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    }

    const float* space = glyphCells[0];
    const float lineHeight = (space[3] - space[1]) * float(textureHeight);
    if (flags & (DrawCenterX | DrawCenterY)) {
        D3DVIEWPORT9 viewport = {};
        device->GetViewport(&viewport);
        if (flags & DrawCenterX) x = (float(viewport.Width) - lineWidth(text)) * 0.5f;
        if (flags & DrawCenterY) y = (float(viewport.Height) - lineHeight) * 0.5f;
    }
    x -= float(cellMargin);
    const float lineStart = x;

    GlyphVertex* vertices = nullptr;
    HRESULT result = vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), D3DLOCK_DISCARD);
    UINT triangles = 0;
    for (const char* at = text; SUCCEEDED(result) && *at != '\0'; ++at) {
        const auto c = static_cast<unsigned char>(*at);
        if (c == '\n') {
            x = lineStart;
            y += lineHeight;
            continue;
        }
        if (!drawable(c)) continue;
        const float* cell = glyphCells[c - FirstGlyph];
        const float left = cell[0], top = cell[1], right = cell[2], bottom = cell[3];
        const float w = (right - left) * float(textureWidth) / textScale;
        const float h = (bottom - top) * float(textureHeight) / textScale;
        if (c != ' ') {
            // Two clockwise triangles, as the draw state's culling keeps them.
            const float x0 = x - 0.5f, y0 = y - 0.5f, x1 = x + w - 0.5f, y1 = y + h - 0.5f;
            GlyphVertex* v = vertices + triangles * 3;
            v[0] = {x0, y1, GlyphDepth, 1.0f, color, left, bottom};
            v[1] = {x0, y0, GlyphDepth, 1.0f, color, left, top};
            v[2] = {x1, y1, GlyphDepth, 1.0f, color, right, bottom};
            v[3] = {x1, y0, GlyphDepth, 1.0f, color, right, top};
            v[4] = {x1, y1, GlyphDepth, 1.0f, color, right, bottom};
            v[5] = {x0, y0, GlyphDepth, 1.0f, color, left, top};
            triangles += 2;
            if (triangles >= BatchTriangles) {
                vertexBuffer->Unlock();
                device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
                triangles = 0;
                result = vertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), D3DLOCK_DISCARD);
            }
        }
        x += w - float(2 * cellMargin);
    }
    if (SUCCEEDED(result)) {
        vertexBuffer->Unlock();
        if (triangles > 0) device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    }

    savedStateBlock->Apply();
    return result;
}
