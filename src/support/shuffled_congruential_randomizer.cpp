#include "support/shuffled_congruential_randomizer.h"

#include "support/congruential_randomizer.h"

namespace {
const long defaultModulus = 2147483647;
const long defaultMask = 123459876;
const long defaultSize = 32;

long MultiplierOfVariant(int variant) {
    if (variant == 2) return 48271;
    if (variant == 3) return 69621;
    return 16807;
}
}  // namespace

PLOVShuffledCongruentialRandomizer::PLOVShuffledCongruentialRandomizer(int variant)
    : _seed(12345), _s(12345), _y(0), _counter(0) {
    Initialize(defaultModulus, MultiplierOfVariant(variant), defaultMask, defaultSize);
}

PLOVShuffledCongruentialRandomizer::PLOVShuffledCongruentialRandomizer(long modulus, long multiplier, long mask,
                                                                       long size)
    : _seed(12345), _s(12345), _y(0), _counter(0) {
    Initialize(modulus, multiplier, mask, size);
}

PLOVShuffledCongruentialRandomizer::~PLOVShuffledCongruentialRandomizer() = default;

bool PLOVShuffledCongruentialRandomizer::Initialize(long modulus, long multiplier, long mask, long size) {
    bool valid = modulus >= 2 && modulus <= 2147483647L && multiplier >= 1 && multiplier < modulus &&
                 (modulus % multiplier) < (modulus / multiplier) && size >= 1 && size <= 65536 && size < modulus;
    if (!valid) {
        modulus = defaultModulus;
        multiplier = 16807;
        mask = defaultMask;
        size = defaultSize;
    }
    _m = static_cast<std::int32_t>(modulus);
    _a = static_cast<std::int32_t>(multiplier);
    _mask = static_cast<std::int32_t>(static_cast<std::uint32_t>(mask));
    _q = _m / _a;
    _r = _m % _a;
    _table.assign(static_cast<std::size_t>(size), 0);
    _d = static_cast<std::int32_t>((_m - 1) / size + 1);
    _y = 0;
    _counter = 0;
    return valid;
}

void PLOVShuffledCongruentialRandomizer::Reset() {
    // |seed| reduced into [1, m - 1], so that the steps never reach the fixed point 0.
    std::int64_t s = _seed < 0 ? -static_cast<std::int64_t>(_seed) : static_cast<std::int64_t>(_seed);
    s %= _m;
    if (s == 0) s = 1;
    _s = static_cast<std::int32_t>(s);
    for (int j = 0; j < 8; ++j) _s = PLOVCongruentialRandomizer::Step(_s, _m, _a, _q, _r);
    for (std::size_t j = _table.size(); j-- > 0;) {
        _s = PLOVCongruentialRandomizer::Step(_s, _m, _a, _q, _r);
        _table[j] = _s;
    }
    _y = _s;
    _counter = 0;
}

PLOVRandomizer* PLOVShuffledCongruentialRandomizer::Copy() const {
    return new PLOVShuffledCongruentialRandomizer(*this);
}

long PLOVShuffledCongruentialRandomizer::Draw() {
    if (_y == 0) Reset();
    _s = PLOVCongruentialRandomizer::Step(_s, _m, _a, _q, _r);
    std::size_t j = static_cast<std::size_t>(_y / _d);
    if (j >= _table.size()) j = _table.size() - 1;
    _y = _table[j];
    _table[j] = _s;
    ++_counter;
    return _y;
}

void PLOVShuffledCongruentialRandomizer::SetSeed(long seed) {
    _seed = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long>(seed)));
    _y = 0;
    _counter = 0;
}
