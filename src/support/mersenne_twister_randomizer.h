// The 64-bit Mersenne Twister (MT19937-64 of Matsumoto and Nishimura). The
// constructor seeds it with 5489 and then with 12345. UniformDraw gives the
// top 53 bits of one 64-bit output as a double in [0, 1), that is o / 2^64
// truncated to 53 significant bits, mapped onto the bounds [0.0, 1.0).
#ifndef KEFO_SUPPORT_MERSENNE_TWISTER_RANDOMIZER_H
#define KEFO_SUPPORT_MERSENNE_TWISTER_RANDOMIZER_H

#include "support/randomizer.h"

#include <cstdint>

class PLOVMersenneTwisterRandomizer : public PLOVRandomizer {
    PLOV_MANAGED_ALLOCATION(PLOVMersenneTwisterRandomizer)
public:
    static const int stateSize = 312;

    PLOVMersenneTwisterRandomizer();
    ~PLOVMersenneTwisterRandomizer() override;

    using PLOVRandomizer::UniformDraw;
    PLOVRandomizer* Copy() const override;
    // The top 63 bits of the next output (a non-negative long).
    long Draw() override { return static_cast<long>(DrawUnsigned() >> 1); }
    double UniformDraw() override;
    // state[0] = seed; state[i] = 6364136223846793005 (state[i-1] XOR
    // (state[i-1] >> 62)) + i; the next output regenerates the state.
    void SetSeed(long seed) override;
    long GetSeed() const override { return _seed; }

    // The next 64-bit output of the generator itself.
    std::uint64_t DrawUnsigned() {
        if (_index >= stateSize) _Regenerate();
        std::uint64_t x = _state[_index++];
        x ^= (x >> 29) & 0x5555555555555555ULL;
        x ^= (x << 17) & 0x71D67FFFEDA60000ULL;
        x ^= (x << 37) & 0xFFF7EEE000000000ULL;
        x ^= x >> 43;
        return x;
    }

private:
    void _Regenerate();

    std::uint64_t _state[stateSize];
    int _index;
    long _seed;
    double _lowerBound;
    double _upperBound;
};

#endif
