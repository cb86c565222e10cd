#include "diagrams/bdd_hash_table.h"

#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_entry_table.h"

#include <climits>

int KEFOBDDHashTable::_defaultMinimumSize = 256;
int KEFOBDDHashTable::_defaultMaximumSize = 65536;
float KEFOBDDHashTable::_defaultResizingRatio = 1.0f;
int KEFOBDDHashTable::_defaultResizingFactor = 4;

void KEFOBDDHashTable::SetDefaultMinimumSize(int size) { _defaultMinimumSize = size < 1 ? 1 : size; }
void KEFOBDDHashTable::SetDefaultMaximumSize(int size) { _defaultMaximumSize = size < 1 ? 1 : size; }
void KEFOBDDHashTable::SetDefaultResizingRatio(float ratio) {
    _defaultResizingRatio = ratio > 0.0f ? ratio : 1.0f;
}
void KEFOBDDHashTable::SetDefaultResizingFactor(int factor) { _defaultResizingFactor = factor < 1 ? 1 : factor; }

void KEFOBDDHashTable::RestoreDefaults() {
    _defaultMinimumSize = 256;
    _defaultMaximumSize = 65536;
    _defaultResizingRatio = 1.0f;
    _defaultResizingFactor = 4;
}

KEFOBDDHashTable::KEFOBDDHashTable(KEFOBDDEntry* entry)
    : _entry(entry),
      _minimumSize(_defaultMinimumSize),
      _maximumSize(_defaultMaximumSize),
      _resizingRatio(_defaultResizingRatio),
      _resizingFactor(_defaultResizingFactor),
      _size(0),
      _numberOfNodes(0),
      _mask(0),
      _buckets(nullptr) {
    _AllocateBuckets(_minimumSize);
}

KEFOBDDHashTable::~KEFOBDDHashTable() { _DeleteBuckets(_buckets, _size); }

// The arrays of a table in a store come from the store's pool; those of a
// table on its own are plain cells.
KEFOBDDBucketPool* KEFOBDDHashTable::_Pool() const {
    KEFOBDDEntryTable* entryTable = _entry != nullptr ? _entry->GetEntryTable() : nullptr;
    return entryTable != nullptr ? entryTable->GetBucketPool() : nullptr;
}

void KEFOBDDHashTable::_DeleteBuckets(KEFOBDDNode** buckets, int size) {
    if (buckets == nullptr) return;
    if (KEFOBDDBucketPool* pool = _Pool())
        pool->DeleteBuckets(buckets, size);
    else
        PLOVMemoryManager::DeleteCell(buckets);
}

void KEFOBDDHashTable::_AllocateBuckets(int size) {
    KEFOBDDBucketPool* pool = _Pool();
    _buckets = pool != nullptr ? pool->NewBuckets(size)
                               : static_cast<KEFOBDDNode**>(
                                     PLOVMemoryManager::NewCell(sizeof(KEFOBDDNode*) * static_cast<std::size_t>(size)));
    _size = size;
    const std::uint64_t s = static_cast<std::uint64_t>(size);
    _mask = (s & (s - 1)) == 0 ? s - 1 : 0;
    if (size == 1) _mask = 0;  // h % 1 == 0 anyway; keep the modulo path simple
}

int KEFOBDDHashTable::ComputeSizeOfCollisionChain(int i) const {
    int length = 0;
    for (const KEFOBDDNode* node = _buckets[i]; node != nullptr; node = node->_next) ++length;
    return length;
}

void KEFOBDDHashTable::SetMinimumSize(int size) { _minimumSize = size < 1 ? 1 : size; }
void KEFOBDDHashTable::SetMaximumSize(int size) { _maximumSize = size < 1 ? 1 : size; }
void KEFOBDDHashTable::SetResizingRatio(float ratio) { _resizingRatio = ratio > 0.0f ? ratio : 1.0f; }
void KEFOBDDHashTable::SetResizingFactor(int factor) { _resizingFactor = factor < 1 ? 1 : factor; }

void KEFOBDDHashTable::ReserveNode() {
    if (_size <= _maximumSize &&
        static_cast<float>(_numberOfNodes + 1) >= static_cast<float>(_size) * _resizingRatio) {
        long long grown = static_cast<long long>(_resizingFactor) * _size;
        if (grown > INT_MAX) grown = INT_MAX;
        Resize(static_cast<int>(grown));
    }
    ++_numberOfNodes;
}

void KEFOBDDHashTable::RemoveNode(KEFOBDDNode* node) {
    KEFOBDDNode** link = &_buckets[ComputeBucket(node->_then, node->_else)];
    while (*link != nullptr) {
        if (*link == node) {
            *link = node->_next;
            node->_next = nullptr;
            --_numberOfNodes;
            return;
        }
        link = &(*link)->_next;
    }
}

void KEFOBDDHashTable::Resize(int size) {
    if (size == _size) return;
    const int bound = size < _size ? _minimumSize : _maximumSize;
    if (_size == bound) return;
    int newSize = size;
    if (newSize < _minimumSize) newSize = _minimumSize;
    if (newSize > _maximumSize) newSize = _maximumSize;
    if (newSize == _size) return;
    KEFOBDDNode** oldBuckets = _buckets;
    const int oldSize = _size;
    _AllocateBuckets(newSize);
    // The rehash is bound by the loads of the nodes, scattered over the
    // pages. The chain heads 16 buckets ahead are fetched while the current
    // chain is moved, and 8 buckets ahead, where the head has arrived, its
    // successor is fetched as well, so that the misses overlap.
    for (int i = 0; i < oldSize; ++i) {
        if (i + 16 < oldSize) {
            const KEFOBDDNode* ahead = oldBuckets[i + 16];
            if (ahead != nullptr) __builtin_prefetch(ahead);
        }
        if (i + 8 < oldSize) {
            const KEFOBDDNode* ahead = oldBuckets[i + 8];
            if (ahead != nullptr && ahead->_next != nullptr) __builtin_prefetch(ahead->_next);
        }
        KEFOBDDNode* node = oldBuckets[i];
        while (node != nullptr) {
            KEFOBDDNode* next = node->_next;
            const std::uint64_t bucket = ComputeBucket(node->_then, node->_else);
            node->_next = _buckets[bucket];
            _buckets[bucket] = node;
            node = next;
        }
    }
    _DeleteBuckets(oldBuckets, oldSize);
}
