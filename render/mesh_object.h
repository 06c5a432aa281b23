// The mesh object: one model loaded from a DirectX .x file with its
// materials and textures. Owns the loaded system-memory mesh (kept for the
// device's life), its drawable clone in the device's default pool (released
// before every reset), the material table and the managed-pool textures.
// Called by the game's device hooks, its scene drawing and its lever picking,
// which reads deviceMesh directly.
// Failures: loadFromFile returns the loader's or the optimisation's code, or
// E_OUTOFMEMORY for the tables (a missing texture is not a failure: that
// subset is drawn untextured); acquireDeviceMesh and drawSubsets E_FAIL when
// there is no mesh to clone or draw. The release operations always return 0
// and may be called again.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "math/d3dx_mesh.h"

class MeshObject {
public:
    static constexpr int NameCapacity = 512;

    // The first 511 bytes of the name are kept; nothing reads them.
    explicit MeshObject(const char* name = "CD3DFile_Mesh");
    virtual ~MeshObject();
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;

    // Loads the file, found through the media search, with its materials and
    // the textures they name. Whatever the object held before is released.
    HRESULT loadFromFile(IDirect3DDevice9* device, const char* fileName);
    // The drawable clone, after creation and after every reset.
    HRESULT acquireDeviceMesh(IDirect3DDevice9* device);
    HRESULT releaseDeviceMesh();
    HRESULT releaseAll();

    // Draws subset i with material i and texture i: in the opaque pass the
    // subsets whose diffuse alpha is at least 1, in the translucent pass those
    // whose alpha is not exactly 1 (alpha above 1 thus draws in both).
    // Blending for the translucent pass is the caller's to set.
    HRESULT drawSubsets(IDirect3DDevice9* device, bool drawOpaque, bool drawTranslucent);

    char meshName[NameCapacity];
    ID3DXMesh* systemMesh = nullptr;
    ID3DXMesh* deviceMesh = nullptr;
    DWORD materialCount = 0;
    D3DMATERIAL9* materials = nullptr;
    IDirect3DTexture9** textures = nullptr;
    // When false, subsets are drawn without material or texture, opaque pass only.
    bool useMaterials = true;
};
