// The mesh object on a real device: loading with materials and textures,
// the two passes by diffuse alpha, and its states (both targets).
#include "render/mesh_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "tests/render/mesh_fixture.h"

namespace {

// How many times a subset was drawn, from the light countDraws adds per draw.
int drawsAt(const Frame& frame, size_t quad, size_t quads)
{
    return int(std::lround(greenOf(quadCentre(frame, quad, quads)) / 64.0));
}

using MeshObjectDraw = MeshDevice;

TEST_F(MeshObjectDraw, DiffuseAlphaChoosesThePasses)
{
    writeFile("passes.x", quadsFile({{1, 1, 1, 1.0f, ""}, {1, 1, 1, 0.5f, ""}, {1, 1, 1, 2.0f, ""}, {1, 1, 1, 0, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "passes.x"), S_OK);
    ASSERT_EQ(mesh.materialCount, 4u);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    countDraws();
    const struct {
        bool opaque, translucent;
        int draws[4];
    } cases[] = {{true, true, {1, 1, 2, 1}}, {true, false, {1, 0, 1, 0}}, {false, true, {0, 1, 1, 1}}, {false, false, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        const Frame frame = drawFrame(0xFF000000, [&] { EXPECT_EQ(mesh.drawSubsets(device, c.opaque, c.translucent), S_OK); });
        if (c.opaque && c.translucent) saveFrame(frame, "mesh_passes");
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(drawsAt(frame, i, 4), c.draws[i]) << "subset " << i << ", opaque " << c.opaque << ", translucent "
                                                        << c.translucent;
    }
}

TEST_F(MeshObjectDraw, NanAlphaIsTranslucentOnlyAndUnlitTablesDrawOpaqueOnly)
{
    // Different colours: the loader shares a material that two meshes have alike.
    writeFile("two.x", quadsFile({{1, 1, 1, 1.0f, ""}, {1, 1, 0.5f, 1.0f, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "two.x"), S_OK);
    ASSERT_EQ(mesh.materialCount, 2u);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    mesh.materials[1].Diffuse.a = std::numeric_limits<float>::quiet_NaN();
    countDraws();
    Frame frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, true); });
    EXPECT_EQ(drawsAt(frame, 0, 2), 1);
    EXPECT_EQ(drawsAt(frame, 1, 2), 1);
    frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, false); });
    EXPECT_EQ(drawsAt(frame, 1, 2), 0) << "NaN is not drawn as opaque";

    mesh.useMaterials = false;
    frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, true); });
    EXPECT_EQ(drawsAt(frame, 0, 2), 1);
    EXPECT_EQ(drawsAt(frame, 1, 2), 1) << "without materials every subset is drawn once, in the opaque pass";
}

TEST_F(MeshObjectDraw, SubsetsShowTheirMaterialAndTextureAndAMissingTextureUnbindsTheStage)
{
    writeFile("green.bmp", solidBitmap(0, 255, 0));
    writeFile("mats.x", quadsFile({{1, 1, 1, 1, "green.bmp"}, {0, 0, 1, 1, "missing.png"}, {1, 0, 0, 1, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "mats.x"), S_OK) << "a missing texture is no failure";
    ASSERT_EQ(mesh.materialCount, 3u);
    EXPECT_NE(mesh.textures[0], nullptr);
    EXPECT_EQ(mesh.textures[1], nullptr);
    EXPECT_EQ(mesh.textures[2], nullptr);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    showMaterials();
    const Frame frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, true); });
    saveFrame(frame, "mesh_materials");
    auto close = [](uint32_t p, int r, int g, int b) {
        return std::abs(redOf(p) - r) <= 3 && std::abs(greenOf(p) - g) <= 3 && std::abs(blueOf(p) - b) <= 3;
    };
    EXPECT_TRUE(close(quadCentre(frame, 0, 3), 0, 255, 0)) << std::hex << quadCentre(frame, 0, 3);
    EXPECT_TRUE(close(quadCentre(frame, 1, 3), 0, 0, 255)) << std::hex << quadCentre(frame, 1, 3);
    EXPECT_TRUE(close(quadCentre(frame, 2, 3), 255, 0, 0)) << std::hex << quadCentre(frame, 2, 3);
    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr) << "the last subset drawn has no texture";
}

TEST_F(MeshObjectDraw, FileWithoutMaterialsGetsTheDefaultDrawnOnlyAsTranslucent)
{
    writeFile("plain.x", quadsFile({}, 2));
    ASSERT_EQ(mesh.loadFromFile(device, "plain.x"), S_OK);
    ASSERT_EQ(mesh.materialCount, 1u);
    EXPECT_EQ(mesh.materials[0].Diffuse.a, 0.0f);
    EXPECT_EQ(mesh.materials[0].Diffuse.r, 0.5f);
    EXPECT_EQ(mesh.textures[0], nullptr);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    countDraws();
    Frame frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, false); });
    EXPECT_EQ(drawsAt(frame, 0, 2) + drawsAt(frame, 1, 2), 0);
    frame = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, false, true); });
    EXPECT_EQ(drawsAt(frame, 0, 2), 1);
    EXPECT_EQ(drawsAt(frame, 1, 2), 1);
}

TEST_F(MeshObjectDraw, FilesAreFoundThroughTheMediaSearch)
{
    // Neither "x\" nor "tex\" exists: both names fall back to the bare name here.
    writeFile("found.x", quadsFile({{1, 1, 1, 1, "tex\\green.bmp"}}));
    writeFile("green.bmp", solidBitmap(0, 255, 0));
    ASSERT_EQ(mesh.loadFromFile(device, "x\\found.x"), S_OK);
    EXPECT_NE(mesh.textures[0], nullptr);
}

TEST_F(MeshObjectDraw, LoadingOptimisesEachSubsetIntoOneRunOfFaces)
{
    // Three quads, materials 0, 1, 0: subset 0's faces are apart in the file.
    writeFile("apart.x", quadsFile({{1, 0, 0, 1, ""}, {0, 1, 0, 1, ""}}, 3));
    ASSERT_EQ(mesh.loadFromFile(device, "apart.x"), S_OK);
    DWORD size = 0;
    ASSERT_EQ(mesh.systemMesh->GetAttributeTable(nullptr, &size), S_OK);
    ASSERT_EQ(size, 2u);
    D3DXATTRIBUTERANGE table[2] = {};
    ASSERT_EQ(mesh.systemMesh->GetAttributeTable(table, &size), S_OK);
    // (subset, first face, faces) of each run.
    std::vector<std::vector<DWORD>> runs;
    for (const D3DXATTRIBUTERANGE& r : table) runs.push_back({r.AttribId, r.FaceStart, r.FaceCount});
    EXPECT_EQ(runs, (std::vector<std::vector<DWORD>>{{0, 0, 4}, {1, 4, 2}}));
}

using MeshObjectStates = MeshDevice;

TEST_F(MeshObjectStates, DrawingNeedsTheDeviceMeshAndTouchesNothingWithout)
{
    EXPECT_EQ(mesh.acquireDeviceMesh(device), E_FAIL) << "empty";
    EXPECT_EQ(mesh.drawSubsets(device, true, true), E_FAIL);
    writeFile("one.x", quadsFile({{0.25f, 0.5f, 0.75f, 1, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "one.x"), S_OK);
    D3DMATERIAL9 sentinel = {};
    sentinel.Diffuse = {0.125f, 0.25f, 0.375f, 0.5f};
    device->SetMaterial(&sentinel);
    EXPECT_EQ(mesh.drawSubsets(device, true, true), E_FAIL) << "loaded, not acquired";
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    EXPECT_EQ(mesh.releaseDeviceMesh(), S_OK);
    EXPECT_EQ(mesh.releaseDeviceMesh(), S_OK);
    EXPECT_EQ(mesh.deviceMesh, nullptr);
    EXPECT_NE(mesh.systemMesh, nullptr);
    EXPECT_EQ(mesh.drawSubsets(device, true, true), E_FAIL) << "after the release";
    D3DMATERIAL9 now = {};
    device->GetMaterial(&now);
    EXPECT_EQ(std::memcmp(&now, &sentinel, sizeof now), 0) << "no material was set";

    EXPECT_EQ(mesh.releaseAll(), S_OK);
    EXPECT_EQ(mesh.releaseAll(), S_OK);
    EXPECT_EQ(mesh.systemMesh, nullptr);
    EXPECT_EQ(mesh.materials, nullptr);
    EXPECT_EQ(mesh.textures, nullptr);
    EXPECT_EQ(mesh.materialCount, 0u);
}

TEST_F(MeshObjectStates, LoadFailuresLeaveTheObjectEmpty)
{
    // Not found, the search leaves the name or (with no SDK media root) an empty path to load from.
    const HRESULT missing = mesh.loadFromFile(device, "nowhere.x");
    EXPECT_TRUE(missing == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || missing == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
        << std::hex << missing;
    writeFile("frameonly.x", "xof 0303txt 0032\nFrame empty { FrameTransformMatrix { 1;0;0;0;0;1;0;0;0;0;1;0;0;0;0;1;; } }\n");
    EXPECT_EQ(mesh.loadFromFile(device, "frameonly.x"), E_FAIL) << "a file with no mesh";
    writeFile("broken.x", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;");
    EXPECT_LT(mesh.loadFromFile(device, "broken.x"), 0);
    EXPECT_EQ(mesh.loadFromFile(device, nullptr), E_INVALIDARG);
    EXPECT_EQ(mesh.systemMesh, nullptr);
    EXPECT_EQ(mesh.materials, nullptr);
    EXPECT_EQ(mesh.materialCount, 0u);
    EXPECT_EQ(mesh.acquireDeviceMesh(device), E_FAIL);
}

TEST_F(MeshObjectStates, LoadingAgainReplacesWhatWasThere)
{
    writeFile("three.x", quadsFile({{1, 0, 0, 1, ""}, {0, 1, 0, 1, ""}, {0, 0, 1, 1, ""}}));
    writeFile("one.x", quadsFile({{1, 1, 1, 0.5f, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "three.x"), S_OK);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    ASSERT_EQ(mesh.loadFromFile(device, "one.x"), S_OK);
    EXPECT_EQ(mesh.materialCount, 1u);
    EXPECT_EQ(mesh.deviceMesh, nullptr) << "the old drawable copy went with the old mesh";
    EXPECT_EQ(mesh.materials[0].Diffuse.a, 0.5f);
}

TEST_F(MeshObjectStates, DeviceMeshGoesAroundAResetAndTexturesStay)
{
    writeFile("green.bmp", solidBitmap(0, 255, 0));
    writeFile("reset.x", quadsFile({{1, 1, 1, 1, "green.bmp"}, {1, 0, 0, 1, ""}}));
    ASSERT_EQ(mesh.loadFromFile(device, "reset.x"), S_OK);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    showMaterials();
    const Frame before = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, true); });
    IDirect3DTexture9* texture = mesh.textures[0];

    D3DPRESENT_PARAMETERS parameters = presentation;
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL) << "the default-pool clone is alive";
    mesh.releaseDeviceMesh();
    parameters = presentation;
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    ASSERT_EQ(mesh.acquireDeviceMesh(device), S_OK);
    EXPECT_EQ(mesh.textures[0], texture);
    showMaterials();
    const Frame after = drawFrame(0xFF000000, [&] { mesh.drawSubsets(device, true, true); });
    EXPECT_EQ(greenOf(quadCentre(after, 0, 2)), greenOf(quadCentre(before, 0, 2)));
    EXPECT_GE(greenOf(quadCentre(after, 0, 2)), 250);
    EXPECT_GE(redOf(quadCentre(after, 1, 2)), 250);
}

TEST(MeshObjectName, KeepsTheFirst511Bytes)
{
    const std::string longName(600, 'n');
    MeshObject named(longName.c_str());
    EXPECT_EQ(std::strlen(named.meshName), 511u);
    EXPECT_EQ(std::string(MeshObject().meshName), "CD3DFile_Mesh");
    EXPECT_TRUE(MeshObject().useMaterials);
    EXPECT_EQ(MeshObject().materialCount, 0u);
}

}  // namespace
