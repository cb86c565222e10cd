// Congruential generator whose outputs are shuffled through a table (Bays
// and Durham), which breaks the serial correlations of the plain generator:
//   Reset: s = |seed| (1 when the seed is 0); 8 Schrage steps discarded; then
//          for j = n - 1 down to 0 one step each, table[j] = s; y = s.
//   Draw:  Reset first when y is 0 (a fresh generator); one step of s;
//          j = y / d with d = (m - 1) / n + 1; y = table[j]; table[j] = s;
//          return y.
// The steps are Schrage's, without mask. UniformDraw returns Draw() / m.
#ifndef KEFO_SUPPORT_SHUFFLED_CONGRUENTIAL_RANDOMIZER_H
#define KEFO_SUPPORT_SHUFFLED_CONGRUENTIAL_RANDOMIZER_H

#include "support/randomizer.h"

#include <cstdint>
#include <vector>

class PLOVShuffledCongruentialRandomizer : public PLOVRandomizer {
    PLOV_MANAGED_ALLOCATION(PLOVShuffledCongruentialRandomizer)
public:
    // Variants as for PLOVCongruentialRandomizer, with a table of 32.
    explicit PLOVShuffledCongruentialRandomizer(int variant = 1);
    PLOVShuffledCongruentialRandomizer(long modulus, long multiplier, long mask, long size);
    ~PLOVShuffledCongruentialRandomizer() override;

    // Sets the constants (refused as for the plain generator, and a table
    // size outside [1, 65536] is refused too: variant 1 is used and false
    // returned); the table is refilled on the next draw.
    bool Initialize(long modulus, long multiplier, long mask, long size);
    // Restarts from the seed and fills the table.
    void Reset();

    using PLOVRandomizer::UniformDraw;
    PLOVRandomizer* Copy() const override;
    long Draw() override;
    double UniformDraw() override { return static_cast<double>(Draw()) / static_cast<double>(_m); }
    // Keeps the low 32 bits; the table is refilled on the next draw.
    void SetSeed(long seed) override;
    long GetSeed() const override { return _seed; }

    long GetSize() const { return static_cast<long>(_table.size()); }
    long GetModulus() const { return _m; }
    long GetMultiplier() const { return _a; }
    long GetMask() const { return _mask; }
    long GetCounter() const { return _counter; }

private:
    std::int32_t _seed;
    std::int32_t _s;
    std::int32_t _m;
    std::int32_t _a;
    std::int32_t _mask;
    std::int32_t _q;
    std::int32_t _r;
    std::int32_t _d;
    std::int32_t _y;
    long _counter;
    std::vector<std::int32_t> _table;
};

#endif
