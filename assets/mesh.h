// Our ID3DXMesh: triangles with one attribute id per face. Vertex and index
// data live in process memory for the system-memory options and in device
// buffers (managed or default pool, with the usage the options ask for)
// otherwise; the attribute buffer and table are always in process memory.
// A mesh whose vertices do not fit 16-bit indices always has D3DXMESH_32BIT.
// Made by the .x loader and by CloneMeshFVF; released through Release only.
#pragma once

#include "math/d3dx_mesh.h"

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

// Runs `work`, turning a failed allocation inside it into E_OUTOFMEMORY: the
// sizes of the library's tables come from files and meshes, and a failure to
// get them is a result like any other.
template <class Work>
HRESULT outOfMemoryAsResult(Work&& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// The bytes of one vertex or index buffer of a mesh, wherever they live.
class MeshStore {
public:
    MeshStore() = default;
    MeshStore(const MeshStore&) = delete;
    MeshStore& operator=(const MeshStore&) = delete;
    ~MeshStore() { reset(); }

    HRESULT createMemory(size_t bytes);
    HRESULT createVertices(IDirect3DDevice9* device, UINT bytes, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT createIndices(IDirect3DDevice9* device, UINT bytes, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    void reset();
    void swap(MeshStore& other);

    HRESULT lock(DWORD flags, void** data);
    HRESULT unlock();
    bool locked() const { return locks_ > 0; }
    bool inMemory() const { return memory_ != nullptr; }
    IDirect3DVertexBuffer9* vertexBuffer() const { return vertices_; }
    IDirect3DIndexBuffer9* indexBuffer() const { return indices_; }

private:
    std::unique_ptr<uint8_t[]> memory_;
    IDirect3DVertexBuffer9* vertices_ = nullptr;
    IDirect3DIndexBuffer9* indices_ = nullptr;
    int locks_ = 0;
};

class Mesh final : public ID3DXMesh {
public:
    // An empty mesh of the given size; the device is needed (and kept) for
    // anything but system memory. D3DERR_INVALIDCALL for no faces or
    // vertices, a format without a position or a missing device.
    static HRESULT create(DWORD options, DWORD fvf, IDirect3DDevice9* device, DWORD faces, DWORD vertices,
                          Mesh** out);

    // Replaces vertices, indices (three 32-bit values per face, each below
    // `vertexCount`) and attributes, keeping the face count and dropping the
    // attribute table; buffers are made again when the vertex count changes.
    HRESULT setContent(const uint8_t* vertexData, DWORD vertexCount, const uint32_t* indices, const DWORD* attributes);
    // The index data widened to 32 bits (D3DERR_INVALIDCALL when one is out
    // of range), and a copy of the vertex bytes.
    HRESULT readContent(std::vector<uint32_t>* indices, std::vector<uint8_t>* vertexBytes);
    void setAttributeTable(std::vector<D3DXATTRIBUTERANGE> table) { table_ = std::move(table); }
    const std::vector<DWORD>& attributes() const { return attributes_; }
    bool anyLocked() const { return vertexStore_.locked() || indexStore_.locked() || attributeLocks_ > 0; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObj) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override;

    // ID3DXBaseMesh
    STDMETHODIMP DrawSubset(DWORD AttribId) override;
    STDMETHODIMP_(DWORD) GetNumFaces() override { return faces_; }
    STDMETHODIMP_(DWORD) GetNumVertices() override { return vertices_; }
    STDMETHODIMP_(DWORD) GetFVF() override { return fvf_; }
    STDMETHODIMP GetDeclaration(D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) override;
    STDMETHODIMP_(DWORD) GetNumBytesPerVertex() override { return stride_; }
    STDMETHODIMP_(DWORD) GetOptions() override { return options_; }
    STDMETHODIMP GetDevice(LPDIRECT3DDEVICE9* ppDevice) override;
    STDMETHODIMP CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppCloneMesh) override;
    STDMETHODIMP GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* ppVB) override;
    STDMETHODIMP GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* ppIB) override;
    STDMETHODIMP LockVertexBuffer(DWORD Flags, LPVOID* ppData) override;
    STDMETHODIMP UnlockVertexBuffer() override;
    STDMETHODIMP LockIndexBuffer(DWORD Flags, LPVOID* ppData) override;
    STDMETHODIMP UnlockIndexBuffer() override;
    STDMETHODIMP GetAttributeTable(D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) override;
    STDMETHODIMP GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) override;

    // ID3DXMesh
    STDMETHODIMP LockAttributeBuffer(DWORD Flags, DWORD** ppData) override;
    STDMETHODIMP UnlockAttributeBuffer() override;
    STDMETHODIMP OptimizeInplace(DWORD Flags, CONST DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                 LPD3DXBUFFER* ppVertexRemap) override;

private:
    Mesh(DWORD options, DWORD fvf, DWORD stride, IDirect3DDevice9* device, DWORD faces);
    ~Mesh();
    HRESULT createStores(DWORD vertexCount);
    HRESULT readIndices(std::vector<uint32_t>* out);
    HRESULT readVertices(std::vector<uint8_t>* out);
    HRESULT drawRange(const D3DXATTRIBUTERANGE& range);
    bool use32BitIndices() const { return (options_ & D3DXMESH_32BIT) != 0; }

    ULONG references_ = 1;
    DWORD options_;
    DWORD fvf_;
    DWORD stride_;
    IDirect3DDevice9* device_;
    DWORD faces_;
    DWORD vertices_ = 0;
    MeshStore vertexStore_;
    MeshStore indexStore_;
    std::vector<DWORD> attributes_;
    int attributeLocks_ = 0;
    std::vector<D3DXATTRIBUTERANGE> table_;
};

// The largest vertex count 16-bit indices can address.
constexpr DWORD kMax16BitVertices = 0x10000;
