// The hostile files of x_worst_cases.h load or fail as they must, and the
// memory a load takes stays within a budget: this program's operator new
// counts the bytes held and refuses any allocation past the budget, so that a
// load growing far past its file fails here instead of taking the machine.
#include "tests/assets/x_worst_cases.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include <malloc.h>

namespace {

// Peak resident memory allowed for a load, its file included.
constexpr size_t kBudget = size_t(512) << 20;

std::atomic<size_t> held{0}, peak{0}, limit{SIZE_MAX};

}  // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    const size_t bytes = p ? malloc_usable_size(p) : 0;
    const size_t now = held += bytes;
    if (!p || now > limit) {
        held -= bytes;
        std::free(p);
        throw std::bad_alloc();
    }
    for (size_t seen = peak; now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
    return p;
}
void operator delete(void* p) noexcept {
    held -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
// Every other form goes through the two above (the sanitizer runtime would
// otherwise supply its own, which do not count).
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

TEST(XWorstCases, EachLoadsOrFailsAsItMustWithinTheMemoryBudget) {
    for (const xworst::Case& c : xworst::cases()) {
        SCOPED_TRACE(c.name);
        const std::string file = c.make();
        ASSERT_LE(file.size(), kBudget / 2);
        // The file's copy in memory counts against the budget, as it does
        // when the game reads it.
        const size_t before = held;
        peak = before;
        limit = before + kBudget - file.size();
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD materialCount = 0;
        const HRESULT result =
            D3DXLoadMeshFromXInMemory(file.data(), static_cast<DWORD>(file.size()), D3DXMESH_SYSTEMMEM, nullptr,
                                      &adjacency, &materials, nullptr, &materialCount, &mesh);
        limit = SIZE_MAX;
        EXPECT_EQ(result, c.expected);
        // The two buffers come from the C heap; they count too.
        size_t buffers = 0;
        if (adjacency) buffers += adjacency->GetBufferSize();
        if (materials) buffers += materials->GetBufferSize();
        EXPECT_LE(peak - before + buffers + file.size(), kBudget);
        if (SUCCEEDED(result)) {
            EXPECT_EQ(mesh->GetNumFaces(), c.faces);
            EXPECT_EQ(materialCount, c.materials);
            // The fan shares no edge: every edge is open.
            if (std::string(c.name) == "fan") {
                const DWORD* adjacent = static_cast<const DWORD*>(adjacency->GetBufferPointer());
                size_t open = 0;
                for (DWORD i = 0; i < c.faces * 3; ++i) open += adjacent[i] == 0xFFFFFFFF;
                EXPECT_EQ(open, size_t(c.faces) * 3);
            }
        }
        if (mesh) mesh->Release();
        if (adjacency) adjacency->Release();
        if (materials) materials->Release();
    }
}

}  // namespace
