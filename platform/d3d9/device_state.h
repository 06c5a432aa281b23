// Every state a device records and a state block captures: render, stage and
// sampler states, transforms, material, lights, bound textures and buffers,
// FVF and viewport, plus the mask a state block uses to say which of them it
// holds. Plain data shared by device_state.cpp and state_block.cpp.
#pragma once

#include <d3d9.h>

#include "platform/d3d9/caps.h"

#include <bitset>
#include <vector>

namespace d3d9gl {

class Texture;
class VertexBuffer;
class IndexBuffer;

constexpr unsigned kRenderStateCount = 256;
constexpr unsigned kStageStateCount = 33;
constexpr unsigned kSamplerStateCount = 14;
// Transform slots: world 0..3, view, projection, texture 0..7.
constexpr unsigned kWorldSlot = 0;
constexpr unsigned kViewSlot = 4;
constexpr unsigned kProjectionSlot = 5;
constexpr unsigned kTextureSlot = 6;
constexpr unsigned kTransformSlots = kTextureSlot + kMaxTextureStages;

// The slot of a transform type; -1 for types this device does not keep.
int transformSlot(D3DTRANSFORMSTATETYPE type);

struct LightSlot {
    DWORD index;
    D3DLIGHT9 light;
    bool enabled;
};

struct StreamBinding {
    VertexBuffer* buffer = nullptr;
    UINT offset = 0;
    UINT stride = 0;
};

struct DeviceState {
    DWORD renderStates[kRenderStateCount];
    DWORD stageStates[kMaxTextureStages][kStageStateCount];
    DWORD samplerStates[kMaxTextureStages][kSamplerStateCount];
    D3DMATRIX transforms[kTransformSlots];
    D3DMATERIAL9 material;
    std::vector<LightSlot> lights;
    Texture* textures[kMaxTextureStages] = {};
    StreamBinding streams[kMaxStreams];
    IndexBuffer* indices = nullptr;
    DWORD fvf = 0;
    D3DVIEWPORT9 viewport = {};

    LightSlot* findLight(DWORD index);
    const LightSlot* findLight(DWORD index) const;
};

// The published defaults; ZENABLE follows EnableAutoDepthStencil.
void setDefaultState(DeviceState* state, bool autoDepthStencil, UINT width, UINT height);
// The light Direct3D 9 puts in a slot that is enabled before it is set.
D3DLIGHT9 defaultLight();

struct StateMask {
    std::bitset<kRenderStateCount> renderStates;
    std::bitset<kMaxTextureStages * kStageStateCount> stageStates;
    std::bitset<kMaxTextureStages * kSamplerStateCount> samplerStates;
    std::bitset<kTransformSlots> transforms;
    std::bitset<kMaxTextureStages> textures;
    std::bitset<kMaxStreams> streams;
    std::vector<DWORD> lights;  // light indices, parameters and enable together
    bool material = false;
    bool indices = false;
    bool fvf = false;
    bool viewport = false;

    void markLight(DWORD index);
};

}  // namespace d3d9gl
