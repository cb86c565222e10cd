#include "diagrams/bdd_hash_table.h"

#include "diagrams/bdd_entry.h"
#include "diagrams/bdd_entry_table.h"
#include "support/exception.h"

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

void KEFOBDDHashTable::_DeleteBuckets(std::uintptr_t* buckets, int size) {
    if (buckets == nullptr) return;
    if (KEFOBDDBucketPool* pool = _Pool())
        pool->DeleteBuckets(reinterpret_cast<KEFOBDDNode**>(buckets), size);
    else
        PLOVMemoryManager::DeleteCell(buckets);
}

void KEFOBDDHashTable::_RaiseAddressTooHigh() { PLOVException::RaiseInternalError(); }

void KEFOBDDHashTable::_AllocateBuckets(int size) {
    KEFOBDDBucketPool* pool = _Pool();
    // A zero-filled array of links is an array of empty chains.
    static_assert(sizeof(std::uintptr_t) == sizeof(KEFOBDDNode*), "a link is the size of an address");
    _buckets = pool != nullptr ? reinterpret_cast<std::uintptr_t*>(pool->NewBuckets(size))
                               : static_cast<std::uintptr_t*>(
                                     PLOVMemoryManager::NewCell(sizeof(std::uintptr_t) * static_cast<std::size_t>(size)));
    _size = size;
    const std::uint64_t s = static_cast<std::uint64_t>(size);
    _mask = (s & (s - 1)) == 0 ? s - 1 : 0;
    if (size == 1) _mask = 0;  // h % 1 == 0 anyway; keep the modulo path simple
}

int KEFOBDDHashTable::ComputeSizeOfCollisionChain(int i) const {
    int length = 0;
    for (const KEFOBDDNode* node = GetBucket(i); node != nullptr; node = node->GetNext()) ++length;
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
    std::uintptr_t* link = &_buckets[ComputeBucket(node->_then, node->_else)];
    std::uintptr_t* toPredecessor = nullptr;  // the link to the node before
    while (*link != 0) {
        KEFOBDDNode* target = Target(*link);
        if (target == node) {
            // The link takes the successor's address, bits and flag; the
            // node before has no successor any more when it was the last.
            *link = node->_next;
            if (node->_next == 0 && toPredecessor != nullptr) *toPredecessor &= ~hasSuccessor;
            node->_next = 0;
            --_numberOfNodes;
            return;
        }
        toPredecessor = link;
        link = &target->_next;
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
    std::uintptr_t* oldBuckets = _buckets;
    const int oldSize = _size;
    const std::uint64_t oldMask = _mask;
    _AllocateBuckets(newSize);
    // Between sizes that are powers of two, from 256 on, the old bucket
    // gives bits 0 to 7 of a node's hash code and its link bits 8 to 22:
    // enough for the new bucket up to 2^23.
    const bool fromLinks = oldMask >= 255 && _mask != 0 && _mask < (std::uint64_t(1) << 23);
    // The rehash is bound by the nodes, scattered over the pages: each is
    // written (its next field), and read only to follow its chain or where
    // the link cannot give its bucket. The chain heads 16 buckets ahead are
    // fetched while the current chain is moved, and 8 buckets ahead, where
    // a head with a successor has arrived, the successor as well, so that
    // the misses overlap.
    for (int i = 0; i < oldSize; ++i) {
        if (i + 16 < oldSize) {
            const std::uintptr_t ahead = oldBuckets[i + 16];
            if (ahead != 0) __builtin_prefetch(Target(ahead), 1);
        }
        if (i + 8 < oldSize) {
            const std::uintptr_t ahead = oldBuckets[i + 8];
            if ((ahead & hasSuccessor) != 0) __builtin_prefetch(Target(Target(ahead)->_next), 1);
        }
        std::uintptr_t link = oldBuckets[i];
        while (link != 0) {
            KEFOBDDNode* node = Target(link);
            const std::uintptr_t next = (link & hasSuccessor) != 0 ? node->_next : 0;
            std::uint64_t h;
            if (fromLinks)
                h = (static_cast<std::uint64_t>(i) & 0xFF) | (static_cast<std::uint64_t>((link & codeMask) >> 48) << 8);
            else
                h = Hash(node->_then, node->_else);
            std::uintptr_t& head = _buckets[BucketOfHash(h)];
            node->_next = head;
            head = (link & (addressMask | codeMask)) | (head != 0 ? hasSuccessor : 0);
            link = next;
        }
    }
    _DeleteBuckets(oldBuckets, oldSize);
}
