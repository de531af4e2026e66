#include "video/frame_cache.h"

#include <utility>

FrameCache::FrameCache(size_t frameBytes, size_t budgetBytes)
    : frameBytes(frameBytes), budget(budgetBytes) {}

const unsigned char* FrameCache::find(int frame) {
    auto found = entries.find(frame);
    if (found == entries.end()) return nullptr;
    recentUse.splice(recentUse.begin(), recentUse, found->second.use);
    return found->second.pixels.get();
}

unsigned char* FrameCache::insert(int frame) {
    if (unsigned char* cached = const_cast<unsigned char*>(find(frame))) return cached;
    if (capacity() == 0) return nullptr;
    std::unique_ptr<unsigned char[]> pixels;
    if (size() >= capacity()) {
        // Reuse the evicted frame's storage: no allocation while the cache is full.
        const int oldest = recentUse.back();
        pixels = std::move(entries[oldest].pixels);
        evictOldest();
    } else {
        pixels.reset(new unsigned char[frameBytes]);
    }
    recentUse.push_front(frame);
    Entry& entry = entries[frame];
    entry.pixels = std::move(pixels);
    entry.use = recentUse.begin();
    return entry.pixels.get();
}

void FrameCache::erase(int frame) {
    auto found = entries.find(frame);
    if (found == entries.end()) return;
    recentUse.erase(found->second.use);
    entries.erase(found);
}

void FrameCache::clear() {
    entries.clear();
    recentUse.clear();
}

void FrameCache::setBudget(size_t budgetBytes) {
    budget = budgetBytes;
    while (size() > capacity()) evictOldest();
}

void FrameCache::evictOldest() {
    const int oldest = recentUse.back();
    recentUse.pop_back();
    entries.erase(oldest);
}
