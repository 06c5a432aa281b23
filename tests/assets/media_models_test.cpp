// The game's seven models load as the mesh object needs them: one vertex
// format with normals and texture coordinates, materials whose texture files
// are in the media folder, consistent adjacency and an optimisation that
// leaves one subset per material.
#include "math/d3dx_mesh.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* const kModels[] = {"Base02.x", "Lever1t.x", "Lever2t.x", "Lever3t.x", "Lever4t.x", "Lever5t.x", "Lever6t.x"};

std::string mediaPath(const std::string& name) { return std::string(Q31_MEDIA_DIR) + "/" + name; }

bool endsWith(const std::string& text, const char* tail) {
    size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

struct Model {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    HRESULT result;

    explicit Model(const char* name) {
        result = D3DXLoadMeshFromXA(mediaPath(name).c_str(), D3DXMESH_SYSTEMMEM, nullptr, &adjacency, &materials,
                                    nullptr, &materialCount, &mesh);
    }
    ~Model() {
        if (mesh) mesh->Release();
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
    }
    const D3DXMATERIAL& material(DWORD i) const { return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i]; }
};

TEST(MediaModels, EachLoadsOptimisesAndNamesTexturesThatExist) {
    for (const char* name : kModels) {
        SCOPED_TRACE(name);
        Model model(name);
        ASSERT_EQ(model.result, S_OK);
        EXPECT_EQ(model.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
        const DWORD faces = model.mesh->GetNumFaces();
        EXPECT_GE(faces, 12u);
        ASSERT_GE(model.materialCount, 2u);

        const DWORD* adjacency = static_cast<const DWORD*>(model.adjacency->GetBufferPointer());
        for (DWORD i = 0; i < faces * 3; ++i) {
            DWORD g = adjacency[i];
            if (g == 0xFFFFFFFF) continue;
            ASSERT_LT(g, faces);
            EXPECT_TRUE(adjacency[g * 3] == i / 3 || adjacency[g * 3 + 1] == i / 3 || adjacency[g * 3 + 2] == i / 3);
        }
        for (DWORD i = 0; i < model.materialCount; ++i) {
            const char* texture = model.material(i).pTextureFilename;
            if (!texture) continue;
            EXPECT_TRUE(std::ifstream(mediaPath(texture)).good()) << texture;
        }
        // The mesh object's optimisation: every material is used, so each
        // gets its subset.
        ASSERT_EQ(model.mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                              adjacency, nullptr, nullptr, nullptr),
                  S_OK);
        DWORD tableSize = 0;
        model.mesh->GetAttributeTable(nullptr, &tableSize);
        EXPECT_EQ(tableSize, model.materialCount);
        EXPECT_EQ(model.mesh->GetNumFaces(), faces);
    }
}

TEST(MediaModels, TheChestHasWoodInJpegMetalInPngAndOneTranslucentMaterial) {
    Model base("Base02.x");
    ASSERT_EQ(base.result, S_OK);
    int jpeg = 0, png = 0, translucent = 0;
    for (DWORD i = 0; i < base.materialCount; ++i) {
        const D3DXMATERIAL& m = base.material(i);
        if (m.pTextureFilename && endsWith(m.pTextureFilename, ".jpg")) ++jpeg;
        if (m.pTextureFilename && endsWith(m.pTextureFilename, ".png")) ++png;
        if (m.MatD3D.Diffuse.a < 1.0f) ++translucent;
    }
    EXPECT_GE(jpeg, 1);
    EXPECT_GE(png, 1);
    EXPECT_EQ(translucent, 1);
}

TEST(MediaModels, TheSixLeversShareTheirShapeButNotTheirKnobColour) {
    Model first(kModels[1]);
    ASSERT_EQ(first.result, S_OK);
    for (int i = 2; i <= 6; ++i) {
        SCOPED_TRACE(kModels[i]);
        Model lever(kModels[i]);
        ASSERT_EQ(lever.result, S_OK);
        EXPECT_EQ(lever.mesh->GetNumFaces(), first.mesh->GetNumFaces());
        EXPECT_EQ(lever.mesh->GetNumVertices(), first.mesh->GetNumVertices());
        ASSERT_EQ(lever.materialCount, first.materialCount);
        bool differs = false;
        for (DWORD m = 0; m < lever.materialCount; ++m)
            differs |= std::memcmp(&lever.material(m).MatD3D.Diffuse, &first.material(m).MatD3D.Diffuse,
                                   sizeof(D3DCOLORVALUE)) != 0;
        EXPECT_TRUE(differs);
    }
}

}  // namespace
