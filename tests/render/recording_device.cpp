#include "tests/render/recording_device.h"

#include <cstring>
#include <sstream>

namespace {

void put(std::ostringstream&) {}

template <typename First, typename... Rest>
void put(std::ostringstream& out, First first, Rest... rest)
{
    if constexpr (std::is_pointer_v<First>)
        out << ' ' << (first ? "set" : "null");
    else if constexpr (std::is_enum_v<First>)
        out << ' ' << static_cast<long long>(first);
    else
        out << ' ' << first;
    put(out, rest...);
}

template <typename... Args>
std::string callText(const char* name, Args... args)
{
    std::ostringstream out;
    out << name;
    put(out, args...);
    return out.str();
}

}  // namespace

std::vector<std::string> RecordingDevice::callsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    return found;
}

bool RecordingDevice::record(const std::string& text, HRESULT* injected)
{
    calls.push_back(text);
    const auto failure = failures_.find(text.substr(0, text.find(' ')));
    if (failure == failures_.end()) return false;
    *injected = failure->second;
    failures_.erase(failure);
    return true;
}

#define FORWARD(name, call, ...)                                  \
    HRESULT injected;                                             \
    if (record(callText(#name, ##__VA_ARGS__), &injected)) return injected; \
    return real_->call

STDMETHODIMP RecordingDevice::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
        *object = this;
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP RecordingDevice::TestCooperativeLevel() { FORWARD(TestCooperativeLevel, TestCooperativeLevel()); }
STDMETHODIMP_(UINT) RecordingDevice::GetAvailableTextureMem() { return real_->GetAvailableTextureMem(); }
STDMETHODIMP RecordingDevice::EvictManagedResources() { FORWARD(EvictManagedResources, EvictManagedResources()); }
STDMETHODIMP RecordingDevice::GetDirect3D(IDirect3D9** d3d) { return real_->GetDirect3D(d3d); }

STDMETHODIMP RecordingDevice::GetDeviceCaps(D3DCAPS9* caps)
{
    HRESULT injected;
    if (record("GetDeviceCaps", &injected)) return injected;
    const HRESULT result = real_->GetDeviceCaps(caps);
    if (SUCCEEDED(result) && maxTextureSize != 0) caps->MaxTextureWidth = caps->MaxTextureHeight = maxTextureSize;
    return result;
}

STDMETHODIMP RecordingDevice::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    return real_->GetDisplayMode(swapChain, mode);
}
STDMETHODIMP RecordingDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    return real_->GetCreationParameters(parameters);
}

STDMETHODIMP RecordingDevice::SetCursorProperties(UINT hotX, UINT hotY, IDirect3DSurface9* bitmap)
{
    HRESULT injected;
    if (record(callText("SetCursorProperties", hotX, hotY, bitmap), &injected)) return injected;
    D3DSURFACE_DESC desc = {};
    D3DLOCKED_RECT locked;
    if (bitmap && SUCCEEDED(bitmap->GetDesc(&desc)) && SUCCEEDED(bitmap->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        cursorHotX = hotX;
        cursorHotY = hotY;
        cursorWidth = desc.Width;
        cursorHeight = desc.Height;
        cursorPixels.resize(size_t(desc.Width) * desc.Height);
        for (UINT y = 0; y < desc.Height; ++y)
            std::memcpy(&cursorPixels[size_t(y) * desc.Width], static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch,
                        desc.Width * 4);
        bitmap->UnlockRect();
    }
    return real_->SetCursorProperties(hotX, hotY, bitmap);
}

STDMETHODIMP_(void) RecordingDevice::SetCursorPosition(int x, int y, DWORD flags)
{
    calls.push_back(callText("SetCursorPosition", x, y, flags));
    real_->SetCursorPosition(x, y, flags);
}
STDMETHODIMP_(BOOL) RecordingDevice::ShowCursor(BOOL show)
{
    calls.push_back(callText("ShowCursor", show));
    return real_->ShowCursor(show);
}
STDMETHODIMP RecordingDevice::Reset(D3DPRESENT_PARAMETERS* parameters) { FORWARD(Reset, Reset(parameters)); }
STDMETHODIMP RecordingDevice::Present(CONST RECT* source, CONST RECT* dest, HWND window, CONST struct _RGNDATA* dirty)
{
    FORWARD(Present, Present(source, dest, window, dirty));
}
STDMETHODIMP RecordingDevice::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                            IDirect3DSurface9** out)
{
    return real_->GetBackBuffer(swapChain, index, type, out);
}
STDMETHODIMP RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture9** out, HANDLE* shared)
{
    FORWARD(CreateTexture, CreateTexture(width, height, levels, usage, format, pool, out, shared), width, height,
            levels, usage, format, pool);
}
STDMETHODIMP RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** out, HANDLE* shared)
{
    FORWARD(CreateVertexBuffer, CreateVertexBuffer(length, usage, fvf, pool, out, shared), length, usage, fvf, pool);
}
STDMETHODIMP RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** out, HANDLE* shared)
{
    FORWARD(CreateIndexBuffer, CreateIndexBuffer(length, usage, format, pool, out, shared), length, usage, format,
            pool);
}
STDMETHODIMP RecordingDevice::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dest)
{
    return real_->GetRenderTargetData(target, dest);
}
STDMETHODIMP RecordingDevice::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                         IDirect3DSurface9** out, HANDLE* shared)
{
    FORWARD(CreateOffscreenPlainSurface, CreateOffscreenPlainSurface(width, height, format, pool, out, shared), width,
            height, format, pool);
}
STDMETHODIMP RecordingDevice::BeginScene() { FORWARD(BeginScene, BeginScene()); }
STDMETHODIMP RecordingDevice::EndScene() { FORWARD(EndScene, EndScene()); }
STDMETHODIMP RecordingDevice::Clear(DWORD count, CONST D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil)
{
    FORWARD(Clear, Clear(count, rects, flags, color, z, stencil), count, flags);
}
STDMETHODIMP RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix)
{
    FORWARD(SetTransform, SetTransform(state, matrix), state);
}
STDMETHODIMP RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    return real_->GetTransform(state, matrix);
}
STDMETHODIMP RecordingDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, CONST D3DMATRIX* matrix)
{
    FORWARD(MultiplyTransform, MultiplyTransform(state, matrix), state);
}
STDMETHODIMP RecordingDevice::SetViewport(CONST D3DVIEWPORT9* viewport) { FORWARD(SetViewport, SetViewport(viewport)); }
STDMETHODIMP RecordingDevice::GetViewport(D3DVIEWPORT9* viewport) { FORWARD(GetViewport, GetViewport(viewport)); }
STDMETHODIMP RecordingDevice::SetMaterial(CONST D3DMATERIAL9* material)
{
    FORWARD(SetMaterial, SetMaterial(material), material ? material->Diffuse.a : -1.0f);
}
STDMETHODIMP RecordingDevice::GetMaterial(D3DMATERIAL9* material) { return real_->GetMaterial(material); }
STDMETHODIMP RecordingDevice::SetLight(DWORD index, CONST D3DLIGHT9* light) { FORWARD(SetLight, SetLight(index, light), index); }
STDMETHODIMP RecordingDevice::GetLight(DWORD index, D3DLIGHT9* light) { return real_->GetLight(index, light); }
STDMETHODIMP RecordingDevice::LightEnable(DWORD index, BOOL enable)
{
    FORWARD(LightEnable, LightEnable(index, enable), index, enable);
}
STDMETHODIMP RecordingDevice::GetLightEnable(DWORD index, BOOL* enable) { return real_->GetLightEnable(index, enable); }
STDMETHODIMP RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    FORWARD(SetRenderState, SetRenderState(state, value), state, value);
}
STDMETHODIMP RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    return real_->GetRenderState(state, value);
}
STDMETHODIMP RecordingDevice::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out)
{
    FORWARD(CreateStateBlock, CreateStateBlock(type, out), type);
}
STDMETHODIMP RecordingDevice::BeginStateBlock() { FORWARD(BeginStateBlock, BeginStateBlock()); }
STDMETHODIMP RecordingDevice::EndStateBlock(IDirect3DStateBlock9** out) { FORWARD(EndStateBlock, EndStateBlock(out)); }
STDMETHODIMP RecordingDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    return real_->GetTexture(stage, texture);
}
STDMETHODIMP RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    FORWARD(SetTexture, SetTexture(stage, texture), stage, texture);
}
STDMETHODIMP RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    return real_->GetTextureStageState(stage, type, value);
}
STDMETHODIMP RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    FORWARD(SetTextureStageState, SetTextureStageState(stage, type, value), stage, type, value);
}
STDMETHODIMP RecordingDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    return real_->GetSamplerState(sampler, type, value);
}
STDMETHODIMP RecordingDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    FORWARD(SetSamplerState, SetSamplerState(sampler, type, value), sampler, type, value);
}
STDMETHODIMP RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count)
{
    FORWARD(DrawPrimitive, DrawPrimitive(type, start, count), type, start, count);
}
STDMETHODIMP RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT base, UINT minIndex, UINT vertices,
                                                   UINT start, UINT count)
{
    FORWARD(DrawIndexedPrimitive, DrawIndexedPrimitive(type, base, minIndex, vertices, start, count), type, base,
            minIndex, vertices, start, count);
}
STDMETHODIMP RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, CONST void* data, UINT stride)
{
    FORWARD(DrawPrimitiveUP, DrawPrimitiveUP(type, count, data, stride), type, count, stride);
}
STDMETHODIMP RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertices, UINT count,
                                                     CONST void* indices, D3DFORMAT format, CONST void* data,
                                                     UINT stride)
{
    FORWARD(DrawIndexedPrimitiveUP,
            DrawIndexedPrimitiveUP(type, minIndex, vertices, count, indices, format, data, stride), type, count);
}
STDMETHODIMP RecordingDevice::SetFVF(DWORD fvf) { FORWARD(SetFVF, SetFVF(fvf), fvf); }
STDMETHODIMP RecordingDevice::GetFVF(DWORD* fvf) { return real_->GetFVF(fvf); }
STDMETHODIMP RecordingDevice::SetVertexShader(IDirect3DVertexShader9* shader)
{
    FORWARD(SetVertexShader, SetVertexShader(shader), shader);
}
STDMETHODIMP RecordingDevice::GetVertexShader(IDirect3DVertexShader9** shader) { return real_->GetVertexShader(shader); }
STDMETHODIMP RecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* data, UINT offset, UINT stride)
{
    FORWARD(SetStreamSource, SetStreamSource(stream, data, offset, stride), stream, data, offset, stride);
}
STDMETHODIMP RecordingDevice::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** data, UINT* offset, UINT* stride)
{
    return real_->GetStreamSource(stream, data, offset, stride);
}
STDMETHODIMP RecordingDevice::SetIndices(IDirect3DIndexBuffer9* indices) { FORWARD(SetIndices, SetIndices(indices), indices); }
STDMETHODIMP RecordingDevice::GetIndices(IDirect3DIndexBuffer9** indices) { return real_->GetIndices(indices); }
STDMETHODIMP RecordingDevice::SetPixelShader(IDirect3DPixelShader9* shader)
{
    FORWARD(SetPixelShader, SetPixelShader(shader), shader);
}
STDMETHODIMP RecordingDevice::GetPixelShader(IDirect3DPixelShader9** shader) { return real_->GetPixelShader(shader); }
