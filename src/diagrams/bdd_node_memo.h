// A complete memo from nodes to result nodes for the length of one
// top-level operation. The direct-mapped cache forgets a result as soon as
// another record lands in its slot; on large diagrams the deep recursions
// (minimal cutsets above all) then expand the same node again and again,
// each time with all the sub-operations below it. The memo keeps every
// result of the call, so each node is expanded once.
//
// Open addressing with linear probing on the scrambled identity of the key,
// grown by doubling at three quarters load. Like the cache, the memo holds
// no references (a count it raised could saturate and never come down): a
// result found in it is retained by whoever takes it, and garbage
// collection empties the memo together with the cache. Keys are nodes of
// the operand, alive for the whole call.
#ifndef KEFO_DIAGRAMS_BDD_NODE_MEMO_H
#define KEFO_DIAGRAMS_BDD_NODE_MEMO_H

#include "diagrams/bdd_cache.h"
#include "diagrams/bdd_node.h"

#include <cstddef>

class KEFOBDDNodeMemo {
public:
    KEFOBDDNodeMemo() : _slots(nullptr), _capacity(0), _count(0) {}
    ~KEFOBDDNodeMemo();
    KEFOBDDNodeMemo(const KEFOBDDNodeMemo&) = delete;
    KEFOBDDNodeMemo& operator=(const KEFOBDDNodeMemo&) = delete;

    KEFOBDDNode* Find(const KEFOBDDNode* key) const {
        if (_capacity == 0) return nullptr;
        const std::size_t mask = _capacity - 1;
        for (std::size_t i = KEFOBDDCache::Identity(key) & mask;; i = (i + 1) & mask) {
            const Slot& slot = _slots[i];
            if (slot.key == key) return slot.value;
            if (slot.key == nullptr) return nullptr;
        }
    }
    // Starts loading the first slot a look-up of the key will read.
    void Prefetch(const KEFOBDDNode* key) const {
        if (_capacity != 0) __builtin_prefetch(&_slots[KEFOBDDCache::Identity(key) & (_capacity - 1)]);
    }
    // Records key -> value (key not yet recorded).
    void Insert(const KEFOBDDNode* key, KEFOBDDNode* value);
    // Forgets every record, keeping the slots.
    void Reset();
    std::size_t GetNumberOfRecords() const { return _count; }

private:
    struct Slot {
        const KEFOBDDNode* key;
        KEFOBDDNode* value;
    };
    void _Grow();

    Slot* _slots;
    std::size_t _capacity;  // 0 or a power of 2
    std::size_t _count;
};

#endif
