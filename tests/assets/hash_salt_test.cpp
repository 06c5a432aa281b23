// The keyed byte hash behind the loaders' tables (names, materials): every
// byte and the length count, and the key changes every result.
#include "assets/hash_salt.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(SaltedBytesHash, EveryBitTheLengthAndTheSaltCount) {
    unsigned char bytes[44] = {};
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 1);
    const uint64_t salt = 0x0123456789ABCDEFull;
    const uint64_t base = saltedBytesHash(bytes, sizeof bytes, salt);
    EXPECT_EQ(saltedBytesHash(bytes, sizeof bytes, salt), base);

    // A flip of any one bit, the last partial word's included, moves it.
    std::set<uint64_t> seen{base};
    for (size_t bit = 0; bit < sizeof bytes * 8; ++bit) {
        bytes[bit / 8] ^= static_cast<unsigned char>(1u << bit % 8);
        EXPECT_TRUE(seen.insert(saltedBytesHash(bytes, sizeof bytes, salt)).second) << "bit " << bit;
        bytes[bit / 8] ^= static_cast<unsigned char>(1u << bit % 8);
    }

    // Trailing zero bytes are not nothing.
    const unsigned char shortText[9] = {'a', 'b', 'c'};
    EXPECT_NE(saltedBytesHash(shortText, 3, salt), saltedBytesHash(shortText, 4, salt));
    EXPECT_NE(saltedBytesHash(shortText, 8, salt), saltedBytesHash(shortText, 9, salt));
    EXPECT_NE(saltedBytesHash(shortText, 0, salt), saltedBytesHash(shortText, 0, salt + 1));

    // Two inputs that collide under one key part under another: the key is
    // mixed into every round, not only applied to the end result.
    const uint64_t other = salt ^ 0x1000;
    unsigned char a[16] = {1}, b[16] = {2};
    // Choose b's second word so that b meets a under `salt` after two rounds.
    const uint64_t la = saltedHash(saltedHash(16, salt) ^ 1, salt);
    const uint64_t lb = saltedHash(saltedHash(16, salt) ^ 2, salt);
    uint64_t wa = 0, wb = la ^ lb;
    std::memcpy(a + 8, &wa, 8);
    std::memcpy(b + 8, &wb, 8);
    ASSERT_EQ(saltedBytesHash(a, 16, salt), saltedBytesHash(b, 16, salt));
    EXPECT_NE(saltedBytesHash(a, 16, other), saltedBytesHash(b, 16, other));
}

}  // namespace
