// Test seams of the Direct3D 9 layer: make a device lost, make the next call
// of a kind fail, and keep a copy of each presented frame. Everything here is
// off until a test turns it on, and nothing behaves differently while off.
// Called only by tests; the layer itself only asks takeInjectedFailure.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

namespace d3d9gl {
namespace automation {

enum class Call {
    CreateDevice,
    Reset,
    Present,
    CreateTexture,
    CreateVertexBuffer,
    CreateIndexBuffer,
    Direct3DCreate,  // Direct3DCreate9 returns null; the result is not used
    LockTexture,     // IDirect3DTexture9::LockRect, any level
    Count
};

// The next `call` fails with `result` (once).
void injectFailure(Call call, HRESULT result);
// For the layer: true (and the result) when a failure was injected for `call`; it is then used up.
bool takeInjectedFailure(Call call, HRESULT* result);

// Holds the device lost (TestCooperativeLevel: D3DERR_DEVICELOST) until
// called with false; it then reports D3DERR_DEVICENOTRESET until Reset.
void setDeviceLost(IDirect3DDevice9* device, bool lost);

// Keeps a copy of every frame Present shows from now on (off by default).
void capturePresentedFrames(IDirect3DDevice9* device, bool on);
// The last captured frame as top-down 0xAARRGGBB pixels; false when none.
bool lastPresentedFrame(IDirect3DDevice9* device, std::vector<uint32_t>* pixels, int* width, int* height);

// Whether the device's current (or last) frame is drawn straight into the
// window's back buffer rather than offscreen. Only reads.
bool drawsIntoWindow(IDirect3DDevice9* device);

}  // namespace automation
}  // namespace d3d9gl
