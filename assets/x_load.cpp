// D3DXLoadMeshFromXInMemory: parse, build, make the mesh, then its adjacency
// and materials buffers.
#include "assets/adjacency.h"
#include "assets/mesh.h"
#include "assets/mesh_build.h"
#include "assets/x_document.h"

#include <cstring>

namespace {

// count D3DXMATERIAL records followed by their texture names.
HRESULT materialsBuffer(const std::vector<const XMaterial*>& materials, const std::vector<std::string>& textures,
                        LPD3DXBUFFER* out) {
    auto textureOf = [&](const XMaterial* m) -> const std::string* {
        return m && m->texture != kNoXTexture ? &textures[m->texture] : nullptr;
    };
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const XMaterial* m : materials)
        if (const std::string* name = textureOf(m)) bytes += name->size() + 1;
    if (bytes > 0xFFFFFFFFu) return E_OUTOFMEMORY;
    HRESULT result = D3DXCreateBuffer(static_cast<DWORD>(bytes), out);
    if (FAILED(result)) return result;
    uint8_t* base = static_cast<uint8_t*>((*out)->GetBufferPointer());
    D3DXMATERIAL* records = reinterpret_cast<D3DXMATERIAL*>(base);
    char* text = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
    for (size_t i = 0; i < materials.size(); ++i) {
        records[i].MatD3D = xMaterialToD3D(materials[i]);
        records[i].pTextureFilename = nullptr;
        const std::string* name = textureOf(materials[i]);
        if (!name) continue;
        std::memcpy(text, name->c_str(), name->size() + 1);
        records[i].pTextureFilename = text;
        text += name->size() + 1;
    }
    return S_OK;
}

HRESULT loadFromMemory(const void* memory, DWORD size, DWORD options, LPDIRECT3DDEVICE9 device,
                       LPD3DXBUFFER* adjacencyOut, LPD3DXBUFFER* materialsOut, DWORD* materialCount,
                       LPD3DXMESH* meshOut) {
    XDocument doc;
    HRESULT result = parseXText(static_cast<const char*>(memory), size, &doc);
    if (FAILED(result)) return result;
    MeshContent content;
    result = buildMeshContent(doc, &content);
    if (FAILED(result)) return result;
    // The content points at the document's materials; the rest can go.
    std::vector<XMesh>().swap(doc.meshes);
    std::vector<XFrame>().swap(doc.frames);

    const DWORD faces = static_cast<DWORD>(content.attributes.size());
    Mesh* mesh = nullptr;
    result = Mesh::create(options, content.fvf, device, faces, content.vertexCount, &mesh);
    if (FAILED(result)) return result;
    result = mesh->setContent(content.vertices.data(), content.vertexCount, content.indices.data(),
                              content.attributes.data());
    LPD3DXBUFFER adjacency = nullptr, materials = nullptr;
    if (SUCCEEDED(result) && adjacencyOut) {
        result = D3DXCreateBuffer(faces * 3 * sizeof(DWORD), &adjacency);
        if (SUCCEEDED(result))
            faceAdjacency(content.indices.data(), faces,
                          canonicalVertices(content.vertices.data(), content.stride, content.vertexCount, 0),
                          static_cast<DWORD*>(adjacency->GetBufferPointer()));
    }
    if (SUCCEEDED(result) && materialsOut) result = materialsBuffer(content.materials, doc.textureFiles, &materials);
    if (FAILED(result)) {
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
        mesh->Release();
        return result;
    }
    if (adjacencyOut) *adjacencyOut = adjacency;
    if (materialsOut) *materialsOut = materials;
    if (materialCount) *materialCount = static_cast<DWORD>(content.materials.size());
    *meshOut = mesh;
    return S_OK;
}

}  // namespace

HRESULT WINAPI D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                         LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXBUFFER* ppAdjacency,
                                         LPD3DXBUFFER* ppMaterials, LPD3DXBUFFER* ppEffectInstances,
                                         DWORD* pNumMaterials, LPD3DXMESH* ppMesh) {
    if (ppAdjacency) *ppAdjacency = nullptr;
    if (ppMaterials) *ppMaterials = nullptr;
    if (ppEffectInstances) *ppEffectInstances = nullptr;
    if (pNumMaterials) *pNumMaterials = 0;
    if (ppMesh) *ppMesh = nullptr;
    if (!Memory || !ppMesh) return D3DERR_INVALIDCALL;
    return outOfMemoryAsResult([&] {
        return loadFromMemory(Memory, SizeOfMemory, Options, pD3DDevice, ppAdjacency, ppMaterials, pNumMaterials,
                              ppMesh);
    });
}
