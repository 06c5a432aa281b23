#include "tests/assets/x_samples.h"

#include <cstring>

namespace xtest {

std::string cubeMesh(const char* name, bool withNormals) {
    std::string text = std::string("Mesh ") + name + " {\n 8;\n";
    for (int v = 0; v < 8; ++v) {
        text += (v & 1) ? " 1.0;" : " -1.0;";
        text += (v & 2) ? "1.0;" : "-1.0;";
        text += (v & 4) ? "1.0;" : "-1.0;";
        text += v == 7 ? ";\n" : ",\n";
    }
    text += " 6;\n 4;0,2,3,1;,\n 4;4,5,7,6;,\n 4;4,6,2,0;,\n 4;1,3,7,5;,\n 4;2,6,7,3;,\n 4;1,5,4,0;;\n";
    if (withNormals) {
        text +=
            " MeshNormals {\n  6; 0;0;-1;, 0;0;1;, -1;0;0;, 1;0;0;, 0;1;0;, 0;-1;0;;\n"
            "  6; 4;0,0,0,0;, 4;1,1,1,1;, 4;2,2,2,2;, 4;3,3,3,3;, 4;4,4,4,4;, 4;5,5,5,5;;\n }\n";
    }
    return text + "}\n";
}

Loaded::~Loaded() {
    if (mesh) mesh->Release();
    if (adjacency) adjacency->Release();
    if (materials) materials->Release();
}

void load(const std::string& text, Loaded* out, DWORD options, IDirect3DDevice9* device) {
    out->result = D3DXLoadMeshFromXInMemory(text.data(), static_cast<DWORD>(text.size()), options, device,
                                            &out->adjacency, &out->materials, nullptr, &out->materialCount,
                                            &out->mesh);
}

HRESULT loadResult(const std::string& text) {
    Loaded loaded;
    load(text, &loaded);
    if (FAILED(loaded.result)) {
        EXPECT_EQ(loaded.mesh, nullptr);
        EXPECT_EQ(loaded.adjacency, nullptr);
        EXPECT_EQ(loaded.materials, nullptr);
        EXPECT_EQ(loaded.materialCount, 0u);
    }
    return loaded.result;
}

std::vector<float> vertexFloats(ID3DXMesh* mesh, unsigned offsetFloats, unsigned count) {
    std::vector<float> out;
    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) return out;
    const DWORD stride = mesh->GetNumBytesPerVertex();
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v) {
        float values[8];
        std::memcpy(values, static_cast<const char*>(data) + v * stride + offsetFloats * 4, count * 4);
        out.insert(out.end(), values, values + count);
    }
    mesh->UnlockVertexBuffer();
    return out;
}

std::vector<float> positions(ID3DXMesh* mesh) { return vertexFloats(mesh, 0, 3); }

std::vector<uint32_t> indices(ID3DXMesh* mesh) {
    std::vector<uint32_t> out;
    void* data = nullptr;
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data))) return out;
    const size_t count = size_t(mesh->GetNumFaces()) * 3;
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    for (size_t i = 0; i < count; ++i)
        out.push_back(wide ? static_cast<const uint32_t*>(data)[i] : static_cast<const uint16_t*>(data)[i]);
    mesh->UnlockIndexBuffer();
    return out;
}

std::vector<DWORD> attributes(ID3DXMesh* mesh) {
    std::vector<DWORD> out;
    DWORD* data = nullptr;
    if (FAILED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &data))) return out;
    out.assign(data, data + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return out;
}

std::vector<float> cornerPositions(ID3DXMesh* mesh) {
    std::vector<float> p = positions(mesh), out;
    for (uint32_t i : indices(mesh)) out.insert(out.end(), &p[i * 3], &p[i * 3] + 3);
    return out;
}

}  // namespace xtest
