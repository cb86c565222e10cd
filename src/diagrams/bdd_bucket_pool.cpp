#include "diagrams/bdd_bucket_pool.h"

#include "support/memory_manager.h"

#include <cstring>

KEFOBDDBucketPool::~KEFOBDDBucketPool() { _ReleaseChunks(); }

// The class of an array: log2 of its bytes when it is a power of two of the
// pooled sizes, else 0.
int KEFOBDDBucketPool::_ClassOf(std::size_t bytes) {
    if (bytes == 0 || (bytes & (bytes - 1)) != 0) return 0;
    int c = 0;
    while ((std::size_t(1) << c) < bytes) ++c;
    return c >= smallestClass && c <= largestClass ? c : 0;
}

void KEFOBDDBucketPool::_NewChunk() {
    // What is left of the newest chunk goes to the free lists, largest
    // pieces first, so that nothing carved is lost.
    for (int c = largestClass; c >= smallestClass; --c) {
        const std::size_t bytes = std::size_t(1) << c;
        while (_remainder >= bytes) {
            *static_cast<void**>(static_cast<void*>(_cursor)) = _free[c];
            _free[c] = _cursor;
            _cursor += bytes;
            _remainder -= bytes;
        }
    }
    _chunks.reserve(_chunks.size() + 1);
    void* chunk = _spare;
    _spare = nullptr;
    if (chunk == nullptr) {
        // The first chunk is backed as its arrays are carved: most stores
        // need no more. The later ones are read at random by the look-ups,
        // as the node slabs are, and are backed the same way. All are
        // advised to huge pages, so that the first array carved backs the
        // whole first chunk at the cost of one fault where the system gives
        // huge pages.
        const PLOVMemoryManager::Backing backing =
            _chunks.empty() ? PLOVMemoryManager::Backing::HugePages : PLOVMemoryManager::Backing::PopulatedHugePages;
        chunk = PLOVMemoryManager::NewLargeCell(chunkBytes, backing);
    }
    _chunks.push_back(chunk);
    _cursor = static_cast<char*>(chunk);
    _remainder = chunkBytes;
}

// The spare is a head start only: when memory is short, the next chunk is
// mapped when it is needed, and its failure then is the one reported.
void KEFOBDDBucketPool::_MapSpare() noexcept {
    try {
        _spare = PLOVMemoryManager::NewLargeCell(chunkBytes, PLOVMemoryManager::Backing::PopulatedHugePages);
    } catch (...) {
        _spare = nullptr;
    }
}

void KEFOBDDBucketPool::_ReleaseChunks() {
    for (void* chunk : _chunks) PLOVMemoryManager::DeleteLargeCell(chunk, chunkBytes);
    if (_spare != nullptr) PLOVMemoryManager::DeleteLargeCell(_spare, chunkBytes);
    _spare = nullptr;
    _chunks.clear();
    _cursor = nullptr;
    _remainder = 0;
    for (void*& list : _free) list = nullptr;
}

KEFOBDDNode** KEFOBDDBucketPool::NewBuckets(int size) {
    const std::size_t bytes = sizeof(KEFOBDDNode*) * static_cast<std::size_t>(size);
    const int c = _ClassOf(bytes);
    if (c == 0) return static_cast<KEFOBDDNode**>(PLOVMemoryManager::NewCell(bytes));
    void* array = _free[c];
    if (array != nullptr) {
        _free[c] = *static_cast<void**>(array);
        std::memset(array, 0, bytes);
    } else {
        if (_remainder < bytes) _NewChunk();
        // Fresh from the system: already zero. An array of the first
        // chunk, which is not populated in the background, is backed at
        // once: a table reads and writes its buckets all over, so each of
        // its pages would otherwise be faulted in one by one.
        array = _cursor;
        _cursor += bytes;
        _remainder -= bytes;
        if (_chunks.size() == 1) PLOVMemoryManager::BackPagesNow(array, bytes);
        if (_spare == nullptr && _remainder < chunkBytes / 2) _MapSpare();
    }
    ++_inUse;
    return static_cast<KEFOBDDNode**>(array);
}

void KEFOBDDBucketPool::DeleteBuckets(KEFOBDDNode** buckets, int size) {
    if (buckets == nullptr) return;
    const std::size_t bytes = sizeof(KEFOBDDNode*) * static_cast<std::size_t>(size);
    const int c = _ClassOf(bytes);
    if (c == 0) {
        PLOVMemoryManager::DeleteCell(buckets);
        return;
    }
    *static_cast<void**>(static_cast<void*>(buckets)) = _free[c];
    _free[c] = buckets;
    if (--_inUse == 0) _ReleaseChunks();
}
