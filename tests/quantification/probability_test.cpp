// Top-event probabilities of diagram handles: the four methods, conditional
// and group probabilities with their caches, and the loading of
// distributions at a mission time.
#include "quantification/calculator.h"
#include "quantification_test_support.h"

#include "model/parameter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using quantificationtest::Products;
using quantificationtest::SumOfProducts;

namespace {

const int exact = KEFOHandle::ExactProbability;
const int rea = KEFOHandle::RareEventApproximation;
const int mcub = KEFOHandle::MincutUpperBound;
const int pub = KEFOHandle::PivotalUpperBound;

void ExpectRelative(double expected, double actual, double tolerance) {
    EXPECT_NEAR(expected, actual, tolerance * (expected > 0 ? expected : 1.0)) << "expected " << expected;
}

}  // namespace

// The methods on the handles of small families (their agreement with
// enumeration on random diagrams is the store's property test); an unknown
// method gives 0.
TEST(ProbabilityMethods, EachMethodOnTerminalsAndTwoDisjointCutsets) {
    struct Case {
        Products products;
        int method;
        double expected;
    };
    const Case cases[] = {
        {{}, exact, 0.0},   {{}, rea, 0.0},    {{}, mcub, 0.0},  {{}, pub, 0.0},       {{{}}, exact, 1.0},
        {{{}}, rea, 1.0},   {{{}}, mcub, 1.0}, {{{}}, pub, 1.0}, {{{0}, {1}}, 0, 0.0}, {{{0}, {1}}, 5, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.products.size()) + " products, method " + std::to_string(c.method));
        SumOfProducts m({0.1, 0.1}, c.products);
        EXPECT_EQ(c.expected, m.bdd->GetBDDHandle()->ComputeTopEventProbability(c.method));
        EXPECT_EQ(c.expected, m.zbdd->GetBDDHandle()->ComputeTopEventProbability(c.method));
    }
    SumOfProducts m({0.1, 0.1}, {{0}, {1}});
    KEFOBDDHandle* z = m.zbdd->GetBDDHandle();
    EXPECT_FLOAT_EQ(0.2f, static_cast<float>(z->ComputeRareEventApproximation()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(z->ComputeMincutUpperBound()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(z->ComputePivotalUpperBound()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(m.bdd->GetBDDHandle()->ComputeProbability()));
    // Through the calculator: the highest cutset of a BDD is 0.
    KEFOCalculator calculator;
    EXPECT_FLOAT_EQ(0.1f, static_cast<float>(calculator.ComputeHighestMinimalCutsetProbability(m.zbdd)));
    EXPECT_EQ(0.0, calculator.ComputeHighestMinimalCutsetProbability(m.bdd));
    EXPECT_EQ(2.0, calculator.ComputeNumberOfMinimalCutsets(m.zbdd));
    EXPECT_EQ(0.1, calculator.ComputeProbabilityOfStateVariable(m.zbdd, m.events[1]));
}

// The min-cut upper bound of cutsets far below the spacing of the doubles
// near 1 (2^-53): 1 - (1 - pi) alone would round them away or shift them
// by a few percent. Expected values from log1p, the store's probabilities
// being single-precision.
TEST(ProbabilityMethods, MincutUpperBoundOfTinyCutsets) {
    {
        // Three cutsets of two events at 1e-10: about 3e-20, not 0.
        SumOfProducts m(std::vector<double>(6, 1e-10), {{0, 1}, {2, 3}, {4, 5}});
        const double p = static_cast<double>(static_cast<float>(1e-10));
        const double expected = -std::expm1(3.0 * std::log1p(-p * p));
        ExpectRelative(expected, m.zbdd->GetBDDHandle()->ComputeMincutUpperBound(), 1e-12);
    }
    {
        // 2,000 single events at 1.5e-15: the bound stays below the
        // rare-event sum, within its second-order term.
        const int n = 2000;
        Products products;
        for (int i = 0; i < n; ++i) products.push_back({i});
        SumOfProducts m(std::vector<double>(n, 1.5e-15), products);
        const double p = static_cast<double>(static_cast<float>(1.5e-15));
        const double expected = -std::expm1(n * std::log1p(-p));
        const double bound = m.zbdd->GetBDDHandle()->ComputeMincutUpperBound();
        ExpectRelative(expected, bound, 1e-12);
        EXPECT_LE(bound, n * p);
    }
}

TEST(ConditionalProbability, ForcingOneEventLeavesTheTopProbabilityUnchanged) {
    // top = e0 + e1 e2.
    SumOfProducts m({0.1, 0.2, 0.3}, {{0}, {1, 2}});
    for (KEFOHandle* handle : {m.bdd, m.zbdd}) {
        handle->SetQuantificationMethod(mcub);
        handle->ResetProbabilisticIndicatorsOfVariables();
        m.LoadProbabilities();
        const double before = handle->GetBDDHandle()->ComputeTopEventProbability(handle->GetQuantificationMethod());
        ExpectRelative(1.0, handle->ComputeConditionalProbabilityOfStateVariable(m.events[0], true), 1e-6);
        ExpectRelative(0.06, handle->ComputeConditionalProbabilityOfStateVariable(m.events[0], false), 1e-6);
        const double one = handle->ComputeConditionalProbabilityOfStateVariable(m.events[1], true);
        ExpectRelative(handle->IsBDDHandle() ? 0.1 + 0.9 * 0.3 : 1 - 0.9 * 0.7, one, 1e-6);
        EXPECT_EQ(one, m.events[1]->GetConditionalProbability(true));
        EXPECT_EQ(before, handle->GetBDDHandle()->ComputeTopEventProbability(handle->GetQuantificationMethod()));
        for (int i = 1; i <= 3; ++i) EXPECT_EQ(KEFOBDDEntry::Unknown, m.manager->GetValue(i));
    }
    // A cached indicator is answered as it stands; a forced value in place is
    // restored, not freed.
    m.events[0]->SetConditionalProbability(true, 0.75);
    EXPECT_EQ(0.75, m.bdd->ComputeConditionalProbabilityOfStateVariable(m.events[0], true));
    m.manager->SetValue(2, KEFOBDDEntry::False);
    m.bdd->ComputeConditionalProbabilityOfStateVariable(m.events[1], true);
    EXPECT_EQ(KEFOBDDEntry::False, m.manager->GetValue(2));
}

TEST(GroupProbability, ProductsAndConditionalsOfAGroupWithCaches) {
    // top = e0 e1 + e2.
    SumOfProducts m({0.1, 0.2, 0.3}, {{0, 1}, {2}});
    std::vector<KEFOVariable*> group{m.events[0], m.events[1]};
    KEFOHandle* h = m.bdd;
    h->ResetProbabilisticIndicatorsOfGroupOfStateVariables(group);
    ExpectRelative(0.02, h->ComputeProbabilityOfGroupOfStateVariables(group, true), 1e-12);
    ExpectRelative(0.72, h->ComputeProbabilityOfGroupOfStateVariables(group, false), 1e-12);
    ExpectRelative(1.0, h->ComputeConditionalProbabilityOfGroupOfStateVariables(group, true), 1e-6);
    ExpectRelative(0.3, h->ComputeConditionalProbabilityOfGroupOfStateVariables(group, false), 1e-6);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(KEFOBDDEntry::Unknown, m.manager->GetValue(i));
    // Cached until the group reset, even when the store changes.
    m.manager->SetProbability(3, 0.5);
    ExpectRelative(0.3, h->ComputeConditionalProbabilityOfGroupOfStateVariables(group, false), 1e-6);
    h->ResetProbabilisticIndicatorsOfGroupOfStateVariables(group);
    ExpectRelative(0.5, h->ComputeConditionalProbabilityOfGroupOfStateVariables(group, false), 1e-6);
    ExpectRelative(1.0 - (1 - 0.02) * 0.5, m.bdd->GetBDDHandle()->ComputeProbability(), 1e-6);
}

TEST(Loading, DistributionsAtTheMissionTimeAreClampedAndLoaded) {
    // e0 = 1.5, e1 without distribution, e2 = 0.25, e3 = -0.2, e4 = 0.01 x
    // mission time, e5 from a parameter.
    SumOfProducts m;
    m.AddEvents({1.5, -1.0, 0.25, 0.0, 0.0, 0.0});
    KEFOVariable* negative = m.events[3];
    KEFOVariable* timed = m.events[4];
    KEFOVariable* byParameter = m.events[5];
    KEFOParameter* lambda = m.model->NewParameter("lambda");
    lambda->SetDefinition(m.model->NewRealExpression(0.125));
    negative->SetProbabilityDistribution(m.model->NewRealExpression(-0.2));
    timed->SetProbabilityDistribution(m.model->NewStochasticExpression(
        KEFOStochasticExpression::Mul, m.model->NewRealExpression(0.01),
        m.model->NewStochasticExpression(KEFOStochasticExpression::MissionTime)));
    byParameter->SetProbabilityDistribution(m.model->NewParameterReference(lambda));
    m.Build({{0, 1, 2, 3, 4, 5}});

    KEFOCalculator calculator;
    calculator.ComputeProbabilitiesOfStateVariables(m.zbdd, 10.0);
    EXPECT_EQ(1.0, m.events[0]->GetProbability());
    EXPECT_EQ(1.0, m.events[1]->GetProbability());
    EXPECT_EQ(0.25, m.events[2]->GetProbability());
    EXPECT_EQ(0.0, negative->GetProbability());
    EXPECT_DOUBLE_EQ(0.1, timed->GetProbability());
    EXPECT_EQ(0.125, byParameter->GetProbability());
    EXPECT_EQ(1.0, m.manager->GetProbability(2));
    EXPECT_DOUBLE_EQ(0.1, m.manager->GetProbability(5));
    EXPECT_EQ(-1.0, m.top->GetProbability());
    ASSERT_EQ(1u, m.zbdd->GetParameters().size());
    EXPECT_EQ(0.125, lambda->GetDefinitionAsExpression()->GetValueAsDouble());
}
