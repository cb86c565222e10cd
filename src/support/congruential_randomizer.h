// Multiplicative congruential generator (Park and Miller's "minimal
// standard" and its two better multipliers), stepped with Schrage's method in
// 32-bit signed integers and XOR-masked around each step:
//     s = s XOR mask; k = s / q; s = a (s - k q) - r k; if s < 0, s += m;
//     s = s XOR mask; Draw returns s; UniformDraw returns s / m.
// with q = m / a and r = m mod a. The state is the last output; the seed is
// the initial state (12345 by default).
#ifndef KEFO_SUPPORT_CONGRUENTIAL_RANDOMIZER_H
#define KEFO_SUPPORT_CONGRUENTIAL_RANDOMIZER_H

#include "support/randomizer.h"

#include <cstdint>

class PLOVCongruentialRandomizer : public PLOVRandomizer {
    PLOV_MANAGED_ALLOCATION(PLOVCongruentialRandomizer)
public:
    // Variant 2: multiplier 48271; variant 3: 69621; any other: 16807. All
    // use the modulus 2147483647 and the mask 123459876.
    explicit PLOVCongruentialRandomizer(int variant = 1);
    PLOVCongruentialRandomizer(long modulus, long multiplier, long mask);
    ~PLOVCongruentialRandomizer() override;

    // Sets the constants and restarts from the seed. Constants with which
    // Schrage's step would overflow 32 bits (modulus outside [2, 2^31 - 1],
    // multiplier outside [1, modulus - 1], or m mod a >= m / a) are refused:
    // the constants of variant 1 are used instead, and false is returned.
    bool Initialize(long modulus, long multiplier, long mask);

    using PLOVRandomizer::UniformDraw;
    PLOVRandomizer* Copy() const override;
    long Draw() override;
    double UniformDraw() override { return static_cast<double>(Draw()) / static_cast<double>(_m); }
    // The seed is kept as a 32-bit signed integer (its low 32 bits).
    void SetSeed(long seed) override;
    long GetSeed() const override { return _seed; }

    long GetState() const { return _s; }
    long GetModulus() const { return _m; }
    long GetMultiplier() const { return _a; }
    long GetMask() const { return _mask; }
    long GetCounter() const { return _counter; }

    // One Schrage step of s (no mask): a s mod m, made non-negative.
    static std::int32_t Step(std::int32_t s, std::int32_t m, std::int32_t a, std::int32_t q, std::int32_t r) {
        std::int32_t k = s / q;
        s = a * (s - k * q) - r * k;
        if (s < 0) s += m;
        return s;
    }

private:
    std::int32_t _seed;
    std::int32_t _s;
    std::int32_t _m;
    std::int32_t _a;
    std::int32_t _mask;
    std::int32_t _q;
    std::int32_t _r;
    long _counter;
};

#endif
