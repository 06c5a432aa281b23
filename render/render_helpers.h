// Small render helpers: a material from one colour, a light from a type and
// one vector, and the device's hardware cursor made from a Windows icon or
// cursor. The game calls the first two for its chest material and light; the
// framework calls buildColorCursor when it shows a cursor in full screen.
// initMaterial and initLight fill plain records and cannot fail.
// buildColorCursor returns S_OK, E_FAIL when the icon's bitmaps cannot be read
// or a memory DC cannot be made, or the device's code when the surface cannot
// be created, locked or set; every path gives back the GDI objects, buffers
// and surface it took, and the device's cursor changes only on success.
#pragma once

#include <windows.h>
#include <d3d9.h>

// All 68 bytes zero, then Diffuse = Ambient = (r, g, b, a).
void initMaterial(D3DMATERIAL9& material, float r, float g, float b, float a);

// All 104 bytes zero; Type = type, white Diffuse with alpha 0, Direction =
// (x, y, z) normalised (zero stays zero), Position = (x, y, z) as given,
// Range 1000: the same vector serves a directional and a point light.
void initLight(D3DLIGHT9& light, D3DLIGHTTYPE type, float x, float y, float z);

// The icon's pixels as an A8R8G8B8 cursor with the icon's hot spot: opaque
// where the icon's AND mask is 0, fully transparent elsewhere. A monochrome
// icon (no colour bitmap) is half as high as its mask. With addMark, a small
// 12 x 5 mark is lightened into the top-left corner.
HRESULT buildColorCursor(IDirect3DDevice9* device, HICON icon, bool addMark);

// The mark's rows, top first; bit 15 is the leftmost pixel, 12 bits used.
constexpr int CursorMarkWidth = 12;
constexpr int CursorMarkHeight = 5;
extern const WORD cursorMark[CursorMarkHeight];
