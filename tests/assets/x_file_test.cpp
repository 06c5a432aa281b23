// Loading from files: names through the platform's file calls, not-found
// codes, and every output cleared on failure.
#include "tests/assets/x_samples.h"
#include "tests/platform/kernel/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace xtest;

namespace {

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

TEST(XFile, LoadsThroughBackslashesAndTheCurrentFolder) {
    kerneltest::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(folder.makeFolder("x"));
    writeFile(folder.at("x/Cube.x"), std::string(kHeader) + cubeMesh());
    ASSERT_TRUE(folder.enter());
    for (const char* name : {"x\\Cube.x", "x/Cube.x"}) {
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        DWORD materials = 0;
        ASSERT_EQ(D3DXLoadMeshFromX(name, D3DXMESH_SYSTEMMEM, nullptr, &adjacency, nullptr, nullptr, &materials, &mesh),
                  S_OK)
            << name;
        EXPECT_EQ(mesh->GetNumFaces(), 12u);
        EXPECT_EQ(materials, 1u);
        EXPECT_EQ(mesh->GetOptions() & D3DXMESH_SYSTEMMEM, DWORD(D3DXMESH_SYSTEMMEM));
        mesh->Release();
        adjacency->Release();
    }
}

TEST(XFile, AMissingFileGivesTheFileCodeAndNullOutputs) {
    kerneltest::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
    ID3DXBuffer* adjacency = reinterpret_cast<ID3DXBuffer*>(1);
    ID3DXBuffer* materials = reinterpret_cast<ID3DXBuffer*>(1);
    ID3DXBuffer* effects = reinterpret_cast<ID3DXBuffer*>(1);
    DWORD count = 7;
    EXPECT_EQ(D3DXLoadMeshFromXA(folder.at("none.x").c_str(), D3DXMESH_SYSTEMMEM, nullptr, &adjacency, &materials,
                                 &effects, &count, &mesh),
              HRESULT(0x80070002));
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(adjacency, nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(effects, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(D3DXLoadMeshFromXA(nullptr, D3DXMESH_SYSTEMMEM, nullptr, nullptr, nullptr, nullptr, nullptr, &mesh),
              D3DERR_INVALIDCALL);
    // A pool other than system memory needs a device.
    writeFile(folder.at("cube.x"), std::string(kHeader) + cubeMesh());
    EXPECT_EQ(D3DXLoadMeshFromXA(folder.at("cube.x").c_str(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
}

}  // namespace
