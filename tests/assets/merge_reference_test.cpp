// The loader's face adjacency and material merging against simple reference
// versions on random input: small vertex pools so that edges are often met
// by three or more faces in either direction, degenerate corners, and
// materials that differ in a single byte or only in their texture name.
#include "assets/adjacency.h"
#include "assets/mesh_build.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

// The pairing rule spelled out: faces in order, edges in order; an unpaired
// edge takes the first unpaired edge of another face (by face, then edge)
// running the other way, or failing that the first running the same way.
std::vector<DWORD> referenceAdjacency(const std::vector<uint32_t>& indices, const std::vector<uint32_t>& canonical) {
    const size_t faces = indices.size() / 3;
    std::vector<DWORD> out(indices.size(), kNoNeighbour);
    auto corner = [&](size_t f, unsigned k) { return canonical[indices[f * 3 + k % 3]]; };
    for (size_t f = 0; f < faces; ++f)
        for (unsigned e = 0; e < 3; ++e) {
            const uint32_t a = corner(f, e), b = corner(f, e + 1);
            if (out[f * 3 + e] != kNoNeighbour || a == b) continue;
            size_t opposite = SIZE_MAX, same = SIZE_MAX;
            for (size_t g = 0; g < faces && opposite == SIZE_MAX; ++g)
                for (unsigned k = 0; k < 3 && g != f; ++k) {
                    if (out[g * 3 + k] != kNoNeighbour) continue;
                    if (corner(g, k) == b && corner(g, k + 1) == a && opposite == SIZE_MAX) opposite = g * 3 + k;
                    if (corner(g, k) == a && corner(g, k + 1) == b && same == SIZE_MAX) same = g * 3 + k;
                }
            const size_t other = opposite != SIZE_MAX ? opposite : same;
            if (other == SIZE_MAX) continue;
            out[f * 3 + e] = static_cast<DWORD>(other / 3);
            out[other] = static_cast<DWORD>(f);
        }
    return out;
}

TEST(MergeReference, AdjacencyMatchesThePairingRuleOnRandomMeshes) {
    std::mt19937 random(1234);
    size_t sharedByMoreThanTwo = 0;
    for (int round = 0; round < 400; ++round) {
        const uint32_t vertices = 3 + random() % 10;
        const size_t faces = 1 + random() % 60;
        // Some vertices stand at the place of a lower-numbered one.
        std::vector<uint32_t> canonical(vertices);
        for (uint32_t v = 0; v < vertices; ++v) canonical[v] = random() % 4 == 0 ? canonical[random() % (v + 1)] : v;
        std::vector<uint32_t> indices(faces * 3);
        for (uint32_t& i : indices) i = random() % vertices;

        std::vector<DWORD> fast(indices.size());
        faceAdjacency(indices.data(), static_cast<DWORD>(faces), canonical, fast.data());
        const std::vector<DWORD> expected = referenceAdjacency(indices, canonical);
        ASSERT_EQ(fast, expected) << "round " << round;

        std::vector<size_t> uses(vertices * vertices);
        for (size_t c = 0; c < indices.size(); ++c) {
            uint32_t a = canonical[indices[c]], b = canonical[indices[c - c % 3 + (c + 1) % 3]];
            if (a != b) ++uses[std::min(a, b) * vertices + std::max(a, b)];
        }
        sharedByMoreThanTwo += std::count_if(uses.begin(), uses.end(), [](size_t n) { return n > 2; });
    }
    EXPECT_GT(sharedByMoreThanTwo, 1000u);  // the interesting case was exercised
}

TEST(MergeReference, ExactGroupingNamesTheLowestVertexAtEachPlace) {
    std::mt19937 random(7);
    const float values[] = {0.0f, -0.0f, 1.0f, 0.5f, -2.0f};
    for (int round = 0; round < 100; ++round) {
        // Vertices of 5 floats (position, then two that must not matter).
        const DWORD count = 1 + random() % 50;
        std::vector<float> vertices(size_t(count) * 5);
        for (float& f : vertices) f = values[random() % 5];
        const std::vector<uint32_t> canonical =
            canonicalVertices(reinterpret_cast<const uint8_t*>(vertices.data()), 5 * sizeof(float), count, 0);
        for (DWORD v = 0; v < count; ++v) {
            DWORD lowest = v;
            for (DWORD u = 0; u < v && lowest == v; ++u)
                if (vertices[u * 5] == vertices[v * 5] && vertices[u * 5 + 1] == vertices[v * 5 + 1] &&
                    vertices[u * 5 + 2] == vertices[v * 5 + 2])  // -0 == +0 here too
                    lowest = u;
            ASSERT_EQ(canonical[v], lowest) << "round " << round << " vertex " << v;
        }
    }
}

// Texture names, one of them twice: equal names are one texture.
const std::vector<std::string> kTextures = {"a.png", "b.png", "t.png", "a.png"};

XMaterial randomMaterial(std::mt19937& random, const decltype(XDocument::materials)& earlier) {
    if (!earlier.empty() && random() % 3 == 0) {
        // A copy of an earlier one, or one differing from it in one byte or
        // in its texture.
        XMaterial m = earlier[random() % earlier.size()];
        switch (random() % 3) {
            case 0: break;
            case 1: reinterpret_cast<uint8_t*>(m.values)[random() % sizeof(m.values)] ^= 1; break;
            case 2: m.texture = m.texture == kNoXTexture ? uint32_t(random() % kTextures.size()) : kNoXTexture; break;
        }
        return m;
    }
    XMaterial m;
    m.values[0] = float(random() % 3);
    m.values[4] = float(random() % 2);
    if (random() % 2) m.texture = uint32_t(random() % kTextures.size());
    return m;
}

// What a material comes to in the loaded buffer: its record and texture name.
bool sameMaterial(const XMaterial* a, const XMaterial* b) {
    const D3DMATERIAL9 ra = xMaterialToD3D(a), rb = xMaterialToD3D(b);
    auto name = [](const XMaterial* m) { return m && m->texture != kNoXTexture ? kTextures[m->texture] : ""; };
    return std::memcmp(&ra, &rb, sizeof ra) == 0 && name(a) == name(b);
}

TEST(MergeReference, EqualMaterialsAreSharedAndNumberedByFirstUse) {
    std::mt19937 random(99);
    for (int round = 0; round < 200; ++round) {
        XDocument doc;
        doc.textureFiles = kTextures;
        doc.frames.emplace_back();
        D3DXMatrixTranslation(&doc.frames[0].local, 0, 0, 0);
        const size_t materials = 1 + random() % 40;
        for (size_t i = 0; i < materials; ++i) doc.materials.push_back(randomMaterial(random, doc.materials));
        // Meshes of one triangle per face, each with a list over random
        // document materials, one without a list (the default material).
        std::vector<const XMaterial*> faceMaterial;  // expected, per built triangle
        for (int meshes = 1 + random() % 4, k = 0; k < meshes; ++k) {
            XMesh m;
            m.vertexCount = 3;
            m.positions.assign(9, 0.0f);
            const size_t faces = 1 + random() % 30;
            m.cornerCounts.assign(faces, 3);
            for (size_t f = 0; f < faces; ++f) m.corners.insert(m.corners.end(), {0, 1, 2});
            m.hasMaterialList = random() % 5 != 0;
            if (m.hasMaterialList) {
                for (size_t i = 0, n = 1 + random() % 6; i < n; ++i) m.materials.push_back(random() % materials);
                for (size_t f = 0; f < faces; ++f) m.polygonMaterials.push_back(random() % m.materials.size());
            }
            for (size_t f = 0; f < faces; ++f)
                faceMaterial.push_back(m.hasMaterialList ? &doc.materials[m.materials[m.polygonMaterials[f]]]
                                                         : nullptr);
            doc.frames[0].meshes.push_back(static_cast<uint32_t>(doc.meshes.size()));
            doc.meshes.push_back(std::move(m));
        }

        MeshContent content;
        ASSERT_EQ(buildMeshContent(doc, &content), S_OK);
        ASSERT_EQ(content.attributes.size(), faceMaterial.size());
        // Each face keeps its material; no two built materials are equal; a
        // new number appears only after all lower ones have.
        DWORD seen = 0;
        for (size_t f = 0; f < faceMaterial.size(); ++f) {
            const DWORD id = content.attributes[f];
            ASSERT_LT(id, content.materials.size());
            EXPECT_TRUE(sameMaterial(content.materials[id], faceMaterial[f])) << "round " << round;
            ASSERT_LE(id, seen);
            if (id == seen) ++seen;
        }
        EXPECT_EQ(seen, content.materials.size());
        for (size_t i = 0; i < content.materials.size(); ++i)
            for (size_t j = i + 1; j < content.materials.size(); ++j)
                EXPECT_FALSE(sameMaterial(content.materials[i], content.materials[j])) << "round " << round;
    }
}

}  // namespace
