#include "platform/d3d9/d3d9_object.h"

#include "platform/core/sdl_video.h"
#include "platform/d3d9/automation.h"
#include "platform/d3d9/adapter_modes.h"
#include "platform/d3d9/caps.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/gl_probe.h"

#include <cstdio>
#include <cstring>

namespace d3d9gl {

HRESULT Direct3D9::QueryInterface(REFIID riid, void** out)
{
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
        *out = static_cast<IDirect3D9*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG Direct3D9::AddRef() { return ++refs_; }

ULONG Direct3D9::Release()
{
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

UINT Direct3D9::GetAdapterCount() { return adapterCount(); }

HRESULT Direct3D9::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id)
{
    if (!id || adapter >= adapterCount()) return D3DERR_INVALIDCALL;
    const GlProbe& gl = glProbe();
    std::memset(id, 0, sizeof *id);
    std::snprintf(id->Driver, sizeof id->Driver, "OpenGL %s", gl.version.c_str());
    std::snprintf(id->Description, sizeof id->Description, "%s",
                  gl.available ? gl.renderer.c_str() : "OpenGL not available");
    std::snprintf(id->DeviceName, sizeof id->DeviceName, "\\\\.\\DISPLAY%u", adapter + 1);
    // A stable identity per renderer, so saved settings find the same device again.
    DWORD hash = 2166136261u;
    for (char c : gl.renderer + gl.vendor) hash = (hash ^ DWORD(BYTE(c))) * 16777619u;
    id->DeviceIdentifier.Data1 = hash;
    id->DeviceIdentifier.Data2 = WORD(adapter);
    id->DeviceId = hash & 0xffff;
    id->WHQLLevel = 0;
    return D3D_OK;
}

UINT Direct3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    return UINT(adapterModes(adapter, format).size());
}

HRESULT Direct3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out)
{
    if (!out || adapter >= adapterCount()) return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE> modes = adapterModes(adapter, format);
    if (modes.empty()) return D3DERR_NOTAVAILABLE;
    if (mode >= modes.size()) return D3DERR_INVALIDCALL;
    *out = modes[mode];
    return D3D_OK;
}

HRESULT Direct3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (!mode || !desktopMode(adapter, mode)) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Direct3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT backBufferFormat, BOOL windowed)
{
    return checkDeviceType(adapter, type, adapterFormat, backBufferFormat, windowed);
}

HRESULT Direct3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    return checkDeviceFormat(adapter, type, adapterFormat, usage, resourceType, checkFormat);
}

HRESULT Direct3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels)
{
    return checkMultiSampleType(adapter, type, surfaceFormat, multiSample, qualityLevels);
}

HRESULT Direct3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    return checkDepthStencilMatch(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat);
}

HRESULT Direct3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    return fillCaps(adapter, type, caps);
}

HRESULT Direct3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device)
{
    return Device::create(this, adapter, type, focusWindow, behaviorFlags, parameters, device);
}

}  // namespace d3d9gl

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion)
{
    // 31 is this header's value, 32 the later runtime's; both describe these interfaces.
    if (sdkVersion != D3D_SDK_VERSION && sdkVersion != 32) return nullptr;
    if (d3d9gl::automation::takeInjectedFailure(d3d9gl::automation::Call::Direct3DCreate, nullptr)) return nullptr;
    if (!platform::ensureSdlVideo()) return nullptr;
    return new d3d9gl::Direct3D9;
}
