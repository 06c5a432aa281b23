// The .x text format as files write it: headers, separators, comments,
// templates, unknown objects, polygons, materials, normals and texture
// coordinates.
#include "tests/assets/x_samples.h"

#include <gtest/gtest.h>

using namespace xtest;

namespace {

const std::string kTriangle = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";

TEST(XHeader, AcceptsTextVersionsAndFloatWidths) {
    for (const char* header : {"xof 0303txt 0032", "xof 0302txt 0032", "xof 0303txt 0064", "xof 0302txt 0064"})
        EXPECT_EQ(loadResult(std::string(header) + "\n" + kTriangle), S_OK) << header;
    // No line break after the header is needed.
    EXPECT_EQ(loadResult("xof 0303txt 0032" + kTriangle), S_OK);
}

TEST(XHeader, RefusesOtherFormatsWithTheirCodes) {
    EXPECT_EQ(loadResult("xof 0303bin 0032\n" + kTriangle), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xof 0303tzip0032\n" + kTriangle), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xof 0303bzip0032\n" + kTriangle), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xof 0303com 0032\n" + kTriangle), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xog 0303txt 0032\n" + kTriangle), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xof 0303txt"), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult(""), D3DXFERR_BADFILETYPE);
    EXPECT_EQ(loadResult("xof 0201txt 0032\n" + kTriangle), D3DXFERR_BADFILEVERSION);
    EXPECT_EQ(loadResult("xof 0304txt 0032\n" + kTriangle), D3DXFERR_BADFILEVERSION);
    EXPECT_EQ(loadResult("xof 0303txt 0016\n" + kTriangle), D3DXFERR_BADFILEFLOATSIZE);
}

TEST(XSeparators, StrictSampleStyleSparseAndCommentedFilesGiveTheSameMesh) {
    const std::string strict = std::string(kHeader) +
                               "Mesh Quad {\n 4;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;1.0;0.0;,\n 0.0;1.0;0.0;;\n"
                               " 2;\n 3;0,2,1;,\n 3;0,3,2;;\n"
                               " MeshMaterialList { 1; 2; 0, 0; Material { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; } }\n}\n";
    const std::string sampleStyle = std::string(kHeader) +
                                    "Mesh Quad {\r\n 4;\r\n 0.0;0.0;0.0;,\r\n 1.0;0.0;0.0;,\r\n 1.0;1.0;0.0;,\r\n"
                                    " 0.0;1.0;0.0;;\r\n 2;\r\n 3;0,2,1;,\r\n 3;0,3,2;;\r\n"
                                    " MeshMaterialList { 1; 2; 0, 0;; Material { 1;0;0;1;;5;0;0;0;;0;0;0;;; } }\r\n}\r\n";
    const std::string sparse = std::string(kHeader) +
                               "Mesh Quad{4 0 0 0 1 0 0 1 1 0 0 1 0 2 3 0 2 1 3 0 3 2\n"
                               "MeshMaterialList{1 2 0 0 Material{1 0 0 1 5 0 0 0 0 0 0}}}";
    const std::string commented = std::string(kHeader) +
                                  "// a quad\nMesh Quad { # positions follow\n 4; 0;0;0;, 1;0;0;, // two\n"
                                  " 1;1;0;, 0;1;0;;\r 2; 3;0,2,1;, # first\r 3;0,3,2;;\n"
                                  " MeshMaterialList { 1; 2; 0, 0; Material { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; } }\n}";
    Loaded reference;
    load(strict, &reference);
    ASSERT_EQ(reference.result, S_OK);
    for (const std::string* text : {&sampleStyle, &sparse, &commented}) {
        Loaded other;
        load(*text, &other);
        ASSERT_EQ(other.result, S_OK) << *text;
        EXPECT_EQ(cornerPositions(other.mesh), cornerPositions(reference.mesh));
        EXPECT_EQ(other.materialCount, 1u);
        EXPECT_EQ(other.material(0).MatD3D.Diffuse.r, 1.0f);
        EXPECT_EQ(other.material(0).MatD3D.Power, 5.0f);
    }
}

TEST(XObjects, TemplatesAndUnknownObjectsAnywhereAreSkipped) {
    const std::string text = std::string(kHeader) +
                             "template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD nVertices; [...] }\n"
                             "Header { 1; 0; 1; }\n"
                             "AnimationSet Walk { Animation { \"a } in a string {\"; { Cube } } }\n"
                             "TEMPLATE Custom { <12345678-1234-1234-1234-123456789ABC> array FLOAT v[3]; }\n"
                             "Mesh Tri { <3D82AB44-62DA-11cf-AB39-0020AF71E433> 3; 0;0;0;, 1;0;0;, 0;1;0;;"
                             " 1; 3;0,1,2;; DeclData { 1; 2; } FaceAdjacency { 3; 0,1,2; } }\n"
                             "template Late { <12345678-1234-1234-1234-123456789ABD> DWORD x; }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 1u);
}

TEST(XPolygons, QuadsAndPentagonsBecomeFansKeepingTheirMaterial) {
    const std::string text = std::string(kHeader) +
                             "Mesh {\n 7; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 2;0;0;, 3;1;0;, 2;2;0;;\n"
                             " 3; 4;0,3,2,1;, 5;1,2,6,5,4;, 2;0,1;;\n"
                             " MeshMaterialList { 2; 3; 1, 0, 1;;\n"
                             "  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
                             "  Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    // 2 + 3 triangles; the two-corner face has no area and is dropped.
    ASSERT_EQ(loaded.mesh->GetNumFaces(), 5u);
    std::vector<float> corners = cornerPositions(loaded.mesh);
    // Fans keep the source order: (v0, vi, vi+1).
    const std::vector<float> expected = {0, 0, 0, 0, 1, 0, 1, 1, 0,  0, 0, 0, 1, 1, 0, 1, 0, 0,
                                         1, 0, 0, 1, 1, 0, 2, 2, 0,  1, 0, 0, 2, 2, 0, 3, 1, 0,
                                         1, 0, 0, 3, 1, 0, 2, 0, 0};
    EXPECT_EQ(corners, expected);
    // Attribute ids follow first use: the quad's green material becomes 0.
    ASSERT_EQ(loaded.materialCount, 2u);
    EXPECT_EQ(loaded.material(0).MatD3D.Diffuse.g, 1.0f);
    EXPECT_EQ(attributes(loaded.mesh), (std::vector<DWORD>{0, 0, 1, 1, 1}));
}

TEST(XMaterials, AShortFaceListRepeatsItsLastEntry) {
    const std::string text = std::string(kHeader) + "Material Red { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n" +
                             "Material Blue { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
                             "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 3; 3;0,1,2;, 3;0,2,3;, 3;0,3,1;;\n"
                             " MeshMaterialList { 2; 2; 0, 1; {Red} {Blue} } }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_EQ(attributes(loaded.mesh), (std::vector<DWORD>{0, 1, 1}));
    ASSERT_EQ(loaded.materialCount, 2u);
    EXPECT_EQ(loaded.material(1).MatD3D.Diffuse.b, 1.0f);
}

TEST(XMaterials, InlineAndReferencedMaterialsWithTheirTextureNames) {
    const std::string text =
        std::string(kHeader) +
        "Material Wood { 0.6;0.4;0.2;1.0;; 10.0; 0.1;0.2;0.3;; 0.01;0.02;0.03;; TextureFilename { \"tex\\wood.jpg\"; } }\n"
        "Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
        " MeshMaterialList { 2; 2; 1, 0;\n"
        "  Material Glass { 0.5;0.7;0.9;0.4;; 40; 1;1;1;; 0;0;0;; TextureFilename { \"C:\\\\media\\\\glass.png\"; }"
        " TextureFilename { \"second.png\"; } }\n"
        "  { Wood } } }\n";
    Loaded loaded;
    load(text, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ASSERT_EQ(loaded.materialCount, 2u);
    const D3DMATERIAL9& wood = loaded.material(0).MatD3D;
    EXPECT_EQ(wood.Diffuse.r, 0.6f);
    EXPECT_EQ(wood.Diffuse.a, 1.0f);
    EXPECT_EQ(wood.Power, 10.0f);
    EXPECT_EQ(wood.Specular.b, 0.3f);
    EXPECT_EQ(wood.Specular.a, 1.0f);
    EXPECT_EQ(wood.Emissive.g, 0.02f);
    EXPECT_EQ(wood.Ambient.r, wood.Diffuse.r);
    EXPECT_STREQ(loaded.material(0).pTextureFilename, "tex\\wood.jpg");
    EXPECT_EQ(loaded.material(1).MatD3D.Diffuse.a, 0.4f);
    // Doubled backslashes are one separator; the first name counts.
    EXPECT_STREQ(loaded.material(1).pTextureFilename, "C:\\media\\glass.png");
}

TEST(XMaterials, AFileWithoutMaterialsGetsTheDefaultOne) {
    Loaded loaded;
    load(std::string(kHeader) + kTriangle, &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    ASSERT_EQ(loaded.materialCount, 1u);
    ASSERT_EQ(loaded.materials->GetBufferSize(), sizeof(D3DXMATERIAL));
    const D3DMATERIAL9& m = loaded.material(0).MatD3D;
    for (const D3DCOLORVALUE& c : {m.Diffuse, m.Specular}) {
        EXPECT_EQ(c.r, 0.5f);
        EXPECT_EQ(c.g, 0.5f);
        EXPECT_EQ(c.b, 0.5f);
        EXPECT_EQ(c.a, 0.0f);
    }
    for (const D3DCOLORVALUE& c : {m.Ambient, m.Emissive}) EXPECT_EQ(c.r + c.g + c.b + c.a, 0.0f);
    EXPECT_EQ(m.Power, 0.0f);
    EXPECT_EQ(loaded.material(0).pTextureFilename, nullptr);
}

TEST(XVertexData, NormalsSplitVerticesAndTextureCoordinatesFollowTheirVertex) {
    Loaded loaded;
    load(std::string(kHeader) + cubeMesh(), &loaded);
    ASSERT_EQ(loaded.result, S_OK);
    EXPECT_EQ(loaded.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL));
    EXPECT_EQ(loaded.mesh->GetNumFaces(), 12u);
    EXPECT_EQ(loaded.mesh->GetNumVertices(), 24u);
    // Every corner carries its side's normal.
    std::vector<float> p = positions(loaded.mesh), n = vertexFloats(loaded.mesh, 3, 3);
    for (uint32_t i : indices(loaded.mesh)) {
        float along = p[i * 3] * n[i * 3] + p[i * 3 + 1] * n[i * 3 + 1] + p[i * 3 + 2] * n[i * 3 + 2];
        EXPECT_EQ(along, 1.0f) << "vertex " << i;
    }

    const std::string textured = std::string(kHeader) +
                                 "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                                 " MeshTextureCoords { 4; 0.25;0.5;, 1;0;, 0;1;, 9;9;; }\n"
                                 " MeshVertexColors { 1; 2; 1;0;0;1;;; } }\n";
    Loaded tex;
    load(textured, &tex);
    ASSERT_EQ(tex.result, S_OK);
    // Vertex colours are read but not made part of the vertex.
    EXPECT_EQ(tex.mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_TEX1));
    EXPECT_EQ(tex.mesh->GetNumBytesPerVertex(), 20u);
    EXPECT_EQ(vertexFloats(tex.mesh, 3, 2), (std::vector<float>{0.25f, 0.5f, 1, 0, 0, 1}));
}

TEST(XVertexData, NoMeshOrOnlyEmptyMeshesFailWithEFail) {
    EXPECT_EQ(loadResult(std::string(kHeader)), E_FAIL);
    EXPECT_EQ(loadResult(std::string(kHeader) + "Material M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\nFrame F { }\n"), E_FAIL);
    EXPECT_EQ(loadResult(std::string(kHeader) + "Mesh Empty { 0;; 0;; }\n"), E_FAIL);
    // An empty mesh next to a real one is skipped.
    Loaded loaded;
    load(std::string(kHeader) + "Mesh Empty { 0;; 0;; }\n" + kTriangle, &loaded);
    EXPECT_EQ(loaded.result, S_OK);
}

}  // namespace
