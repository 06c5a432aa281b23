#include "platform/d3d9/com_object.h"

#include "platform/d3d9/device.h"

namespace d3d9gl {

void ChildLife::bindRelease()
{
    if (--binds_ == 0 && refs_ == 0) delete this;
}

template <class Interface>
Resource<Interface>::Resource(Device* device, D3DPOOL pool, D3DRESOURCETYPE type, ULONG initialRefs)
    : device_(device), pool_(pool), type_(type)
{
    refs_ = initialRefs;
    if (refs_ > 0) {
        device_->AddRef();
        device_->childAlive(pool_, true);
    }
}

template <class Interface>
ULONG Resource<Interface>::AddRef()
{
    if (refs_++ == 0) {
        device_->AddRef();
        device_->childAlive(pool_, true);
    }
    return refs_;
}

template <class Interface>
ULONG Resource<Interface>::Release()
{
    if (refs_ == 0) return 0;  // released once too often: harmless here
    const ULONG left = --refs_;
    if (left == 0) {
        Device* device = device_;
        device->childAlive(pool_, false);
        const bool dead = binds_ == 0;
        if (dead) delete this;
        // Last: this may end the device, which drops its bindings of us.
        device->Release();
    }
    return left;
}

template <class Interface>
HRESULT Resource<Interface>::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

template class Resource<IDirect3DTexture9>;
template class Resource<IDirect3DSurface9>;
template class Resource<IDirect3DVertexBuffer9>;
template class Resource<IDirect3DIndexBuffer9>;

}  // namespace d3d9gl
