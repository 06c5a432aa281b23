// IDirect3DStateBlock9: the states a block recorded (BeginStateBlock ..
// EndStateBlock) or was created with (CreateStateBlock), their values,
// Capture (refresh from the device, only the states in the block) and Apply.
// Capture while the device records returns D3DERR_INVALIDCALL.
#pragma once

#include "platform/d3d9/device_state.h"

#include <d3d9.h>

namespace d3d9gl {

class Device;

class StateBlock final : public IDirect3DStateBlock9 {
public:
    explicit StateBlock(Device* device);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    HRESULT STDMETHODCALLTYPE Capture() override;
    HRESULT STDMETHODCALLTYPE Apply() override;

    // Marks every state of `type` as held (CreateStateBlock).
    void markAll(D3DSTATEBLOCKTYPE type);
    // For the recording device.
    DeviceState state_;
    StateMask mask_;

private:
    ~StateBlock();
    Device* device_;
    ULONG refs_ = 1;
    // Set while recording: the block is not yet handed out.
    bool handedOut_ = false;
    friend class Device;
};

}  // namespace d3d9gl
