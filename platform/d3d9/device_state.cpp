// Device state: the published defaults, and the Set/Get calls. Between
// BeginStateBlock and EndStateBlock the Set calls go into the block being
// recorded and leave the device's own state alone.
#include "platform/d3d9/device.h"
#include "platform/d3d9/resources_buffers.h"
#include "platform/d3d9/state_block.h"
#include "platform/d3d9/textures.h"

#include <algorithm>
#include <cstring>

namespace d3d9gl {
namespace {

DWORD floatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DMATRIX identity()
{
    D3DMATRIX m = {};
    m._11 = m._22 = m._33 = m._44 = 1.f;
    return m;
}

// States whose value selects the generated shaders.
bool selectsShader(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_LIGHTING: case D3DRS_SPECULARENABLE: case D3DRS_LOCALVIEWER: case D3DRS_NORMALIZENORMALS:
    case D3DRS_COLORVERTEX: case D3DRS_DIFFUSEMATERIALSOURCE: case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE: case D3DRS_EMISSIVEMATERIALSOURCE: case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC: case D3DRS_FOGENABLE: case D3DRS_FOGTABLEMODE: case D3DRS_FOGVERTEXMODE:
    case D3DRS_RANGEFOGENABLE: case D3DRS_SHADEMODE: case D3DRS_VERTEXBLEND:
        return true;
    default:
        return false;
    }
}

// States read as uniforms.
bool feedsUniform(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ALPHAREF: case D3DRS_TEXTUREFACTOR: case D3DRS_FOGCOLOR: case D3DRS_FOGSTART: case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
        return true;
    default:
        return false;
    }
}

}  // namespace

int transformSlot(D3DTRANSFORMSTATETYPE type)
{
    const unsigned t = unsigned(type);
    if (t == D3DTS_VIEW) return kViewSlot;
    if (t == D3DTS_PROJECTION) return kProjectionSlot;
    if (t >= D3DTS_TEXTURE0 && t <= D3DTS_TEXTURE7) return int(kTextureSlot + (t - D3DTS_TEXTURE0));
    if (t >= 256 && t < 256 + kMaxBlendMatrices) return int(kWorldSlot + (t - 256));
    return -1;
}

LightSlot* DeviceState::findLight(DWORD index)
{
    for (LightSlot& slot : lights)
        if (slot.index == index) return &slot;
    return nullptr;
}

const LightSlot* DeviceState::findLight(DWORD index) const
{
    for (const LightSlot& slot : lights)
        if (slot.index == index) return &slot;
    return nullptr;
}

void StateMask::markLight(DWORD index)
{
    if (std::find(lights.begin(), lights.end(), index) == lights.end()) lights.push_back(index);
}

D3DLIGHT9 defaultLight()
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.f, 1.f, 1.f, 0.f};
    light.Direction = {0.f, 0.f, 1.f};
    return light;
}

void setDefaultState(DeviceState* s, bool autoDepthStencil, UINT width, UINT height)
{
    DWORD* rs = s->renderStates;
    std::fill(rs, rs + kRenderStateCount, 0u);
    rs[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = floatBits(0.f);
    rs[D3DRS_FOGEND] = floatBits(1.f);
    rs[D3DRS_FOGDENSITY] = floatBits(1.f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
    rs[D3DRS_TEXTUREFACTOR] = 0xffffffffu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_POINTSIZE] = floatBits(1.f);
    rs[D3DRS_POINTSIZE_MIN] = floatBits(1.f);
    rs[D3DRS_POINTSCALE_A] = floatBits(1.f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xffffffffu;
    rs[D3DRS_DEBUGMONITORTOKEN] = 0xbaadcafeu;
    rs[D3DRS_POINTSIZE_MAX] = floatBits(64.f);
    rs[D3DRS_COLORWRITEENABLE] = rs[D3DRS_COLORWRITEENABLE1] = rs[D3DRS_COLORWRITEENABLE2] =
        rs[D3DRS_COLORWRITEENABLE3] = 0x0f;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3;  // cubic
    rs[D3DRS_NORMALDEGREE] = 1;    // linear
    rs[D3DRS_MINTESSELLATIONLEVEL] = rs[D3DRS_MAXTESSELLATIONLEVEL] = floatBits(1.f);
    rs[D3DRS_ADAPTIVETESS_Z] = rs[D3DRS_ADAPTIVETESS_W] = floatBits(1.f);
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_BLENDFACTOR] = 0xffffffffu;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (unsigned stage = 0; stage < kMaxTextureStages; ++stage) {
        DWORD* ts = s->stageStates[stage];
        std::fill(ts, ts + kStageStateCount, 0u);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;

        DWORD* ss = s->samplerStates[stage];
        std::fill(ss, ss + kSamplerStateCount, 0u);
        ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
    for (D3DMATRIX& m : s->transforms) m = identity();
    s->material = {};
    s->lights.clear();
    s->fvf = 0;
    s->viewport = {0, 0, width, height, 0.f, 1.f};
}

// ---- render states ----

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (unsigned(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->state_.renderStates[state] = value;
        recording_->mask_.renderStates.set(state);
        return D3D_OK;
    }
    DWORD& slot = state_.renderStates[state];
    if (slot == value) return D3D_OK;
    slot = value;
    if (selectsShader(state)) keyDirty_ = true;
    if (feedsUniform(state)) ++miscVersion_;
    if (state == D3DRS_AMBIENT) ++materialVersion_;
    dirty_ |= kDirtyRaster;
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || unsigned(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
    *value = state_.renderStates[state];
    return D3D_OK;
}

// ---- texture stages and samplers ----

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= kMaxTextureStages || unsigned(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->state_.stageStates[stage][type] = value;
        recording_->mask_.stageStates.set(stage * kStageStateCount + type);
        return D3D_OK;
    }
    DWORD& slot = state_.stageStates[stage][type];
    if (slot == value) return D3D_OK;
    slot = value;
    keyDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= kMaxTextureStages || unsigned(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
    *value = state_.stageStates[stage][type];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (sampler >= kMaxTextureStages || unsigned(type) >= kSamplerStateCount) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->state_.samplerStates[sampler][type] = value;
        recording_->mask_.samplerStates.set(sampler * kSamplerStateCount + type);
        return D3D_OK;
    }
    DWORD& slot = state_.samplerStates[sampler][type];
    if (slot == value) return D3D_OK;
    slot = value;
    dirtySamplers_ |= 1u << sampler;
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (!value || sampler >= kMaxTextureStages || unsigned(type) >= kSamplerStateCount) return D3DERR_INVALIDCALL;
    *value = state_.samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
    Texture* ours = static_cast<Texture*>(texture);
    if (ours && ours->device() != this) return D3DERR_INVALIDCALL;
    // System-memory textures cannot be sampled.
    if (ours && (ours->pool() == D3DPOOL_SYSTEMMEM || ours->pool() == D3DPOOL_SCRATCH)) return D3DERR_INVALIDCALL;
    if (recording_) {
        rebind(recording_->state_.textures[stage], ours);
        recording_->mask_.textures.set(stage);
        return D3D_OK;
    }
    if (state_.textures[stage] == ours) return D3D_OK;
    // Bound and unbound stages need different shaders.
    if (!state_.textures[stage] || !ours) keyDirty_ = true;
    rebind(state_.textures[stage], ours);
    dirty_ |= kDirtyTextures;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** out)
{
    if (!out || stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
    *out = state_.textures[stage];
    if (*out) (*out)->AddRef();
    return D3D_OK;
}

// ---- transforms, viewport, material, lights ----

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    const int slot = transformSlot(type);
    if (slot < 0) return D3D_OK;  // a world matrix beyond the blend matrices this device uses
    if (recording_) {
        recording_->state_.transforms[slot] = *matrix;
        recording_->mask_.transforms.set(slot);
        return D3D_OK;
    }
    D3DMATRIX& current = state_.transforms[slot];
    if (std::memcmp(&current, matrix, sizeof current) == 0) return D3D_OK;
    current = *matrix;
    if (unsigned(slot) >= kTextureSlot) {
        ++miscVersion_;
    } else if (slot == int(kProjectionSlot)) {
        ++projectionVersion_;
    } else {
        ++transformVersion_;
        derivedTransformsStale_ = true;
        if (slot == int(kViewSlot)) {
            derivedLightsStale_ = true;
            ++lightsVersion_;
        }
    }
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    const int slot = transformSlot(type);
    if (slot < 0) {
        *matrix = identity();
        return D3D_OK;
    }
    *matrix = state_.transforms[slot];
    return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    D3DMATRIX current;
    GetTransform(type, &current);
    // Direct3D multiplies the new matrix on the left: M' = M * current.
    D3DMATRIX product = {};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) product.m[r][c] += matrix->m[r][k] * current.m[k][c];
    return SetTransform(type, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    const UINT width = parameters_.BackBufferWidth, height = parameters_.BackBufferHeight;
    if (viewport->Width == 0 || viewport->Height == 0 || viewport->X + viewport->Width > width ||
        viewport->Y + viewport->Height > height || viewport->MinZ < 0.f || viewport->MaxZ > 1.f)
        return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->state_.viewport = *viewport;
        recording_->mask_.viewport = true;
        return D3D_OK;
    }
    if (std::memcmp(&state_.viewport, viewport, sizeof *viewport) == 0) return D3D_OK;
    state_.viewport = *viewport;
    dirty_ |= kDirtyViewport;
    ++miscVersion_;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = state_.viewport;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material)
{
    if (!material) return D3DERR_INVALIDCALL;
    if (recording_) {
        recording_->state_.material = *material;
        recording_->mask_.material = true;
        return D3D_OK;
    }
    // Meshes set their material subset by subset, mostly to the one already set.
    if (std::memcmp(&state_.material, material, sizeof *material) == 0) return D3D_OK;
    state_.material = *material;
    ++materialVersion_;
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material)
{
    if (!material) return D3DERR_INVALIDCALL;
    *material = state_.material;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light)
{
    if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (light->Type != D3DLIGHT_DIRECTIONAL && light->Range < 0.f) return D3DERR_INVALIDCALL;
    DeviceState& target = recording_ ? recording_->state_ : state_;
    if (recording_) recording_->mask_.markLight(index);
    bool typeChanged = true;
    if (LightSlot* slot = target.findLight(index)) {
        if (!recording_ && std::memcmp(&slot->light, light, sizeof *light) == 0) return D3D_OK;
        typeChanged = slot->light.Type != light->Type;
        slot->light = *light;
    } else {
        target.lights.push_back({index, *light, false});
    }
    if (!recording_) {
        ++lightsVersion_;
        derivedLightsStale_ = true;
        // The shaders depend on the types of the lights, not their values.
        if (typeChanged) keyDirty_ = true;
    }
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light)
{
    const LightSlot* slot = state_.findLight(index);
    if (!light || !slot) return D3DERR_INVALIDCALL;
    *light = slot->light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable)
{
    DeviceState& target = recording_ ? recording_->state_ : state_;
    if (recording_) recording_->mask_.markLight(index);
    LightSlot* slot = target.findLight(index);
    if (!slot) {
        // Enabling a light that was never set gives it the default parameters.
        const LightSlot* current = recording_ ? state_.findLight(index) : nullptr;
        target.lights.push_back({index, current ? current->light : defaultLight(), false});
        slot = &target.lights.back();
    }
    if ((slot->enabled != (enable != FALSE)) && !recording_) {
        ++lightsVersion_;
        derivedLightsStale_ = true;
        keyDirty_ = true;
    }
    slot->enabled = enable != FALSE;
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable)
{
    const LightSlot* slot = state_.findLight(index);
    if (!enable || !slot) return D3DERR_INVALIDCALL;
    // Direct3D 9 reports an enabled light as 128, not 1.
    *enable = slot->enabled ? 128 : FALSE;
    return D3D_OK;
}

// ---- vertex input ----

HRESULT Device::SetFVF(DWORD fvf)
{
    if (recording_) {
        recording_->state_.fvf = fvf;
        recording_->mask_.fvf = true;
        return D3D_OK;
    }
    if (state_.fvf == fvf) return D3D_OK;
    state_.fvf = fvf;
    keyDirty_ = true;
    dirty_ |= kDirtyVertexInput;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf)
{
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = state_.fvf;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader)
{
    // Only the fixed-function pipeline exists; null selects it.
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader)
{
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader) { return shader ? D3DERR_INVALIDCALL : D3D_OK; }

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader)
{
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (stream >= kMaxStreams) return D3DERR_INVALIDCALL;
    VertexBuffer* ours = static_cast<VertexBuffer*>(buffer);
    if (ours && ours->device() != this) return D3DERR_INVALIDCALL;
    StreamBinding& target = recording_ ? recording_->state_.streams[stream] : state_.streams[stream];
    if (recording_) recording_->mask_.streams.set(stream);
    if (!recording_ && target.buffer == ours && target.offset == offset && target.stride == stride) return D3D_OK;
    rebind(target.buffer, ours);
    target.offset = offset;
    target.stride = stride;
    if (!recording_) dirty_ |= kDirtyVertexInput;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride)
{
    if (stream >= kMaxStreams || !buffer || !offset || !stride) return D3DERR_INVALIDCALL;
    const StreamBinding& binding = state_.streams[stream];
    *buffer = binding.buffer;
    if (*buffer) (*buffer)->AddRef();
    *offset = binding.offset;
    *stride = binding.stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* indices)
{
    IndexBuffer* ours = static_cast<IndexBuffer*>(indices);
    if (ours && ours->device() != this) return D3DERR_INVALIDCALL;
    if (recording_) {
        rebind(recording_->state_.indices, ours);
        recording_->mask_.indices = true;
        return D3D_OK;
    }
    rebind(state_.indices, ours);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** indices)
{
    if (!indices) return D3DERR_INVALIDCALL;
    *indices = state_.indices;
    if (*indices) (*indices)->AddRef();
    return D3D_OK;
}

void Device::releaseBindings(DeviceState* state)
{
    for (Texture*& texture : state->textures) rebind<Texture>(texture, nullptr);
    for (StreamBinding& stream : state->streams) rebind<VertexBuffer>(stream.buffer, nullptr);
    rebind<IndexBuffer>(state->indices, nullptr);
}

}  // namespace d3d9gl
