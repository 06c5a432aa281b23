#include "tests/assets/x_worst_cases.h"

#include "assets/x_document.h"

#include <charconv>

namespace xworst {

namespace {

constexpr char kHeader[] = "xof 0303txt 0032\n";

constexpr uint32_t kFanTriangles = uint32_t((kMaxBuiltElements - 1) / 2);
constexpr uint32_t kMaterials = 1000000;

void number(std::string& out, uint64_t value, const char* after) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    out += after;
}

}  // namespace

std::string fan(uint32_t triangles) {
    std::string text = kHeader;
    text.reserve(size_t(triangles) * 36 + 64);
    const uint32_t vertices = 2 * triangles + 1;
    text += "Mesh Fan {\n";
    number(text, vertices, ";\n");
    // Vertex v at (v mod 4096, v / 4096, 1): all distinct.
    for (uint32_t v = 0; v < vertices; ++v) {
        number(text, v % 4096, ";");
        number(text, v / 4096, v + 1 < vertices ? ";1;,\n" : ";1;;\n");
    }
    number(text, triangles, ";\n");
    for (uint32_t i = 0; i < triangles; ++i) {
        text += "3;0,";
        number(text, 2 * i + 1, ",");
        number(text, 2 * i + 2, i + 1 < triangles ? ";,\n" : ";;\n");
    }
    text += "}\n";
    return text;
}

std::string distinctMaterials(uint32_t materials) {
    std::string text = kHeader;
    text.reserve(size_t(materials) * 64 + 128);
    text += "Mesh Many {\n3; 0;0;0;, 1;0;0;, 0;1;0;;\n";
    number(text, materials, ";\n");
    for (uint32_t i = 0; i < materials; ++i) text += i + 1 < materials ? "3;0,1,2;,\n" : "3;0,1,2;;\n";
    text += "MeshMaterialList {\n";
    number(text, materials, ";");
    number(text, materials, ";\n");
    for (uint32_t i = 0; i < materials; ++i) number(text, i, i + 1 < materials ? ",\n" : ";;\n");
    for (uint32_t i = 0; i < materials; ++i) {
        text += "Material{";
        number(text, i, ";0;0;1;;0;0;0;0;;0;0;0;;}\n");
    }
    text += "}\n}\n";
    return text;
}

std::string references(size_t bytes) {
    std::string text = kHeader;
    text.reserve(bytes);
    text += "Mesh M { 1; 0;0;0;; 1; 3;0,0,0;; }\nFrame F {\n";
    const std::string line = "{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}{M}\n";
    while (text.size() + line.size() + 2 <= bytes) text += line;
    text += "}\n";
    return text;
}

std::string billionCount() { return std::string(kHeader) + "Mesh Liar {\n1000000000;\n0;0;0;;\n}\n"; }

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"fan", [] { return fan(kFanTriangles); }, S_OK, kFanTriangles, 1},
        {"materials", [] { return distinctMaterials(kMaterials); }, S_OK, kMaterials, kMaterials},
        {"references", [] { return references(kMaxXFileBytes); }, D3DXFERR_BADARRAYSIZE, 0, 0},
        {"billion_count", billionCount, D3DXFERR_BADVALUE, 0, 0},
    };
    return all;
}

}  // namespace xworst
