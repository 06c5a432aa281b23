#include "assets/adjacency.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Position {
    float x, y, z;
};

Position positionAt(const uint8_t* vertices, DWORD stride, DWORD i) {
    Position p;
    std::memcpy(&p, vertices + size_t(i) * stride, sizeof(p));
    // +0 and -0 are the same place.
    p.x += 0.0f;
    p.y += 0.0f;
    p.z += 0.0f;
    return p;
}

uint32_t hashOf(const Position& p) {
    uint32_t b[3];
    std::memcpy(b, &p, sizeof(b));
    uint32_t h = b[0] * 0x9E3779B1u;
    h = (h ^ (h >> 15) ^ b[1]) * 0x85EBCA77u;
    h = (h ^ (h >> 13) ^ b[2]) * 0xC2B2AE3Du;
    return h ^ (h >> 16);
}

bool samePlace(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

std::vector<uint32_t> exactCanonical(const uint8_t* vertices, DWORD stride, DWORD count) {
    std::vector<uint32_t> canonical(count);
    size_t slots = 16;
    while (slots < size_t(count) * 2) slots *= 2;
    std::vector<uint32_t> table(slots, kNoNeighbour);
    for (DWORD i = 0; i < count; ++i) {
        Position p = positionAt(vertices, stride, i);
        size_t slot = hashOf(p) & (slots - 1);
        for (;;) {
            uint32_t held = table[slot];
            if (held == kNoNeighbour) {
                table[slot] = i;
                canonical[i] = i;
                break;
            }
            if (samePlace(positionAt(vertices, stride, held), p)) {
                canonical[i] = held;
                break;
            }
            slot = (slot + 1) & (slots - 1);
        }
    }
    return canonical;
}

uint32_t findRoot(std::vector<uint32_t>& parent, uint32_t v) {
    while (parent[v] != v) {
        parent[v] = parent[parent[v]];
        v = parent[v];
    }
    return v;
}

std::vector<uint32_t> nearCanonical(const uint8_t* vertices, DWORD stride, DWORD count, float epsilon) {
    std::vector<Position> at(count);
    for (DWORD i = 0; i < count; ++i) at[i] = positionAt(vertices, stride, i);
    std::vector<uint32_t> order(count), parent(count);
    for (DWORD i = 0; i < count; ++i) order[i] = parent[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return at[a].x < at[b].x; });
    for (size_t i = 0; i < order.size(); ++i) {
        const Position& p = at[order[i]];
        for (size_t j = i + 1; j < order.size() && at[order[j]].x - p.x <= epsilon; ++j) {
            const Position& q = at[order[j]];
            if (std::fabs(q.y - p.y) <= epsilon && std::fabs(q.z - p.z) <= epsilon) {
                uint32_t a = findRoot(parent, order[i]), b = findRoot(parent, order[j]);
                // The lower index stays the root, so it names the group.
                if (a < b) parent[b] = a; else if (b < a) parent[a] = b;
            }
        }
    }
    std::vector<uint32_t> canonical(count);
    for (DWORD i = 0; i < count; ++i) canonical[i] = findRoot(parent, i);
    return canonical;
}

}  // namespace

std::vector<uint32_t> canonicalVertices(const uint8_t* vertices, DWORD stride, DWORD count, float epsilon) {
    // NaN or negative epsilon behaves as zero.
    return epsilon > 0 ? nearCanonical(vertices, stride, count, epsilon) : exactCanonical(vertices, stride, count);
}

void faceAdjacency(const uint32_t* indices, DWORD faces, const std::vector<uint32_t>& canonical, DWORD* out) {
    const size_t corners = size_t(faces) * 3;
    std::fill(out, out + corners, kNoNeighbour);
    auto corner = [&](size_t face, unsigned k) { return canonical[indices[face * 3 + k]]; };

    // Faces around each canonical vertex, as one array cut by offsets.
    std::vector<uint32_t> offsets(canonical.size() + 1, 0);
    for (size_t i = 0; i < corners; ++i) ++offsets[canonical[indices[i]] + 1];
    for (size_t v = 0; v < canonical.size(); ++v) offsets[v + 1] += offsets[v];
    std::vector<uint32_t> around(corners);
    std::vector<uint32_t> fill(offsets.begin(), offsets.end() - 1);
    for (size_t i = 0; i < corners; ++i) around[fill[canonical[indices[i]]]++] = static_cast<uint32_t>(i / 3);

    for (size_t f = 0; f < faces; ++f) {
        for (unsigned e = 0; e < 3; ++e) {
            if (out[f * 3 + e] != kNoNeighbour) continue;
            uint32_t a = corner(f, e), b = corner(f, (e + 1) % 3);
            if (a == b) continue;
            size_t opposite = SIZE_MAX, same = SIZE_MAX;
            for (uint32_t i = offsets[a]; i < offsets[a + 1] && opposite == SIZE_MAX; ++i) {
                size_t g = around[i];
                if (g == f) continue;
                for (unsigned k = 0; k < 3; ++k) {
                    if (out[g * 3 + k] != kNoNeighbour) continue;
                    uint32_t ga = corner(g, k), gb = corner(g, (k + 1) % 3);
                    if (ga == b && gb == a) {
                        opposite = g * 3 + k;
                        break;
                    }
                    if (ga == a && gb == b && same == SIZE_MAX) same = g * 3 + k;
                }
            }
            size_t other = opposite != SIZE_MAX ? opposite : same;
            if (other == SIZE_MAX) continue;
            out[f * 3 + e] = static_cast<DWORD>(other / 3);
            out[other] = static_cast<DWORD>(f);
        }
    }
}
