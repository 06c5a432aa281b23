// CloneMeshFVF, DrawSubset and GenerateAdjacency.
#include "assets/adjacency.h"
#include "assets/mesh.h"

#include <algorithm>
#include <cstring>

namespace {

UINT elementBytes(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1: return 4;
        case D3DDECLTYPE_FLOAT2: return 8;
        case D3DDECLTYPE_FLOAT3: return 12;
        case D3DDECLTYPE_FLOAT4: return 16;
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT4N:
        case D3DDECLTYPE_USHORT4N:
        case D3DDECLTYPE_FLOAT16_4: return 8;
        case D3DDECLTYPE_UNUSED: return 0;
        default: return 4;
    }
}

// Vertices of one format rewritten in another: each element found in both
// (same usage and usage index) is copied as far as both sizes reach; the rest
// of the new vertex is zero.
void convertVertices(const uint8_t* from, DWORD fromFvf, uint8_t* to, DWORD toFvf, DWORD count) {
    D3DVERTEXELEMENT9 source[MAX_FVF_DECL_SIZE], target[MAX_FVF_DECL_SIZE];
    D3DXDeclaratorFromFVF(fromFvf, source);
    D3DXDeclaratorFromFVF(toFvf, target);
    const UINT fromStride = D3DXGetFVFVertexSize(fromFvf), toStride = D3DXGetFVFVertexSize(toFvf);
    std::memset(to, 0, size_t(count) * toStride);
    for (const D3DVERTEXELEMENT9* t = target; t->Stream != 0xFF; ++t) {
        for (const D3DVERTEXELEMENT9* s = source; s->Stream != 0xFF; ++s) {
            if (s->Usage != t->Usage || s->UsageIndex != t->UsageIndex) continue;
            UINT bytes = std::min(elementBytes(s->Type), elementBytes(t->Type));
            for (DWORD v = 0; v < count; ++v)
                std::memcpy(to + size_t(v) * toStride + t->Offset, from + size_t(v) * fromStride + s->Offset, bytes);
            break;
        }
    }
}

}  // namespace

STDMETHODIMP Mesh::CloneMeshFVF(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppCloneMesh) {
    if (!ppCloneMesh) return D3DERR_INVALIDCALL;
    *ppCloneMesh = nullptr;
    if (!pD3DDevice) return D3DERR_INVALIDCALL;
    return outOfMemoryAsResult([&]() -> HRESULT {
        Mesh* clone = nullptr;
        HRESULT result = Mesh::create(Options, FVF, pD3DDevice, faces_, vertices_, &clone);
        if (FAILED(result)) return result;
        std::vector<uint32_t> indices;
        std::vector<uint8_t> vertexBytes;
        result = readContent(&indices, &vertexBytes);
        if (SUCCEEDED(result) && FVF != fvf_) {
            std::vector<uint8_t> converted(size_t(vertices_) * clone->stride_);
            convertVertices(vertexBytes.data(), fvf_, converted.data(), FVF, vertices_);
            vertexBytes.swap(converted);
        }
        if (SUCCEEDED(result)) result = clone->setContent(vertexBytes.data(), vertices_, indices.data(), attributes_.data());
        if (FAILED(result)) {
            clone->Release();
            return result;
        }
        clone->table_ = table_;
        *ppCloneMesh = clone;
        return S_OK;
    });
}

HRESULT Mesh::drawRange(const D3DXATTRIBUTERANGE& range) {
    if (range.FaceCount == 0 || range.VertexCount == 0) return S_OK;
    device_->SetFVF(fvf_);
    IDirect3DVertexBuffer9* vb = vertexStore_.vertexBuffer();
    IDirect3DIndexBuffer9* ib = indexStore_.indexBuffer();
    if (vb && ib) {
        device_->SetStreamSource(0, vb, 0, stride_);
        device_->SetIndices(ib);
        return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                             range.FaceStart * 3, range.FaceCount);
    }
    // Either part in our memory: draw from user pointers.
    void* vertices;
    void* indices;
    HRESULT result = vertexStore_.lock(D3DLOCK_READONLY, &vertices);
    if (FAILED(result)) return result;
    result = indexStore_.lock(D3DLOCK_READONLY, &indices);
    if (FAILED(result)) {
        vertexStore_.unlock();
        return result;
    }
    const UINT indexBytes = use32BitIndices() ? 4 : 2;
    result = device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, range.VertexStart, range.VertexCount,
                                             range.FaceCount,
                                             static_cast<const uint8_t*>(indices) + size_t(range.FaceStart) * 3 * indexBytes,
                                             use32BitIndices() ? D3DFMT_INDEX32 : D3DFMT_INDEX16, vertices, stride_);
    indexStore_.unlock();
    vertexStore_.unlock();
    return result;
}

STDMETHODIMP Mesh::DrawSubset(DWORD AttribId) {
    if (!device_) return D3DERR_INVALIDCALL;
    HRESULT result = S_OK;
    if (!table_.empty()) {
        for (const D3DXATTRIBUTERANGE& range : table_) {
            if (range.AttribId != AttribId) continue;
            HRESULT drawn = drawRange(range);
            if (FAILED(drawn)) result = drawn;
        }
        return result;
    }
    // Not optimised yet: each run of faces with the attribute, over all vertices.
    for (DWORD f = 0; f < faces_;) {
        if (attributes_[f] != AttribId) {
            ++f;
            continue;
        }
        DWORD start = f;
        while (f < faces_ && attributes_[f] == AttribId) ++f;
        HRESULT drawn = drawRange({AttribId, start, f - start, 0, vertices_});
        if (FAILED(drawn)) result = drawn;
    }
    return result;
}

STDMETHODIMP Mesh::GenerateAdjacency(FLOAT Epsilon, DWORD* pAdjacency) {
    if (!pAdjacency) return D3DERR_INVALIDCALL;
    return outOfMemoryAsResult([&]() -> HRESULT {
        std::vector<uint32_t> indices;
        std::vector<uint8_t> vertexBytes;
        HRESULT result = readContent(&indices, &vertexBytes);
        if (FAILED(result)) return result;
        faceAdjacency(indices.data(), faces_, canonicalVertices(vertexBytes.data(), stride_, vertices_, Epsilon),
                      pAdjacency);
        return S_OK;
    });
}
