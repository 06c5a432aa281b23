#include "assets/texture_level_cache.h"

#include <cstring>
#include <mutex>

namespace {

constexpr size_t kKeptFiles = 4;
// Enough for the game's 256 x 256 textures with their chains, and small
// enough that keeping them for the life of the process costs little.
constexpr size_t kMaxKeptPixelBytes = size_t(1) << 20;

struct Entry {
    std::vector<unsigned char> file;
    std::shared_ptr<const TextureLevelSet> levels;
};

std::mutex entriesMutex;
std::vector<Entry>& entries()  // the most recent first
{
    static std::vector<Entry> kept;
    return kept;
}

size_t pixelBytes(const TextureLevelSet& set)
{
    size_t bytes = 0;
    for (const Image& level : set.levels) bytes += size_t(level.width) * level.height * 4;
    return bytes;
}

}  // namespace

std::shared_ptr<const TextureLevelSet> findTextureLevels(const unsigned char* file, size_t fileSize)
{
    std::lock_guard<std::mutex> lock(entriesMutex);
    for (const Entry& entry : entries())
        if (entry.file.size() == fileSize && std::memcmp(entry.file.data(), file, fileSize) == 0)
            return entry.levels;
    return nullptr;
}

void keepTextureLevels(const unsigned char* file, size_t fileSize, std::shared_ptr<const TextureLevelSet> levels)
{
    if (!levels || pixelBytes(*levels) > kMaxKeptPixelBytes) return;
    Entry entry;
    entry.file.assign(file, file + fileSize);
    entry.levels = std::move(levels);
    std::lock_guard<std::mutex> lock(entriesMutex);
    std::vector<Entry>& kept = entries();
    kept.insert(kept.begin(), std::move(entry));
    if (kept.size() > kKeptFiles) kept.pop_back();
}
