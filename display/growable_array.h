// The one container of the display configuration: a doubling array that
// either copies fixed-size elements (ByValue) or stores pointers to objects
// owned elsewhere (ByPointer). Only append can fail: E_FAIL for a zero element
// size, E_OUTOFMEMORY when the larger buffer cannot be had; the array then
// keeps its previous contents. Indexes passed to at() are trusted.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

enum GrowableArrayKind : int32_t {
    ByValue = 0,
    ByPointer = 1,
};

class GrowableArray {
public:
    GrowableArray(GrowableArrayKind kind, UINT elementSize);
    ~GrowableArray();
    GrowableArray(const GrowableArray&) = delete;
    GrowableArray& operator=(const GrowableArray&) = delete;

    // ByValue: copies elementSize bytes from `element`; ByPointer: stores it.
    HRESULT append(const void* element);
    // ByValue: address of the element inside the buffer; ByPointer: the stored pointer.
    void* at(UINT index) const;
    // Byte-wise equality for ByValue, identity for ByPointer.
    bool has(const void* element) const;
    // Forgets the elements and keeps the buffer for refilling.
    void empty();

    GrowableArrayKind kind() const { return kind_; }
    UINT elementSize() const { return elementSize_; }
    UINT count() const { return count_; }
    UINT capacity() const { return capacity_; }

    // Test seam: replaces the allocator of every array (null restores malloc).
    // The replacement must return memory that free() releases.
    using AllocateFn = void* (*)(size_t bytes);
    static void setAllocatorForTesting(AllocateFn allocate);

private:
    GrowableArrayKind kind_;
    unsigned char* buffer_ = nullptr;
    UINT elementSize_;
    UINT count_ = 0;
    UINT capacity_ = 0;
};
