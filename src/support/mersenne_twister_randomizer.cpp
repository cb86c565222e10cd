#include "support/mersenne_twister_randomizer.h"

namespace {
const int middle = 156;
const std::uint64_t matrixA = 0xB5026F5AA96619E9ULL;
const std::uint64_t upperMask = 0xFFFFFFFF80000000ULL;  // most significant 33 bits
const std::uint64_t lowerMask = 0x7FFFFFFFULL;          // least significant 31 bits
}  // namespace

PLOVMersenneTwisterRandomizer::PLOVMersenneTwisterRandomizer()
    : _index(stateSize), _seed(0), _lowerBound(0.0), _upperBound(1.0) {
    SetSeed(5489);
    SetSeed(12345);
}

PLOVMersenneTwisterRandomizer::~PLOVMersenneTwisterRandomizer() = default;

PLOVRandomizer* PLOVMersenneTwisterRandomizer::Copy() const { return new PLOVMersenneTwisterRandomizer(*this); }

void PLOVMersenneTwisterRandomizer::SetSeed(long seed) {
    _seed = seed;
    _state[0] = static_cast<std::uint64_t>(seed);
    for (int i = 1; i < stateSize; ++i)
        _state[i] = 6364136223846793005ULL * (_state[i - 1] ^ (_state[i - 1] >> 62)) + static_cast<std::uint64_t>(i);
    _index = stateSize;
}

void PLOVMersenneTwisterRandomizer::_Regenerate() {
    int i = 0;
    for (; i < stateSize - middle; ++i) {
        std::uint64_t x = (_state[i] & upperMask) | (_state[i + 1] & lowerMask);
        _state[i] = _state[i + middle] ^ (x >> 1) ^ ((x & 1ULL) ? matrixA : 0ULL);
    }
    for (; i < stateSize - 1; ++i) {
        std::uint64_t x = (_state[i] & upperMask) | (_state[i + 1] & lowerMask);
        _state[i] = _state[i + (middle - stateSize)] ^ (x >> 1) ^ ((x & 1ULL) ? matrixA : 0ULL);
    }
    std::uint64_t x = (_state[stateSize - 1] & upperMask) | (_state[0] & lowerMask);
    _state[stateSize - 1] = _state[middle - 1] ^ (x >> 1) ^ ((x & 1ULL) ? matrixA : 0ULL);
    _index = 0;
}

double PLOVMersenneTwisterRandomizer::UniformDraw() {
    // 53 bits: dividing the whole 64-bit output would round up to 1.0 for
    // outputs close to 2^64.
    double u = static_cast<double>(DrawUnsigned() >> 11) * (1.0 / 9007199254740992.0);
    return _lowerBound + u * (_upperBound - _lowerBound);
}
