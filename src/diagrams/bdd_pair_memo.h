// A memo from pairs of operands to result nodes for the length of one
// top-level And or Or whose recursion has started to expand the same pairs
// again. The direct-mapped cache keeps the results of the last few hundred
// thousand pairs at most; an operation on diagrams of millions of nodes
// then loses results before their second use and expands their pairs
// again, with everything below them (the BDD of cea9601 took 27 s with the
// cache alone, 1.7 s with room for every result). The memo keeps every
// result recorded during the call.
//
// Open addressing with linear probing, grown by doubling at three quarters
// load up to a ceiling, after which it records nothing more; so does a memo
// that could not grow for want of memory (the call goes on with the cache
// alone, the records made so far staying valid). Like the
// cache, it holds no references: a result found is retained by whoever
// takes it, and garbage collection empties the memo with the cache. Keys
// are cofactors of the operands, alive for the whole call.
#ifndef KEFO_DIAGRAMS_BDD_PAIR_MEMO_H
#define KEFO_DIAGRAMS_BDD_PAIR_MEMO_H

#include "diagrams/bdd_node.h"

#include <cstddef>
#include <cstdint>

class KEFOBDDPairMemo {
public:
    // The ceiling: 2^23 slots of 24 bytes (192 MiB).
    static const std::size_t maximumCapacity = std::size_t(1) << 23;

    KEFOBDDPairMemo() : _slots(nullptr), _capacity(0), _count(0), _full(false) {}
    ~KEFOBDDPairMemo();
    KEFOBDDPairMemo(const KEFOBDDPairMemo&) = delete;
    KEFOBDDPairMemo& operator=(const KEFOBDDPairMemo&) = delete;

    KEFOBDDNode* Find(const KEFOBDDNode* a, const KEFOBDDNode* b) const {
        if (_capacity == 0) return nullptr;
        const std::size_t mask = _capacity - 1;
        for (std::size_t i = Hash(a, b) & mask;; i = (i + 1) & mask) {
            const Slot& slot = _slots[i];
            if (slot.a == a && slot.b == b) return slot.value;
            if (slot.a == nullptr) return nullptr;
        }
    }
    // Records (a, b) -> value for a pair not yet recorded (a is not none);
    // nothing once the memo is full.
    void Insert(const KEFOBDDNode* a, const KEFOBDDNode* b, KEFOBDDNode* value);
    bool IsFull() const { return _full; }
    // Forgets every record, keeping the slots.
    void Reset();
    std::size_t GetNumberOfRecords() const { return _count; }

private:
    struct Slot {
        const KEFOBDDNode* a;
        const KEFOBDDNode* b;
        KEFOBDDNode* value;
    };
    static std::size_t Hash(const KEFOBDDNode* a, const KEFOBDDNode* b) {
        std::uint64_t x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(a)) * 0x9e3779b97f4a7c15ull;
        x ^= static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(b)) * 0xc2b2ae3d27d4eb4full;
        return static_cast<std::size_t>(x ^ (x >> 29));
    }
    void _Grow();

    Slot* _slots;
    std::size_t _capacity;  // 0 or a power of 2
    std::size_t _count;
    bool _full;  // at the ceiling, or out of memory
};

#endif
