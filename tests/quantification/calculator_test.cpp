// The calculator's evaluation at a mission time and its draw and reset of
// random deviates.
#include "quantification/calculator.h"

#include "model/empirical_distribution.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "support/measure.h"
#include "support/mersenne_twister_randomizer.h"
#include "support/congruential_randomizer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <memory>

namespace {

typedef KEFOStochasticExpression E;

struct Deviates : ::testing::Test {
    KEFOModel model;
    KEFOCalculator calculator;
    E* R(double x) { return model.NewRealExpression(x); }
    std::unique_ptr<E> Deviate(int type, std::initializer_list<E*> children) {
        return std::unique_ptr<E>(model.NewStochasticExpression(type, children));
    }
};

TEST_F(Deviates, ResetGivesTheNominalValues) {
    struct Case {
        int type;
        std::vector<double> arguments;
        double nominal;
    };
    const Case cases[] = {
        {E::UniformDeviate, {2.0, 4.0}, 3.0},
        {E::LoguniformDeviate, {1.0, std::exp(2.0)}, (std::exp(2.0) - 1.0) / 2.0},
        {E::LoguniformDeviate, {3.0, 3.0}, 3.0},
        {E::NormalDeviate, {5.0, 2.0}, 5.0},
        {E::LognormalDeviate, {1e-3, 3.0, 0.95}, 1e-3},
        {E::TriangularDeviate, {1.0, 2.0, 6.0}, 3.0},
        {E::BetaDeviate, {2.0, 6.0}, 0.25},
        {E::GammaDeviate, {3.0, 0.5}, 1.5},
    };
    for (const Case& c : cases) {
        auto d = Deviate(c.type, {R(c.arguments[0]), R(c.arguments[1])});
        if (c.arguments.size() > 2) d->AppendChild(R(c.arguments[2]));
        EXPECT_EQ(calculator.ResetRandomDeviates(d.get()), 1);
        EXPECT_DOUBLE_EQ(d->GetValueAsDouble(), c.nominal) << E::GetFunctorFromType(c.type);
        EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsDouble(d.get(), 1000.0), c.nominal);
    }
    // Arguments are clamped into [smallest normal, largest double]: a
    // negative bound reads 2.2250738585072014e-308.
    auto clamped = Deviate(E::UniformDeviate, {R(-1.0), R(1.0)});
    calculator.ResetRandomDeviates(clamped.get());
    EXPECT_DOUBLE_EQ(clamped->GetValueAsDouble(), (DBL_MIN + 1.0) / 2.0);
    auto huge = Deviate(E::NormalDeviate, {R(INFINITY), R(1.0)});
    calculator.ResetRandomDeviates(huge.get());
    EXPECT_EQ(huge->GetValueAsDouble(), DBL_MAX);
    // A histogram's nominal value is the mean of its table.
    auto* table = new KEFOEmpiricalDistribution(KEFOEmpiricalDistribution::Histogram, "h");
    table->SetTable({0.0, 0.5, 1.0}, {2.0, 4.0, 10.0});
    std::unique_ptr<E> histogram(E::NewHistogram(&model, table));
    calculator.ResetRandomDeviates(histogram.get());
    EXPECT_DOUBLE_EQ(histogram->GetValueAsDouble(), 5.0);
}

TEST_F(Deviates, DrawsComeFromTheCalculatorsGenerator) {
    // The calculator's generator is a Mersenne Twister seeded with 12345.
    EXPECT_EQ(calculator.GetRandomizerSeed(), 12345);
    PLOVMersenneTwisterRandomizer reference;
    auto d = Deviate(E::UniformDeviate, {R(2.0), R(4.0)});
    for (int i = 0; i < 5; ++i) {
        calculator.DrawRandomDeviates(d.get());
        double u = reference.UniformDraw();
        EXPECT_DOUBLE_EQ(d->GetValueAsDouble(), 2.0 + u * 2.0);
    }
    // Reseeding restarts the sequence.
    calculator.SetRandomizerSeed(777);
    calculator.DrawRandomDeviates(d.get());
    double first = d->GetValueAsDouble();
    calculator.DrawRandomDeviates(d.get());
    calculator.SetRandomizerSeed(777);
    calculator.DrawRandomDeviates(d.get());
    EXPECT_EQ(d->GetValueAsDouble(), first);
    // Another generator.
    calculator.SetRandomizer(new PLOVCongruentialRandomizer(1));
    PLOVCongruentialRandomizer congruential(1);
    calculator.DrawRandomDeviates(d.get());
    EXPECT_DOUBLE_EQ(d->GetValueAsDouble(), 2.0 + congruential.UniformDraw() * 2.0);
    calculator.SetRandomizer(nullptr);
    EXPECT_EQ(calculator.GetRandomizerSeed(), 12345);
}

TEST_F(Deviates, DrawnValuesFollowTheirLaws) {
    auto normal = Deviate(E::NormalDeviate, {R(10.0), R(2.0)});
    auto gamma = Deviate(E::GammaDeviate, {R(2.0), R(3.0)});
    auto beta = Deviate(E::BetaDeviate, {R(2.0), R(3.0)});
    auto triangular = Deviate(E::TriangularDeviate, {R(1.0), R(2.0), R(6.0)});
    auto loguniform = Deviate(E::LoguniformDeviate, {R(1e-4), R(1e-2)});
    auto lognormal = Deviate(E::LognormalDeviate, {R(1e-3), R(3.0), R(0.9)});
    auto* table = new KEFOEmpiricalDistribution(KEFOEmpiricalDistribution::Histogram, "h");
    table->SetTable({0.0, 0.5, 1.0}, {2.0, 4.0, 10.0});
    std::unique_ptr<E> histogram(E::NewHistogram(&model, table));
    PLOVMeasure mn, mg, mb, mt, ml, mo, mh;
    const int n = 40000;
    for (int i = 0; i < n; ++i) {
        for (E* d : {normal.get(), gamma.get(), beta.get(), triangular.get(), loguniform.get(), lognormal.get(),
                     histogram.get()}) {
            calculator.DrawRandomDeviates(d);
        }
        mn.AddValue(normal->GetValueAsDouble());
        mg.AddValue(gamma->GetValueAsDouble());
        mb.AddValue(beta->GetValueAsDouble());
        mt.AddValue(triangular->GetValueAsDouble());
        ml.AddValue(loguniform->GetValueAsDouble());
        mo.AddValue(lognormal->GetValueAsDouble());
        mh.AddValue(histogram->GetValueAsDouble());
    }
    EXPECT_NEAR(mn.ComputeMean(), 10.0, 0.05);
    EXPECT_NEAR(mn.ComputeStandardDeviation(), 2.0, 0.05);
    EXPECT_NEAR(mg.ComputeMean(), 6.0, 0.1);
    EXPECT_NEAR(mb.ComputeMean(), 0.4, 0.01);
    EXPECT_GE(mb.GetMinimum(), 0.0);
    EXPECT_LE(mb.GetMaximum(), 1.0);
    EXPECT_NEAR(mt.ComputeMean(), 3.0, 0.03);
    EXPECT_GE(mt.GetMinimum(), 1.0);
    EXPECT_LE(mt.GetMaximum(), 6.0);
    EXPECT_NEAR(ml.ComputeMean(), (1e-2 - 1e-4) / std::log(100.0), 5e-5);
    EXPECT_GE(ml.GetMinimum(), 1e-4);
    EXPECT_LE(ml.GetMaximum(), 1e-2);
    EXPECT_NEAR(mo.ComputeMean() / 1e-3, 1.0, 0.03);
    EXPECT_NEAR(mh.ComputeMean(), 5.0, 0.05);
    EXPECT_GE(mh.GetMinimum(), 2.0);
    EXPECT_LE(mh.GetMaximum(), 10.0);
}

TEST_F(Deviates, DistributionsReadTheDrawnValueAndNestedDeviatesAreDrawnFirst) {
    KEFOVariable* e = model.NewVariable(KEFOType::StateVariable, "e");
    e->SetProbabilityDistribution(model.NewStochasticExpression(
        E::Exponential, model.NewStochasticExpression(E::UniformDeviate, R(1e-3), R(2e-3))));
    E* deviate = e->GetProbabilityDistribution()->GetExpressionChild(1);
    // Never drawn nor reset: its nominal value.
    EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsProbability(e->GetProbabilityDistribution(), 100.0),
                     1.0 - std::exp(-1.5e-3 * 100.0));
    EXPECT_EQ(calculator.DrawRandomDeviatesOfVariable(e), 1);
    double lambda = deviate->GetValueAsDouble();
    EXPECT_GE(lambda, 1e-3);
    EXPECT_LE(lambda, 2e-3);
    EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsProbability(e->GetProbabilityDistribution(), 100.0),
                     1.0 - std::exp(-lambda * 100.0));
    // Evaluation does not draw.
    calculator.ComputeValueOfStochasticExpression(e->GetProbabilityDistribution(), 200.0);
    EXPECT_EQ(deviate->GetValueAsDouble(), lambda);
    EXPECT_EQ(calculator.ResetRandomDeviatesOfVariable(e), 1);
    EXPECT_DOUBLE_EQ(deviate->GetValueAsDouble(), 1.5e-3);

    // normal(uniform(10, 20), 0.001): the inner uniform is drawn before the
    // normal reads its arguments.
    auto nested = Deviate(E::NormalDeviate, {model.NewStochasticExpression(E::UniformDeviate, R(10.0), R(20.0)), R(1e-3)});
    EXPECT_EQ(calculator.DrawRandomDeviates(nested.get()), 2);
    double inner = nested->GetExpressionChild(1)->GetValueAsDouble();
    EXPECT_NE(inner, 15.0);
    EXPECT_NEAR(nested->GetValueAsDouble(), inner, 0.01);

    // Parameters are drawn through their own definitions, once.
    KEFOParameter* p = model.NewParameter("p");
    p->SetDefinition(model.NewStochasticExpression(E::UniformDeviate, R(0.0), R(1.0)));
    KEFOVariable* f = model.NewVariable(KEFOType::StateVariable, "f");
    f->SetProbabilityDistribution(model.NewParameterReference(p));
    EXPECT_EQ(calculator.DrawRandomDeviates(std::vector<KEFOVariable*>{e, f}, std::vector<KEFOParameter*>{p}), 2);
    EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsDouble(f->GetProbabilityDistribution(), 0.0),
                     p->GetDefinitionAsExpression()->GetValueAsDouble());
    EXPECT_EQ(calculator.ResetRandomDeviates(std::vector<KEFOVariable*>{e, f}, std::vector<KEFOParameter*>{p}), 2);
    EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsDouble(f->GetProbabilityDistribution(), 0.0), 0.5);
    EXPECT_EQ(calculator.DrawRandomDeviates(static_cast<E*>(nullptr)), 0);
}

TEST_F(Deviates, MeasuresOfPortsAreMadeOnTheFirstResetAndNamedAfterThem) {
    KEFOParameter* p = model.NewParameter("lambda");
    EXPECT_EQ(p->GetMeasure(), nullptr);
    PLOVMeasure* m = p->ResetMeasure(0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetName(), "lambda");
    EXPECT_EQ(m->GetQuantilizer(), nullptr);
    m->AddValue(2.0);
    KEFOVariable* top = model.NewVariable(KEFOType::FlowVariable, "top");
    PLOVMeasure* t = top->ResetMeasure(10, 20);
    EXPECT_NE(t->GetQuantilizer(), nullptr);
    EXPECT_NE(t->GetBinTable(), nullptr);
    EXPECT_EQ(p->ResetMeasure(0, 0), m);
    EXPECT_EQ(m->GetNumberOfValues(), 0);
}

}  // namespace
