// The node store: node rules, reference counts, hash tables, cache, entries,
// garbage collection, exhaustion, memos and dumps.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"
#include "diagrams/bdd_unique_table.h"
#include "support/exception.h"
#include "support/memory_manager.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <random>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace bddtest;

namespace {

class BDDStoreTest : public ::testing::Test {
protected:
    void SetUp() override { KEFOBDDManager::RestoreDefaults(); }
    void TearDown() override { KEFOBDDManager::RestoreDefaults(); }
};

struct SumMeasure {
    int count = 0;
    double sum = 0.0;
    void AddValue(double x) {
        ++count;
        sum += x;
    }
};

// Whether a call raised the memory overflow, and what it printed.
bool RaisesMemoryOverflow(const std::function<void()>& call, std::string* printed = nullptr) {
    testing::internal::CaptureStdout();
    bool raised = false;
    try {
        call();
    } catch (const PLOVException& e) {
        raised = e.GetKind() == PLOVException::MemoryOverflow;
    }
    const std::string text = testing::internal::GetCapturedStdout();
    if (printed != nullptr) *printed = text;
    return raised;
}

TEST_F(BDDStoreTest, NodeRulesShareNodesAndNeverMakeRedundantOnes) {
    KEFOBDDManager m;
    // The two leaves are saturated: releases and copies never count.
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
    m.FreeNode(m.NewLeafOne());
    m.CopyNode(m.NewLeafZero());
    EXPECT_EQ(m.GetReferenceCount(m.NewLeafZero()), 255);
    EXPECT_EQ(m.GetReferenceCount(m.NewLeafOne()), 255);
    CreateEntries(m, 4);
    KEFOBDDNode* x = m.BuildPositiveLiteral(2);
    // Equal sons: the son itself, with one more reference, nothing made.
    KEFOBDDNode* same = m.NewBDDNode(1, x, x);
    EXPECT_EQ(same, x);
    EXPECT_EQ(m.GetReferenceCount(x), 2);
    m.FreeNode(same);
    // ZBDD rule: a then-son that is the empty family gives the else-son.
    KEFOBDDNode* z = m.NewZBDDNode(1, m.NewLeafEmptySet(), x);
    EXPECT_EQ(z, x);
    m.FreeNode(z);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 3);
    // The same triple twice is one node; a ZBDD node with a non-empty
    // then-son is an ordinary shared node.
    KEFOBDDNode* a = m.NewBDDNode(1, x, m.NewLeafOne());
    EXPECT_EQ(m.NewBDDNode(1, x, m.NewLeafOne()), a);
    EXPECT_EQ(m.NewZBDDNode(1, x, m.NewLeafOne()), a);
    EXPECT_EQ(m.GetReferenceCount(a), 3);
    EXPECT_EQ(m.GetReferenceCount(x), 2);  // held by the caller and by a
    for (int i = 0; i < 3; ++i) m.FreeNode(a);
    // A node at count 0 is still found and revived until it is collected.
    EXPECT_EQ(m.GetReferenceCount(a), 0);
    KEFOBDDNode* revived = m.NewBDDNode(1, x, m.NewLeafOne());
    EXPECT_EQ(revived, a);
    EXPECT_EQ(m.GetReferenceCount(revived), 1);
    // A count already at 0 is not wrapped by one more release.
    m.FreeNode(revived);
    m.FreeNode(revived);
    EXPECT_EQ(m.GetReferenceCount(revived), 0);
    // A saturated count never moves, and its node survives collections.
    for (int i = 0; i < 300; ++i) m.CopyNode(x);
    EXPECT_EQ(m.GetReferenceCount(x), 255);
    for (int i = 0; i < 1000; ++i) m.FreeNode(x);
    EXPECT_EQ(m.GetReferenceCount(x), 255);
    Collect(m);
    EXPECT_EQ(m.GetIndex(x), 2);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 3);
}

TEST_F(BDDStoreTest, HashTableGrowsByItsFactorAndNeverBeyondItsMaximum) {
    KEFOBDDManager m;
    CreateEntries(m, 2);
    KEFOBDDHashTable* table = m.GetEntry(1)->GetHashTable();
    EXPECT_EQ(table->GetSize(), 256);
    // Distinct sons for index 1: nodes of index 2 over a chain of sons made
    // without entry (index 3 has none, so they are not shared, just made).
    std::vector<KEFOBDDNode*> sons;
    for (int i = 0; i < 2000; ++i)
        sons.push_back(m.NewBDDNode(3, i == 0 ? m.NewLeafOne() : sons.back(), m.NewLeafZero()));
    std::vector<KEFOBDDNode*> made;
    for (int i = 0; i < 255; ++i) made.push_back(m.NewBDDNode(1, sons[i], m.NewLeafZero()));
    EXPECT_EQ(table->GetSize(), 256);
    made.push_back(m.NewBDDNode(1, sons[255], m.NewLeafZero()));  // the 256th node
    EXPECT_EQ(table->GetSize(), 1024);
    EXPECT_EQ(table->GetNumberOfNodes(), 256);
    m.SetMaximumSizeOfHashTables(2048);
    for (int i = 256; i < 2000; ++i) made.push_back(m.NewBDDNode(1, sons[i], m.NewLeafZero()));
    EXPECT_EQ(table->GetSize(), 2048);
    EXPECT_EQ(table->GetNumberOfNodes(), 2000);
    // Every node is still found after the rehashings, the last one bounded
    // by the minimum size.
    for (int size : {2048, 16}) {
        table->Resize(size);
        EXPECT_EQ(table->GetSize(), size == 16 ? 256 : size);
        for (int i = 0; i < 2000; ++i) EXPECT_EQ(table->LookUp(sons[i], m.NewLeafZero()), made[i]);
    }
    // One chain length per bucket of both tables, one count per table.
    SumMeasure chains, nodes;
    m.MeasureSizesOfCollisionChainInHashTables(&chains);
    m.MeasureNumbersOfNodesInHashTables(&nodes);
    EXPECT_EQ(nodes.count, 2);
    EXPECT_EQ(nodes.sum, 2000.0);
    EXPECT_EQ(chains.count, 256 + 256);
    EXPECT_EQ(chains.sum, 2000.0);
}

// A link carries bits of its node's hash code and whether the chain goes on:
// the look-ups must still find every node of long chains after removals at
// the head, in the middle and at the end, and after rehashes between sizes
// of every kind (powers of two, from the links or not, and others).
TEST_F(BDDStoreTest, LongChainsKeepEveryNodeFoundThroughRemovalsAndRehashes) {
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(4);
    KEFOBDDManager m;
    CreateEntries(m, 2);
    KEFOBDDHashTable* table = m.GetEntry(1)->GetHashTable();
    table->SetMaximumSize(4);
    const int n = 3000;
    std::vector<KEFOBDDNode*> sons;
    for (int i = 0; i < n; ++i)
        sons.push_back(m.NewBDDNode(3, i == 0 ? m.NewLeafOne() : sons.back(), m.NewLeafZero()));
    std::vector<KEFOBDDNode*> made;
    for (int i = 0; i < n; ++i) made.push_back(m.NewBDDNode(1, sons[i], m.NewLeafZero()));
    ASSERT_EQ(table->GetSize(), 4);
    std::vector<bool> present(n, true);
    auto expectWhole = [&](const char* stage) {
        SCOPED_TRACE(stage);
        int found = 0, missing = 0;
        for (int i = 0; i < n; ++i) {
            KEFOBDDNode* f = table->LookUp(sons[i], m.NewLeafZero());
            if (present[i]) found += f == made[i] ? 1 : 0;
            else missing += f == nullptr ? 1 : 0;
        }
        const int kept = static_cast<int>(std::count(present.begin(), present.end(), true));
        EXPECT_EQ(found, kept);
        EXPECT_EQ(missing, n - kept);
        EXPECT_EQ(table->GetNumberOfNodes(), kept);
        int chained = 0;
        for (int b = 0; b < table->GetSize(); ++b) chained += table->ComputeSizeOfCollisionChain(b);
        EXPECT_EQ(chained, kept);
    };
    expectWhole("made");
    // The chains are about 750 long: remove their heads (the last made),
    // then nodes in the middle, then their ends (the first made).
    auto remove = [&](int i) {
        table->RemoveNode(made[i]);
        present[static_cast<std::size_t>(i)] = false;
    };
    for (int i = n - 1; i >= n - 8; --i) remove(i);
    expectWhole("heads");
    std::mt19937 random(7);
    for (int k = 0; k < 400; ++k) {
        const int i = std::uniform_int_distribution<int>(100, n - 100)(random);
        if (present[static_cast<std::size_t>(i)]) remove(i);
    }
    expectWhole("middles");
    for (int i = 0; i < 8; ++i) remove(i);
    expectWhole("ends");
    // 4 -> 1000 (not a power of two) -> 1024 -> 4096 (from the links) ->
    // 256 (down, from the links) -> 4.
    table->SetMaximumSize(1 << 20);
    for (int size : {1000, 1024, 4096, 256, 4}) {
        table->Resize(size);
        EXPECT_EQ(table->GetSize(), size);
        expectWhole("resized");
    }
    // A node removed then made again is found again.
    table->Resize(4096);
    for (int i = 0; i < 8; ++i) {
        table->InsertNode(made[static_cast<std::size_t>(i)]);
        present[static_cast<std::size_t>(i)] = true;
    }
    expectWhole("linked again");
}

TEST_F(BDDStoreTest, CacheIsDirectMappedAndServesCommutedOperands) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    // Operands held once each are not recorded: the result is made all the
    // same, and found in the store the next time.
    const int literals = m.GetNumberOfActiveNodesInUniqueTable();
    KEFOBDDNode* once = m.BuildAnd(a, b);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), literals + 1);
    // With a second holder on either operand, the pair is recorded.
    m.CopyNode(a);
    KEFOBDDNode* ab = m.BuildAnd(a, b);
    EXPECT_EQ(ab, once);
    const int recorded = m.GetNumberOfRecordedOperationsInCache();
    EXPECT_GE(recorded, 1);
    const int active = m.GetNumberOfActiveNodesInUniqueTable();
    KEFOBDDNode* ba = m.BuildAnd(b, a);
    EXPECT_EQ(ab, ba);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), recorded);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), active);
    KEFOBDDNode* low = a < b ? a : b;
    KEFOBDDNode* high = a < b ? b : a;
    EXPECT_EQ(m.LookUpCache(KEFOBDDManager::AndOperation, low, high), ab);
    EXPECT_EQ(m.LookUpCache(KEFOBDDManager::AndOperation, high, low), nullptr);
    EXPECT_EQ(m.LookUpCache(KEFOBDDManager::OrOperation, low, high), nullptr);
    // The four forms of look-up and insertion with their missing arguments.
    m.InsertInCache(900, a, b);
    EXPECT_EQ(m.LookUpCache(900, a), b);
    EXPECT_EQ(m.LookUpCache(900, 0, a, nullptr), b);
    m.InsertInCache(901, 7, a, b, ab);
    EXPECT_EQ(m.LookUpCache(901, 7, a, b), ab);
    EXPECT_EQ(m.LookUpCache(901, 6, a, b), nullptr);
    m.InsertInCache(902, 3, a, ab);
    EXPECT_EQ(m.LookUpCache(902, 3, a), ab);
    // Resizing empties the cache; results are made again.
    m.ResizeCache(1000);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    KEFOBDDNode* again = m.BuildAnd(a, b);
    EXPECT_EQ(again, ab);
    m.ResetCache();
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    for (KEFOBDDNode* n : {a, a, b, ab, ba, again, once}) m.FreeNode(n);
}

TEST_F(BDDStoreTest, EntriesAreCreatedBySettersAndResetByANewModelVariable) {
    KEFOBDDManager m;
    // Reads of missing entries, inside the table or outside it.
    for (int index : {0, 5, 100000}) EXPECT_EQ(m.GetEntry(index), nullptr);
    EXPECT_EQ(m.GetProbability(5), 0.0);
    EXPECT_EQ(m.GetModelVariable(5), nullptr);
    EXPECT_EQ(m.GetModuleBDD(5), nullptr);
    m.SetProbability(7, 0.25);
    m.SetWeight(3, 2.5);
    EXPECT_EQ(m.GetIndexOfLowestEntry(), 3);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 7);
    EXPECT_EQ(m.GetNumberOfActiveEntries(), 0);
    // Setting the model variable re-initialises the other fields; the entry
    // holds one reference on its module diagram.
    KEFOVariable* variable = reinterpret_cast<KEFOVariable*>(&m);
    m.SetValue(7, 1);
    m.SetFailureIntensity(7, 3.0);
    KEFOBDDNode* x = m.BuildPositiveLiteral(7);
    m.SetModuleBDD(7, x);
    m.SetModuleBDD(7, x);
    EXPECT_EQ(m.GetReferenceCount(x), 2);
    m.SetModelVariable(7, variable);
    EXPECT_EQ(m.GetModelVariable(7), variable);
    EXPECT_EQ(m.GetProbability(7), 0.0);
    EXPECT_EQ(m.GetFailureIntensity(7), 0.0);
    EXPECT_EQ(m.GetValue(7), KEFOBDDEntry::Unknown);
    EXPECT_EQ(m.GetWeight(7), 1.0);
    EXPECT_EQ(m.GetModuleBDD(7), nullptr);
    EXPECT_EQ(m.GetReferenceCount(x), 1);
    EXPECT_EQ(m.GetNumberOfActiveEntries(), 1);
    m.FreeNode(x);
    // The entry table grows only, and keeps its entries.
    m.SetProbability(3, 1e-3);
    m.SetSizeOfEntryTable(100);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 8192);
    m.SetSizeOfEntryTable(20000);
    EXPECT_EQ(m.GetProbability(3), 1e-3);
    m.SetProbability(19999, 0.5);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 19999);
    // An index outside the table is a caller's fault.
    EXPECT_THROW(m.SetProbability(20000, 0.5), PLOVException);
    EXPECT_THROW(m.SetProbability(0, 0.5), PLOVException);
    EXPECT_THROW(m.NewBDDNode(0, m.NewLeafOne(), m.NewLeafZero()), PLOVException);
}

TEST_F(BDDStoreTest, FreedAndUnusedSlotsCountAsFreeAndAreHandedOutBeforeANewPage) {
    // Pages of 4 slots: 5 literals take a page and one slot of a second.
    KEFOBDDManager m;
    m.SetSizeOfPages(4);
    KEFOBDDUniqueTable* table = m.GetUniqueTable();
    std::vector<KEFOBDDNode*> literals;
    for (int i = 1; i <= 5; ++i) literals.push_back(m.BuildPositiveLiteral(i));
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 2);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 3);
    // Two freed by a collection and the three never used of the second page
    // come back, the freed ones first, the last freed first; a slot never
    // used reads as free to the collector and is handed out zeroed.
    m.FreeNode(literals[1]);
    m.FreeNode(literals[3]);
    Collect(m);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 5);
    EXPECT_EQ(m.BuildPositiveLiteral(6), literals[3]);
    EXPECT_EQ(m.BuildPositiveLiteral(7), literals[1]);
    for (int i = 8; i <= 10; ++i) EXPECT_EQ(m.BuildPositiveLiteral(i), literals[4] + (i - 7));
    EXPECT_EQ(literals[4][3].GetIndex(), 10);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 0);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 2);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2 + 8);
}

// Every (index, then, else) stands once in the store, however the nodes
// were made: the operations skip the look-up of a node whose son has no
// father, and dead nodes (count 0, still fathers of their sons) are revived
// or collected on the way; a cache of one record makes them made again.
TEST_F(BDDStoreTest, ReferenceCountsBalanceAndNoNodeIsMadeTwiceOverALongRandomSequence) {
    for (bool forgetful : {false, true}) {
        SCOPED_TRACE(forgetful);
        KEFOBDDManager m;
        if (forgetful) m.ResizeCache(1);
        const int n = 8;
        CreateEntries(m, n);
        for (int i = 1; i <= n; ++i) m.SetWeight(i, 1.0);
        FormulaGenerator generator(m, n, 99);
        std::mt19937& random = generator.Engine();
        auto variable = [&]() { return std::uniform_int_distribution<int>(1, n)(random); };
        std::vector<KEFOBDDNode*> pool;
        for (int step = 0; step < 3000; ++step) {
            if (pool.size() < 4) {
                pool.push_back(generator.Random(4).node);
                continue;
            }
            auto any = [&]() { return pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)]; };
            KEFOBDDNode* f = any();
            KEFOBDDNode* g = any();
            KEFOBDDNode* h = any();
            // The families of the ZBDD operations are minimal cutsets of f and g.
            const int operation = std::uniform_int_distribution<int>(0, 16)(random);
            KEFOBDDNode* zf = operation >= 5 && operation <= 8 ? m.BuildMinimalCutsets(f) : nullptr;
            KEFOBDDNode* zg = operation == 5 || operation == 6 ? m.BuildMinimalCutsets(g) : nullptr;
            KEFOBDDNode* r = nullptr;
            switch (operation) {
                case 0: r = m.BuildAnd(f, g); break;
                case 1: r = m.BuildOr(f, g); break;
                case 2: r = m.BuildNot(f); break;
                case 3: r = m.BuildIfThenElse(f, g, h); break;
                case 4: r = m.BuildMinimalCutsets(f); break;
                case 5: r = m.BuildWithout(zf, zg); break;
                case 6: r = m.BuildUnion(zf, zg); break;
                case 7: r = m.BuildExtension(zf, variable()); break;
                case 8: r = m.BuildBDDFromZBDD(zf); break;
                case 9: r = m.BuildWeightedBDD(f, 2.0); break;
                case 10: r = m.BuildWeightedAnd(f, g, 3.0); break;
                case 11: r = m.BuildWeightedNot(f, 2.0); break;
                case 12: r = m.BuildWeightedIfThenElse(f, g, h, 3.0); break;
                case 13: r = m.BuildWeightedMinimalCutsets(f, 2.0); break;
                case 14: r = m.BuildWeightedOr(f, g, 1.0); break;
                case 15: r = m.BuildSingleton(variable()); break;
                default: {
                    // Release a random held result.
                    const std::size_t i = std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random);
                    m.FreeNode(pool[i]);
                    pool[i] = pool.back();
                    pool.pop_back();
                    break;
                }
            }
            for (KEFOBDDNode* operand : {zf, zg})
                if (operand != nullptr) m.FreeNode(operand);
            if (r != nullptr) pool.push_back(r);
            if (step % 500 == 0) Collect(m);
        }
        ExpectHashTablesWhole(m, n);
        for (KEFOBDDNode* f : pool) m.FreeNode(f);
        Collect(m);
        EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
        for (int i = 1; i <= n; ++i) EXPECT_EQ(m.GetEntry(i)->GetHashTable()->GetNumberOfNodes(), 0);
        EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);  // the collection empties the cache
    }
}

TEST_F(BDDStoreTest, ExhaustionPrintsBothLinesAndRaisesMemoryOverflow) {
    // A budget below one page, then a page refused by the allocator: either
    // way the store collects, prints both lines, raises, and stays usable.
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused);
        KEFOBDDManager m;
        CreateEntries(m, 2);
        if (!refused) m.SetUniqueTableSize(1000);  // below one page of 32768
        std::string printed;
        EXPECT_TRUE(RaisesMemoryOverflow(
            [&] {
                if (refused) PLOVMemoryManager::SetAllocationFailureCountdown(0);
                m.BuildPositiveLiteral(1);
            },
            &printed));
        PLOVMemoryManager::SetAllocationFailureCountdown(-1);
        EXPECT_EQ(printed, "Launch garbage collection\nGarbage collection done\n");
        EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 0);
        m.SetUniqueTableSize(1 << 20);
        KEFOBDDNode* x = m.BuildPositiveLiteral(1);
        EXPECT_EQ(m.GetReferenceCount(x), 1);
        EXPECT_EQ(m.GetIndex(x), 1);
        EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 32768);
    }
}

// A store is reset between models and used again: only its sizes stay.
TEST_F(BDDStoreTest, ResetKeepsSizesAndReturnsEverythingElse) {
    KEFOBDDManager m;
    m.SetSizeOfPages(1000);
    m.SetUniqueTableSize(50000);
    m.ResizeCache(5000);
    m.SetSizeOfEntryTable(9000);
    m.Lock(1);
    CreateEntries(m, 5);
    m.FreeNode(m.BuildAnd(m.BuildPositiveLiteral(5), m.BuildPositiveLiteral(4)));
    m.Reset();
    EXPECT_EQ(m.IsLocked(), 0);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 0);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 0);
    EXPECT_EQ(m.GetUniqueTableSize(), 50000);
    EXPECT_EQ(m.GetCacheSize(), 5000);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 9000);
    CreateEntries(m, 5);
    m.BuildPositiveLiteral(5);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 1000);
}

// nodes[i - 1] is the positive literal of index i: no two of them overlap,
// and each still carries its index and is found again.
static void ExpectLiteralsApartAndIntact(KEFOBDDManager& m, const std::vector<KEFOBDDNode*>& nodes) {
    std::vector<std::uintptr_t> addresses;
    for (KEFOBDDNode* x : nodes) addresses.push_back(reinterpret_cast<std::uintptr_t>(x));
    std::sort(addresses.begin(), addresses.end());
    bool apart = true;
    for (std::size_t i = 1; i < addresses.size(); ++i)
        apart = apart && addresses[i] - addresses[i - 1] >= sizeof(KEFOBDDNode);
    EXPECT_TRUE(apart);
    bool intact = true;
    for (std::size_t i = 1; i <= nodes.size(); ++i) {
        const int index = static_cast<int>(i);
        intact = intact && m.GetIndex(nodes[i - 1]) == index && m.BuildPositiveLiteral(index) == nodes[i - 1];
    }
    EXPECT_TRUE(intact);
}

TEST_F(BDDStoreTest, PagesCarvedFromSlabsNeverOverlapAndSurviveResets) {
    // 8192 nodes make a 256 KB page, carved eight to a 2 MB slab; 100000
    // nodes make a page bigger than a slab, one slab each; 1000 nodes make
    // pages with cells of their own. Small hash tables keep the entries of
    // the 300000 literals cheap.
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(4);
    for (int pageSize : {8192, 100000, 1000}) {
        SCOPED_TRACE(pageSize);
        KEFOBDDManager m;
        m.SetSizeOfPages(pageSize);
        const int n = 3 * pageSize + 17;
        m.SetSizeOfEntryTable(n + 2);  // several pages, the last one partly used
        CreateEntries(m, n + 1);
        for (int round = 0; round < 2; ++round) {
            std::vector<KEFOBDDNode*> nodes;
            for (int i = 1; i <= n; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
            EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 4);
            ExpectLiteralsApartAndIntact(m, nodes);
            m.Reset();
            CreateEntries(m, n + 1);
        }
    }
}

TEST_F(BDDStoreTest, TheNextSlabIsMappedOnceTheNewestIsFullAndDroppedWhenPagesChangeSize) {
    // Pages of 8192 nodes, eight to a 2 MB slab: the spare comes with the
    // eighth page. Pages of 100000 nodes then need slabs of 4 MB: the 2 MB
    // spare is dropped for a slab of the right size, which is full at once,
    // so a spare of 4 MB follows and serves the next page.
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(4);
    KEFOBDDManager m;
    m.SetSizeOfPages(8192);
    const int n = 8 * 8192 + 100000 + 5;
    m.SetSizeOfEntryTable(n + 2);
    CreateEntries(m, n + 1);
    KEFOBDDUniqueTable* table = m.GetUniqueTable();
    std::vector<KEFOBDDNode*> nodes;
    int i = 1;
    for (; i <= 7 * 8192; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 7);
    EXPECT_FALSE(table->HasSpareSlab());
    for (; i <= 8 * 8192; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 8);
    EXPECT_TRUE(table->HasSpareSlab());
    m.SetSizeOfPages(100000);
    for (; i <= 8 * 8192 + 1; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 9);
    EXPECT_TRUE(table->HasSpareSlab());
    for (; i <= n; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 10);
    ExpectLiteralsApartAndIntact(m, nodes);
    m.Reset();
    EXPECT_FALSE(table->HasSpareSlab());
    // No spare is mapped for a page the store could not take.
    m.SetSizeOfPages(8192);
    m.SetUniqueTableSize(8 * 8192);
    CreateEntries(m, 8 * 8192 + 1);
    for (int k = 1; k <= 7 * 8192 + 1; ++k) m.BuildPositiveLiteral(k);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 8);
    EXPECT_FALSE(table->HasSpareSlab());
}

#if defined(__linux__)
TEST_F(BDDStoreTest, TheFirstSlabIsBackedByStretchesAheadOfTheSlotsHandedOut) {
    // 64 KB (2048 nodes), then 128 KB, 256 KB, ... of the first page are
    // backed each time the slots backed so far run out; nothing else of
    // the slab is touched. Small hash tables keep their arrays apart.
    void* probe = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(probe, MAP_FAILED);
    const bool populates = madvise(probe, 4096, 23 /* MADV_POPULATE_WRITE */) == 0;
    munmap(probe, 4096);
    if (!populates) GTEST_SKIP() << "the system cannot back pages on request";
    // The slab is advised to huge pages, and where the system grants one
    // the first request backs the whole slab: the stretches are seen with
    // huge pages off for this process.
    const int hugePagesWereOff = prctl(PR_GET_THP_DISABLE, 0, 0, 0, 0);
    ASSERT_EQ(prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0), 0);
    struct Restore {
        int off;
        ~Restore() { prctl(PR_SET_THP_DISABLE, off == 1 ? 1 : 0, 0, 0, 0); }
    } restore{hugePagesWereOff};
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(4);
    KEFOBDDManager m;
    const int n = 2048 + 4096 + 1;
    m.SetSizeOfEntryTable(n + 2);
    CreateEntries(m, n + 1);
    const std::size_t kb = 1024, slab = 2048 * kb;
    std::vector<unsigned char> flags(slab / 4096);
    auto backedKB = [&](const void* start) {
        EXPECT_EQ(mincore(const_cast<void*>(start), slab, flags.data()), 0);
        std::size_t pages = 0;
        for (unsigned char f : flags) pages += f & 1u;
        return pages * 4;
    };
    KEFOBDDNode* first = m.BuildPositiveLiteral(1);
    EXPECT_EQ(backedKB(first), 64u);
    for (int i = 2; i <= 2048; ++i) m.BuildPositiveLiteral(i);
    EXPECT_EQ(backedKB(first), 64u);
    m.BuildPositiveLiteral(2049);
    EXPECT_EQ(backedKB(first), 64u + 128u);
    for (int i = 2050; i <= n; ++i) m.BuildPositiveLiteral(i);
    EXPECT_EQ(backedKB(first), 64u + 128u + 256u);
    // Every node is still what it was made.
    bool intact = true;
    for (int i = 1; i <= n; ++i) intact = intact && m.GetIndex(m.BuildPositiveLiteral(i)) == i;
    EXPECT_TRUE(intact);
    EXPECT_EQ(m.GetIndex(first), 1);
}
// Whether the mapping that holds the address is advised to huge pages, as
// the system's own map of the process tells.
bool IsAdvisedToHugePages(const void* address) {
    std::FILE* maps = std::fopen("/proc/self/smaps", "r");
    if (maps == nullptr) return false;
    const std::uintptr_t a = reinterpret_cast<std::uintptr_t>(address);
    char line[512];
    bool inside = false, advised = false;
    while (std::fgets(line, sizeof line, maps) != nullptr) {
        unsigned long long low = 0, high = 0;
        char dash = 0;
        if (std::sscanf(line, "%llx%c%llx", &low, &dash, &high) == 3 && dash == '-' && std::strchr(line, ':') != nullptr &&
            std::strncmp(line, "VmFlags", 7) != 0) {
            inside = a >= low && a < high;
        } else if (inside && std::strncmp(line, "VmFlags:", 8) == 0) {
            advised = std::strstr(line, " hg") != nullptr;
            break;
        }
    }
    std::fclose(maps);
    return advised;
}

TEST_F(BDDStoreTest, TheFirstSlabAndTheFirstBucketChunkAreAdvisedToHugePages) {
    // Their first backing request then takes one fault for the whole block
    // where the system grants a huge page.
    std::FILE* mode = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (mode == nullptr) GTEST_SKIP() << "the system has no transparent huge pages";
    std::fclose(mode);
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* node = m.BuildPositiveLiteral(1);
    EXPECT_TRUE(IsAdvisedToHugePages(node));
    EXPECT_TRUE(IsAdvisedToHugePages(m.GetEntry(1)->GetHashTable()->GetBucketAddress(0)));
    // The heap is left as it is.
    std::vector<char> heap(4096);
    EXPECT_FALSE(IsAdvisedToHugePages(heap.data()));
}
#endif

TEST_F(BDDStoreTest, NodeMemoFindsEveryRecordThroughItsGrowthAndForgetsThemOnReset) {
    KEFOBDDManager m;
    const int n = 5000;
    CreateEntries(m, n + 1);
    std::vector<KEFOBDDNode*> keys;
    for (int i = 1; i <= n; ++i) keys.push_back(m.BuildPositiveLiteral(i));
    KEFOBDDNodeMemo memo;
    EXPECT_EQ(memo.Find(keys[0]), nullptr);  // empty, no slots yet
    // Each key maps to its successor; the memo grows several times and
    // holds no references.
    for (int i = 0; i < n; ++i) memo.Insert(keys[i], keys[(i + 1) % n]);
    int found = 0;
    for (int i = 0; i < n; ++i) found += memo.Find(keys[i]) == keys[(i + 1) % n] ? 1 : 0;
    EXPECT_EQ(found, n);
    EXPECT_EQ(memo.GetNumberOfRecords(), static_cast<std::size_t>(n));
    EXPECT_EQ(memo.Find(m.NewLeafOne()), nullptr);
    EXPECT_EQ(m.GetReferenceCount(keys[1]), 1);
    memo.Reset();
    EXPECT_EQ(memo.GetNumberOfRecords(), 0u);
    found = 0;
    for (int i = 0; i < n; ++i) found += memo.Find(keys[i]) != nullptr ? 1 : 0;
    EXPECT_EQ(found, 0);
    memo.Insert(keys[7], keys[8]);
    EXPECT_EQ(memo.Find(keys[7]), keys[8]);
    for (KEFOBDDNode* key : keys) m.FreeNode(key);
}

TEST_F(BDDStoreTest, ValueMarksStopAtNodesAlreadyMarkedAndDumpsWriteEachNodeOnce) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    KEFOBDDNode* c = m.BuildPositiveLiteral(3);
    KEFOBDDNode* bc = m.BuildOr(b, c);
    KEFOBDDNode* f = m.BuildAnd(a, bc);
    m.SetIntValues(f, 5);
    EXPECT_EQ(m.GetIntValue(f), 5);
    EXPECT_EQ(m.GetIntValue(m.GetThenSon(f)), 5);
    EXPECT_EQ(m.GetIntValue(m.NewLeafOne()), 5);
    // A marked node stops the descent: its sons keep their values.
    m.SetIntValue(m.GetThenSon(f), 9);
    KEFOBDDNode* below = m.GetThenSon(m.GetThenSon(f));
    m.SetIntValue(below, 4);
    m.SetIntValue(m.GetThenSon(f), 7);
    m.SetIntValues(f, 7);
    EXPECT_EQ(m.GetIntValue(f), 7);
    EXPECT_EQ(m.GetIntValue(below), 4);
    m.SetFloatValues(f, -1.0f);
    EXPECT_EQ(m.GetFloatValue(f), -1.0f);
    EXPECT_EQ(m.GetFloatValue(below), -1.0f);
    // One line a node: address, index, count, mark, sons and next in chain.
    char expected[512];
    auto line = [&](KEFOBDDNode* node, int index, int count, int mark) {
        std::snprintf(expected, sizeof expected, "%p\t%d\t%d\t%d\t%p\t%p\t%p\n", static_cast<void*>(node), index,
                      count, mark, static_cast<void*>(node->GetThenSon()), static_cast<void*>(node->GetElseSon()),
                      static_cast<void*>(node->GetNext()));
        return std::string(expected);
    };
    EXPECT_EQ(Printed([&](FILE* file) { m.DumpNode(f, file); }), line(f, 1, 1, m.GetIntValue(f)));
    // Twice in a row: every internal node once, then the two leaves.
    KEFOBDDNode* zero = m.NewLeafZero();
    KEFOBDDNode* one = m.NewLeafOne();
    KEFOBDDNode* nodes[] = {f, bc, m.GetElseSon(bc)};
    for (int round = 0; round < 2; ++round) {
        const std::string text = Printed([&](FILE* file) { m.DumpBDD(f, file); });
        std::string lines;
        for (int i = 0; i < 3; ++i) lines += line(nodes[i], i + 1, i == 0 ? 1 : 2, 0);
        EXPECT_EQ(text, lines + line(zero, 16777215, 255, 0) + line(one, 16777214, 255, 0));
    }
    EXPECT_EQ(Printed([&](FILE* file) { m.DumpBDD(one, file); }), line(one, 16777214, 255, 0));
    for (KEFOBDDNode* n : {a, b, c, bc, f}) m.FreeNode(n);
}

}  // namespace
