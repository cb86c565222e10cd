// Pseudo-random generators and the draws of the usual laws built on them.
//
// PLOVRandomizer is the base: a generator gives raw integers (Draw) and reals
// in the unit interval (UniformDraw); every other draw is derived from
// UniformDraw here, so that each generator gets them all:
//  - UniformDraw(a, b)       a + u (b - a)
//  - LoguniformDraw(a, b)    exp(ln a + u (ln b - ln a)), for a, b > 0
//  - DrawModulo(n)           floor(u n), kept in [0, n - 1]
//  - NormalDraw()            Marsaglia's polar method; the second deviate of
//                            each pair is cached and returned by the next call
//  - NormalDraw(m, s)        m + s NormalDraw()
//  - StandardScore(level)    two-sided standard normal score, from a table
//  - LognormalDraw(mean, EF, level)
//                            sigma = ln EF / StandardScore(level);
//                            exp(N sigma + ln mean - sigma^2 / 2), so that
//                            mean is the mean of the law
//  - ExponentialDraw()       mean 1, by the repeated-doubling method of Ahrens
//                            and Dieter (algorithm SA) with the table of the
//                            partial sums of (ln 2)^i / i!
//  - TriangularDraw(l, m, h) triangular law on [l, h] with mode m, by
//                            inversion of its distribution function
//  - GammaDraw(k)            shape k, scale 1: Marsaglia and Tsang's
//                            squeeze method for k >= 1; for k < 1 the boost
//                            Gamma(k + 1) u^(1/k)
//  - GammaDraw(k, theta)     theta GammaDraw(k)
//  - BetaDraw(a, b)          X / (X + Y) with X = Gamma(a), Y = Gamma(b)
#ifndef KEFO_SUPPORT_RANDOMIZER_H
#define KEFO_SUPPORT_RANDOMIZER_H

#include "support/memory_manager.h"

class PLOVRandomizer {
    PLOV_MANAGED_ALLOCATION(PLOVRandomizer)
public:
    PLOVRandomizer() : _normalDrawValue(0.0) {}
    virtual ~PLOVRandomizer();

    // A new generator in the same state (owned by the caller); the base has
    // none to give.
    virtual PLOVRandomizer* Copy() const { return nullptr; }
    // Next raw integer.
    virtual long Draw() = 0;
    // Next real in the unit interval.
    virtual double UniformDraw() = 0;
    // Restarts the sequence from a seed; GetSeed gives the last seed set.
    virtual void SetSeed(long seed) = 0;
    virtual long GetSeed() const = 0;

    double UniformDraw(double a, double b) { return a + UniformDraw() * (b - a); }
    // Bounds that are not both positive give the plain uniform draw on [a, b].
    double LoguniformDraw(double a, double b);
    // 0 when n < 1.
    long DrawModulo(long n);
    double NormalDraw();
    double NormalDraw(double mean, double deviation) { return mean + deviation * NormalDraw(); }
    static double StandardScore(double level);
    double LognormalDraw(double mean, double errorFactor, double level);
    double ExponentialDraw();
    // Bounds in either order; the mode is clamped into them.
    double TriangularDraw(double lower, double mode, double upper);
    // 0.0 when the shape is not positive.
    double GammaDraw(double shape);
    double GammaDraw(double shape, double scale) { return scale * GammaDraw(shape); }
    // With shapes so small that both gamma deviates vanish, the law is the
    // limit one: 1.0 with probability a / (a + b), else 0.0. 0.0 when a shape
    // is not positive.
    double BetaDraw(double a, double b);

    // Discards the cached second normal deviate.
    void ResetNormalDrawValue() { _normalDrawValue = 0.0; }
    double GetNormalDrawValue() const { return _normalDrawValue; }

private:
    double _normalDrawValue;
};

#endif
