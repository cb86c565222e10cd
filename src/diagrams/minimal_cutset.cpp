#include "diagrams/minimal_cutset.h"

#include "support/stream.h"

#include <cstring>

KEFOMinimalCutset::KEFOMinimalCutset(int capacity) {
    if (capacity > 0) {
        _indices = static_cast<int*>(PLOVMemoryManager::NewCell(sizeof(int) * static_cast<std::size_t>(capacity)));
        _capacity = capacity;
    }
}

KEFOMinimalCutset::~KEFOMinimalCutset() {
    if (_indices != nullptr) PLOVMemoryManager::DeleteCell(_indices);
}

void KEFOMinimalCutset::Resize(int n) {
    if (n < _order || n == _capacity) return;
    int* indices = nullptr;
    if (n > 0) {
        indices = static_cast<int*>(PLOVMemoryManager::NewCell(sizeof(int) * static_cast<std::size_t>(n)));
        if (_order > 0) std::memcpy(indices, _indices, sizeof(int) * static_cast<std::size_t>(_order));
    }
    if (_indices != nullptr) PLOVMemoryManager::DeleteCell(_indices);
    _indices = indices;
    _capacity = n;
}

void KEFOMinimalCutset::_Grow() { Resize(_capacity + growth); }

// Gnome sort: walk forward while neighbours are ordered, exchange and step
// back otherwise. Cutsets are short, and the records the producers fill are
// nearly sorted already.
void KEFOMinimalCutset::SortIndices() {
    if (_order < 2) return;
    int k = 1;
    while (k < _order) {
        if (_indices[k - 1] <= _indices[k]) {
            ++k;
        } else {
            int t = _indices[k - 1];
            _indices[k - 1] = _indices[k];
            _indices[k] = t;
            if (k > 1) --k;
        }
    }
}

void KEFOMinimalCutset::Load(const KEFOMinimalCutset* other) {
    if (other == nullptr || other == this) return;
    if (_capacity < other->_capacity) {
        _order = 0;
        Resize(other->_capacity);
    }
    if (other->_order > 0) std::memcpy(_indices, other->_indices, sizeof(int) * static_cast<std::size_t>(other->_order));
    _order = other->_order;
    _probability = other->_probability;
}

void KEFOMinimalCutset::Dump(FILE* file) const {
    if (file == nullptr) return;
    for (int k = 0; k < _order; ++k) std::fprintf(file, "%d\t", _indices[k]);
    std::fprintf(file, "%g\n", _probability);
    std::fflush(file);
}

void KEFOMinimalCutset::Dump(PLOVStream* stream) const {
    if (stream == nullptr) return;
    for (int k = 0; k < _order; ++k) stream->Printf("%d\t", _indices[k]);
    stream->Printf("%g\n", _probability);
    stream->Flush();
}
