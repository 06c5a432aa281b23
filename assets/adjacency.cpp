#include "assets/adjacency.h"

#include "assets/hash_salt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

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

// Positions compare as their bits (equal means memcmp-equal once -0 is +0).
// The hash takes a salt of each call's own, so that a file cannot choose
// positions that all land in one slot.
uint32_t hashOf(const Position& p, uint64_t salt) {
    uint32_t b[3];
    std::memcpy(b, &p, sizeof(b));
    // Two keyed rounds: the first is a permutation of (x, y) the file cannot
    // know, so no choice of z makes two places meet.
    return static_cast<uint32_t>(saltedHash(saltedHash(uint64_t(b[0]) << 32 | b[1], salt) ^ b[2], salt));
}

bool samePlace(const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

std::vector<uint32_t> exactCanonical(const uint8_t* vertices, DWORD stride, DWORD count) {
    std::vector<uint32_t> canonical(count);
    size_t slots = 16;
    while (slots < size_t(count) * 2) slots *= 2;
    std::vector<uint32_t> table(slots, kNoNeighbour);
    const uint64_t salt = newHashSalt();
    for (DWORD i = 0; i < count; ++i) {
        Position p = positionAt(vertices, stride, i);
        size_t slot = hashOf(p, salt) & (slots - 1);
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

namespace {

// The corner after `c` around its face.
size_t nextCorner(size_t c) { return c % 3 == 2 ? c - 2 : c + 1; }

// The first edge in `edges` (corner numbers in order, from `head` on) that is
// still unpaired and belongs to a face other than `face`; SIZE_MAX if none.
// Paired edges at the front are dropped for good.
size_t firstPartner(const std::vector<uint32_t>& edges, size_t* head, size_t face, const DWORD* out) {
    while (*head < edges.size() && out[edges[*head]] != kNoNeighbour) ++*head;
    for (size_t i = *head; i < edges.size(); ++i)
        if (out[edges[i]] == kNoNeighbour && edges[i] / 3 != face) return edges[i];
    return SIZE_MAX;
}

}  // namespace

void faceAdjacency(const uint32_t* indices, DWORD faces, const std::vector<uint32_t>& canonical, DWORD* out) {
    const size_t corners = size_t(faces) * 3;
    std::fill(out, out + corners, kNoNeighbour);
    auto at = [&](size_t c) { return canonical[indices[c]]; };

    // Every edge between two distinct corners, bucketed by its lower end (a
    // counting sort, so corner order holds within a bucket) and keyed by its
    // upper end and corner: sorting each bucket puts the edges of one pair of
    // corners together, in the order faces are visited below.
    std::vector<uint32_t> offsets(canonical.size() + 1, 0);
    for (size_t c = 0; c < corners; ++c) {
        uint32_t a = at(c), b = at(nextCorner(c));
        if (a != b) ++offsets[std::min(a, b) + 1];
    }
    for (size_t v = 0; v < canonical.size(); ++v) offsets[v + 1] += offsets[v];
    // Every element is written below: no zeroing pass over what may be tens
    // of megabytes.
    const std::unique_ptr<uint64_t[]> keys(new uint64_t[offsets.back()]);
    {
        std::vector<uint32_t> fill(offsets.begin(), offsets.end() - 1);
        for (size_t c = 0; c < corners; ++c) {
            uint32_t a = at(c), b = at(nextCorner(c));
            if (a != b) keys[fill[std::min(a, b)]++] = uint64_t(std::max(a, b)) << 32 | c;
        }
    }

    // Within one pair of corners, faces in order: an unpaired edge takes the
    // first unpaired edge of another face running the other way, or failing
    // that the first running the same way. Pairs never cross to another pair
    // of corners, so each group is settled on its own.
    std::vector<uint32_t> byDirection[2];
    for (size_t v = 0; v < canonical.size(); ++v) {
        // A fan's edges around its centre arrive in order already.
        uint64_t* const bucket = keys.get() + offsets[v];
        const size_t size = offsets[v + 1] - offsets[v];
        if (!std::is_sorted(bucket, bucket + size)) std::sort(bucket, bucket + size);
        for (size_t begin = offsets[v], end; begin < offsets[v + 1]; begin = end) {
            const uint32_t upper = uint32_t(keys[begin] >> 32);
            end = begin + 1;
            while (end < offsets[v + 1] && uint32_t(keys[end] >> 32) == upper) ++end;
            if (end - begin == 1) continue;
            if (end - begin == 2) {
                const size_t c0 = uint32_t(keys[begin]), c1 = uint32_t(keys[begin + 1]);
                if (c0 / 3 != c1 / 3) {
                    out[c0] = static_cast<DWORD>(c1 / 3);
                    out[c1] = static_cast<DWORD>(c0 / 3);
                }
                continue;
            }
            byDirection[0].clear();
            byDirection[1].clear();
            for (size_t i = begin; i < end; ++i) {
                const uint32_t c = uint32_t(keys[i]);
                byDirection[at(c) == v ? 0 : 1].push_back(c);
            }
            size_t head[2] = {0, 0};
            for (size_t i = begin; i < end; ++i) {
                const uint32_t c = uint32_t(keys[i]);
                if (out[c] != kNoNeighbour) continue;
                const int way = at(c) == v ? 0 : 1;
                size_t other = firstPartner(byDirection[1 - way], &head[1 - way], c / 3, out);
                if (other == SIZE_MAX) other = firstPartner(byDirection[way], &head[way], c / 3, out);
                if (other == SIZE_MAX) continue;
                out[c] = static_cast<DWORD>(other / 3);
                out[other] = static_cast<DWORD>(c / 3);
            }
        }
    }
}
