#include "video/frame_cache.h"

#include <utility>

FrameCache::FrameCache(size_t frameBytes, size_t budgetBytes)
    : frameBytes(frameBytes), budget(budgetBytes) {}

const unsigned char* FrameCache::find(int frame, int* tag) const {
    auto found = entries.find(frame);
    if (found == entries.end()) return nullptr;
    if (tag) *tag = found->second.tag;
    return found->second.bytes.get();
}

long long FrameCache::distance(int frame) const {
    const long long away = static_cast<long long>(frame) - focus;
    const long long far = away < 0 ? -away : away;
    const bool behind = (direction > 0 && away < 0) || (direction < 0 && away > 0);
    return behind ? 2 * far : far;
}

std::map<int, FrameCache::Entry>::iterator FrameCache::farthest() {
    auto first = entries.begin();
    auto last = std::prev(entries.end());
    return distance(first->first) >= distance(last->first) ? first : last;
}

unsigned char* FrameCache::insert(int frame, int tag) {
    auto found = entries.find(frame);
    if (found != entries.end()) {
        found->second.tag = tag;
        return found->second.bytes.get();
    }
    if (capacity() == 0) return nullptr;
    std::unique_ptr<unsigned char[]> bytes;
    if (size() >= capacity()) {
        auto evicted = farthest();
        if (distance(evicted->first) <= distance(frame)) return nullptr;
        // Reuse the evicted frame's storage: no allocation while the cache is full.
        bytes = std::move(evicted->second.bytes);
        entries.erase(evicted);
    } else {
        bytes.reset(new unsigned char[frameBytes]);
    }
    Entry& entry = entries[frame];
    entry.bytes = std::move(bytes);
    entry.tag = tag;
    return entry.bytes.get();
}

void FrameCache::erase(int frame) {
    entries.erase(frame);
}

void FrameCache::clear() {
    entries.clear();
}

void FrameCache::setBudget(size_t budgetBytes) {
    budget = budgetBytes;
    while (size() > capacity()) entries.erase(farthest());
}

void FrameCache::setFocus(int frame, int towards) {
    focus = frame;
    direction = towards;
}
