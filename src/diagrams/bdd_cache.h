// The operation cache: a direct-mapped array of records, overwritten without
// chaining. A record holds no reference on its nodes; the cache is emptied by
// every garbage collection so that it never names a reclaimed node.
#ifndef KEFO_DIAGRAMS_BDD_CACHE_H
#define KEFO_DIAGRAMS_BDD_CACHE_H

#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

#include <cmath>
#include <cstdint>

class KEFOBDDManager;

struct KEFOBDDRecord {
    int operation;  // 0: empty slot
    int argument;
    KEFOBDDNode* first;
    KEFOBDDNode* second;
    KEFOBDDNode* result;
};

static_assert(sizeof(KEFOBDDRecord) == 32, "a cache record is four 64-bit words");

struct KEFOBDDBudgetInterval {
    double low;
    double high;
};

class KEFOBDDCache {
    PLOV_MANAGED_ALLOCATION(KEFOBDDCache)
public:
    static int GetDefaultSize() { return _defaultSize; }
    static void SetDefaultSize(int size) { _defaultSize = size < 1 ? 1 : size; }
    static void RestoreDefaults() { _defaultSize = 131072; }

    KEFOBDDCache(KEFOBDDManager* manager, int size);
    ~KEFOBDDCache();
    KEFOBDDCache(const KEFOBDDCache&) = delete;
    KEFOBDDCache& operator=(const KEFOBDDCache&) = delete;

    KEFOBDDManager* GetManager() const { return _manager; }
    int GetSize() const { return _size; }
    // Discards every record and allocates `size` empty ones (at least one).
    void Resize(int size);
    void Reset();
    // Empties the records whose operation code lies in [first, last].
    void ResetOperations(int first, int last);
    int GetNumberOfRecordedOperations() const;
    const KEFOBDDRecord* GetRecord(int i) const { return _records + i; }

    // slot = (q(a) x 13 + q(b) x 17 + k x 7 + op) mod size, q(x) being the
    // node identity divided by 16 (0 for none). The identity of a node is its
    // address scrambled by a bijection: raw addresses are multiples of 32
    // laid out page by page, so with small multipliers the operands of one
    // descent (neighbours in a page) would crowd into a few slots, and every
    // q would be even, leaving half of the slots unused. The product by an
    // odd constant spreads every address bit upwards, and the high half,
    // which depends on all of them, is folded onto the low half by an
    // exclusive or, which also breaks the linearity of the product (the
    // slots of neighbouring pairs would otherwise differ by fixed steps and
    // collide in patterns). Both steps are bijections, so identities stay
    // distinct; the three instructions lie on the path of every look-up.
    static std::uint64_t Identity(const KEFOBDDNode* node) {
        const std::uint64_t x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(node)) * 0x9e3779b97f4a7c15ULL;
        return x ^ (x >> 32);
    }
    std::uint64_t ComputeSlot(int operation, int argument, const KEFOBDDNode* a, const KEFOBDDNode* b) const {
        const std::uint64_t qa = Identity(a) >> 4;
        const std::uint64_t qb = Identity(b) >> 4;
        const std::uint64_t key = qa * 13u + qb * 17u + static_cast<std::uint64_t>(static_cast<std::int64_t>(argument)) * 7u +
                                  static_cast<std::uint64_t>(static_cast<std::int64_t>(operation));
        return _mask != 0 ? (key & _mask) : (key % static_cast<std::uint64_t>(_size));
    }
    KEFOBDDNode* LookUp(int operation, int argument, const KEFOBDDNode* a, const KEFOBDDNode* b) const {
        std::uint32_t slot;
        return LookUp(operation, argument, a, b, slot);
    }
    // The same look-up, giving the slot of the key for the insertion of its
    // result once computed: the cache keeps its size during an operation
    // (only a command resizes it), so the slot stays that of the key.
    KEFOBDDNode* LookUp(int operation, int argument, const KEFOBDDNode* a, const KEFOBDDNode* b,
                        std::uint32_t& slot) const {
        slot = static_cast<std::uint32_t>(ComputeSlot(operation, argument, a, b));
        const KEFOBDDRecord& record = _records[slot];
        if (record.operation == operation && record.argument == argument && record.first == a && record.second == b)
            return record.result;
        return nullptr;
    }
    void InsertAt(std::uint32_t slot, int operation, int argument, KEFOBDDNode* a, KEFOBDDNode* b,
                  KEFOBDDNode* result) {
        KEFOBDDRecord& record = _records[slot];
        record.operation = operation;
        record.argument = argument;
        record.first = a;
        record.second = b;
        record.result = result;
    }
    // Starts loading the slot of a look-up to come, so that its miss overlaps
    // the work done in between.
    void Prefetch(int operation, int argument, const KEFOBDDNode* a, const KEFOBDDNode* b) const {
        __builtin_prefetch(&_records[ComputeSlot(operation, argument, a, b)]);
    }
    void Insert(int operation, int argument, KEFOBDDNode* a, KEFOBDDNode* b, KEFOBDDNode* result) {
        InsertAt(static_cast<std::uint32_t>(ComputeSlot(operation, argument, a, b)), operation, argument, a, b, result);
    }

    // Weighted operations. The slot is that of (op, k, a, b), k being the
    // ceiling of the budget, and beside the record lies the interval of the
    // budgets for which its result holds (KEFOBDDManager::SetBudgetInterval):
    // a record answers a call of its key whose budget lies in that interval,
    // and only such a call, so that a truncated result never depends on the
    // budgets of earlier calls. The intervals take an array of their own,
    // made at the first weighted record.
    KEFOBDDNode* LookUpWeighted(int operation, int k, double w, const KEFOBDDNode* a, const KEFOBDDNode* b,
                                std::uint32_t& slot, double& low, double& high) const {
        slot = static_cast<std::uint32_t>(ComputeSlot(operation, k, a, b));
        const KEFOBDDRecord& record = _records[slot];
        if (record.operation != operation || record.argument != k || record.first != a || record.second != b)
            return nullptr;
        const KEFOBDDBudgetInterval& interval = _intervals[slot];
        if (!(w >= interval.low && (w < interval.high || interval.high == HUGE_VAL))) return nullptr;
        low = interval.low;
        high = interval.high;
        return record.result;
    }
    void InsertWeightedAt(std::uint32_t slot, int operation, int k, KEFOBDDNode* a, KEFOBDDNode* b,
                          KEFOBDDNode* result, double low, double high) {
        if (_intervals == nullptr) _AllocateIntervals();
        InsertAt(slot, operation, k, a, b, result);
        _intervals[slot] = KEFOBDDBudgetInterval{low, high};
    }

    // 32 x records + 24.
    long long ComputeMemoryOccupationInBytes() const { return 32LL * _size + 24; }

private:
    void _Allocate(int size);
    void _AllocateIntervals();

    static int _defaultSize;

    KEFOBDDManager* _manager;
    KEFOBDDRecord* _records;
    // Beside each record of a weighted operation, its interval of budgets;
    // none until the first such record. A record of another operation leaves
    // its interval as it was: its code tells it apart.
    KEFOBDDBudgetInterval* _intervals;
    int _size;
    std::uint64_t _mask;
};

#endif
