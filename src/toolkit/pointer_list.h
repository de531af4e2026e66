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

// Empties the list, frees its old array and allocates `capacity` slots (none
// when capacity <= 0). Returns whether an array was allocated; 0 with a message
// when list is null.
int pointerListInit(PointerList* list, int capacity, uint32_t spare);
// Doubles the capacity (or makes it 1); returns whether the reallocation succeeded.
int pointerListGrow(PointerList* list);
bool pointerListHasItems(const PointerList* list);  // count > 0
bool pointerListFull(const PointerList* list);      // count >= capacity - 1
// Makes room for one more element as append does: grows a full list that has
// items, gives an empty full one a fresh one-slot array (spare 0). Returns
// whether a free slot exists afterwards; 0 with a message when list is null.
int pointerListMakeRoom(PointerList* list);
// Appends `item`, growing the list when it is full; returns 1, or 0 when list is
// null (with a message) or no memory could be had.
int pointerListAppend(PointerList* list, void* item);
// Frees the array and empties the list (for lists that do not live for the whole run).
void pointerListRelease(PointerList* list);
