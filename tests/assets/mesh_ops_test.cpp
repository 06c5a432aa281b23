// The mesh operations without a device: OptimizeInplace, the attribute table,
// buffers, declarations and reference counts.
#include "tests/assets/x_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace xtest;

namespace {

constexpr DWORD kProgramFlags = D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE;

// A 3 × 2 grid of quads (12 triangles) whose materials alternate, so that
// each material's faces are scattered and share vertices with the other's;
// vertex 12 is used by no face.
std::string checkerGrid() {
    std::string text = std::string(kHeader) + "Mesh Grid {\n 13;\n";
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) text += " " + std::to_string(x) + ";" + std::to_string(y) + ";0;,";
    text += " 9;9;9;;\n 6;";
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            int v = y * 4 + x;
            text += " 4;" + std::to_string(v) + "," + std::to_string(v + 4) + "," + std::to_string(v + 5) + "," +
                    std::to_string(v + 1) + (x == 2 && y == 1 ? ";;" : ";,");
        }
    text += "\n MeshMaterialList { 2; 6; 0,1,0,1,0,1;;\n"
            "  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n  Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";
    return text;
}

TEST(MeshOptimize, GroupsEachAttributeAndBuildsTheTable) {
    Loaded loaded;
    load(checkerGrid(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ID3DXMesh* mesh = loaded.mesh;
    const std::vector<float> before = cornerPositions(mesh);
    DWORD tableSize = 99;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &tableSize), S_OK);
    EXPECT_EQ(tableSize, 0u);

    std::vector<DWORD> faceRemap(12);
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(mesh->OptimizeInplace(kProgramFlags, loaded.adjacencyData(), nullptr, faceRemap.data(), &vertexRemap),
              S_OK);
    std::vector<DWORD> attribute = attributes(mesh);
    EXPECT_TRUE(std::is_sorted(attribute.begin(), attribute.end()));

    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &tableSize), S_OK);
    ASSERT_EQ(tableSize, 2u);
    D3DXATTRIBUTERANGE table[2];
    ASSERT_EQ(mesh->GetAttributeTable(table, &tableSize), S_OK);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 6u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 6u);
    EXPECT_EQ(table[1].FaceCount, 6u);
    // Shared vertices are copied per subset, so the ranges are disjoint and
    // hold every index of their faces; the unused vertex is gone.
    std::vector<uint32_t> idx = indices(mesh);
    for (const D3DXATTRIBUTERANGE& range : table)
        for (DWORD i = range.FaceStart * 3; i < (range.FaceStart + range.FaceCount) * 3; ++i) {
            EXPECT_GE(idx[i], range.VertexStart);
            EXPECT_LT(idx[i], range.VertexStart + range.VertexCount);
        }
    EXPECT_EQ(table[0].VertexStart + table[0].VertexCount, table[1].VertexStart);
    EXPECT_EQ(table[1].VertexStart + table[1].VertexCount, mesh->GetNumVertices());
    for (float v : positions(mesh)) EXPECT_NE(v, 9.0f);

    // The same triangles as before, reordered by the face remap.
    std::vector<float> after = cornerPositions(mesh);
    for (DWORD f = 0; f < 12; ++f)
        EXPECT_TRUE(std::equal(after.begin() + f * 9, after.begin() + f * 9 + 9, before.begin() + faceRemap[f] * 9))
            << "face " << f;
    ASSERT_NE(vertexRemap, nullptr);
    EXPECT_EQ(vertexRemap->GetBufferSize(), mesh->GetNumVertices() * sizeof(DWORD));
    vertexRemap->Release();
}

TEST(MeshOptimize, RemapsTheAdjacencyItIsGivenInPlace) {
    Loaded loaded;
    load(checkerGrid(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    DWORD* adjacency = static_cast<DWORD*>(loaded.adjacency->GetBufferPointer());
    std::vector<DWORD> faceRemap(12);
    ASSERT_EQ(loaded.mesh->OptimizeInplace(kProgramFlags, adjacency, adjacency, faceRemap.data(), nullptr), S_OK);
    // Neighbours by position do not change when vertices are split.
    std::vector<DWORD> regenerated(36);
    ASSERT_EQ(loaded.mesh->GenerateAdjacency(0.0f, regenerated.data()), S_OK);
    EXPECT_EQ(std::vector<DWORD>(adjacency, adjacency + 36), regenerated);
    EXPECT_EQ(std::set<DWORD>(faceRemap.begin(), faceRemap.end()).size(), 12u);
}

TEST(MeshOptimize, DoNotSplitAndIgnoreVertsKeepVertices) {
    Loaded kept;
    load(checkerGrid(), &kept);
    ASSERT_EQ(kept.result, S_OK);
    ASSERT_EQ(kept.mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS, nullptr, nullptr, nullptr,
                                         nullptr),
              S_OK);
    EXPECT_EQ(kept.mesh->GetNumVertices(), 13u);

    Loaded compact;
    load(checkerGrid(), &compact);
    ASSERT_EQ(compact.mesh->OptimizeInplace(kProgramFlags | D3DXMESHOPT_DONOTSPLIT, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(compact.mesh->GetNumVertices(), 12u);
}

TEST(MeshOptimize, RefusesUnknownFlagsBadAdjacencyAndLockedMeshes) {
    Loaded loaded;
    load(checkerGrid(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ID3DXMesh* mesh = loaded.mesh;
    EXPECT_EQ(mesh->OptimizeInplace(0x00000004, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER, nullptr, nullptr, nullptr,
                                    nullptr),
              D3DERR_INVALIDCALL);
    std::vector<DWORD> bad(36, 0xFFFFFFFF);
    bad[5] = 12;
    EXPECT_EQ(mesh->OptimizeInplace(kProgramFlags, bad.data(), nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    void* data;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &data), S_OK);
    EXPECT_EQ(mesh->OptimizeInplace(kProgramFlags, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->UnlockVertexBuffer(), S_OK);
    EXPECT_EQ(mesh->UnlockVertexBuffer(), D3DERR_INVALIDCALL);
    // An index written out of range is caught, not followed.
    ASSERT_EQ(mesh->LockIndexBuffer(0, &data), S_OK);
    static_cast<uint16_t*>(data)[4] = 500;
    mesh->UnlockIndexBuffer();
    EXPECT_EQ(mesh->OptimizeInplace(kProgramFlags, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->GetNumFaces(), 12u);
}

TEST(MeshBasics, ReferenceCountsAndBuffers) {
    Loaded loaded;
    load(checkerGrid(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_EQ(loaded.mesh->AddRef(), 2u);
    EXPECT_EQ(loaded.mesh->Release(), 1u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(loaded.mesh->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    // A system-memory mesh made without a device has none to give.
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    EXPECT_EQ(loaded.mesh->GetDevice(&device), D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(loaded.mesh->DrawSubset(0), D3DERR_INVALIDCALL);

    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(10, &buffer), S_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 10u);
    const char* bytes = static_cast<const char*>(buffer->GetBufferPointer());
    EXPECT_TRUE(std::all_of(bytes, bytes + 10, [](char c) { return c == 0; }));
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(D3DXCreateBuffer(10, nullptr), D3DERR_INVALIDCALL);
}

TEST(MeshBasics, DeclarationAndSizeFollowTheVertexFormat) {
    Loaded loaded;
    load(std::string(kHeader) + cubeMesh() , &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    ASSERT_EQ(loaded.mesh->GetDeclaration(declaration), S_OK);
    EXPECT_EQ(declaration[0].Usage, D3DDECLUSAGE_POSITION);
    EXPECT_EQ(declaration[0].Type, D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(declaration[1].Usage, D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(declaration[1].Offset, 12);
    EXPECT_EQ(declaration[2].Stream, 0xFF);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1)), 40u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_NORMAL), 0u);
    EXPECT_EQ(D3DXDeclaratorFromFVF(D3DFVF_NORMAL, declaration), D3DERR_INVALIDCALL);
    ASSERT_EQ(D3DXDeclaratorFromFVF(D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1, declaration), S_OK);
    EXPECT_EQ(declaration[1].Usage, D3DDECLUSAGE_BLENDWEIGHT);
    EXPECT_EQ(declaration[1].Type, D3DDECLTYPE_FLOAT1);
    EXPECT_EQ(declaration[2].Usage, D3DDECLUSAGE_BLENDINDICES);
    EXPECT_EQ(declaration[3].Offset, 20);
}

TEST(MeshBasics, PositionFormatsSizeTheirFloatsAndBlendWeights) {
    const std::pair<DWORD, UINT> sizes[] = {{D3DFVF_XYZ, 12},   {D3DFVF_XYZRHW, 16}, {D3DFVF_XYZW, 16},
                                            {D3DFVF_XYZB1, 16}, {D3DFVF_XYZB2, 20},  {D3DFVF_XYZB3, 24},
                                            {D3DFVF_XYZB4, 28}, {D3DFVF_XYZB5, 32}};
    for (const auto& [fvf, bytes] : sizes) {
        EXPECT_EQ(D3DXGetFVFVertexSize(fvf), bytes) << std::hex << fvf;
        EXPECT_EQ(D3DXGetFVFVertexSize(fvf | D3DFVF_NORMAL | D3DFVF_TEX1), bytes + 20) << std::hex << fvf;
    }
}

TEST(MeshBasics, MoreVerticesThanSixteenBitsHoldGiveThirtyTwoBitIndices) {
    // 70,000 separate triangles' worth of vertices, one face using the last.
    std::string text = std::string(kHeader) + "Mesh { 70002;";
    for (int i = 0; i < 70002; ++i) text += " " + std::to_string(i) + ";0;0;,";
    text.back() = ';';
    text += "; 1; 3;0,70000,70001;; }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_NE(loaded.mesh->GetOptions() & D3DXMESH_32BIT, 0u);
    EXPECT_EQ(indices(loaded.mesh), (std::vector<uint32_t>{0, 70000, 70001}));
    ASSERT_EQ(loaded.mesh->OptimizeInplace(kProgramFlags, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(loaded.mesh->GetNumVertices(), 3u);
}

}  // namespace
