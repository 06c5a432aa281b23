// Textures (mip chains, LockRect per level) and surfaces: texture levels,
// off-screen plain surfaces in system memory and the back buffer's surface.
// Lockable pools keep each level's texels in memory, so managed textures
// survive Reset and UnlockRect uploads the level; default-pool textures
// without DYNAMIC are not lockable (D3DERR_INVALIDCALL), as on Windows.
#pragma once

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/formats.h"

#include <epoxy/gl.h>

#include <memory>
#include <vector>

namespace d3d9gl {

class Texture;

// CPU view of a surface's texels, for copies and the cursor.
struct SurfaceBits {
    uint8_t* bits = nullptr;
    UINT pitch = 0;
    D3DSURFACE_DESC desc = {};
};
// False for surfaces with no texels in memory (the back buffer, default pool).
bool surfaceBits(IDirect3DSurface9* surface, SurfaceBits* out);
// Marks a memory surface's texels changed (re-uploads a texture level).
void surfaceBitsChanged(IDirect3DSurface9* surface);

class TextureLevelSurface final : public IDirect3DSurface9 {
public:
    TextureLevelSurface(Texture* texture, UINT level) : texture_(texture), level_(level) {}
    // The level shares its texture's reference count.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    Texture* texture() const { return texture_; }
    UINT level() const { return level_; }

private:
    Texture* texture_;
    UINT level_;
};

class Texture final : public Resource<IDirect3DTexture9> {
public:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    // Allocates the GL texture (the device's context current); false on failure.
    bool create();

    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return DWORD(levels_.size()); }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT*) override { return D3D_OK; }

    GLuint glTexture() const { return texture_; }
    const FormatInfo* format() const { return format_; }
    // Sets GL's base level from the sampler's MAXMIPLEVEL and the texture's
    // LOD, through texture unit `unit` (where it is bound) when it changes.
    void applyBaseLevel(GLenum unit, DWORD maxMipLevel);
    bool levelBits(UINT level, SurfaceBits* out);
    void upload(UINT level);

private:
    ~Texture() override;
    bool hasInterface(REFIID riid) const override
    {
        return riid == IID_IDirect3DBaseTexture9 || riid == IID_IDirect3DTexture9;
    }

    struct Level {
        UINT width, height;
        std::vector<uint8_t> bytes;
        bool locked = false;
        bool written = false;
        std::unique_ptr<TextureLevelSurface> surface;
    };
    const FormatInfo* format_;
    DWORD usage_;
    bool lockable_;
    std::vector<Level> levels_;
    GLuint texture_ = 0;
    DWORD lod_ = 0;
    GLint baseLevel_ = 0;
};

// A surface of its own: off-screen plain surfaces (texels in memory) and the
// back buffer (texels in the device's framebuffer).
class PlainSurface final : public Resource<IDirect3DSurface9> {
public:
    PlainSurface(Device* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    bool bits(SurfaceBits* out);

private:
    ~PlainSurface() override = default;
    bool hasInterface(REFIID riid) const override { return riid == IID_IDirect3DSurface9; }
    UINT width_, height_;
    const FormatInfo* format_;
    std::vector<uint8_t> bytes_;
    bool locked_ = false;
};

class BackBufferSurface final : public Resource<IDirect3DSurface9> {
public:
    explicit BackBufferSurface(Device* device);
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
    HRESULT STDMETHODCALLTYPE UnlockRect() override { return D3DERR_INVALIDCALL; }

private:
    ~BackBufferSurface() override = default;
    bool hasInterface(REFIID riid) const override { return riid == IID_IDirect3DSurface9; }
};

// Locks a rectangle of a memory surface: bits of its top-left texel and the pitch.
HRESULT lockBits(std::vector<uint8_t>& bytes, UINT width, UINT height, unsigned bytesPerPixel, const RECT* rect,
                 D3DLOCKED_RECT* locked);

}  // namespace d3d9gl
