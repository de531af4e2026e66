#include "tracking/linked_list.h"

#include <new>

namespace {

// Owned records are trivially destructible (see the header), so releasing their
// storage ends their lifetime; the list does not need their type.
void releaseOwned(ListNode* node) {
    if (node->bits & NODE_OWNS_PAYLOAD) {
        ::operator delete(node->payload);
        node->payload = nullptr;
    }
    if (node->bits & NODE_OWNS_NODE) ::operator delete(static_cast<void*>(node));
}

}  // namespace

int listInit(LinkedList* list, int tag) {
    list->head.prev = nullptr;
    list->head.next = &list->tail;
    list->tail.prev = &list->head;
    list->tail.next = nullptr;
    list->count = 0;
    list->tag = tag;
    return 1;
}

int listClear(LinkedList* list) {
    ListNode* node = list->head.next;
    while (node != nullptr && node != &list->tail) {
        ListNode* next = node->next;
        releaseOwned(node);
        node = next;
    }
    list->head.next = &list->tail;
    list->tail.prev = &list->head;
    list->count = 0;
    return 1;
}

ListNode* listAppend(LinkedList* list, void* payload, int bits) {
    ListNode* node = new (std::nothrow) ListNode{nullptr, nullptr, bits | NODE_OWNS_NODE, payload};
    if (node == nullptr) return nullptr;
    listInsertAfter(list->tail.prev, node);
    list->count++;
    return node;
}

void listInsertAfter(ListNode* node, ListNode* newNode) {
    newNode->prev = node;
    newNode->next = node->next;
    node->next->prev = newNode;
    node->next = newNode;
}

ListNode* listRemove(ListNode* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
    node->prev = nullptr;
    node->next = nullptr;
    const bool freesNode = node->bits & NODE_OWNS_NODE;
    releaseOwned(node);
    return freesNode ? nullptr : node;
}

ListNode* iterBegin(ListIterator* iterator, LinkedList* list) {
    iterator->first = list->head.next;
    iterator->end = &list->tail;
    iterator->current = iterator->first;
    return iterator->first;
}

int iterValid(const ListIterator* iterator) {
    // The head sentinel is the only node without a predecessor.
    const ListNode* current = iterator->current;
    return current != nullptr && current != iterator->end && current->prev != nullptr;
}

ListNode* iterNext(ListIterator* iterator) {
    iterator->current = iterator->current->next;
    return iterator->current;
}

void* iterPayload(const ListIterator* iterator) {
    return iterator->current->payload;
}

ListNode* iterLast(const ListIterator* iterator) {
    return iterator->end->prev;
}
