#include "platform/d3d9/state_block.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/resources_buffers.h"
#include "platform/d3d9/textures.h"

#include <new>

namespace d3d9gl {
namespace {

// The render states of the published pixel-state and vertex-state lists.
const D3DRENDERSTATETYPE kPixelStates[] = {
    D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_ZWRITEENABLE, D3DRS_ALPHATESTENABLE, D3DRS_LASTPIXEL,
    D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_ZFUNC, D3DRS_ALPHAREF, D3DRS_ALPHAFUNC, D3DRS_DITHERENABLE,
    D3DRS_ALPHABLENDENABLE, D3DRS_FOGSTART, D3DRS_FOGEND, D3DRS_FOGDENSITY, D3DRS_STENCILENABLE,
    D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL, D3DRS_STENCILPASS, D3DRS_STENCILFUNC, D3DRS_STENCILREF,
    D3DRS_STENCILMASK, D3DRS_STENCILWRITEMASK, D3DRS_TEXTUREFACTOR, D3DRS_WRAP0, D3DRS_WRAP1, D3DRS_WRAP2,
    D3DRS_WRAP3, D3DRS_WRAP4, D3DRS_WRAP5, D3DRS_WRAP6, D3DRS_WRAP7, D3DRS_COLORWRITEENABLE, D3DRS_BLENDOP,
    D3DRS_SCISSORTESTENABLE, D3DRS_SLOPESCALEDEPTHBIAS, D3DRS_ANTIALIASEDLINEENABLE, D3DRS_TWOSIDEDSTENCILMODE,
    D3DRS_CCW_STENCILFAIL, D3DRS_CCW_STENCILZFAIL, D3DRS_CCW_STENCILPASS, D3DRS_CCW_STENCILFUNC,
    D3DRS_COLORWRITEENABLE1, D3DRS_COLORWRITEENABLE2, D3DRS_COLORWRITEENABLE3, D3DRS_BLENDFACTOR,
    D3DRS_SRGBWRITEENABLE, D3DRS_DEPTHBIAS, D3DRS_SEPARATEALPHABLENDENABLE, D3DRS_SRCBLENDALPHA,
    D3DRS_DESTBLENDALPHA, D3DRS_BLENDOPALPHA,
};
const D3DRENDERSTATETYPE kVertexStates[] = {
    D3DRS_CULLMODE, D3DRS_FOGENABLE, D3DRS_FOGCOLOR, D3DRS_FOGTABLEMODE, D3DRS_FOGSTART, D3DRS_FOGEND,
    D3DRS_FOGDENSITY, D3DRS_RANGEFOGENABLE, D3DRS_AMBIENT, D3DRS_COLORVERTEX, D3DRS_FOGVERTEXMODE, D3DRS_CLIPPING,
    D3DRS_LIGHTING, D3DRS_NORMALIZENORMALS, D3DRS_LOCALVIEWER, D3DRS_EMISSIVEMATERIALSOURCE,
    D3DRS_AMBIENTMATERIALSOURCE, D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE, D3DRS_VERTEXBLEND,
    D3DRS_CLIPPLANEENABLE, D3DRS_POINTSIZE, D3DRS_POINTSIZE_MIN, D3DRS_POINTSPRITEENABLE, D3DRS_POINTSCALEENABLE,
    D3DRS_POINTSCALE_A, D3DRS_POINTSCALE_B, D3DRS_POINTSCALE_C, D3DRS_MULTISAMPLEANTIALIAS,
    D3DRS_MULTISAMPLEMASK, D3DRS_PATCHEDGESTYLE, D3DRS_POINTSIZE_MAX, D3DRS_INDEXEDVERTEXBLENDENABLE,
    D3DRS_TWEENFACTOR, D3DRS_POSITIONDEGREE, D3DRS_NORMALDEGREE, D3DRS_MINTESSELLATIONLEVEL,
    D3DRS_MAXTESSELLATIONLEVEL, D3DRS_ADAPTIVETESS_X, D3DRS_ADAPTIVETESS_Y, D3DRS_ADAPTIVETESS_Z,
    D3DRS_ADAPTIVETESS_W, D3DRS_ENABLEADAPTIVETESSELLATION,
};

}  // namespace

StateBlock::StateBlock(Device* device) : device_(device)
{
    setDefaultState(&state_, false, 1, 1);
    device_->AddRef();
    device_->stateBlockAlive(true);
}

StateBlock::~StateBlock() { device_->releaseBindings(&state_); }

HRESULT StateBlock::QueryInterface(REFIID riid, void** out)
{
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DStateBlock9) {
        *out = static_cast<IDirect3DStateBlock9*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG StateBlock::AddRef() { return ++refs_; }

ULONG StateBlock::Release()
{
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0) {
        Device* device = device_;
        device->stateBlockAlive(false);
        delete this;
        device->Release();
    }
    return left;
}

HRESULT StateBlock::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

void StateBlock::markAll(D3DSTATEBLOCKTYPE type)
{
    const bool pixel = type == D3DSBT_ALL || type == D3DSBT_PIXELSTATE;
    const bool vertex = type == D3DSBT_ALL || type == D3DSBT_VERTEXSTATE;
    if (type == D3DSBT_ALL) {
        for (D3DRENDERSTATETYPE s : kPixelStates) mask_.renderStates.set(s);
        for (D3DRENDERSTATETYPE s : kVertexStates) mask_.renderStates.set(s);
        mask_.transforms.set();
        mask_.textures.set();
        mask_.streams.set();
        mask_.material = mask_.indices = mask_.fvf = mask_.viewport = true;
    } else {
        if (pixel) {
            for (D3DRENDERSTATETYPE s : kPixelStates) mask_.renderStates.set(s);
        } else {
            for (D3DRENDERSTATETYPE s : kVertexStates) mask_.renderStates.set(s);
            mask_.fvf = true;
        }
    }
    for (unsigned stage = 0; stage < kMaxTextureStages; ++stage) {
        for (unsigned t = 1; t < kStageStateCount; ++t) {
            const bool vertexState = t == D3DTSS_TEXCOORDINDEX || t == D3DTSS_TEXTURETRANSFORMFLAGS;
            if ((vertexState && vertex) || (!vertexState && pixel)) mask_.stageStates.set(stage * kStageStateCount + t);
        }
        for (unsigned s = 1; s < kSamplerStateCount; ++s)
            if (pixel || s == D3DSAMP_DMAPOFFSET) mask_.samplerStates.set(stage * kSamplerStateCount + s);
    }
    if (vertex)
        for (const LightSlot& light : device_->state().lights) mask_.markLight(light.index);
}

HRESULT StateBlock::Capture()
{
    if (device_->recording()) return D3DERR_INVALIDCALL;
    const DeviceState& from = device_->state();
    for (unsigned s = 0; s < kRenderStateCount; ++s)
        if (mask_.renderStates[s]) state_.renderStates[s] = from.renderStates[s];
    for (unsigned i = 0; i < kMaxTextureStages * kStageStateCount; ++i)
        if (mask_.stageStates[i])
            state_.stageStates[i / kStageStateCount][i % kStageStateCount] =
                from.stageStates[i / kStageStateCount][i % kStageStateCount];
    for (unsigned i = 0; i < kMaxTextureStages * kSamplerStateCount; ++i)
        if (mask_.samplerStates[i])
            state_.samplerStates[i / kSamplerStateCount][i % kSamplerStateCount] =
                from.samplerStates[i / kSamplerStateCount][i % kSamplerStateCount];
    for (unsigned t = 0; t < kTransformSlots; ++t)
        if (mask_.transforms[t]) state_.transforms[t] = from.transforms[t];
    for (unsigned stage = 0; stage < kMaxTextureStages; ++stage)
        if (mask_.textures[stage]) rebind(state_.textures[stage], from.textures[stage]);
    for (unsigned s = 0; s < kMaxStreams; ++s)
        if (mask_.streams[s]) {
            rebind(state_.streams[s].buffer, from.streams[s].buffer);
            state_.streams[s].offset = from.streams[s].offset;
            state_.streams[s].stride = from.streams[s].stride;
        }
    if (mask_.indices) rebind(state_.indices, from.indices);
    if (mask_.material) state_.material = from.material;
    if (mask_.fvf) state_.fvf = from.fvf;
    if (mask_.viewport) state_.viewport = from.viewport;
    for (DWORD index : mask_.lights) {
        const LightSlot* source = from.findLight(index);
        LightSlot* target = state_.findLight(index);
        if (!source) continue;
        if (target)
            *target = *source;
        else
            state_.lights.push_back(*source);
    }
    return D3D_OK;
}

HRESULT StateBlock::Apply()
{
    if (device_->recording() == this) return D3DERR_INVALIDCALL;
    Device* d = device_;
    for (unsigned s = 0; s < kRenderStateCount; ++s)
        if (mask_.renderStates[s]) d->SetRenderState(D3DRENDERSTATETYPE(s), state_.renderStates[s]);
    for (unsigned i = 0; i < kMaxTextureStages * kStageStateCount; ++i)
        if (mask_.stageStates[i])
            d->SetTextureStageState(i / kStageStateCount, D3DTEXTURESTAGESTATETYPE(i % kStageStateCount),
                                    state_.stageStates[i / kStageStateCount][i % kStageStateCount]);
    for (unsigned i = 0; i < kMaxTextureStages * kSamplerStateCount; ++i)
        if (mask_.samplerStates[i])
            d->SetSamplerState(i / kSamplerStateCount, D3DSAMPLERSTATETYPE(i % kSamplerStateCount),
                               state_.samplerStates[i / kSamplerStateCount][i % kSamplerStateCount]);
    static const D3DTRANSFORMSTATETYPE kTransformTypes[kTransformSlots] = {
        D3DTS_WORLDMATRIX(0), D3DTS_WORLDMATRIX(1), D3DTS_WORLDMATRIX(2), D3DTS_WORLDMATRIX(3),
        D3DTS_VIEW,           D3DTS_PROJECTION,     D3DTS_TEXTURE0,       D3DTS_TEXTURE1,
        D3DTS_TEXTURE2,       D3DTS_TEXTURE3,       D3DTS_TEXTURE4,       D3DTS_TEXTURE5,
        D3DTS_TEXTURE6,       D3DTS_TEXTURE7};
    for (unsigned t = 0; t < kTransformSlots; ++t)
        if (mask_.transforms[t]) d->SetTransform(kTransformTypes[t], &state_.transforms[t]);
    for (unsigned stage = 0; stage < kMaxTextureStages; ++stage)
        if (mask_.textures[stage]) d->SetTexture(stage, state_.textures[stage]);
    for (unsigned s = 0; s < kMaxStreams; ++s)
        if (mask_.streams[s])
            d->SetStreamSource(s, state_.streams[s].buffer, state_.streams[s].offset, state_.streams[s].stride);
    if (mask_.indices) d->SetIndices(state_.indices);
    if (mask_.material) d->SetMaterial(&state_.material);
    if (mask_.fvf) d->SetFVF(state_.fvf);
    if (mask_.viewport) d->SetViewport(&state_.viewport);
    for (DWORD index : mask_.lights) {
        const LightSlot* slot = state_.findLight(index);
        if (!slot) continue;
        d->SetLight(index, &slot->light);
        d->LightEnable(index, slot->enabled);
    }
    return D3D_OK;
}

// ---- device entry points ----

HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (type != D3DSBT_ALL && type != D3DSBT_PIXELSTATE && type != D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
    if (recording_) return D3DERR_INVALIDCALL;
    auto* block = new (std::nothrow) StateBlock(this);
    if (!block) return E_OUTOFMEMORY;
    block->markAll(type);
    block->Capture();
    *out = block;
    return D3D_OK;
}

HRESULT Device::BeginStateBlock()
{
    if (recording_) return D3DERR_INVALIDCALL;
    recording_ = new (std::nothrow) StateBlock(this);
    return recording_ ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT Device::EndStateBlock(IDirect3DStateBlock9** out)
{
    if (!out || !recording_) return D3DERR_INVALIDCALL;
    *out = recording_;
    recording_->handedOut_ = true;
    recording_ = nullptr;
    return D3D_OK;
}

}  // namespace d3d9gl
