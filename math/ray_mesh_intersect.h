// Ray–mesh intersection of the 3D utility library, for mouse picking.
// D3DXIntersect tests a ray (origin, direction of any length, in the mesh's
// model space) against every triangle of a mesh and reports the nearest hit:
// its face, barycentric u and v (the hit is c0 + u(c1 - c0) + v(c2 - c0)),
// and its distance in units of the direction. Triangles count from both
// sides, with inclusive bounds and no tolerance; on equal distances the face
// met first (attribute-table order, then face order) wins. Faces wholly on one
// side of the plane through the ray parallel to z are skipped untested.
// The mesh is only read (its buffers locked read-only); nothing is kept.
// Results: S_OK whether or not anything is hit; D3DERR_INVALIDCALL for null
// arguments, a layout without a float3 position, or write-only buffers;
// E_OUTOFMEMORY; the mesh's own code when it cannot be read. The outputs of
// the nearest hit are written only on a hit; *pCountOfHits whenever faces are
// searched. The all-hits buffer holds D3DXINTERSECTINFO records, in blocks of
// 63 in the order found, the newest block first; null when nothing is hit.
// Rays or vertices with NaN never hit; faces whose indices lie outside the
// vertices the mesh declares are skipped.
#pragma once

#include "math/d3dx_mesh.h"
#include "math/vector_matrix.h"

#include <cfloat>

HRESULT WINAPI D3DXIntersect(LPD3DXBASEMESH pMesh, CONST D3DXVECTOR3* pRayPos, CONST D3DXVECTOR3* pRayDir,
                             BOOL* pHit, DWORD* pFaceIndex, FLOAT* pU, FLOAT* pV, FLOAT* pDist,
                             LPD3DXBUFFER* ppAllHits, DWORD* pCountOfHits);

// The two-sided triangle test D3DXIntersect applies to each face it does not
// skip; true with u, v and the distance on a hit. Inline, as it is the inner
// loop here and of the brute-force baseline in the benchmark.
inline bool intersectTriangle(const D3DXVECTOR3& o, const D3DXVECTOR3& d, const D3DXVECTOR3& c0,
                              const D3DXVECTOR3& c1, const D3DXVECTOR3& c2, float* u, float* v, float* distance)
{
    const float e1x = c1.x - c0.x, e1y = c1.y - c0.y, e1z = c1.z - c0.z;
    const float e2x = c2.x - c0.x, e2y = c2.y - c0.y, e2z = c2.z - c0.z;
    const float px = d.y * e2z - d.z * e2y, py = d.z * e2x - d.x * e2z, pz = d.x * e2y - d.y * e2x;
    float det = e1x * px + e1y * py + e1z * pz;
    float tx, ty, tz;
    if (det > 0.0f) {
        tx = o.x - c0.x;
        ty = o.y - c0.y;
        tz = o.z - c0.z;
    } else if (det < 0.0f) {
        det = -det;
        tx = c0.x - o.x;
        ty = c0.y - o.y;
        tz = c0.z - o.z;
    } else {
        return false;  // parallel, or NaN
    }
    if (!(det <= FLT_MAX)) return false;
    // The comparisons are written so that a NaN fails them.
    const float uu = tx * px + ty * py + tz * pz;
    if (!(uu >= 0.0f && uu <= det)) return false;
    const float qx = ty * e1z - tz * e1y, qy = tz * e1x - tx * e1z, qz = tx * e1y - ty * e1x;
    const float vv = d.x * qx + d.y * qy + d.z * qz;
    if (!(vv >= 0.0f && uu + vv <= det)) return false;
    const float dd = e2x * qx + e2y * qy + e2z * qz;
    if (!(dd >= 0.0f)) return false;
    *u = uu / det;
    *v = vv / det;
    *distance = dd / det;
    return true;
}
