// The pool of bucket arrays: arrays never overlap, come zeroed, and the
// chunks go back once no array is in use.
#include "diagrams/bdd_bucket_pool.h"
#include "diagrams/bdd_entry_table.h"
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

using namespace bddtest;

namespace {

struct Live {
    KEFOBDDNode** buckets;
    int size;
    std::uintptr_t tag;
};

bool AllEqual(KEFOBDDNode* const* buckets, int size, std::uintptr_t value) {
    for (int i = 0; i < size; ++i)
        if (reinterpret_cast<std::uintptr_t>(buckets[i]) != value) return false;
    return true;
}

}  // namespace

TEST(BDDBucketPoolTest, ArraysComeZeroedNeverOverlapAndChunksGoBackWhenAllAreReleased) {
    // Sizes of every pooled class, and sizes that are plain cells (not a
    // power of two, or too small or too large for the pool).
    const int sizes[] = {256, 1024, 4096, 16384, 65536, 512, 2048, 8192, 3000, 100, 131072};
    std::mt19937 random(20261208);
    for (int round = 0; round < 2; ++round) {
        KEFOBDDBucketPool pool;
        std::vector<Live> live;
        std::uintptr_t nextTag = 1;
        bool zeroed = true;
        bool intact = true;
        int mostChunks = 0;
        bool sawSpare = false;
        for (int step = 0; step < 3000; ++step) {
            // Mostly allocations while the pool is small, then as many
            // releases, so that the free lists are used and emptied.
            const bool allocate = live.empty() || random() % 100 < (step < 1500 ? 65u : 35u);
            if (allocate) {
                const int size = sizes[random() % (sizeof sizes / sizeof sizes[0])];
                KEFOBDDNode** buckets = pool.NewBuckets(size);
                zeroed = zeroed && AllEqual(buckets, size, 0);
                const std::uintptr_t tag = nextTag++;
                for (int i = 0; i < size; ++i) buckets[i] = reinterpret_cast<KEFOBDDNode*>(tag);
                live.push_back(Live{buckets, size, tag});
                mostChunks = std::max(mostChunks, pool.GetNumberOfChunks());
                sawSpare = sawSpare || pool.HasSpareChunk();
            } else {
                const std::size_t k = random() % live.size();
                // Every bucket still holds its array's tag: no other array
                // was carved over it.
                intact = intact && AllEqual(live[k].buckets, live[k].size, live[k].tag);
                pool.DeleteBuckets(live[k].buckets, live[k].size);
                live[k] = live.back();
                live.pop_back();
                if (live.empty()) {
                    EXPECT_EQ(pool.GetNumberOfChunks(), 0);
                    EXPECT_FALSE(pool.HasSpareChunk());
                }
            }
        }
        EXPECT_TRUE(zeroed);
        EXPECT_TRUE(intact);
        EXPECT_GT(mostChunks, 1);
        EXPECT_TRUE(sawSpare);
        for (const Live& a : live) {
            intact = intact && AllEqual(a.buckets, a.size, a.tag);
            pool.DeleteBuckets(a.buckets, a.size);
        }
        EXPECT_TRUE(intact);
        EXPECT_EQ(pool.GetNumberOfArraysInUse(), 0);
        EXPECT_EQ(pool.GetNumberOfChunks(), 0);
        // A pool used again after it gave everything back starts afresh.
        KEFOBDDNode** again = pool.NewBuckets(65536);
        EXPECT_TRUE(AllEqual(again, 65536, 0));
        EXPECT_EQ(pool.GetNumberOfChunks(), 1);
        // Arrays of 512 KB: the next chunk is mapped ahead with the third,
        // when less than half of the first is left, and the fifth, which
        // does not fit in the first, is carved from it.
        std::vector<KEFOBDDNode**> arrays{again};
        std::vector<bool> spare{pool.HasSpareChunk()};
        for (int k = 1; k < 5; ++k) {
            arrays.push_back(pool.NewBuckets(65536));
            spare.push_back(pool.HasSpareChunk());
        }
        EXPECT_EQ(spare, (std::vector<bool>{false, false, true, true, false}));
        EXPECT_EQ(pool.GetNumberOfChunks(), 2);
        EXPECT_TRUE(AllEqual(arrays.back(), 65536, 0));
        for (KEFOBDDNode** a : arrays) pool.DeleteBuckets(a, 65536);
        EXPECT_EQ(pool.GetNumberOfChunks(), 0);
        EXPECT_FALSE(pool.HasSpareChunk());
    }
}

TEST(BDDBucketPoolTest, TablesOfAStoreTakeTheirArraysFromItsPoolUntilTheStoreIsReset) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDBucketPool* pool = m.GetEntryTable()->GetBucketPool();
    EXPECT_EQ(pool->GetNumberOfArraysInUse(), 3);  // 256 buckets each
    // 30000 nodes of index 1 over distinct sons of index 2: the table of
    // index 1 grows to its maximum, every array taken from the pool.
    std::vector<KEFOBDDNode*> sons;
    std::vector<KEFOBDDNode*> made;
    for (int i = 0; i < 30000; ++i) {
        sons.push_back(m.NewBDDNode(2, i == 0 ? m.NewLeafOne() : sons.back(), m.NewLeafZero()));
        made.push_back(m.NewBDDNode(1, sons.back(), m.NewLeafZero()));
    }
    EXPECT_EQ(m.GetEntry(1)->GetHashTable()->GetSize(), 65536);
    EXPECT_EQ(pool->GetNumberOfArraysInUse(), 3);
    const KEFOBDDHashTable* table = m.GetEntry(1)->GetHashTable();
    bool found = true;
    for (int i = 0; i < 30000; ++i) found = found && table->LookUp(sons[i], m.NewLeafZero()) == made[i];
    EXPECT_TRUE(found);
    EXPECT_GE(pool->GetNumberOfChunks(), 1);
    m.Reset();
    EXPECT_EQ(pool->GetNumberOfArraysInUse(), 0);
    EXPECT_EQ(pool->GetNumberOfChunks(), 0);
}
