// The hash table of the nodes labelled by one variable index. Chains are
// threaded through the nodes' next field; a node's own index is not hashed
// since every index has its own table. The table grows by its resizing factor
// when it fills up to its resizing ratio, never beyond its maximum size, and
// never shrinks by itself.
//
// A link of a chain (a bucket, or the next field of a node in a chain) holds
// the address of the node it leads to in its low 48 bits, which is all a
// process's address takes on the machines this runs on; above them, 15 bits
// of that node's hash code (bits 8 to 22) and whether that node has a
// successor. A look-up then reads a node only when its bits match or when
// the chain goes on past it: most look-ups of a node yet to be made read
// none. A rehash between sizes that are powers of two, from 256 buckets on
// and up to 2^23, takes the new bucket from the link and reads a node only
// to follow its chain. The next field of a node out of the table (free, or
// waiting to be reclaimed) is a plain address.
#ifndef KEFO_DIAGRAMS_BDD_HASH_TABLE_H
#define KEFO_DIAGRAMS_BDD_HASH_TABLE_H

#include "diagrams/bdd_node.h"
#include "support/memory_manager.h"

#include <cstdint>

class KEFOBDDBucketPool;
class KEFOBDDEntry;

class KEFOBDDHashTable {
    PLOV_MANAGED_ALLOCATION(KEFOBDDHashTable)
public:
    // Process-wide defaults, read when a table is constructed.
    static int GetDefaultMinimumSize() { return _defaultMinimumSize; }
    static int GetDefaultMaximumSize() { return _defaultMaximumSize; }
    static float GetDefaultResizingRatio() { return _defaultResizingRatio; }
    static int GetDefaultResizingFactor() { return _defaultResizingFactor; }
    static void SetDefaultMinimumSize(int size);
    static void SetDefaultMaximumSize(int size);
    static void SetDefaultResizingRatio(float ratio);
    static void SetDefaultResizingFactor(int factor);
    static void RestoreDefaults();

    explicit KEFOBDDHashTable(KEFOBDDEntry* entry);
    ~KEFOBDDHashTable();
    KEFOBDDHashTable(const KEFOBDDHashTable&) = delete;
    KEFOBDDHashTable& operator=(const KEFOBDDHashTable&) = delete;

    KEFOBDDEntry* GetEntry() const { return _entry; }
    int GetMinimumSize() const { return _minimumSize; }
    int GetMaximumSize() const { return _maximumSize; }
    float GetResizingRatio() const { return _resizingRatio; }
    int GetResizingFactor() const { return _resizingFactor; }
    int GetSize() const { return _size; }
    int GetNumberOfNodes() const { return _numberOfNodes; }
    KEFOBDDNode* GetBucket(int i) const { return Target(_buckets[i]); }
    int ComputeSizeOfCollisionChain(int i) const;

    // Values below 1 (and ratios that are not positive) are raised to the
    // smallest meaningful value; the table is not resized at once.
    void SetMinimumSize(int size);
    void SetMaximumSize(int size);
    void SetResizingRatio(float ratio);
    void SetResizingFactor(int factor);

    // The mixing sequence of the hash formula, in unsigned 64-bit arithmetic.
    static std::uint64_t Mix(std::uint64_t k) {
        k = (k << 21) + ~k;
        k = (k ^ (k >> 24)) * 265u;
        k = (k ^ (k >> 14)) * 21u;
        k = k ^ (k >> 28);
        return k;
    }
    static std::uint64_t Hash(const KEFOBDDNode* thenSon, const KEFOBDDNode* elseSon) {
        const std::uint64_t t = static_cast<std::uint64_t>(thenSon->GetIdentity() >> 5);
        const std::uint64_t e = static_cast<std::uint64_t>(elseSon->GetIdentity() >> 5);
        return ((Mix(17u * t) + Mix(31u * e)) * 0x80000001ull) >> 1;
    }
    std::uint64_t ComputeBucket(const KEFOBDDNode* thenSon, const KEFOBDDNode* elseSon) const {
        return BucketOfHash(Hash(thenSon, elseSon));
    }
    // The bucket of a hash code at the table's present size. A caller that
    // looks a node up, makes it and links it computes the code once; the
    // bucket is taken again at each step, as the table may grow in between.
    std::uint64_t BucketOfHash(std::uint64_t h) const {
        return _mask != 0 ? (h & _mask) : (h % static_cast<std::uint64_t>(_size));
    }

    KEFOBDDNode* LookUp(const KEFOBDDNode* thenSon, const KEFOBDDNode* elseSon) const {
        return LookUp(thenSon, elseSon, Hash(thenSon, elseSon));
    }
    // h: Hash(thenSon, elseSon).
    KEFOBDDNode* LookUp(const KEFOBDDNode* thenSon, const KEFOBDDNode* elseSon, std::uint64_t h) const {
        const std::uintptr_t code = CodeBits(h);
        std::uintptr_t link = _buckets[BucketOfHash(h)];
        while (link != 0) {
            KEFOBDDNode* node = Target(link);
            if ((link & codeMask) == code && node->_then == thenSon && node->_else == elseSon) return node;
            if ((link & hasSuccessor) == 0) return nullptr;
            link = node->_next;
        }
        return nullptr;
    }
    // Grows the table first when the growth rule asks for it, then pushes the
    // node at the head of its chain.
    void InsertNode(KEFOBDDNode* node) {
        ReserveNode();
        LinkNode(node);
    }
    // The two halves of InsertNode, for a caller that links the node later:
    // ReserveNode applies the growth rule and counts the node (it may raise
    // the memory-overflow exception); LinkNode pushes it at the head of the
    // chain of its sons, taken at that moment, and cannot fail.
    void ReserveNode();
    void LinkNode(KEFOBDDNode* node) { LinkNode(node, Hash(node->_then, node->_else)); }
    // h: Hash of the node's sons.
    void LinkNode(KEFOBDDNode* node, std::uint64_t h) {
        std::uintptr_t& head = _buckets[BucketOfHash(h)];
        node->_next = head;
        head = LinkTo(node, h, head != 0);
    }
    // Where the chain of a node of hash code h starts, for the caller to
    // prefetch (a prefetch inside a function of its own could be dropped by
    // the compiler, which sees a call without effect).
    const void* GetBucketAddress(std::uint64_t h) const { return _buckets + BucketOfHash(h); }

    // Links (see the top of this file).
    static const std::uintptr_t addressMask = KEFOBDDNode::linkAddressMask;
    static const std::uintptr_t codeMask = std::uintptr_t(0x7FFF) << 48;
    static const std::uintptr_t hasSuccessor = std::uintptr_t(1) << 63;
    static std::uintptr_t CodeBits(std::uint64_t h) { return static_cast<std::uintptr_t>((h >> 8) & 0x7FFF) << 48; }
    static KEFOBDDNode* Target(std::uintptr_t link) { return reinterpret_cast<KEFOBDDNode*>(link & addressMask); }
    static std::uintptr_t LinkTo(const KEFOBDDNode* node, std::uint64_t h, bool successor) {
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(node);
        if ((address & ~addressMask) != 0) _RaiseAddressTooHigh();
        return address | CodeBits(h) | (successor ? hasSuccessor : 0);
    }
    // Unlinks the node from its chain; a node that is not in the table is
    // left alone.
    void RemoveNode(KEFOBDDNode* node);
    void Resize(int size);

private:
    void _AllocateBuckets(int size);
    void _DeleteBuckets(std::uintptr_t* buckets, int size);
    [[noreturn]] static void _RaiseAddressTooHigh();
    KEFOBDDBucketPool* _Pool() const;

    static int _defaultMinimumSize;
    static int _defaultMaximumSize;
    static float _defaultResizingRatio;
    static int _defaultResizingFactor;

    KEFOBDDEntry* _entry;
    int _minimumSize;
    int _maximumSize;
    float _resizingRatio;
    int _resizingFactor;
    int _size;
    int _numberOfNodes;
    std::uint64_t _mask;  // size - 1 when the size is a power of two, else 0
    std::uintptr_t* _buckets;
};

#endif
