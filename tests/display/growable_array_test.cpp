#include "display/growable_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Counts allocations and can refuse them, through the array's test seam.
struct AllocationSpy {
    static inline int calls = 0;
    static inline bool refuse = false;
    static inline std::vector<size_t> sizes;

    static void* allocate(size_t bytes)
    {
        ++calls;
        sizes.push_back(bytes);
        return refuse ? nullptr : std::malloc(bytes);
    }
};

class GrowableArrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AllocationSpy::calls = 0;
        AllocationSpy::refuse = false;
        AllocationSpy::sizes.clear();
        GrowableArray::setAllocatorForTesting(&AllocationSpy::allocate);
    }
    void TearDown() override { GrowableArray::setAllocatorForTesting(nullptr); }
};

struct Record16 {
    uint32_t a, b, c, d;
};

}  // namespace

TEST_F(GrowableArrayTest, StartsEmptyWithoutAllocating)
{
    GrowableArray values(ByValue, 4);
    EXPECT_EQ(values.count(), 0u);
    EXPECT_EQ(values.capacity(), 0u);
    EXPECT_EQ(values.at(0), nullptr) << "an empty array hands out its null buffer";
    EXPECT_EQ(AllocationSpy::calls, 0);
}

TEST_F(GrowableArrayTest, GrowsFromSixteenByDoublingAndKeepsElements)
{
    GrowableArray values(ByValue, sizeof(uint32_t));
    for (uint32_t i = 0; i < 16; ++i) ASSERT_EQ(values.append(&i), S_OK);
    EXPECT_EQ(values.capacity(), 16u);
    EXPECT_EQ(AllocationSpy::calls, 1);

    const uint32_t seventeenth = 16;
    ASSERT_EQ(values.append(&seventeenth), S_OK);
    EXPECT_EQ(values.capacity(), 32u);
    EXPECT_EQ(values.count(), 17u);
    EXPECT_EQ(AllocationSpy::calls, 2);
    EXPECT_EQ(AllocationSpy::sizes, (std::vector<size_t>{16 * 4, 32 * 4}));
    for (uint32_t i = 0; i < 17; ++i) EXPECT_EQ(*static_cast<uint32_t*>(values.at(i)), i);
}

TEST_F(GrowableArrayTest, EmptyKeepsTheBufferForRefilling)
{
    GrowableArray values(ByValue, sizeof(uint32_t));
    for (uint32_t i = 0; i < 20; ++i) values.append(&i);
    const int allocations = AllocationSpy::calls;
    void* buffer = values.at(0);

    values.empty();
    EXPECT_EQ(values.count(), 0u);
    EXPECT_EQ(values.capacity(), 32u);
    const uint32_t again = 7;
    ASSERT_EQ(values.append(&again), S_OK);
    EXPECT_EQ(AllocationSpy::calls, allocations);
    EXPECT_EQ(values.at(0), buffer);
    EXPECT_EQ(*static_cast<uint32_t*>(values.at(0)), 7u);
}

TEST_F(GrowableArrayTest, FailedGrowthReportsOutOfMemoryAndKeepsContents)
{
    GrowableArray values(ByValue, sizeof(uint32_t));
    AllocationSpy::refuse = true;
    const uint32_t first = 1;
    EXPECT_EQ(values.append(&first), E_OUTOFMEMORY);
    EXPECT_EQ(values.count(), 0u);
    EXPECT_EQ(values.capacity(), 0u);

    AllocationSpy::refuse = false;
    for (uint32_t i = 0; i < 16; ++i) values.append(&i);
    AllocationSpy::refuse = true;
    EXPECT_EQ(values.append(&first), E_OUTOFMEMORY);
    EXPECT_EQ(values.count(), 16u);
    EXPECT_EQ(values.capacity(), 16u);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(*static_cast<uint32_t*>(values.at(i)), i);
}

TEST_F(GrowableArrayTest, HugeElementSizeDoesNotWrapTheByteCount)
{
    // 16 elements of 1 GiB each: the request must be for 16 GiB (refused
    // here), never for a wrapped-around 32-bit size.
    GrowableArray huge(ByValue, 0x40000000u);
    AllocationSpy::refuse = true;
    char byte = 0;
    EXPECT_EQ(huge.append(&byte), E_OUTOFMEMORY);
    for (size_t requested : AllocationSpy::sizes) EXPECT_GE(requested, size_t(16) * 0x40000000u);
}

TEST_F(GrowableArrayTest, ZeroElementSizeIsRefusedByValueOnly)
{
    GrowableArray values(ByValue, 0);
    const int x = 1;
    EXPECT_EQ(values.append(&x), E_FAIL);
    EXPECT_EQ(values.count(), 0u);
    EXPECT_EQ(AllocationSpy::calls, 0);

    GrowableArray pointers(ByPointer, 0);
    EXPECT_EQ(pointers.elementSize(), sizeof(void*));
    EXPECT_EQ(pointers.append(&x), S_OK);
    EXPECT_EQ(pointers.at(0), &x);
}

TEST_F(GrowableArrayTest, ByPointerStoresPointersNotCopies)
{
    GrowableArray pointers(ByPointer, 123);
    EXPECT_EQ(pointers.elementSize(), sizeof(void*));
    int objects[40] = {};
    for (int& o : objects) ASSERT_EQ(pointers.append(&o), S_OK);
    for (UINT i = 0; i < 40; ++i) EXPECT_EQ(pointers.at(i), &objects[i]);
}

TEST_F(GrowableArrayTest, HasComparesBytesByValueAndIdentityByPointer)
{
    GrowableArray records(ByValue, sizeof(Record16));
    const Record16 stored{1, 2, 3, 4};
    records.append(&stored);
    const Record16 same{1, 2, 3, 4};
    const Record16 lastDiffers{1, 2, 3, 5};
    const Record16 firstDiffers{0, 2, 3, 4};
    EXPECT_TRUE(records.has(&same));
    EXPECT_FALSE(records.has(&lastDiffers));
    EXPECT_FALSE(records.has(&firstDiffers));

    GrowableArray pointers(ByPointer, 0);
    int a = 5, b = 5;
    pointers.append(&a);
    EXPECT_TRUE(pointers.has(&a));
    EXPECT_FALSE(pointers.has(&b)) << "equal contents, different object";
}
