// ID3DXBuffer: a reference-counted block of zeroed bytes.
#include "math/d3dx_mesh.h"

#include <cstdlib>
#include <new>

namespace {

class Buffer final : public ID3DXBuffer {
public:
    Buffer(void* data, DWORD size) : data_(data), size_(size) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObj) override {
        if (!ppvObj) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown)) {
            AddRef();
            *ppvObj = static_cast<IUnknown*>(this);
            return S_OK;
        }
        *ppvObj = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP_(LPVOID) GetBufferPointer() override { return data_; }
    STDMETHODIMP_(DWORD) GetBufferSize() override { return size_; }

private:
    ~Buffer() { std::free(data_); }

    void* data_;
    DWORD size_;
    ULONG references_ = 1;
};

BufferAllocationGate allocationGate = nullptr;

}  // namespace

void setBufferAllocationGateForTesting(BufferAllocationGate gate) {
    allocationGate = gate;
}

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (!ppBuffer) return D3DERR_INVALIDCALL;
    *ppBuffer = nullptr;
    if (allocationGate && !allocationGate(NumBytes)) return E_OUTOFMEMORY;
    // One byte at least, so that an empty buffer still has a distinct pointer.
    void* data = std::calloc(NumBytes ? NumBytes : 1, 1);
    if (!data) return E_OUTOFMEMORY;
    Buffer* buffer = new (std::nothrow) Buffer(data, NumBytes);
    if (!buffer) {
        std::free(data);
        return E_OUTOFMEMORY;
    }
    *ppBuffer = buffer;
    return S_OK;
}
