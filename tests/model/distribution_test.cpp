// Failure distributions against closed forms written out here, with the edge
// cases (t = 0, zero rates, location after t).
#include "model/distributions.h"
#include "model/expression_evaluator.h"
#include "model/model.h"
#include "model/stochastic_expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

typedef KEFOStochasticExpression E;

struct Distributions : ::testing::Test {
    KEFOModel model;
    KEFOExpressionEvaluator evaluator;

    E* R(double x) { return model.NewRealExpression(x); }
    E* I(int x) { return model.NewIntegerExpression(x); }
    double At(int type, std::initializer_list<E*> children, double t) {
        std::unique_ptr<E> e(model.NewStochasticExpression(type, children));
        const PLOVManagedValue& v = evaluator.Evaluate(e.get(), t);
        EXPECT_TRUE(v.IsDouble());
        return v.GetDouble();
    }
};

TEST_F(Distributions, Exponential) {
    for (double lambda : {1e-6, 1e-3, 0.5, 3.0}) {
        for (double t : {0.0, 1.0, 8760.0}) {
            EXPECT_NEAR(At(E::Exponential, {R(lambda)}, t), 1.0 - std::exp(-lambda * t), 1e-15);
        }
    }
    EXPECT_EQ(At(E::Exponential, {R(1e-3)}, 0.0), 0.0);
    EXPECT_EQ(At(E::Exponential, {R(0.0)}, 1e6), 0.0);
    // With two children the time is the second child, not t.
    EXPECT_NEAR(At(E::Exponential, {R(1e-3), R(100.0)}, 5.0), 1.0 - std::exp(-0.1), 1e-15);
    // Small arguments keep their precision.
    EXPECT_NEAR(At(E::Exponential, {R(1e-12)}, 1.0) / 1e-12, 1.0, 1e-9);
    // An integer rate is converted.
    EXPECT_NEAR(At(E::Exponential, {I(1)}, 2.0), 1.0 - std::exp(-2.0), 1e-15);
}

TEST_F(Distributions, Weibull) {
    auto weibull = [](double a, double b, double o, double t) { return t <= o ? 0.0 : 1.0 - std::exp(-std::pow((t - o) / a, b)); };
    EXPECT_EQ(At(E::Weibull, {R(100.0), R(2.0), R(10.0)}, 5.0), 0.0);  // location after t
    EXPECT_EQ(At(E::Weibull, {R(100.0), R(2.0), R(10.0)}, 10.0), 0.0);
    EXPECT_NEAR(At(E::Weibull, {R(100.0), R(2.0), R(10.0)}, 60.0), weibull(100.0, 2.0, 10.0, 60.0), 1e-15);
    EXPECT_NEAR(At(E::Weibull, {R(50.0), R(0.5), R(0.0)}, 200.0), weibull(50.0, 0.5, 0.0, 200.0), 1e-15);
    EXPECT_NEAR(At(E::Weibull, {R(50.0), R(1.5), R(0.0), R(30.0)}, 999.0), weibull(50.0, 1.5, 0.0, 30.0), 1e-15);
    // A zero scale reads epsilon: anything after the location has failed.
    EXPECT_EQ(At(E::Weibull, {R(0.0), R(1.0), R(0.0)}, 1.0), 1.0);
    EXPECT_EQ(At(E::Weibull, {R(10.0), R(1.0), R(0.0)}, 0.0), 0.0);
}

TEST_F(Distributions, GLM) {
    auto glm = [](double g, double l, double m, double t) {
        return l / (l + m) - std::exp(-(l + m) * t) * (l - (l + m) * g) / (l + m);
    };
    EXPECT_EQ(At(E::GLM, {R(0.3), R(0.0), R(0.0)}, 100.0), 0.0);  // both rates zero
    EXPECT_NEAR(At(E::GLM, {R(0.01), R(1e-3), R(0.1)}, 0.0), 0.01, 1e-15);  // g at t = 0
    EXPECT_NEAR(At(E::GLM, {R(0.01), R(1e-3), R(0.1)}, 50.0), glm(0.01, 1e-3, 0.1, 50.0), 1e-15);
    EXPECT_NEAR(At(E::GLM, {R(0.0), R(1e-3), R(0.0)}, 1000.0), 1.0 - std::exp(-1.0), 1e-15);
    EXPECT_NEAR(At(E::GLM, {R(0.02), R(2e-3), R(0.05), R(10.0)}, 1e9), glm(0.02, 2e-3, 0.05, 10.0), 1e-15);
    // Long times reach the steady state l / (l + m).
    EXPECT_NEAR(At(E::GLM, {R(0.5), R(1e-3), R(0.1)}, 1e6), 1e-3 / 0.101, 1e-15);
}

TEST_F(Distributions, MTT) {
    auto mtt = [](double a, double b, double s) {
        double r = 1.0 / a;
        double k = 1.0 / b + r;
        return (1.0 - std::exp(-k * s)) * r / k;
    };
    EXPECT_NEAR(At(E::MTT, {R(100.0), R(10.0), R(5.0)}, 0.0), mtt(100.0, 10.0, 5.0), 1e-15);
    EXPECT_NEAR(At(E::MTT, {R(100.0), R(10.0), R(5.0)}, 1e6), mtt(100.0, 10.0, 5.0), 1e-15);  // t not used
    // Zero arguments use epsilon rather than dividing by zero.
    double eps = 2.220446049250313e-16;
    EXPECT_NEAR(At(E::MTT, {R(0.0), R(10.0), R(5.0)}, 0.0), mtt(eps, 10.0, 5.0), 1e-15);
    EXPECT_NEAR(At(E::MTT, {R(100.0), R(0.0), R(5.0)}, 0.0), mtt(100.0, eps, 5.0), 1e-15);
    EXPECT_TRUE(std::isfinite(At(E::MTT, {R(0.0), R(0.0), R(1.0)}, 0.0)));
    EXPECT_EQ(At(E::MTT, {R(100.0), R(10.0), R(0.0)}, 0.0), 0.0);
}

TEST_F(Distributions, Dormant) {
    auto dormant = [](double l, double c, double p) {
        double e = std::exp(-l * p);
        double h = c * l * (1.0 - e);
        double v = (p * l - (1.0 - e) + h) / (h + p * l);
        return std::min(1.0, std::max(0.0, v));
    };
    EXPECT_NEAR(At(E::Dormant, {R(1e-3), R(10.0), R(100.0)}, 0.0), dormant(1e-3, 10.0, 100.0), 1e-12);
    EXPECT_NEAR(At(E::Dormant, {R(0.1), R(0.5), R(20.0)}, 0.0), dormant(0.1, 0.5, 20.0), 1e-14);
    // Zero rate or zero period: 0 (no division by zero).
    EXPECT_EQ(At(E::Dormant, {R(0.0), R(10.0), R(100.0)}, 0.0), 0.0);
    EXPECT_EQ(At(E::Dormant, {R(1e-3), R(10.0), R(0.0)}, 0.0), 0.0);
    const double v = At(E::Dormant, {R(5.0), R(1e6), R(1000.0)}, 0.0);
    EXPECT_TRUE(v >= 0.0 && v <= 1.0) << v;
}

TEST_F(Distributions, StandbySteadyStateForSmallSystems) {
    // n = 2, m = 1, r = 1, working rate a, standby rate b, repair rate u:
    // p1 = (a + b)/u, p2 = p1 a/u, unavailability p2 / (1 + p1 + p2).
    double a = 1e-3, b = 1e-4, u = 0.1;
    double p1 = (a + b) / u, p2 = p1 * a / u;
    EXPECT_NEAR(At(E::Standby, {I(2), I(1), I(1), R(a), R(b), R(u)}, 0.0), p2 / (1.0 + p1 + p2), 1e-15);
    // n = 3, m = 2, r = 1: f1 = b + 2a, f2 = 2a (i = 2 = n - m + 1), f3 = a.
    double q1 = (b + 2 * a) / u, q2 = q1 * 2 * a / u, q3 = q2 * a / u;
    EXPECT_NEAR(At(E::Standby, {I(3), I(2), I(1), R(a), R(b), R(u)}, 0.0), (q2 + q3) / (1 + q1 + q2 + q3), 1e-15);
    // The same with two repairers: denominators u, 2u, 2u.
    double s1 = (b + 2 * a) / u, s2 = s1 * 2 * a / (2 * u), s3 = s2 * a / (2 * u);
    EXPECT_NEAR(At(E::Standby, {I(3), I(2), I(2), R(a), R(b), R(u)}, 0.0), (s2 + s3) / (1 + s1 + s2 + s3), 1e-15);
    // Counts out of range are clamped: m beyond n reads n, a negative n reads 0.
    EXPECT_NEAR(At(E::Standby, {I(2), I(5), I(1), R(a), R(b), R(u)}, 0.0),
                At(E::Standby, {I(2), I(2), I(1), R(a), R(b), R(u)}, 0.0), 1e-18);
    EXPECT_EQ(At(E::Standby, {I(-3), I(1), I(1), R(a), R(b), R(u)}, 0.0), 0.0);
    // No repair: the system ends failed; nothing needs to work: never unavailable.
    EXPECT_EQ(At(E::Standby, {I(2), I(1), I(0), R(a), R(b), R(u)}, 0.0), 1.0);
    EXPECT_EQ(At(E::Standby, {I(2), I(1), I(1), R(a), R(b), R(0.0)}, 0.0), 1.0);
    EXPECT_EQ(At(E::Standby, {I(2), I(0), I(1), R(a), R(b), R(u)}, 0.0), 0.0);
    // Zero failure rates: always available.
    EXPECT_EQ(At(E::Standby, {I(3), I(1), I(1), R(0.0), R(0.0), R(u)}, 0.0), 0.0);
    // A large system stays finite and in [0, 1].
    double big = At(E::Standby, {I(2000), I(1000), I(1), R(10.0), R(5.0), R(1e-3)}, 0.0);
    EXPECT_LE(big, 1.0);
    EXPECT_NEAR(big, 1.0, 1e-12);
    // Real counts are truncated.
    EXPECT_NEAR(At(E::Standby, {R(2.9), R(1.2), R(1.0), R(a), R(b), R(u)}, 0.0), p2 / (1.0 + p1 + p2), 1e-15);
}

TEST_F(Distributions, PeriodicTestWithThreeChildren) {
    double l = 1e-3, p = 100.0, o = 50.0;
    auto at = [&](double t) { return At(E::PeriodicTest, {R(l), R(p), R(o)}, t); };
    EXPECT_EQ(at(0.0), 0.0);
    EXPECT_NEAR(at(30.0), 1.0 - std::exp(-l * 30.0), 1e-15);  // before the first test
    EXPECT_NEAR(at(50.0), 1.0 - std::exp(-l * 50.0), 1e-15);  // at the first test: just before it
    EXPECT_NEAR(at(60.0), 1.0 - std::exp(-l * 10.0), 1e-15);
    EXPECT_NEAR(at(250.0), 1.0 - std::exp(-l * 100.0), 1e-15);  // a test instant: a full period, not 0
    EXPECT_NEAR(at(275.0), 1.0 - std::exp(-l * 25.0), 1e-15);
    // No period: never tested.
    EXPECT_NEAR(At(E::PeriodicTest, {R(l), R(0.0), R(o)}, 500.0), 1.0 - std::exp(-l * 500.0), 1e-15);
}

// Values derived by hand for the three-state form (see the model described in
// distributions.cpp).
TEST_F(Distributions, PeriodicTestWithFourChildren) {
    double l = 1e-3, m = 0.1, tau = 100.0, theta = 50.0;
    auto at = [&](double t) { return At(E::PeriodicTest, {R(l), R(m), R(tau), R(theta)}, t); };
    EXPECT_EQ(at(0.0), 0.0);
    EXPECT_NEAR(at(40.0), 1.0 - std::exp(-l * 40.0), 1e-15);
    EXPECT_NEAR(at(50.0), 1.0 - std::exp(-l * 50.0), 1e-15);
    // After the test at 50: r0 = 1 - e^{-0.05} under repair, w0 = e^{-0.05}.
    // At 120 (70 later): r = r0 e^{-7}, w = w0 e^{-0.07} + m r0 (e^{-7} - e^{-0.07}) / (l - m).
    double r0 = 1.0 - std::exp(-0.05), w0 = std::exp(-0.05);
    double w = w0 * std::exp(-0.07) + m * r0 * (std::exp(-7.0) - std::exp(-0.07)) / (l - m);
    EXPECT_NEAR(at(120.0), 1.0 - w, 1e-14);
    // At 150 (a test instant): the state just before the second test.
    double w150 = w0 * std::exp(-0.1) + m * r0 * (std::exp(-10.0) - std::exp(-0.1)) / (l - m);
    EXPECT_NEAR(at(150.0), 1.0 - w150, 1e-14);
    // Just after it, the failed part is under repair: still unavailable.
    EXPECT_NEAR(at(150.0 + 1e-9), 1.0 - w150, 1e-10);
    // With a very fast repair the form tends to the three-child one.
    double fast = At(E::PeriodicTest, {R(l), R(1e6), R(tau), R(theta)}, 275.0);
    EXPECT_NEAR(fast, 1.0 - std::exp(-l * 25.0), 1e-6);
    // Without repair every failure stays: 1 - e^{-l t}.
    EXPECT_NEAR(At(E::PeriodicTest, {R(l), R(0.0), R(tau), R(theta)}, 1234.0), 1.0 - std::exp(-l * 1234.0), 1e-14);
}

TEST_F(Distributions, PeriodicTestWithTenChildren) {
    // (lambda, lambda during tests, mu, tau, theta, gamma, pi, available, sigma, omega)
    auto at = [&](double lambda, double lambdaTest, double mu, double tau, double theta, double gamma, double pi,
                  bool available, double sigma, double omega, double t) {
        return At(E::PeriodicTest,
                  {R(lambda), R(lambdaTest), R(mu), R(tau), R(theta), R(gamma), R(pi),
                   model.NewBooleanExpression(available), R(sigma), R(omega)},
                  t);
    };
    // Only test-caused failures (gamma 0.1), tests at 5, 15, ... lasting 1,
    // no repair, perfect detection.
    EXPECT_EQ(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 3.0), 0.0);
    EXPECT_EQ(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 5.5), 1.0);  // under test, not available
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0.1, 1, true, 1, 0, 5.5), 0.1, 1e-15);  // available during tests
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 7.0), 0.1, 1e-15);
    EXPECT_EQ(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 16.0), 1.0);  // end of the second test
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 17.0), 1.0 - 0.9 * 0.9, 1e-15);
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0.1, 1, false, 1, 0, 1e4 + 6.5), 1.0 - std::pow(0.9, 1000.0 + 1.0), 1e-12);
    // Restart errors (omega 0.2): left failed after the first test, detected
    // at the second, when a new restart error may happen.
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0, 0, true, 1, 0.2, 7.0), 0.2, 1e-15);
    EXPECT_NEAR(at(0, 0, 0, 10, 5, 0, 0, true, 1, 0.2, 17.0), 1.0 - 0.8 * 0.8, 1e-15);
    // Imperfect detection (sigma 0.5) with repair: before the test at 10,
    // f0 = 1 - e^{-0.1}; half is detected and repaired at mu = 0.1, half stays.
    double l = 0.01, mu = 0.1;
    double f0 = 1.0 - std::exp(-0.1), w0 = std::exp(-0.1), r0 = 0.5 * f0;
    double w = w0 * std::exp(-l * 5.0) + mu * r0 * (std::exp(-mu * 5.0) - std::exp(-l * 5.0)) / (l - mu);
    EXPECT_NEAR(at(l, l, mu, 10, 10, 0, 0, true, 0.5, 0, 15.0), 1.0 - w, 1e-14);
    // A failure rate specific to tests: lambda 0, lambda during tests 0.2 over
    // tests of length 2 starting at 4: at 5, 1 - e^{-0.2}; at 7, the failure
    // was detected (no repair).
    EXPECT_NEAR(at(0, 0.2, 0, 10, 4, 0, 2, true, 1, 0, 5.0), 1.0 - std::exp(-0.2), 1e-15);
    EXPECT_NEAR(at(0, 0.2, 0, 10, 4, 0, 2, true, 1, 0, 7.0), 1.0 - std::exp(-0.4), 1e-15);
    // The four-child form is the ten-child one with lambda = lambda during
    // tests, gamma 0, pi 0, sigma 1 and omega 0.
    EXPECT_NEAR(at(1e-3, 1e-3, 0.1, 100, 50, 0, 0, true, 1, 0, 777.0),
                At(E::PeriodicTest, {R(1e-3), R(0.1), R(100.0), R(50.0)}, 777.0), 1e-15);
    // An integer 0 as "available" means not available.
    EXPECT_EQ(At(E::PeriodicTest, {R(0), R(0), R(0), R(10), R(5), R(0.1), R(1), I(0), R(1), R(0)}, 5.5), 1.0);
}

// The fast form (matrix powers) against period-by-period stepping on random
// parameters and times.
TEST(PeriodicTestModel, FastFormAgreesWithSteppingOnRandomCases) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 500; ++trial) {
        KEFODistributions::PeriodicTestParameters p;
        p.lambda = std::pow(10.0, -4.0 + 3.0 * unit(random));
        p.lambdaTest = std::pow(10.0, -4.0 + 3.0 * unit(random));
        p.mu = trial % 7 == 0 ? 0.0 : std::pow(10.0, -3.0 + 3.0 * unit(random));
        p.tau = 1.0 + 100.0 * unit(random);
        p.theta = 50.0 * unit(random);
        p.gamma = 0.1 * unit(random);
        p.pi = trial % 3 == 0 ? 0.0 : p.tau * 0.2 * unit(random);
        p.availableDuringTest = trial % 2 == 0;
        p.sigma = unit(random);
        p.omega = 0.1 * unit(random);
        double t = 2000.0 * unit(random);
        double fast = KEFODistributions::PeriodicTest(p, t);
        double steps = KEFODistributions::PeriodicTestBySteps(p, t);
        EXPECT_NEAR(fast, steps, 1e-9) << "trial " << trial;
        EXPECT_GE(fast, 0.0);
        EXPECT_LE(fast, 1.0);
    }
    // Very many periods are cheap and settle.
    KEFODistributions::PeriodicTestParameters p;
    p.lambda = p.lambdaTest = 1e-3;
    p.mu = 0.1;
    p.tau = 1e-3;
    double settled = KEFODistributions::PeriodicTest(p, 1e12);
    EXPECT_GE(settled, 0.0);
    EXPECT_LE(settled, 1.0);
}

}  // namespace
