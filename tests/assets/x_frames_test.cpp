// Frame hierarchies, merged meshes and the adjacency the loader delivers.
#include "tests/assets/x_samples.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace xtest;

namespace {

const std::string kTriangleMesh = "Mesh Tri { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";

std::string frameMatrix(const float m[16]) {
    std::string text = "FrameTransformMatrix { ";
    for (int i = 0; i < 16; ++i) text += std::to_string(m[i]) + (i == 15 ? ";;" : ",");
    return text + " }\n";
}

TEST(XFrames, NestedTransformsComposeChildFirst) {
    // Outer: translate (10, 0, 0). Inner: a quarter turn about z (x -> y),
    // then translate (0, 0, 5). World = inner × outer.
    const float outer[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1};
    const float inner[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1};
    const std::string text = std::string(kHeader) + "Frame Outer {\n" + frameMatrix(outer) +
                             " Frame Inner {\n" + kTriangleMesh + frameMatrix(inner) + " }\n}\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    // The matrix after the mesh in its frame applies all the same.
    EXPECT_EQ(cornerPositions(loaded.mesh), (std::vector<float>{10, 0, 5, 10, 1, 5, 9, 0, 5}));
}

TEST(XFrames, AMeshReferencedByTwoFramesIsPlacedTwice) {
    const float left[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -3, 0, 0, 1};
    const float right[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 3, 0, 0, 1};
    const std::string text = std::string(kHeader) + kTriangleMesh + "Frame L { " + frameMatrix(left) +
                             " { Tri } }\nFrame R { " + frameMatrix(right) + " {Tri <3D82AB44-62DA-11cf-AB39-0020AF71E433>} }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    // The top-level definition counts once, then each reference.
    EXPECT_EQ(cornerPositions(loaded.mesh),
              (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, -3, 0, 0, -2, 0, 0, -3, 1, 0, 3, 0, 0, 4, 0, 0, 3, 1, 0}));
    EXPECT_EQ(loaded.materialCount, 1u);
}

TEST(XFrames, AMirroringFrameKeepsTheFrontSideAndNormalsOutward) {
    const float mirror[16] = {-2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const std::string text = std::string(kHeader) + "Frame M { " + frameMatrix(mirror) + cubeMesh() + "}\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    std::vector<float> p = positions(loaded.mesh), n = vertexFloats(loaded.mesh, 3, 3);
    std::vector<uint32_t> idx = indices(loaded.mesh);
    for (size_t f = 0; f < idx.size(); f += 3) {
        const float* a = &p[idx[f] * 3];
        const float* b = &p[idx[f + 1] * 3];
        const float* c = &p[idx[f + 2] * 3];
        float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        float centre[3] = {(a[0] + b[0] + c[0]) / 3, (a[1] + b[1] + c[1]) / 3, (a[2] + b[2] + c[2]) / 3};
        // Clockwise seen from outside: the winding normal points away from the centre.
        EXPECT_GT(cross[0] * centre[0] + cross[1] * centre[1] + cross[2] * centre[2], 0) << "face " << f / 3;
        const float* normal = &n[idx[f] * 3];
        EXPECT_GT(normal[0] * centre[0] + normal[1] * centre[1] + normal[2] * centre[2], 0) << "face " << f / 3;
        EXPECT_NEAR(std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]), 1.0f, 1e-6f);
    }
}

TEST(XMerge, SeveralMeshesBecomeOneWithSharedMaterials) {
    const std::string red = "Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }";
    const std::string text = std::string(kHeader) + "Material Blue { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }\n" +
                             "Frame Root {\n" + cubeMesh("A") +
                             " Mesh B { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 2; 1; 1;; {Blue} " +
                             red + " } }\n Mesh C { 3; 0;0;1;, 1;0;1;, 0;1;1;; 1; 3;0,1,2;;"
                             " MeshMaterialList { 1; 1; 0;; " + red + " } }\n}\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 14u);
    // The cube has normals and the triangles do not: they get smooth ones.
    EXPECT_EQ(loaded.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(loaded.mesh->GetNumVertices(), 24u + 3u + 3u);
    // Default (cube), red (B, and C's equal red), nothing else.
    ASSERT_EQ(loaded.materialCount, 2u);
    EXPECT_EQ(loaded.material(0).MatD3D.Diffuse.a, 0.0f);
    EXPECT_EQ(loaded.material(1).MatD3D.Diffuse.r, 1.0f);
    std::vector<DWORD> expected(12, 0);
    expected.push_back(1);
    expected.push_back(1);
    EXPECT_EQ(attributes(loaded.mesh), expected);
    std::vector<float> n = vertexFloats(loaded.mesh, 3, 3);
    EXPECT_EQ(std::vector<float>(n.end() - 3, n.end()), (std::vector<float>{0, 0, 1}));
}

TEST(XMerge, AMeshWithoutNormalsGetsAreaWeightedSmoothOnes) {
    // Beside a cube with normals, two slanted triangles of unequal area that
    // share the edge v0-v1. Their winding normals: (1, 4, -2) and (2, 2, -1).
    const std::string text = std::string(kHeader) + cubeMesh() +
                             "Mesh Roof { 4; 1;2;3;, 1;3;5;, 3;2;4;, 0;2;1;; 2; 3;0,1,2;, 3;1,0,3;; }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ASSERT_EQ(loaded.mesh->GetNumVertices(), 24u + 4u);
    const std::vector<float> n = vertexFloats(loaded.mesh, 3, 3);
    const float shared = 1.0f / std::sqrt(6.0f), alone = 1.0f / std::sqrt(21.0f);
    // The shared corners take the sum (3, 6, -3) before normalising.
    const float expected[4][3] = {{shared, 2 * shared, -shared},
                                  {shared, 2 * shared, -shared},
                                  {alone, 4 * alone, -2 * alone},
                                  {2.0f / 3, 2.0f / 3, -1.0f / 3}};
    for (int v = 0; v < 4; ++v)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(n[size_t(24 + v) * 3 + size_t(k)], expected[v][k], 1e-6f) << "vertex " << v;
}

bool symmetric(const DWORD* adjacency, DWORD faces) {
    for (DWORD f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e) {
            DWORD g = adjacency[f * 3 + e];
            if (g == 0xFFFFFFFF) continue;
            if (g >= faces) return false;
            if (adjacency[g * 3] != f && adjacency[g * 3 + 1] != f && adjacency[g * 3 + 2] != f) return false;
        }
    return true;
}

TEST(XAdjacency, AClosedCubeHasNoOpenEdgeAcrossItsNormalSeams) {
    Loaded loaded;
    load(std::string(kHeader) + cubeMesh(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ASSERT_EQ(loaded.adjacency->GetBufferSize(), 12u * 3 * sizeof(DWORD));
    const DWORD* adjacency = loaded.adjacencyData();
    for (DWORD i = 0; i < 36; ++i) {
        EXPECT_NE(adjacency[i], 0xFFFFFFFF) << "entry " << i;
        EXPECT_NE(adjacency[i], i / 3) << "entry " << i;
    }
    EXPECT_TRUE(symmetric(adjacency, 12));
    // The mesh regenerates the same neighbours itself.
    std::vector<DWORD> again(36);
    ASSERT_EQ(loaded.mesh->GenerateAdjacency(0.0f, again.data()), S_OK);
    EXPECT_EQ(again, std::vector<DWORD>(adjacency, adjacency + 36));
}

TEST(XAdjacency, AnOpenStripHasOpenEdgesOnItsBorder) {
    // Two triangles sharing the edge (1, 2): (0,1,2) and (2,1,3).
    const std::string text = std::string(kHeader) +
                             "Mesh { 4; 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;; 2; 3;0,1,2;, 3;2,1,3;; }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    const DWORD* a = loaded.adjacencyData();
    EXPECT_EQ(std::vector<DWORD>(a, a + 6), (std::vector<DWORD>{0xFFFFFFFF, 1, 0xFFFFFFFF, 0, 0xFFFFFFFF, 0xFFFFFFFF}));
    // Within an epsilon, a gap of 0.001 closes.
    const std::string gapped = std::string(kHeader) +
                               "Mesh { 5; 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;, 0.001;1;0;; 2; 3;0,1,2;, 3;2,4,3;; }\n";
    Loaded apart;
    load(gapped, &apart);
    ASSERT_EQ(apart.result, S_OK);
    std::vector<DWORD> joined(6);
    ASSERT_EQ(apart.mesh->GenerateAdjacency(0.01f, joined.data()), S_OK);
    EXPECT_EQ(joined[1], 1u);
    ASSERT_EQ(apart.mesh->GenerateAdjacency(0.0f, joined.data()), S_OK);
    EXPECT_EQ(joined[1], 0xFFFFFFFFu);
}

}  // namespace
