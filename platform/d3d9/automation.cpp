#include "platform/d3d9/automation.h"

#include "platform/d3d9/device.h"

namespace d3d9gl {
namespace automation {
namespace {

struct Injected {
    bool armed = false;
    HRESULT result = S_OK;
};
Injected injected[int(Call::Count)];

}  // namespace

void injectFailure(Call call, HRESULT result) { injected[int(call)] = {true, result}; }

bool takeInjectedFailure(Call call, HRESULT* result)
{
    Injected& slot = injected[int(call)];
    if (!slot.armed) return false;
    slot.armed = false;
    if (result) *result = slot.result;
    return true;
}

void setDeviceLost(IDirect3DDevice9* device, bool lost)
{
    if (device) static_cast<Device*>(device)->seamSetLost(lost);
}

void capturePresentedFrames(IDirect3DDevice9* device, bool on)
{
    if (device) static_cast<Device*>(device)->seamCapturePresents(on);
}

bool lastPresentedFrame(IDirect3DDevice9* device, std::vector<uint32_t>* pixels, int* width, int* height)
{
    if (!device || !pixels || !width || !height) return false;
    const std::vector<uint8_t>& rgba = static_cast<Device*>(device)->seamLastPresented(width, height);
    if (rgba.empty()) return false;
    pixels->resize(rgba.size() / 4);
    for (size_t i = 0; i < pixels->size(); ++i) {
        const uint8_t* p = &rgba[i * 4];
        (*pixels)[i] = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    return true;
}

bool drawsIntoWindow(IDirect3DDevice9* device)
{
    return device && static_cast<Device*>(device)->seamDrawsIntoWindow();
}

}  // namespace automation
}  // namespace d3d9gl
