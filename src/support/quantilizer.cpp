#include "support/quantilizer.h"

#include <algorithm>
#include <cmath>

namespace {
// Increasing order with NaN after every number, so that sorting stays a
// strict weak order whatever the values.
bool Less(double a, double b) { return a < b || (std::isnan(b) && !std::isnan(a)); }
}  // namespace

PLOVQuantilizer::PLOVQuantilizer(int numberOfQuantiles, int bufferSize, int numberOfBuffers)
    : _numberOfQuantiles(numberOfQuantiles),
      _bufferSize(bufferSize < 2 ? 2 : bufferSize),
      _numberOfBuffers(numberOfBuffers < 2 ? 2 : (numberOfBuffers > maximumNumberOfBuffers ? maximumNumberOfBuffers : numberOfBuffers)),
      _values(static_cast<std::size_t>(_bufferSize) * static_cast<std::size_t>(_numberOfBuffers)),
      _buffers(static_cast<std::size_t>(_numberOfBuffers)),
      _scratch(static_cast<std::size_t>(_bufferSize)),
      _current(-1),
      _numberOfValues(0),
      _numberOfCollapses(0),
      _evenOffsetHigh(false) {}

void PLOVQuantilizer::Reset() {
    for (int b = 0; b < _numberOfBuffers; ++b) {
        Buffer& buffer = _buffers[static_cast<std::size_t>(b)];
        buffer.count = 0;
        buffer.level = 0;
        buffer.weight = 0;
        buffer.full = 0;
    }
    _current = -1;
    _numberOfValues = 0;
    _numberOfCollapses = 0;
    _evenOffsetHigh = false;
}

int PLOVQuantilizer::_NewBuffer() {
    int free = -1, numberOfFree = 0, lowestLevel = -1;
    for (int b = 0; b < _numberOfBuffers; ++b) {
        const Buffer& buffer = _buffers[static_cast<std::size_t>(b)];
        if (buffer.count == 0) {
            if (free < 0) free = b;
            ++numberOfFree;
        } else if (lowestLevel < 0 || buffer.level < lowestLevel) {
            lowestLevel = buffer.level;
        }
    }
    if (free < 0) {
        _Collapse();
        return _NewBuffer();
    }
    Buffer& buffer = _buffers[static_cast<std::size_t>(free)];
    buffer.count = 0;
    buffer.weight = 1;
    buffer.full = 0;
    // The last free buffer joins the lowest level, so that the next collapse
    // has at least two buffers of one level to merge.
    buffer.level = (numberOfFree == 1 && lowestLevel > 0) ? lowestLevel : 0;
    return free;
}

void PLOVQuantilizer::AddValue(double x) {
    if (_current < 0) _current = _NewBuffer();
    Buffer& buffer = _buffers[static_cast<std::size_t>(_current)];
    double* v = _values.Data() + static_cast<std::size_t>(_current) * static_cast<std::size_t>(_bufferSize);
    v[buffer.count++] = x;
    ++_numberOfValues;
    if (buffer.count == _bufferSize) {
        std::sort(v, v + _bufferSize, Less);
        buffer.full = 1;
        _current = -1;
    }
}

void PLOVQuantilizer::AddValue(double x, long weight) {
    for (long i = 0; i < weight; ++i) AddValue(x);
}

void PLOVQuantilizer::_Collapse() {
    // Every buffer is full here. Take the lowest level; when it holds a
    // single buffer, take the next levels as well until two are taken.
    int chosen[maximumNumberOfBuffers];
    int numberOfChosen = 0;
    int maximumLevel = 0;
    std::size_t n = static_cast<std::size_t>(_numberOfBuffers);
    PLOVCellArray<int> order(n);
    for (std::size_t b = 0; b < n; ++b) order[b] = static_cast<int>(b);
    std::sort(order.Data(), order.Data() + n, [this](int a, int b) {
        const Buffer& x = _buffers[static_cast<std::size_t>(a)];
        const Buffer& y = _buffers[static_cast<std::size_t>(b)];
        return x.level != y.level ? x.level < y.level : a > b;  // right-hand buffers first
    });
    int lowest = _buffers[static_cast<std::size_t>(order[0])].level;
    for (std::size_t i = 0; i < n && numberOfChosen < maximumNumberOfBuffers; ++i) {
        const Buffer& buffer = _buffers[static_cast<std::size_t>(order[i])];
        if (buffer.level != lowest && numberOfChosen >= 2) break;
        if (buffer.level != lowest) lowest = buffer.level;
        chosen[numberOfChosen++] = order[i];
        if (buffer.level > maximumLevel) maximumLevel = buffer.level;
    }

    long totalWeight = 0;
    for (int c = 0; c < numberOfChosen; ++c) totalWeight += _buffers[static_cast<std::size_t>(chosen[c])].weight;
    long offset;
    if (totalWeight % 2 == 1) {
        offset = (totalWeight + 1) / 2;
    } else {
        offset = _evenOffsetHigh ? totalWeight / 2 + 1 : totalWeight / 2;
        _evenOffsetHigh = !_evenOffsetHigh;
    }

    // Weighted merge: the j-th output is the value at expanded position
    // j W + offset (from 1) of the merged sequence.
    int heads[maximumNumberOfBuffers] = {0};
    long position = 0;  // expanded positions consumed
    long target = offset;
    int produced = 0;
    while (produced < _bufferSize) {
        int best = -1;
        double bestValue = 0.0;
        for (int c = 0; c < numberOfChosen; ++c) {
            if (heads[c] >= _bufferSize) continue;
            double v = _values[static_cast<std::size_t>(chosen[c]) * static_cast<std::size_t>(_bufferSize) +
                               static_cast<std::size_t>(heads[c])];
            if (best < 0 || Less(v, bestValue)) {
                best = c;
                bestValue = v;
            }
        }
        if (best < 0) break;  // cannot happen: the merge holds k W positions
        long weight = _buffers[static_cast<std::size_t>(chosen[best])].weight;
        ++heads[best];
        position += weight;
        while (produced < _bufferSize && target <= position) {
            _scratch[static_cast<std::size_t>(produced++)] = bestValue;
            target += totalWeight;
        }
    }

    int keep = chosen[0];
    std::copy(_scratch.Data(), _scratch.Data() + _bufferSize,
              _values.Data() + static_cast<std::size_t>(keep) * static_cast<std::size_t>(_bufferSize));
    for (int c = 0; c < numberOfChosen; ++c) {
        Buffer& buffer = _buffers[static_cast<std::size_t>(chosen[c])];
        buffer.count = 0;
        buffer.weight = 0;
        buffer.level = 0;
        buffer.full = 0;
    }
    Buffer& merged = _buffers[static_cast<std::size_t>(keep)];
    merged.count = _bufferSize;
    merged.weight = totalWeight;
    merged.level = maximumLevel + 1;
    merged.full = 1;
    ++_numberOfCollapses;
}

long PLOVQuantilizer::_Sorted(PLOVCellArray<WeightedValue>& out, std::size_t& count) const {
    std::size_t total = 0;
    for (int b = 0; b < _numberOfBuffers; ++b) total += static_cast<std::size_t>(_buffers[static_cast<std::size_t>(b)].count);
    out.Allocate(total);
    count = 0;
    long weight = 0;
    ForEachValue([&](double v, long w) {
        out[count].value = v;
        out[count].weight = w;
        ++count;
        weight += w;
    });
    std::sort(out.Data(), out.Data() + count,
              [](const WeightedValue& a, const WeightedValue& b) { return Less(a.value, b.value); });
    return weight;
}

PLOVQuantileTable* PLOVQuantilizer::ExtractQuantiles(int k) const {
    PLOVCellArray<WeightedValue> sorted;
    std::size_t count = 0;
    long total = _Sorted(sorted, count);
    if (k < 1 || count == 0) return new PLOVQuantileTable(0);
    PLOVQuantileTable* table = new PLOVQuantileTable(k);
    std::size_t j = 0;
    long cumulative = sorted[0].weight;
    for (int i = 1; i <= k; ++i) {
        // rank = ceil(i total / k), at least 1
        long long rank = (static_cast<long long>(i) * total + k - 1) / k;
        if (rank < 1) rank = 1;
        while (cumulative < rank && j + 1 < count) cumulative += sorted[++j].weight;
        table->Set(i - 1, static_cast<double>(i) / k, sorted[j].value);
    }
    return table;
}

PLOVQuantileTable* PLOVQuantilizer::ExtractBins(int k) const {
    PLOVCellArray<WeightedValue> sorted;
    std::size_t count = 0;
    long total = _Sorted(sorted, count);
    if (k < 1 || count == 0) return new PLOVQuantileTable(0);
    PLOVQuantileTable* table = new PLOVQuantileTable(k);
    // Group i covers the expanded positions (i - 1) total / k .. i total / k;
    // a value whose weight straddles two groups is shared between them.
    double groupWeight = static_cast<double>(total) / k;
    std::size_t j = 0;
    double left = static_cast<double>(sorted[0].weight);  // weight of value j not yet given to a group
    for (int i = 1; i <= k; ++i) {
        double need = groupWeight, sum = 0.0;
        while (need > 1e-12 * groupWeight && j < count) {
            double take = left < need ? left : need;
            sum += take * sorted[j].value;
            need -= take;
            left -= take;
            if (left <= 1e-12 * groupWeight) {
                ++j;
                if (j < count) left = static_cast<double>(sorted[j].weight);
            }
        }
        double got = groupWeight - need;
        table->Set(i - 1, static_cast<double>(i) / k, got > 0.0 ? sum / got : sorted[count - 1].value);
    }
    return table;
}

PLOVQuantileTable* PLOVQuantilizer::ExtractDistribution(double lowerBound, double upperBound, int k) const {
    PLOVCellArray<WeightedValue> sorted;
    std::size_t count = 0;
    long total = _Sorted(sorted, count);
    if (k < 1 || count == 0 || !(upperBound > lowerBound)) return new PLOVQuantileTable(0);
    PLOVCellArray<double> weights(static_cast<std::size_t>(k));
    double width = (upperBound - lowerBound) / k;
    for (std::size_t j = 0; j < count; ++j) {
        double v = sorted[j].value;
        if (!(v >= lowerBound && v <= upperBound)) continue;
        long i = static_cast<long>((v - lowerBound) / width);
        if (i >= k) i = k - 1;
        // Keep the interval boundaries exact against rounding of the division.
        while (i > 0 && v < lowerBound + static_cast<double>(i) * width) --i;
        while (i + 1 < k && v >= lowerBound + static_cast<double>(i + 1) * width) ++i;
        weights[static_cast<std::size_t>(i)] += static_cast<double>(sorted[j].weight);
    }
    PLOVQuantileTable* table = new PLOVQuantileTable(k);
    for (int i = 0; i < k; ++i)
        table->Set(i, i + 1 == k ? upperBound : lowerBound + (i + 1) * width, weights[static_cast<std::size_t>(i)] / static_cast<double>(total));
    return table;
}

PLOVQuantileTable* PLOVQuantilizer::ExtractCumulativeDistribution(double lowerBound, double upperBound, int k) const {
    PLOVCellArray<WeightedValue> sorted;
    std::size_t count = 0;
    long total = _Sorted(sorted, count);
    if (k < 1 || count == 0 || !(upperBound > lowerBound)) return new PLOVQuantileTable(0);
    PLOVQuantileTable* table = new PLOVQuantileTable(k);
    double width = (upperBound - lowerBound) / k;
    std::size_t j = 0;
    long below = 0;
    for (int i = 0; i < k; ++i) {
        double x = i + 1 == k ? upperBound : lowerBound + (i + 1) * width;
        while (j < count && sorted[j].value <= x) below += sorted[j++].weight;
        table->Set(i, x, static_cast<double>(below) / static_cast<double>(total));
    }
    return table;
}
