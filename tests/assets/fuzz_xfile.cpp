// libFuzzer target for the .x loader: any bytes either fail with a code or
// give a mesh whose indices, attributes and adjacency are in range and which
// the program's optimisation accepts. Built by `make fuzz` only.
#include "math/d3dx_mesh.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void checkMesh(ID3DXMesh* mesh, ID3DXBuffer* adjacency, ID3DXBuffer* materials, DWORD materialCount) {
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    require(faces > 0 && vertices > 0 && materialCount > 0);
    require(materials->GetBufferSize() >= materialCount * sizeof(D3DXMATERIAL));
    require(adjacency->GetBufferSize() == faces * 3 * sizeof(DWORD));
    const DWORD* adjacent = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    for (DWORD i = 0; i < faces * 3; ++i) require(adjacent[i] == 0xFFFFFFFF || adjacent[i] < faces);

    DWORD* attributes = nullptr;
    require(SUCCEEDED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes)));
    for (DWORD f = 0; f < faces; ++f) require(attributes[f] < materialCount);
    mesh->UnlockAttributeBuffer();

    std::vector<DWORD> adjacencyOut(size_t(faces) * 3);
    require(SUCCEEDED(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                            adjacent, adjacencyOut.data(), nullptr, nullptr)));
    DWORD tableSize = 0;
    require(SUCCEEDED(mesh->GetAttributeTable(nullptr, &tableSize)) && tableSize > 0);
    std::vector<D3DXATTRIBUTERANGE> table(tableSize);
    mesh->GetAttributeTable(table.data(), &tableSize);
    DWORD covered = 0;
    for (const D3DXATTRIBUTERANGE& range : table) {
        require(range.FaceStart == covered);
        require(range.VertexStart + range.VertexCount <= mesh->GetNumVertices());
        covered += range.FaceCount;
    }
    require(covered == faces);
    void* data = nullptr;
    require(SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data)));
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (DWORD i = 0; i < faces * 3; ++i) {
        DWORD index = wide ? static_cast<const uint32_t*>(data)[i] : static_cast<const uint16_t*>(data)[i];
        require(index < mesh->GetNumVertices());
    }
    mesh->UnlockIndexBuffer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint8_t empty = 0;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD materialCount = 0;
    HRESULT result = D3DXLoadMeshFromXInMemory(size ? data : &empty, static_cast<DWORD>(size), D3DXMESH_SYSTEMMEM,
                                               nullptr, &adjacency, &materials, nullptr, &materialCount, &mesh);
    if (FAILED(result)) {
        require(!mesh && !adjacency && !materials && materialCount == 0);
        return 0;
    }
    checkMesh(mesh, adjacency, materials, materialCount);
    mesh->Release();
    adjacency->Release();
    materials->Release();
    return 0;
}
