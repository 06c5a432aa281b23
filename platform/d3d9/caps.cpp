#include "platform/d3d9/caps.h"

#include "platform/d3d9/adapter_modes.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/gl_probe.h"

#include <cstring>

namespace d3d9gl {
namespace {

HRESULT validate(unsigned adapter, D3DDEVTYPE type)
{
    if (adapter >= adapterCount()) return D3DERR_INVALIDCALL;
    if (!deviceTypeOffered(type)) return D3DERR_INVALIDCALL;
    if (!glProbe().available) return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

// Back-buffer formats that may sit on each display format.
bool backBufferMatches(D3DFORMAT display, D3DFORMAT backBuffer)
{
    switch (display) {
    case D3DFMT_X8R8G8B8:
        return backBuffer == D3DFMT_X8R8G8B8 || backBuffer == D3DFMT_A8R8G8B8;
    case D3DFMT_R5G6B5:
        return backBuffer == D3DFMT_R5G6B5;
    case D3DFMT_X1R5G5B5:
        return backBuffer == D3DFMT_X1R5G5B5 || backBuffer == D3DFMT_A1R5G5B5;
    case D3DFMT_A2R10G10B10:
        return backBuffer == D3DFMT_A2R10G10B10;
    default:
        return false;
    }
}

}  // namespace

bool deviceTypeOffered(D3DDEVTYPE type) { return type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF; }

int glSampleCount(D3DMULTISAMPLE_TYPE type, DWORD quality)
{
    const int max = glProbe().maxSamples;
    if (type == D3DMULTISAMPLE_NONE) return quality == 0 ? 0 : -1;
    if (type == D3DMULTISAMPLE_NONMASKABLE) {
        // Quality q is 2^(q+1) samples.
        const int samples = 2 << quality;
        return quality < 5 && samples <= max ? samples : -1;
    }
    const int samples = int(type);
    const bool power = (samples & (samples - 1)) == 0;
    return quality == 0 && power && samples >= 2 && samples <= max ? samples : -1;
}

HRESULT fillCaps(unsigned adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (!caps) return D3DERR_INVALIDCALL;
    const HRESULT valid = validate(adapter, type);
    if (FAILED(valid)) return valid;
    const GlProbe& gl = glProbe();
    std::memset(caps, 0, sizeof *caps);
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    caps->Caps2 = D3DCAPS2_DYNAMICTEXTURES | D3DCAPS2_CANMANAGERESOURCE | D3DCAPS2_FULLSCREENGAMMA;
    caps->Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD | D3DCAPS3_COPY_TO_VIDMEM | D3DCAPS3_COPY_TO_SYSTEMMEM;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps->CursorCaps = D3DCURSORCAPS_COLOR;
    caps->DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                    D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                    D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                    D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION |
                    D3DDEVCAPS_PUREDEVICE;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                              D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_CLIPTLVERTS |
                              D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_SEPARATEALPHABLEND;
    caps->RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX |
                       D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_FOGRANGE |
                       D3DPRASTERCAPS_ZFOG | D3DPRASTERCAPS_COLORPERSPECTIVE;
    const DWORD allCompare = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL | D3DPCMPCAPS_LESSEQUAL |
                             D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL | D3DPCMPCAPS_GREATEREQUAL |
                             D3DPCMPCAPS_ALWAYS;
    caps->ZCmpCaps = allCompare;
    caps->AlphaCmpCaps = allCompare;
    const DWORD blends = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR |
                         D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA |
                         D3DPBLENDCAPS_INVDESTALPHA | D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR |
                         D3DPBLENDCAPS_SRCALPHASAT | D3DPBLENDCAPS_BOTHSRCALPHA | D3DPBLENDCAPS_BOTHINVSRCALPHA |
                         D3DPBLENDCAPS_BLENDFACTOR;
    caps->SrcBlendCaps = blends;
    caps->DestBlendCaps = blends;
    caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                      D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_PROJECTED |
                        D3DPTEXTURECAPS_MIPMAP;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                              D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                               D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV |
                               D3DPTADDRESSCAPS_MIRRORONCE;
    caps->LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP |
                     D3DLINECAPS_FOG;
    caps->MaxTextureWidth = DWORD(gl.maxTextureSize);
    caps->MaxTextureHeight = DWORD(gl.maxTextureSize);
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = DWORD(gl.maxTextureSize);
    caps->MaxAnisotropy = 1;
    caps->MaxVertexW = 1e10f;
    caps->GuardBandLeft = -32768.f;
    caps->GuardBandTop = -32768.f;
    caps->GuardBandRight = 32768.f;
    caps->GuardBandBottom = 32768.f;
    caps->StencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE | D3DSTENCILCAPS_INCRSAT |
                        D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INVERT | D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR;
    caps->FVFCaps = 8;  // texture coordinate sets
    caps->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                          D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X |
                          D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X |
                          D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
                          D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA |
                          D3DTEXOPCAPS_BLENDTEXTUREALPHAPM | D3DTEXOPCAPS_BLENDCURRENTALPHA |
                          D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA |
                          D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA |
                          D3DTEXOPCAPS_DOTPRODUCT3 | D3DTEXOPCAPS_MULTIPLYADD | D3DTEXOPCAPS_LERP;
    caps->MaxTextureBlendStages = kMaxTextureStages;
    caps->MaxSimultaneousTextures = kMaxSimultaneousTextures;
    caps->VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                                 D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    caps->MaxActiveLights = kMaxActiveLights;
    caps->MaxUserClipPlanes = 0;
    caps->MaxVertexBlendMatrices = kMaxBlendMatrices;
    caps->MaxVertexBlendMatrixIndex = 0;
    caps->MaxPointSize = 1.f;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = kMaxStreams;
    caps->MaxStreamStride = 255;
    // Shaders are not offered: the fixed-function pipeline is the whole device.
    caps->VertexShaderVersion = D3DVS_VERSION(0, 0);
    caps->PixelShaderVersion = D3DPS_VERSION(0, 0);
    caps->MasterAdapterOrdinal = adapter;
    caps->AdapterOrdinalInGroup = 0;
    caps->NumberOfAdaptersInGroup = 1;
    caps->NumSimultaneousRTs = 1;
    return D3D_OK;
}

HRESULT checkDeviceType(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                        BOOL windowed)
{
    if (adapter >= adapterCount()) return D3DERR_INVALIDCALL;
    if (!deviceTypeOffered(type) || !glProbe().available) return D3DERR_NOTAVAILABLE;
    if (!isDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    if (windowed) {
        // A window shows on the desktop, whose format is fixed.
        D3DDISPLAYMODE desktop;
        if (!desktopMode(adapter, &desktop) || desktop.Format != adapterFormat) return D3DERR_NOTAVAILABLE;
        if (adapterFormat == D3DFMT_A2R10G10B10) return D3DERR_NOTAVAILABLE;
        if (backBufferFormat == D3DFMT_UNKNOWN) return D3D_OK;
    } else if (adapterModes(adapter, adapterFormat).empty()) {
        return D3DERR_NOTAVAILABLE;
    }
    return backBufferMatches(adapterFormat, backBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT checkDeviceFormat(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                          D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    const HRESULT valid = validate(adapter, type);
    if (FAILED(valid)) return valid;
    if (!isDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    switch (resourceType) {
    case D3DRTYPE_SURFACE:
    case D3DRTYPE_TEXTURE: {
        if (usage & D3DUSAGE_DEPTHSTENCIL)
            return depthFormat(checkFormat) && depthFormatRenderable(checkFormat) && resourceType == D3DRTYPE_SURFACE
                       ? D3D_OK
                       : D3DERR_NOTAVAILABLE;
        const FormatInfo* info = colorFormat(checkFormat);
        if (!info) return D3DERR_NOTAVAILABLE;
        if ((usage & D3DUSAGE_RENDERTARGET) && !info->renderTarget) return D3DERR_NOTAVAILABLE;
        if (usage & (D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_SRGBWRITE |
                     D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_DMAP))
            return D3DERR_NOTAVAILABLE;
        return D3D_OK;
    }
    case D3DRTYPE_VERTEXBUFFER:
        return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
        return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default:
        return D3DERR_NOTAVAILABLE;
    }
}

HRESULT checkMultiSampleType(unsigned adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                             D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels)
{
    const HRESULT valid = validate(adapter, type);
    if (FAILED(valid)) return valid;
    if (unsigned(multiSample) > D3DMULTISAMPLE_16_SAMPLES) return D3DERR_INVALIDCALL;
    const FormatInfo* color = colorFormat(surfaceFormat);
    const bool surfaceOk = (color && color->renderTarget) || (depthFormat(surfaceFormat) && depthFormatRenderable(surfaceFormat));
    if (!surfaceOk) return D3DERR_NOTAVAILABLE;
    DWORD levels = 0;
    if (multiSample == D3DMULTISAMPLE_NONMASKABLE) {
        while (glSampleCount(multiSample, levels) > 0) ++levels;
    } else {
        levels = glSampleCount(multiSample, 0) >= 0 ? 1 : 0;
    }
    if (qualityLevels) *qualityLevels = levels;
    return levels > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT checkDepthStencilMatch(unsigned adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                               D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    const HRESULT valid = validate(adapter, type);
    if (FAILED(valid)) return valid;
    if (!isDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    const FormatInfo* color = colorFormat(renderTargetFormat);
    if (!color || !color->renderTarget) return D3DERR_NOTAVAILABLE;
    return depthFormat(depthStencilFormat) && depthFormatRenderable(depthStencilFormat) ? D3D_OK
                                                                                      : D3DERR_NOTAVAILABLE;
}

}  // namespace d3d9gl
