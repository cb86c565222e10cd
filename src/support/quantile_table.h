// The result of an extraction from a quantilizer or a bin table: k rows, each
// an abscissa and a value, in increasing order. Owned by whoever extracted it.
#ifndef KEFO_SUPPORT_QUANTILE_TABLE_H
#define KEFO_SUPPORT_QUANTILE_TABLE_H

#include "support/cell_array.h"
#include "support/memory_manager.h"

class PLOVQuantileTable {
    PLOV_MANAGED_ALLOCATION(PLOVQuantileTable)
public:
    explicit PLOVQuantileTable(int size) : _x(size > 0 ? static_cast<std::size_t>(size) : 0), _y(_x.Size()) {}

    int GetSize() const { return static_cast<int>(_x.Size()); }
    // Rows are numbered from 0; out of range gives 0.0.
    double GetAbscissa(int i) const { return _In(i) ? _x[static_cast<std::size_t>(i)] : 0.0; }
    double GetValue(int i) const { return _In(i) ? _y[static_cast<std::size_t>(i)] : 0.0; }
    void Set(int i, double abscissa, double value) {
        if (!_In(i)) return;
        _x[static_cast<std::size_t>(i)] = abscissa;
        _y[static_cast<std::size_t>(i)] = value;
    }

private:
    bool _In(int i) const { return i >= 0 && static_cast<std::size_t>(i) < _x.Size(); }

    PLOVCellArray<double> _x;
    PLOVCellArray<double> _y;
};

#endif
