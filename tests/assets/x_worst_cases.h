// Valid but hostile .x files, made in memory at the sizes where the loader's
// limits bite, for the worst-case test and the benchmark. Each case says what
// a load of it must give.
#pragma once

#include "math/d3dx_mesh.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace xworst {

// `triangles` triangles around vertex 0 that share no edge: corners
// (0, 2i+1, 2i+2), every vertex at its own place.
std::string fan(uint32_t triangles);
// One mesh of `materials` triangles, each with a material of its own (they
// differ in their diffuse red).
std::string distinctMaterials(uint32_t materials);
// A one-triangle mesh placed by reference from one frame, again and again
// until the file is `bytes` long.
std::string references(size_t bytes);
// A mesh that announces a billion vertices and then holds three numbers.
std::string billionCount();

struct Case {
    const char* name;
    std::string (*make)();
    HRESULT expected;     // what the load returns
    DWORD faces;          // on success
    DWORD materials;      // on success
};

// The largest fan the vertex limit allows, a million materials, references
// filling the largest file the loader reads, and the billion count.
const std::vector<Case>& cases();

}  // namespace xworst
