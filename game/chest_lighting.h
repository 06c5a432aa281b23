// The game's three sets of device state: the chest lighting of the scene, the
// coin lighting of the celebration, and the state both share, applied after
// either. Free functions over a device so that the game object's hooks and the
// renders of its media set the very same state. Nothing here fails: the
// results of the device calls are ignored, as in every device-state hook.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "math/vector_matrix.h"

// The fallback material, one white directional light from (0, -1, 0.3),
// ambient 0x101010, no specular.
void setChestLighting(IDirect3DDevice9* device);
// The coins' gold material and their specular light.
void setCoinLighting(IDirect3DDevice9* device);
// Texture stage 0 modulating texture and diffuse, linear filtering, an
// identity world, the celebration's fixed view and a quarter-turn perspective
// for a back buffer of width x height (aspect 1 when the height is 0), which
// is also stored in `projection` for picking.
void setCommonState(IDirect3DDevice9* device, UINT width, UINT height, D3DXMATRIX* projection);
