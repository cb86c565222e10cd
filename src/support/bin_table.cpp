#include "support/bin_table.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <queue>
#include <vector>

PLOVBinTable::PLOVBinTable(int numberOfBins, int capacity)
    : _numberOfBins(numberOfBins < 0 ? 0 : numberOfBins), _capacity(capacity), _size(0), _totalWeight(0.0) {
    if (_capacity < 2) {
        _capacity = 256;
        if (_numberOfBins <= (1 << 24) && 2 * _numberOfBins > _capacity) _capacity = 2 * _numberOfBins;
        if (_numberOfBins > _capacity) _capacity = _numberOfBins;
    }
    _centres.Allocate(static_cast<std::size_t>(_capacity));
    _weights.Allocate(static_cast<std::size_t>(_capacity));
}

void PLOVBinTable::Reset() {
    _size = 0;
    _totalWeight = 0.0;
}

void PLOVBinTable::AddValue(double x, double weight) {
    // A NaN has no place in an ordered table; a bin without weight changes nothing.
    if (std::isnan(x) || !(weight > 0.0)) return;
    if (_size == _capacity) _MergeClosestPair();
    // Insertion point: after every centre not above x.
    int lo = 0, hi = _size;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (_centres[static_cast<std::size_t>(mid)] <= x)
            lo = mid + 1;
        else
            hi = mid;
    }
    std::size_t at = static_cast<std::size_t>(lo);
    std::size_t tail = static_cast<std::size_t>(_size - lo);
    std::memmove(_centres.Data() + at + 1, _centres.Data() + at, tail * sizeof(double));
    std::memmove(_weights.Data() + at + 1, _weights.Data() + at, tail * sizeof(double));
    _centres[at] = x;
    _weights[at] = weight;
    ++_size;
    _totalWeight += weight;
}

void PLOVBinTable::_MergeClosestPair() {
    if (_size < 2) return;
    int best = 0;
    double bestGap = _centres[1] - _centres[0];
    for (int i = 1; i + 1 < _size; ++i) {
        double gap = _centres[static_cast<std::size_t>(i) + 1] - _centres[static_cast<std::size_t>(i)];
        if (gap < bestGap) {
            bestGap = gap;
            best = i;
        }
    }
    std::size_t b = static_cast<std::size_t>(best);
    double w = _weights[b] + _weights[b + 1];
    double c = (_centres[b] * _weights[b] + _centres[b + 1] * _weights[b + 1]) / w;
    // Keep the order exact against rounding of the weighted mean.
    if (c < _centres[b]) c = _centres[b];
    if (c > _centres[b + 1]) c = _centres[b + 1];
    _centres[b] = c;
    _weights[b] = w;
    std::size_t tail = static_cast<std::size_t>(_size) - b - 2;
    std::memmove(_centres.Data() + b + 1, _centres.Data() + b + 2, tail * sizeof(double));
    std::memmove(_weights.Data() + b + 1, _weights.Data() + b + 2, tail * sizeof(double));
    --_size;
}

void PLOVBinTable::Shrink(int numberOfBins) {
    if (numberOfBins < 1) numberOfBins = 1;
    if (_size <= numberOfBins) return;
    if (_size - numberOfBins <= 2) {
        while (_size > numberOfBins) _MergeClosestPair();
        return;
    }
    // Many merges: the same merges as repeated _MergeClosestPair (closest
    // gap first, the leftmost among equal gaps), with a heap of gaps over a
    // linked list of the bins.
    std::size_t n = static_cast<std::size_t>(_size);
    std::vector<int> next(n), previous(n), version(n, 0);
    std::vector<char> alive(n, 1);
    for (std::size_t i = 0; i < n; ++i) {
        next[i] = i + 1 < n ? static_cast<int>(i + 1) : -1;
        previous[i] = static_cast<int>(i) - 1;
    }
    struct Gap {
        double gap;
        int left;
        int version;
        bool operator>(const Gap& o) const { return gap != o.gap ? gap > o.gap : left > o.left; }
    };
    std::priority_queue<Gap, std::vector<Gap>, std::greater<Gap>> heap;
    auto push = [&](int left) {
        int right = next[static_cast<std::size_t>(left)];
        if (right < 0) return;
        heap.push(Gap{_centres[static_cast<std::size_t>(right)] - _centres[static_cast<std::size_t>(left)], left,
                      version[static_cast<std::size_t>(left)]});
    };
    for (std::size_t i = 0; i + 1 < n; ++i) push(static_cast<int>(i));
    int size = _size;
    while (size > numberOfBins && !heap.empty()) {
        Gap g = heap.top();
        heap.pop();
        std::size_t l = static_cast<std::size_t>(g.left);
        if (!alive[l] || g.version != version[l] || next[l] < 0) continue;
        std::size_t r = static_cast<std::size_t>(next[l]);
        double w = _weights[l] + _weights[r];
        double c = (_centres[l] * _weights[l] + _centres[r] * _weights[r]) / w;
        if (c < _centres[l]) c = _centres[l];
        if (c > _centres[r]) c = _centres[r];
        _centres[l] = c;
        _weights[l] = w;
        alive[r] = 0;
        next[l] = next[r];
        if (next[r] >= 0) previous[static_cast<std::size_t>(next[r])] = static_cast<int>(l);
        --size;
        ++version[l];
        push(static_cast<int>(l));
        if (previous[l] >= 0) {
            ++version[static_cast<std::size_t>(previous[l])];
            push(previous[l]);
        }
    }
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!alive[i]) continue;
        _centres[k] = _centres[i];
        _weights[k] = _weights[i];
        ++k;
    }
    _size = static_cast<int>(k);
}

PLOVQuantileTable* PLOVBinTable::ExtractBins(int k) const {
    if (k < 1 || _size == 0) return new PLOVQuantileTable(0);
    PLOVBinTable copy(*this);
    copy.Shrink(k);
    PLOVQuantileTable* table = new PLOVQuantileTable(copy._size);
    double cumulative = 0.0;
    for (int i = 0; i < copy._size; ++i) {
        cumulative += copy._weights[static_cast<std::size_t>(i)];
        table->Set(i, cumulative / copy._totalWeight, copy._centres[static_cast<std::size_t>(i)]);
    }
    return table;
}
