// A histogram of a stream of values in bounded memory, after Ben-Haim and
// Tom-Tov: a table of at most `capacity` bins, each a centre and a weight,
// kept in increasing order of centre. A value enters as a bin of weight 1.0
// (the table's total weight grows by 1); when the table is full it is shrunk
// first by one merge: the two neighbouring bins whose centres are closest
// become one bin at their weighted mean with the sum of their weights.
//
// Shrink(k) merges the same way until at most k bins remain: the report of a
// sensitivity analysis shrinks the table to its number of bins and prints
// each bin's centre. With fewer values than k, fewer bins remain.
#ifndef KEFO_SUPPORT_BIN_TABLE_H
#define KEFO_SUPPORT_BIN_TABLE_H

#include "support/cell_array.h"
#include "support/memory_manager.h"
#include "support/quantile_table.h"

class PLOVBinTable {
    PLOV_MANAGED_ALLOCATION(PLOVBinTable)
public:
    // A capacity below 2 becomes the default: 256 bins or twice the number of
    // bins asked, whichever is larger.
    explicit PLOVBinTable(int numberOfBins, int capacity = 0);

    void Reset();
    void AddValue(double x, double weight = 1.0);
    void Shrink(int numberOfBins);

    int GetNumberOfBins() const { return _numberOfBins; }  // asked at creation
    int GetCapacity() const { return _capacity; }
    int GetSize() const { return _size; }                   // bins held now
    double GetTotalWeight() const { return _totalWeight; }
    // Bins numbered from 0 in increasing order; 0.0 out of range.
    double GetValue(int i) const { return i >= 0 && i < _size ? _centres[static_cast<std::size_t>(i)] : 0.0; }
    double GetWeight(int i) const { return i >= 0 && i < _size ? _weights[static_cast<std::size_t>(i)] : 0.0; }

    // The table shrunk to k bins (this table is left as it is): abscissa the
    // cumulative fraction of the weight up to and including the bin, value
    // the bin's centre.
    PLOVQuantileTable* ExtractBins(int k) const;
    PLOVQuantileTable* ExtractBins() const { return ExtractBins(_numberOfBins); }

    PLOVBinTable* Copy() const { return new PLOVBinTable(*this); }

private:
    void _MergeClosestPair();

    int _numberOfBins;
    int _capacity;
    int _size;
    double _totalWeight;
    PLOVCellArray<double> _centres;
    PLOVCellArray<double> _weights;
};

#endif
