// What the .x text parser keeps of a file: the meshes with their side tables,
// the materials, and the frame tree with each frame's own transform. Plain
// data, filled by parseXText and read by the mesh builder. Every index in it
// has been checked against the table it points into.
#pragma once

#include "math/d3dx_mesh.h"
#include "math/vector_matrix.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

constexpr uint32_t kNoXTexture = 0xFFFFFFFF;

// A material as the file gives it. A file may hold a million, so only what the
// file says is kept (xMaterialToD3D makes the full record): diffuse RGBA,
// power, specular RGB, emissive RGB, and the texture file as an index into
// XDocument::textureFiles.
struct XMaterial {
    float values[11] = {};
    uint32_t texture = kNoXTexture;
};

struct XMesh {
    uint32_t vertexCount = 0;
    std::vector<float> positions;        // 3 per vertex
    std::vector<uint32_t> cornerCounts;  // per polygon
    std::vector<uint32_t> corners;       // vertex indices, polygon after polygon

    bool hasNormals = false;
    std::vector<float> normals;          // 3 per normal
    std::vector<uint32_t> cornerNormals; // parallel to `corners`

    bool hasTexCoords = false;
    std::vector<float> texCoords;        // 2 per vertex

    bool hasColors = false;
    std::vector<D3DCOLORVALUE> colors;   // per vertex; white where the file names none

    bool hasMaterialList = false;
    std::vector<uint32_t> materials;     // the list's entries, as XDocument::materials indices
    std::vector<uint32_t> polygonMaterials;  // per polygon, an index into `materials`
};

struct XFrame {
    D3DXMATRIX local;                  // identity unless the frame has a FrameTransformMatrix
    std::vector<uint32_t> meshes;      // XDocument::meshes indices, once per occurrence
    std::vector<uint32_t> children;    // XDocument::frames indices
};

struct XDocument {
    std::vector<XMesh> meshes;
    std::deque<XMaterial> materials;   // a deque: a million are not copied as they are added
    std::vector<std::string> textureFiles;  // named by XMaterial::texture
    std::vector<XFrame> frames;        // frames[0] holds the file's top-level meshes and frames
};

// Frames and the objects inside them nest no deeper than this; deeper files
// are refused rather than risking the stack.
constexpr unsigned kMaxXNesting = 64;

// A .x file larger than this is refused before it is read.
constexpr size_t kMaxXFileBytes = size_t(256) << 20;
// The most triangles or vertices one load may produce, counted over every
// placement of every mesh as the file is read.
constexpr uint64_t kMaxBuiltElements = uint64_t(1) << 21;
// What else a file may hold. Each of these costs memory out of proportion to
// the bytes that name it, so each is counted while parsing and a file past
// one is refused before it grows: meshes with a triangle (meshes without one
// are checked and dropped), frames, materials, named objects, and references
// of any kind.
constexpr uint32_t kMaxXMeshes = 1u << 16;
constexpr uint32_t kMaxXFrames = 1u << 16;
constexpr uint32_t kMaxXMaterials = 1u << 20;
constexpr uint32_t kMaxXNames = 1u << 20;
constexpr uint32_t kMaxXReferences = 1u << 21;

// Parses a whole .x file held in memory. Failures: D3DXFERR_BADFILETYPE for
// anything but a text file (binary and compressed ones included),
// D3DXFERR_BADFILEVERSION, D3DXFERR_BADFILEFLOATSIZE, D3DXFERR_PARSEERROR for
// malformed or truncated text and too deep nesting, D3DXFERR_BADVALUE for a
// count or index that does not fit its table, D3DXFERR_BADDATAREFERENCE for a
// reference to an object not defined before it, D3DXFERR_BADARRAYSIZE for a
// file past one of the limits above. Memory taken stays within a few times the
// file's size. `out` is filled on success only.
HRESULT parseXText(const char* data, size_t size, XDocument* out);
