// Vertex and index buffers in every pool. Each keeps its bytes in memory as
// well (Lock hands them out; Unlock uploads what was locked), so managed
// buffers survive Reset and READONLY locks need no GL read-back; system-memory
// buffers have no GL buffer and are streamed at draw time. Lock and Unlock
// return D3DERR_INVALIDCALL for ranges outside the buffer or unmatched calls.
#pragma once

#include "platform/d3d9/com_object.h"

#include <epoxy/gl.h>

#include <vector>

namespace d3d9gl {

class BufferStorage {
public:
    BufferStorage(GLenum target, UINT size, DWORD usage, D3DPOOL pool);
    ~BufferStorage();
    // Allocates the GL buffer (the device's context current); false on failure.
    bool create();
    HRESULT lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT unlock();
    GLuint glBuffer() const { return buffer_; }
    const uint8_t* bytes() const { return bytes_.data(); }
    UINT size() const { return UINT(bytes_.size()); }

private:
    GLenum target_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint buffer_ = 0;
    std::vector<uint8_t> bytes_;
    int locks_ = 0;
    UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
    bool discard_ = false, written_ = false;
};

class VertexBuffer final : public Resource<IDirect3DVertexBuffer9> {
public:
    VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    BufferStorage& storage() { return storage_; }

private:
    ~VertexBuffer() override;
    bool hasInterface(REFIID riid) const override { return riid == IID_IDirect3DVertexBuffer9; }
    friend class Device;
    BufferStorage storage_;
    DWORD usage_, fvf_;
};

class IndexBuffer final : public Resource<IDirect3DIndexBuffer9> {
public:
    IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    BufferStorage& storage() { return storage_; }
    D3DFORMAT format() const { return format_; }

private:
    ~IndexBuffer() override;
    bool hasInterface(REFIID riid) const override { return riid == IID_IDirect3DIndexBuffer9; }
    friend class Device;
    BufferStorage storage_;
    DWORD usage_;
    D3DFORMAT format_;
};

}  // namespace d3d9gl
