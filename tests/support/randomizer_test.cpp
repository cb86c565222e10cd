#include "support/congruential_randomizer.h"
#include "support/memory_manager.h"
#include "support/mersenne_twister_randomizer.h"
#include "support/randomizer.h"
#include "support/shuffled_congruential_randomizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

// A generator that replays a fixed list of uniform numbers, to check the
// draws step by step.
class ScriptedRandomizer : public PLOVRandomizer {
public:
    explicit ScriptedRandomizer(std::vector<double> values) : _values(std::move(values)) {}
    long Draw() override { return 0; }
    using PLOVRandomizer::UniformDraw;
    double UniformDraw() override {
        EXPECT_LT(_next, _values.size()) << "more uniform draws than expected";
        return _next < _values.size() ? _values[_next++] : 0.5;
    }
    void SetSeed(long) override {}
    long GetSeed() const override { return 0; }
    std::size_t Used() const { return _next; }

private:
    std::vector<double> _values;
    std::size_t _next = 0;
};

// ---- Congruential generators ------------------------------------------------

// The sequence computed directly: s = a s mod m in 64-bit arithmetic, inside the mask.
std::vector<long> MaskedSequence(long a, long seed, int count) {
    const std::int64_t m = 2147483647, mask = 123459876;
    std::int64_t s = seed;
    std::vector<long> out;
    for (int i = 0; i < count; ++i) {
        std::int64_t t = s ^ mask;
        t = (a * t) % m;
        s = t ^ mask;
        out.push_back(static_cast<long>(s));
    }
    return out;
}

TEST(PLOVCongruentialRandomizerTest, VariantsFollowTheMaskedSequenceFromSeed12345) {
    PLOVCongruentialRandomizer r(1);
    EXPECT_EQ(r.GetSeed(), 12345);
    const long first[] = {612281237, 1758924121, 25774822, 1840869417, 1100157545};
    for (long x : first) EXPECT_EQ(r.Draw(), x);
    // Variant 1 and unknown variants: 16807; 2: 48271; 3: 69621.
    const long variants[][2] = {{1, 16807}, {2, 48271}, {3, 69621}, {7, 16807}};
    for (const auto& v : variants) {
        PLOVCongruentialRandomizer draws(v[0]), uniforms(v[0]);
        std::vector<long> expected = MaskedSequence(v[1], 12345, 20000);
        for (long x : expected) ASSERT_EQ(draws.Draw(), x) << "variant " << v[0];
        EXPECT_EQ(draws.GetCounter(), 20000);
        for (int i = 0; i < 5000; ++i) ASSERT_DOUBLE_EQ(uniforms.UniformDraw(), expected[i] / 2147483647.0);
    }
}

TEST(PLOVCongruentialRandomizerTest, SeedCopyAndRefusedConstants) {
    PLOVCongruentialRandomizer r(1);
    r.SetSeed(987654321);
    std::vector<long> expected = MaskedSequence(16807, 987654321, 100);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(r.Draw(), expected[i]);
    std::unique_ptr<PLOVRandomizer> copy(r.Copy());
    for (int i = 50; i < 100; ++i) {
        ASSERT_EQ(copy->Draw(), expected[i]);
        ASSERT_EQ(r.Draw(), expected[i]);
    }
    // A multiplier for which Schrage's step would overflow is refused.
    PLOVCongruentialRandomizer bad(2147483647L, 2000000000L, 0);
    EXPECT_EQ(bad.GetMultiplier(), 16807);
    EXPECT_FALSE(bad.Initialize(1, 1, 0));
    EXPECT_TRUE(bad.Initialize(2147483647L, 48271, 0));
    // Without a mask the generator is the plain minimal standard one.
    std::int64_t s = 12345;
    for (int i = 0; i < 100; ++i) {
        s = (48271 * s) % 2147483647;
        ASSERT_EQ(bad.Draw(), s);
    }
    // Negative seeds stay in the modulus range.
    r.SetSeed(-5);
    for (int i = 0; i < 100; ++i) {
        double u = r.UniformDraw();
        ASSERT_GE(u, 0.0);
        ASSERT_LE(u, 1.0);
    }
}

std::vector<long> ShuffledSequence(long a, long seed, int count) {
    const std::int64_t m = 2147483647, n = 32, d = (m - 1) / n + 1;
    std::int64_t s = seed < 0 ? -seed : seed;
    if (s == 0) s = 1;
    for (int i = 0; i < 8; ++i) s = a * s % m;
    std::int64_t table[32];
    for (int j = 31; j >= 0; --j) {
        s = a * s % m;
        table[j] = s;
    }
    std::int64_t y = s;
    std::vector<long> out;
    for (int i = 0; i < count; ++i) {
        s = a * s % m;
        std::int64_t j = y / d;
        y = table[j];
        table[j] = s;
        out.push_back(static_cast<long>(y));
    }
    return out;
}

TEST(PLOVShuffledCongruentialRandomizerTest, SameSequenceWithExplicitOrImplicitReset) {
    PLOVShuffledCongruentialRandomizer implicit(1), explicitReset(1);
    EXPECT_EQ(implicit.GetSize(), 32);
    explicitReset.Reset();
    const long first[] = {1982386332, 715426902, 424962143, 2038867620, 1683198519};
    for (long x : first) {
        EXPECT_EQ(implicit.Draw(), x);
        EXPECT_EQ(explicitReset.Draw(), x);
    }
    std::vector<long> expected = ShuffledSequence(16807, 12345, 20000);
    PLOVShuffledCongruentialRandomizer again(1);
    for (long x : expected) ASSERT_EQ(again.Draw(), x);
    // Reset restarts the sequence.
    again.Reset();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(again.Draw(), expected[i]);
}

TEST(PLOVShuffledCongruentialRandomizerTest, VariantsSeedsAndCopies) {
    PLOVShuffledCongruentialRandomizer r(2);
    r.SetSeed(-4242);
    std::vector<long> expected = ShuffledSequence(48271, 4242, 200);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(r.Draw(), expected[i]);
    std::unique_ptr<PLOVRandomizer> copy(r.Copy());
    for (int i = 100; i < 200; ++i) {
        ASSERT_EQ(r.Draw(), expected[i]);
        ASSERT_EQ(copy->Draw(), expected[i]);
    }
    // Seed 0 behaves as seed 1; outputs are in (0, 1).
    PLOVShuffledCongruentialRandomizer zero(3), one(3);
    zero.SetSeed(0);
    one.SetSeed(1);
    for (int i = 0; i < 1000; ++i) {
        double u = zero.UniformDraw();
        ASSERT_EQ(u, one.UniformDraw());
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    PLOVShuffledCongruentialRandomizer custom(2147483647L, 16807, 0, 4);
    EXPECT_FALSE(custom.Initialize(2147483647L, 16807, 0, 0));
    EXPECT_EQ(custom.GetSize(), 32);
}

// ---- Mersenne Twister ---------------------------------------------------------

TEST(PLOVMersenneTwisterRandomizerTest, ConstructorSeedsWith12345AndMatchesTheStandardGenerator) {
    PLOVMersenneTwisterRandomizer r;
    EXPECT_EQ(r.GetSeed(), 12345);
    std::mt19937_64 reference(12345);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(r.DrawUnsigned(), reference());
    for (int i = 0; i < 2000; ++i) {
        std::uint64_t o = reference();
        double u = r.UniformDraw();
        ASSERT_EQ(u, static_cast<double>(o >> 11) / 9007199254740992.0);
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    for (int i = 0; i < 100; ++i) ASSERT_EQ(r.Draw(), static_cast<long>(reference() >> 1));
    std::unique_ptr<PLOVRandomizer> copy(r.Copy());
    for (int i = 0; i < 700; ++i) ASSERT_EQ(copy->Draw(), r.Draw());
    // Reseeding; the standard guarantees the 10000th output for seed 5489.
    r.SetSeed(5489);
    reference.seed(5489);
    for (int i = 1; i < 10000; ++i) ASSERT_EQ(r.DrawUnsigned(), reference());
    EXPECT_EQ(r.DrawUnsigned(), 9981545732273789042ULL);
}

TEST(PLOVMersenneTwisterRandomizerTest, GeneratorsGoThroughTheAccounting) {
    PLOVMemoryManager::Start();
    PLOVRandomizer* r = new PLOVMersenneTwisterRandomizer;
    PLOVRandomizer* c = r->Copy();
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 2);
    delete r;
    delete c;
    delete new PLOVShuffledCongruentialRandomizer(1);
    EXPECT_EQ(PLOVMemoryManager::GetAllocationBalance(), 0);
}

// ---- Draws, step by step ----------------------------------------------------------

TEST(PLOVRandomizerTest, NormalDrawCachesTheSecondDeviate) {
    // x = 2(0.7) - 1 = 0.4, y = 2(0.4) - 1 = -0.2; w = 0.2; f = sqrt(-2 ln w / w).
    // The first pair (0.9, 0.95) gives w = 1.7125 and is rejected.
    ScriptedRandomizer r({0.95, 0.975, 0.7, 0.4, 0.6, 0.8});
    double f = std::sqrt(-2.0 * std::log(0.2) / 0.2);
    EXPECT_NEAR(r.NormalDraw(), 0.4 * f, 1e-12);
    EXPECT_EQ(r.Used(), 4u);
    EXPECT_NEAR(r.GetNormalDrawValue(), -0.2 * f, 1e-12);
    EXPECT_NEAR(r.NormalDraw(), -0.2 * f, 1e-12);  // from the cache
    EXPECT_EQ(r.Used(), 4u);
    EXPECT_EQ(r.GetNormalDrawValue(), 0.0);
    // x = 0.2, y = 0.6: w = 0.4.
    double g = std::sqrt(-2.0 * std::log(0.4) / 0.4);
    EXPECT_NEAR(r.NormalDraw(3.0, 2.0), 3.0 + 2.0 * 0.2 * g, 1e-12);
    EXPECT_EQ(r.Used(), 6u);
    r.ResetNormalDrawValue();
    EXPECT_EQ(r.GetNormalDrawValue(), 0.0);

    PLOVMersenneTwisterRandomizer a, b;
    a.NormalDraw();
    b.NormalDraw();
    b.ResetNormalDrawValue();  // b discards its cached deviate: the two now differ
    EXPECT_NE(a.NormalDraw(), b.NormalDraw());
}

TEST(PLOVRandomizerTest, StandardScoreTable) {
    const double table[][2] = {{0.95, 1.9599}, {0.975, 2.5759}, {0.1, 0.6745},    {0.5, 0.6745},  {0.6, 1.0},
                               {0.9, 1.6449},  {0.9545, 2.0},   {0.99, 2.5759},   {0.995, 3.0},   {0.999, 3.2905},
                               {0.9999, 3.8906}, {0.99993, 4.0}, {0.99999, 4.4172}};
    for (const auto& row : table) EXPECT_EQ(PLOVRandomizer::StandardScore(row[0]), row[1]) << row[0];
}

TEST(PLOVRandomizerTest, ExponentialDrawByRepeatedDoubling) {
    const double ln2 = std::log(2.0);
    // Each draw uses every uniform number given, in turn:
    // u = 0.3: 0.6 (adds ln 2), 1.2; u - 1 = 0.2 <= ln 2: ln 2 + 0.2.
    // A zero draw is skipped; u = 0.6: 1.2, u - 1 = 0.2: result 0.2.
    // u = 0.95: 1.9, u - 1 = 0.9 > ln 2; q_2 = 0.9334 >= 0.9: two more draws,
    // the smaller times ln 2.
    // u = 0.12 -> 0.24 -> 0.48 -> 0.96 -> 1.92: a = 3 ln 2; u - 1 = 0.92
    // <= q_2; draws 0.3 and 0.7, minimum 0.3.
    const struct {
        std::vector<double> uniforms;
        double expected, tolerance;
    } cases[] = {{{0.3}, ln2 + 0.2, 1e-15}, {{0.0, 0.6}, 0.2, 1e-15}, {{0.95, 0.5, 0.25}, 0.25 * ln2, 1e-15},
                 {{0.12, 0.3, 0.7}, 3 * ln2 + 0.3 * ln2, 1e-14}};
    for (const auto& c : cases) {
        ScriptedRandomizer r(c.uniforms);
        EXPECT_NEAR(r.ExponentialDraw(), c.expected, c.tolerance) << c.uniforms[0];
        EXPECT_EQ(r.Used(), c.uniforms.size()) << c.uniforms[0];
    }
    // The table is the partial sums of (ln 2)^i / i!: check it by the draw
    // count at each boundary.
    double q = 0.0, term = 1.0;
    for (int k = 1; k <= 6; ++k) {
        term *= ln2 / k;
        q += term;
        if (k < 2) continue;
        // u - 1 just below q_k: exactly k further draws.
        double u = (1.0 + q * (1.0 - 1e-9)) / 2.0;
        std::vector<double> values(1, u);
        for (int i = 0; i < k; ++i) values.push_back(0.5);
        ScriptedRandomizer r(values);
        r.ExponentialDraw();
        EXPECT_EQ(r.Used(), static_cast<std::size_t>(k + 1)) << "k = " << k;
    }
}

TEST(PLOVRandomizerTest, ModuloUniformTriangularAndLoguniformByInversion) {
    ScriptedRandomizer r({0.0, 0.999, 1.0, 0.25, 0.5, 0.0, 1.0, 0.125, 0.5, 0.75});
    EXPECT_EQ(r.DrawModulo(10), 0);
    EXPECT_EQ(r.DrawModulo(10), 9);
    EXPECT_EQ(r.DrawModulo(10), 9);  // u = 1 from a closed-interval generator
    EXPECT_DOUBLE_EQ(r.UniformDraw(2.0, 6.0), 3.0);
    EXPECT_DOUBLE_EQ(r.LoguniformDraw(1e-4, 1e-2), 1e-3);
    // Triangular (0, 1, 3): F(1) = 1/3.
    EXPECT_DOUBLE_EQ(r.TriangularDraw(0.0, 1.0, 3.0), 0.0);
    EXPECT_DOUBLE_EQ(r.TriangularDraw(0.0, 1.0, 3.0), 3.0);
    EXPECT_DOUBLE_EQ(r.TriangularDraw(0.0, 1.0, 3.0), std::sqrt(0.125 * 3.0));
    EXPECT_DOUBLE_EQ(r.TriangularDraw(3.0, 1.0, 0.0), 3.0 - std::sqrt(0.5 * 3.0 * 2.0));  // bounds swapped
    EXPECT_DOUBLE_EQ(r.TriangularDraw(2.0, 5.0, 2.0), 2.0);  // empty width
    EXPECT_EQ(r.DrawModulo(0), 0);
}

TEST(PLOVRandomizerTest, DegenerateParameters) {
    PLOVMersenneTwisterRandomizer r;
    EXPECT_EQ(r.GammaDraw(0.0), 0.0);
    EXPECT_EQ(r.GammaDraw(-1.0), 0.0);
    EXPECT_EQ(r.BetaDraw(0.0, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(r.LognormalDraw(0.01, 1.0, 0.95), 0.01);  // EF 1: no spread
    // Shapes so small that both gamma deviates underflow: 0 or 1, 1 with
    // probability a / (a + b).
    int ones = 0;
    for (int i = 0; i < 2000; ++i) {
        double x = r.BetaDraw(1e-300, 3e-300);
        ASSERT_TRUE(x == 0.0 || x == 1.0 || (x > 0.0 && x < 1.0));
        if (x > 0.5) ++ones;
    }
    EXPECT_NEAR(ones / 2000.0, 0.25, 0.05);
    for (int i = 0; i < 1000; ++i) {
        double g = r.GammaDraw(0.01);
        ASSERT_GE(g, 0.0);
        ASSERT_TRUE(std::isfinite(g));
    }
}

// ---- Draws, statistically ----------------------------------------------------------

struct Moments {
    double mean = 0.0;
    double variance = 0.0;
};

template <class F>
Moments Sample(F draw, int n = 100000) {
    double s = 0.0, ss = 0.0;
    for (int i = 0; i < n; ++i) {
        double x = draw();
        s += x;
        ss += x * x;
    }
    Moments m;
    m.mean = s / n;
    m.variance = (ss - s * s / n) / (n - 1);
    return m;
}

// Mean within 5 standard errors; variance within 5 of its standard errors
// (fourth moment given).
void ExpectMoments(const Moments& m, double mean, double variance, double fourthCentral, const char* what) {
    const double n = 100000;
    EXPECT_NEAR(m.mean, mean, 5.0 * std::sqrt(variance / n)) << what;
    EXPECT_NEAR(m.variance, variance, 5.0 * std::sqrt((fourthCentral - variance * variance) / n)) << what;
}

// The laws are drawn by the base class from the uniform draws, whose
// sequences are checked exactly above for every generator.
TEST(PLOVRandomizerTest, LawsWithTheMersenneTwister) {
    PLOVMersenneTwisterRandomizer r;
    ExpectMoments(Sample([&] { return r.UniformDraw(); }), 0.5, 1.0 / 12, 1.0 / 80, "uniform");
    ExpectMoments(Sample([&] { return r.UniformDraw(-2.0, 6.0); }), 2.0, 64.0 / 12, 4096.0 / 80, "uniform(a, b)");
    ExpectMoments(Sample([&] { return r.NormalDraw(); }), 0.0, 1.0, 3.0, "normal");
    ExpectMoments(Sample([&] { return r.NormalDraw(10.0, 0.5); }), 10.0, 0.25, 3.0 * 0.0625, "normal(m, s)");
    ExpectMoments(Sample([&] { return r.ExponentialDraw(); }), 1.0, 1.0, 9.0, "exponential");
    for (double k : {0.3, 1.0, 2.5, 10.0})
        ExpectMoments(Sample([&] { return r.GammaDraw(k); }), k, k, 3.0 * k * k + 6.0 * k, "gamma");
    ExpectMoments(Sample([&] { return r.GammaDraw(2.0, 3.0); }), 6.0, 18.0, 81.0 * (12.0 + 12.0), "gamma(k, theta)");
    // Beta(2, 3): mean 0.4, variance 0.04; fourth central moment 0.0037714.
    ExpectMoments(Sample([&] { return r.BetaDraw(2.0, 3.0); }), 0.4, 0.04, 0.0037714, "beta");
    // Triangular(0, 1, 3): mean 4/3, variance 7/18; fourth central 0.362963.
    ExpectMoments(Sample([&] { return r.TriangularDraw(0.0, 1.0, 3.0); }), 4.0 / 3.0, 7.0 / 18.0, 0.362963, "triangular");
    // Loguniform on [a, b]: mean (b - a) / ln(b / a), E[X^2] = (b^2 - a^2) / (2 ln(b / a)).
    {
        double a = 1e-4, b = 1e-2, l = std::log(b / a);
        double mean = (b - a) / l, second = (b * b - a * a) / (2 * l);
        ExpectMoments(Sample([&] { return r.LoguniformDraw(a, b); }), mean, second - mean * mean,
                      5.0 * (second - mean * mean) * (second - mean * mean), "loguniform");
    }
    // Lognormal of mean 1e-3 and error factor 3 at 95%: sigma = ln 3 / 1.9599.
    {
        double sigma = std::log(3.0) / 1.9599, s2 = sigma * sigma;
        double variance = (std::exp(s2) - 1.0) * 1e-6;
        // E[(X - m)^4] = m^4 (e^(6 s2) - 4 e^(3 s2) + 6 e^(s2) - 3)
        double fourth = 1e-12 * (std::exp(6 * s2) - 4 * std::exp(3 * s2) + 6 * std::exp(s2) - 3);
        ExpectMoments(Sample([&] { return r.LognormalDraw(1e-3, 3.0, 0.95); }), 1e-3, variance, fourth, "lognormal");
    }
    // Modulo: every residue about equally often.
    std::vector<int> counts(7, 0);
    for (int i = 0; i < 70000; ++i) ++counts[static_cast<std::size_t>(r.DrawModulo(7))];
    for (int c : counts) EXPECT_NEAR(c, 10000, 500);
}

}  // namespace
