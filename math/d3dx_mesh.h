// The mesh side of the 3D utility library, under its published names: the
// buffer and mesh interfaces, their records and flags, and the loader entry.
//
// The interfaces are declared here, below assets/, because the ray–mesh
// intersection in math/ reads meshes while the loader that makes them lives
// in assets/ (which depends on math/, not the reverse).
//   - ID3DXBuffer: a reference-counted block of bytes. D3DXCreateBuffer is
//     implemented in math/ (the intersection returns its hits in one).
//   - ID3DXMesh: triangles with 16-bit indices (32-bit with D3DXMESH_32BIT),
//     one attribute id per face and an attribute table once optimised. The
//     implementation and D3DXLoadMeshFromXA live in the q31_assets library.
// Methods are those the program uses, in the published order; results are
// HRESULTs, D3DERR_INVALIDCALL for bad arguments. Reference counts are real:
// Release returns the remaining count and the last one frees the object.
#pragma once

#include <d3d9.h>

#define MAX_FVF_DECL_SIZE (MAXD3DDECLLENGTH + 1)

// Mesh creation options.
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000
#define D3DXMESH_VB_SHARE 0x1000
#define D3DXMESH_USEHWONLY 0x2000
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880
#define D3DXMESH_SOFTWAREPROCESSING 0x18000

// Optimisation flags (OptimizeInplace).
#define D3DXMESHOPT_DEVICEINDEPENDENT 0x00400000
#define D3DXMESHOPT_COMPACT 0x01000000
#define D3DXMESHOPT_ATTRSORT 0x02000000
#define D3DXMESHOPT_VERTEXCACHE 0x04000000
#define D3DXMESHOPT_STRIPREORDER 0x08000000
#define D3DXMESHOPT_IGNOREVERTS 0x10000000
#define D3DXMESHOPT_DONOTSPLIT 0x20000000

// A material record of the loader: the material and its texture file name
// (text owned by the materials buffer, or null).
typedef struct _D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;
} D3DXMATERIAL, *LPD3DXMATERIAL;

// One subset: the faces [FaceStart, FaceStart + FaceCount) with attribute
// AttribId, using vertices [VertexStart, VertexStart + VertexCount).
typedef struct _D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
} D3DXATTRIBUTERANGE, *LPD3DXATTRIBUTERANGE;

// One hit of a ray in the intersection's all-hits buffer.
typedef struct _D3DXINTERSECTINFO {
    DWORD FaceIndex;
    FLOAT U;
    FLOAT V;
    FLOAT Dist;
} D3DXINTERSECTINFO, *LPD3DXINTERSECTINFO;

struct ID3DXBuffer;
struct ID3DXBaseMesh;
struct ID3DXMesh;
typedef ID3DXBuffer* LPD3DXBUFFER;
typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;

DECLARE_INTERFACE_(ID3DXBuffer, IUnknown)
{
    STDMETHOD_(LPVOID, GetBufferPointer)(THIS) PURE;
    STDMETHOD_(DWORD, GetBufferSize)(THIS) PURE;
};

DECLARE_INTERFACE_(ID3DXBaseMesh, IUnknown)
{
    // Draws the faces with attribute AttribId (the table's ranges once
    // optimised) through DrawIndexedPrimitive, or DrawIndexedPrimitiveUP for
    // a system-memory mesh; D3DERR_INVALIDCALL for a mesh made without a device.
    STDMETHOD(DrawSubset)(THIS_ DWORD AttribId) PURE;
    STDMETHOD_(DWORD, GetNumFaces)(THIS) PURE;
    STDMETHOD_(DWORD, GetNumVertices)(THIS) PURE;
    STDMETHOD_(DWORD, GetFVF)(THIS) PURE;
    STDMETHOD(GetDeclaration)(THIS_ D3DVERTEXELEMENT9 Declaration[MAX_FVF_DECL_SIZE]) PURE;
    STDMETHOD_(DWORD, GetNumBytesPerVertex)(THIS) PURE;
    STDMETHOD_(DWORD, GetOptions)(THIS) PURE;
    STDMETHOD(GetDevice)(THIS_ LPDIRECT3DDEVICE9* ppDevice) PURE;
    // A copy in the pools the options name (0: the device's default pool),
    // elements of the old format copied into the new one, the rest zero.
    STDMETHOD(CloneMeshFVF)(THIS_ DWORD Options, DWORD FVF, LPDIRECT3DDEVICE9 pD3DDevice,
                            LPD3DXMESH* ppCloneMesh) PURE;
    // D3DERR_INVALIDCALL for a system-memory mesh: its data is not a device buffer.
    STDMETHOD(GetVertexBuffer)(THIS_ LPDIRECT3DVERTEXBUFFER9* ppVB) PURE;
    STDMETHOD(GetIndexBuffer)(THIS_ LPDIRECT3DINDEXBUFFER9* ppIB) PURE;
    STDMETHOD(LockVertexBuffer)(THIS_ DWORD Flags, LPVOID* ppData) PURE;
    STDMETHOD(UnlockVertexBuffer)(THIS) PURE;
    STDMETHOD(LockIndexBuffer)(THIS_ DWORD Flags, LPVOID* ppData) PURE;
    STDMETHOD(UnlockIndexBuffer)(THIS) PURE;
    // With a null table, writes only the entry count.
    STDMETHOD(GetAttributeTable)(THIS_ D3DXATTRIBUTERANGE* pAttribTable, DWORD* pAttribTableSize) PURE;
    // Three entries per face: the neighbour across edges (0,1), (1,2), (2,0),
    // 0xFFFFFFFF where none; corners within Epsilon of each other coincide.
    STDMETHOD(GenerateAdjacency)(THIS_ FLOAT Epsilon, DWORD* pAdjacency) PURE;
};

DECLARE_INTERFACE_(ID3DXMesh, ID3DXBaseMesh)
{
    STDMETHOD(LockAttributeBuffer)(THIS_ DWORD Flags, DWORD** ppData) PURE;
    STDMETHOD(UnlockAttributeBuffer)(THIS) PURE;
    // D3DXMESHOPT_ATTRSORT / VERTEXCACHE / STRIPREORDER sort the faces by
    // attribute (the latter two then walk each attribute's faces along the
    // adjacency) and build the attribute table; COMPACT drops unused
    // vertices; vertices shared by two attributes are copied unless
    // DONOTSPLIT; IGNOREVERTS leaves vertices alone. pAdjacencyIn may equal
    // pAdjacencyOut. D3DERR_INVALIDCALL for unknown flags, adjacency or
    // indices out of range, or a locked buffer.
    STDMETHOD(OptimizeInplace)(THIS_ DWORD Flags, CONST DWORD* pAdjacencyIn, DWORD* pAdjacencyOut,
                               DWORD* pFaceRemap, LPD3DXBUFFER* ppVertexRemap) PURE;
};

// A buffer of NumBytes zero bytes; E_OUTOFMEMORY when they cannot be had.
HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

// Test seam: asked before every D3DXCreateBuffer allocation; false makes that
// creation fail with E_OUTOFMEMORY. Null (the default) allows all.
using BufferAllocationGate = bool (*)(DWORD bytes);
void setBufferAllocationGateForTesting(BufferAllocationGate gate);

// Bytes of one vertex of the format, 0 for a format with no position.
UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF);

// The declaration of a vertex format, ended by D3DDECL_END();
// D3DERR_INVALIDCALL for formats without a position or with unknown bits.
HRESULT WINAPI D3DXDeclaratorFromFVF(DWORD FVF, D3DVERTEXELEMENT9 pDeclarator[MAX_FVF_DECL_SIZE]);

// Loads a DirectX .x file in the text format into one mesh of all the file's
// meshes, placed by their frames (Options are the mesh's: D3DXMESH_SYSTEMMEM
// from the program, which needs no device; other pools need pD3DDevice). The
// vertex format is D3DFVF_XYZ with D3DFVF_NORMAL and D3DFVF_TEX1 when the file
// carries them; faces carry attribute ids 0 ... *pNumMaterials - 1. Also
// delivers the adjacency (three DWORDs per face, 0xFFFFFFFF for an open edge,
// corners at equal positions shared) and the materials (D3DXMATERIAL records,
// Ambient = Diffuse as the file has no ambient colour; one default material
// of grey 0.5 with alpha 0 when the file has none). Any output but ppMesh may
// be null; ppEffectInstances receives null (effects are not read); on failure
// every output is null (and the count 0).
// Failures: E_FAIL for a file without a triangle; the file's own code
// (0x80070002 when not found); D3DXFERR_BADFILETYPE for binary, compressed or
// non-.x files; D3DXFERR_BADFILEVERSION / BADFILEFLOATSIZE for other headers;
// D3DXFERR_PARSEERROR, BADVALUE, BADDATAREFERENCE, BADARRAYSIZE for malformed
// files; E_OUTOFMEMORY; the device's code for buffers it cannot make.
// Implemented in assets/.
HRESULT WINAPI D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials, LPD3DXMESH* ppMesh);
#define D3DXLoadMeshFromX D3DXLoadMeshFromXA
// The same for a file's bytes held in memory.
HRESULT WINAPI D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                         LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXBUFFER* ppAdjacency,
                                         LPD3DXBUFFER* ppMaterials, LPD3DXBUFFER* ppEffectInstances,
                                         DWORD* pNumMaterials, LPD3DXMESH* ppMesh);

// The loader's failure codes for malformed files, as the utility library
// publishes them (facility 0x876).
#define D3DXFERR_BADOBJECT MAKE_HRESULT(1, 0x876, 900)
#define D3DXFERR_BADVALUE MAKE_HRESULT(1, 0x876, 901)
#define D3DXFERR_BADTYPE MAKE_HRESULT(1, 0x876, 902)
#define D3DXFERR_NOTFOUND MAKE_HRESULT(1, 0x876, 903)
#define D3DXFERR_BADFILETYPE MAKE_HRESULT(1, 0x876, 908)
#define D3DXFERR_BADFILEVERSION MAKE_HRESULT(1, 0x876, 909)
#define D3DXFERR_BADFILEFLOATSIZE MAKE_HRESULT(1, 0x876, 910)
#define D3DXFERR_BADFILE MAKE_HRESULT(1, 0x876, 911)
#define D3DXFERR_PARSEERROR MAKE_HRESULT(1, 0x876, 912)
#define D3DXFERR_BADARRAYSIZE MAKE_HRESULT(1, 0x876, 913)
#define D3DXFERR_BADDATAREFERENCE MAKE_HRESULT(1, 0x876, 914)
#define D3DXFERR_NOMOREDATA MAKE_HRESULT(1, 0x876, 916)
