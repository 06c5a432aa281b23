// D3DXIntersect against a brute-force pick: the same two-sided triangle test
// run on every face of a 100,000-face sphere, keeping the nearest hit. Both
// read the mesh through its locked buffers and its declared layout (32-byte
// vertices: position, normal, texture coordinates). main first checks that
// both find the same face and distance for every ray. The ratio printed is
// time per ray, ours over brute force: rays per second the other way round.
#include "bench/ratio_reporter.h"
#include "math/ray_mesh_intersect.h"
#include "tests/math/memory_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace {

constexpr int kRings = 200;
constexpr int kSegments = 250;  // 2 x 200 x 250 = 100,000 faces
constexpr int kRays = 64;

std::unique_ptr<MemoryMesh> sphere;
D3DXVECTOR3 origins[kRays], directions[kRays];

void makeInputs()
{
    std::vector<D3DXVECTOR3> positions;
    for (int r = 0; r <= kRings; ++r) {
        const float theta = 3.14159265f * float(r) / kRings;
        for (int s = 0; s <= kSegments; ++s) {
            const float phi = 2 * 3.14159265f * float(s) / kSegments;
            positions.push_back({std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)});
        }
    }
    std::vector<uint32_t> indices;
    for (uint32_t r = 0; r < kRings; ++r) {
        for (uint32_t s = 0; s < kSegments; ++s) {
            const uint32_t a = r * (kSegments + 1) + s, b = a + kSegments + 1;
            indices.insert(indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    sphere = std::make_unique<MemoryMesh>(positions, indices, false, 0, 5);
    // Picking rays: from a camera distance towards points around the sphere,
    // most of them hitting it.
    std::mt19937 random(31);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    for (int i = 0; i < kRays; ++i) {
        const D3DXVECTOR3 eye(uniform(-3, 3), uniform(-3, 3), uniform(-4, -2));
        const D3DXVECTOR3 target(uniform(-1.2f, 1.2f), uniform(-1.2f, 1.2f), uniform(-0.5f, 0.5f));
        origins[i] = eye;
        directions[i] = D3DXVECTOR3(target.x - eye.x, target.y - eye.y, target.z - eye.z);
    }
}

struct Pick {
    BOOL hit = FALSE;
    DWORD face = 0;
    float distance = 0;
};

Pick ours(int i)
{
    Pick p;
    float u, v;
    D3DXIntersect(sphere.get(), &origins[i], &directions[i], &p.hit, &p.face, &u, &v, &p.distance, nullptr, nullptr);
    return p;
}

// Every face through the triangle test, nearest kept, the first on ties.
Pick bruteForce(int i)
{
    Pick p;
    MemoryMesh& mesh = *sphere;
    void* indexData = nullptr;
    void* vertexData = nullptr;
    mesh.LockIndexBuffer(D3DLOCK_READONLY, &indexData);
    mesh.LockVertexBuffer(D3DLOCK_READONLY, &vertexData);
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    mesh.GetDeclaration(declaration);
    const DWORD stride = mesh.GetNumBytesPerVertex();
    const unsigned char* positions = static_cast<const unsigned char*>(vertexData) + declaration[0].Offset;
    const WORD* face = static_cast<const WORD*>(indexData);
    auto corner = [&](WORD index) {
        D3DXVECTOR3 c;
        std::memcpy(&c, positions + size_t(index) * stride, sizeof c);
        return c;
    };
    float best = 1.0e35f;
    const DWORD faces = mesh.GetNumFaces();
    for (DWORD f = 0; f < faces; ++f, face += 3) {
        float u, v, distance;
        if (intersectTriangle(origins[i], directions[i], corner(face[0]), corner(face[1]), corner(face[2]), &u, &v,
                              &distance) &&
            distance < best) {
            best = distance;
            p = {TRUE, f, distance};
        }
    }
    mesh.UnlockVertexBuffer();
    mesh.UnlockIndexBuffer();
    return p;
}

template <Pick (*pick)(int)>
void run(benchmark::State& state)
{
    int i = 0;
    for (auto _ : state) {
        Pick p = pick(i);
        benchmark::DoNotOptimize(p);
        i = (i + 1) % kRays;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(run<ours>)->Name("Intersect100kFaces/ours");
BENCHMARK(run<bruteForce>)->Name("Intersect100kFaces/brute");

bool agree()
{
    int hits = 0;
    for (int i = 0; i < kRays; ++i) {
        const Pick a = ours(i), b = bruteForce(i);
        if (a.hit != b.hit || (a.hit && (a.face != b.face || a.distance != b.distance))) {
            std::fprintf(stderr, "ray %d: ours hit %d face %lu at %g, brute force hit %d face %lu at %g\n", i,
                         int(a.hit), static_cast<unsigned long>(a.face), double(a.distance), int(b.hit),
                         static_cast<unsigned long>(b.face), double(b.distance));
            return false;
        }
        hits += a.hit ? 1 : 0;
    }
    std::printf("%d of %d rays hit the %lu-face mesh; both agree on every ray\n", hits, kRays,
                static_cast<unsigned long>(sphere->GetNumFaces()));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    makeInputs();
    if (!agree()) return 1;
    return runWithRatios(argc, argv, "ours", "brute");
}
