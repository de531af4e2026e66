// PointerList: a growable array of pointers (child lists, the window table,
// text-panel lines, a view's cameras).
#pragma once

#include <cstdint>

struct PointerList {
    void** items = nullptr;  // the elements, in order; owned by the list
    int32_t count = 0;       // number of elements
    int32_t capacity = 0;    // number of slots allocated
    uint32_t spare = 0;      // set by initialisation; nothing reads it
};

// Empties the list and allocates `capacity` slots (none when capacity <= 0).
// Returns whether an array was allocated; 0 with a message when list is null.
int pointerListInit(PointerList* list, int capacity, uint32_t spare);
// Doubles the capacity (or makes it 1); returns whether the reallocation succeeded.
int pointerListGrow(PointerList* list);
bool pointerListHasItems(const PointerList* list);  // count > 0
bool pointerListFull(const PointerList* list);      // count >= capacity - 1
// Appends `item`, growing the list when it is full; returns 1, or 0 when list is null.
int pointerListAppend(PointerList* list, void* item);
