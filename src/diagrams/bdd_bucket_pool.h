// The bucket arrays of the hash tables of one store. A large build makes
// thousands of them, up to megabytes in all, and grows each table by
// replacing its array with a larger one; from the heap, every page of them
// is first touched (and faulted in) while the build waits. The pool carves
// the arrays of the usual sizes (a power of two of 2 KB to 512 KB) out of
// chunks of 2 MB, advised to huge pages. The arrays of the first chunk are
// backed as they are carved; the chunks after it are mapped a chunk ahead
// and populated in the background (PLOVMemoryManager::Backing::
// PopulatedHugePages). Released arrays go to a free list by size and are
// zeroed again when they are reused. Arrays of other sizes are plain cells.
//
// The chunks are given back to the system once no array is in use (the
// store's reset deletes every table) and when the pool is destroyed.
#ifndef KEFO_DIAGRAMS_BDD_BUCKET_POOL_H
#define KEFO_DIAGRAMS_BDD_BUCKET_POOL_H

#include "diagrams/bdd_node.h"

#include <cstddef>
#include <vector>

class KEFOBDDBucketPool {
public:
    static const std::size_t chunkBytes = std::size_t(2) << 20;
    static const int smallestClass = 11;  // 2 KB
    static const int largestClass = 19;   // 512 KB

    KEFOBDDBucketPool() = default;
    ~KEFOBDDBucketPool();
    KEFOBDDBucketPool(const KEFOBDDBucketPool&) = delete;
    KEFOBDDBucketPool& operator=(const KEFOBDDBucketPool&) = delete;

    // A zero-filled array of `size` buckets; raises the memory-overflow
    // exception when memory is short.
    KEFOBDDNode** NewBuckets(int size);
    // Gives back an array made by NewBuckets with the same size.
    void DeleteBuckets(KEFOBDDNode** buckets, int size);

    int GetNumberOfChunks() const { return static_cast<int>(_chunks.size()); }
    long GetNumberOfArraysInUse() const { return _inUse; }
    // Whether the chunk that follows the newest is already mapped.
    bool HasSpareChunk() const { return _spare != nullptr; }

private:
    static int _ClassOf(std::size_t bytes);
    void _NewChunk();
    void _ReleaseChunks();
    void _MapSpare() noexcept;

    // The newest chunk is carved from _cursor on.
    std::vector<void*> _chunks;
    char* _cursor = nullptr;
    std::size_t _remainder = 0;
    // The chunk that follows the newest, mapped and given to the populating
    // worker once less than half of the newest is left to carve.
    void* _spare = nullptr;
    // Free arrays of each class, threaded through their first bucket.
    void* _free[largestClass + 1] = {};
    long _inUse = 0;
};

#endif
