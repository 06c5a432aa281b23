// Mesh creation, storage, locks, attribute table and reference counting.
#include "assets/mesh.h"

#include <cstring>
#include <utility>

HRESULT MeshStore::createMemory(size_t bytes) {
    reset();
    memory_.reset(new (std::nothrow) uint8_t[bytes ? bytes : 1]);
    return memory_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT MeshStore::createVertices(IDirect3DDevice9* device, UINT bytes, DWORD usage, DWORD fvf, D3DPOOL pool) {
    reset();
    return device->CreateVertexBuffer(bytes, usage, fvf, pool, &vertices_, nullptr);
}

HRESULT MeshStore::createIndices(IDirect3DDevice9* device, UINT bytes, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
    reset();
    return device->CreateIndexBuffer(bytes, usage, format, pool, &indices_, nullptr);
}

void MeshStore::reset() {
    memory_.reset();
    if (vertices_) vertices_->Release();
    if (indices_) indices_->Release();
    vertices_ = nullptr;
    indices_ = nullptr;
    locks_ = 0;
}

void MeshStore::swap(MeshStore& other) {
    std::swap(memory_, other.memory_);
    std::swap(vertices_, other.vertices_);
    std::swap(indices_, other.indices_);
    std::swap(locks_, other.locks_);
}

HRESULT MeshStore::lock(DWORD flags, void** data) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    HRESULT result = D3DERR_INVALIDCALL;
    if (memory_) {
        *data = memory_.get();
        result = S_OK;
    } else if (vertices_) {
        result = vertices_->Lock(0, 0, data, flags);
    } else if (indices_) {
        result = indices_->Lock(0, 0, data, flags);
    }
    if (SUCCEEDED(result)) ++locks_;
    return result;
}

HRESULT MeshStore::unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    HRESULT result = S_OK;
    if (vertices_) result = vertices_->Unlock();
    if (indices_) result = indices_->Unlock();
    if (SUCCEEDED(result)) --locks_;
    return result;
}

Mesh::Mesh(DWORD options, DWORD fvf, DWORD stride, IDirect3DDevice9* device, DWORD faces)
    : options_(options), fvf_(fvf), stride_(stride), device_(device), faces_(faces) {
    if (device_) device_->AddRef();
}

Mesh::~Mesh() {
    vertexStore_.reset();
    indexStore_.reset();
    if (device_) device_->Release();
}

HRESULT Mesh::create(DWORD options, DWORD fvf, IDirect3DDevice9* device, DWORD faces, DWORD vertices, Mesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    UINT stride = D3DXGetFVFVertexSize(fvf);
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    bool systemMemory = (options & D3DXMESH_VB_SYSTEMMEM) && (options & D3DXMESH_IB_SYSTEMMEM);
    if (faces == 0 || vertices == 0 || stride == 0 || FAILED(D3DXDeclaratorFromFVF(fvf, declaration)) ||
        (!device && !systemMemory) || faces > 0xFFFFFFFFu / 3)
        return D3DERR_INVALIDCALL;
    if (vertices > kMax16BitVertices) options |= D3DXMESH_32BIT;
    Mesh* mesh = new (std::nothrow) Mesh(options, fvf, stride, device, faces);
    if (!mesh) return E_OUTOFMEMORY;
    HRESULT result = outOfMemoryAsResult([&] {
        mesh->attributes_.assign(faces, 0);
        return mesh->createStores(vertices);
    });
    if (FAILED(result)) {
        mesh->Release();
        return result;
    }
    *out = mesh;
    return S_OK;
}

namespace {

DWORD usageOf(DWORD options, bool forIndices) {
    DWORD usage = 0;
    if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
    if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
    if (options & D3DXMESH_RTPATCHES) usage |= D3DUSAGE_RTPATCHES;
    if (options & D3DXMESH_NPATCHES) usage |= D3DUSAGE_NPATCHES;
    if (options & (forIndices ? D3DXMESH_IB_WRITEONLY : D3DXMESH_VB_WRITEONLY)) usage |= D3DUSAGE_WRITEONLY;
    if (options & (forIndices ? D3DXMESH_IB_DYNAMIC : D3DXMESH_VB_DYNAMIC)) usage |= D3DUSAGE_DYNAMIC;
    if (options & (forIndices ? D3DXMESH_IB_SOFTWAREPROCESSING : D3DXMESH_VB_SOFTWAREPROCESSING))
        usage |= D3DUSAGE_SOFTWAREPROCESSING;
    return usage;
}

D3DPOOL poolOf(DWORD options, bool forIndices) {
    if (options & (forIndices ? D3DXMESH_IB_MANAGED : D3DXMESH_VB_MANAGED)) return D3DPOOL_MANAGED;
    if (options & (forIndices ? D3DXMESH_IB_SYSTEMMEM : D3DXMESH_VB_SYSTEMMEM)) return D3DPOOL_SYSTEMMEM;
    return D3DPOOL_DEFAULT;
}

}  // namespace

HRESULT Mesh::createStores(DWORD vertexCount) {
    uint64_t vertexBytes = uint64_t(vertexCount) * stride_;
    uint64_t indexBytes = uint64_t(faces_) * 3 * (use32BitIndices() ? 4 : 2);
    if (vertexBytes > 0xFFFFFFFFu || indexBytes > 0xFFFFFFFFu) return E_OUTOFMEMORY;
    // Made aside and swapped in, so that a failure leaves the mesh as it was.
    // System memory stays ours: such a mesh needs no device at all.
    MeshStore vertexStore, indexStore;
    HRESULT result = poolOf(options_, false) == D3DPOOL_SYSTEMMEM
                         ? vertexStore.createMemory(vertexBytes)
                         : vertexStore.createVertices(device_, UINT(vertexBytes), usageOf(options_, false), fvf_,
                                                      poolOf(options_, false));
    if (FAILED(result)) return result;
    result = poolOf(options_, true) == D3DPOOL_SYSTEMMEM
                 ? indexStore.createMemory(indexBytes)
                 : indexStore.createIndices(device_, UINT(indexBytes), usageOf(options_, true),
                                            use32BitIndices() ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                            poolOf(options_, true));
    if (FAILED(result)) return result;
    vertexStore_.swap(vertexStore);
    indexStore_.swap(indexStore);
    vertices_ = vertexCount;
    return S_OK;
}

HRESULT Mesh::setContent(const uint8_t* vertexData, DWORD vertexCount, const uint32_t* indices,
                         const DWORD* attributes) {
    if (anyLocked()) return D3DERR_INVALIDCALL;
    if (vertexCount == 0 || (vertexCount > kMax16BitVertices && !use32BitIndices())) return D3DERR_INVALIDCALL;
    if (vertexCount != vertices_) {
        HRESULT result = createStores(vertexCount);
        if (FAILED(result)) return result;
    }
    void* data;
    HRESULT result = vertexStore_.lock(0, &data);
    if (FAILED(result)) return result;
    std::memcpy(data, vertexData, size_t(vertexCount) * stride_);
    vertexStore_.unlock();
    result = indexStore_.lock(0, &data);
    if (FAILED(result)) return result;
    size_t count = size_t(faces_) * 3;
    if (use32BitIndices()) {
        std::memcpy(data, indices, count * 4);
    } else {
        uint16_t* narrow = static_cast<uint16_t*>(data);
        for (size_t i = 0; i < count; ++i) narrow[i] = static_cast<uint16_t>(indices[i]);
    }
    indexStore_.unlock();
    std::memcpy(attributes_.data(), attributes, size_t(faces_) * sizeof(DWORD));
    table_.clear();
    return S_OK;
}

HRESULT Mesh::readIndices(std::vector<uint32_t>* out) {
    return outOfMemoryAsResult([&] {
        void* data;
        HRESULT result = indexStore_.lock(D3DLOCK_READONLY, &data);
        if (FAILED(result)) return result;
        size_t count = size_t(faces_) * 3;
        out->resize(count);
        if (use32BitIndices()) {
            std::memcpy(out->data(), data, count * 4);
        } else {
            const uint16_t* narrow = static_cast<const uint16_t*>(data);
            for (size_t i = 0; i < count; ++i) (*out)[i] = narrow[i];
        }
        result = indexStore_.unlock();
        // Callers may have written anything through LockIndexBuffer.
        for (uint32_t index : *out)
            if (index >= vertices_) return D3DERR_INVALIDCALL;
        return result;
    });
}

HRESULT Mesh::readVertices(std::vector<uint8_t>* out) {
    return outOfMemoryAsResult([&] {
        void* data;
        HRESULT result = vertexStore_.lock(D3DLOCK_READONLY, &data);
        if (FAILED(result)) return result;
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        out->assign(bytes, bytes + size_t(vertices_) * stride_);
        return vertexStore_.unlock();
    });
}

HRESULT Mesh::readContent(std::vector<uint32_t>* indices, std::vector<uint8_t>* vertexBytes) {
    HRESULT result = readIndices(indices);
    return SUCCEEDED(result) ? readVertices(vertexBytes) : result;
}

STDMETHODIMP Mesh::QueryInterface(REFIID riid, void** ppvObj) {
    if (!ppvObj) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
        AddRef();
        *ppvObj = static_cast<IUnknown*>(this);
        return S_OK;
    }
    *ppvObj = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Mesh::Release() {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP Mesh::GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) {
    return D3DXDeclaratorFromFVF(fvf_, Declaration);
}

STDMETHODIMP Mesh::GetDevice(LPDIRECT3DDEVICE9* ppDevice) {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    *ppDevice = device_;
    if (!device_) return D3DERR_INVALIDCALL;
    device_->AddRef();
    return S_OK;
}

STDMETHODIMP Mesh::GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB) {
    if (!ppVB) return D3DERR_INVALIDCALL;
    *ppVB = vertexStore_.vertexBuffer();
    if (!*ppVB) return D3DERR_INVALIDCALL;
    (*ppVB)->AddRef();
    return S_OK;
}

STDMETHODIMP Mesh::GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ppIB) {
    if (!ppIB) return D3DERR_INVALIDCALL;
    *ppIB = indexStore_.indexBuffer();
    if (!*ppIB) return D3DERR_INVALIDCALL;
    (*ppIB)->AddRef();
    return S_OK;
}

STDMETHODIMP Mesh::LockVertexBuffer(DWORD Flags, LPVOID* ppData) { return vertexStore_.lock(Flags, ppData); }
STDMETHODIMP Mesh::UnlockVertexBuffer() { return vertexStore_.unlock(); }
STDMETHODIMP Mesh::LockIndexBuffer(DWORD Flags, LPVOID* ppData) { return indexStore_.lock(Flags, ppData); }
STDMETHODIMP Mesh::UnlockIndexBuffer() { return indexStore_.unlock(); }

STDMETHODIMP Mesh::LockAttributeBuffer(DWORD, DWORD** ppData) {
    if (!ppData) return D3DERR_INVALIDCALL;
    *ppData = attributes_.data();
    ++attributeLocks_;
    return S_OK;
}

STDMETHODIMP Mesh::UnlockAttributeBuffer() {
    if (attributeLocks_ == 0) return D3DERR_INVALIDCALL;
    --attributeLocks_;
    return S_OK;
}

STDMETHODIMP Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) {
    if (!pAttribTable && !pAttribTableSize) return D3DERR_INVALIDCALL;
    if (pAttribTableSize) *pAttribTableSize = static_cast<DWORD>(table_.size());
    if (pAttribTable && !table_.empty())
        std::memcpy(pAttribTable, table_.data(), table_.size() * sizeof(D3DXATTRIBUTERANGE));
    return S_OK;
}
