// OptimizeInplace: faces sorted by attribute (ATTRSORT, and VERTEXCACHE or
// STRIPREORDER, which also walk each attribute's faces along the adjacency so
// that neighbours follow each other), vertices renumbered in order of first
// use, dropped when unused (COMPACT) and, unless DONOTSPLIT, copied where two
// attributes share them so that each subset owns one vertex range. The
// attribute table then lists one range per attribute id in increasing order.
#include "assets/adjacency.h"
#include "assets/mesh.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kKnownFlags = D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE |
                              D3DXMESHOPT_STRIPREORDER | D3DXMESHOPT_IGNOREVERTS | D3DXMESHOPT_DONOTSPLIT |
                              D3DXMESHOPT_DEVICEINDEPENDENT;

// New face order: by attribute (stable), each attribute's faces then walked
// breadth first across shared edges when `walk` is set.
std::vector<uint32_t> faceOrder(const std::vector<DWORD>& attributes, const DWORD* adjacency, bool sort, bool walk) {
    const size_t faces = attributes.size();
    std::vector<uint32_t> order(faces);
    for (size_t f = 0; f < faces; ++f) order[f] = static_cast<uint32_t>(f);
    if (!sort) return order;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return attributes[a] < attributes[b]; });
    if (!walk) return order;
    std::vector<uint32_t> walked;
    walked.reserve(faces);
    std::vector<char> taken(faces, 0);
    size_t queueHead = 0;
    for (uint32_t seed : order) {
        if (taken[seed]) continue;
        taken[seed] = 1;
        walked.push_back(seed);
        while (queueHead < walked.size()) {
            uint32_t f = walked[queueHead++];
            for (unsigned e = 0; e < 3; ++e) {
                DWORD g = adjacency[size_t(f) * 3 + e];
                if (g == kNoNeighbour || taken[g] || attributes[g] != attributes[f]) continue;
                taken[g] = 1;
                walked.push_back(g);
            }
        }
    }
    return walked;
}

struct VertexPlan {
    std::vector<uint32_t> source;   // per new vertex: the old vertex it copies
    std::vector<uint32_t> indices;  // the new faces' corners
};

// Vertices in order of first use by the new faces; a vertex used under a
// second attribute is copied when `split`; unused ones are dropped when
// `compact`, else kept at the end.
VertexPlan planVertices(const std::vector<uint32_t>& oldIndices, const std::vector<uint32_t>& order,
                        const std::vector<DWORD>& attributes, DWORD vertexCount, bool split, bool compact) {
    VertexPlan plan;
    plan.indices.resize(oldIndices.size());
    std::vector<uint32_t> newIndex(vertexCount, kNoNeighbour);
    std::vector<DWORD> lastAttribute(vertexCount, 0);
    plan.source.reserve(vertexCount);
    for (size_t n = 0; n < order.size(); ++n) {
        uint32_t f = order[n];
        for (unsigned k = 0; k < 3; ++k) {
            uint32_t v = oldIndices[size_t(f) * 3 + k];
            if (newIndex[v] == kNoNeighbour || (split && lastAttribute[v] != attributes[f])) {
                newIndex[v] = static_cast<uint32_t>(plan.source.size());
                lastAttribute[v] = attributes[f];
                plan.source.push_back(v);
            }
            plan.indices[n * 3 + k] = newIndex[v];
        }
    }
    if (!compact) {
        for (uint32_t v = 0; v < vertexCount; ++v)
            if (newIndex[v] == kNoNeighbour) plan.source.push_back(v);
    }
    return plan;
}

std::vector<D3DXATTRIBUTERANGE> rangesOf(const std::vector<DWORD>& attributes, const std::vector<uint32_t>& indices) {
    std::vector<D3DXATTRIBUTERANGE> table;
    for (size_t f = 0; f < attributes.size(); ++f) {
        if (table.empty() || table.back().AttribId != attributes[f])
            table.push_back({attributes[f], static_cast<DWORD>(f), 0, 0xFFFFFFFF, 0});
        D3DXATTRIBUTERANGE& range = table.back();
        ++range.FaceCount;
        for (unsigned k = 0; k < 3; ++k) {
            DWORD v = indices[f * 3 + k];
            DWORD end = range.VertexCount ? range.VertexStart + range.VertexCount : 0;
            DWORD start = std::min(range.VertexStart, v);
            end = std::max(end, v + 1);
            range.VertexStart = start;
            range.VertexCount = end - start;
        }
    }
    return table;
}

}  // namespace

STDMETHODIMP Mesh::OptimizeInplace(DWORD Flags, CONST DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                                   LPD3DXBUFFER* ppVertexRemap) {
    if (ppVertexRemap) *ppVertexRemap = nullptr;
    if ((Flags & ~kKnownFlags) ||
        ((Flags & D3DXMESHOPT_VERTEXCACHE) && (Flags & D3DXMESHOPT_STRIPREORDER)) || anyLocked())
        return D3DERR_INVALIDCALL;
    const DWORD faces = faces_;
    if (pAdjacencyIn) {
        for (size_t i = 0; i < size_t(faces) * 3; ++i)
            if (pAdjacencyIn[i] != kNoNeighbour && pAdjacencyIn[i] >= faces) return D3DERR_INVALIDCALL;
    }
    return outOfMemoryAsResult([&]() -> HRESULT {
        std::vector<uint32_t> indices;
        std::vector<uint8_t> vertexBytes;
        HRESULT result = readContent(&indices, &vertexBytes);
        if (FAILED(result)) return result;

        const bool walk = (Flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
        const bool sort = walk || (Flags & D3DXMESHOPT_ATTRSORT);
        std::vector<DWORD> adjacency;
        if (pAdjacencyIn) {
            adjacency.assign(pAdjacencyIn, pAdjacencyIn + size_t(faces) * 3);
        } else if (walk || pAdjacencyOut) {
            adjacency.resize(size_t(faces) * 3);
            faceAdjacency(indices.data(), faces, canonicalVertices(vertexBytes.data(), stride_, vertices_, 0),
                          adjacency.data());
        }
        std::vector<uint32_t> order = faceOrder(attributes_, adjacency.data(), sort, walk);

        VertexPlan plan;
        if (Flags & D3DXMESHOPT_IGNOREVERTS) {
            plan.source.resize(vertices_);
            for (DWORD v = 0; v < vertices_; ++v) plan.source[v] = v;
            plan.indices.resize(indices.size());
            for (size_t n = 0; n < order.size(); ++n)
                for (unsigned k = 0; k < 3; ++k) plan.indices[n * 3 + k] = indices[size_t(order[n]) * 3 + k];
        } else {
            const bool compact = (Flags & D3DXMESHOPT_COMPACT) != 0;
            const bool split = sort && !(Flags & D3DXMESHOPT_DONOTSPLIT);
            plan = planVertices(indices, order, attributes_, vertices_, split, compact);
            // Copies that would outgrow 16-bit indices are not made.
            if (split && !use32BitIndices() && plan.source.size() > kMax16BitVertices)
                plan = planVertices(indices, order, attributes_, vertices_, false, compact);
        }
        // A mesh needs a vertex even when no face uses one.
        if (plan.source.empty()) plan.source.push_back(0);

        std::vector<uint8_t> newVertices(plan.source.size() * stride_);
        for (size_t v = 0; v < plan.source.size(); ++v)
            std::memcpy(&newVertices[v * stride_], &vertexBytes[size_t(plan.source[v]) * stride_], stride_);
        std::vector<DWORD> newAttributes(faces);
        for (size_t n = 0; n < order.size(); ++n) newAttributes[n] = attributes_[order[n]];

        LPD3DXBUFFER remapBuffer = nullptr;
        if (ppVertexRemap) {
            result = D3DXCreateBuffer(static_cast<DWORD>(plan.source.size() * sizeof(DWORD)), &remapBuffer);
            if (FAILED(result)) return result;
            std::memcpy(remapBuffer->GetBufferPointer(), plan.source.data(), plan.source.size() * sizeof(DWORD));
        }
        result = setContent(newVertices.data(), static_cast<DWORD>(plan.source.size()), plan.indices.data(),
                            newAttributes.data());
        if (FAILED(result)) {
            if (remapBuffer) remapBuffer->Release();
            return result;
        }
        if (sort) table_ = rangesOf(attributes_, plan.indices);

        if (pAdjacencyOut) {
            std::vector<DWORD> newFace(faces);
            for (size_t n = 0; n < order.size(); ++n) newFace[order[n]] = static_cast<DWORD>(n);
            // In and out may be the same array: read everything first.
            std::vector<DWORD> remapped(size_t(faces) * 3);
            for (size_t n = 0; n < order.size(); ++n)
                for (unsigned e = 0; e < 3; ++e) {
                    DWORD g = adjacency[size_t(order[n]) * 3 + e];
                    remapped[n * 3 + e] = g == kNoNeighbour ? kNoNeighbour : newFace[g];
                }
            std::memcpy(pAdjacencyOut, remapped.data(), remapped.size() * sizeof(DWORD));
        }
        if (pFaceRemap) std::memcpy(pFaceRemap, order.data(), order.size() * sizeof(DWORD));
        if (ppVertexRemap) *ppVertexRemap = remapBuffer;
        return S_OK;
    });
}
