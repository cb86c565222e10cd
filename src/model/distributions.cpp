#include "model/distributions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

const double KEFODistributions::epsilon = 2.220446049250313e-16;

namespace {

inline double Sane(double x) { return std::isnan(x) ? 0.0 : x; }

// 1 - exp(-x), accurate for small x.
inline double OneMinusExp(double x) { return -std::expm1(-x); }

}  // namespace

double KEFODistributions::Exponential(double lambda, double s) { return Sane(OneMinusExp(lambda * s)); }

double KEFODistributions::GLM(double g, double l, double m, double s) {
    double k = l + m;
    if (k == 0.0) return 0.0;
    return Sane(l / k - std::exp(-k * s) * (l - k * g) / k);
}

double KEFODistributions::MTT(double a, double b, double s) {
    if (a == 0.0) a = epsilon;
    if (b == 0.0) b = epsilon;
    double r = 1.0 / a;
    double k = 1.0 / b + r;
    if (k == 0.0) k = epsilon;
    return Sane(OneMinusExp(k * s) * r / k);
}

double KEFODistributions::Dormant(double l, double c, double p) {
    double oneMinusE = OneMinusExp(l * p);
    double h = c * l * oneMinusE;
    double denominator = h + p * l;
    if (denominator == 0.0) return 0.0;
    double value = (p * l - oneMinusE + h) / denominator;
    if (std::isnan(value)) return 0.0;
    return std::min(1.0, std::max(0.0, value));
}

double KEFODistributions::Weibull(double a, double b, double o, double s) {
    if (a == 0.0) a = epsilon;
    if (o >= s) return 0.0;
    return Sane(OneMinusExp(std::pow((s - o) / a, b)));
}

// With i the number of failed components, p_0 = 1 and, for i = 1 to n,
// p_i = p_{i-1} f_i / (min(i, r) u), where f_i, the failure rate out of state
// i-1, is (n - i + 1 - m) b + m a while standby components remain
// (i <= n - m + 1) and (n - i + 1) a afterwards. The unavailability is the
// sum of p_i over the states where fewer than m components work
// (i from n - m + 1 to n) divided by the sum of all p_i. The running sums are
// rescaled when they grow large (the ratio is unchanged). Without repair
// (r = 0 or u = 0) the chain ends in the first state it cannot leave.
double KEFODistributions::Standby(int n, int m, int r, double a, double b, double u) {
    if (n < 0) n = 0;
    if (n > maximumStandbyComponents) n = maximumStandbyComponents;
    m = std::min(std::max(m, 0), n);
    r = std::min(std::max(r, 0), n);
    if (m == 0) return 0.0;
    int firstFailed = n - m + 1;
    auto rate = [&](int i) {
        return i <= firstFailed ? static_cast<double>(n - i + 1 - m) * b + static_cast<double>(m) * a
                                : static_cast<double>(n - i + 1) * a;
    };
    if (r == 0 || u == 0.0) {
        int last = n;
        for (int i = 1; i <= n; ++i) {
            if (rate(i) == 0.0) {
                last = i - 1;
                break;
            }
        }
        return last >= firstFailed ? 1.0 : 0.0;
    }
    const double big = 1e250;
    double p = 1.0;
    double total = 1.0;
    double failed = 0.0;
    for (int i = 1; i <= n; ++i) {
        p = p * rate(i) / (static_cast<double>(std::min(i, r)) * u);
        if (p == 0.0) break;
        if (p > big || total > big) {
            p /= big;
            total /= big;
            failed /= big;
        }
        total += p;
        if (i >= firstFailed) failed += p;
    }
    double value = failed / total;
    if (std::isnan(value)) return 0.0;
    return std::min(1.0, std::max(0.0, value));
}

// u is the time since the last test: t before the first test (o >= t), else
// the remainder of t - o by the period, a full period at a test instant (the
// value just before the test). A zero period means no test at all.
double KEFODistributions::PeriodicTest(double l, double p, double o, double t) {
    double u;
    if (o >= t || !(p > 0.0)) {
        u = t;
    } else {
        u = std::fmod(t - o, p);
        if (u == 0.0 && t != 0.0) u = p;
    }
    return Exponential(l, u);
}

// The three-state model of the four- and ten-argument periodic-test.
//
// State: probabilities w (working), f (failed, not yet detected) and r
// (detected, under repair), w + f + r = 1, starting at (1, 0, 0) at time 0.
// The unavailability is f + r (1 during a test when the component is not
// available during tests).
//
// Operating phase of length d with failure rate l and repair rate m:
//   r' = r e^{-m d}
//   w' = w e^{-l d} + r m g,  g = (e^{-m d} - e^{-l d}) / (l - m)
//                                 (g = d e^{-l d} when l = m)
//   f' = f + w (1 - e^{-l d}) + r ((1 - e^{-m d}) - m g)
// (from dw/dt = -l w + m r, df/dt = l w, dr/dt = -m r).
//
// Tests start at theta, theta + tau, theta + 2 tau, ... and last pi (at most
// tau). A test that starts at s covers (s, s + pi]; at the instant s itself
// the state is the one before the test (so the value is continuous from the
// left, as in the three-argument form). One test:
//   1. start: a working component fails because of the test with
//      probability gamma (w -> f);
//   2. during the test: operating phase of length pi with the test failure
//      rate lambdaTest (repairs go on at mu);
//   3. end: a failure present is detected with probability sigma (f -> r);
//   4. restart: a working component is left failed with probability omega
//      (w -> f), undetected until a later test.
// Then the component operates until the next test starts.
//
// Each phase is linear in (w, f, r), so one whole period (test then
// operation) is a 3x3 matrix C; after the first test the state at the start
// of the k-th period is C^k applied to the state before the first test,
// computed by repeated squaring (the cost is logarithmic in t / tau).
//
// The four-argument form (l, m, tau, theta) is gamma = 0, pi = 0, sigma = 1,
// omega = 0 and lambdaTest = l; as m grows it tends to the three-argument
// form. Without a period (tau = 0) the component is never tested.
namespace {

struct State {
    double w, f, r;
};

struct Matrix {
    // s' = M s with s = (w, f, r) as a column; a[i][j]: from state j to i.
    double a[3][3];
};

Matrix Identity() {
    Matrix m{};
    for (int i = 0; i < 3; ++i) m.a[i][i] = 1.0;
    return m;
}

Matrix Multiply(const Matrix& x, const Matrix& y) {
    Matrix z{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += x.a[i][k] * y.a[k][j];
            z.a[i][j] = sum;
        }
    }
    return z;
}

State Apply(const Matrix& m, const State& s) {
    return State{m.a[0][0] * s.w + m.a[0][1] * s.f + m.a[0][2] * s.r,
                 m.a[1][0] * s.w + m.a[1][1] * s.f + m.a[1][2] * s.r,
                 m.a[2][0] * s.w + m.a[2][1] * s.f + m.a[2][2] * s.r};
}

// (e^{-m d} - e^{-l d}) / (l - m), stable when l and m are close.
double TransferFactor(double l, double m, double d) {
    double x = (l - m) * d;
    if (std::fabs(x) < 1e-5) return d * std::exp(-l * d) * (1.0 + x / 2.0 + x * x / 6.0);
    return (std::exp(-m * d) - std::exp(-l * d)) / (l - m);
}

Matrix Operate(double l, double m, double d) {
    Matrix o{};
    if (!(d > 0.0)) return Identity();
    double el = std::exp(-l * d);
    double em = std::exp(-m * d);
    double g = m > 0.0 ? m * TransferFactor(l, m, d) : 0.0;
    o.a[0][0] = el;
    o.a[1][0] = -std::expm1(-l * d);
    o.a[1][1] = 1.0;
    o.a[0][2] = g;
    o.a[2][2] = em;
    o.a[1][2] = std::max(0.0, -std::expm1(-m * d) - g);
    return o;
}

Matrix TestStart(double gamma) {
    Matrix m = Identity();
    m.a[0][0] = 1.0 - gamma;
    m.a[1][0] = gamma;
    return m;
}

Matrix Detection(double sigma) {
    Matrix m = Identity();
    m.a[1][1] = 1.0 - sigma;
    m.a[2][1] = sigma;
    return m;
}

Matrix Restart(double omega) {
    Matrix m = Identity();
    m.a[0][0] = 1.0 - omega;
    m.a[1][0] = omega;
    return m;
}

double Unavailability(const State& s) { return std::min(1.0, std::max(0.0, s.f + s.r)); }

KEFODistributions::PeriodicTestParameters Sanitized(const KEFODistributions::PeriodicTestParameters& p) {
    KEFODistributions::PeriodicTestParameters q = p;
    auto nonNegative = [](double x) { return x > 0.0 ? x : 0.0; };  // NaN reads 0
    auto probability = [](double x) { return x > 0.0 ? (x < 1.0 ? x : 1.0) : 0.0; };
    q.lambda = nonNegative(q.lambda);
    q.lambdaTest = nonNegative(q.lambdaTest);
    q.mu = nonNegative(q.mu);
    q.tau = nonNegative(q.tau);
    q.theta = nonNegative(q.theta);
    q.pi = std::min(nonNegative(q.pi), q.tau);
    q.gamma = probability(q.gamma);
    q.sigma = probability(q.sigma);
    q.omega = probability(q.omega);
    return q;
}

}  // namespace

double KEFODistributions::PeriodicTest(const PeriodicTestParameters& parameters, double t) {
    PeriodicTestParameters p = Sanitized(parameters);
    State s{1.0, 0.0, 0.0};
    if (!(t > 0.0)) return 0.0;
    if (t <= p.theta || !(p.tau > 0.0)) return Unavailability(Apply(Operate(p.lambda, p.mu, t), s));
    s = Apply(Operate(p.lambda, p.mu, p.theta), s);
    double elapsed = t - p.theta;
    double periods = std::ceil(elapsed / p.tau);  // tests started before t
    if (periods < 1.0) periods = 1.0;
    double v = elapsed - (periods - 1.0) * p.tau;  // time since the last test started
    if (v > p.tau) v = p.tau;
    if (v <= 0.0) v = std::min(p.tau, elapsed);
    Matrix testing = Operate(p.lambdaTest, p.mu, p.pi);
    Matrix cycle = Multiply(Operate(p.lambda, p.mu, p.tau - p.pi),
                            Multiply(Restart(p.omega), Multiply(Detection(p.sigma), Multiply(testing, TestStart(p.gamma)))));
    // C^(periods - 1) by repeated squaring.
    const double cap = 4.611686018427387904e18;  // 2^62: the state has long settled
    std::uint64_t k = static_cast<std::uint64_t>(std::min(periods - 1.0, cap));
    Matrix power = Identity();
    Matrix base = cycle;
    while (k > 0) {
        if (k & 1u) power = Multiply(base, power);
        k >>= 1;
        if (k > 0) base = Multiply(base, base);
    }
    s = Apply(power, s);
    s = Apply(TestStart(p.gamma), s);
    if (v <= p.pi) {
        s = Apply(Operate(p.lambdaTest, p.mu, v), s);
        return p.availableDuringTest ? Unavailability(s) : 1.0;
    }
    s = Apply(testing, s);
    s = Apply(Detection(p.sigma), s);
    s = Apply(Restart(p.omega), s);
    s = Apply(Operate(p.lambda, p.mu, v - p.pi), s);
    return Unavailability(s);
}

namespace {

// The phases applied to the state directly.
void Evolve(State& s, double l, double m, double d) {
    if (!(d > 0.0)) return;
    double el = std::exp(-l * d);
    double em = std::exp(-m * d);
    double g = m > 0.0 ? m * TransferFactor(l, m, d) : 0.0;
    State n;
    n.w = s.w * el + s.r * g;
    n.r = s.r * em;
    n.f = s.f + s.w * (1.0 - el) + s.r * ((1.0 - em) - g);
    s = n;
}

}  // namespace

double KEFODistributions::PeriodicTestBySteps(const PeriodicTestParameters& parameters, double t) {
    PeriodicTestParameters p = Sanitized(parameters);
    State s{1.0, 0.0, 0.0};
    if (!(t > 0.0)) return 0.0;
    if (t <= p.theta || !(p.tau > 0.0)) {
        Evolve(s, p.lambda, p.mu, t);
        return Unavailability(s);
    }
    Evolve(s, p.lambda, p.mu, p.theta);
    double start = p.theta;  // start of the current test
    for (;;) {
        s.f += p.gamma * s.w;
        s.w *= 1.0 - p.gamma;
        if (t <= start + p.pi) {
            Evolve(s, p.lambdaTest, p.mu, t - start);
            return p.availableDuringTest ? Unavailability(s) : 1.0;
        }
        Evolve(s, p.lambdaTest, p.mu, p.pi);
        s.r += p.sigma * s.f;
        s.f *= 1.0 - p.sigma;
        s.f += p.omega * s.w;
        s.w *= 1.0 - p.omega;
        double next = start + p.tau;
        if (t <= next) {
            Evolve(s, p.lambda, p.mu, t - start - p.pi);
            return Unavailability(s);
        }
        Evolve(s, p.lambda, p.mu, p.tau - p.pi);
        start = next;
    }
}
