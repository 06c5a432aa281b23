// D3DXLoadMeshFromXA: the file's bytes, read through the platform's file
// calls (backslashes and case-insensitive names work on both targets).
#include "assets/file_bytes.h"
#include "assets/x_document.h"

HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials, LPD3DXMESH* ppMesh) {
    if (ppAdjacency) *ppAdjacency = nullptr;
    if (ppMaterials) *ppMaterials = nullptr;
    if (ppEffectInstances) *ppEffectInstances = nullptr;
    if (pNumMaterials) *pNumMaterials = 0;
    if (ppMesh) *ppMesh = nullptr;
    if (!pFilename || !ppMesh) return D3DERR_INVALIDCALL;
    FileBytes file;
    HRESULT result = readFileBytes(pFilename, kMaxXFileBytes, &file);
    if (FAILED(result)) return result;
    return D3DXLoadMeshFromXInMemory(file.data.get(), static_cast<DWORD>(file.size), Options, pD3DDevice,
                                     ppAdjacency, ppMaterials, ppEffectInstances, pNumMaterials, ppMesh);
}
