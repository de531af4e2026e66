// FrameCache: decoded frames kept for instant stepping, within a memory budget.
// Every entry is one frame of the same size (the source's packed BGR layout);
// when the budget is full, the frame used longest ago makes room.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <unordered_map>

constexpr size_t DEFAULT_FRAME_CACHE_BUDGET = size_t{256} << 20;  // bytes

struct FrameCache {
    FrameCache() = default;
    FrameCache(size_t frameBytes, size_t budgetBytes);

    // The cached pixels of frame, or null; a hit makes it the most recently used.
    const unsigned char* find(int frame);
    bool contains(int frame) const { return entries.count(frame) != 0; }
    // A buffer of frameBytes to fill with frame's pixels: the frame's own buffer if
    // it is cached, else a new entry (evicting the least recently used one when the
    // budget is full). Null when the budget cannot hold a single frame.
    unsigned char* insert(int frame);
    void erase(int frame);
    void clear();
    // Changes the budget, evicting the least recently used frames that no longer fit.
    void setBudget(size_t budgetBytes);

    int capacity() const { return static_cast<int>(frameBytes ? budget / frameBytes : 0); }
    int size() const { return static_cast<int>(entries.size()); }
    size_t bytesUsed() const { return entries.size() * frameBytes; }  // never above budget
    size_t budgetBytes() const { return budget; }

  private:
    struct Entry {
        std::unique_ptr<unsigned char[]> pixels;
        std::list<int>::iterator use;  // place in recentUse
    };
    void evictOldest();

    size_t frameBytes = 0;
    size_t budget = 0;
    std::unordered_map<int, Entry> entries;
    std::list<int> recentUse;  // frame numbers, most recently used first
};
