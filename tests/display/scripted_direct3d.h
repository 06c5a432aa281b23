// A Direct3D 9 interface for the enumeration tests: it answers from the
// tables and rules a test sets, and records every call in order as text such
// as "CheckDeviceType(0,1,22,21,1)" (arguments as numbers, a quality
// out-pointer as q or null). It is a plain object on the test's stack;
// reference counting is a no-op. Defaults: no adapters; every format check
// succeeds; only D3DMULTISAMPLE_NONE is supported, with 1 quality level.
#pragma once

#include <d3d9.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct ScriptedAdapter {
    std::string description;
    // Reported per format in this order; GetAdapterModeCount counts a format's share.
    std::vector<D3DDISPLAYMODE> modes;
    // (format, index) pairs that EnumAdapterModes refuses.
    std::set<std::pair<D3DFORMAT, UINT>> unreadableModes;
    // Device types whose caps can be read, with those caps.
    std::vector<std::pair<D3DDEVTYPE, D3DCAPS9>> caps;
    // What GetAdapterDisplayMode reports; a Format of D3DFMT_UNKNOWN refuses the call.
    D3DDISPLAYMODE desktopMode = {};
};

// Caps of a capable hardware device: transform and lighting, pure device,
// and every present interval.
D3DCAPS9 capableCaps();
D3DDISPLAYMODE displayMode(UINT width, UINT height, UINT refreshRate, D3DFORMAT format);

// The one struct name the published header's monitor handle stands for;
// the Linux layer has no monitors and no such type.
struct HMONITOR__;

class ScriptedDirect3D : public IDirect3D9 {
public:
    std::vector<ScriptedAdapter> adapters;
    std::function<bool(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBuffer, bool windowed)>
        deviceTypeOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, bool) { return true; };
    std::function<bool(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT depthStencil)>
        depthFormatOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) { return true; };
    std::function<bool(UINT adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, D3DFORMAT backBuffer,
                       D3DFORMAT depthStencil)>
        depthMatchOk = [](UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) { return true; };
    // Returns the quality-level count when the type is supported, 0 when refused.
    std::function<DWORD(UINT adapter, D3DDEVTYPE, D3DFORMAT surface, bool windowed, D3DMULTISAMPLE_TYPE)>
        multisampleQualities = [](UINT, D3DDEVTYPE, D3DFORMAT, bool, D3DMULTISAMPLE_TYPE type) {
            return type == D3DMULTISAMPLE_NONE ? DWORD(1) : DWORD(0);
        };

    std::vector<std::string> calls;
    // The recorded calls whose text starts with `prefix`, in order.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** object);
    STDMETHOD_(ULONG, AddRef)();
    STDMETHOD_(ULONG, Release)();

    // IDirect3D9
    STDMETHOD(RegisterSoftwareDevice)(void* initializeFunction);
    STDMETHOD_(UINT, GetAdapterCount)();
    STDMETHOD(GetAdapterIdentifier)(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier);
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT adapter, D3DFORMAT format);
    STDMETHOD(EnumAdapterModes)(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* result);
    STDMETHOD(GetAdapterDisplayMode)(UINT adapter, D3DDISPLAYMODE* mode);
    STDMETHOD(CheckDeviceType)(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                               BOOL windowed);
    STDMETHOD(CheckDeviceFormat)(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                 D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
    STDMETHOD(CheckDeviceMultiSampleType)(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL windowed,
                                          D3DMULTISAMPLE_TYPE multisampleType, DWORD* qualityLevels);
    STDMETHOD(CheckDepthStencilMatch)(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                      D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat);
    STDMETHOD(CheckDeviceFormatConversion)(UINT adapter, D3DDEVTYPE type, D3DFORMAT source, D3DFORMAT target);
    STDMETHOD(GetDeviceCaps)(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps);
    STDMETHOD_(HMONITOR__*, GetAdapterMonitor)(UINT adapter);
    STDMETHOD(CreateDevice)(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                            D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** device);

private:
    void record(const char* name, std::initializer_list<unsigned long long> arguments, const char* last = nullptr);
    const ScriptedAdapter* adapterAt(UINT ordinal) const;
};
