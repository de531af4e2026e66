#include "toolkit/pointer_list.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

bool listMissing(const PointerList* list) {
    if (list) return false;
    std::fputs("list doesn't exist, abording!\n", stderr);
    return true;
}

}  // namespace

int pointerListInit(PointerList* list, int capacity, uint32_t spare) {
    if (listMissing(list)) return 0;
    // A list initialised twice gives back its old array instead of leaking it.
    std::free(list->items);
    list->items = nullptr;
    list->count = 0;
    list->capacity = capacity;
    list->spare = spare;
    if (capacity <= 0) return 0;
    list->items = static_cast<void**>(std::malloc(sizeof(void*) * static_cast<size_t>(capacity)));
    if (!list->items) list->capacity = 0;
    return list->items != nullptr;
}

int pointerListGrow(PointerList* list) {
    if (listMissing(list)) return 0;
    if (list->capacity > INT32_MAX / 2) return 0;
    int32_t capacity = list->capacity <= 0 ? 1 : list->capacity * 2;
    void** items = static_cast<void**>(
        std::realloc(list->items, sizeof(void*) * static_cast<size_t>(capacity)));
    if (!items) return 0;  // the old array stays valid
    list->items = items;
    list->capacity = capacity;
    return 1;
}

bool pointerListHasItems(const PointerList* list) {
    return list && list->count > 0;
}

bool pointerListFull(const PointerList* list) {
    return list && list->count >= list->capacity - 1;
}

int pointerListMakeRoom(PointerList* list) {
    if (listMissing(list)) return 0;
    if (pointerListFull(list)) {
        if (pointerListHasItems(list)) {
            pointerListGrow(list);
        } else {
            pointerListInit(list, 1, 0);
        }
    }
    // Growing may have failed; writing past the array is never an option.
    return list->items != nullptr && list->count < list->capacity;
}

int pointerListAppend(PointerList* list, void* item) {
    if (!pointerListMakeRoom(list)) return 0;
    list->items[list->count++] = item;
    return 1;
}

void pointerListRelease(PointerList* list) {
    if (!list) return;
    std::free(list->items);
    list->items = nullptr;
    list->count = 0;
    list->capacity = 0;
}
