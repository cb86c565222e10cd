// Top-event probabilities of diagram handles: the four methods, the marker
// pass between methods, conditional and group probabilities with their
// caches, the loading of distributions at a mission time, and a property
// test against enumeration on many random sums of products.
#include "quantification/calculator.h"
#include "quantification_test_support.h"

#include "model/parameter.h"

#include <gtest/gtest.h>

#include <random>

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

TEST(ProbabilityMethods, TerminalDiagramsGiveZeroOrOneByEveryMethod) {
    for (int constant = 0; constant < 2; ++constant) {
        SumOfProducts m;
        m.AddEvents({0.3});
        m.Build(constant == 1 ? Products{{}} : Products{});
        m.LoadProbabilities();
        for (int method : {exact, rea, mcub, pub}) {
            EXPECT_EQ(static_cast<double>(constant), m.bdd->GetBDDHandle()->ComputeTopEventProbability(method));
            EXPECT_EQ(static_cast<double>(constant), m.zbdd->GetBDDHandle()->ComputeTopEventProbability(method));
        }
    }
}

// The property test below only bounds the pivotal bound: its value here.
TEST(ProbabilityMethods, TwoDisjointCutsets) {
    SumOfProducts m;
    m.AddEvents({0.1, 0.1});
    m.Build({{0}, {1}});
    m.LoadProbabilities();
    KEFOBDDHandle* z = m.zbdd->GetBDDHandle();
    EXPECT_FLOAT_EQ(0.2f, static_cast<float>(z->ComputeRareEventApproximation()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(z->ComputeMincutUpperBound()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(z->ComputePivotalUpperBound()));
    EXPECT_FLOAT_EQ(0.19f, static_cast<float>(m.bdd->GetBDDHandle()->ComputeProbability()));
    EXPECT_FLOAT_EQ(0.1f, static_cast<float>(z->ComputeHighestMinimalCutsetProbability()));
}

TEST(ProbabilityMethods, RareEventApproximationAboveOneIsClampedToExactlyOne) {
    SumOfProducts m;
    m.AddEvents(std::vector<double>(15, 0.1));
    Products products;
    for (int e = 0; e < 15; ++e) products.push_back({e});
    m.Build(products);
    m.LoadProbabilities();
    EXPECT_EQ(1.0, m.zbdd->GetBDDHandle()->ComputeRareEventApproximation());
    EXPECT_LT(m.zbdd->GetBDDHandle()->ComputePivotalUpperBound(), 1.0);
}

TEST(ProbabilityMethods, UnknownMethodGivesZero) {
    SumOfProducts m;
    m.AddEvents({0.5});
    m.Build({{0}});
    m.LoadProbabilities();
    EXPECT_EQ(0.0, m.zbdd->GetBDDHandle()->ComputeTopEventProbability(0));
    EXPECT_EQ(0.0, m.zbdd->GetBDDHandle()->ComputeTopEventProbability(5));
}

TEST(ProbabilityMethods, RandomSumsOfProductsAgreeWithEnumeration) {
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 1 + static_cast<int>(random() % 9);
        std::vector<double> p;
        for (int e = 0; e < n; ++e) p.push_back(std::uniform_real_distribution<double>(0.0, 0.6)(random));
        Products products;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int k = 0; k < count; ++k) {
            std::vector<int> product;
            for (int e = 0; e < n; ++e)
                if (random() % 3 == 0) product.push_back(e);
            if (product.empty()) product.push_back(static_cast<int>(random() % n));
            products.push_back(product);
        }
        SumOfProducts m;
        m.AddEvents(p);
        m.Build(products);
        m.LoadProbabilities();
        const std::vector<unsigned> minimal = quantificationtest::MinimalProducts(products);
        double reaValue = 0.0, complement = 1.0, highest = 0.0;
        for (unsigned mask : minimal) {
            const double w = quantificationtest::ProductProbability(mask, p);
            reaValue += w;
            complement *= 1.0 - w;
            highest = w > highest ? w : highest;
        }
        KEFOBDDHandle* z = m.zbdd->GetBDDHandle();
        EXPECT_EQ(static_cast<double>(minimal.size()), z->ComputeNumberOfProducts());
        const double tolerance = 2e-6;
        EXPECT_NEAR(quantificationtest::ExactByEnumeration(products, p), m.bdd->GetBDDHandle()->ComputeProbability(),
                    tolerance);
        EXPECT_NEAR(reaValue > 1.0 ? 1.0 : reaValue, z->ComputeRareEventApproximation(), tolerance);
        EXPECT_NEAR(1.0 - complement, z->ComputeMincutUpperBound(), tolerance);
        EXPECT_NEAR(highest, z->ComputeHighestMinimalCutsetProbability(), tolerance);
        // The pivotal bound lies between the exact probability and the
        // rare-event sum.
        const double pubValue = z->ComputePivotalUpperBound();
        EXPECT_GE(pubValue + tolerance, m.bdd->GetBDDHandle()->ComputeProbability());
        EXPECT_LE(pubValue, reaValue + tolerance);
        // The methods in turn on one diagram do not mix their marks.
        EXPECT_NEAR(reaValue > 1.0 ? 1.0 : reaValue, z->ComputeRareEventApproximation(), tolerance);
        EXPECT_NEAR(1.0 - complement, z->ComputeMincutUpperBound(), tolerance);
    }
}

TEST(ProbabilityCaches, TargetProbabilityIsCachedUntilReset) {
    SumOfProducts m;
    m.AddEvents({0.1, 0.2});
    m.Build({{0}, {1}});
    m.LoadProbabilities();
    m.top->ResetProbabilisticIndicators();
    m.zbdd->SetQuantificationMethod(rea);
    ExpectRelative(0.3, m.zbdd->ComputeProbabilityOfTargetVariable(), 1e-6);
    // A changed method does not touch the cached value until the reset.
    m.zbdd->SetQuantificationMethod(mcub);
    ExpectRelative(0.3, m.zbdd->ComputeProbabilityOfTargetVariable(), 1e-6);
    m.zbdd->ResetProbabilisticIndicatorsOfVariables();
    EXPECT_EQ(-1.0, m.top->GetProbability());
    EXPECT_EQ(-1.0, m.events[0]->GetProbability());
    m.LoadProbabilities();
    ExpectRelative(0.28, m.zbdd->ComputeProbabilityOfTargetVariable(), 1e-6);
}

TEST(ConditionalProbability, ForcingOneEventLeavesTheTopProbabilityUnchanged) {
    // top = e0 + e1 e2.
    SumOfProducts m;
    m.AddEvents({0.1, 0.2, 0.3});
    m.Build({{0}, {1, 2}});
    m.LoadProbabilities();
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
}

TEST(ConditionalProbability, CachedIndicatorIsAnsweredAsItStands) {
    SumOfProducts m;
    m.AddEvents({0.1, 0.2});
    m.Build({{0}, {1}});
    m.LoadProbabilities();
    m.events[0]->SetConditionalProbability(true, 0.75);
    EXPECT_EQ(0.75, m.bdd->ComputeConditionalProbabilityOfStateVariable(m.events[0], true));
    // A forced value in place is restored, not freed.
    m.manager->SetValue(2, KEFOBDDEntry::False);
    m.bdd->ComputeConditionalProbabilityOfStateVariable(m.events[1], true);
    EXPECT_EQ(KEFOBDDEntry::False, m.manager->GetValue(2));
}

TEST(GroupProbability, ProductsAndConditionalsOfAGroupWithCaches) {
    // top = e0 e1 + e2.
    SumOfProducts m;
    m.AddEvents({0.1, 0.2, 0.3});
    m.Build({{0, 1}, {2}});
    m.LoadProbabilities();
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
    SumOfProducts m;
    m.AddEvents({1.5, -1.0, 0.25});
    // e1 has no distribution; e3 = -0.2; e4 = 0.01 x mission time; e5 from
    // a parameter.
    KEFOVariable* negative = m.model->NewVariable(KEFOType::StateVariable, "e3");
    negative->SetProbabilityDistribution(m.model->NewRealExpression(-0.2));
    KEFOVariable* timed = m.model->NewVariable(KEFOType::StateVariable, "e4");
    timed->SetProbabilityDistribution(m.model->NewStochasticExpression(
        KEFOStochasticExpression::Mul, m.model->NewRealExpression(0.01),
        m.model->NewStochasticExpression(KEFOStochasticExpression::MissionTime)));
    KEFOParameter* lambda = m.model->NewParameter("lambda");
    lambda->SetDefinition(m.model->NewRealExpression(0.125));
    KEFOVariable* byParameter = m.model->NewVariable(KEFOType::StateVariable, "e5");
    byParameter->SetProbabilityDistribution(m.model->NewParameterReference(lambda));
    int index = 4;
    for (KEFOVariable* v : {negative, timed, byParameter}) {
        v->SetBDDIndex(index);
        m.manager->SetModelVariable(index, v);
        m.events.push_back(v);
        ++index;
    }
    m.Build({{0, 1, 2, 3, 4, 5}});

    KEFOCalculator calculator;
    calculator.ComputeProbabilitiesOfStateVariables(m.zbdd, 10.0);
    EXPECT_EQ(1.0, m.events[0]->GetProbability());
    EXPECT_EQ(1.0, m.events[1]->GetProbability());
    EXPECT_EQ(0.25, m.events[2]->GetProbability());
    EXPECT_EQ(0.0, negative->GetProbability());
    EXPECT_DOUBLE_EQ(0.1, timed->GetProbability());
    EXPECT_EQ(0.125, byParameter->GetProbability());
    EXPECT_EQ(1.0, m.manager->GetProbability(1));
    EXPECT_EQ(1.0, m.manager->GetProbability(2));
    EXPECT_DOUBLE_EQ(0.1, m.manager->GetProbability(5));
    EXPECT_EQ(-1.0, m.top->GetProbability());
    ASSERT_EQ(1u, m.zbdd->GetParameters().size());
    EXPECT_EQ(0.125, lambda->GetDefinitionAsExpression()->GetValueAsDouble());

    // The probability at another time resets and reloads.
    const double q20 = calculator._ComputeProbabilityOfTargetVariable(m.zbdd, 20.0);
    EXPECT_DOUBLE_EQ(0.2, timed->GetProbability());
    EXPECT_EQ(0.0, q20);  // e3 has probability 0
    EXPECT_EQ(0.0, m.top->GetProbability());
}

TEST(Loading, TopProbabilityThroughTheCalculator) {
    SumOfProducts m;
    m.AddEvents({0.1, 0.2, 0.3});
    m.Build({{0, 1}, {2}});
    KEFOCalculator calculator;
    m.zbdd->SetQuantificationMethod(rea);
    ExpectRelative(0.32, calculator._ComputeProbabilityOfTargetVariable(m.zbdd, 0.0), 1e-6);
    ExpectRelative(0.32, calculator.ComputeProbabilityOfTargetVariable(m.zbdd), 1e-6);
    ExpectRelative(1.0 - 0.98 * 0.7, calculator._ComputeProbabilityOfTargetVariable(m.bdd, 0.0), 1e-6);
    ExpectRelative(0.3, calculator.ComputeHighestMinimalCutsetProbability(m.zbdd), 1e-6);
    EXPECT_EQ(0.0, calculator.ComputeHighestMinimalCutsetProbability(m.bdd));
    EXPECT_EQ(2.0, calculator.ComputeNumberOfMinimalCutsets(m.zbdd));
    ExpectRelative(0.2, calculator.ComputeProbabilityOfStateVariable(m.zbdd, m.events[1]), 1e-12);
}
