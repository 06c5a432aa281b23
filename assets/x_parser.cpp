// The .x text parser: header, template declarations (skipped), data objects by
// their standard templates, read by schema and count so that the number of
// separators between values never matters, and references to named objects.
// Objects of other templates are skipped whole.
#include "assets/hash_salt.h"
#include "assets/x_document.h"
#include "assets/x_scanner.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

bool equalsNoCase(std::string_view a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return true;
}

HRESULT checkHeader(const char* data, size_t size) {
    if (size < 16 || std::memcmp(data, "xof ", 4) != 0) return D3DXFERR_BADFILETYPE;
    if (std::memcmp(data + 4, "03", 2) != 0 || (std::memcmp(data + 6, "02", 2) != 0 && std::memcmp(data + 6, "03", 2) != 0))
        return D3DXFERR_BADFILEVERSION;
    // Binary ("bin ") and compressed ("tzip", "bzip") bodies are not read.
    if (std::memcmp(data + 8, "txt ", 4) != 0) return D3DXFERR_BADFILETYPE;
    // The float width only matters to binary bodies; text holds decimal numbers.
    if (std::memcmp(data + 12, "0032", 4) != 0 && std::memcmp(data + 12, "0064", 4) != 0)
        return D3DXFERR_BADFILEFLOATSIZE;
    return S_OK;
}

D3DXMATRIX identity() {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0, 0, 0);
    return m;
}

// Exporters write single backslashes, some tools double them; a path never
// means two separators in a row, so doubled ones become one.
std::string textureName(std::string_view raw) {
    std::string name;
    name.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        name.push_back(raw[i]);
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\') ++i;
    }
    return name;
}

class Parser {
public:
    Parser(const char* begin, const char* end, XDocument* doc) : in_(begin, end), doc_(*doc) {}

    HRESULT parseFile() {
        doc_.frames.emplace_back();
        doc_.frames[0].local = identity();
        while (in_.peekPastSeparators() != '\0') {
            std::string_view type;
            if (!in_.readName(&type)) break;
            if (equalsNoCase(type, "template")) {
                std::string_view name;
                if (!in_.readName(&name) || !in_.expect('{') || !in_.skipBlock()) break;
            } else if (!object(type, 0, 1)) {
                break;
            }
        }
        return in_.error();
    }

private:
    enum class Kind { Mesh, Material, Other };
    struct Named {
        Kind kind;
        uint32_t index;
    };

    // The opening of a data object after its template name: an optional
    // object name, '{' and an optional GUID.
    bool open(std::string_view* name) {
        *name = {};
        if (!in_.accept('{')) {
            if (!in_.readName(name) || !in_.expect('{')) return false;
        }
        if (in_.accept('<')) return in_.skipGuid();
        return true;
    }

    // A reference after its '{': a name and/or a GUID, then '}'. Returns
    // false when malformed; `found` is null when the name is not known.
    bool reference(const Named** found) {
        *found = nullptr;
        std::string_view name;
        if (++references_ > kMaxXReferences) return tooMany();
        if (in_.accept('<')) {
            if (!in_.skipGuid()) return false;
        } else {
            if (!in_.readName(&name)) return false;
            if (in_.accept('<') && !in_.skipGuid()) return false;
        }
        if (!in_.expect('}')) return false;
        auto it = names_.find(name);
        if (it != names_.end()) *found = &it->second;
        return true;
    }

    bool badReference() {
        in_.fail(D3DXFERR_BADDATAREFERENCE);
        return false;
    }

    bool tooMany() {
        in_.fail(D3DXFERR_BADARRAYSIZE);
        return false;
    }

    bool remember(std::string_view name, Kind kind, uint32_t index) {
        if (name.empty()) return true;
        names_[name] = Named{kind, index};
        return names_.size() <= kMaxXNames || tooMany();
    }

    // One occurrence of a mesh in a frame. Its triangles and vertices count
    // against the load's limits here, while the file is read, so that a file
    // of references cannot grow far past its size.
    bool place(uint32_t frame, uint32_t meshIndex) {
        placedTriangles_ += meshSizes_[meshIndex].triangles;
        placedVertices_ += meshSizes_[meshIndex].vertices;
        if (placedTriangles_ > kMaxBuiltElements || placedVertices_ > kMaxBuiltElements) return tooMany();
        doc_.frames[frame].meshes.push_back(meshIndex);
        return true;
    }

    // A data object whose template name has been read, inside frame `frame`
    // (0 at top level) at nesting `depth`.
    bool object(std::string_view type, uint32_t frame, unsigned depth) {
        std::string_view name;
        return open(&name) && body(type, name, frame, depth);
    }

    // The rest of a data object after its opening.
    bool body(std::string_view type, std::string_view name, uint32_t frame, unsigned depth) {
        if (depth > kMaxXNesting) {
            in_.fail(D3DXFERR_PARSEERROR);
            return false;
        }
        if (type == "Mesh") {
            uint32_t index;
            if (!mesh(&index, depth)) return false;
            // A mesh without a triangle adds nothing wherever it is placed.
            if (index == kNoMesh) return remember(name, Kind::Other, 0);
            return remember(name, Kind::Mesh, index) && place(frame, index);
        }
        if (type == "Frame") return frameBody(name, frame, depth);
        if (type == "Material") {
            uint32_t index;
            return material(&index, depth) && remember(name, Kind::Material, index);
        }
        if (type == "FrameTransformMatrix" && frame != 0) return transform(frame);
        return remember(name, Kind::Other, 0) && in_.skipBlock();
    }

    // The children of an object, up to its closing '}': `child(type, name)`
    // for each nested object once it is opened, `ref(target)` for each
    // reference (target null for a name not defined before). Separators
    // between children are skipped.
    template <class Child, class Ref>
    bool children(Child child, Ref ref) {
        for (;;) {
            char next = in_.peekPastSeparators();
            if (next == '}') return in_.accept('}');
            std::string_view type, name;
            if (next == '{') {
                in_.accept('{');
                const Named* target;
                if (!reference(&target) || !ref(target)) return false;
            } else if (!in_.readName(&type) || !open(&name) || !child(type, name)) {
                return false;
            }
        }
    }

    bool skipChildren() {
        return children([&](std::string_view, std::string_view) { return in_.skipBlock(); },
                        [](const Named*) { return true; });
    }

    bool frameBody(std::string_view name, uint32_t parent, unsigned depth) {
        uint32_t frame = static_cast<uint32_t>(doc_.frames.size());
        if (frame >= kMaxXFrames) return tooMany();
        doc_.frames.emplace_back();
        doc_.frames[frame].local = identity();
        doc_.frames[parent].children.push_back(frame);
        if (!remember(name, Kind::Other, 0)) return false;
        return children(
            [&](std::string_view type, std::string_view childName) { return body(type, childName, frame, depth + 1); },
            [&](const Named* target) {
                if (!target) return badReference();
                // Only meshes are placed by reference; frames are not
                // instanced, so a file cannot multiply its size by nesting.
                return target->kind != Kind::Mesh || place(frame, target->index);
            });
    }

    bool transform(uint32_t frame) {
        D3DXMATRIX m;
        if (!in_.readFloats(&m.m[0][0], 16)) return false;
        doc_.frames[frame].local = m;
        return skipChildren();
    }

    bool count(uint32_t* n, unsigned numbersEach) {
        if (!in_.readUint(n)) return false;
        if (!in_.couldHold(*n, numbersEach)) {
            in_.fail(D3DXFERR_BADVALUE);
            return false;
        }
        return true;
    }

    bool index(uint32_t* value, uint32_t limit) {
        if (!in_.readUint(value)) return false;
        if (*value >= limit) {
            in_.fail(D3DXFERR_BADVALUE);
            return false;
        }
        return true;
    }

    // The mesh's index in the document, or kNoMesh for one without a triangle.
    bool mesh(uint32_t* meshIndex, unsigned depth) {
        XMesh m;
        uint32_t vertices, faces;
        if (!count(&vertices, 3)) return false;
        m.vertexCount = vertices;
        m.positions.resize(size_t(vertices) * 3);
        if (!in_.readFloats(m.positions.data(), m.positions.size())) return false;
        if (!count(&faces, 1)) return false;
        m.cornerCounts.resize(faces);
        // Triangles need four numbers each; a list of smaller polygons grows
        // as it is read rather than reserving past the file.
        if (in_.couldHold(faces, 4)) m.corners.reserve(size_t(faces) * 3);
        uint64_t triangles = 0;
        for (uint32_t f = 0; f < faces; ++f) {
            uint32_t n;
            if (!count(&n, 1)) return false;
            m.cornerCounts[f] = n;
            // Every mesh is placed where it is defined, so one past the limit
            // on its own can never load.
            if (n >= 3 && (triangles += n - 2) > kMaxBuiltElements) return tooMany();
            for (uint32_t k = 0; k < n; ++k) {
                uint32_t v;
                if (!index(&v, vertices)) return false;
                m.corners.push_back(v);
            }
        }
        // References inside a mesh name nothing it uses.
        bool ok = children(
            [&](std::string_view type, std::string_view) {
                if (type == "MeshNormals" && !m.hasNormals) return normals(&m);
                if (type == "MeshTextureCoords" && !m.hasTexCoords) return texCoords(&m);
                if (type == "MeshVertexColors" && !m.hasColors) return colors(&m);
                if (type == "MeshMaterialList" && !m.hasMaterialList) return materialList(&m, depth + 1);
                return in_.skipBlock();
            },
            [](const Named*) { return true; });
        if (!ok) return false;
        if (triangles == 0) {
            *meshIndex = kNoMesh;
            return true;
        }
        if (doc_.meshes.size() >= kMaxXMeshes) return tooMany();
        *meshIndex = static_cast<uint32_t>(doc_.meshes.size());
        meshSizes_.push_back({triangles, m.hasNormals ? m.corners.size() : m.vertexCount});
        doc_.meshes.push_back(std::move(m));
        return true;
    }

    bool normals(XMesh* m) {
        uint32_t n, faces;
        if (!count(&n, 3)) return false;
        m->normals.resize(size_t(n) * 3);
        if (!in_.readFloats(m->normals.data(), m->normals.size())) return false;
        // One face entry per mesh face, with as many corners as that face.
        if (!in_.readUint(&faces)) return false;
        if (faces != m->cornerCounts.size() || !in_.couldHold(uint64_t(faces) + m->corners.size(), 1)) {
            in_.fail(D3DXFERR_BADVALUE);
            return false;
        }
        m->cornerNormals.resize(m->corners.size());
        size_t at = 0;
        for (uint32_t f = 0; f < faces; ++f) {
            uint32_t corners;
            if (!in_.readUint(&corners)) return false;
            if (corners != m->cornerCounts[f]) {
                in_.fail(D3DXFERR_BADVALUE);
                return false;
            }
            for (uint32_t k = 0; k < corners; ++k)
                if (!index(&m->cornerNormals[at++], n)) return false;
        }
        m->hasNormals = true;
        return skipChildren();
    }

    bool texCoords(XMesh* m) {
        uint32_t n;
        if (!count(&n, 2)) return false;
        // One pair per vertex; extra pairs are read and dropped.
        if (n < m->vertexCount) {
            in_.fail(D3DXFERR_BADVALUE);
            return false;
        }
        m->texCoords.resize(size_t(m->vertexCount) * 2);
        if (!in_.readFloats(m->texCoords.data(), m->texCoords.size())) return false;
        for (uint32_t i = m->vertexCount; i < n; ++i) {
            float spare[2];
            if (!in_.readFloats(spare, 2)) return false;
        }
        m->hasTexCoords = true;
        return skipChildren();
    }

    bool colors(XMesh* m) {
        uint32_t n;
        if (!count(&n, 5)) return false;
        m->colors.assign(m->vertexCount, D3DCOLORVALUE{1, 1, 1, 1});
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t vertex;
            float rgba[4];
            if (!index(&vertex, m->vertexCount) || !in_.readFloats(rgba, 4)) return false;
            m->colors[vertex] = D3DCOLORVALUE{rgba[0], rgba[1], rgba[2], rgba[3]};
        }
        m->hasColors = true;
        return skipChildren();
    }

    bool materialList(XMesh* m, unsigned depth) {
        uint32_t materials, entries;
        if (!in_.readUint(&materials) || !count(&entries, 1)) return false;
        std::vector<uint32_t> ids(entries);
        // Each material takes at least a reference's "{x}".
        if (in_.couldHold(materials, 1)) m->materials.reserve(materials);
        for (uint32_t i = 0; i < entries; ++i) {
            if (!in_.readUint(&ids[i])) return false;
            if (materials > 0 && ids[i] >= materials) {
                in_.fail(D3DXFERR_BADVALUE);
                return false;
            }
        }
        bool ok = children(
            [&](std::string_view type, std::string_view name) {
                if (type != "Material") return in_.skipBlock();
                uint32_t index;
                if (!material(&index, depth + 1) || !remember(name, Kind::Material, index)) return false;
                if (m->materials.size() < materials) m->materials.push_back(index);
                return true;
            },
            [&](const Named* target) {
                if (!target || target->kind != Kind::Material) return badReference();
                if (m->materials.size() < materials) m->materials.push_back(target->index);
                return true;
            });
        if (!ok) return false;
        // The list names its material count; a list that delivers fewer is wrong.
        if (m->materials.size() != materials) {
            in_.fail(D3DXFERR_BADVALUE);
            return false;
        }
        // Faces past the end of a short list take its last entry; an empty
        // list or one without materials leaves every face to material 0.
        // The entries become the per-polygon list in place.
        const size_t polygons = m->cornerCounts.size();
        if (materials == 0 || entries == 0) {
            m->polygonMaterials.assign(polygons, 0);
        } else {
            const uint32_t last = ids[entries - 1];
            m->polygonMaterials = std::move(ids);
            m->polygonMaterials.resize(polygons, last);
        }
        m->hasMaterialList = materials > 0;
        if (!m->hasMaterialList) m->materials.clear();
        return true;
    }

    bool material(uint32_t* materialIndex, unsigned depth) {
        if (depth > kMaxXNesting) {
            in_.fail(D3DXFERR_PARSEERROR);
            return false;
        }
        XMaterial x;
        if (!in_.readFloats(x.values, 11)) return false;
        bool haveTexture = false;
        std::string_view file;
        bool ok = children(
            [&](std::string_view type, std::string_view) {
                if ((type != "TextureFilename" && type != "TextureFileName") || haveTexture) return in_.skipBlock();
                if (!in_.readString(&file) || !skipChildren()) return false;
                haveTexture = true;
                return true;
            },
            [](const Named*) { return true; });
        if (!ok) return false;
        if (doc_.materials.size() >= kMaxXMaterials) return tooMany();
        // An empty name is no texture, as it always was.
        if (haveTexture && !file.empty()) {
            x.texture = static_cast<uint32_t>(doc_.textureFiles.size());
            doc_.textureFiles.push_back(textureName(file));
        }
        *materialIndex = static_cast<uint32_t>(doc_.materials.size());
        doc_.materials.push_back(x);
        return true;
    }

    static constexpr uint32_t kNoMesh = 0xFFFFFFFF;
    struct MeshSize {
        uint64_t triangles, vertices;  // as the builder counts them
    };

    struct NameHash {
        uint64_t salt;
        size_t operator()(std::string_view name) const {
            return static_cast<size_t>(saltedBytesHash(name.data(), name.size(), salt));
        }
    };

    XScanner in_;
    XDocument& doc_;
    std::unordered_map<std::string_view, Named, NameHash> names_{16, NameHash{newHashSalt()}};
    std::vector<MeshSize> meshSizes_;  // parallel to doc_.meshes
    uint64_t placedTriangles_ = 0, placedVertices_ = 0;
    uint32_t references_ = 0;
};

}  // namespace

HRESULT parseXText(const char* data, size_t size, XDocument* out) {
    if (!data || !out) return D3DERR_INVALIDCALL;
    HRESULT header = checkHeader(data, size);
    if (FAILED(header)) return header;
    XDocument doc;
    Parser parser(data + 16, data + size, &doc);
    HRESULT result = parser.parseFile();
    if (FAILED(result)) return result;
    *out = std::move(doc);
    return S_OK;
}
