// D3DXIntersect: validation, read-only access to the mesh, the side
// classification that rejects faces not straddling the ray's plane, the
// triangle test, the nearest hit and the all-hits list.
#include "math/ray_mesh_intersect.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The starting best distance: hits at or beyond it are counted, never nearest.
constexpr float kFarthest = 1.0e35f;
constexpr DWORD kHitsPerBlock = 63;

struct HitBlock {
    HitBlock* next;
    DWORD count;
    D3DXINTERSECTINFO hits[kHitsPerBlock];
};

// Hits in blocks of 63, a new block going in front of the full one.
class HitList {
public:
    ~HitList()
    {
        while (front_) {
            HitBlock* next = front_->next;
            delete front_;
            front_ = next;
        }
    }
    bool add(const D3DXINTERSECTINFO& hit)
    {
        if (!front_ || front_->count == kHitsPerBlock) {
            HitBlock* block = new (std::nothrow) HitBlock;
            if (!block) return false;
            block->next = front_;
            block->count = 0;
            front_ = block;
        }
        front_->hits[front_->count++] = hit;
        return true;
    }
    // From the front: the newest block first, each in the order it was filled.
    void copyTo(D3DXINTERSECTINFO* out) const
    {
        for (const HitBlock* b = front_; b; b = b->next) {
            std::memcpy(out, b->hits, b->count * sizeof(D3DXINTERSECTINFO));
            out += b->count;
        }
    }

private:
    HitBlock* front_ = nullptr;
};

// The byte offset of a float3 position with usage index 0 in stream 0.
bool findPosition(ID3DXBaseMesh* mesh, DWORD* offset)
{
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    if (FAILED(mesh->GetDeclaration(declaration))) return false;
    for (const D3DVERTEXELEMENT9& e : declaration) {
        if (e.Stream == 0xff) break;
        if (e.Stream == 0 && e.Usage == D3DDECLUSAGE_POSITION && e.UsageIndex == 0 && e.Type == D3DDECLTYPE_FLOAT3) {
            *offset = e.Offset;
            return true;
        }
    }
    return false;
}

// Unlocks what was locked, on every way out.
struct MeshLocks {
    ID3DXBaseMesh* mesh;
    bool indicesLocked = false;
    bool verticesLocked = false;
    const void* indices = nullptr;
    const unsigned char* vertices = nullptr;
    ~MeshLocks()
    {
        if (verticesLocked) mesh->UnlockVertexBuffer();
        if (indicesLocked) mesh->UnlockIndexBuffer();
    }
};

struct Ray {
    D3DXVECTOR3 origin, direction;
};

class FaceSearch {
public:
    FaceSearch(const Ray& ray, const unsigned char* positions, DWORD stride, const unsigned char* side,
               DWORD sideCount, BOOL* hit, HitList* allHits)
        : ray_(ray), positions_(positions), stride_(stride), side_(side), sideCount_(sideCount), hit_(hit),
          allHits_(allHits)
    {
    }

    template <typename Index>
    bool searchRange(const Index* indices, DWORD first, DWORD count)
    {
        const Index* face = indices + size_t(first) * 3;
        for (DWORD f = first; f < first + count; ++f, face += 3) {
            const DWORD i0 = face[0], i1 = face[1], i2 = face[2];
            if (i0 >= sideCount_ || i1 >= sideCount_ || i2 >= sideCount_) continue;
            const unsigned s0 = side_[i0];
            if (((s0 ^ side_[i1]) | (s0 ^ side_[i2])) == 0) continue;
            float u, v, distance;
            if (!intersectTriangle(ray_.origin, ray_.direction, position(i0), position(i1), position(i2), &u, &v,
                                   &distance))
                continue;
            if (!record(f, u, v, distance)) return false;
        }
        return true;
    }

    DWORD hitCount = 0;
    DWORD bestFace = 0;
    float bestU = 0, bestV = 0, bestDistance = kFarthest;

private:
    D3DXVECTOR3 position(DWORD i) const
    {
        D3DXVECTOR3 p;
        std::memcpy(&p, positions_ + size_t(i) * stride_, sizeof p);
        return p;
    }

    bool record(DWORD face, float u, float v, float distance)
    {
        if (distance < bestDistance) {
            bestFace = face;
            bestU = u;
            bestV = v;
            bestDistance = distance;
            *hit_ = TRUE;
        }
        if (allHits_ && !allHits_->add({face, u, v, distance})) return false;
        ++hitCount;
        return true;
    }

    Ray ray_;
    const unsigned char* positions_;
    DWORD stride_;
    const unsigned char* side_;
    DWORD sideCount_;
    BOOL* hit_;
    HitList* allHits_;
};

// One byte per vertex: 1 where the vertex lies strictly on the positive side
// of the plane that holds the ray and is parallel to z.
void classifyVertices(const Ray& ray, const unsigned char* positions, DWORD stride, DWORD first, DWORD count,
                      unsigned char* side)
{
    const D3DXVECTOR3& o = ray.origin;
    const D3DXVECTOR3& d = ray.direction;
    const unsigned char* p = positions + size_t(first) * stride;
    for (DWORD i = first; i < first + count; ++i, p += stride) {
        float xy[2];
        std::memcpy(xy, p, sizeof xy);
        const float s = d.x != 0.0f ? d.y * (xy[0] - o.x) - d.x * (xy[1] - o.y) : xy[0] - o.x;
        side[i] = s > 0.0f ? 1 : 0;
    }
}

// The attribute table, or one range over the whole mesh when it is empty;
// ranges are cut to the mesh's faces and vertices so that none reads past them.
HRESULT readRanges(ID3DXBaseMesh* mesh, DWORD tableSize, DWORD faceCount, DWORD vertexCount,
                   D3DXATTRIBUTERANGE** ranges, DWORD* rangeCount)
{
    const DWORD count = tableSize ? tableSize : 1;
    *ranges = static_cast<D3DXATTRIBUTERANGE*>(std::calloc(count, sizeof(D3DXATTRIBUTERANGE)));
    if (!*ranges) return E_OUTOFMEMORY;
    *rangeCount = count;
    if (tableSize == 0) {
        (*ranges)[0] = {0, 0, faceCount, 0, vertexCount};
        return S_OK;
    }
    DWORD written = tableSize;
    HRESULT hr = mesh->GetAttributeTable(*ranges, &written);
    if (FAILED(hr)) return hr;
    for (DWORD i = 0; i < count; ++i) {
        D3DXATTRIBUTERANGE& r = (*ranges)[i];
        if (r.FaceStart > faceCount) r.FaceStart = faceCount;
        if (r.FaceCount > faceCount - r.FaceStart) r.FaceCount = faceCount - r.FaceStart;
        if (r.VertexStart > vertexCount) r.VertexStart = vertexCount;
        if (r.VertexCount > vertexCount - r.VertexStart) r.VertexCount = vertexCount - r.VertexStart;
    }
    return S_OK;
}

}  // namespace

HRESULT WINAPI D3DXIntersect(LPD3DXBASEMESH pMesh, CONST D3DXVECTOR3* pRayPos, CONST D3DXVECTOR3* pRayDir,
                             BOOL* pHit, DWORD* pFaceIndex, FLOAT* pU, FLOAT* pV, FLOAT* pDist,
                             LPD3DXBUFFER* ppAllHits, DWORD* pCountOfHits)
{
    if (ppAllHits) *ppAllHits = nullptr;
    if (!pMesh || !pRayPos || !pRayDir || !pHit) return D3DERR_INVALIDCALL;
    DWORD positionOffset = 0;
    const DWORD stride = pMesh->GetNumBytesPerVertex();
    if (!findPosition(pMesh, &positionOffset) || positionOffset + sizeof(D3DXVECTOR3) > stride)
        return D3DERR_INVALIDCALL;
    const DWORD options = pMesh->GetOptions();
    if (options & (D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_WRITEONLY)) return D3DERR_INVALIDCALL;

    const DWORD vertexCount = pMesh->GetNumVertices();
    const DWORD faceCount = pMesh->GetNumFaces();
    DWORD tableSize = 0;
    HRESULT hr = pMesh->GetAttributeTable(nullptr, &tableSize);
    if (FAILED(hr)) return hr;
    MeshLocks locks{pMesh};
    void* data = nullptr;
    hr = pMesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
    if (FAILED(hr)) return hr;
    locks.indicesLocked = true;
    locks.indices = data;
    hr = pMesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
    if (FAILED(hr)) return hr;
    locks.verticesLocked = true;
    locks.vertices = static_cast<const unsigned char*>(data);

    *pHit = FALSE;
    if (vertexCount == 0) return S_OK;

    D3DXATTRIBUTERANGE* ranges = nullptr;
    DWORD rangeCount = 0;
    hr = readRanges(pMesh, tableSize, faceCount, vertexCount, &ranges, &rangeCount);
    DWORD sideCount = 0;
    unsigned char* side = nullptr;
    if (SUCCEEDED(hr)) {
        for (DWORD i = 0; i < rangeCount; ++i) {
            const DWORD end = ranges[i].VertexStart + ranges[i].VertexCount;
            if (end > sideCount) sideCount = end;
        }
        side = static_cast<unsigned char*>(std::calloc(sideCount ? sideCount : 1, 1));
        if (!side) hr = E_OUTOFMEMORY;
    }
    const Ray ray{*pRayPos, *pRayDir};
    const unsigned char* positions = locks.vertices + positionOffset;
    HitList allHits;
    FaceSearch search(ray, positions, stride, side, sideCount, pHit, ppAllHits ? &allHits : nullptr);
    if (SUCCEEDED(hr)) {
        for (DWORD i = 0; i < rangeCount; ++i)
            classifyVertices(ray, positions, stride, ranges[i].VertexStart, ranges[i].VertexCount, side);
        const bool wide = (options & D3DXMESH_32BIT) != 0;
        for (DWORD i = 0; i < rangeCount && SUCCEEDED(hr); ++i) {
            const bool stored =
                wide ? search.searchRange(static_cast<const DWORD*>(locks.indices), ranges[i].FaceStart,
                                          ranges[i].FaceCount)
                     : search.searchRange(static_cast<const WORD*>(locks.indices), ranges[i].FaceStart,
                                          ranges[i].FaceCount);
            if (!stored) hr = E_OUTOFMEMORY;
        }
    }
    std::free(side);
    std::free(ranges);
    if (FAILED(hr)) return hr;

    if (*pHit) {
        if (pFaceIndex) *pFaceIndex = search.bestFace;
        if (pU) *pU = search.bestU;
        if (pV) *pV = search.bestV;
        if (pDist) *pDist = search.bestDistance;
    }
    // The faces were searched, so the count is due even if the buffer fails.
    if (pCountOfHits) *pCountOfHits = search.hitCount;
    if (ppAllHits && search.hitCount > 0) {
        if (search.hitCount > 0xffffffffu / sizeof(D3DXINTERSECTINFO)) return E_OUTOFMEMORY;
        hr = D3DXCreateBuffer(search.hitCount * DWORD(sizeof(D3DXINTERSECTINFO)), ppAllHits);
        if (FAILED(hr)) return hr;
        allHits.copyTo(static_cast<D3DXINTERSECTINFO*>((*ppAllHits)->GetBufferPointer()));
    }
    return S_OK;
}
