#include "diagrams/bdd_node_memo.h"

#include "support/memory_manager.h"

#include <cstring>

KEFOBDDNodeMemo::~KEFOBDDNodeMemo() {
    if (_slots != nullptr) PLOVMemoryManager::DeleteLargeCell(_slots, _capacity * sizeof(Slot));
}

void KEFOBDDNodeMemo::Insert(const KEFOBDDNode* key, KEFOBDDNode* value) {
    if (4 * (_count + 1) > 3 * _capacity) _Grow();
    const std::size_t mask = _capacity - 1;
    std::size_t i = KEFOBDDCache::Identity(key) & mask;
    while (_slots[i].key != nullptr) i = (i + 1) & mask;
    _slots[i].key = key;
    _slots[i].value = value;
    ++_count;
}

void KEFOBDDNodeMemo::_Grow() {
    const std::size_t capacity = _capacity == 0 ? 1024 : 2 * _capacity;
    Slot* slots = static_cast<Slot*>(PLOVMemoryManager::NewLargeCell(capacity * sizeof(Slot), PLOVMemoryManager::Backing::Backed));
    const std::size_t mask = capacity - 1;
    for (std::size_t j = 0; j < _capacity; ++j) {
        const Slot& old = _slots[j];
        if (old.key == nullptr) continue;
        std::size_t i = KEFOBDDCache::Identity(old.key) & mask;
        while (slots[i].key != nullptr) i = (i + 1) & mask;
        slots[i] = old;
    }
    if (_slots != nullptr) PLOVMemoryManager::DeleteLargeCell(_slots, _capacity * sizeof(Slot));
    _slots = slots;
    _capacity = capacity;
}

void KEFOBDDNodeMemo::Reset() {
    if (_slots != nullptr) std::memset(static_cast<void*>(_slots), 0, _capacity * sizeof(Slot));
    _count = 0;
}
