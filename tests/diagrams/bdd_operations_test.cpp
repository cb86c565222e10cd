// Boolean connectives, minimal cutsets and the family operations, as
// properties over many random formulas and families checked against truth
// tables and explicit sets.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"
#include "support/memory_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace bddtest;

namespace {

class BDDOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { KEFOBDDManager::RestoreDefaults(); }
    void TearDown() override { KEFOBDDManager::RestoreDefaults(); }
};

TEST_F(BDDOperationsTest, ConnectivesAgreeWithTruthTablesOnRandomFormulas) {
    for (int n : {1, 3, 6, 10, 16}) {
        KEFOBDDManager m;
        CreateEntries(m, n);
        FormulaGenerator generator(m, n, 1000 + n);
        const int count = n == 16 ? 12 : 150;
        for (int i = 0; i < count; ++i) {
            Formula f = generator.Random(n == 16 ? 7 : 6);
            EXPECT_EQ(TableOf(m, f.node, n), f.table) << "n=" << n << " formula " << i;
            // The canonical BDD of the table is the very same node.
            KEFOBDDNode* canonical = BuildTable(m, f.table, n);
            EXPECT_EQ(canonical, f.node);
            m.FreeNode(canonical);
            m.FreeNode(f.node);
        }
    }
}

// Results that are an operand or a leaf make no node and take one reference
// of the operand; the random tests reach these cases without counting.
TEST_F(BDDOperationsTest, TrivialResultsMakeNoNodeAndHoldTheirOperand) {
    KEFOBDDManager m;
    CreateEntries(m, 4);
    KEFOBDDNode* x = m.BuildPositiveLiteral(2);
    KEFOBDDNode* nx = m.BuildNegativeLiteral(2);
    KEFOBDDNode* sx = m.BuildSingleton(3);
    const int active = m.GetNumberOfActiveNodesInUniqueTable();
    EXPECT_EQ(m.BuildAnd(x, nx), m.NewLeafZero());
    EXPECT_EQ(m.BuildOr(x, nx), m.NewLeafOne());
    EXPECT_EQ(m.BuildAnd(x, m.NewLeafOne()), x);
    EXPECT_EQ(m.BuildOr(m.NewLeafZero(), x), x);
    EXPECT_EQ(m.BuildIfThenElse(m.NewLeafOne(), x, nx), x);
    EXPECT_EQ(m.BuildIfThenElse(x, m.NewLeafOne(), m.NewLeafZero()), x);
    EXPECT_EQ(m.BuildWithout(sx, m.NewLeafEmptySet()), sx);
    EXPECT_EQ(m.BuildUnion(sx, m.NewLeafEmptySet()), sx);
    EXPECT_EQ(m.BuildUnion(m.NewLeafEmptyProduct(), sx), m.NewLeafEmptyProduct());
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), active);
    EXPECT_EQ(m.GetReferenceCount(x), 5);  // the caller's, the four results above
    EXPECT_EQ(m.GetReferenceCount(sx), 3);
    for (int i = 0; i < 5; ++i) m.FreeNode(x);
    for (int i = 0; i < 3; ++i) m.FreeNode(sx);
    m.FreeNode(nx);
    Collect(m);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
}

TEST_F(BDDOperationsTest, MinimalCutsetsAreTheMinimalTrueSets) {
    for (int n : {2, 5, 8, 12, 16}) {
        KEFOBDDManager m;
        CreateEntries(m, n);
        FormulaGenerator generator(m, n, 77 + n);
        const int count = n == 16 ? 8 : (n == 12 ? 15 : 120);
        for (int i = 0; i < count; ++i) {
            // The leaves, monotone and non-monotone formulas: negative
            // literals are ignored.
            Formula f = i < 2 ? generator.Leaf(i == 1) : generator.Random(n >= 12 ? 7 : 6, i % 2 == 0);
            KEFOBDDNode* mcs = m.BuildMinimalCutsets(f.node);
            EXPECT_EQ(FamilyOf(m, mcs, n), Minimal(f.table, n)) << "n=" << n << " formula " << i;
            // It is a well-formed ZBDD: no then-son is the empty family.
            EXPECT_EQ(mcs, BuildFamily(m, FamilyOf(m, mcs, n), n));
            m.FreeNode(mcs);  // BuildFamily's result is the same node
            if (i < 2 || i % 2 == 0) {  // a monotone function is given back by the BDD of its cutsets
                KEFOBDDNode* back = m.BuildBDDFromZBDD(mcs);
                EXPECT_EQ(back, f.node) << "n=" << n << " formula " << i;
                m.FreeNode(back);
            }
            m.FreeNode(mcs);
            m.FreeNode(f.node);
        }
    }
}

// A cache of one record forgets every result at once, so only the memo of
// the call stands between the descent and a re-expansion of every path: the
// BDDs of "at least 2 of 40" and of the parity of 40 variables have about
// 80 nodes and 2^40 paths. A collection in the middle of the call (a store
// full of dead nodes under a budget of a few pages) must empty the memo
// with the cache and leave the result right.
TEST_F(BDDOperationsTest, MinimalCutsetsExpandEachNodeOnceWhateverTheCache) {
    const int n = 40;
    for (bool parity : {false, true}) {
        const int budget = parity ? 512 : 0;
        KEFOBDDManager m;
        m.ResizeCache(1);
        if (budget != 0) {
            m.SetSizeOfPages(64);
            m.SetUniqueTableSize(budget);
        }
        CreateEntries(m, n);
        KEFOBDDNode* top = parity ? Parity(m, Range(1, n)) : AtLeastTwo(m, 1, n);
        testing::internal::CaptureStdout();
        // Dead products fill the store, so that the call must collect.
        for (int i = 1; budget != 0 && (m.GetNumberOfNodesInUniqueTable() < budget ||
                                        m.GetNumberOfActiveNodesInUniqueTable() < budget - 16);
             ++i) {
            KEFOBDDNode* a = m.BuildPositiveLiteral(i % n + 1);
            KEFOBDDNode* b = m.BuildNegativeLiteral((i / n) % n + 1);
            KEFOBDDNode* ab = m.BuildAnd(a, b);
            for (KEFOBDDNode* dead : {a, b, ab}) m.FreeNode(dead);
        }
        testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        KEFOBDDNode* mcs = m.BuildMinimalCutsets(top);
        const std::string printed = testing::internal::GetCapturedStdout();
        if (budget != 0) {
            EXPECT_NE(printed.find("Launch garbage collection"), std::string::npos);
        }
        // The odd sets are minimal as singletons; the threshold's as pairs.
        const int order = parity ? 1 : 2;
        EXPECT_EQ(m.ComputeNumberOfProducts(mcs), parity ? n : n * (n - 1) / 2.0);
        EXPECT_EQ(m.ComputeLowestOrderOfMinimalCutsets(mcs), order);
        EXPECT_EQ(m.ComputeHighestOrderOfMinimalCutsets(mcs), order);
        for (KEFOBDDNode* held : {mcs, top}) m.FreeNode(held);
    }
}

// The parity of 40 variables and the parity of its odd-numbered ones, two
// nodes a level each: And and Or of them meet a few hundred pairs of nodes,
// over 2^40 paths. With a cache of one record the recursion forgot every
// pair and walked the paths; the memo the call switches on at its first
// check of the counts, at most twice 65536 expansions in, keeps each pair's
// result.
TEST_F(BDDOperationsTest, AndAndOrFinishWhenTheCacheForgetsEveryPair) {
    auto odds = [](int n) {
        std::vector<int> v;
        for (int i = 1; i <= n; i += 2) v.push_back(i);
        return v;
    };
    const int n = 40;
    KEFOBDDManager reference;
    CreateEntries(reference, n);
    KEFOBDDNode* p = Parity(reference, Range(1, n));
    KEFOBDDNode* q = Parity(reference, odds(n));
    KEFOBDDNode* expectedAnd = reference.BuildAnd(p, q);
    KEFOBDDNode* expectedOr = reference.BuildOr(p, q);
    KEFOBDDManager m;
    m.ResizeCache(1);
    CreateEntries(m, n);
    KEFOBDDNode* mp = Parity(m, Range(1, n));
    KEFOBDDNode* mq = Parity(m, odds(n));
    for (int i = 1; i <= n; ++i) {
        m.SetProbability(i, 0.1 + 0.02 * (i % 7));
        reference.SetProbability(i, 0.1 + 0.02 * (i % 7));
    }
    for (bool isAnd : {true, false}) {
        const long before = m.GetNumberOfExpansions();
        KEFOBDDNode* r = isAnd ? m.BuildAnd(mp, mq) : m.BuildOr(mp, mq);
        EXPECT_LT(m.GetNumberOfExpansions() - before, 2 * 65536 + 1000) << (isAnd ? "and" : "or");
        KEFOBDDNode* expected = isAnd ? expectedAnd : expectedOr;
        EXPECT_EQ(m.ComputeSizeOfDiagram(r), reference.ComputeSizeOfDiagram(expected));
        EXPECT_EQ(m.ComputeProbability(r), reference.ComputeProbability(expected));
        m.FreeNode(r);
    }
    for (KEFOBDDNode* held : {mp, mq}) m.FreeNode(held);
    for (KEFOBDDNode* held : {p, q, expectedAnd, expectedOr}) reference.FreeNode(held);

    // A memo that cannot get memory leaves the call to the cache: the result
    // is the same, only longer to come (the memo's first allocation fails,
    // and the 2^20 paths below 20 variables are walked).
    KEFOBDDManager small;
    small.ResizeCache(1);
    CreateEntries(small, 20);
    p = Parity(small, Range(1, 20));
    q = Parity(small, odds(20));
    const long before = small.GetNumberOfExpansions();
    PLOVMemoryManager::SetAllocationFailureCountdown(0);
    KEFOBDDNode* r = small.BuildAnd(p, q);
    PLOVMemoryManager::SetAllocationFailureCountdown(-1);
    EXPECT_GT(small.GetNumberOfExpansions() - before, 2 * 65536 + 1000);
    // Both odd: the even-numbered variables have an even parity.
    for (int i = 1; i <= 20; ++i) small.SetProbability(i, 0.5);
    EXPECT_EQ(small.ComputeProbability(r), 0.25);
    for (KEFOBDDNode* held : {r, p, q}) small.FreeNode(held);
}

// In a store so small that operations often collect garbage or run out of
// nodes on their way, the nodes an operation has made and not yet chained
// into their hash table are neither lost nor reclaimed twice.
TEST_F(BDDOperationsTest, CollectionsDuringOperationsKeepTheHashTablesWhole) {
    const int n = 9;
    KEFOBDDManager::SetDefaultSizeOfPages(32);
    KEFOBDDManager::SetDefaultUniqueTableSize(192);
    KEFOBDDManager m;
    CreateEntries(m, n);
    FormulaGenerator generator(m, n, 23);
    std::size_t collections = 0;
    int overflows = 0;
    for (int i = 0; i < 2000; ++i) {
        testing::internal::CaptureStdout();
        // A formula whose diagrams outgrow the store ends its call with the
        // memory overflow; the nodes made so far stay where they belong.
        try {
            Formula f = generator.Random(5, i % 2 == 0);
            try {
                KEFOBDDNode* mcs = m.BuildMinimalCutsets(f.node);
                EXPECT_EQ(FamilyOf(m, mcs, n), Minimal(f.table, n)) << "formula " << i;
                EXPECT_EQ(TableOf(m, f.node, n), f.table) << "formula " << i;  // the operand survived
                m.FreeNode(mcs);
            } catch (const PLOVException& e) {
                EXPECT_EQ(e.GetKind(), PLOVException::MemoryOverflow);
                ++overflows;
            }
            m.FreeNode(f.node);
        } catch (const PLOVException& e) {
            EXPECT_EQ(e.GetKind(), PLOVException::MemoryOverflow);
            ++overflows;
        }
        const std::string printed = testing::internal::GetCapturedStdout();
        for (std::size_t at = printed.find("Launch garbage collection"); at != std::string::npos;
             at = printed.find("Launch garbage collection", at + 1))
            ++collections;
    }
    EXPECT_GT(collections, 100u);
    EXPECT_LT(overflows, 100);
    ExpectHashTablesWhole(m, n);
}

TEST_F(BDDOperationsTest, BDDFromZBDDOfAnyFamilyIsItsCanonicalMonotoneClosure) {
    const int n = 7;
    KEFOBDDManager m;
    CreateEntries(m, n);
    FormulaGenerator generator(m, n, 11);
    for (int i = 0; i < 60; ++i) {
        // Families that are not antichains too (they contain supersets).
        Family family = generator.RandomFamily(i % 3 == 0 ? 0.02 : 0.2);
        KEFOBDDNode* F = BuildFamily(m, family, n);
        KEFOBDDNode* b = m.BuildBDDFromZBDD(F);
        KEFOBDDNode* canonical = BuildTable(m, AnySubset(family, n), n);
        EXPECT_EQ(b, canonical);
        for (KEFOBDDNode* x : {F, b, canonical}) m.FreeNode(x);
    }
}

// Without removes the products of the first family that contain a product
// of the second; Union is the set union up to products absorbed by the
// empty product; Extension adds a variable to every product.
TEST_F(BDDOperationsTest, FamilyOperationsAgreeWithExplicitSets) {
    for (int n : {3, 6, 10}) {
        KEFOBDDManager m;
        CreateEntries(m, n);
        FormulaGenerator generator(m, n, 40 + n);
        for (int i = 0; i < 100; ++i) {
            SCOPED_TRACE("n=" + std::to_string(n) + " case " + std::to_string(i));
            // The empty family and the empty product first.
            Family f = i < 2 ? Family(std::size_t(1) << n, false) : generator.RandomFamily(i % 2 ? 0.3 : 0.05);
            if (i == 1) f[0] = true;
            Family g = generator.RandomFamily(i % 3 ? 0.08 : 0.01);
            if (i % 2 == 0) f = Minimal(f, n);
            if (i % 4 != 1) g = Minimal(g, n);
            KEFOBDDNode* F = BuildFamily(m, f, n);
            KEFOBDDNode* G = BuildFamily(m, g, n);
            // Without, against an antichain.
            const Family antichain = Minimal(g, n);
            KEFOBDDNode* A = BuildFamily(m, antichain, n);
            KEFOBDDNode* w = m.BuildWithout(F, A);
            const std::vector<bool> covered = AnySubset(antichain, n);
            Family expected(f.size());
            for (std::size_t p = 0; p < f.size(); ++p) expected[p] = f[p] && !covered[p];
            EXPECT_EQ(FamilyOf(m, w, n), expected);
            // Union, both ways.
            KEFOBDDNode* u = m.BuildUnion(F, G);
            KEFOBDDNode* v = m.BuildUnion(G, F);
            EXPECT_EQ(u, v);
            Family both(f.size());
            for (std::size_t p = 0; p < f.size(); ++p) both[p] = f[p] || g[p];
            Family got = FamilyOf(m, u, n);
            if (IsAntichain(both, n)) {
                EXPECT_EQ(got, both);
            } else {
                // Only non-minimal products may be dropped.
                EXPECT_EQ(Minimal(got, n), Minimal(both, n));
                for (std::size_t p = 0; p < f.size(); ++p) EXPECT_TRUE(!got[p] || both[p]);
            }
            // Extension by a variable that the family may or may not hold.
            const int x = 1 + i % n;
            const std::uint32_t bit = 1u << (x - 1);
            const bool withoutX = i % 3 != 0;
            Family h = f;
            if (withoutX)
                for (std::size_t p = 0; p < h.size(); ++p)
                    if (p & bit) h[p] = false;
            KEFOBDDNode* H = BuildFamily(m, h, n);
            KEFOBDDNode* e = m.BuildExtension(H, x);
            Family extended(h.size());
            for (std::size_t p = 0; p < h.size(); ++p)
                if (h[p]) extended[p | bit] = true;
            got = FamilyOf(m, e, n);
            if (withoutX) {
                EXPECT_EQ(got, extended);
            } else {
                // Products that gain nothing may merge with those that gain
                // x; the minimal products are kept exactly.
                EXPECT_EQ(Minimal(got, n), Minimal(extended, n));
                for (std::size_t p = 0; p < h.size(); ++p) EXPECT_TRUE(!got[p] || extended[p]);
            }
            for (KEFOBDDNode* node : {F, G, A, w, u, v, H, e}) m.FreeNode(node);
        }
    }
}

TEST_F(BDDOperationsTest, DeepDiagramsOfOneHundredThousandVariables) {
    // Every descent runs on the explicit stack: chains as deep as the
    // number of variables must not reach the machine stack's limits.
    const int n = 100000;
    KEFOBDDManager::SetDefaultMinimumSizeOfHashTables(4);
    KEFOBDDManager m;
    m.SetSizeOfEntryTable(n + 2);
    for (int i = 1; i <= n; ++i) m.SetProbability(i, 1e-3);
    // f = x1 or x3 or ..., g = x2 or x4 or ..., each a chain through else-sons.
    KEFOBDDNode* f = m.NewLeafZero();
    KEFOBDDNode* g = m.NewLeafZero();
    for (int i = n; i >= 1; --i) {
        KEFOBDDNode*& acc = (i % 2) ? f : g;
        KEFOBDDNode* x = m.BuildPositiveLiteral(i);
        KEFOBDDNode* r = m.BuildOr(x, acc);
        m.FreeNode(x);
        m.FreeNode(acc);
        acc = r;
    }
    KEFOBDDNode* fg = m.BuildAnd(f, g);
    EXPECT_EQ(m.ComputeSizeOfDiagram(fg), (2 * n - 2) + 2);  // n - 1 nodes wanting both, n - 1 wanting one
    KEFOBDDNode* nfg = m.BuildNot(fg);
    KEFOBDDNode* back = m.BuildNot(nfg);
    EXPECT_EQ(back, fg);
    KEFOBDDNode* mcs = m.BuildMinimalCutsets(fg);
    EXPECT_DOUBLE_EQ(m.ComputeNumberOfProducts(mcs), 0.25 * n * n);
    EXPECT_EQ(m.ComputeHighestOrderOfMinimalCutsets(mcs), 2);
    EXPECT_EQ(m.ComputeLowestOrderOfMinimalCutsets(mcs), 2);
    KEFOBDDNode* bdd = m.BuildBDDFromZBDD(mcs);
    EXPECT_EQ(bdd, fg);
    const double q = 1.0 - std::pow(1.0 - 1e-3, n / 2);
    EXPECT_NEAR(m.ComputeProbability(fg), q * q, 1e-3 * q * q);
    EXPECT_NEAR(m.ComputeRareEventApproximation(mcs), 1.0, 0.0);
    m.SetWeights(1.0);
    KEFOBDDNode* w = m.BuildWeightedMinimalCutsets(fg, 2.0);
    EXPECT_EQ(w, mcs);
    KEFOBDDNode* w1 = m.BuildWeightedBDD(fg, 1.0);
    EXPECT_EQ(w1, m.NewLeafZero());
    // One dump line per node: the n / 2 of f and the two leaves.
    const std::string dump = Printed([&](FILE* file) { m.DumpBDD(f, file); });
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), n / 2 + 2);
    for (KEFOBDDNode* x : {f, g, fg, nfg, back, mcs, bdd, w, w1}) m.FreeNode(x);
    Collect(m);
    EXPECT_EQ(m.GetNumberOfActiveNodesInUniqueTable(), 2);
}

}  // namespace
