#include "support/congruential_randomizer.h"

namespace {
const long defaultModulus = 2147483647;
const long defaultMask = 123459876;

long MultiplierOfVariant(int variant) {
    if (variant == 2) return 48271;
    if (variant == 3) return 69621;
    return 16807;
}
}  // namespace

PLOVCongruentialRandomizer::PLOVCongruentialRandomizer(int variant) : _seed(12345), _s(12345), _counter(0) {
    Initialize(defaultModulus, MultiplierOfVariant(variant), defaultMask);
}

PLOVCongruentialRandomizer::PLOVCongruentialRandomizer(long modulus, long multiplier, long mask)
    : _seed(12345), _s(12345), _counter(0) {
    Initialize(modulus, multiplier, mask);
}

PLOVCongruentialRandomizer::~PLOVCongruentialRandomizer() = default;

bool PLOVCongruentialRandomizer::Initialize(long modulus, long multiplier, long mask) {
    bool valid = modulus >= 2 && modulus <= 2147483647L && multiplier >= 1 && multiplier < modulus &&
                 (modulus % multiplier) < (modulus / multiplier);
    if (!valid) {
        modulus = defaultModulus;
        multiplier = 16807;
        mask = defaultMask;
    }
    _m = static_cast<std::int32_t>(modulus);
    _a = static_cast<std::int32_t>(multiplier);
    _mask = static_cast<std::int32_t>(static_cast<std::uint32_t>(mask));
    _q = _m / _a;
    _r = _m % _a;
    _s = _seed;
    _counter = 0;
    return valid;
}

PLOVRandomizer* PLOVCongruentialRandomizer::Copy() const {
    PLOVCongruentialRandomizer* copy = new PLOVCongruentialRandomizer(*this);
    return copy;
}

long PLOVCongruentialRandomizer::Draw() {
    std::int32_t s = _s ^ _mask;
    s = Step(s, _m, _a, _q, _r);
    _s = s ^ _mask;
    ++_counter;
    return _s;
}

void PLOVCongruentialRandomizer::SetSeed(long seed) {
    _seed = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long>(seed)));
    _s = _seed;
    _counter = 0;
}
