// The capabilities and format answers of the HAL and REF devices, from what
// the OpenGL context can do (gl_probe.h). Used by IDirect3D9 and by the
// device's GetDeviceCaps; each check returns D3D_OK, D3DERR_NOTAVAILABLE for
// an unsupported combination or D3DERR_INVALIDCALL for bad arguments.
#pragma once

#include <d3d9.h>

namespace d3d9gl {

// HAL and REF are offered; SW is not.
bool deviceTypeOffered(D3DDEVTYPE type);
HRESULT fillCaps(unsigned adapter, D3DDEVTYPE type, D3DCAPS9* caps);

HRESULT checkDeviceType(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                        BOOL windowed);
HRESULT checkDeviceFormat(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                          D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
HRESULT checkMultiSampleType(unsigned adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                             D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels);
HRESULT checkDepthStencilMatch(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                               D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat);

// GL sample count for a multisample type and quality; 0 for none, -1 when unsupported.
int glSampleCount(D3DMULTISAMPLE_TYPE type, DWORD quality);

constexpr unsigned kMaxActiveLights = 8;
constexpr unsigned kMaxTextureStages = 8;
constexpr unsigned kMaxSimultaneousTextures = 8;
constexpr unsigned kMaxStreams = 16;
constexpr unsigned kMaxBlendMatrices = 4;

}  // namespace d3d9gl
