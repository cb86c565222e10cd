// A minimal cutset as the producers hand it to the reports and the
// quantification: the variable indices in use (BDD or BDT indices depending
// on the producer) and the cutset's probability. The index array grows by
// 1024 cells when it is full.
#ifndef KEFO_DIAGRAMS_MINIMAL_CUTSET_H
#define KEFO_DIAGRAMS_MINIMAL_CUTSET_H

#include "support/memory_manager.h"

#include <cstdio>

class PLOVStream;

class KEFOMinimalCutset {
    PLOV_MANAGED_ALLOCATION(KEFOMinimalCutset)
public:
    static const int growth = 1024;

    explicit KEFOMinimalCutset(int capacity = 0);
    ~KEFOMinimalCutset();
    KEFOMinimalCutset(const KEFOMinimalCutset&) = delete;
    KEFOMinimalCutset& operator=(const KEFOMinimalCutset&) = delete;

    int GetCapacity() const { return _capacity; }
    int GetOrder() const { return _order; }
    const int* GetIndices() const { return _indices; }

    // Grows the array to n cells when n is at least the order (the indices
    // in use are kept); a smaller n does nothing.
    void Resize(int n);
    // Order 0 and probability 1.
    void Reset() {
        _order = 0;
        _probability = 1.0;
    }
    // The index at position k, 0 outside [0, order).
    int GetIndex(int k) const { return k >= 0 && k < _order ? _indices[k] : 0; }
    void PushIndex(int index) {
        if (_order == _capacity) _Grow();
        _indices[_order++] = index;
    }
    // The last index, removed; 0 on an empty record.
    int PopIndex() { return _order == 0 ? 0 : _indices[--_order]; }
    // Increasing order, equal indices kept (in-place exchange sort).
    void SortIndices();
    // Copies the other record's indices, order and probability.
    void Load(const KEFOMinimalCutset* other);

    double GetProbability() const { return _probability; }
    void SetProbability(double p) { _probability = p; }

    // Each index followed by a tab, then the probability ("%g") and a
    // newline; then flushes.
    void Dump(FILE* file) const;
    void Dump(PLOVStream* stream) const;

private:
    void _Grow();

    int _capacity = 0;
    int _order = 0;
    int* _indices = nullptr;
    double _probability = 1.0;
};

#endif
