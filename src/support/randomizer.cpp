#include "support/randomizer.h"

#include <cmath>

namespace {

const double ln2 = 0.6931471805599453;

// q_k = sum over i = 1..k of (ln 2)^i / i!, rounded to double; the last is
// set to 1.0 so that the search below always ends.
const double exponentialTable[16] = {
    0.6931471805599453, 0.933373687519046,  0.9888777961838676, 0.9984959252914961,
    0.9998292811061389, 0.9999833164100728, 0.9999985691438767, 0.9999998906925558,
    0.9999999924734159, 0.9999999995283275, 0.9999999999728814, 0.9999999999985598,
    0.999999999999929,  0.9999999999999968, 0.9999999999999999, 1.0};

struct ScoreRow {
    double level;
    double score;
};

const ScoreRow scoreTable[] = {{0.5, 0.6745},    {0.68269, 1.0},  {0.9, 1.6449},   {0.95, 1.9599},
                               {0.9545, 2.0},    {0.99, 2.5759},  {0.9973, 3.0},   {0.999, 3.2905},
                               {0.9999, 3.8906}, {0.99993, 4.0}};

}  // namespace

PLOVRandomizer::~PLOVRandomizer() = default;

double PLOVRandomizer::LoguniformDraw(double a, double b) {
    if (!(a > 0.0) || !(b > 0.0)) return UniformDraw(a, b);
    double la = std::log(a);
    return std::exp(la + UniformDraw() * (std::log(b) - la));
}

long PLOVRandomizer::DrawModulo(long n) {
    if (n < 1) return 0;
    double u = UniformDraw();
    long k = static_cast<long>(std::floor(u * static_cast<double>(n)));
    // A generator whose unit interval is closed can give u = 1.
    if (k >= n) k = n - 1;
    if (k < 0) k = 0;
    return k;
}

double PLOVRandomizer::NormalDraw() {
    if (_normalDrawValue != 0.0) {
        double cached = _normalDrawValue;
        _normalDrawValue = 0.0;
        return cached;
    }
    double x, y, w;
    do {
        x = 2.0 * UniformDraw() - 1.0;
        y = 2.0 * UniformDraw() - 1.0;
        w = x * x + y * y;
    } while (!(w > 0.0 && w < 1.0));
    double f = std::sqrt(-2.0 * std::log(w) / w);
    _normalDrawValue = y * f;
    return x * f;
}

double PLOVRandomizer::StandardScore(double level) {
    for (const ScoreRow& row : scoreTable)
        if (level <= row.level) return row.score;
    return 4.4172;
}

double PLOVRandomizer::LognormalDraw(double mean, double errorFactor, double level) {
    double sigma = std::log(errorFactor) / StandardScore(level);
    return std::exp(NormalDraw() * sigma + std::log(mean) - sigma * sigma / 2.0);
}

double PLOVRandomizer::ExponentialDraw() {
    double u;
    do {
        u = UniformDraw();
    } while (u == 0.0);
    double a = 0.0;
    // Each doubling that leaves u in (0, 1] adds ln 2 to the integer part.
    for (;;) {
        u += u;
        if (u > 1.0) break;
        a += ln2;
    }
    u -= 1.0;
    if (u <= ln2) return a + u;
    double smallest = UniformDraw();
    int k = 1;  // exponentialTable[k] is q_(k+1)
    do {
        double next = UniformDraw();
        if (next < smallest) smallest = next;
        ++k;
    } while (u > exponentialTable[k - 1] && k < 16);
    return a + smallest * ln2;
}

double PLOVRandomizer::TriangularDraw(double lower, double mode, double upper) {
    if (upper < lower) {
        double t = lower;
        lower = upper;
        upper = t;
    }
    if (mode < lower) mode = lower;
    if (mode > upper) mode = upper;
    double u = UniformDraw();
    double width = upper - lower;
    if (!(width > 0.0)) return lower;
    double f = (mode - lower) / width;
    if (u < f) return lower + std::sqrt(u * width * (mode - lower));
    return upper - std::sqrt((1.0 - u) * width * (upper - mode));
}

double PLOVRandomizer::GammaDraw(double shape) {
    if (!(shape > 0.0)) return 0.0;
    if (shape < 1.0) {
        // Gamma(k) = Gamma(k + 1) U^(1/k).
        double g = GammaDraw(shape + 1.0);
        double u;
        do {
            u = UniformDraw();
        } while (u == 0.0);
        return g * std::pow(u, 1.0 / shape);
    }
    double d = shape - 1.0 / 3.0;
    double c = 1.0 / std::sqrt(9.0 * d);
    for (;;) {
        double x, v;
        do {
            x = NormalDraw();
            v = 1.0 + c * x;
        } while (v <= 0.0);
        v = v * v * v;
        double u = UniformDraw();
        double x2 = x * x;
        if (u < 1.0 - 0.0331 * x2 * x2) return d * v;
        if (u > 0.0 && std::log(u) < 0.5 * x2 + d * (1.0 - v + std::log(v))) return d * v;
    }
}

double PLOVRandomizer::BetaDraw(double a, double b) {
    if (!(a > 0.0) || !(b > 0.0)) return 0.0;
    double x = GammaDraw(a);
    double y = GammaDraw(b);
    double s = x + y;
    if (s > 0.0) return x / s;
    return UniformDraw() * (a + b) < a ? 1.0 : 0.0;
}
