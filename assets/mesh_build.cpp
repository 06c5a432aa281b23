#include "assets/mesh_build.h"

#include "assets/hash_salt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

// Every mesh occurrence in the frame tree, depth first, parents before
// children, with its world transform: World = Local × World(parent).
template <class Visit>
void forEachPlacement(const XDocument& doc, uint32_t frame, const D3DXMATRIX& parent, unsigned depth, Visit& visit) {
    const XFrame& f = doc.frames[frame];
    D3DXMATRIX world = frame == 0 ? parent : f.local * parent;
    for (uint32_t m : f.meshes) visit(doc.meshes[m], world);
    // The parser bounds the depth; the check keeps this safe on its own.
    if (depth > kMaxXNesting + 1) return;
    for (uint32_t child : f.children) forEachPlacement(doc, child, world, depth + 1, visit);
}

struct Normal3 {
    float x, y, z;
};

Normal3 normalised(Normal3 n) {
    float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0};
    return {n.x / length, n.y / length, n.z / length};
}

// The normal transform of a placement: the inverse transpose of the upper
// 3×3, up to a positive factor (the cofactors, signed by the determinant).
struct NormalTransform {
    float m[3][3];
    bool mirrors;

    explicit NormalTransform(const D3DXMATRIX& w) {
        auto a = [&](int r, int c) { return w.m[r][c]; };
        float cof[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
                cof[r][c] = a(r1, c1) * a(r2, c2) - a(r1, c2) * a(r2, c1);
            }
        float det = a(0, 0) * cof[0][0] + a(0, 1) * cof[0][1] + a(0, 2) * cof[0][2];
        mirrors = det < 0;
        float sign = mirrors ? -1.0f : 1.0f;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m[r][c] = cof[r][c] * sign;
    }

    Normal3 apply(Normal3 n) const {
        return normalised({n.x * m[0][0] + n.y * m[1][0] + n.z * m[2][0], n.x * m[0][1] + n.y * m[1][1] + n.z * m[2][1],
                           n.x * m[0][2] + n.y * m[1][2] + n.z * m[2][2]});
    }
};

// Materials are equal when their full records and texture names are: the
// record follows from the file's values alone, and textures are compared by
// name, since two materials may name one file.
bool sameMaterial(const XDocument& doc, const XMaterial& a, const XMaterial& b) {
    if (std::memcmp(a.values, b.values, sizeof a.values) != 0) return false;
    if (a.texture == kNoXTexture || b.texture == kNoXTexture) return a.texture == b.texture;
    return doc.textureFiles[a.texture] == doc.textureFiles[b.texture];
}

uint32_t materialHash(const XDocument& doc, const XMaterial& m, uint64_t salt) {
    uint64_t h = saltedBytesHash(m.values, sizeof m.values, salt);
    if (m.texture != kNoXTexture) {
        const std::string& name = doc.textureFiles[m.texture];
        h = saltedHash(h ^ saltedBytesHash(name.data(), name.size(), salt), salt);
    }
    return static_cast<uint32_t>(h);
}

// For each document material, the first one equal to it. The materials are
// sorted by a salted hash, stably (a radix sort of the keys, which hold the
// index below the hash), and each run of equal hashes is split into equal
// materials. Every pass reads and writes in order: looking each one up in a
// hash table instead costs a cache and TLB miss apiece, which dominated the
// numbering of a million materials.
std::vector<uint32_t> firstEqualMaterials(const XDocument& doc) {
    const size_t count = doc.materials.size();
    // Written in full before they are read: no zeroing pass.
    std::unique_ptr<uint64_t[]> keys(new uint64_t[count]), sorted(new uint64_t[count]);
    const uint64_t salt = newHashSalt();
    for (size_t i = 0; i < count; ++i) keys[i] = uint64_t(materialHash(doc, doc.materials[i], salt)) << 32 | i;
    for (unsigned shift = 32; shift < 64; shift += 8) {
        size_t offsets[257] = {};
        for (size_t i = 0; i < count; ++i) ++offsets[((keys[i] >> shift) & 0xFF) + 1];
        for (size_t d = 0; d < 256; ++d) offsets[d + 1] += offsets[d];
        for (size_t i = 0; i < count; ++i) sorted[offsets[(keys[i] >> shift) & 0xFF]++] = keys[i];
        keys.swap(sorted);
    }
    sorted.reset();

    std::vector<uint32_t> first(count);
    // The first member of each group of equal materials met so far in one run
    // of equal hashes: more than one only where unequal materials' salted
    // hashes collide.
    std::vector<uint32_t> groups;
    for (size_t begin = 0, end; begin < count; begin = end) {
        for (end = begin + 1; end < count && (keys[end] >> 32) == (keys[begin] >> 32);) ++end;
        groups.clear();
        for (size_t k = begin; k < end; ++k) {
            const uint32_t i = uint32_t(keys[k]);
            auto group = std::find_if(groups.begin(), groups.end(), [&](uint32_t g) {
                return sameMaterial(doc, doc.materials[g], doc.materials[i]);
            });
            if (group == groups.end()) {
                groups.push_back(i);
                first[i] = i;
            } else {
                first[i] = *group;
            }
        }
    }
    return first;
}

class Builder {
public:
    Builder(const XDocument& doc, MeshContent* out) : doc_(doc), out_(*out) {}

    HRESULT build() {
        D3DXMATRIX identity;
        D3DXMatrixTranslation(&identity, 0, 0, 0);
        uint64_t triangles = 0, vertices = 0;
        bool normals = false, texCoords = false;
        auto count = [&](const XMesh& m, const D3DXMATRIX&) {
            uint64_t meshTriangles = 0;
            for (uint32_t n : m.cornerCounts)
                if (n >= 3) meshTriangles += n - 2;
            if (meshTriangles == 0) return;
            triangles += meshTriangles;
            vertices += m.hasNormals ? m.corners.size() : m.vertexCount;
            normals |= m.hasNormals;
            texCoords |= m.hasTexCoords;
        };
        forEachPlacement(doc_, 0, identity, 0, count);
        // The parser refuses files past the limits; this keeps the builder
        // safe on its own.
        if (triangles > kMaxBuiltElements || vertices > kMaxBuiltElements) return D3DXFERR_BADARRAYSIZE;
        if (triangles == 0) return E_FAIL;

        out_.fvf = D3DFVF_XYZ | (normals ? D3DFVF_NORMAL : 0) | (texCoords ? D3DFVF_TEX1 : 0);
        out_.stride = D3DXGetFVFVertexSize(out_.fvf);
        normals_ = normals;
        texCoords_ = texCoords;
        out_.vertices.reserve(size_t(vertices) * out_.stride);
        out_.indices.reserve(size_t(triangles) * 3);
        out_.attributes.reserve(size_t(triangles));
        // Each built material is a document one or the default, and is used
        // by a triangle.
        out_.materials.reserve(size_t(std::min<uint64_t>(doc_.materials.size() + 1, triangles)));
        firstEqual_ = firstEqualMaterials(doc_);
        materialIds_.assign(doc_.materials.size(), kNone);
        auto add = [&](const XMesh& m, const D3DXMATRIX& world) { addMesh(m, world); };
        forEachPlacement(doc_, 0, identity, 0, add);
        out_.vertexCount = static_cast<DWORD>(out_.vertices.size() / out_.stride);
        return S_OK;
    }

private:
    // Equal materials share the number of the first of them to be used.
    uint32_t documentMaterialId(uint32_t index) {
        const uint32_t first = firstEqual_[index];
        if (materialIds_[first] == kNone) {
            materialIds_[first] = static_cast<uint32_t>(out_.materials.size());
            out_.materials.push_back(&doc_.materials[index]);
        }
        return materialIds_[first];
    }

    // The default material's specular alpha is 0, every file material's 1, so
    // it is never equal to one of them and needs no lookup.
    uint32_t defaultMaterialId() {
        if (defaultId_ == kNone) {
            defaultId_ = static_cast<uint32_t>(out_.materials.size());
            out_.materials.push_back(nullptr);
        }
        return defaultId_;
    }

    // Smooth normals for a mesh without its own, when others in the file have
    // them: the area-weighted sum of the faces around each vertex.
    std::vector<Normal3> smoothNormals(const XMesh& m) const {
        std::vector<Normal3> sum(m.vertexCount, Normal3{0, 0, 0});
        size_t at = 0;
        for (uint32_t n : m.cornerCounts) {
            for (uint32_t k = 1; k + 1 < n; ++k) {
                const float* a = &m.positions[size_t(m.corners[at]) * 3];
                const float* b = &m.positions[size_t(m.corners[at + k]) * 3];
                const float* c = &m.positions[size_t(m.corners[at + k + 1]) * 3];
                float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
                float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                // Left-handed, clockwise front faces: e1 × e2 points out.
                Normal3 face = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                e1[0] * e2[1] - e1[1] * e2[0]};
                for (uint32_t corner : {m.corners[at], m.corners[at + k], m.corners[at + k + 1]}) {
                    sum[corner].x += face.x;
                    sum[corner].y += face.y;
                    sum[corner].z += face.z;
                }
            }
            at += n;
        }
        for (Normal3& n : sum) n = normalised(n);
        return sum;
    }

    uint32_t emitVertex(const XMesh& m, const D3DXMATRIX& w, const NormalTransform& nt, uint32_t position,
                        Normal3 normal) {
        float vertex[8];
        const float* p = &m.positions[size_t(position) * 3];
        vertex[0] = p[0] * w.m[0][0] + p[1] * w.m[1][0] + p[2] * w.m[2][0] + w.m[3][0];
        vertex[1] = p[0] * w.m[0][1] + p[1] * w.m[1][1] + p[2] * w.m[2][1] + w.m[3][1];
        vertex[2] = p[0] * w.m[0][2] + p[1] * w.m[1][2] + p[2] * w.m[2][2] + w.m[3][2];
        size_t floats = 3;
        if (normals_) {
            Normal3 n = nt.apply(normal);
            vertex[floats++] = n.x;
            vertex[floats++] = n.y;
            vertex[floats++] = n.z;
        }
        if (texCoords_) {
            vertex[floats++] = m.hasTexCoords ? m.texCoords[size_t(position) * 2] : 0.0f;
            vertex[floats++] = m.hasTexCoords ? m.texCoords[size_t(position) * 2 + 1] : 0.0f;
        }
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(vertex);
        out_.vertices.insert(out_.vertices.end(), bytes, bytes + floats * sizeof(float));
        return static_cast<uint32_t>(out_.vertices.size() / out_.stride - 1);
    }

    void addMesh(const XMesh& m, const D3DXMATRIX& w) {
        // A mesh without a triangle adds nothing, not even its vertices.
        if (std::none_of(m.cornerCounts.begin(), m.cornerCounts.end(), [](uint32_t n) { return n >= 3; })) return;
        const NormalTransform nt(w);
        std::vector<Normal3> smooth;
        if (normals_ && !m.hasNormals) smooth = smoothNormals(m);

        // With normals, one output vertex per (position, normal) pair in
        // order of first use: a chain per position.
        std::vector<uint32_t> first(m.hasNormals ? m.vertexCount : 0, kNone);
        std::vector<uint32_t> next, normalOf;
        // Without normals the file's vertices are kept as they are numbered,
        // used or not.
        base_ = static_cast<uint32_t>(out_.vertices.size() / out_.stride);
        if (!m.hasNormals) {
            for (uint32_t v = 0; v < m.vertexCount; ++v) emitVertex(m, w, nt, v, normals_ ? smooth[v] : Normal3{0, 0, 0});
        }
        auto vertexFor = [&](size_t corner) -> uint32_t {
            uint32_t position = m.corners[corner];
            if (!m.hasNormals) return base_ + position;
            uint32_t normal = m.cornerNormals[corner];
            for (uint32_t v = first[position]; v != kNone; v = next[v - base_])
                if (normalOf[v - base_] == normal) return v;
            const float* src = &m.normals[size_t(normal) * 3];
            uint32_t v = emitVertex(m, w, nt, position, Normal3{src[0], src[1], src[2]});
            next.push_back(first[position]);
            normalOf.push_back(normal);
            first[position] = v;
            return v;
        };

        size_t at = 0;
        for (size_t f = 0; f < m.cornerCounts.size(); ++f) {
            uint32_t n = m.cornerCounts[f];
            if (n >= 3) {
                uint32_t attribute = m.hasMaterialList ? documentMaterialId(m.materials[m.polygonMaterials[f]])
                                                       : defaultMaterialId();
                uint32_t v0 = vertexFor(at);
                uint32_t previous = vertexFor(at + 1);
                for (uint32_t k = 2; k < n; ++k) {
                    uint32_t current = vertexFor(at + k);
                    // A mirroring transform turns the winding; swap it back.
                    uint32_t tri[3] = {v0, nt.mirrors ? current : previous, nt.mirrors ? previous : current};
                    out_.indices.insert(out_.indices.end(), tri, tri + 3);
                    out_.attributes.push_back(attribute);
                    previous = current;
                }
            }
            at += n;
        }
    }

    const XDocument& doc_;
    MeshContent& out_;
    bool normals_ = false, texCoords_ = false;
    std::vector<uint32_t> firstEqual_;   // per document material
    std::vector<uint32_t> materialIds_;  // per document material first equal to others, once numbered
    uint32_t defaultId_ = kNone;
    uint32_t base_ = 0;
};

}  // namespace

D3DMATERIAL9 defaultXMaterial() {
    D3DMATERIAL9 m{};
    m.Diffuse = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.0f};
    m.Specular = m.Diffuse;
    return m;
}

D3DMATERIAL9 xMaterialToD3D(const XMaterial* material) {
    if (!material) return defaultXMaterial();
    const float* v = material->values;
    D3DMATERIAL9 m{};
    // The file's material has no ambient colour: the diffuse one stands in,
    // so that the scene's ambient light shows each surface in its own colour.
    m.Diffuse = D3DCOLORVALUE{v[0], v[1], v[2], v[3]};
    m.Ambient = m.Diffuse;
    m.Power = v[4];
    m.Specular = D3DCOLORVALUE{v[5], v[6], v[7], 1};
    m.Emissive = D3DCOLORVALUE{v[8], v[9], v[10], 1};
    return m;
}

HRESULT buildMeshContent(const XDocument& doc, MeshContent* out) {
    if (!out) return D3DERR_INVALIDCALL;
    MeshContent content;
    HRESULT result = Builder(doc, &content).build();
    if (SUCCEEDED(result)) *out = std::move(content);
    return result;
}
