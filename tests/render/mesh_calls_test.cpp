// What the mesh object asks of the device, through the recording device:
// subsets drawn per pass, nothing issued without a drawable copy, and a
// failed clone (Linux only).
#include "render/mesh_object.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/render/mesh_fixture.h"
#include "tests/render/recording_device.h"

namespace {

class MeshCalls : public MeshDevice {
protected:
    void SetUp() override
    {
        MeshDevice::SetUp();
        recording = std::make_unique<RecordingDevice>(device);
    }
    void TearDown() override
    {
        mesh.releaseAll();
        recording.reset();
        MeshDevice::TearDown();
    }
    std::unique_ptr<RecordingDevice> recording;
};

TEST_F(MeshCalls, EachPassSetsMaterialAndTextureBeforeEachSubset)
{
    writeFile("passes.x", quadsFile({{1, 1, 1, 1.0f, ""}, {1, 1, 1, 0.5f, ""}, {1, 1, 1, 2.0f, ""}}));
    ASSERT_EQ(mesh.loadFromFile(recording.get(), "passes.x"), S_OK);
    ASSERT_EQ(mesh.acquireDeviceMesh(recording.get()), S_OK);
    recording->calls.clear();
    device->BeginScene();
    mesh.drawSubsets(recording.get(), true, true);
    device->EndScene();
    // Materials by their diffuse alpha; textures and draws by name.
    std::vector<std::string> order;
    for (const std::string& call : recording->calls) {
        const std::string name = call.substr(0, call.find(' '));
        if (name == "SetMaterial") order.push_back(call);
        if (name == "SetTexture" || name == "DrawIndexedPrimitive") order.push_back(name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"SetMaterial 1", "SetTexture", "DrawIndexedPrimitive",    // opaque: 1.0
                                               "SetMaterial 2", "SetTexture", "DrawIndexedPrimitive",    // opaque: 2.0
                                               "SetMaterial 0.5", "SetTexture", "DrawIndexedPrimitive",  // translucent
                                               "SetMaterial 2", "SetTexture", "DrawIndexedPrimitive"}));
    for (const std::string& call : recording->callsStartingWith("SetTexture")) EXPECT_EQ(call, "SetTexture 0 null");
    for (const std::string& call : recording->callsStartingWith("SetRenderState")) ADD_FAILURE() << call;
}

TEST_F(MeshCalls, NothingIsIssuedWithoutTheDrawableCopy)
{
    writeFile("one.x", quadsFile({{1, 1, 1, 1, ""}}));
    ASSERT_EQ(mesh.loadFromFile(recording.get(), "one.x"), S_OK);
    recording->calls.clear();
    EXPECT_EQ(mesh.drawSubsets(recording.get(), true, true), E_FAIL);
    EXPECT_TRUE(recording->calls.empty());
}

TEST_F(MeshCalls, FailedCloneLeavesTheMeshLoaded)
{
    writeFile("one.x", quadsFile({{1, 1, 1, 1, ""}}));
    ASSERT_EQ(mesh.loadFromFile(recording.get(), "one.x"), S_OK);
    recording->failNext("CreateVertexBuffer", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(mesh.acquireDeviceMesh(recording.get()), E_FAIL);
    EXPECT_EQ(mesh.deviceMesh, nullptr);
    EXPECT_NE(mesh.systemMesh, nullptr);
    EXPECT_EQ(mesh.drawSubsets(recording.get(), true, true), E_FAIL);
    EXPECT_EQ(mesh.acquireDeviceMesh(recording.get()), S_OK) << "a later acquire succeeds";
    // The clone keeps the vertex format and goes to the default pool.
    EXPECT_EQ(mesh.deviceMesh->GetFVF(), mesh.systemMesh->GetFVF());
    const auto buffers = recording->callsStartingWith("CreateVertexBuffer");
    ASSERT_FALSE(buffers.empty());
    EXPECT_EQ(buffers.back().substr(buffers.back().rfind(' ')), " 0") << "D3DPOOL_DEFAULT";
}

}  // namespace
