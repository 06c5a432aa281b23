#include "common/bounded_copy.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CopyBounded, CopiesPadsAndAlwaysTerminates)
{
    char dest[8];
    std::memset(dest, '#', sizeof dest);
    EXPECT_EQ(copyBounded(dest, "abc", 8), S_OK);
    EXPECT_STREQ(dest, "abc");
    for (int i = 3; i < 8; ++i) EXPECT_EQ(dest[i], '\0') << "padded at " << i;

    EXPECT_EQ(copyBounded(dest, "abcdefghij", 8), S_OK);
    EXPECT_STREQ(dest, "abcdefg");

    std::memset(dest, '#', sizeof dest);
    EXPECT_EQ(copyBounded(dest, "anything", 1), S_OK);
    EXPECT_EQ(dest[0], '\0');
    EXPECT_EQ(dest[1], '#') << "nothing past the capacity";
}

TEST(CopyBounded, BadArgumentsLeaveTheDestinationAlone)
{
    char dest[4] = "old";
    EXPECT_EQ(copyBounded(nullptr, "x", 4), E_INVALIDARG);
    EXPECT_EQ(copyBounded(dest, nullptr, 4), E_INVALIDARG);
    EXPECT_EQ(copyBounded(dest, "x", 0), E_INVALIDARG);
    EXPECT_EQ(copyBounded(dest, "x", -5), E_INVALIDARG);
    EXPECT_STREQ(dest, "old");
}
