#include "math/ray_mesh_intersect.h"

#include "tests/math/memory_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Positions = std::vector<D3DXVECTOR3>;
using Indices = std::vector<uint32_t>;

const Positions kUnitTriangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

// Everything D3DXIntersect can write, preset so that untouched outputs show.
struct Outputs {
    BOOL hit = 7;
    DWORD face = 0xdead;
    float u = -5, v = -5, distance = -5;
    LPD3DXBUFFER allHits = reinterpret_cast<LPD3DXBUFFER>(uintptr_t(0x10));
    DWORD count = 0xbeef;
};

HRESULT intersect(MemoryMesh& mesh, D3DXVECTOR3 origin, D3DXVECTOR3 direction, Outputs* out, bool wantAll = false)
{
    return D3DXIntersect(&mesh, &origin, &direction, &out->hit, &out->face, &out->u, &out->v, &out->distance,
                         wantAll ? &out->allHits : nullptr, &out->count);
}

std::vector<D3DXINTERSECTINFO> hitsOf(LPD3DXBUFFER buffer)
{
    const auto* first = static_cast<const D3DXINTERSECTINFO*>(buffer->GetBufferPointer());
    return {first, first + buffer->GetBufferSize() / sizeof(D3DXINTERSECTINFO)};
}

// The same cases with 16- and 32-bit indices, and with the position behind
// two floats of other data, so the stride and offset come from the layout.
struct Layout {
    bool wide;
    int lead;
};

class RayMeshIntersect : public ::testing::TestWithParam<Layout> {
protected:
    MemoryMesh mesh(const Positions& p, const Indices& i) { return MemoryMesh(p, i, GetParam().wide, GetParam().lead, 1); }
};

TEST_P(RayMeshIntersect, UnitTriangleHitIsTheSameForBothWindings)
{
    for (const Indices& winding : {Indices{0, 1, 2}, Indices{0, 2, 1}}) {
        MemoryMesh m = mesh(kUnitTriangle, winding);
        Outputs out;
        ASSERT_EQ(intersect(m, {0.25f, 0.25f, -1}, {0, 0, 2}, &out), S_OK);
        EXPECT_EQ(out.hit, TRUE);
        EXPECT_EQ(out.face, 0u);
        EXPECT_FLOAT_EQ(out.u, 0.25f);
        EXPECT_FLOAT_EQ(out.v, 0.25f);
        EXPECT_FLOAT_EQ(out.distance, 0.5f);
        EXPECT_EQ(out.count, 1u);
        EXPECT_EQ(m.locksHeld, 0);
        EXPECT_EQ(m.lastLockFlags, DWORD(D3DLOCK_READONLY));
    }
}

TEST_P(RayMeshIntersect, EdgesCornersAndAnOriginOnTheTriangleHit)
{
    MemoryMesh m = mesh(kUnitTriangle, {0, 1, 2});
    Outputs out;
    ASSERT_EQ(intersect(m, {0.5f, 0, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, TRUE);
    EXPECT_FLOAT_EQ(out.u, 0.5f);
    EXPECT_FLOAT_EQ(out.v, 0.0f);
    EXPECT_FLOAT_EQ(out.distance, 1.0f);

    // The hypotenuse, u + v = 1 exactly.
    ASSERT_EQ(intersect(m, {0.5f, 0.5f, 3}, {0, 0, -1}, &out), S_OK);
    EXPECT_EQ(out.hit, TRUE);
    EXPECT_FLOAT_EQ(out.distance, 3.0f);

    ASSERT_EQ(intersect(m, {0.2f, 0.3f, 0}, {0.1f, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, TRUE);
    EXPECT_FLOAT_EQ(out.distance, 0.0f);
    EXPECT_FLOAT_EQ(out.u, 0.2f);
    EXPECT_FLOAT_EQ(out.v, 0.3f);
}

TEST_P(RayMeshIntersect, AMissWritesOnlyTheHitFlagAndCount)
{
    MemoryMesh m = mesh(kUnitTriangle, {0, 1, 2});
    for (D3DXVECTOR3 origin : {D3DXVECTOR3(0.8f, 0.8f, -1), D3DXVECTOR3(0.25f, 0.25f, 1)}) {
        Outputs out;
        ASSERT_EQ(intersect(m, origin, {0, 0, 1}, &out, true), S_OK);
        EXPECT_EQ(out.hit, FALSE);
        EXPECT_EQ(out.count, 0u);
        EXPECT_EQ(out.face, 0xdeadu);
        EXPECT_EQ(out.u, -5.0f);
        EXPECT_EQ(out.v, -5.0f);
        EXPECT_EQ(out.distance, -5.0f);
        EXPECT_EQ(out.allHits, nullptr);
    }
}

TEST_P(RayMeshIntersect, TheNearerOfTwoFacesWinsWhateverTheirOrder)
{
    const Positions p = {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {0, 0, 2}, {1, 0, 2}, {0, 1, 2}};
    MemoryMesh m = mesh(p, {0, 1, 2, 3, 4, 5});
    Outputs out;
    ASSERT_EQ(intersect(m, {0.1f, 0.1f, 0}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.face, 1u);
    EXPECT_FLOAT_EQ(out.distance, 2.0f);
    EXPECT_EQ(out.count, 2u);
}

TEST_P(RayMeshIntersect, OnEqualDistancesTheFaceMetFirstInTableOrderWins)
{
    // Faces 0 and 1 lie on top of each other; the table visits face 1 first.
    MemoryMesh m = mesh(kUnitTriangle, {0, 1, 2, 0, 1, 2});
    Outputs out;
    ASSERT_EQ(intersect(m, {0.25f, 0.25f, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.face, 0u);
    m.attributeTable = {{1, 1, 1, 0, 3}, {0, 0, 1, 0, 3}};
    ASSERT_EQ(intersect(m, {0.25f, 0.25f, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.face, 1u);
    EXPECT_EQ(out.count, 2u);
}

TEST_P(RayMeshIntersect, FromInsideAClosedCubeOnlyTheFaceAheadIsHit)
{
    Positions p;
    for (int i = 0; i < 8; ++i) p.push_back({i & 1 ? 1.f : -1.f, i & 2 ? 1.f : -1.f, i & 4 ? 1.f : -1.f});
    const Indices cube = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                          2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    MemoryMesh m = mesh(p, cube);
    const D3DXVECTOR3 origin(0.1f, 0.2f, 0.0f), direction(0.3f, 0.1f, 1.0f);
    Outputs out;
    ASSERT_EQ(intersect(m, origin, direction, &out, true), S_OK);
    ASSERT_EQ(out.hit, TRUE);
    EXPECT_TRUE(out.face == 2u || out.face == 3u) << out.face;  // the two triangles of z = +1
    EXPECT_NEAR(origin.z + out.distance * direction.z, 1.0f, 1e-6f);
    EXPECT_EQ(out.count, 1u);
    out.allHits->Release();
}

TEST_P(RayMeshIntersect, AllHitsComeInBlocksOf63NewestBlockFirst)
{
    // 130 stacked triangles at z = 1 ... 130, met in face order.
    Positions p;
    Indices idx;
    for (uint32_t i = 0; i < 130; ++i) {
        const float z = float(i + 1);
        p.insert(p.end(), {{0, 0, z}, {1, 0, z}, {0, 1, z}});
        idx.insert(idx.end(), {3 * i, 3 * i + 1, 3 * i + 2});
    }
    MemoryMesh m = mesh(p, idx);
    Outputs out;
    ASSERT_EQ(intersect(m, {0.25f, 0.5f, 0}, {0, 0, 1}, &out, true), S_OK);
    EXPECT_EQ(out.count, 130u);
    EXPECT_EQ(out.face, 0u);
    ASSERT_NE(out.allHits, nullptr);
    const std::vector<D3DXINTERSECTINFO> hits = hitsOf(out.allHits);
    ASSERT_EQ(hits.size(), 130u);
    // Blocks 126..129, then 63..125, then 0..62.
    std::vector<DWORD> expected;
    for (DWORD f = 126; f < 130; ++f) expected.push_back(f);
    for (DWORD f = 63; f < 126; ++f) expected.push_back(f);
    for (DWORD f = 0; f < 63; ++f) expected.push_back(f);
    for (size_t k = 0; k < hits.size(); ++k) {
        ASSERT_EQ(hits[k].FaceIndex, expected[k]) << k;
        EXPECT_EQ(hits[k].Dist, float(expected[k] + 1));
        EXPECT_FLOAT_EQ(hits[k].U, 0.25f);
        EXPECT_FLOAT_EQ(hits[k].V, 0.5f);
    }
    EXPECT_EQ(out.allHits->Release(), 0u);

    // Without memory for the buffer the search still happened: its nearest
    // hit and count are written and the buffer's failure is the result.
    setBufferAllocationGateForTesting([](DWORD) { return false; });
    Outputs refused;
    const HRESULT hr = intersect(m, {0.25f, 0.5f, 0}, {0, 0, 1}, &refused, true);
    setBufferAllocationGateForTesting(nullptr);
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_EQ(refused.allHits, nullptr);
    EXPECT_EQ(refused.count, 130u);
    EXPECT_EQ(refused.face, 0u);
    EXPECT_EQ(refused.distance, 1.0f);
    EXPECT_EQ(m.locksHeld, 0);
}

TEST_P(RayMeshIntersect, FacesOnOneSideOfTheRayPlaneAreSkippedUntested)
{
    // The ray runs along x = 0. Corner 0 lies on that plane, the others on
    // its negative side: skipped, although the test alone hits corner 0.
    const Positions p = {{0, 0, 1}, {-1, 0, 1}, {0, -1, 1}};
    const D3DXVECTOR3 origin(0, 0, 0), direction(0, 0, 1);
    float u, v, distance;
    ASSERT_TRUE(intersectTriangle(origin, direction, p[0], p[1], p[2], &u, &v, &distance));
    MemoryMesh skipped = mesh(p, {0, 1, 2});
    Outputs out;
    ASSERT_EQ(intersect(skipped, origin, direction, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);

    // Mirrored onto the positive side the corners straddle and it is hit.
    MemoryMesh straddling = mesh({{0, 0, 1}, {1, 0, 1}, {0, -1, 1}}, {0, 1, 2});
    ASSERT_EQ(intersect(straddling, origin, direction, &out), S_OK);
    EXPECT_EQ(out.hit, TRUE);
    EXPECT_FLOAT_EQ(out.distance, 1.0f);

    // With an x part in the direction the plane is d.y (x - o.x) = d.x (y - o.y),
    // here y = 0: corners at y = 0, 0 and 1 all count as non-positive.
    const Positions raised = {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
    const D3DXVECTOR3 slanted(1, 0, 1);
    ASSERT_TRUE(intersectTriangle({-1, 0, 0}, slanted, raised[0], raised[1], raised[2], &u, &v, &distance));
    MemoryMesh onPlane = mesh(raised, {0, 1, 2});
    ASSERT_EQ(intersect(onPlane, {-1, 0, 0}, slanted, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);
}

TEST_P(RayMeshIntersect, HitsFromTheFarthestDistanceOnAreCountedButNeverNearest)
{
    const float distant = 2.0e35f;
    MemoryMesh m = mesh({{0, 0, distant}, {1, 0, distant}, {0, 1, distant}}, {0, 1, 2});
    Outputs out;
    ASSERT_EQ(intersect(m, {0.25f, 0.25f, 0}, {0, 0, 1}, &out, true), S_OK);
    EXPECT_EQ(out.hit, FALSE);
    EXPECT_EQ(out.count, 1u);
    EXPECT_EQ(out.distance, -5.0f);
    ASSERT_NE(out.allHits, nullptr);
    EXPECT_FLOAT_EQ(hitsOf(out.allHits)[0].Dist, distant);
    out.allHits->Release();
}

INSTANTIATE_TEST_SUITE_P(IndexWidthsAndLayouts, RayMeshIntersect,
                         ::testing::Values(Layout{false, 0}, Layout{true, 0}, Layout{false, 2}, Layout{true, 3}));

TEST(RayMeshIntersectArguments, NullArgumentsAndUnusableMeshesAreInvalidCalls)
{
    MemoryMesh m(kUnitTriangle, {0, 1, 2});
    D3DXVECTOR3 o(0.25f, 0.25f, -1), d(0, 0, 1);
    BOOL hit = 7;
    LPD3DXBUFFER all = reinterpret_cast<LPD3DXBUFFER>(uintptr_t(0x10));
    EXPECT_EQ(D3DXIntersect(nullptr, &o, &d, &hit, nullptr, nullptr, nullptr, nullptr, &all, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(all, nullptr);
    EXPECT_EQ(D3DXIntersect(&m, nullptr, &d, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXIntersect(&m, &o, nullptr, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXIntersect(&m, &o, &d, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);

    for (DWORD writeOnly : {DWORD(D3DXMESH_VB_WRITEONLY), DWORD(D3DXMESH_IB_WRITEONLY)}) {
        MemoryMesh w(kUnitTriangle, {0, 1, 2});
        w.options |= writeOnly;
        EXPECT_EQ(D3DXIntersect(&w, &o, &d, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  D3DERR_INVALIDCALL);
    }
    // Positions that are not three floats at usage index 0.
    const D3DVERTEXELEMENT9 wrong[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                       {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 1},
                                       {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                       {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0}};
    for (const D3DVERTEXELEMENT9& e : wrong) {
        MemoryMesh w(kUnitTriangle, {0, 1, 2});
        w.declaration = {e};
        EXPECT_EQ(D3DXIntersect(&w, &o, &d, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(w.locksTaken, 0);
    }
    EXPECT_EQ(hit, 7);
}

TEST(RayMeshIntersectArguments, OnlyTheHitFlagIsRequired)
{
    MemoryMesh m(kUnitTriangle, {0, 1, 2});
    D3DXVECTOR3 o(0.25f, 0.25f, -1), d(0, 0, 1);
    BOOL hit = FALSE;
    ASSERT_EQ(D3DXIntersect(&m, &o, &d, &hit, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(hit, TRUE);
}

TEST(RayMeshIntersectMeshFailures, TheMeshesCodeIsReturnedWithNothingLeftLocked)
{
    D3DXVECTOR3 o(0.25f, 0.25f, -1), d(0, 0, 1);
    const HRESULT failure = D3DERR_NOTAVAILABLE;
    for (int which = 0; which < 3; ++which) {
        MemoryMesh m(kUnitTriangle, {0, 1, 2});
        (which == 0 ? m.attributeTableResult : which == 1 ? m.lockIndexResult : m.lockVertexResult) = failure;
        Outputs out;
        EXPECT_EQ(intersect(m, o, d, &out), failure) << which;
        EXPECT_EQ(out.hit, 7) << which;
        EXPECT_EQ(out.count, 0xbeefu) << which;
        EXPECT_EQ(m.locksHeld, 0) << which;
    }
}

TEST(RayMeshIntersectMeshFailures, AMeshWithoutVerticesIsSearchedForNothing)
{
    MemoryMesh m({}, {});
    Outputs out;
    ASSERT_EQ(intersect(m, {0, 0, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);
    EXPECT_EQ(out.count, 0xbeefu);
    EXPECT_EQ(m.locksHeld, 0);
}

TEST(RayMeshIntersectMeshFailures, IndicesAndRangesOutsideTheMeshAreNotFollowed)
{
    // Face 0 names vertex 40 of a 3-vertex mesh; the table claims 9 faces.
    MemoryMesh m(kUnitTriangle, {0, 1, 40, 0, 1, 2});
    m.attributeTable = {{0, 0, 9, 0, 60}};
    Outputs out;
    ASSERT_EQ(intersect(m, {0.25f, 0.25f, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, TRUE);
    EXPECT_EQ(out.face, 1u);
    EXPECT_EQ(out.count, 1u);
}

TEST(RayMeshIntersectMeshFailures, NaNInTheRayOrTheVerticesNeverHits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MemoryMesh m(kUnitTriangle, {0, 1, 2});
    Outputs out;
    ASSERT_EQ(intersect(m, {0.25f, 0.25f, -1}, {0, nan, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);
    ASSERT_EQ(intersect(m, {0.25f, nan, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);
    MemoryMesh bad({{0, 0, nan}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    ASSERT_EQ(intersect(bad, {0.25f, 0.25f, -1}, {0, 0, 1}, &out), S_OK);
    EXPECT_EQ(out.hit, FALSE);
}

}  // namespace
