// Statistics of one quantity over the tries of a Monte Carlo analysis: number
// of values, sum, sum of squares, last value, minimum and maximum, and
// optionally a quantilizer (quantiles) and a bin table (histogram).
//
// Moments: mean = sum / n (0 when n = 0); standard deviation
// sqrt(|sum of squares - sum^2 / n| / (n - 1)) when n > 1, else 0.
// ComputeNinetyFivePercentConfidenceSlack: the half-width of the 95%
//   confidence interval of the mean, 1.959963984540054 sd / sqrt(n) (0 when
//   n = 0); ComputeConfidenceSlack(c) gives c sd / sqrt(n) for another factor.
// ComputeNinetyFivePercentErrorFactor: the error factor of the lognormal law
//   with the measure's mean m and standard deviation sd, at the 95% level as
//   the lognormal draws read it: exp(StandardScore(0.95) s) with
//   s^2 = ln(1 + sd^2 / m^2). Values drawn with LognormalDraw(m, EF, 0.95)
//   give back about EF. 1 when sd is 0; 0 when the mean is not positive (no
//   lognormal law fits).
//
// An empty measure has the minimum 1.7976931348623157e308 (largest double)
// and the maximum 2.2250738585072014e-308 (smallest positive normal double);
// the first value sets both, so that measures of values below that
// "maximum" (zeros, negative values) report their true maximum.
#ifndef KEFO_SUPPORT_MEASURE_H
#define KEFO_SUPPORT_MEASURE_H

#include "support/bin_table.h"
#include "support/memory_manager.h"
#include "support/quantilizer.h"

#include <string>

class PLOVMeasure {
    PLOV_MANAGED_ALLOCATION(PLOVMeasure)
public:
    static const double initialMinimum;
    static const double initialMaximum;
    static const double ninetyFivePercentScore;  // 1.959963984540054

    PLOVMeasure();
    explicit PLOVMeasure(const std::string& name);
    ~PLOVMeasure();
    PLOVMeasure(const PLOVMeasure&) = delete;
    PLOVMeasure& operator=(const PLOVMeasure&) = delete;

    const std::string& GetName() const { return _name; }
    void SetName(const std::string& name) { _name = name; }

    // Counters back to an empty measure; the quantilizer and the bin table
    // are kept, emptied.
    void Reset();
    void AddValue(double x);

    int GetNumberOfValues() const { return _numberOfValues; }
    double GetSum() const { return _sum; }
    double GetSumOfSquares() const { return _sumOfSquares; }
    double GetLastValue() const { return _lastValue; }
    double GetMinimum() const { return _minimum; }
    double GetMaximum() const { return _maximum; }

    double ComputeMean() const;
    double ComputeStandardDeviation() const;
    double ComputeConfidenceSlack(double factor) const;
    double ComputeNinetyFivePercentConfidenceSlack() const { return ComputeConfidenceSlack(ninetyFivePercentScore); }
    double ComputeNinetyFivePercentErrorFactor() const;

    // Each replaces the previous quantilizer (bin table) if any; the new one
    // is empty. The measure owns it.
    PLOVQuantilizer* CreateQuantilizer(int numberOfQuantiles);
    PLOVQuantilizer* CreateQuantilizer(int numberOfQuantiles, int bufferSize);
    void DeleteQuantilizer();
    PLOVQuantilizer* GetQuantilizer() const { return _quantilizer; }
    PLOVBinTable* CreateBinTable(int numberOfBins);
    PLOVBinTable* CreateBinTable(int numberOfBins, int capacity);
    void DeleteBinTable();
    PLOVBinTable* GetBinTable() const { return _binTable; }

    // Adds the values of another measure, each transformed into
    // scale x + shift: counters, minimum and maximum, last value, and the
    // other's quantilizer and bin table contents into this measure's own
    // (when both have one). Importing a measure into itself does nothing.
    void Import(const PLOVMeasure* other, double scale = 1.0, double shift = 0.0);
    // A new measure (owned by the caller) with the same name, counters,
    // quantilizer and bin table.
    PLOVMeasure* Copy() const;

private:
    std::string _name;
    int _numberOfValues;
    double _sum;
    double _sumOfSquares;
    double _lastValue;
    double _minimum;
    double _maximum;
    PLOVQuantilizer* _quantilizer;
    PLOVBinTable* _binTable;
};

#endif
