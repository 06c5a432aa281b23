#include "render/mesh_object.h"

#include "assets/d3dx_texture.h"
#include "common/bounded_copy.h"
#include "render/media_search.h"
#include "render/release_object.h"

#include <cstring>
#include <new>

namespace {

constexpr DWORD OptimizeFlags = D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE;
constexpr DWORD OpaqueAlphaBits = 0x3F800000;  // 1.0f

DWORD bitsOf(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

MeshObject::MeshObject(const char* name)
{
    copyBounded(meshName, name != nullptr ? name : "", NameCapacity);
}

MeshObject::~MeshObject() { releaseAll(); }

HRESULT MeshObject::loadFromFile(IDirect3DDevice9* device, const char* fileName)
{
    if (fileName == nullptr) return E_INVALIDARG;
    // A retry after a failed load may find a mesh kept from it.
    releaseAll();

    char path[MAX_PATH] = "";
    locateMediaFile(path, MAX_PATH, fileName);
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materialBuffer = nullptr;
    const HRESULT loaded = D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, device, &adjacency, &materialBuffer, nullptr,
                                             &materialCount, &systemMesh);
    if (FAILED(loaded)) {
        releaseObject(adjacency);
        releaseObject(materialBuffer);
        releaseObject(systemMesh);
        materialCount = 0;
        return loaded;
    }

    const HRESULT optimised = systemMesh->OptimizeInplace(
        OptimizeFlags, adjacency ? static_cast<const DWORD*>(adjacency->GetBufferPointer()) : nullptr, nullptr, nullptr,
        nullptr);
    if (FAILED(optimised)) {
        releaseObject(adjacency);
        releaseObject(materialBuffer);
        materialCount = 0;
        return optimised;
    }

    HRESULT result = S_OK;
    if (materialBuffer == nullptr || materialCount == 0) {
        // Subsets are drawn by the table, so no table means nothing to draw.
        materialCount = 0;
    } else {
        materials = new (std::nothrow) D3DMATERIAL9[materialCount];
        textures = new (std::nothrow) IDirect3DTexture9*[materialCount]();
        if (materials == nullptr || textures == nullptr) {
            // Keep the object consistent: no tables, no subsets.
            delete[] materials;
            delete[] textures;
            materials = nullptr;
            textures = nullptr;
            materialCount = 0;
            result = E_OUTOFMEMORY;
        }
        const auto* records = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());
        for (DWORD i = 0; i < materialCount; ++i) {
            materials[i] = records[i].MatD3D;
            if (records[i].pTextureFilename == nullptr || records[i].pTextureFilename[0] == '\0') continue;
            char name[MAX_PATH];
            char texturePath[MAX_PATH] = "";
            copyBounded(name, records[i].pTextureFilename, MAX_PATH);
            locateMediaFile(texturePath, MAX_PATH, name);
            // A texture that cannot be made leaves its subset untextured.
            if (FAILED(D3DXCreateTextureFromFileA(device, texturePath, &textures[i]))) textures[i] = nullptr;
        }
    }

    releaseObject(adjacency);
    releaseObject(materialBuffer);
    return result;
}

HRESULT MeshObject::acquireDeviceMesh(IDirect3DDevice9* device)
{
    if (systemMesh == nullptr || device == nullptr) return E_FAIL;
    releaseDeviceMesh();
    // Options 0: vertex and index buffers in the device's default pool.
    if (FAILED(systemMesh->CloneMeshFVF(0, systemMesh->GetFVF(), device, &deviceMesh))) {
        deviceMesh = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT MeshObject::releaseDeviceMesh()
{
    releaseObject(deviceMesh);
    return S_OK;
}

HRESULT MeshObject::releaseAll()
{
    releaseDeviceMesh();
    for (DWORD i = 0; textures != nullptr && i < materialCount; ++i) releaseObject(textures[i]);
    delete[] textures;
    textures = nullptr;
    delete[] materials;
    materials = nullptr;
    releaseObject(systemMesh);
    materialCount = 0;
    return S_OK;
}

HRESULT MeshObject::drawSubsets(IDirect3DDevice9* device, bool drawOpaque, bool drawTranslucent)
{
    if (deviceMesh == nullptr) return E_FAIL;
    if (device == nullptr && useMaterials) return E_INVALIDARG;

    if (drawOpaque) {
        for (DWORD i = 0; i < materialCount; ++i) {
            if (useMaterials) {
                // Written so that a NaN alpha is skipped too.
                if (!(materials[i].Diffuse.a >= 1.0f)) continue;
                device->SetMaterial(&materials[i]);
                device->SetTexture(0, textures[i]);
            }
            deviceMesh->DrawSubset(i);
        }
    }
    if (drawTranslucent && useMaterials) {
        for (DWORD i = 0; i < materialCount; ++i) {
            if (bitsOf(materials[i].Diffuse.a) == OpaqueAlphaBits) continue;
            device->SetMaterial(&materials[i]);
            device->SetTexture(0, textures[i]);
            deviceMesh->DrawSubset(i);
        }
    }
    return S_OK;
}
