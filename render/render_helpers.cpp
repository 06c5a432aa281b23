#include "render/render_helpers.h"

#include "math/vector_matrix.h"

#include <cstring>
#include <memory>
#include <new>

const WORD cursorMark[CursorMarkHeight] = {0xCCC0, 0xA2A0, 0xA4A0, 0xA2A0, 0xCCC0};

void initMaterial(D3DMATERIAL9& material, float r, float g, float b, float a)
{
    std::memset(&material, 0, sizeof material);
    material.Diffuse = {r, g, b, a};
    material.Ambient = material.Diffuse;
}

void initLight(D3DLIGHT9& light, D3DLIGHTTYPE type, float x, float y, float z)
{
    std::memset(&light, 0, sizeof light);
    light.Type = type;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    const D3DXVECTOR3 position(x, y, z);
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &position);
    light.Direction = direction;
    light.Position = position;
    light.Range = 1000.0f;
}

namespace {

// Larger than any cursor a display shows; keeps the pixel buffers small.
constexpr LONG MaxCursorSide = 1024;

// Everything buildColorCursor takes, given back on every path.
struct CursorScratch {
    ICONINFO info = {};
    HDC screenDc = nullptr;
    HDC maskDc = nullptr;
    HDC colorDc = nullptr;
    std::unique_ptr<DWORD[]> maskPixels;
    std::unique_ptr<DWORD[]> colorPixels;
    IDirect3DSurface9* surface = nullptr;

    ~CursorScratch()
    {
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (screenDc) ReleaseDC(nullptr, screenDc);
        if (maskDc) DeleteDC(maskDc);
        if (colorDc) DeleteDC(colorDc);
        if (surface) surface->Release();
    }
};

// Rows 0 .. rows - 1 of `bitmap` as 32-bit pixels, bottom row first, through a
// memory DC made here and kept in `dc`. A failed read leaves zeros.
bool readBitmap(HDC screenDc, HDC& dc, HBITMAP bitmap, BITMAPINFO& info, LONG rows,
                std::unique_ptr<DWORD[]>& pixels)
{
    const size_t count = size_t(info.bmiHeader.biWidth) * size_t(info.bmiHeader.biHeight);
    pixels.reset(new (std::nothrow) DWORD[count]());
    dc = CreateCompatibleDC(screenDc);
    if (!pixels || !dc) return false;
    HGDIOBJ previous = SelectObject(dc, bitmap);
    GetDIBits(dc, bitmap, 0, UINT(rows), pixels.get(), &info, DIB_RGB_COLORS);
    SelectObject(dc, previous);
    return true;
}

bool markCovers(int x, int y)
{
    return x < CursorMarkWidth && y < CursorMarkHeight && (cursorMark[y] >> (15 - x)) & 1;
}

}  // namespace

HRESULT buildColorCursor(IDirect3DDevice9* device, HICON icon, bool addMark)
{
    if (device == nullptr) return E_FAIL;
    CursorScratch scratch;
    if (!GetIconInfo(icon, &scratch.info)) return E_FAIL;

    BITMAP mask = {};
    if (GetObjectA(scratch.info.hbmMask, sizeof mask, &mask) == 0) return E_FAIL;
    const LONG w = mask.bmWidth;
    const LONG h = mask.bmHeight;
    const bool monochrome = scratch.info.hbmColor == nullptr;
    // The mask of a monochrome icon holds the AND mask above the XOR mask.
    const LONG hc = monochrome ? h / 2 : h;
    if (w <= 0 || hc <= 0 || w > MaxCursorSide || h > 2 * MaxCursorSide) return E_FAIL;

    const HRESULT created = device->CreateOffscreenPlainSurface(UINT(w), UINT(hc), D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH,
                                                                &scratch.surface, nullptr);
    if (FAILED(created)) return created;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // positive: rows bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    scratch.screenDc = GetDC(nullptr);
    if (!readBitmap(scratch.screenDc, scratch.maskDc, scratch.info.hbmMask, info, h, scratch.maskPixels))
        return E_FAIL;
    if (!monochrome &&
        !readBitmap(scratch.screenDc, scratch.colorDc, scratch.info.hbmColor, info, hc, scratch.colorPixels))
        return E_FAIL;

    D3DLOCKED_RECT locked;
    const HRESULT lockResult = scratch.surface->LockRect(&locked, nullptr, 0);
    if (FAILED(lockResult)) return lockResult;
    const DWORD* maskRows = scratch.maskPixels.get();
    const DWORD* colorRows = monochrome ? maskRows : scratch.colorPixels.get();
    for (LONG y = 0; y < hc; ++y) {
        // Buffer rows are bottom-up: cursor row y of an n-row image is row n - 1 - y.
        const DWORD* colorRow = colorRows + size_t(hc - 1 - y) * size_t(w);
        const DWORD* maskRow = maskRows + size_t((monochrome ? h : hc) - 1 - y) * size_t(w);
        DWORD* out = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + ptrdiff_t(y) * locked.Pitch);
        for (LONG x = 0; x < w; ++x) {
            DWORD pixel = maskRow[x] == 0 ? (colorRow[x] | 0xFF000000) : 0x00000000;
            if (addMark && markCovers(int(x), int(y))) pixel |= 0xFF808080;
            out[x] = pixel;
        }
    }
    scratch.surface->UnlockRect();
    return device->SetCursorProperties(scratch.info.xHotspot, scratch.info.yHotspot, scratch.surface);
}
