// Turns a parsed .x document into one triangle list: every mesh placed once
// per occurrence under the frame transforms above it, polygons cut into fans,
// vertices split where a position has different normals on different faces,
// and materials numbered in order of first use (equal ones shared). Called by
// the loader. Vertex colours are read but not kept: a diffuse vertex colour
// would replace the material colour under the fixed-function lighting.
#pragma once

#include "assets/x_document.h"

#include <cstdint>
#include <vector>

struct MeshContent {
    DWORD fvf = 0;     // D3DFVF_XYZ, with NORMAL and TEX1 when any mesh has them
    DWORD stride = 0;
    DWORD vertexCount = 0;
    std::vector<uint8_t> vertices;
    std::vector<uint32_t> indices;    // three per triangle
    std::vector<DWORD> attributes;    // per triangle, indices into `materials`
    // Into the document's materials, which must outlive this: a million of
    // them are not copied. Null for the default material.
    std::vector<const XMaterial*> materials;
};

// E_FAIL when the document holds no triangle at all; D3DXFERR_BADARRAYSIZE
// when the placed meshes would exceed kMaxBuiltElements.
HRESULT buildMeshContent(const XDocument& doc, MeshContent* out);

// The material a mesh without a material list is drawn with.
D3DMATERIAL9 defaultXMaterial();
// The full record of a file's material, or of the default one for null.
D3DMATERIAL9 xMaterialToD3D(const XMaterial* material);
