#include "kernel/handle_table.h"

#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// Far more than the program keeps open; stops a leak before it exhausts memory.
constexpr size_t kMaxHandles = 1 << 16;

std::mutex tableMutex;
std::vector<int> slots;  // descriptor per slot, -1 when free

HANDLE handleOfSlot(size_t slot) { return reinterpret_cast<HANDLE>((slot + 1) * 4); }

// The slot of an open handle, or false.
bool slotOfHandle(HANDLE handle, size_t* slot) {
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0 || value % 4 != 0) return false;
    size_t index = value / 4 - 1;
    if (index >= slots.size() || slots[index] < 0) return false;
    *slot = index;
    return true;
}

}  // namespace

HANDLE addFileHandle(int fd) {
    std::lock_guard<std::mutex> lock(tableMutex);
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i] < 0) {
            slots[i] = fd;
            return handleOfSlot(i);
        }
    }
    if (slots.size() >= kMaxHandles) return nullptr;
    slots.push_back(fd);
    return handleOfSlot(slots.size() - 1);
}

int fileDescriptorOf(HANDLE handle) {
    std::lock_guard<std::mutex> lock(tableMutex);
    size_t slot = 0;
    return slotOfHandle(handle, &slot) ? slots[slot] : -1;
}

bool closeKernelHandle(HANDLE handle) {
    int fd = -1;
    {
        std::lock_guard<std::mutex> lock(tableMutex);
        size_t slot = 0;
        if (!slotOfHandle(handle, &slot)) return false;
        fd = slots[slot];
        slots[slot] = -1;
    }
    close(fd);
    return true;
}

}  // namespace platform
