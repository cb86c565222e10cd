// Weighted (truncated) constructions against brute-force readings of the
// budget rule: a path keeps its function value while the weights of the
// variables it takes true, among those its descent visits, fit the budget.
#include "diagrams/bdd_manager.h"
#include "diagrams/bdd_test_helpers.h"

#include <gtest/gtest.h>

#include <vector>

using namespace bddtest;

namespace {

class BDDWeightedTest : public ::testing::Test {
protected:
    void SetUp() override { KEFOBDDManager::RestoreDefaults(); }
};

// The variables a BDD's path visits under an assignment, as a mask.
std::uint32_t PathVariables(const KEFOBDDManager& m, const KEFOBDDNode* f, std::uint32_t assignment) {
    std::uint32_t visited = 0;
    while (m.IsInternalNode(f)) {
        const int i = f->GetIndex();
        visited |= 1u << (i - 1);
        f = ((assignment >> (i - 1)) & 1u) ? f->GetThenSon() : f->GetElseSon();
    }
    return visited;
}

double WeightOf(std::uint32_t mask, const std::vector<double>& w) {
    double total = 0.0;
    for (std::size_t i = 0; i + 1 < w.size(); ++i)
        if ((mask >> i) & 1u) total += w[i + 1];
    return total;
}

// Fractional weights and budgets are those of probability cutoffs: calls on
// the same nodes then come with budgets of the same ceiling that keep
// different products, and must not answer each other.
TEST_F(BDDWeightedTest, WeightedConstructionsAreExactWithIntegerAndFractionalWeights) {
    for (bool fractional : {false, true})
    for (int n : {3, 6, 10}) {
        SCOPED_TRACE(fractional ? "fractional weights" : "integer weights");
        KEFOBDDManager m;
        CreateEntries(m, n);
        FormulaGenerator generator(m, n, 2000 + n);
        std::mt19937& random = generator.Engine();
        for (int i = 0; i < 80; ++i) {
            std::vector<double> w(n + 1, 0.0);
            for (int v = 1; v <= n; ++v) {
                w[v] = fractional ? std::uniform_real_distribution<double>(0.0, 2.0)(random)
                                  : std::uniform_int_distribution<int>(0, 2)(random);
                m.SetWeight(v, w[v]);
            }
            const double budget = fractional ? std::uniform_real_distribution<double>(0.0, 4.0)(random)
                                             : std::uniform_int_distribution<int>(0, 4)(random);
            Formula f = generator.Random(5);
            Formula g = generator.Random(5);
            Formula h = generator.Random(5);
            KEFOBDDNode* wb = m.BuildWeightedBDD(f.node, budget);
            KEFOBDDNode* wa = m.BuildWeightedAnd(f.node, g.node, budget);
            KEFOBDDNode* wn = m.BuildWeightedNot(f.node, budget);
            KEFOBDDNode* wi = m.BuildWeightedIfThenElse(f.node, g.node, h.node, budget);
            for (std::uint32_t a = 0; a < (1u << n); ++a) {
                const double wf = WeightOf(a & PathVariables(m, f.node, a), w);
                EXPECT_EQ(Evaluate(m, wb, a), f.table[a] && wf <= budget);
                EXPECT_EQ(Evaluate(m, wn, a), !f.table[a] && wf <= budget);
                const std::uint32_t fg = PathVariables(m, f.node, a) | PathVariables(m, g.node, a);
                EXPECT_EQ(Evaluate(m, wa, a), f.table[a] && g.table[a] && WeightOf(a & fg, w) <= budget);
                const std::uint32_t nh = PathVariables(m, wn, a) | PathVariables(m, h.node, a);
                const bool first = f.table[a] && g.table[a] && WeightOf(a & fg, w) <= budget;
                const bool second = Evaluate(m, wn, a) && h.table[a] && WeightOf(a & nh, w) <= budget;
                EXPECT_EQ(Evaluate(m, wi, a), first || second);
            }
            // Minimal cutsets of the paths that fit the budget.
            KEFOBDDNode* wm = m.BuildWeightedMinimalCutsets(f.node, budget);
            Family fitting(std::size_t(1) << n);
            std::function<void(const KEFOBDDNode*, std::uint32_t)> walk = [&](const KEFOBDDNode* x,
                                                                                std::uint32_t mask) {
                if (m.IsLeafOne(x)) {
                    if (WeightOf(mask, w) <= budget) fitting[mask] = true;
                    return;
                }
                if (m.IsLeafZero(x)) return;
                walk(x->GetThenSon(), mask | (1u << (x->GetIndex() - 1)));
                walk(x->GetElseSon(), mask);
            };
            walk(f.node, 0);
            EXPECT_EQ(FamilyOf(m, wm, n), Minimal(fitting, n)) << "n=" << n << " case " << i;
            for (KEFOBDDNode* x : {wb, wa, wn, wi, wm, f.node, g.node, h.node}) m.FreeNode(x);
        }
    }
}

TEST_F(BDDWeightedTest, BudgetRulesAtTheEdges) {
    KEFOBDDManager m;
    CreateEntries(m, 4);
    m.SetWeights(1.0);
    m.SetWeight(2, 0.0);
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    KEFOBDDNode* y = m.BuildPositiveLiteral(3);
    KEFOBDDNode* f = m.BuildOr(x, y);
    // Negative budgets give Zero everywhere, leaves included.
    EXPECT_EQ(m.BuildWeightedBDD(m.NewLeafOne(), -0.5), m.NewLeafZero());
    EXPECT_EQ(m.BuildWeightedNot(m.NewLeafZero(), -1.0), m.NewLeafZero());
    EXPECT_EQ(m.BuildWeightedAnd(f, f, -1.0), m.NewLeafZero());
    EXPECT_EQ(m.BuildWeightedMinimalCutsets(f, -1.0), m.NewLeafEmptySet());
    EXPECT_EQ(m.BuildWeightedNegativeLiteral(1, -1.0), m.NewLeafZero());
    EXPECT_EQ(m.BuildWeightedPositiveLiteral(1, 0.5), m.NewLeafZero());
    KEFOBDDNode* free = m.BuildWeightedPositiveLiteral(2, 0.0);  // weighs nothing
    EXPECT_EQ(m.GetIndex(free), 2);
    KEFOBDDNode* positive = m.BuildWeightedPositiveLiteral(1, 1.0);
    EXPECT_EQ(positive, x);
    KEFOBDDNode* negative = m.BuildWeightedNegativeLiteral(1, 0.0);
    KEFOBDDNode* nx = m.BuildNegativeLiteral(1);
    EXPECT_EQ(negative, nx);
    // A budget below every weight keeps only the paths with no then-edge.
    EXPECT_EQ(m.BuildWeightedBDD(f, 0.5), m.NewLeafZero());
    KEFOBDDNode* nf = m.BuildNot(f);
    KEFOBDDNode* wnf = m.BuildWeightedBDD(nf, 0.5);
    EXPECT_EQ(wnf, nf);
    // A weighted disjunction is the plain one.
    KEFOBDDNode* wo = m.BuildWeightedOr(x, y, 0.0);
    EXPECT_EQ(wo, f);
    for (KEFOBDDNode* n : {x, y, f, free, positive, negative, nx, nf, wnf, wo}) m.FreeNode(n);
}

TEST_F(BDDWeightedTest, BudgetsOfOneCeilingShareARecordOnlyWhereTheyKeepTheSameProducts) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    m.SetWeight(1, 1.5);
    m.SetWeight(2, 0.25);
    KEFOBDDNode* x = m.BuildPositiveLiteral(1);
    KEFOBDDNode* y = m.BuildPositiveLiteral(2);
    KEFOBDDNode* f = m.BuildAnd(x, y);
    // 1.2 cannot afford x (1.5), 1.7 can: one ceiling, two answers, in
    // either order.
    EXPECT_EQ(m.BuildWeightedBDD(x, 1.2), m.NewLeafZero());
    KEFOBDDNode* kept = m.BuildWeightedBDD(x, 1.7);
    EXPECT_EQ(kept, x);
    EXPECT_EQ(m.BuildWeightedBDD(x, 1.2), m.NewLeafZero());
    // x and y weigh 1.75 together: the record made for 1.8 answers 1.9,
    // which keeps the same product; 1.6 keeps none of it.
    KEFOBDDNode* both = m.BuildWeightedMinimalCutsets(f, 1.8);
    const int recorded = m.GetNumberOfRecordedOperationsInCache();
    KEFOBDDNode* again = m.BuildWeightedMinimalCutsets(f, 1.9);
    EXPECT_EQ(again, both);
    EXPECT_EQ(m.GetNumberOfRecordedOperationsInCache(), recorded);
    EXPECT_EQ(m.BuildWeightedMinimalCutsets(f, 1.6), m.NewLeafEmptySet());
    for (KEFOBDDNode* n : {x, y, f, kept, both, again}) m.FreeNode(n);
}

TEST_F(BDDWeightedTest, NewWeightsAreNeverAnsweredByRecordsMadeUnderOldOnes) {
    KEFOBDDManager m;
    CreateEntries(m, 3);
    m.SetWeights(1.0);
    KEFOBDDNode* a = m.BuildPositiveLiteral(1);
    KEFOBDDNode* b = m.BuildPositiveLiteral(2);
    KEFOBDDNode* ab = m.BuildAnd(a, b);
    KEFOBDDNode* kept = m.BuildWeightedBDD(ab, 2.0);
    EXPECT_EQ(kept, ab);
    KEFOBDDNode* mcs = m.BuildWeightedMinimalCutsets(ab, 2.0);
    EXPECT_EQ(m.ComputeNumberOfProducts(mcs), 1.0);
    // The same nodes and budget under heavier weights: nothing fits.
    m.SetWeight(2, 1.5);
    EXPECT_EQ(m.BuildWeightedBDD(ab, 2.0), m.NewLeafZero());
    EXPECT_EQ(m.BuildWeightedMinimalCutsets(ab, 2.0), m.NewLeafEmptySet());
    m.SetProbability(1, 0.01);
    m.SetProbability(2, 0.1);
    m.ComputeWeightsFromProbabilities(10.0);  // weights 2 and 1
    KEFOBDDNode* fits = m.BuildWeightedAnd(a, b, 3.0);
    EXPECT_EQ(fits, ab);
    EXPECT_EQ(m.BuildWeightedAnd(a, b, 0.5), m.NewLeafZero());
    for (KEFOBDDNode* n : {a, b, ab, kept, mcs, fits}) m.FreeNode(n);
}

TEST_F(BDDWeightedTest, FractionalWeightsNeverAddToTheFunction) {
    const int n = 8;
    KEFOBDDManager m;
    CreateEntries(m, n);
    FormulaGenerator generator(m, n, 31337);
    std::mt19937& random = generator.Engine();
    for (int i = 0; i < 60; ++i) {
        for (int v = 1; v <= n; ++v) m.SetWeight(v, std::uniform_real_distribution<double>(0.0, 3.0)(random));
        const double budget = std::uniform_real_distribution<double>(0.0, 6.0)(random);
        Formula f = generator.Random(6);
        KEFOBDDNode* wb = m.BuildWeightedBDD(f.node, budget);
        for (std::uint32_t a = 0; a < (1u << n); ++a) {
            if (Evaluate(m, wb, a)) {
                EXPECT_TRUE(f.table[a]);
            }
        }
        KEFOBDDNode* wm = m.BuildWeightedMinimalCutsets(f.node, budget);
        KEFOBDDNode* all = m.BuildMinimalCutsets(f.node);
        const Family truncated = FamilyOf(m, wm, n);
        const std::vector<bool> covered = AnySubset(FamilyOf(m, all, n), n);
        for (std::size_t q = 0; q < truncated.size(); ++q) {
            if (truncated[q]) {
                EXPECT_TRUE(covered[q]);
            }
        }
        for (KEFOBDDNode* x : {wb, wm, all, f.node}) m.FreeNode(x);
    }
}

}  // namespace
