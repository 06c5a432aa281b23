// IDirect3DDevice9 over OpenGL 3.3 core. The back buffer is an offscreen
// framebuffer of BackBufferWidth x BackBufferHeight that Present hands to the
// window's compositor, or, frame by frame where the render host offers it,
// the client area of the window's own framebuffer; the fixed-function
// pipeline runs in generated shaders.
// Created by IDirect3D9::CreateDevice. Bad arguments give D3DERR_INVALIDCALL;
// while the device is lost Present and TestCooperativeLevel say so and draws
// are dropped, as on Windows. Implemented across device.cpp (life, Reset,
// loss, cursor), device_state.cpp, resources_buffers.cpp, textures.cpp,
// state_block.cpp, draw.cpp and present.cpp.
#pragma once

#include <d3d9.h>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/ffp_program_cache.h"
#include "platform/d3d9/render_host.h"

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Cursor;

namespace d3d9gl {

class Direct3D9;
class BackBufferSurface;
class StateBlock;

class Device final : public IDirect3DDevice9 {
public:
    static HRESULT create(Direct3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** out);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDirect3DDevice9
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE EvictManagedResources() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** d3d) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface9* bitmap) override;
    void STDMETHODCALLTYPE SetCursorPosition(int x, int y, DWORD flags) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL show) override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND destWindow,
                                      const struct _RGNDATA* dirty) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** out) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture9** out, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** out, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** out, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* renderTarget,
                                                  IDirect3DSurface9* destination) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                          IDirect3DSurface9** out, HANDLE* shared) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* material) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9** out) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** out) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                                   UINT numVertices, UINT startIndex, UINT primitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                                                     UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                                     const void* vertices, UINT stride) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** shader) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                              UINT* stride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* indices) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** indices) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** shader) override;

    // ---- for the device's children ----
    // Makes this device's GL context current; false when its window is gone.
    bool makeCurrent();
    // For Clear and the draws, which only add to the frame (render_host.h).
    bool makeCurrentForFrame() { return host_ && host_->makeCurrentForFrame(); }
    // A child gained its first / lost its last public reference.
    void childAlive(D3DPOOL pool, bool alive);
    void stateBlockAlive(bool alive);
    const DeviceState& state() const { return state_; }
    // The device records into `block` between BeginStateBlock and EndStateBlock.
    StateBlock* recording() const { return recording_; }
    // Reads the back buffer as top-down RGBA8 rows into `rgba` (width*height*4).
    bool readBackBuffer(std::vector<uint8_t>* rgba);
    const D3DPRESENT_PARAMETERS& presentParameters() const { return parameters_; }
    // A texture was (re)bound behind the device's back: rebind stage textures at the next draw.
    void texturesChanged();

    // ---- test seams (automation.h); inert unless a test calls them ----
    void seamSetLost(bool lost) { injectedLoss_ = lost; if (lost) lossState_ = LossState::Lost; }
    void seamCapturePresents(bool on) { capturePresents_ = on; }
    bool seamDrawsIntoWindow() const { return direct_; }
    const std::vector<uint8_t>& seamLastPresented(int* width, int* height) const
    {
        *width = presentedWidth_;
        *height = presentedHeight_;
        return presented_;
    }

private:
    enum class LossState { Operational, Lost, NotReset };

    Device(Direct3D9* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags);
    ~Device();

    // device.cpp
    HRESULT initialise(D3DPRESENT_PARAMETERS* parameters);
    HRESULT validateParameters(D3DPRESENT_PARAMETERS* parameters, int* samples) const;
    HRESULT createBackBuffer(int samples);
    void destroyBackBuffer();
    void applyPresentMode();
    // The framebuffer a frame draws into, chosen at its first draw or clear.
    void beginFrame();
    GLuint frameFramebuffer() const { return direct_ ? 0 : renderFbo_; }
    void updateLossState();
    void releaseBindings(DeviceState* state);
    void resetState();
    HWND deviceWindow() const;

    // draw.cpp
    // Brings GL up to date with the state for a draw; false when nothing can be drawn.
    bool prepareDraw();
    void applyRasterState();
    void applyVertexInput(size_t base, GLuint buffer, UINT stride);
    void bindIndexBuffer(GLuint buffer);
    void applyTextures();
    void uploadUniforms(FfpProgram* program);
    FfpKey buildKey() const;
    void computeDerivedTransforms();
    void computeDerivedLights();
    GLuint streamBuffer(GLenum target, const void* data, size_t bytes, size_t* offset);

    friend class StateBlock;

    ULONG refs_ = 1;
    Direct3D9* d3d_;
    UINT adapter_;
    D3DDEVTYPE type_;
    HWND focusWindow_;
    DWORD behaviorFlags_;
    D3DPRESENT_PARAMETERS parameters_ = {};
    std::unique_ptr<RenderHost> host_;
    LossState lossState_ = LossState::Operational;
    bool injectedLoss_ = false;
    bool inScene_ = false;
    bool fullScreen_ = false;
    int liveDefaultPool_ = 0;
    int liveStateBlocks_ = 0;

    DeviceState state_;
    StateBlock* recording_ = nullptr;
    BackBufferSurface* backBuffer_ = nullptr;

    // GL objects of the back buffer and the pipeline.
    GLuint renderFbo_ = 0;  // drawn into: the colour texture, or the multisample buffers
    GLuint resolveFbo_ = 0;  // colour texture when multisampled
    GLuint colorTexture_ = 0;
    GLuint colorMsaa_ = 0;
    GLuint depthBuffer_ = 0;
    int samples_ = 0;
    bool hasStencil_ = false;
    // Drawing into the window: allowed by the format, depth buffer and swap
    // effect (directCapable_); done by this or the last frame (direct_), with
    // the back buffer's bottom-left pixel at origin_ in the window.
    bool directCapable_ = false;
    bool direct_ = false;
    bool frameStarted_ = false;
    POINT origin_ = {};
    GLuint vao_ = 0;
    GLuint streamVbo_ = 0;
    GLuint streamIbo_ = 0;
    size_t streamVboSize_ = 0, streamVboUsed_ = 0;
    size_t streamIboSize_ = 0, streamIboUsed_ = 0;
    GLuint samplers_[kMaxTextureStages] = {};
    FfpProgramCache programs_;

    // What changed since the last draw.
    uint32_t dirty_ = ~0u;
    uint32_t dirtySamplers_ = ~0u;
    // Each group of uniforms is uploaded to a program only when its version
    // moved since that program last took it.
    uint64_t transformVersion_ = 1, projectionVersion_ = 1, materialVersion_ = 1, lightsVersion_ = 1,
             miscVersion_ = 1;
    bool keyDirty_ = true;
    FfpKey key_ = {};
    FfpProgram* program_ = nullptr;
    bool derivedTransformsStale_ = true, derivedLightsStale_ = true;
    FfpDerived derived_ = {};
    // Vertex input last set on the VAO.
    size_t inputBase_ = 0;
    GLuint inputBuffer_ = ~0u;
    UINT inputStride_ = 0;
    DWORD inputFvf_ = ~0u;
    uint32_t enabledAttributes_ = 0;
    GLuint boundIndexBuffer_ = ~0u;
    GLuint boundTextures_[kMaxTextureStages] = {};

    // Cursor.
    SDL_Cursor* cursor_ = nullptr;
    bool cursorShown_ = false;

    // Test seam: last presented frame, top-down RGBA8.
    bool capturePresents_ = false;
    std::vector<uint8_t> presented_;
    int presentedWidth_ = 0, presentedHeight_ = 0;
    std::vector<uint8_t> readScratch_;
};

enum DirtyBits : uint32_t {
    kDirtyRaster = 1u << 0,
    kDirtyViewport = 1u << 1,
    kDirtyTextures = 1u << 2,
    kDirtyVertexInput = 1u << 3,
};

}  // namespace d3d9gl
