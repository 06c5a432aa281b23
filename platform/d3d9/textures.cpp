#include "platform/d3d9/textures.h"

#include "platform/d3d9/automation.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/gl_probe.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace d3d9gl {

HRESULT lockBits(std::vector<uint8_t>& bytes, UINT width, UINT height, unsigned bytesPerPixel, const RECT* rect,
                 D3DLOCKED_RECT* locked)
{
    if (!locked) return D3DERR_INVALIDCALL;
    LONG left = 0, top = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            UINT(rect->right) > width || UINT(rect->bottom) > height)
            return D3DERR_INVALIDCALL;
        left = rect->left;
        top = rect->top;
    }
    const UINT pitch = width * bytesPerPixel;
    locked->Pitch = INT(pitch);
    locked->pBits = bytes.data() + size_t(top) * pitch + size_t(left) * bytesPerPixel;
    return D3D_OK;
}

// ---- texture levels ----

HRESULT TextureLevelSurface::QueryInterface(REFIID riid, void** out)
{
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == IID_IDirect3DSurface9) {
        *out = static_cast<IDirect3DSurface9*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG TextureLevelSurface::AddRef() { return texture_->AddRef(); }
ULONG TextureLevelSurface::Release() { return texture_->Release(); }
HRESULT TextureLevelSurface::GetDevice(IDirect3DDevice9** device) { return texture_->GetDevice(device); }
HRESULT TextureLevelSurface::GetContainer(REFIID riid, void** container)
{
    return texture_->QueryInterface(riid, container);
}
HRESULT TextureLevelSurface::GetDesc(D3DSURFACE_DESC* desc) { return texture_->GetLevelDesc(level_, desc); }
HRESULT TextureLevelSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    return texture_->LockRect(level_, locked, rect, flags);
}
HRESULT TextureLevelSurface::UnlockRect() { return texture_->UnlockRect(level_); }

// ---- textures ----

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Resource(device, pool, D3DRTYPE_TEXTURE), format_(colorFormat(format)), usage_(usage),
      lockable_(pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC))
{
    UINT w = width, h = height;
    for (UINT i = 0; levels == 0 || i < levels; ++i) {
        Level level;
        level.width = w;
        level.height = h;
        if (lockable_) level.bytes.assign(size_t(w) * h * format_->bytesPerPixel, 0);
        levels_.push_back(std::move(level));
        if (w == 1 && h == 1) break;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    for (UINT i = 0; i < levels_.size(); ++i) levels_[i].surface = std::make_unique<TextureLevelSurface>(this, i);
}

Texture::~Texture()
{
    if (texture_ && device_->makeCurrent()) glDeleteTextures(1, &texture_);
}

bool Texture::create()
{
    if (pool_ == D3DPOOL_SYSTEMMEM || pool_ == D3DPOOL_SCRATCH) return true;
    discardPendingGlErrors();
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (UINT i = 0; i < levels_.size(); ++i) {
        const Level& level = levels_[i];
        glTexImage2D(GL_TEXTURE_2D, GLint(i), GLint(format_->internalFormat), GLsizei(level.width),
                     GLsizei(level.height), 0, format_->uploadFormat, format_->uploadType,
                     level.bytes.empty() ? nullptr : level.bytes.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels_.size()) - 1);
    if (format_->swizzle[0]) glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format_->swizzle);
    // The device rebinds its stage textures before the next draw.
    glBindTexture(GL_TEXTURE_2D, 0);
    return glGetError() == GL_NO_ERROR;
}

DWORD Texture::SetLOD(DWORD lod)
{
    const DWORD old = lod_;
    if (pool_ == D3DPOOL_MANAGED) lod_ = std::min<DWORD>(lod, DWORD(levels_.size()) - 1);
    return old;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *desc = {format_->format,        D3DRTYPE_SURFACE,      usage_, pool_, D3DMULTISAMPLE_NONE, 0,
             levels_[level].width, levels_[level].height};
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *surface = levels_[level].surface.get();
    AddRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (!locked || level >= levels_.size() || !lockable_) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    if (l.locked) return D3DERR_INVALIDCALL;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::LockTexture, &injected)) return injected;
    const HRESULT hr = lockBits(l.bytes, l.width, l.height, format_->bytesPerPixel, rect, locked);
    if (FAILED(hr)) return hr;
    l.locked = true;
    l.written = !(flags & D3DLOCK_READONLY);
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level)
{
    if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
    Level& l = levels_[level];
    l.locked = false;
    if (l.written) upload(level);
    return D3D_OK;
}

void Texture::upload(UINT level)
{
    if (!texture_ || !device_->makeCurrent()) return;
    const Level& l = levels_[level];
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, GLsizei(l.width), GLsizei(l.height), format_->uploadFormat,
                    format_->uploadType, l.bytes.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    device_->texturesChanged();
}

void Texture::applyBaseLevel(GLenum unit, DWORD maxMipLevel)
{
    const GLint base = GLint(std::min<DWORD>(std::max(maxMipLevel, lod_), DWORD(levels_.size()) - 1));
    if (base == baseLevel_) return;
    baseLevel_ = base;
    glActiveTexture(unit);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, base);
}

bool Texture::levelBits(UINT level, SurfaceBits* out)
{
    if (level >= levels_.size() || !lockable_) return false;
    out->bits = levels_[level].bytes.data();
    out->pitch = levels_[level].width * format_->bytesPerPixel;
    GetLevelDesc(level, &out->desc);
    return true;
}

// ---- plain surfaces and the back buffer ----

PlainSurface::PlainSurface(Device* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool)
    : Resource(device, pool, D3DRTYPE_SURFACE), width_(width), height_(height), format_(colorFormat(format)),
      bytes_(size_t(width) * height * format_->bytesPerPixel, 0)
{
}

HRESULT PlainSurface::GetContainer(REFIID riid, void** container)
{
    // A surface of its own has the device as its container.
    return device_->QueryInterface(riid, container);
}

HRESULT PlainSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {format_->format, D3DRTYPE_SURFACE, 0, pool_, D3DMULTISAMPLE_NONE, 0, width_, height_};
    return D3D_OK;
}

HRESULT PlainSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD)
{
    if (locked_) return D3DERR_INVALIDCALL;
    const HRESULT hr = lockBits(bytes_, width_, height_, format_->bytesPerPixel, rect, locked);
    if (SUCCEEDED(hr)) locked_ = true;
    return hr;
}

HRESULT PlainSurface::UnlockRect()
{
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

bool PlainSurface::bits(SurfaceBits* out)
{
    out->bits = bytes_.data();
    out->pitch = width_ * format_->bytesPerPixel;
    GetDesc(&out->desc);
    return true;
}

BackBufferSurface::BackBufferSurface(Device* device) : Resource(device, D3DPOOL_DEFAULT, D3DRTYPE_SURFACE, 0) {}

HRESULT BackBufferSurface::GetContainer(REFIID riid, void** container)
{
    return device_->QueryInterface(riid, container);
}

HRESULT BackBufferSurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    const D3DPRESENT_PARAMETERS& pp = device_->presentParameters();
    *desc = {pp.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
             pp.MultiSampleType,  pp.MultiSampleQuality, pp.BackBufferWidth, pp.BackBufferHeight};
    return D3D_OK;
}

bool surfaceBits(IDirect3DSurface9* surface, SurfaceBits* out)
{
    if (auto* level = dynamic_cast<TextureLevelSurface*>(surface))
        return level->texture()->levelBits(level->level(), out);
    if (auto* plain = dynamic_cast<PlainSurface*>(surface)) return plain->bits(out);
    return false;
}

void surfaceBitsChanged(IDirect3DSurface9* surface)
{
    if (auto* level = dynamic_cast<TextureLevelSurface*>(surface)) level->texture()->upload(level->level());
}

// ---- device entry points ----

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** out, HANDLE* shared)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    const FormatInfo* info = colorFormat(format);
    const UINT maxSize = UINT(glProbe().maxTextureSize);
    if (shared || !info || width == 0 || height == 0 || width > maxSize || height > maxSize) return D3DERR_INVALIDCALL;
    if (pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::CreateTexture, &injected)) return injected;
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    auto* texture = new (std::nothrow) Texture(this, width, height, levels, usage, format, pool);
    if (!texture) return E_OUTOFMEMORY;
    if (!texture->create()) {
        texture->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    texturesChanged();
    *out = texture;
    return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** out, HANDLE* shared)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (shared || !colorFormat(format) || width == 0 || height == 0) return D3DERR_INVALIDCALL;
    // Managed plain surfaces do not exist in Direct3D 9.
    if (pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
    auto* surface = new (std::nothrow) PlainSurface(this, width, height, format, pool);
    if (!surface) return E_OUTOFMEMORY;
    *out = surface;
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (swapChain != 0 || index >= parameters_.BackBufferCount || type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    *out = backBuffer_;
    backBuffer_->AddRef();
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination)
{
    if (!renderTarget || !destination || !dynamic_cast<BackBufferSurface*>(renderTarget)) return D3DERR_INVALIDCALL;
    SurfaceBits dest;
    if (!surfaceBits(destination, &dest) || dest.desc.Pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
    if (dest.desc.Width != parameters_.BackBufferWidth || dest.desc.Height != parameters_.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    if (!readBackBuffer(&readScratch_)) return D3DERR_DRIVERINTERNALERROR;
    const unsigned bpp = colorFormat(dest.desc.Format)->bytesPerPixel;
    for (UINT y = 0; y < dest.desc.Height; ++y)
        for (UINT x = 0; x < dest.desc.Width; ++x)
            packPixel(dest.desc.Format, &readScratch_[(size_t(y) * dest.desc.Width + x) * 4],
                      dest.bits + size_t(y) * dest.pitch + size_t(x) * bpp);
    return D3D_OK;
}

}  // namespace d3d9gl
