// main() of the game executable: starts the program at WinMain as the Windows
// loader does. Linked into the game only; test programs bring their own main.
#include <windows.h>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Start-up touches some tens of megabytes of fresh heap (the GL driver's
// compiler, textures and their copies), and a fault for every 4 KiB page of it
// costs more than the work done there, in virtual machines above all. So the
// heap grows once, by enough for start-up, in a range the kernel may back with
// huge pages: a fault then maps 2 MiB. Large blocks come from that range too
// rather than from mappings of their own. Where the kernel declines, only the
// growth policy has changed.
void growHeapForStartUp()
{
    constexpr size_t kHugePage = size_t(2) << 20;
    constexpr size_t kReserve = size_t(64) << 20;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 2 * kReserve);
    mallopt(M_TOP_PAD, kReserve);
    const auto before = reinterpret_cast<uintptr_t>(sbrk(0));
    // Through a volatile pointer, or the pair may be optimised away.
    void* volatile block = std::malloc(kHugePage);
    std::free(block);
    const auto after = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t begin = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > begin + kHugePage) madvise(reinterpret_cast<void*>(begin), after - begin, MADV_HUGEPAGE);
}

}  // namespace

int main()
{
    growHeapForStartUp();
    // Command-line arguments are not handed on: the program reads none.
    char commandLine[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
