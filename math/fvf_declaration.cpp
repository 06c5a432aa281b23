// Vertex formats: their sizes and their declarations.
#include "math/d3dx_mesh.h"

namespace {

// Floats in texture coordinate set i of the format.
UINT texCoordFloats(DWORD fvf, UINT i) {
    switch ((fvf >> (16 + 2 * i)) & 3) {
        case D3DFVF_TEXTUREFORMAT1: return 1;
        case D3DFVF_TEXTUREFORMAT3: return 3;
        case D3DFVF_TEXTUREFORMAT4: return 4;
        default: return 2;
    }
}

UINT positionBytes(DWORD fvf) {
    switch (fvf & D3DFVF_POSITION_MASK) {
        case D3DFVF_XYZ: return 12;
        case D3DFVF_XYZRHW:
        case D3DFVF_XYZW: return 16;
        case D3DFVF_XYZB1: return 16;
        case D3DFVF_XYZB2: return 20;
        case D3DFVF_XYZB3: return 24;
        case D3DFVF_XYZB4: return 28;
        case D3DFVF_XYZB5: return 32;
        default: return 0;
    }
}

class DeclarationWriter {
public:
    explicit DeclarationWriter(D3DVERTEXELEMENT9* out) : out_(out) {}

    void add(UINT bytes, BYTE type, BYTE usage, BYTE usageIndex = 0) {
        out_[count_++] = {0, static_cast<WORD>(offset_), type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
        offset_ += bytes;
    }
    void end() {
        const D3DVERTEXELEMENT9 last = D3DDECL_END();
        out_[count_] = last;
    }

private:
    D3DVERTEXELEMENT9* out_;
    UINT count_ = 0;
    UINT offset_ = 0;
};

}  // namespace

UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF) {
    UINT size = positionBytes(FVF);
    if (size == 0) return 0;
    if (FVF & D3DFVF_NORMAL) size += 12;
    if (FVF & D3DFVF_PSIZE) size += 4;
    if (FVF & D3DFVF_DIFFUSE) size += 4;
    if (FVF & D3DFVF_SPECULAR) size += 4;
    UINT sets = (FVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < sets && i < 8; ++i) size += 4 * texCoordFloats(FVF, i);
    return size;
}

HRESULT WINAPI D3DXDeclaratorFromFVF(DWORD FVF, D3DVERTEXELEMENT9 pDeclarator[MAX_FVF_DECL_SIZE]) {
    if (!pDeclarator) return D3DERR_INVALIDCALL;
    DWORD position = FVF & D3DFVF_POSITION_MASK;
    UINT sets = (FVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    bool blended = position >= D3DFVF_XYZB1 && position <= D3DFVF_XYZB5;
    DWORD lastBeta = FVF & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    if (positionBytes(FVF) == 0 || (FVF & (D3DFVF_RESERVED0 | D3DFVF_RESERVED2)) || sets > 8 ||
        lastBeta == (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR) || (lastBeta && !blended))
        return D3DERR_INVALIDCALL;

    static const BYTE floatTypes[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3,
                                      D3DDECLTYPE_FLOAT4};
    DeclarationWriter writer(pDeclarator);
    if (position == D3DFVF_XYZRHW) {
        writer.add(16, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT);
    } else if (position == D3DFVF_XYZW) {
        writer.add(16, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION);
    } else {
        writer.add(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION);
    }
    if (blended) {
        UINT weights = (position - D3DFVF_XYZRHW) / 2;
        if (lastBeta) --weights;
        // Five weights have no declaration type: the fifth float is the indices.
        if (weights == 5) return D3DERR_INVALIDCALL;
        if (weights > 0) writer.add(4 * weights, floatTypes[weights - 1], D3DDECLUSAGE_BLENDWEIGHT);
        if (lastBeta == D3DFVF_LASTBETA_UBYTE4) writer.add(4, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES);
        if (lastBeta == D3DFVF_LASTBETA_D3DCOLOR) writer.add(4, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_BLENDINDICES);
    }
    if (FVF & D3DFVF_NORMAL) writer.add(12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL);
    if (FVF & D3DFVF_PSIZE) writer.add(4, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE);
    if (FVF & D3DFVF_DIFFUSE) writer.add(4, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (FVF & D3DFVF_SPECULAR) writer.add(4, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    for (UINT i = 0; i < sets; ++i) {
        UINT floats = texCoordFloats(FVF, i);
        writer.add(4 * floats, floatTypes[floats - 1], D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i));
    }
    writer.end();
    return S_OK;
}
