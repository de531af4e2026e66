// LinkedList: the doubly linked container of the tool (a track's keys, the
// timeline's selection), with a head and a tail sentinel and ownership bits per node.
//
// Ownership: a node with NODE_OWNS_PAYLOAD releases its payload when it is removed or
// the list cleared; one with NODE_OWNS_NODE releases itself. Owned payloads and nodes
// are allocated with `new` of a trivially destructible record (KeyFrame, KeyNode,
// ListNode), because the list releases them without knowing their type.
#pragma once

constexpr int NODE_OWNS_PAYLOAD = 1;  // removing the node frees its payload
constexpr int NODE_OWNS_NODE = 2;     // removing the node frees the node itself

struct ListNode {
    ListNode* prev = nullptr;  // null only for a head sentinel
    ListNode* next = nullptr;  // null only for a tail sentinel
    int bits = 0;              // ownership bits above
    void* payload = nullptr;   // the element; owned when bits has NODE_OWNS_PAYLOAD
};

// A default-constructed list is already empty; listInit makes it empty again.
// The sentinels point at each other, so a list is never copied or moved.
struct LinkedList {
    ListNode head{nullptr, &tail, 0, nullptr};  // next: first element or &tail
    ListNode tail{&head, nullptr, 0, nullptr};  // prev: last element or &head
    int count = 0;                              // number of elements
    int tag = 0;                                // given at initialisation, not otherwise used

    LinkedList() = default;
    LinkedList(const LinkedList&) = delete;
    LinkedList& operator=(const LinkedList&) = delete;
};

struct ListIterator {
    ListNode* first = nullptr;    // the list's first node when the iteration began
    ListNode* end = nullptr;      // the list's tail sentinel
    ListNode* current = nullptr;  // the node the iteration stands on
};

// Makes the list empty without freeing anything and stores the tag; returns 1.
int listInit(LinkedList* list, int tag);
// Frees owned payloads and nodes of every element, then empties the list (the tag
// stays); returns 1.
int listClear(LinkedList* list);
// Appends a new node holding payload with ownership `bits | NODE_OWNS_NODE`; count + 1.
// Returns the node, or null (list unchanged) when the allocation fails.
ListNode* listAppend(LinkedList* list, void* payload, int bits);
// Links newNode directly after node; the caller keeps the list's count.
void listInsertAfter(ListNode* node, ListNode* newNode);
// Unlinks node, frees its payload with NODE_OWNS_PAYLOAD and itself with NODE_OWNS_NODE;
// the caller keeps the count. Returns the node when it was not freed, else null.
ListNode* listRemove(ListNode* node);

// Starts an iteration at the list's first node (the tail sentinel when empty); returns it.
ListNode* iterBegin(ListIterator* iterator, LinkedList* list);
// 1 while the current node is an element (neither sentinel), else 0.
int iterValid(const ListIterator* iterator);
ListNode* iterNext(ListIterator* iterator);        // steps to the next node; returns it
void* iterPayload(const ListIterator* iterator);   // the current node's payload
ListNode* iterLast(const ListIterator* iterator);  // the list's last node (head sentinel if empty)
