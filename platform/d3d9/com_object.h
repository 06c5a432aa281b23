// Reference counting shared by every object the layer hands out. A device
// child counts its public COM references and, separately, the references the
// device and state blocks hold while it is bound; it is deleted when both
// reach zero. While it has public references it holds one on its device, as
// Direct3D 9 objects do, and counts as "alive" for Reset's checks.
#pragma once

#include <d3d9.h>

namespace d3d9gl {

class Device;

class ChildLife {
public:
    virtual ~ChildLife() = default;
    // Device or state-block reference taken while bound.
    void bindRetain() { ++binds_; }
    void bindRelease();
    ULONG publicRefs() const { return refs_; }

protected:
    ULONG refs_ = 0;
    ULONG binds_ = 0;
};

// Points a device or state-block slot at `value`, binding the new object
// before unbinding the old one, so rebinding the same object never frees it.
template <class T>
void rebind(T*& slot, T* value)
{
    if (value) value->bindRetain();
    T* old = slot;
    slot = value;
    if (old) old->bindRelease();
}

// The IUnknown and IDirect3DResource9 half of a resource class.
template <class Interface>
class Resource : public Interface, public ChildLife {
public:
    Resource(Device* device, D3DPOOL pool, D3DRESOURCETYPE type, ULONG initialRefs = 1);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || hasInterface(riid)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override
    {
        const DWORD old = priority_;
        if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
        return old;
    }
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority_; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return type_; }

    Device* device() const { return device_; }
    D3DPOOL pool() const { return pool_; }

protected:
    virtual bool hasInterface(REFIID riid) const = 0;

    Device* device_;
    D3DPOOL pool_;
    D3DRESOURCETYPE type_;
    DWORD priority_ = 0;
};

}  // namespace d3d9gl
