// A mesh held in plain memory behind ID3DXMesh, for the intersection tests
// and benchmark: positions (optionally after other vertex data), 16- or
// 32-bit indices, an attribute table, options, and failures to inject. It
// counts its locks so tests can see that every lock was undone. Operations
// the intersection does not use answer E_NOTIMPL.
#pragma once

#include "math/d3dx_mesh.h"
#include "math/vector_matrix.h"

#include <cstdint>
#include <cstring>
#include <vector>

class MemoryMesh final : public ID3DXMesh {
public:
    // `lead` floats of other data come before the position in each vertex
    // and `tail` floats after it.
    MemoryMesh(const std::vector<D3DXVECTOR3>& positions, const std::vector<uint32_t>& indices, bool wide = false,
               int lead = 0, int tail = 0)
        : stride_(DWORD(4 * (lead + 3 + tail))), vertexCount_(DWORD(positions.size())),
          faceCount_(DWORD(indices.size() / 3))
    {
        vertices_.resize(positions.size() * size_t(lead + 3 + tail), -7.0f);
        for (size_t i = 0; i < positions.size(); ++i)
            std::memcpy(&vertices_[i * size_t(lead + 3 + tail) + size_t(lead)], &positions[i], 12);
        for (uint32_t i : indices) {
            if (wide) {
                const unsigned char* b = reinterpret_cast<const unsigned char*>(&i);
                indexBytes_.insert(indexBytes_.end(), b, b + 4);
            } else {
                const uint16_t s = uint16_t(i);
                const unsigned char* b = reinterpret_cast<const unsigned char*>(&s);
                indexBytes_.insert(indexBytes_.end(), b, b + 2);
            }
        }
        options = wide ? D3DXMESH_32BIT : 0;
        if (lead > 0) declaration.push_back({0, WORD(0), BYTE(lead - 1), 0, D3DDECLUSAGE_TEXCOORD, 1});
        const int at = 4 * lead;
        declaration.push_back({0, WORD(at), D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0});
        if (tail > 0) declaration.push_back({0, WORD(at + 12), BYTE(tail - 1), 0, D3DDECLUSAGE_TEXCOORD, 0});
    }

    // What the intersection reads, open to tests.
    std::vector<D3DVERTEXELEMENT9> declaration;
    std::vector<D3DXATTRIBUTERANGE> attributeTable;
    DWORD options = 0;
    HRESULT attributeTableResult = S_OK;
    HRESULT lockIndexResult = S_OK;
    HRESULT lockVertexResult = S_OK;
    int locksHeld = 0;
    int locksTaken = 0;
    DWORD lastLockFlags = 0;

    STDMETHODIMP QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DrawSubset(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP_(DWORD) GetNumFaces() override { return faceCount_; }
    STDMETHODIMP_(DWORD) GetNumVertices() override { return vertexCount_; }
    STDMETHODIMP_(DWORD) GetFVF() override { return 0; }
    STDMETHODIMP GetDeclaration(D3DVERTEXELEMENT9 out[MAX_FVF_DECL_SIZE]) override
    {
        size_t n = 0;
        for (; n < declaration.size() && n + 1 < MAX_FVF_DECL_SIZE; ++n) out[n] = declaration[n];
        out[n] = D3DDECL_END();
        return S_OK;
    }
    STDMETHODIMP_(DWORD) GetNumBytesPerVertex() override { return stride_; }
    STDMETHODIMP_(DWORD) GetOptions() override { return options; }
    STDMETHODIMP GetDevice(LPDIRECT3DDEVICE9*) override { return E_NOTIMPL; }
    STDMETHODIMP CloneMeshFVF(DWORD, DWORD, LPDIRECT3DDEVICE9, LPD3DXMESH*) override { return E_NOTIMPL; }
    STDMETHODIMP GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9*) override { return E_NOTIMPL; }
    STDMETHODIMP GetIndexBuffer(LPDIRECT3DINDEXBUFFER9*) override { return E_NOTIMPL; }
    STDMETHODIMP LockVertexBuffer(DWORD flags, LPVOID* data) override
    {
        return lock(lockVertexResult, flags, vertices_.data(), data);
    }
    STDMETHODIMP UnlockVertexBuffer() override { return unlock(); }
    STDMETHODIMP LockIndexBuffer(DWORD flags, LPVOID* data) override
    {
        return lock(lockIndexResult, flags, indexBytes_.data(), data);
    }
    STDMETHODIMP UnlockIndexBuffer() override { return unlock(); }
    STDMETHODIMP GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override
    {
        if (FAILED(attributeTableResult)) return attributeTableResult;
        if (table) std::memcpy(table, attributeTable.data(), attributeTable.size() * sizeof(D3DXATTRIBUTERANGE));
        *size = DWORD(attributeTable.size());
        return S_OK;
    }
    STDMETHODIMP GenerateAdjacency(FLOAT, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP LockAttributeBuffer(DWORD, DWORD**) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockAttributeBuffer() override { return E_NOTIMPL; }
    STDMETHODIMP OptimizeInplace(DWORD, CONST DWORD*, DWORD*, DWORD*, LPD3DXBUFFER*) override { return E_NOTIMPL; }

private:
    HRESULT lock(HRESULT result, DWORD flags, void* memory, LPVOID* data)
    {
        if (FAILED(result)) return result;
        lastLockFlags = flags;
        ++locksHeld;
        ++locksTaken;
        *data = memory;
        return S_OK;
    }
    HRESULT unlock()
    {
        --locksHeld;
        return S_OK;
    }

    DWORD stride_;
    DWORD vertexCount_;
    DWORD faceCount_;
    std::vector<float> vertices_;
    std::vector<unsigned char> indexBytes_;
};
