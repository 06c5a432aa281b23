// The mesh on a real device: clones into the device's pools and subsets drawn
// where their faces lie.
#include "tests/assets/x_samples.h"
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <gtest/gtest.h>

using namespace xtest;

namespace {

// Two quads in clip space (identity transforms): attribute 0 on the left
// half, attribute 1 on the right, both wound clockwise on screen.
const std::string kTwoQuads = std::string(kHeader) +
                              "Mesh {\n 8; -0.9;-0.8;0.5;, -0.9;0.8;0.5;, -0.1;0.8;0.5;, -0.1;-0.8;0.5;,\n"
                              "  0.1;-0.8;0.5;, 0.1;0.8;0.5;, 0.9;0.8;0.5;, 0.9;-0.8;0.5;;\n"
                              " 2; 4;0,1,2,3;, 4;4,5,6,7;;\n"
                              " MeshMaterialList { 2; 2; 0, 1;;\n"
                              "  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
                              "  Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";

class MeshOnDevice : public D3d9Device {
protected:
    void SetUp() override {
        D3d9Device::SetUp();
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
        D3DMATRIX identity = {};
        identity._11 = identity._22 = identity._33 = identity._44 = 1;
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &identity);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
    }

    // Loads the two quads as a system-memory mesh on the device, optimised as
    // the mesh object does it.
    void loadOptimised(Loaded* loaded) {
        load(kTwoQuads, loaded, D3DXMESH_SYSTEMMEM, device);
        ASSERT_EQ(loaded->result, S_OK);
        ASSERT_EQ(loaded->mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                                loaded->adjacencyData(), nullptr, nullptr, nullptr),
                  S_OK);
    }

    // Clears, draws one subset of `mesh` in white and reads the frame back.
    std::vector<uint32_t> drawSubset(ID3DXMesh* mesh, DWORD subset) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        EXPECT_EQ(mesh->DrawSubset(subset), D3D_OK);
        device->EndScene();
        return readBack();
    }

    // Inside each quad, away from its edges, and the gap between them.
    void expectOnlyRightQuad(const std::vector<uint32_t>& frame) {
        ASSERT_FALSE(frame.empty());
        const int y = kTestSize / 2;
        EXPECT_TRUE(colorNear(pixelAt(frame, kTestSize * 3 / 4, y), {255, 255, 255}, 8)) << "right quad";
        EXPECT_TRUE(colorNear(pixelAt(frame, kTestSize / 4, y), {0, 0, 0}, 8)) << "left quad";
        EXPECT_TRUE(colorNear(pixelAt(frame, kTestSize / 2, y), {0, 0, 0}, 8)) << "gap";
        EXPECT_TRUE(colorNear(pixelAt(frame, kTestSize * 3 / 4, 2), {0, 0, 0}, 8)) << "above";
    }
};

TEST_F(MeshOnDevice, CloneGoesIntoTheDefaultPoolOrTheManagedOne) {
    Loaded loaded;
    ASSERT_NO_FATAL_FAILURE(loadOptimised(&loaded));
    for (DWORD options : {DWORD(0), DWORD(D3DXMESH_MANAGED)}) {
        ID3DXMesh* clone = nullptr;
        ASSERT_EQ(loaded.mesh->CloneMeshFVF(options, loaded.mesh->GetFVF(), device, &clone), S_OK);
        EXPECT_EQ(clone->GetFVF(), loaded.mesh->GetFVF());
        EXPECT_EQ(clone->GetNumFaces(), 4u);
        IDirect3DVertexBuffer9* vb = nullptr;
        ASSERT_EQ(clone->GetVertexBuffer(&vb), S_OK);
        D3DVERTEXBUFFER_DESC desc;
        ASSERT_EQ(vb->GetDesc(&desc), S_OK);
        EXPECT_EQ(desc.Pool, options ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT);
        vb->Release();
        IDirect3DDevice9* owner = nullptr;
        ASSERT_EQ(clone->GetDevice(&owner), S_OK);
        EXPECT_EQ(owner, device);
        owner->Release();
        // The clone reads back what the source holds, for picking.
        EXPECT_EQ(cornerPositions(clone), cornerPositions(loaded.mesh));
        DWORD tableSize = 0;
        clone->GetAttributeTable(nullptr, &tableSize);
        EXPECT_EQ(tableSize, 2u);
        clone->Release();
    }
    ID3DXMesh* clone = reinterpret_cast<ID3DXMesh*>(1);
    EXPECT_EQ(loaded.mesh->CloneMeshFVF(0, loaded.mesh->GetFVF(), nullptr, &clone), D3DERR_INVALIDCALL);
    EXPECT_EQ(clone, nullptr);
}

TEST_F(MeshOnDevice, DrawSubsetDrawsOnlyThatAttributesFaces) {
    Loaded loaded;
    ASSERT_NO_FATAL_FAILURE(loadOptimised(&loaded));
    ID3DXMesh* drawable = nullptr;
    ASSERT_EQ(loaded.mesh->CloneMeshFVF(0, loaded.mesh->GetFVF(), device, &drawable), S_OK);
    std::vector<uint32_t> frame = drawSubset(drawable, 1);
    saveFrame(frame, "mesh_subset1");
    expectOnlyRightQuad(frame);
    // A subset no face has draws nothing.
    frame = drawSubset(drawable, 7);
    EXPECT_TRUE(colorNear(pixelAt(frame, kTestSize * 3 / 4, kTestSize / 2), {0, 0, 0}, 8));
    drawable->Release();

    // The system-memory mesh draws too, before and after optimisation.
    expectOnlyRightQuad(drawSubset(loaded.mesh, 1));
    Loaded raw;
    load(kTwoQuads, &raw, D3DXMESH_SYSTEMMEM, device);
    ASSERT_EQ(raw.result, S_OK);
    expectOnlyRightQuad(drawSubset(raw.mesh, 1));
}

TEST_F(MeshOnDevice, ThirtyTwoBitSubsetsDrawFromSystemMemory) {
    // Subset 1 starts at face 2: its indices lie 24 bytes in, not 12.
    for (bool optimised : {false, true}) {
        SCOPED_TRACE(optimised ? "optimised" : "as loaded");
        Loaded wide;
        load(kTwoQuads, &wide, D3DXMESH_SYSTEMMEM | D3DXMESH_32BIT, device);
        ASSERT_EQ(wide.result, S_OK);
        ASSERT_NE(wide.mesh->GetOptions() & D3DXMESH_32BIT, 0u);
        if (optimised) {
            ASSERT_EQ(wide.mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, wide.adjacencyData(), nullptr, nullptr, nullptr),
                      S_OK);
        }
        expectOnlyRightQuad(drawSubset(wide.mesh, 1));
    }
}

}  // namespace
