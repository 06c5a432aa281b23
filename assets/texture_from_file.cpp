// D3DXCreateTextureFromFileA: file -> decoded image -> managed texture whose
// levels are filled from the image and its successive box-filtered halves
// (kept for a file loaded again: texture_level_cache.h).
#include "assets/d3dx_texture.h"
#include "assets/file_bytes.h"
#include "assets/image_decode.h"
#include "assets/texture_level_cache.h"
#include "assets/texture_levels.h"

#include <cstring>
#include <memory>
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

// The image's levels at the size the device asks for: the image, stretched
// where it must be, and its successive box-filtered halves.
HRESULT makeLevels(Image image, const TextureSize& size, TextureLevelSet* out)
{
    out->imageWidth = image.width;
    out->imageHeight = image.height;
    out->size = size;
    out->hasAlpha = image.hasAlpha;
    if (size.width != image.width || size.height != image.height) {
        const HRESULT hr = resizeImage(image, size.width, size.height, &image);
        if (FAILED(hr)) return hr;
    }
    out->levels.reserve(size.levels);
    out->levels.push_back(std::move(image));
    for (UINT level = 1; level < size.levels; ++level) {
        const Image& above = out->levels.back();
        Image half;
        const HRESULT hr = resizeImage(above, above.width > 1 ? above.width / 2 : 1,
                                       above.height > 1 ? above.height / 2 : 1, &half);
        if (FAILED(hr)) return hr;
        out->levels.push_back(std::move(half));
    }
    return S_OK;
}

HRESULT createTexture(IDirect3DDevice9* device, const TextureLevelSet& set, IDirect3DTexture9** out)
{
    const D3DFORMAT format = set.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    IDirect3DTexture9* texture = nullptr;
    HRESULT hr = device->CreateTexture(set.size.width, set.size.height, set.size.levels, 0, format, D3DPOOL_MANAGED,
                                       &texture, nullptr);
    if (FAILED(hr)) return hr;
    for (UINT level = 0; level < set.size.levels && SUCCEEDED(hr); ++level)
        hr = fillLevel(texture, level, set.levels[level]);
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
    FileBytes file;
    HRESULT hr = readFileBytes(pSrcFile, kMaxImageFileBytes, &file);
    if (FAILED(hr)) return hr;
    if (file.size == 0) return D3DXERR_INVALIDDATA;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data.get());
    std::shared_ptr<const TextureLevelSet> levels = findTextureLevels(bytes, file.size);
    Image image;
    if (!levels) {
        hr = decodeImage(file.data.get(), file.size, &image);
        if (FAILED(hr)) return hr;
    }
    D3DCAPS9 caps;
    hr = pDevice->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    if (levels) {
        const TextureSize wanted = textureSizeFor(caps, levels->imageWidth, levels->imageHeight);
        if (wanted.width == levels->size.width && wanted.height == levels->size.height &&
            wanted.levels == levels->size.levels)
            return createTexture(pDevice, *levels, ppTexture);
        // Kept for another device's limits: decoded again for this one.
        levels.reset();
        hr = decodeImage(file.data.get(), file.size, &image);
        if (FAILED(hr)) return hr;
    }
    auto made = std::make_shared<TextureLevelSet>();
    const TextureSize size = textureSizeFor(caps, image.width, image.height);
    hr = makeLevels(std::move(image), size, made.get());
    if (FAILED(hr)) return hr;
    keepTextureLevels(bytes, file.size, made);
    return createTexture(pDevice, *made, ppTexture);
}
