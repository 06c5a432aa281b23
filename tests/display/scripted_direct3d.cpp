#include "tests/display/scripted_direct3d.h"

#include <cstring>

D3DCAPS9 capableCaps()
{
    D3DCAPS9 caps = {};
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_TWO |
                                 D3DPRESENT_INTERVAL_THREE | D3DPRESENT_INTERVAL_FOUR;
    return caps;
}

D3DDISPLAYMODE displayMode(UINT width, UINT height, UINT refreshRate, D3DFORMAT format)
{
    D3DDISPLAYMODE mode = {};
    mode.Width = width;
    mode.Height = height;
    mode.RefreshRate = refreshRate;
    mode.Format = format;
    return mode;
}

std::vector<std::string> ScriptedDirect3D::callsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> matching;
    for (const std::string& call : calls)
        if (call.compare(0, prefix.size(), prefix) == 0) matching.push_back(call);
    return matching;
}

void ScriptedDirect3D::record(const char* name, std::initializer_list<unsigned long long> arguments,
                              const char* last)
{
    std::string text = name;
    text += '(';
    bool first = true;
    for (unsigned long long argument : arguments) {
        if (!first) text += ',';
        text += std::to_string(argument);
        first = false;
    }
    if (last != nullptr) {
        if (!first) text += ',';
        text += last;
    }
    text += ')';
    calls.push_back(text);
}

const ScriptedAdapter* ScriptedDirect3D::adapterAt(UINT ordinal) const
{
    return ordinal < adapters.size() ? &adapters[ordinal] : nullptr;
}

STDMETHODIMP ScriptedDirect3D::QueryInterface(REFIID, void** object)
{
    record("QueryInterface", {});
    if (object != nullptr) *object = nullptr;
    return E_FAIL;  // no other interface is offered
}

STDMETHODIMP_(ULONG) ScriptedDirect3D::AddRef()
{
    return 1;
}

STDMETHODIMP_(ULONG) ScriptedDirect3D::Release()
{
    return 1;
}

STDMETHODIMP ScriptedDirect3D::RegisterSoftwareDevice(void*)
{
    record("RegisterSoftwareDevice", {});
    return D3DERR_INVALIDCALL;
}

STDMETHODIMP_(UINT) ScriptedDirect3D::GetAdapterCount()
{
    record("GetAdapterCount", {});
    return static_cast<UINT>(adapters.size());
}

STDMETHODIMP ScriptedDirect3D::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier)
{
    record("GetAdapterIdentifier", {adapter, flags});
    const ScriptedAdapter* scripted = adapterAt(adapter);
    if (scripted == nullptr || identifier == nullptr) return D3DERR_INVALIDCALL;
    std::memset(identifier, 0, sizeof *identifier);
    std::strncpy(identifier->Description, scripted->description.c_str(), sizeof identifier->Description - 1);
    return D3D_OK;
}

STDMETHODIMP_(UINT) ScriptedDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    record("GetAdapterModeCount", {adapter, UINT(format)});
    const ScriptedAdapter* scripted = adapterAt(adapter);
    if (scripted == nullptr) return 0;
    UINT count = 0;
    for (const D3DDISPLAYMODE& mode : scripted->modes) count += mode.Format == format ? 1 : 0;
    return count;
}

STDMETHODIMP ScriptedDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* result)
{
    record("EnumAdapterModes", {adapter, UINT(format), index});
    const ScriptedAdapter* scripted = adapterAt(adapter);
    if (scripted == nullptr || result == nullptr || scripted->unreadableModes.count({format, index}) > 0)
        return D3DERR_INVALIDCALL;
    UINT seen = 0;
    for (const D3DDISPLAYMODE& mode : scripted->modes) {
        if (mode.Format != format) continue;
        if (seen++ == index) {
            *result = mode;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

STDMETHODIMP ScriptedDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    record("GetAdapterDisplayMode", {adapter});
    const ScriptedAdapter* scripted = adapterAt(adapter);
    if (!scripted || !mode || scripted->desktopMode.Format == D3DFMT_UNKNOWN) return D3DERR_INVALIDCALL;
    *mode = scripted->desktopMode;
    return D3D_OK;
}

STDMETHODIMP ScriptedDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                               D3DFORMAT backBufferFormat, BOOL windowed)
{
    record("CheckDeviceType", {adapter, UINT(type), UINT(adapterFormat), UINT(backBufferFormat), UINT(windowed)});
    return deviceTypeOk(adapter, type, adapterFormat, backBufferFormat, windowed != FALSE) ? D3D_OK
                                                                                          : D3DERR_NOTAVAILABLE;
}

STDMETHODIMP ScriptedDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                 D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    record("CheckDeviceFormat",
           {adapter, UINT(type), UINT(adapterFormat), usage, UINT(resourceType), UINT(checkFormat)});
    if (usage != D3DUSAGE_DEPTHSTENCIL || resourceType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
    return depthFormatOk(adapter, type, adapterFormat, checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

STDMETHODIMP ScriptedDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                                          BOOL windowed, D3DMULTISAMPLE_TYPE multisampleType,
                                                          DWORD* qualityLevels)
{
    record("CheckDeviceMultiSampleType",
           {adapter, UINT(type), UINT(surfaceFormat), UINT(windowed), UINT(multisampleType)},
           qualityLevels != nullptr ? "q" : "null");
    const DWORD levels = multisampleQualities(adapter, type, surfaceFormat, windowed != FALSE, multisampleType);
    if (levels == 0) return D3DERR_NOTAVAILABLE;
    if (qualityLevels != nullptr) *qualityLevels = levels;
    return D3D_OK;
}

STDMETHODIMP ScriptedDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                      D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    record("CheckDepthStencilMatch",
           {adapter, UINT(type), UINT(adapterFormat), UINT(renderTargetFormat), UINT(depthStencilFormat)});
    return depthMatchOk(adapter, type, adapterFormat, renderTargetFormat, depthStencilFormat) ? D3D_OK
                                                                                             : D3DERR_NOTAVAILABLE;
}

STDMETHODIMP ScriptedDirect3D::CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT)
{
    record("CheckDeviceFormatConversion", {adapter, UINT(type)});
    return D3DERR_NOTAVAILABLE;
}

STDMETHODIMP ScriptedDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    record("GetDeviceCaps", {adapter, UINT(type)});
    const ScriptedAdapter* scripted = adapterAt(adapter);
    if (scripted == nullptr || caps == nullptr) return D3DERR_INVALIDCALL;
    for (const auto& entry : scripted->caps) {
        if (entry.first != type) continue;
        *caps = entry.second;
        return D3D_OK;
    }
    return D3DERR_NOTAVAILABLE;
}

STDMETHODIMP_(HMONITOR__*) ScriptedDirect3D::GetAdapterMonitor(UINT adapter)
{
    record("GetAdapterMonitor", {adapter});
    return nullptr;
}

STDMETHODIMP ScriptedDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                            IDirect3DDevice9** device)
{
    record("CreateDevice", {adapter, UINT(type)});
    if (device != nullptr) *device = nullptr;
    return D3DERR_NOTAVAILABLE;
}
