#include "display/growable_array.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT InitialCapacity = 16;

GrowableArray::AllocateFn allocateOverride = nullptr;

void* allocate(size_t bytes)
{
    return allocateOverride ? allocateOverride(bytes) : std::malloc(bytes);
}

}  // namespace

void GrowableArray::setAllocatorForTesting(AllocateFn allocateFn)
{
    allocateOverride = allocateFn;
}

GrowableArray::GrowableArray(GrowableArrayKind kind, UINT elementSize)
    : kind_(kind), elementSize_(kind == ByPointer ? static_cast<UINT>(sizeof(void*)) : elementSize)
{
}

GrowableArray::~GrowableArray()
{
    std::free(buffer_);
}

HRESULT GrowableArray::append(const void* element)
{
    if (elementSize_ == 0) return E_FAIL;

    if (buffer_ == nullptr || count_ + 1 > capacity_) {
        // The byte count is formed in 64 bits so that a huge element size or
        // capacity cannot wrap into a small allocation.
        const uint64_t newCapacity = capacity_ == 0 ? InitialCapacity : uint64_t(capacity_) * 2;
        const uint64_t bytes = newCapacity * elementSize_;
        if (newCapacity > UINT32_MAX || bytes > SIZE_MAX) return E_OUTOFMEMORY;
        auto* grown = static_cast<unsigned char*>(allocate(static_cast<size_t>(bytes)));
        if (grown == nullptr) return E_OUTOFMEMORY;
        if (count_ > 0) std::memcpy(grown, buffer_, size_t(count_) * elementSize_);
        std::free(buffer_);
        buffer_ = grown;
        capacity_ = static_cast<UINT>(newCapacity);
    }

    unsigned char* slot = buffer_ + size_t(count_) * elementSize_;
    if (kind_ == ByPointer)
        std::memcpy(slot, &element, sizeof element);
    else
        std::memcpy(slot, element, elementSize_);
    ++count_;
    return S_OK;
}

void* GrowableArray::at(UINT index) const
{
    unsigned char* slot = buffer_ + size_t(index) * elementSize_;
    if (kind_ == ByValue) return slot;
    void* stored;
    std::memcpy(&stored, slot, sizeof stored);
    return stored;
}

bool GrowableArray::has(const void* element) const
{
    for (UINT i = 0; i < count_; ++i) {
        if (kind_ == ByPointer ? at(i) == element : std::memcmp(at(i), element, elementSize_) == 0)
            return true;
    }
    return false;
}

void GrowableArray::empty()
{
    count_ = 0;
}
