// The calculator's evaluation at a mission time and its draw and reset of
// random deviates.
#include "quantification/calculator.h"

#include "model/empirical_distribution.h"
#include "model/model.h"
#include "model/parameter.h"
#include "model/stochastic_expression.h"
#include "model/type.h"
#include "model/variable.h"
#include "support/congruential_randomizer.h"
#include "support/measure.h"
#include "support/mersenne_twister_randomizer.h"

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
    std::unique_ptr<E> Deviate(int type, const std::vector<double>& arguments) {
        std::unique_ptr<E> d(model.NewStochasticExpression(type, {R(arguments[0]), R(arguments[1])}));
        if (arguments.size() > 2) d->AppendChild(R(arguments[2]));
        return d;
    }
    // A histogram of mean 5 on [2, 10].
    std::unique_ptr<E> Histogram() {
        auto* table = new KEFOEmpiricalDistribution(KEFOEmpiricalDistribution::Histogram, "h");
        table->SetTable({0.0, 0.5, 1.0}, {2.0, 4.0, 10.0});
        return std::unique_ptr<E>(E::NewHistogram(&model, table));
    }
};

TEST_F(Deviates, ResetGivesTheNominalValues) {
    struct Case {
        int type;
        std::vector<double> arguments;
        double nominal;
    };
    // Arguments are clamped into [smallest normal, largest double].
    const Case cases[] = {
        {E::UniformDeviate, {2.0, 4.0}, 3.0},           {E::LoguniformDeviate, {3.0, 3.0}, 3.0},
        {E::NormalDeviate, {5.0, 2.0}, 5.0},            {E::LognormalDeviate, {1e-3, 3.0, 0.95}, 1e-3},
        {E::TriangularDeviate, {1.0, 2.0, 6.0}, 3.0},   {E::BetaDeviate, {2.0, 6.0}, 0.25},
        {E::GammaDeviate, {3.0, 0.5}, 1.5},             {E::NormalDeviate, {INFINITY, 1.0}, DBL_MAX},
        {E::UniformDeviate, {-1.0, 1.0}, (DBL_MIN + 1.0) / 2.0},
        {E::LoguniformDeviate, {1.0, std::exp(2.0)}, (std::exp(2.0) - 1.0) / 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(E::GetFunctorFromType(c.type));
        auto d = Deviate(c.type, c.arguments);
        EXPECT_EQ(calculator.ResetRandomDeviates(d.get()), 1);
        EXPECT_DOUBLE_EQ(d->GetValueAsDouble(), c.nominal);
        EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsDouble(d.get(), 1000.0), c.nominal);
    }
    std::unique_ptr<E> histogram = Histogram();
    calculator.ResetRandomDeviates(histogram.get());
    EXPECT_DOUBLE_EQ(histogram->GetValueAsDouble(), 5.0);
}

// Each law draws from the calculator's generator (a Mersenne Twister seeded
// with 12345 unless another is given) with its arguments in order.
TEST_F(Deviates, DrawsComeFromTheCalculatorsGenerator) {
    auto drawn = [this](const std::unique_ptr<E>& d) {
        calculator.DrawRandomDeviates(d.get());
        return d->GetValueAsDouble();
    };
    PLOVMersenneTwisterRandomizer r;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(drawn(Deviate(E::UniformDeviate, {2.0, 4.0})), r.UniformDraw(2.0, 4.0));
        EXPECT_EQ(drawn(Deviate(E::LoguniformDeviate, {1e-4, 1e-2})), r.LoguniformDraw(1e-4, 1e-2));
        EXPECT_EQ(drawn(Deviate(E::NormalDeviate, {10.0, 2.0})), r.NormalDraw(10.0, 2.0));
        EXPECT_EQ(drawn(Deviate(E::LognormalDeviate, {1e-3, 3.0, 0.9})), r.LognormalDraw(1e-3, 3.0, 0.9));
        EXPECT_EQ(drawn(Deviate(E::TriangularDeviate, {1.0, 2.0, 6.0})), r.TriangularDraw(1.0, 2.0, 6.0));
        EXPECT_EQ(drawn(Deviate(E::BetaDeviate, {2.0, 3.0})), r.BetaDraw(2.0, 3.0));
        EXPECT_EQ(drawn(Deviate(E::GammaDeviate, {2.0, 3.0})), r.GammaDraw(2.0, 3.0));
        std::unique_ptr<E> histogram = Histogram();
        EXPECT_EQ(drawn(histogram), histogram->GetHistogram()->GetYFromX(r.UniformDraw()));
    }
    // A new seed restarts the sequence; another generator is used as given.
    auto d = Deviate(E::UniformDeviate, {2.0, 4.0});
    calculator.SetRandomizerSeed(777);
    const double first = drawn(d);
    drawn(d);
    calculator.SetRandomizerSeed(777);
    EXPECT_EQ(drawn(d), first);
    calculator.SetRandomizer(new PLOVCongruentialRandomizer(1));
    PLOVCongruentialRandomizer congruential(1);
    EXPECT_EQ(drawn(d), congruential.UniformDraw(2.0, 4.0));
    calculator.SetRandomizer(nullptr);
    EXPECT_EQ(calculator.GetRandomizerSeed(), 12345);
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
    const double lambda = deviate->GetValueAsDouble();
    EXPECT_DOUBLE_EQ(calculator.ComputeValueOfStochasticExpressionAsProbability(e->GetProbabilityDistribution(), 100.0),
                     1.0 - std::exp(-lambda * 100.0));
    // Evaluation does not draw.
    calculator.ComputeValueOfStochasticExpression(e->GetProbabilityDistribution(), 200.0);
    EXPECT_EQ(deviate->GetValueAsDouble(), lambda);
    EXPECT_EQ(calculator.ResetRandomDeviatesOfVariable(e), 1);
    EXPECT_DOUBLE_EQ(deviate->GetValueAsDouble(), 1.5e-3);

    // normal(uniform(10, 20), 0.001): the inner uniform is drawn before the
    // normal reads its arguments.
    std::unique_ptr<E> nested(model.NewStochasticExpression(
        E::NormalDeviate, {model.NewStochasticExpression(E::UniformDeviate, R(10.0), R(20.0)), R(1e-3)}));
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
    PLOVMeasure* m = p->ResetMeasure(0, 0);
    EXPECT_EQ(m->GetName(), "lambda");
    EXPECT_EQ(m->GetQuantilizer(), nullptr);
    m->AddValue(2.0);
    PLOVMeasure* t = model.NewVariable(KEFOType::FlowVariable, "top")->ResetMeasure(10, 20);
    EXPECT_NE(t->GetQuantilizer(), nullptr);
    EXPECT_NE(t->GetBinTable(), nullptr);
    EXPECT_EQ(p->ResetMeasure(0, 0), m);
    EXPECT_EQ(m->GetNumberOfValues(), 0);
}

}  // namespace
