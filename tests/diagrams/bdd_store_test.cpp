// The node store: node rules, reference counts, hash tables, cache, entries,
// garbage collection, exhaustion, memory figures and dumps.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"
#include "diagrams/bdd_unique_table.h"
#include "support/exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

std::string ReadWholeFile(FILE* file) {
    std::rewind(file);
    std::string text;
    int c;
    while ((c = std::fgetc(file)) != EOF) text.push_back(static_cast<char>(c));
    return text;
}

TEST_F(BDDStoreTest, FreshManagerHasOnlyTheTwoSaturatedLeaves) {
    KEFOBDDManager m;
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 0);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 0);
    EXPECT_EQ(m.NewLeafZero(), m.NewLeafEmptySet());
    EXPECT_EQ(m.NewLeafOne(), m.NewLeafEmptyProduct());
    EXPECT_NE(m.NewLeafZero(), m.NewLeafOne());
    EXPECT_EQ(m.GetReferenceCount(m.NewLeafZero()), 255);
    EXPECT_EQ(m.GetReferenceCount(m.NewLeafOne()), 255);
    // Leaves are never counted.
    m.FreeNode(m.NewLeafOne());
    m.CopyNode(m.NewLeafZero());
    EXPECT_EQ(m.GetReferenceCount(m.NewLeafZero()), 255);
}

TEST_F(BDDStoreTest, NodeRulesShareNodesAndNeverMakeRedundantOnes) {
    KEFOBDDManager m;
    CreateEntries(m, 4);
    KEFOBDDNode* x = m.BuildPositiveLiteral(2);
    const int active = m.GetNumberOfActiveNodesInUniqueTable();
    EXPECT_EQ(active, 3);
    // Equal sons: the son itself, with one more reference, nothing made.
    KEFOBDDNode* same = m.NewBDDNode(1, x, x);
    EXPECT_EQ(same, x);
    EXPECT_EQ(m.GetReferenceCount(x), 2);
    m.FreeNode(same);
    // ZBDD rule: a then-son that is the empty family gives the else-son.
    KEFOBDDNode* z = m.NewZBDDNode(1, m.NewLeafEmptySet(), x);
    EXPECT_EQ(z, x);
    m.FreeNode(z);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), active);
    // The same triple twice is one node with two references.
    KEFOBDDNode* a = m.NewBDDNode(1, x, m.NewLeafOne());
    KEFOBDDNode* b = m.NewBDDNode(1, x, m.NewLeafOne());
    EXPECT_EQ(a, b);
    EXPECT_EQ(m.GetReferenceCount(a), 2);
    EXPECT_EQ(m.GetReferenceCount(x), 2);  // held by the caller and by a
    EXPECT_EQ(m.GetThenSon(a), x);
    EXPECT_EQ(m.GetElseSon(a), m.NewLeafOne());
    EXPECT_EQ(m.GetIndex(a), 1);
    // A ZBDD node with a non-empty then-son is an ordinary shared node.
    KEFOBDDNode* c = m.NewZBDDNode(1, x, m.NewLeafOne());
    EXPECT_EQ(c, a);
    m.FreeNode(a);
    m.FreeNode(b);
    m.FreeNode(c);
    // A node at count 0 is still found and revived until it is collected.
    EXPECT_EQ(m.GetReferenceCount(a), 0);
    KEFOBDDNode* revived = m.NewBDDNode(1, x, m.NewLeafOne());
    EXPECT_EQ(revived, a);
    EXPECT_EQ(m.GetReferenceCount(revived), 1);
    m.FreeNode(revived);
    m.FreeNode(x);
}

TEST_F(BDDStoreTest, SaturatedCountsNeverMoveAndSurviveCollection) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* x = m.BuildPositiveLiteral(3);
    for (int i = 0; i < 300; ++i) m.CopyNode(x);
    EXPECT_EQ(m.GetReferenceCount(x), 255);
    for (int i = 0; i < 1000; ++i) m.FreeNode(x);
    EXPECT_EQ(m.GetReferenceCount(x), 255);
    Collect(m);
    EXPECT_EQ(m.GetIndex(x), 3);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 3);
    // A count already at 0 is not wrapped by one more release.
    KEFOBDDNode* y = m.BuildPositiveLiteral(2);
    m.FreeNode(y);
    m.FreeNode(y);
    EXPECT_EQ(m.GetReferenceCount(y), 0);
}

TEST_F(BDDStoreTest, HashTableGrowsByItsFactorAndNeverBeyondItsMaximum) {
    KEFOBDDManager m;
    CreateEntries(m, 2);
    KEFOBDDHashTable* table = m.GetEntry(1)->GetHashTable();
    EXPECT_EQ(table->GetSize(), 256);
    // Distinct sons for index 1: nodes of index 2 over a chain of sons made
    // without entry (index 3 has none, so they are not shared, just made).
    std::vector<KEFOBDDNode*> sons;
    for (int i = 0; i < 2000; ++i) sons.push_back(m.NewBDDNode(3, i == 0 ? m.NewLeafOne() : sons.back(), m.NewLeafZero()));
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
    // Every node is still found after the rehashing.
    for (int i = 0; i < 2000; ++i) EXPECT_EQ(table->LookUp(sons[i], m.NewLeafZero()), made[i]);
    SumMeasure chains;
    m.MeasureSizesOfCollisionChainInHashTables(&chains);
    SumMeasure nodes;
    m.MeasureNumbersOfNodesInHashTables(&nodes);
    EXPECT_EQ(nodes.count, 2);  // entries 1 and 2
    EXPECT_EQ(nodes.sum, 2000.0);
    EXPECT_EQ(chains.count, 2048 + 256);
    EXPECT_EQ(chains.sum, 2000.0);
    // Shrinking is bounded by the minimum.
    table->Resize(16);
    EXPECT_EQ(table->GetSize(), 256);
    for (int i = 0; i < 2000; ++i) EXPECT_EQ(table->LookUp(sons[i], m.NewLeafZero()), made[i]);
}

TEST_F(BDDStoreTest, CacheIsDirectMappedAndServesCommutedOperands) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    KEFOBDDNode* ab = m.BuildAnd(a, b);
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
    for (KEFOBDDNode* n : {a, b, ab, ba, again}) m.FreeNode(n);
}

TEST_F(BDDStoreTest, EntriesAreCreatedBySettersAndReadAsDefaultsOtherwise) {
    KEFOBDDManager m;
    // Reads of missing entries, inside the table or outside it.
    for (int index : {0, 5, 100000}) EXPECT_EQ(m.GetEntry(index), nullptr);
    EXPECT_EQ(m.GetProbability(5), 0.0);
    EXPECT_EQ(m.GetModelVariable(5), nullptr);
    m.SetProbability(7, 0.25);
    m.SetWeight(3, 2.5);
    EXPECT_EQ(m.GetIndexOfLowestEntry(), 3);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 7);
    EXPECT_EQ(m.GetWeight(7), 1.0);  // a new entry weighs 1
    EXPECT_EQ(m.GetNumberOfActiveEntries(), 0);
    // Setting the model variable re-initialises the other fields.
    KEFOVariable* variable = reinterpret_cast<KEFOVariable*>(&m);
    m.SetValue(7, 1);
    m.SetFailureIntensity(7, 3.0);
    KEFOBDDNode* x = m.BuildPositiveLiteral(7);
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
    // Weights from probabilities: decades below 1 in base 10.
    m.SetProbability(3, 1e-3);
    m.SetProbability(7, 0.1);
    m.ComputeWeightsFromProbabilities(10.0);
    EXPECT_NEAR(m.GetWeight(3), 3.0, 1e-12);
    EXPECT_NEAR(m.GetWeight(7), 1.0, 1e-12);
    EXPECT_NEAR(KEFOBDDManager::ComputeWeightFromProbability(0.25, 2.0), 2.0, 1e-12);
    // The entry table grows only.
    m.SetSizeOfEntryTable(100);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 8192);
    m.SetSizeOfEntryTable(20000);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 20000);
    EXPECT_EQ(m.GetProbability(3), 1e-3);
    m.SetProbability(19999, 0.5);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 19999);
    // An index outside the table is a caller's fault.
    EXPECT_THROW(m.SetProbability(20000, 0.5), PLOVException);
    EXPECT_THROW(m.SetProbability(0, 0.5), PLOVException);
    EXPECT_THROW(m.NewBDDNode(0, m.NewLeafOne(), m.NewLeafZero()), PLOVException);
}

TEST_F(BDDStoreTest, GarbageCollectionReclaimsEveryUnheldNodeAndEmptiesTheCache) {
    KEFOBDDManager m;
    const int n = 10;
    CreateEntries(m, n);
    FormulaGenerator generator(m, n, 7);
    std::vector<Formula> held;
    for (int i = 0; i < 200; ++i) held.push_back(generator.Random(6));
    // Free half of them, collect, and the others still evaluate right.
    for (std::size_t i = 0; i < held.size(); i += 2) m.FreeNode(held[i].node);
    EXPECT_EQ(Collect(m), "Launch garbage collection\nGarbage collection done\n");
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    for (std::size_t i = 1; i < held.size(); i += 2) EXPECT_EQ(TableOf(m, held[i].node, n), held[i].table);
    int hashed = 0;
    for (int i = 1; i <= n; ++i) hashed += m.GetEntry(i)->GetHashTable()->GetNumberOfNodes();
    EXPECT_EQ(hashed + 2, m.GetNumberOfActiveNodesInUniqueTable());
    for (std::size_t i = 1; i < held.size(); i += 2) m.FreeNode(held[i].node);
    Collect(m);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
    for (int i = 1; i <= n; ++i) EXPECT_EQ(m.GetEntry(i)->GetHashTable()->GetNumberOfNodes(), 0);
    // Reclaimed slots are reused before any new page.
    const int pages = m.GetNumberOfPagesInUniqueTable();
    for (int i = 0; i < 50; ++i) m.FreeNode(generator.Random(6).node);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), pages);
}

TEST_F(BDDStoreTest, SlotsComeInPageOrderAfterTheFreedOnesAndCountAsFree) {
    // Pages of 4 slots: the slots of a new page are taken from its first
    // on, slots freed by a collection before the unused ones of the newest
    // page, the last freed first; the free count covers both.
    KEFOBDDManager m;
    m.SetSizeOfPages(4);
    KEFOBDDUniqueTable* table = m.GetUniqueTable();
    std::vector<KEFOBDDNode*> literals;
    for (int i = 1; i <= 3; ++i) literals.push_back(m.BuildPositiveLiteral(i));
    ASSERT_EQ(m.GetNumberOfPagesInUniqueTable(), 1);
    const KEFOBDDNode* first = table->GetPages()->GetNodes();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(literals[static_cast<std::size_t>(i)], first + i);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 1);
    literals.push_back(m.BuildPositiveLiteral(4));
    EXPECT_EQ(literals[3], first + 3);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 0);
    KEFOBDDNode* fifth = m.BuildPositiveLiteral(5);
    ASSERT_EQ(m.GetNumberOfPagesInUniqueTable(), 2);
    const KEFOBDDNode* second = table->GetPages()->GetNodes();
    EXPECT_EQ(fifth, second);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 3);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2 + 5);
    // Free the literals of 2 and 4; the collection pushes them in page
    // order (2 then 4), so 4's slot comes back first, then 2's, then the
    // unused slots of the second page.
    m.FreeNode(literals[1]);
    m.FreeNode(literals[3]);
    Collect(m);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 5);
    EXPECT_EQ(m.BuildPositiveLiteral(6), first + 3);
    EXPECT_EQ(m.BuildPositiveLiteral(7), first + 1);
    EXPECT_EQ(m.BuildPositiveLiteral(8), second + 1);
    EXPECT_EQ(m.BuildPositiveLiteral(9), second + 2);
    EXPECT_EQ(table->GetNumberOfFreeNodes(), 1);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2 + 7);
    // A slot never used reads as free to the collector and is handed out
    // zeroed.
    KEFOBDDNode* last = m.BuildPositiveLiteral(10);
    EXPECT_EQ(last, second + 3);
    EXPECT_EQ(last->GetIndex(), 10);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 2);
}

TEST_F(BDDStoreTest, ReferenceCountsBalanceOverALongRandomSequence) {
    KEFOBDDManager m;
    const int n = 8;
    CreateEntries(m, n);
    for (int i = 1; i <= n; ++i) m.SetWeight(i, 1.0);
    FormulaGenerator generator(m, n, 99);
    std::mt19937& random = generator.Engine();
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
        KEFOBDDNode* r = nullptr;
        switch (std::uniform_int_distribution<int>(0, 16)(random)) {
            case 0: r = m.BuildAnd(f, g); break;
            case 1: r = m.BuildOr(f, g); break;
            case 2: r = m.BuildNot(f); break;
            case 3: r = m.BuildIfThenElse(f, g, h); break;
            case 4: r = m.BuildMinimalCutsets(f); break;
            case 5: {
                KEFOBDDNode* a = m.BuildMinimalCutsets(f);
                KEFOBDDNode* b = m.BuildMinimalCutsets(g);
                r = m.BuildWithout(a, b);
                m.FreeNode(a);
                m.FreeNode(b);
                break;
            }
            case 6: {
                KEFOBDDNode* a = m.BuildMinimalCutsets(f);
                KEFOBDDNode* b = m.BuildMinimalCutsets(g);
                r = m.BuildUnion(a, b);
                m.FreeNode(a);
                m.FreeNode(b);
                break;
            }
            case 7: {
                KEFOBDDNode* a = m.BuildMinimalCutsets(f);
                r = m.BuildExtension(a, std::uniform_int_distribution<int>(1, n)(random));
                m.FreeNode(a);
                break;
            }
            case 8: {
                KEFOBDDNode* a = m.BuildMinimalCutsets(f);
                r = m.BuildBDDFromZBDD(a);
                m.FreeNode(a);
                break;
            }
            case 9: r = m.BuildWeightedBDD(f, 2.0); break;
            case 10: r = m.BuildWeightedAnd(f, g, 3.0); break;
            case 11: r = m.BuildWeightedNot(f, 2.0); break;
            case 12: r = m.BuildWeightedIfThenElse(f, g, h, 3.0); break;
            case 13: r = m.BuildWeightedMinimalCutsets(f, 2.0); break;
            case 14: r = m.BuildWeightedOr(f, g, 1.0); break;
            case 15: r = m.BuildSingleton(std::uniform_int_distribution<int>(1, n)(random)); break;
            default: {
                // Release a random held result.
                const std::size_t i = std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random);
                m.FreeNode(pool[i]);
                pool[i] = pool.back();
                pool.pop_back();
                break;
            }
        }
        if (r != nullptr) pool.push_back(r);
        if (step % 500 == 0) Collect(m);
    }
    for (KEFOBDDNode* f : pool) m.FreeNode(f);
    Collect(m);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
}

TEST_F(BDDStoreTest, ExhaustionPrintsBothLinesAndRaisesMemoryOverflow) {
    KEFOBDDManager m;
    CreateEntries(m, 2);
    m.SetUniqueTableSize(1000);  // below one page of 32768
    testing::internal::CaptureStdout();
    bool raised = false;
    try {
        m.BuildPositiveLiteral(1);
    } catch (const PLOVException& e) {
        raised = e.GetKind() == PLOVException::MemoryOverflow;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Launch garbage collection\nGarbage collection done\n");
    EXPECT_TRUE(raised);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 0);
    // The store stays usable once the budget is raised.
    m.SetUniqueTableSize(1 << 20);
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    EXPECT_EQ(m.GetReferenceCount(x), 1);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 32768);
}

TEST_F(BDDStoreTest, ExhaustionInsideAnOperationLeavesTheStoreUsable) {
    KEFOBDDManager m;
    m.SetSizeOfPages(16);
    m.SetUniqueTableSize(64);
    const int n = 12;
    CreateEntries(m, n);
    // Builds whose results need more than 64 live nodes.
    testing::internal::CaptureStdout();
    bool raised = false;
    std::vector<KEFOBDDNode*> held;
    try {
        for (int i = 1; i <= n; ++i) {
            for (int j = i + 1; j <= n; ++j) {
                KEFOBDDNode* a = m.BuildPositiveLiteral(i);
                KEFOBDDNode* b = m.BuildNegativeLiteral(j);
                held.push_back(m.BuildOr(a, b));
                m.FreeNode(a);
                m.FreeNode(b);
            }
        }
    } catch (const PLOVException& e) {
        raised = e.GetKind() == PLOVException::MemoryOverflow;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(raised);
    for (KEFOBDDNode* f : held) m.FreeNode(f);
    m.SetUniqueTableSize(1 << 16);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    KEFOBDDNode* ab = m.BuildAnd(a, b);
    EXPECT_TRUE(Evaluate(m, ab, 3));
    EXPECT_FALSE(Evaluate(m, ab, 1));
    for (KEFOBDDNode* f : {a, b, ab}) m.FreeNode(f);
}

TEST_F(BDDStoreTest, RefusedPageIsRetriedAfterCollectionThenRaised) {
    KEFOBDDManager m;
    CreateEntries(m, 2);
    testing::internal::CaptureStdout();
    PLOVMemoryManager::SetAllocationFailureCountdown(0);
    bool raised = false;
    try {
        m.BuildPositiveLiteral(1);
    } catch (const PLOVException& e) {
        raised = e.GetKind() == PLOVException::MemoryOverflow;
    }
    PLOVMemoryManager::SetAllocationFailureCountdown(-1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Launch garbage collection\nGarbage collection done\n");
    EXPECT_TRUE(raised);
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    EXPECT_EQ(m.GetIndex(x), 1);
}

TEST_F(BDDStoreTest, ResetKeepsSizesAndReturnsEverything) {
    KEFOBDDManager m;
    m.SetSizeOfPages(1000);
    m.SetUniqueTableSize(50000);
    m.ResizeCache(5000);
    m.SetSizeOfEntryTable(9000);
    m.Lock(1);
    EXPECT_EQ(m.IsLocked(), 1);
    CreateEntries(m, 5);
    KEFOBDDNode* x = m.BuildPositiveLiteral(5);
    KEFOBDDNode* y = m.BuildPositiveLiteral(4);
    m.FreeNode(m.BuildAnd(x, y));
    m.Reset();
    EXPECT_EQ(m.IsLocked(), 0);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 0);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 0);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), 0);
    EXPECT_EQ(m.GetEntry(5), nullptr);
    EXPECT_EQ(m.GetIndexOfHighestEntry(), 0);
    EXPECT_EQ(m.GetSizeOfPages(), 1000);
    EXPECT_EQ(m.GetUniqueTableSize(), 50000);
    EXPECT_EQ(m.GetCacheSize(), 5000);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 9000);
    CreateEntries(m, 5);
    KEFOBDDNode* z = m.BuildPositiveLiteral(5);
    EXPECT_EQ(m.GetReferenceCount(z), 1);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 1000);
}

TEST_F(BDDStoreTest, PagesCarvedFromSlabsNeverOverlapAndSurviveResets) {
    // 8192 nodes make a 256 KB page, carved eight to a 2 MB slab; 100000
    // nodes make a page bigger than a slab, one slab each; 1000 nodes make
    // pages with cells of their own.
    for (int pageSize : {8192, 100000, 1000}) {
        KEFOBDDManager m;
        m.SetSizeOfPages(pageSize);
        const int n = 3 * pageSize + 17;
        m.SetSizeOfEntryTable(n + 2);  // several pages, the last one partly used
        CreateEntries(m, n + 1);
        for (int round = 0; round < 2; ++round) {
            std::vector<KEFOBDDNode*> nodes;
            for (int i = 1; i <= n; ++i) nodes.push_back(m.BuildPositiveLiteral(i));
            EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 4);
            std::vector<std::uintptr_t> addresses;
            for (KEFOBDDNode* x : nodes) addresses.push_back(reinterpret_cast<std::uintptr_t>(x));
            std::sort(addresses.begin(), addresses.end());
            bool apart = true;
            for (std::size_t i = 1; i < addresses.size(); ++i)
                apart = apart && addresses[i] - addresses[i - 1] >= sizeof(KEFOBDDNode);
            EXPECT_TRUE(apart) << pageSize;
            bool intact = true;
            for (int i = 1; i <= n; ++i)
                intact = intact && m.GetIndex(nodes[i - 1]) == i && m.BuildPositiveLiteral(i) == nodes[i - 1];
            EXPECT_TRUE(intact) << pageSize;
            m.Reset();
            CreateEntries(m, n + 1);
        }
    }
}

TEST_F(BDDStoreTest, BigConfigurationRoundTripAndProcessWideDefaults) {
    KEFOBDDManager::SetDefaultSizeOfPages(1 << 20);
    KEFOBDDManager::SetDefaultUniqueTableSize(1 << 26);
    KEFOBDDManager::SetDefaultSizeOfEntryTable(1 << 17);
    KEFOBDDManager::SetDefaultSizeOfCache(1 << 20);
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(16);
    KEFOBDDManager m;
    EXPECT_EQ(m.GetSizeOfPages(), 1 << 20);
    EXPECT_EQ(m.GetUniqueTableSize(), 1 << 26);
    EXPECT_EQ(m.GetSizeOfEntryTable(), 1 << 17);
    EXPECT_EQ(m.GetCacheSize(), 1 << 20);
    m.SetMaximumSizeOfHashTables(1 << 18);
    EXPECT_EQ(KEFOBDDHashTable::GetDefaultMaximumSize(), 1 << 18);
    // Many nodes of one index over many variables: the table of the index
    // follows its growth rule up to the raised maximum.
    const int n = 100000;
    CreateEntries(m, n + 1);
    EXPECT_EQ(m.GetEntry(1)->GetHashTable()->GetSize(), 16);
    std::vector<KEFOBDDNode*> sons;
    for (int i = 2; i <= n + 1; ++i) sons.push_back(m.BuildPositiveLiteral(i));
    std::vector<KEFOBDDNode*> nodes;
    for (KEFOBDDNode* s : sons) nodes.push_back(m.NewBDDNode(1, s, m.NewLeafZero()));
    EXPECT_EQ(m.GetEntry(1)->GetHashTable()->GetSize(), 262144);
    EXPECT_EQ(m.GetEntry(1)->GetHashTable()->GetNumberOfNodes(), n);
    EXPECT_EQ(m.GetNumberOfPagesInUniqueTable(), 1);
    EXPECT_EQ(m.GetNumberOfNodesInUniqueTable(), 1 << 20);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2 * n + 2);
    EXPECT_EQ(m.ComputeMemoryOccupationOfUniqueTableInBytes(), 8 + 32 + 32LL * (1 << 20));
    EXPECT_EQ(m.ComputeMemoryOccupationOfCacheInBytes(), 32LL * (1 << 20) + 24);
    for (std::size_t i = 0; i < sons.size(); ++i) EXPECT_EQ(m.NewBDDNode(1, sons[i], m.NewLeafZero()), nodes[i]);
    EXPECT_EQ(m.GetReferenceCount(nodes[0]), 2);
    // A second manager made after RestoreDefaults reads the built-in values.
    KEFOBDDManager::RestoreDefaults();
    KEFOBDDManager other;
    EXPECT_EQ(other.GetSizeOfPages(), 32768);
    EXPECT_EQ(other.GetUniqueTableSize(), 16777216);
    EXPECT_EQ(other.GetMaximumSizeOfHashTables(), 65536);
    // The first manager keeps its own settings.
    EXPECT_EQ(m.GetSizeOfPages(), 1 << 20);
    EXPECT_EQ(m.GetEntry(1)->GetHashTable()->GetMaximumSize(), 1 << 18);
}

TEST_F(BDDStoreTest, MemoryFiguresFollowTheirFormulas) {
    KEFOBDDManager m;
    EXPECT_EQ(m.ComputeMemoryOccupationOfUniqueTableInBytes(), 8);
    EXPECT_EQ(m.ComputeMemoryOccupationOfEntryTableInBytes(), 16);
    EXPECT_EQ(m.ComputeMemoryOccupationOfCacheInBytes(), 32LL * 131072 + 24);
    m.SetSizeOfPages(100);
    CreateEntries(m, 3);
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    EXPECT_EQ(m.ComputeMemoryOccupationOfUniqueTableInBytes(), 8 + 32 + 3200);
    EXPECT_EQ(m.ComputeMemoryOccupationOfEntryTableInBytes(), 16 + 3 * (120 + 8 * 256));
    m.FreeNode(x);
}

TEST_F(BDDStoreTest, NodeMemoFindsEveryRecordThroughItsGrowthAndForgetsThemOnReset) {
    KEFOBDDManager m;
    const int n = 5000;
    CreateEntries(m, n + 1);
    std::vector<KEFOBDDNode*> keys;
    for (int i = 1; i <= n; ++i) keys.push_back(m.BuildPositiveLiteral(i));
    KEFOBDDNodeMemo memo;
    EXPECT_EQ(memo.Find(keys[0]), nullptr);  // empty, no slots yet
    // Each key maps to its successor; the memo grows several times.
    for (int i = 0; i < n; ++i) {
        memo.Insert(keys[i], keys[(i + 1) % n]);
        ASSERT_EQ(memo.Find(keys[i]), keys[(i + 1) % n]) << i;
    }
    EXPECT_EQ(memo.GetNumberOfRecords(), static_cast<std::size_t>(n));
    bool all = true;
    for (int i = 0; i < n; ++i) all = all && memo.Find(keys[i]) == keys[(i + 1) % n];
    EXPECT_TRUE(all);
    EXPECT_EQ(memo.Find(m.NewLeafOne()), nullptr);
    // The memo holds no references.
    EXPECT_EQ(m.GetReferenceCount(keys[1]), 1);
    memo.Reset();
    EXPECT_EQ(memo.GetNumberOfRecords(), 0u);
    bool none = true;
    for (int i = 0; i < n; ++i) none = none && memo.Find(keys[i]) == nullptr;
    EXPECT_TRUE(none);
    memo.Insert(keys[7], keys[8]);
    EXPECT_EQ(memo.Find(keys[7]), keys[8]);
    for (KEFOBDDNode* key : keys) m.FreeNode(key);
}

TEST_F(BDDStoreTest, ValueMarksStopAtNodesAlreadyMarked) {
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
    for (KEFOBDDNode* n : {a, b, c, bc, f}) m.FreeNode(n);
}

TEST_F(BDDStoreTest, DumpsWriteOneTabSeparatedLinePerNode) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    KEFOBDDNode* f = m.BuildOr(a, b);
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    m.DumpNode(f, file);
    char expected[512];
    std::snprintf(expected, sizeof expected, "%p\t1\t1\t%d\t%p\t%p\t%p\n", static_cast<void*>(f), m.GetIntValue(f),
                  static_cast<void*>(m.GetThenSon(f)), static_cast<void*>(m.GetElseSon(f)),
                  static_cast<void*>(f->GetNext()));
    EXPECT_EQ(ReadWholeFile(file), expected);
    std::fclose(file);
    // Twice in a row: every internal node once, then the two leaves.
    for (int round = 0; round < 2; ++round) {
        file = std::tmpfile();
        m.DumpBDD(f, file);
        const std::string text = ReadWholeFile(file);
        std::fclose(file);
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                lines.push_back(text.substr(start, i - start));
                start = i + 1;
            }
        ASSERT_EQ(lines.size(), 4u);
        char head[64];
        std::snprintf(head, sizeof head, "%p\t1\t", static_cast<void*>(f));
        EXPECT_EQ(lines[0].rfind(head, 0), 0u);
        std::snprintf(head, sizeof head, "%p\t2\t", static_cast<void*>(m.GetElseSon(f)));
        EXPECT_EQ(lines[1].rfind(head, 0), 0u);
        std::snprintf(head, sizeof head, "%p\t16777215\t255\t", static_cast<void*>(m.NewLeafZero()));
        EXPECT_EQ(lines[2].rfind(head, 0), 0u);
        std::snprintf(head, sizeof head, "%p\t16777214\t255\t", static_cast<void*>(m.NewLeafOne()));
        EXPECT_EQ(lines[3].rfind(head, 0), 0u);
    }
    EXPECT_EQ(m.GetIntValue(f), 0);
    file = std::tmpfile();
    m.DumpBDD(m.NewLeafOne(), file);
    const std::string leaf = ReadWholeFile(file);
    std::fclose(file);
    EXPECT_EQ(std::count(leaf.begin(), leaf.end(), '\n'), 1);
    for (KEFOBDDNode* n : {a, b, f}) m.FreeNode(n);
}

}  // namespace
