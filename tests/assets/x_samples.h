// Small .x files for the loader tests, and loading them from memory into
// plain arrays that the tests compare.
#pragma once

#include "math/d3dx_mesh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace xtest {

constexpr const char* kHeader = "xof 0303txt 0032\n";

// A closed cube of side 2 around the origin, six quads wound clockwise seen
// from outside, with one normal per side (so 24 vertices once split).
std::string cubeMesh(const char* name = "Cube", bool withNormals = true);

// A mesh and its buffers, released at the end of the scope.
struct Loaded {
    HRESULT result = E_FAIL;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;

    Loaded() = default;
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    ~Loaded();

    const D3DXMATERIAL& material(DWORD i) const { return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i]; }
    const DWORD* adjacencyData() const { return static_cast<const DWORD*>(adjacency->GetBufferPointer()); }
};

// Loads `text` (header included by the caller) as a system-memory mesh.
void load(const std::string& text, Loaded* out, DWORD options = D3DXMESH_SYSTEMMEM,
          IDirect3DDevice9* device = nullptr);
HRESULT loadResult(const std::string& text);

// The mesh's contents, read through its locks.
std::vector<float> positions(ID3DXMesh* mesh);   // x, y, z per vertex
std::vector<float> vertexFloats(ID3DXMesh* mesh, unsigned offsetFloats, unsigned count);
std::vector<uint32_t> indices(ID3DXMesh* mesh);
std::vector<DWORD> attributes(ID3DXMesh* mesh);

// Every face's corner positions, face after face, for comparisons that do not
// depend on how vertices were numbered.
std::vector<float> cornerPositions(ID3DXMesh* mesh);

}  // namespace xtest
