// Texture creation from image files, the texture side of the 3D utility
// library under its published names. Called by the mesh object for the
// texture files its materials name.
//
// D3DXCreateTextureFromFileA reads a PNG, JPEG or BMP file and creates a
// managed-pool texture of the file's size with a full mip chain, each level
// the box-filtered half of the one above. The format is D3DFMT_X8R8G8B8, or
// D3DFMT_A8R8G8B8 when the file has alpha or transparency. A size beyond the
// device's maximum is halved until it fits; a device that requires powers of
// two gets the image stretched up to the next ones.
// Results: S_OK; D3DERR_INVALIDCALL for a null argument; the file's own code
// (0x80070002 for a file not found); D3DXERR_INVALIDDATA for a file that is no
// image of these formats or is corrupt, truncated or of absurd size;
// E_OUTOFMEMORY; the device's code when the texture cannot be made or locked.
// *ppTexture is null on every failure.
#pragma once

#include <d3d9.h>

#define D3DXERR_INVALIDDATA MAKE_HRESULT(1, 0x876, 2905)

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile, LPDIRECT3DTEXTURE9* ppTexture);
#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
