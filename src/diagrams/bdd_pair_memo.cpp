#include "diagrams/bdd_pair_memo.h"

#include "support/exception.h"
#include "support/memory_manager.h"

#include <cstring>

KEFOBDDPairMemo::~KEFOBDDPairMemo() {
    if (_slots != nullptr) PLOVMemoryManager::DeleteLargeCell(_slots, _capacity * sizeof(Slot));
}

void KEFOBDDPairMemo::Insert(const KEFOBDDNode* a, const KEFOBDDNode* b, KEFOBDDNode* value) {
    if (4 * (_count + 1) > 3 * _capacity) {
        if (_full) return;
        if (_capacity >= maximumCapacity) {
            _full = true;
            return;
        }
        try {
            _Grow();
        } catch (const PLOVException& e) {
            if (e.GetKind() != PLOVException::MemoryOverflow) throw;
            _full = true;
            return;
        }
    }
    const std::size_t mask = _capacity - 1;
    std::size_t i = Hash(a, b) & mask;
    while (_slots[i].a != nullptr) i = (i + 1) & mask;
    _slots[i].a = a;
    _slots[i].b = b;
    _slots[i].value = value;
    ++_count;
}

void KEFOBDDPairMemo::_Grow() {
    const std::size_t capacity = _capacity == 0 ? 65536 : 2 * _capacity;
    Slot* slots = static_cast<Slot*>(PLOVMemoryManager::NewLargeCell(capacity * sizeof(Slot), PLOVMemoryManager::Backing::Backed));
    const std::size_t mask = capacity - 1;
    for (std::size_t j = 0; j < _capacity; ++j) {
        const Slot& old = _slots[j];
        if (old.a == nullptr) continue;
        std::size_t i = Hash(old.a, old.b) & mask;
        while (slots[i].a != nullptr) i = (i + 1) & mask;
        slots[i] = old;
    }
    if (_slots != nullptr) PLOVMemoryManager::DeleteLargeCell(_slots, _capacity * sizeof(Slot));
    _slots = slots;
    _capacity = capacity;
}

void KEFOBDDPairMemo::Reset() {
    if (_slots != nullptr) std::memset(static_cast<void*>(_slots), 0, _capacity * sizeof(Slot));
    _count = 0;
}
