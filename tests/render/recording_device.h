// A device that forwards every call to a real one and records the calls the
// render resources make, so tests can see batches, draw counts and the cursor
// image that the real device keeps to itself. It can also shrink the
// reported maximum texture size and make the next call of a name fail.
// Written against the Linux layer's Direct3D 9 subset, so Linux only; when the
// layer's interface grows, add the forwarding line here.
#pragma once

#include <d3d9.h>

#include <map>
#include <string>
#include <vector>

class RecordingDevice final : public IDirect3DDevice9 {
public:
    explicit RecordingDevice(IDirect3DDevice9* real) : real_(real) {}
    ~RecordingDevice() = default;

    // Calls as "Name arg arg ...", numbers in decimal.
    std::vector<std::string> calls;
    // Calls whose text starts with `prefix`.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
    // When non-zero, GetDeviceCaps reports this maximum texture width and height.
    DWORD maxTextureSize = 0;
    // The next call of that name returns the code without reaching the device.
    void failNext(const std::string& name, HRESULT result) { failures_[name] = result; }

    // What the last SetCursorProperties was given: hot spot and the pixels, top-down.
    UINT cursorHotX = 0, cursorHotY = 0, cursorWidth = 0, cursorHeight = 0;
    std::vector<DWORD> cursorPixels;

    STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
    STDMETHOD_(ULONG, Release)() override { return --references_; }

    STDMETHOD(TestCooperativeLevel)() override;
    STDMETHOD_(UINT, GetAvailableTextureMem)() override;
    STDMETHOD(EvictManagedResources)() override;
    STDMETHOD(GetDirect3D)(IDirect3D9** d3d) override;
    STDMETHOD(GetDeviceCaps)(D3DCAPS9* caps) override;
    STDMETHOD(GetDisplayMode)(UINT swapChain, D3DDISPLAYMODE* mode) override;
    STDMETHOD(GetCreationParameters)(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    STDMETHOD(SetCursorProperties)(UINT hotX, UINT hotY, IDirect3DSurface9* bitmap) override;
    STDMETHOD_(void, SetCursorPosition)(int x, int y, DWORD flags) override;
    STDMETHOD_(BOOL, ShowCursor)(BOOL show) override;
    STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* parameters) override;
    STDMETHOD(Present)(CONST RECT* source, CONST RECT* dest, HWND window, CONST struct _RGNDATA* dirty) override;
    STDMETHOD(GetBackBuffer)(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** out) override;
    STDMETHOD(CreateTexture)(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                             IDirect3DTexture9** out, HANDLE* shared) override;
    STDMETHOD(CreateVertexBuffer)(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** out,
                                  HANDLE* shared) override;
    STDMETHOD(CreateIndexBuffer)(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer9** out, HANDLE* shared) override;
    STDMETHOD(GetRenderTargetData)(IDirect3DSurface9* target, IDirect3DSurface9* dest) override;
    STDMETHOD(CreateOffscreenPlainSurface)(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DSurface9** out, HANDLE* shared) override;
    STDMETHOD(BeginScene)() override;
    STDMETHOD(EndScene)() override;
    STDMETHOD(Clear)(DWORD count, CONST D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix) override;
    STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    STDMETHOD(MultiplyTransform)(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix) override;
    STDMETHOD(SetViewport)(CONST D3DVIEWPORT9* viewport) override;
    STDMETHOD(GetViewport)(D3DVIEWPORT9* viewport) override;
    STDMETHOD(SetMaterial)(CONST D3DMATERIAL9* material) override;
    STDMETHOD(GetMaterial)(D3DMATERIAL9* material) override;
    STDMETHOD(SetLight)(DWORD index, CONST D3DLIGHT9* light) override;
    STDMETHOD(GetLight)(DWORD index, D3DLIGHT9* light) override;
    STDMETHOD(LightEnable)(DWORD index, BOOL enable) override;
    STDMETHOD(GetLightEnable)(DWORD index, BOOL* enable) override;
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE state, DWORD value) override;
    STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE state, DWORD* value) override;
    STDMETHOD(CreateStateBlock)(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) override;
    STDMETHOD(BeginStateBlock)() override;
    STDMETHOD(EndStateBlock)(IDirect3DStateBlock9** out) override;
    STDMETHOD(GetTexture)(DWORD stage, IDirect3DBaseTexture9** texture) override;
    STDMETHOD(SetTexture)(DWORD stage, IDirect3DBaseTexture9* texture) override;
    STDMETHOD(GetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    STDMETHOD(SetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    STDMETHOD(GetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    STDMETHOD(SetSamplerState)(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE type, UINT start, UINT count) override;
    STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE type, INT base, UINT minIndex, UINT vertices, UINT start,
                                    UINT count) override;
    STDMETHOD(DrawPrimitiveUP)(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride) override;
    STDMETHOD(DrawIndexedPrimitiveUP)(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT count,
                                      CONST void* indices, D3DFORMAT format, CONST void* data, UINT stride) override;
    STDMETHOD(SetFVF)(DWORD fvf) override;
    STDMETHOD(GetFVF)(DWORD* fvf) override;
    STDMETHOD(SetVertexShader)(IDirect3DVertexShader9* shader) override;
    STDMETHOD(GetVertexShader)(IDirect3DVertexShader9** shader) override;
    STDMETHOD(SetStreamSource)(UINT stream, IDirect3DVertexBuffer9* data, UINT offset, UINT stride) override;
    STDMETHOD(GetStreamSource)(UINT stream, IDirect3DVertexBuffer9** data, UINT* offset, UINT* stride) override;
    STDMETHOD(SetIndices)(IDirect3DIndexBuffer9* indices) override;
    STDMETHOD(GetIndices)(IDirect3DIndexBuffer9** indices) override;
    STDMETHOD(SetPixelShader)(IDirect3DPixelShader9* shader) override;
    STDMETHOD(GetPixelShader)(IDirect3DPixelShader9** shader) override;

private:
    // Records the call; true (and the code) when a failure was asked for it.
    bool record(const std::string& text, HRESULT* injected);

    IDirect3DDevice9* real_;
    ULONG references_ = 1;
    std::map<std::string, HRESULT> failures_;
};
