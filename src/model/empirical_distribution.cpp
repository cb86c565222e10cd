#include "model/empirical_distribution.h"

#include "support/messenger.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const int codeOfBadFile = 14001;
const char* const textOfBadFile = "Incorrect or corrupted empirical distribution file '%1'.";

bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\v' || c == '\f'; }

// Parses one field: a finite real with optional blanks around it.
bool ParseField(const char* begin, const char* end, double& value) {
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    if (begin == end) return false;
    std::string field(begin, end);
    char* stop = nullptr;
    errno = 0;
    value = std::strtod(field.c_str(), &stop);
    if (stop != field.c_str() + field.size()) return false;
    return std::isfinite(value);
}

}  // namespace

KEFOEmpiricalDistribution::KEFOEmpiricalDistribution(int type, const char* fileName)
    : _type(type), _fileName(fileName != nullptr ? fileName : "") {}

double KEFOEmpiricalDistribution::GetValue(int row, int column) const {
    if (row < 1 || row > _numberOfRows || column < 1 || column > _numberOfColumns) return 0.0;
    return _values[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(_numberOfColumns) +
                   static_cast<std::size_t>(column - 1)];
}

void KEFOEmpiricalDistribution::SetTable(const std::vector<double>& abscissas, const std::vector<double>& ordinates) {
    std::size_t n = std::min(abscissas.size(), ordinates.size());
    _values.clear();
    _values.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        _values.push_back(abscissas[i]);
        _values.push_back(ordinates[i]);
    }
    _numberOfRows = static_cast<int>(n);
    _numberOfColumns = 2;
    _firstRow = 1;
    _lastRow = _numberOfRows;
    _abscissaColumn = 1;
    _ordinateColumn = 2;
}

void KEFOEmpiricalDistribution::SetRows(int first, int last) {
    _firstRow = std::max(1, first);
    _lastRow = std::min(_numberOfRows, last);
}

void KEFOEmpiricalDistribution::SetColumns(int abscissa, int ordinate) {
    _abscissaColumn = abscissa;
    _ordinateColumn = ordinate;
}

bool KEFOEmpiricalDistribution::_Fail(int& errors, PLOVMessenger* store) {
    _values.clear();
    _numberOfRows = _numberOfColumns = 0;
    _firstRow = 1;
    _lastRow = 0;
    ++errors;
    if (store != nullptr) {
        if (store->LookForMessagePattern(codeOfBadFile) != nullptr) {
            store->NewMessageFromPattern(codeOfBadFile, _fileName.c_str());
        } else {
            PLOVMessagePattern pattern(codeOfBadFile, 1, textOfBadFile);
            store->NewMessage(codeOfBadFile, pattern.BuildMessage(_fileName.c_str()).c_str());
        }
    }
    return false;
}

bool KEFOEmpiricalDistribution::Load(int& errors, PLOVMessenger* store) {
    if (errors != 0) return false;
    FILE* file = std::fopen(_fileName.c_str(), "rb");
    if (file == nullptr) return _Fail(errors, store);
    std::string text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return _Fail(errors, store);
    return LoadFromText(errors, store, text);
}

bool KEFOEmpiricalDistribution::LoadFromText(int& errors, PLOVMessenger* store, const std::string& text) {
    if (errors != 0) return false;
    std::vector<double> values;
    int rows = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n') ++lineEnd;
        const char* q = p;
        while (q < lineEnd && (IsBlank(*q) || *q == '\t')) ++q;
        if (q < lineEnd) {
            // A row: exactly two tab-separated numbers.
            int columns = 0;
            const char* fieldStart = p;
            for (const char* r = p;; ++r) {
                if (r == lineEnd || *r == '\t') {
                    double value = 0.0;
                    if (!ParseField(fieldStart, r, value)) return _Fail(errors, store);
                    values.push_back(value);
                    ++columns;
                    if (r == lineEnd) break;
                    fieldStart = r + 1;
                }
            }
            if (columns != 2) return _Fail(errors, store);
            ++rows;
        }
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    if (rows < 3) return _Fail(errors, store);
    for (int i = 0; i < rows; ++i) {
        double x = values[2 * static_cast<std::size_t>(i)];
        double y = values[2 * static_cast<std::size_t>(i) + 1];
        if (x < 0.0) return _Fail(errors, store);
        if (_type == Histogram && x > 1.0) return _Fail(errors, store);
        if (_type != Histogram && (y < 0.0 || y > 1.0)) return _Fail(errors, store);
        // Bisection needs the abscissas in order.
        if (i > 0 && x < values[2 * static_cast<std::size_t>(i - 1)]) return _Fail(errors, store);
    }
    _values.swap(values);
    _numberOfRows = rows;
    _numberOfColumns = 2;
    _firstRow = 1;
    _lastRow = rows;
    _abscissaColumn = 1;
    _ordinateColumn = 2;
    return true;
}

double KEFOEmpiricalDistribution::GetYFromX(double x) const {
    int first = std::max(1, _firstRow);
    int last = std::min(_numberOfRows, _lastRow);
    if (last < first) return 0.0;
    if (x < _X(first)) return _Y(first);
    // The last row i in [first, last] whose abscissa does not exceed x.
    int low = first;
    int high = last;
    while (low < high) {
        int middle = low + (high - low + 1) / 2;
        if (_X(middle) <= x) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    int i = low;
    if (i == last || _type == Step) return _Y(i);
    double x0 = _X(i);
    double x1 = _X(i + 1);
    double y0 = _Y(i);
    if (x1 == x0) return y0;
    return y0 + (_Y(i + 1) - y0) * (x - x0) / (x1 - x0);
}

double KEFOEmpiricalDistribution::ComputeMean() const {
    int first = std::max(1, _firstRow);
    int last = std::min(_numberOfRows, _lastRow);
    if (last < first) return 0.0;
    // Integral over [0, 1] of the function GetYFromX: constant before the
    // first row and after the last, linear (or constant for steps) between.
    double sum = 0.0;
    double x0 = _X(first);
    if (x0 > 0.0) sum += _Y(first) * std::min(x0, 1.0);
    for (int i = first; i < last; ++i) {
        double a = std::max(_X(i), 0.0);
        double b = std::min(_X(i + 1), 1.0);
        if (b <= a) continue;
        if (_type == Step) {
            sum += _Y(i) * (b - a);
        } else {
            // The linear piece evaluated at the clipped ends.
            double width = _X(i + 1) - _X(i);
            double ya = _Y(i) + (_Y(i + 1) - _Y(i)) * (a - _X(i)) / width;
            double yb = _Y(i) + (_Y(i + 1) - _Y(i)) * (b - _X(i)) / width;
            sum += 0.5 * (ya + yb) * (b - a);
        }
    }
    double xl = _X(last);
    if (xl < 1.0) sum += _Y(last) * (1.0 - std::max(xl, 0.0));
    return sum;
}
