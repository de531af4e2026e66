// FrameCache: decoded frames kept for instant stepping, within a memory budget.
// Every entry holds one frame in the same number of bytes (the source decides the
// layout: the decoder's planes or packed BGR) and a small tag the source gives it.
// The cache knows where the user stands and which way they move (its focus):
// when the budget is full, the frame farthest from the focus makes room, a frame
// behind the direction of travel counting twice its distance.
#pragma once

#include <cstddef>
#include <map>
#include <memory>

constexpr size_t DEFAULT_FRAME_CACHE_BUDGET = size_t{256} << 20;  // bytes

struct FrameCache {
    FrameCache() = default;
    FrameCache(size_t frameBytes, size_t budgetBytes);

    // The cached bytes of frame (and its tag), or null.
    const unsigned char* find(int frame, int* tag = nullptr) const;
    bool contains(int frame) const { return entries.count(frame) != 0; }
    // A buffer of frameBytes to fill with frame's bytes: the frame's own buffer if
    // it is cached, else a new entry, making room when the budget is full. Null
    // when the budget cannot hold a single frame, or when the cache is full and
    // frame lies no nearer the focus than every cached one.
    unsigned char* insert(int frame, int tag = 0);
    void erase(int frame);
    void clear();
    // Changes the budget, evicting the frames farthest from the focus that no longer fit.
    void setBudget(size_t budgetBytes);
    // Where the user stands; direction > 0 forward, < 0 backward, 0 either way.
    void setFocus(int frame, int direction);
    // How far frame is from the focus, for eviction: frames behind count double.
    long long distance(int frame) const;

    int capacity() const { return static_cast<int>(frameBytes ? budget / frameBytes : 0); }
    int size() const { return static_cast<int>(entries.size()); }
    size_t bytesUsed() const { return entries.size() * frameBytes; }  // never above budget
    size_t budgetBytes() const { return budget; }
    size_t entryBytes() const { return frameBytes; }

  private:
    struct Entry {
        std::unique_ptr<unsigned char[]> bytes;
        int tag = 0;
    };
    // The entry farthest from the focus: the first or the last frame.
    std::map<int, Entry>::iterator farthest();

    size_t frameBytes = 0;
    size_t budget = 0;
    int focus = 0;
    int direction = 0;
    std::map<int, Entry> entries;  // by frame number
};
