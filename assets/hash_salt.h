// Hash tables keyed by what a file holds (names, materials) mix a salt of
// their own into every hash: a file cannot then choose keys that all land in
// one slot and make each lookup a walk over the whole table.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>

// A different salt on every call: the clock, a counter and an address.
inline uint64_t newHashSalt() {
    static std::atomic<uint64_t> calls{0};
    const uint64_t clock = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const uint64_t local = reinterpret_cast<uintptr_t>(&clock);
    return clock ^ (++calls * 0x9E3779B97F4A7C15ull) ^ (local << 17);
}

// Mixes `hash` with `salt` so that every output bit depends on every input
// bit of both (a 64-bit finaliser).
inline uint64_t saltedHash(uint64_t hash, uint64_t salt) {
    uint64_t h = hash ^ salt;
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

// A hash of `size` bytes keyed by `salt` throughout: eight bytes at a time,
// each mixed in before a keyed round. Hashing the bytes without the salt
// first (std::hash) and salting the result would not do: inputs that collide
// unsalted, which can be found for the standard hash whatever its seed, still
// collide once salted. Here two inputs that first differ in one word part
// there for good, unless a later word cancels a difference that depends on
// the salt, which the file cannot know.
inline uint64_t saltedBytesHash(const void* data, size_t size, uint64_t salt) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint64_t h = saltedHash(size, salt);
    for (size_t at = 0; at < size; at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes + at, size - at < 8 ? size - at : 8);
        h = saltedHash(h ^ word, salt);
    }
    return h;
}
