// D3DXCreateTextureFromFileA: file -> decoded image -> managed texture whose
// levels are filled from the image and its successive box-filtered halves.
#include "assets/d3dx_texture.h"
#include "assets/file_bytes.h"
#include "assets/image_decode.h"
#include "assets/texture_levels.h"

#include <cstring>
#include <utility>

namespace {

// No image within the size limits needs more than this in any of our formats.
constexpr size_t kMaxImageFileBytes = size_t(128) << 20;

uint32_t nextPowerOfTwo(uint32_t v)
{
    uint32_t p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

HRESULT fillLevel(IDirect3DTexture9* texture, UINT level, const Image& image)
{
    D3DLOCKED_RECT locked;
    HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    for (uint32_t y = 0; y < image.height; ++y)
        std::memcpy(static_cast<unsigned char*>(locked.pBits) + size_t(y) * locked.Pitch, image.row(y),
                    size_t(image.width) * 4);
    return texture->UnlockRect(level);
}

HRESULT createTexture(IDirect3DDevice9* device, Image image, IDirect3DTexture9** out)
{
    D3DCAPS9 caps;
    HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    const TextureSize size = textureSizeFor(caps, image.width, image.height);
    if (size.width != image.width || size.height != image.height) {
        hr = resizeImage(image, size.width, size.height, &image);
        if (FAILED(hr)) return hr;
    }
    const D3DFORMAT format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    IDirect3DTexture9* texture = nullptr;
    hr = device->CreateTexture(size.width, size.height, size.levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr);
    if (FAILED(hr)) return hr;
    for (UINT level = 0; level < size.levels && SUCCEEDED(hr); ++level) {
        if (level > 0) {
            Image half;
            hr = resizeImage(image, image.width > 1 ? image.width / 2 : 1, image.height > 1 ? image.height / 2 : 1,
                             &half);
            image = std::move(half);
        }
        if (SUCCEEDED(hr)) hr = fillLevel(texture, level, image);
    }
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    *out = texture;
    return S_OK;
}

}  // namespace

uint32_t fullMipLevelCount(uint32_t width, uint32_t height)
{
    uint32_t side = width > height ? width : height;
    uint32_t levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

TextureSize textureSizeFor(const D3DCAPS9& caps, uint32_t imageWidth, uint32_t imageHeight)
{
    uint32_t width = imageWidth, height = imageHeight;
    // Conditional support for other sizes excludes mipmaps, so it does not help here.
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        width = nextPowerOfTwo(width);
        height = nextPowerOfTwo(height);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = width > height ? width : height;
    while ((caps.MaxTextureWidth && width > caps.MaxTextureWidth) ||
           (caps.MaxTextureHeight && height > caps.MaxTextureHeight)) {
        if (width > 1) width /= 2;
        if (height > 1) height /= 2;
        if (width == 1 && height == 1) break;
    }
    const uint32_t levels = (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ? fullMipLevelCount(width, height) : 1;
    return {width, height, levels};
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE9 pDevice, LPCSTR pSrcFile, LPDIRECT3DTEXTURE9* ppTexture)
{
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
    Image image;
    {
        FileBytes file;
        HRESULT hr = readFileBytes(pSrcFile, kMaxImageFileBytes, &file);
        if (FAILED(hr)) return hr;
        if (file.size == 0) return D3DXERR_INVALIDDATA;
        hr = decodeImage(file.data.get(), file.size, &image);
        if (FAILED(hr)) return hr;
    }
    return createTexture(pDevice, std::move(image), ppTexture);
}
