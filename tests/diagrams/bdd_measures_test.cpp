// Counting measures and probability recursions against brute-force
// computations over explicit families and truth tables.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"
#include "support/memory_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <vector>

using namespace bddtest;

namespace {

class BDDMeasuresTest : public ::testing::Test {
protected:
    void SetUp() override { KEFOBDDManager::RestoreDefaults(); }
};

int CountReachable(const KEFOBDDManager& m, const KEFOBDDNode* f) {
    std::set<const KEFOBDDNode*> seen;
    std::vector<const KEFOBDDNode*> todo{f};
    while (!todo.empty()) {
        const KEFOBDDNode* g = todo.back();
        todo.pop_back();
        if (!seen.insert(g).second) continue;
        if (m.IsInternalNode(g)) {
            todo.push_back(g->GetThenSon());
            todo.push_back(g->GetElseSon());
        }
    }
    return static_cast<int>(seen.size());
}

double CountPaths(const KEFOBDDManager& m, const KEFOBDDNode* f) {
    if (m.IsLeafOne(f)) return 1.0;
    if (m.IsLeafZero(f)) return 0.0;
    return CountPaths(m, f->GetThenSon()) + CountPaths(m, f->GetElseSon());
}

double ProductProbability(std::uint32_t mask, const std::vector<double>& p) {
    double x = 1.0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i)
        if ((mask >> i) & 1u) x *= p[i + 1];
    return x;
}

// The pivotal upper bound by its decomposition on the smallest variable
// occurring in the family, on explicit sets.
double PivotalBound(const std::vector<std::uint32_t>& family, const std::vector<double>& p) {
    if (family.empty()) return 0.0;
    std::uint32_t all = 0;
    for (std::uint32_t q : family) all |= q;
    if (all == 0) return 1.0;
    int x = 0;
    while (!((all >> x) & 1u)) ++x;
    std::vector<std::uint32_t> with, without;
    for (std::uint32_t q : family) {
        if ((q >> x) & 1u)
            with.push_back(q & ~(1u << x));
        else
            without.push_back(q);
    }
    const double a = p[x + 1] * PivotalBound(with, p);
    const double b = PivotalBound(without, p);
    return a + b - a * b;
}

std::vector<std::uint32_t> Members(const Family& f) {
    std::vector<std::uint32_t> members;
    for (std::size_t m = 0; m < f.size(); ++m)
        if (f[m]) members.push_back(static_cast<std::uint32_t>(m));
    return members;
}

bool Near(double got, double expected) { return std::fabs(got - expected) <= 2e-6 + 2e-5 * std::fabs(expected); }

TEST_F(BDDMeasuresTest, MeasuresAndProbabilitiesAgreeWithExplicitFamiliesAndBruteForce) {
    for (int n : {2, 7, 11}) {
        KEFOBDDManager m;
        CreateEntries(m, n);
        // The occurrences name the model variable of an index that has one.
        KEFOVariable* named = reinterpret_cast<KEFOVariable*>(&m);
        m.SetModelVariable(2, named);
        FormulaGenerator generator(m, n, 500 + n);
        std::mt19937& random = generator.Engine();
        for (int i = 0; i < 80; ++i) {
            std::vector<double> p(n + 1, 0.0);
            for (int v = 1; v <= n; ++v) {
                const int kind = std::uniform_int_distribution<int>(0, 5)(random);
                p[v] = kind == 0 ? 0.0 : (kind == 1 ? 1.0 : std::uniform_real_distribution<double>(0.0, 0.6)(random));
                m.SetProbability(v, p[v]);
            }
            // Force a few variables: that is the same as probability 1 or 0.
            std::vector<double> forced(p);
            for (int v = 1; v <= n; ++v) {
                const int code = std::uniform_int_distribution<int>(0, 7)(random);
                m.SetValue(v, code <= 1 ? code : 2);
                if (code <= 1) forced[v] = code;
            }
            // The leaves first, whose probabilities are exact.
            Formula f = i < 2 ? generator.Leaf(i == 1) : generator.Random(6);
            KEFOBDDNode* z = m.BuildMinimalCutsets(f.node);
            const Family family = FamilyOf(m, z, n);
            const std::vector<std::uint32_t> cutsets = Members(family);
            // Sizes and numbers of paths on both readings.
            EXPECT_EQ(m.ComputeSizeOfDiagram(f.node), CountReachable(m, f.node));
            EXPECT_EQ(m.ComputeSizeOfDiagram(z), CountReachable(m, z));
            // The one-walk count, twice in a row (each walk has its own
            // stamp), and again below once the cells hold probabilities.
            EXPECT_EQ(m.EstimateSizeOfDiagram(f.node), CountReachable(m, f.node));
            EXPECT_EQ(m.EstimateSizeOfDiagram(f.node), CountReachable(m, f.node));
            EXPECT_EQ(m.EstimateSizeOfDiagram(z), CountReachable(m, z));
            EXPECT_EQ(m.ComputeNumberOfProducts(f.node), CountPaths(m, f.node));
            EXPECT_EQ(m.ComputeNumberOfProducts(z), static_cast<double>(cutsets.size()));
            std::vector<int> byOrder(n + 1, 0);
            std::vector<int> occurrences(n + 1, 0);
            double literals = 0;
            int lowest = -1, highest = -1;
            for (std::uint32_t q : cutsets) {
                const int order = PopCount(q);
                ++byOrder[order];
                literals += order;
                lowest = lowest < 0 ? order : std::min(lowest, order);
                highest = std::max(highest, order);
                for (int v = 1; v <= n; ++v)
                    if ((q >> (v - 1)) & 1u) ++occurrences[v];
            }
            EXPECT_EQ(m.ComputeSizeOfSumOfProducts(z), literals);
            EXPECT_EQ(m.ComputeLowestOrderOfMinimalCutsets(z), lowest);
            EXPECT_EQ(m.ComputeHighestOrderOfMinimalCutsets(z), highest);
            int* counts = nullptr;
            int high = 0, total = 0;
            m.ComputeOrdersOfMinimalCutsets(z, counts, high, total);
            EXPECT_EQ(high, highest);
            EXPECT_EQ(total, static_cast<int>(cutsets.size()));
            if (highest >= 0) {
                ASSERT_NE(counts, nullptr);
                for (int k = 0; k <= highest; ++k) EXPECT_EQ(counts[k], byOrder[k]) << "order " << k;
                PLOVMemoryManager::DeleteCell(counts);
            } else {
                EXPECT_EQ(counts, nullptr);
            }
            KEFOVariable** variables = nullptr;
            int* occ = nullptr;
            int highestIndex = 0;
            m.ComputeNumbersOfOccurrencesOfVariablesInMinimalCutsets(z, variables, occ, highestIndex);
            EXPECT_EQ(highestIndex, n);
            for (int v = 0; v <= n; ++v) {
                EXPECT_EQ(occ[v], occurrences[v]) << "variable " << v;
                EXPECT_EQ(variables[v], v == 2 ? named : nullptr);
            }
            PLOVMemoryManager::DeleteCell(variables);
            PLOVMemoryManager::DeleteCell(occ);
            // The probabilities.
            auto agrees = [&](double got, double expected) { return i < 2 ? got == expected : Near(got, expected); };
            double exact = i == 1 ? 1.0 : 0.0;
            for (std::size_t a = 0; a < f.table.size(); ++a) {
                if (!f.table[a] || i < 2) continue;
                double x = 1.0;
                for (int v = 1; v <= n; ++v) x *= ((a >> (v - 1)) & 1u) ? forced[v] : 1.0 - forced[v];
                exact += x;
            }
            EXPECT_TRUE(agrees(m.ComputeProbability(f.node), exact)) << m.ComputeProbability(f.node) << " vs " << exact;
            double rea = 0.0, q = 1.0, highestProbability = 0.0;
            for (std::uint32_t c : cutsets) {
                const double pc = ProductProbability(c, forced);
                rea += pc;
                q *= 1.0 - pc;
                highestProbability = std::max(highestProbability, ProductProbability(c, p));
            }
            EXPECT_TRUE(agrees(m.ComputeRareEventApproximation(z), std::min(rea, 1.0)));
            EXPECT_TRUE(agrees(m.ComputeMincutUpperBound(z), 1.0 - q));
            EXPECT_TRUE(agrees(m.ComputePivotalUpperBound(z), std::min(1.0, PivotalBound(cutsets, forced))));
            // The highest cutset probability reads no value code.
            EXPECT_TRUE(agrees(m.ComputeHighestMinimalCutsetProbability(z), highestProbability));
            // Methods in turn on one diagram do not mix their memos.
            EXPECT_TRUE(agrees(m.ComputeRareEventApproximation(z), std::min(rea, 1.0)));
            EXPECT_EQ(m.EstimateSizeOfDiagram(z), CountReachable(m, z));
            EXPECT_EQ(m.EstimateSizeOfDiagram(f.node), CountReachable(m, f.node));
            for (int v = 1; v <= n; ++v) m.SetValue(v, 2);
            m.FreeNode(z);
            m.FreeNode(f.node);
        }
        EXPECT_EQ(m.ComputeSizeOfDiagram(nullptr), 0);
        EXPECT_EQ(m.EstimateSizeOfDiagram(nullptr), 0);
    }
}

TEST_F(BDDMeasuresTest, NumberOfProductsStaysExactBeyondSinglePrecision) {
    // The products of 2 of 30 variables times 2 of 30 others times 2 of 30
    // more: 435^3 = 82312875 > 2^24, which a single-precision sum rounds.
    KEFOBDDManager m;
    CreateEntries(m, 90);
    KEFOBDDNode* product = m.NewLeafOne();
    for (int block = 0; block < 3; ++block) {
        KEFOBDDNode* atLeastTwo = AtLeastTwo(m, 30 * block + 1, 30 * block + 30);
        KEFOBDDNode* next = m.BuildAnd(product, atLeastTwo);
        m.FreeNode(product);
        m.FreeNode(atLeastTwo);
        product = next;
    }
    KEFOBDDNode* z = m.BuildMinimalCutsets(product);
    EXPECT_EQ(m.ComputeNumberOfProducts(z), 82312875.0);
    EXPECT_EQ(m.ComputeSizeOfSumOfProducts(z), 6.0 * 82312875.0);
    m.FreeNode(z);
    m.FreeNode(product);
}

TEST_F(BDDMeasuresTest, OrdersOfTwoToThe31CutsetsAreCountedByOrderAndSaturate) {
    // Every subset of 31 events: 31 nodes whose two sons are the same, 2^31
    // products, C(31, k) of order k. The total, above INT_MAX, saturates;
    // the counts by order (at most C(31, 15) = 300540195) are exact. A walk
    // of every path would take seconds; rows of counts per node take none.
    const int n = 31;
    KEFOBDDManager m;
    CreateEntries(m, n);
    KEFOBDDNode* family = m.NewLeafOne();
    for (int i = n; i >= 1; --i) {
        KEFOBDDNode* next = m.NewZBDDNode(i, family, family);
        m.FreeNode(family);
        family = next;
    }
    int* counts = nullptr;
    int highest = 0, total = 0;
    m.ComputeOrdersOfMinimalCutsets(family, counts, highest, total);
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(highest, n);
    EXPECT_EQ(total, INT_MAX);
    long long binomial = 1;
    for (int k = 0; k <= n; ++k) {
        EXPECT_EQ(counts[k], binomial) << "order " << k;
        binomial = binomial * (n - k) / (k + 1);
    }
    PLOVMemoryManager::DeleteCell(counts);
    // The family of the empty product alone: one product, of order 0.
    m.ComputeOrdersOfMinimalCutsets(m.NewLeafOne(), counts, highest, total);
    ASSERT_NE(counts, nullptr);
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(total, 1);
    PLOVMemoryManager::DeleteCell(counts);
    m.FreeNode(family);
}

TEST_F(BDDMeasuresTest, SaturationPrecisionAndValueCodes) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    KEFOBDDNode* a = m.BuildSingleton(1);
    KEFOBDDNode* b = m.BuildSingleton(2);
    KEFOBDDNode* ab = m.BuildUnion(a, b);
    m.SetProbability(1, 0.6);
    m.SetProbability(2, 0.6);
    EXPECT_EQ(m.ComputeRareEventApproximation(ab), 1.0);
    // Single precision: the exact probability of a literal is p as a float.
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    m.SetProbability(1, 0.1);
    EXPECT_EQ(m.ComputeProbability(x), static_cast<double>(0.1f));
    // A value code outside 0..2 makes the pivotal bound of its node 0.
    m.SetValue(2, 7);
    EXPECT_NEAR(m.ComputePivotalUpperBound(ab), 0.1, 1e-7);
    m.SetValue(1, 7);
    EXPECT_EQ(m.ComputePivotalUpperBound(ab), 0.0);
    for (KEFOBDDNode* n : {a, b, ab, x}) m.FreeNode(n);
}

TEST_F(BDDMeasuresTest, ForcedValuesLeaveNoStaleMemoBehind) {
    // f = a ? (b and c) : (b or c), sharing b's sub-diagrams; forcing a true
    // makes the else side useless to the first computation, yet later ones
    // over other diagrams sharing those nodes must see fresh values.
    KEFOBDDManager m;
    CreateEntries(m, 3);
    for (int v = 1; v <= 3; ++v) m.SetProbability(v, 0.5);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    KEFOBDDNode* c = m.BuildPositiveLiteral(3);
    KEFOBDDNode* bc = m.BuildAnd(b, c);
    KEFOBDDNode* borc = m.BuildOr(b, c);
    KEFOBDDNode* f = m.BuildIfThenElse(a, bc, borc);
    const double before = m.ComputeProbability(f);
    EXPECT_NEAR(before, 0.5 * 0.25 + 0.5 * 0.75, 1e-7);
    m.SetValue(1, 1);
    EXPECT_NEAR(m.ComputeProbability(f), 0.25, 1e-7);
    m.SetValue(1, 2);
    m.SetProbability(3, 0.1);
    EXPECT_NEAR(m.ComputeProbability(borc), 0.55, 1e-7);
    EXPECT_NEAR(m.ComputeProbability(f), 0.5 * 0.05 + 0.5 * 0.55, 1e-7);
    m.SetProbability(3, 0.5);
    EXPECT_EQ(m.ComputeProbability(f), before);
    for (KEFOBDDNode* n : {a, b, c, bc, borc, f}) m.FreeNode(n);
}

TEST_F(BDDMeasuresTest, ProbabilityAndFailureIntensityOfOneCutset) {
    KEFOBDDManager m;
    m.SetProbability(1, 0.5);
    m.SetProbability(2, 0.25);
    m.SetProbability(3, 0.1);
    m.SetFailureIntensity(1, 1.0);
    m.SetFailureIntensity(2, 2.0);
    m.SetFailureIntensity(3, 3.0);
    const int cutset[] = {1, 2, 3};
    EXPECT_DOUBLE_EQ(m.ComputeProbabilityOfMinimalCutset(cutset, 3), 0.5 * 0.25 * 0.1);
    EXPECT_DOUBLE_EQ(m.ComputeFailureIntensityOfMinimalCutset(cutset, 3),
                     1.0 * 0.25 * 0.1 + 2.0 * 0.5 * 0.1 + 3.0 * 0.5 * 0.25);
    EXPECT_EQ(m.ComputeProbabilityOfMinimalCutset(cutset, 0), 1.0);
    EXPECT_EQ(m.ComputeFailureIntensityOfMinimalCutset(cutset, 0), 0.0);
    const int missing[] = {1, 9};
    EXPECT_EQ(m.ComputeProbabilityOfMinimalCutset(missing, 2), 0.0);
    struct Record {
        std::vector<int> indices;
        int GetOrder() const { return static_cast<int>(indices.size()); }
        int GetIndex(int k) const { return indices[k]; }
    } record{{2, 3}};
    EXPECT_DOUBLE_EQ(m.ComputeProbabilityOfMinimalCutset(&record), 0.025);
    EXPECT_DOUBLE_EQ(m.ComputeFailureIntensityOfMinimalCutset(&record), 2.0 * 0.1 + 3.0 * 0.25);
}

}  // namespace
