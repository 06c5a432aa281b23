#include "platform/d3d9/resources_buffers.h"

#include "platform/d3d9/automation.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/gl_probe.h"

#include <algorithm>
#include <new>

namespace d3d9gl {

BufferStorage::BufferStorage(GLenum target, UINT size, DWORD usage, D3DPOOL pool)
    : target_(target), usage_(usage), pool_(pool), bytes_(size, 0)
{
}

BufferStorage::~BufferStorage()
{
    if (buffer_) glDeleteBuffers(1, &buffer_);
}

bool BufferStorage::create()
{
    if (pool_ == D3DPOOL_SYSTEMMEM || pool_ == D3DPOOL_SCRATCH) return true;
    discardPendingGlErrors();
    glGenBuffers(1, &buffer_);
    if (!buffer_) return false;
    // Element buffers bind through the VAO; use the copy target to fill them.
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(bytes_.size()), bytes_.data(),
                 (usage_ & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    return glGetError() == GL_NO_ERROR;
}

HRESULT BufferStorage::lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data) return D3DERR_INVALIDCALL;
    const UINT total = UINT(bytes_.size());
    // Size 0 locks the whole buffer from the offset.
    if (size == 0) size = offset <= total ? total - offset : 0;
    if (offset > total || size > total - offset) return D3DERR_INVALIDCALL;
    *data = bytes_.data() + offset;
    if (locks_++ == 0) {
        dirtyBegin_ = offset;
        dirtyEnd_ = offset + size;
        discard_ = false;
        written_ = false;
    } else {
        dirtyBegin_ = std::min(dirtyBegin_, offset);
        dirtyEnd_ = std::max(dirtyEnd_, offset + size);
    }
    if (flags & D3DLOCK_DISCARD) discard_ = (usage_ & D3DUSAGE_DYNAMIC) != 0;
    if (!(flags & D3DLOCK_READONLY)) written_ = true;
    (void)target_;
    return D3D_OK;
}

HRESULT BufferStorage::unlock()
{
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ > 0) return D3D_OK;
    if (!buffer_ || !written_ || dirtyEnd_ <= dirtyBegin_) return D3D_OK;
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
    if (discard_) {
        // Orphan the storage so the GPU may keep reading the old contents.
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(bytes_.size()), nullptr, GL_DYNAMIC_DRAW);
        glBufferSubData(GL_COPY_WRITE_BUFFER, 0, GLsizeiptr(bytes_.size()), bytes_.data());
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_, bytes_.data() + dirtyBegin_);
    }
    return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource(device, pool, D3DRTYPE_VERTEXBUFFER), storage_(GL_ARRAY_BUFFER, length, usage, pool), usage_(usage),
      fvf_(fvf)
{
}

VertexBuffer::~VertexBuffer() { device_->makeCurrent(); }

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return storage_.lock(offset, size, data, flags);
}

HRESULT VertexBuffer::Unlock()
{
    if (!device_->makeCurrent()) return D3DERR_INVALIDCALL;
    return storage_.unlock();
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, storage_.size(), fvf_};
    return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Resource(device, pool, D3DRTYPE_INDEXBUFFER), storage_(GL_ELEMENT_ARRAY_BUFFER, length, usage, pool),
      usage_(usage), format_(format)
{
}

IndexBuffer::~IndexBuffer() { device_->makeCurrent(); }

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    return storage_.lock(offset, size, data, flags);
}

HRESULT IndexBuffer::Unlock()
{
    if (!device_->makeCurrent()) return D3DERR_INVALIDCALL;
    return storage_.unlock();
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, storage_.size()};
    return D3D_OK;
}

namespace {

bool poolValid(D3DPOOL pool) { return pool >= D3DPOOL_DEFAULT && pool <= D3DPOOL_SYSTEMMEM; }

}  // namespace

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** out,
                                   HANDLE* shared)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (shared || length == 0 || !poolValid(pool)) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::CreateVertexBuffer, &injected)) return injected;
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    auto* buffer = new (std::nothrow) VertexBuffer(this, length, usage, fvf, pool);
    if (!buffer) return E_OUTOFMEMORY;
    if (!buffer->storage().create()) {
        buffer->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *out = buffer;
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** out, HANDLE* shared)
{
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (shared || length == 0 || !poolValid(pool)) return D3DERR_INVALIDCALL;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    HRESULT injected = S_OK;
    if (automation::takeInjectedFailure(automation::Call::CreateIndexBuffer, &injected)) return injected;
    if (!makeCurrent()) return D3DERR_INVALIDCALL;
    auto* buffer = new (std::nothrow) IndexBuffer(this, length, usage, format, pool);
    if (!buffer) return E_OUTOFMEMORY;
    if (!buffer->storage().create()) {
        buffer->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *out = buffer;
    return D3D_OK;
}

}  // namespace d3d9gl
