// Malformed files: each is refused with a failure code, quickly and without
// taking memory in proportion to what the file claims.
#include "tests/assets/x_samples.h"

#include "assets/x_document.h"

#include <gtest/gtest.h>

using namespace xtest;

namespace {

const std::string kGood = std::string(kHeader) +
                          "Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { \"red.png\"; } }\n"
                          "Frame Root { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n" +
                          cubeMesh() + " Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                          "  MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; }\n"
                          "  MeshMaterialList { 1; 1; 0;; {Red} } }\n}\n";

std::string mesh(const std::string& body) { return std::string(kHeader) + "Mesh {" + body + "}\n"; }

TEST(XBadInput, EveryTruncationOfAGoodFileFails) {
    ASSERT_EQ(loadResult(kGood), S_OK);
    const size_t lastBrace = kGood.rfind('}');
    for (size_t length = 0; length <= lastBrace; ++length) {
        Loaded loaded;
        load(kGood.substr(0, length), &loaded);
        EXPECT_LT(loaded.result, 0) << "cut after " << length << " bytes";
        EXPECT_EQ(loaded.mesh, nullptr);
    }
}

TEST(XBadInput, WrongCountsAndIndicesOutOfRange) {
    // More vertices announced than given.
    EXPECT_EQ(loadResult(mesh("4; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;")), D3DXFERR_PARSEERROR);
    // A face corner past the vertex list.
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;;")), D3DXFERR_BADVALUE);
    // Normals: an index past the list, a face count or corner count that differs.
    const std::string triangle = "3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;";
    EXPECT_EQ(loadResult(mesh(triangle + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; }")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh(triangle + "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh(triangle + "MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; }")), D3DXFERR_BADVALUE);
    // Fewer texture coordinates than vertices; a colour for a vertex that is not there.
    EXPECT_EQ(loadResult(mesh(triangle + "MeshTextureCoords { 2; 0;0;, 1;1;; }")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh(triangle + "MeshVertexColors { 1; 3; 1;1;1;1;;; }")), D3DXFERR_BADVALUE);
    // Material ids past the list, and a list that delivers fewer materials than it names.
    const std::string red = "Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }";
    EXPECT_EQ(loadResult(mesh(triangle + "MeshMaterialList { 1; 1; 1;; " + red + " }")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh(triangle + "MeshMaterialList { 2; 1; 0;; " + red + " }")), D3DXFERR_BADVALUE);
}

TEST(XBadInput, CountsOfBillionsAreRefusedBeforeAnythingIsAllocated) {
    EXPECT_EQ(loadResult(mesh("4000000000; 0;0;0;;")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1;0;0;, 0;1;0;; 4294967295; 3;0,1,2;;")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3000000000;0,1,2;;")), D3DXFERR_BADVALUE);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 2000000000; 0;0;1;; }")),
              D3DXFERR_BADVALUE);
    // Past 32 bits.
    EXPECT_EQ(loadResult(mesh("99999999999; 0;0;0;;")), D3DXFERR_BADVALUE);
}

TEST(XBadInput, AFileMultiplyingOneMeshBeyondTheLimitIsRefused) {
    // 1000 triangles placed 5000 times would be five million triangles.
    std::string text = std::string(kHeader) + "Mesh Big { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1000;";
    for (int i = 0; i < 1000; ++i) text += " 3;0,1,2;,";
    text += ";}\nFrame F {";
    for (int i = 0; i < 5000; ++i) text += "{Big}";
    text += "}\n";
    EXPECT_EQ(loadResult(text), D3DXFERR_BADARRAYSIZE);
}

std::string repeated(const std::string& text, size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

TEST(XBadInput, EachCountLimitRefusesTheFileOnePastIt) {
    const std::string triangle = "{1;0;0;0;;1;3;0,0,0;;}\n";
    auto named = [](const char* type, size_t count, const char* body) {
        std::string out;
        for (size_t i = 0; i < count; ++i) out += std::string(type) + " n" + std::to_string(i) + body;
        return out;
    };
    // At the frame and mesh limits the file still loads; one more and it is
    // refused.
    for (size_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        const HRESULT expected = extra ? D3DXFERR_BADARRAYSIZE : S_OK;
        EXPECT_EQ(loadResult(kHeader + repeated("Frame{}", kMaxXFrames - 1 + extra) + "Mesh" + triangle), expected);
        EXPECT_EQ(loadResult(kHeader + repeated("Mesh" + triangle, kMaxXMeshes + extra)), expected);
    }
    // A million names take a while to make; only the one past the limit.
    EXPECT_EQ(loadResult(kHeader + named("Thing", kMaxXNames, "{}") + "Mesh M" + triangle), D3DXFERR_BADARRAYSIZE);
}

TEST(XBadInput, ReferencesCountWhetherOrNotTheyPlaceAnything) {
    // A mesh without a triangle places nothing, but is still a name that
    // frames may refer to, and each reference still counts.
    const std::string empty = std::string(kHeader) + "Mesh E {1;0;0;0;;1;2;0,0;;}\n" + cubeMesh() + "\n";
    EXPECT_EQ(loadResult(empty + "Frame{{E}{Cube}}"), S_OK);
    EXPECT_EQ(loadResult(empty + "Frame{" + repeated("{E}", kMaxXReferences) + "}"), S_OK);
    EXPECT_EQ(loadResult(empty + "Frame{" + repeated("{E}", kMaxXReferences + 1) + "}"), D3DXFERR_BADARRAYSIZE);
    // A material list may not name it.
    EXPECT_EQ(loadResult(std::string(kHeader) + "Mesh E {1;0;0;0;;0;;}\nMesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,2;;"
                                                "MeshMaterialList{1;1;0;;{E}}}"),
              D3DXFERR_BADDATAREFERENCE);
}

TEST(XBadInput, DeepNestingIsRefusedAndDeepUnknownObjectsAreSkipped) {
    std::string frames = std::string(kHeader);
    for (int i = 0; i < 100000; ++i) frames += "Frame{";
    frames += cubeMesh();
    for (int i = 0; i < 100000; ++i) frames += "}";
    EXPECT_EQ(loadResult(frames), D3DXFERR_PARSEERROR);

    // Sixty frames deep is fine.
    std::string shallow = std::string(kHeader);
    for (int i = 0; i < 60; ++i) shallow += "Frame{";
    shallow += cubeMesh();
    for (int i = 0; i < 60; ++i) shallow += "}";
    EXPECT_EQ(loadResult(shallow), S_OK);

    std::string unknown = std::string(kHeader) + cubeMesh();
    for (int i = 0; i < 100000; ++i) unknown += "Anim{";
    for (int i = 0; i < 100000; ++i) unknown += "}";
    EXPECT_EQ(loadResult(unknown), S_OK);
}

TEST(XBadInput, MalformedTextIsAParseError) {
    const std::string triangle = "3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;";
    // Unterminated strings, in a texture name and in a skipped object.
    EXPECT_EQ(loadResult(mesh(triangle + "MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;;"
                                         " TextureFilename { \"never closed; } } }")),
              D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(std::string(kHeader) + "Unknown { \"open }\n" + cubeMesh()), D3DXFERR_PARSEERROR);
    // Unbalanced braces, a GUID without its end, junk in a number.
    EXPECT_EQ(loadResult(std::string(kHeader) + "Unknown { { }\n" + cubeMesh()), D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(std::string(kHeader) + "Mesh { <3D82AB44-62DA " + triangle + "}"), D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1x;0;0;, 0;1;0;; 1; 3;0,1,2;;")), D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1.5,2;;")), D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, inf;0;0;, 0;1;0;; 1; 3;0,1,2;;")), D3DXFERR_PARSEERROR);
    EXPECT_EQ(loadResult(std::string(kHeader) + "}" + cubeMesh()), D3DXFERR_PARSEERROR);
    // Floats beyond the 32-bit range.
    EXPECT_EQ(loadResult(mesh("3; 0;0;0;, 1e39;0;0;, 0;1;0;; 1; 3;0,1,2;;")), D3DXFERR_BADVALUE);
}

TEST(XBadInput, ReferencesMustNameAnEarlierObject) {
    const std::string triangle = "3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;";
    EXPECT_EQ(loadResult(mesh(triangle + "MeshMaterialList { 1; 1; 0;; {Later} }") +
                         "Material Later { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }"),
              D3DXFERR_BADDATAREFERENCE);
    EXPECT_EQ(loadResult(std::string(kHeader) + "Frame { {Nothing} }\n" + cubeMesh()), D3DXFERR_BADDATAREFERENCE);
    // A mesh where a material belongs.
    EXPECT_EQ(loadResult(std::string(kHeader) + cubeMesh("Box") + "Mesh { " + triangle +
                         " MeshMaterialList { 1; 1; 0;; {Box} } }"),
              D3DXFERR_BADDATAREFERENCE);
}

TEST(XBadInput, LongNamesAndBinaryBytesInSkippedObjectsAreHarmless) {
    std::string name(100000, 'n');
    std::string text = std::string(kHeader) + "Material " + name + " { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n" + "Blob { " +
                       std::string("\x01\x02\xff\x7f\0\x80", 6) + " }\n" + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;" +
                       " MeshMaterialList { 1; 1; 0;; {" + name + "} } }\n";
    EXPECT_EQ(loadResult(text), S_OK);
}

}  // namespace
