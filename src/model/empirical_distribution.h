// A tabulated distribution read from a file: a matrix of numbers, one row per
// line, values separated by tab characters. The abscissa column and the
// ordinate column of the rows in use give a step or piecewise-linear function
// (empirical distributions, evaluated at the mission time) or, for a
// histogram, the inverse of a cumulative distribution (the abscissa is a
// cumulative probability, the ordinate the value), from which random
// deviates are drawn. Rows and columns are numbered from 1.
#ifndef KEFO_MODEL_EMPIRICAL_DISTRIBUTION_H
#define KEFO_MODEL_EMPIRICAL_DISTRIBUTION_H

#include "support/memory_manager.h"

#include <string>
#include <vector>

class PLOVMessenger;

class KEFOEmpiricalDistribution {
    PLOV_MANAGED_ALLOCATION(KEFOEmpiricalDistribution)
public:
    enum Type {
        Step = 0,
        PiecewiseLinear = 1,
        Histogram = 2
    };

    KEFOEmpiricalDistribution(int type, const char* fileName);
    KEFOEmpiricalDistribution(const KEFOEmpiricalDistribution& other) = default;
    KEFOEmpiricalDistribution& operator=(const KEFOEmpiricalDistribution&) = delete;
    ~KEFOEmpiricalDistribution() = default;

    int GetType() const { return _type; }
    void SetType(int type) { _type = type; }
    const char* GetFileName() const { return _fileName.c_str(); }
    void SetFileName(const char* name) { _fileName = name != nullptr ? name : ""; }

    // Reads the file named by the file name. The file must hold at least three
    // rows of exactly two numbers (finite reals); the first column must be
    // non-negative and non-decreasing from row to row (and at most 1 for a
    // histogram); for an empirical distribution the second column must lie
    // within [0, 1]. On success the table covers all rows, with column 1 as
    // abscissa and column 2 as ordinate. Otherwise the table is left empty,
    // the error count is incremented and message 14001 "Incorrect or
    // corrupted empirical distribution file '%1'." (argument: the file name)
    // is queued in `store` (when given), to be printed through it.
    // Does nothing when errors is non-zero on entry; answers success.
    bool Load(int& errors, PLOVMessenger* store);
    // The same checks on the text of a file (the file name is reported).
    bool LoadFromText(int& errors, PLOVMessenger* store, const std::string& text);

    // The matrix.
    int GetNumberOfRows() const { return _numberOfRows; }
    int GetNumberOfColumns() const { return _numberOfColumns; }
    // 0 out of range.
    double GetValue(int row, int column) const;
    // Replaces the matrix by rows of two columns, all rows used, columns 1
    // and 2 as abscissa and ordinate.
    void SetTable(const std::vector<double>& abscissas, const std::vector<double>& ordinates);

    int GetFirstRow() const { return _firstRow; }
    int GetLastRow() const { return _lastRow; }
    void SetRows(int first, int last);
    int GetAbscissaColumn() const { return _abscissaColumn; }
    int GetOrdinateColumn() const { return _ordinateColumn; }
    void SetColumns(int abscissa, int ordinate);

    // The ordinate at abscissa x over the rows in use: the ordinate of the
    // last row whose abscissa does not exceed x (found by bisection), of the
    // first row when x lies before it; interpolated linearly with the next row
    // for piecewise-linear tables and histograms (no interpolation between
    // rows of equal abscissas). 0 for an empty table.
    double GetYFromX(double x) const;
    // The mean of a histogram: the integral of GetYFromX over [0, 1].
    double ComputeMean() const;

private:
    bool _Fail(int& errors, PLOVMessenger* store);
    double _X(int row) const { return GetValue(row, _abscissaColumn); }
    double _Y(int row) const { return GetValue(row, _ordinateColumn); }

    int _type;
    std::string _fileName;
    std::vector<double> _values;  // row-major
    int _numberOfRows = 0;
    int _numberOfColumns = 0;
    int _firstRow = 1;
    int _lastRow = 0;
    int _abscissaColumn = 1;
    int _ordinateColumn = 2;
};

#endif
