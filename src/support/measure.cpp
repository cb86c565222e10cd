#include "support/measure.h"

#include "support/randomizer.h"

#include <cmath>
#include <memory>

const double PLOVMeasure::initialMinimum = 1.7976931348623157e308;
const double PLOVMeasure::initialMaximum = 2.2250738585072014e-308;
const double PLOVMeasure::ninetyFivePercentScore = 1.959963984540054;

PLOVMeasure::PLOVMeasure() : PLOVMeasure(std::string()) {}

PLOVMeasure::PLOVMeasure(const std::string& name)
    : _name(name),
      _numberOfValues(0),
      _sum(0.0),
      _sumOfSquares(0.0),
      _lastValue(0.0),
      _minimum(initialMinimum),
      _maximum(initialMaximum),
      _quantilizer(nullptr),
      _binTable(nullptr) {}

PLOVMeasure::~PLOVMeasure() {
    delete _quantilizer;
    delete _binTable;
}

void PLOVMeasure::Reset() {
    _numberOfValues = 0;
    _sum = 0.0;
    _sumOfSquares = 0.0;
    _lastValue = 0.0;
    _minimum = initialMinimum;
    _maximum = initialMaximum;
    if (_quantilizer != nullptr) _quantilizer->Reset();
    if (_binTable != nullptr) _binTable->Reset();
}

void PLOVMeasure::AddValue(double x) {
    if (_numberOfValues == 0) {
        _minimum = x;
        _maximum = x;
    } else {
        if (x < _minimum) _minimum = x;
        if (x > _maximum) _maximum = x;
    }
    ++_numberOfValues;
    _sum += x;
    _sumOfSquares += x * x;
    _lastValue = x;
    if (_quantilizer != nullptr) _quantilizer->AddValue(x);
    if (_binTable != nullptr) _binTable->AddValue(x, 1.0);
}

double PLOVMeasure::ComputeMean() const { return _numberOfValues > 0 ? _sum / _numberOfValues : 0.0; }

double PLOVMeasure::ComputeStandardDeviation() const {
    if (_numberOfValues < 2) return 0.0;
    double n = _numberOfValues;
    return std::sqrt(std::fabs(_sumOfSquares - _sum * _sum / n) / (n - 1.0));
}

double PLOVMeasure::ComputeConfidenceSlack(double factor) const {
    if (_numberOfValues < 1) return 0.0;
    return factor * ComputeStandardDeviation() / std::sqrt(static_cast<double>(_numberOfValues));
}

double PLOVMeasure::ComputeNinetyFivePercentErrorFactor() const {
    double m = ComputeMean();
    if (!(m > 0.0)) return 0.0;
    double sd = ComputeStandardDeviation();
    if (sd == 0.0) return 1.0;
    double s = std::sqrt(std::log1p((sd / m) * (sd / m)));
    return std::exp(PLOVRandomizer::StandardScore(0.95) * s);
}

PLOVQuantilizer* PLOVMeasure::CreateQuantilizer(int numberOfQuantiles) {
    return CreateQuantilizer(numberOfQuantiles, PLOVQuantilizer::defaultBufferSize);
}

PLOVQuantilizer* PLOVMeasure::CreateQuantilizer(int numberOfQuantiles, int bufferSize) {
    PLOVQuantilizer* q = new PLOVQuantilizer(numberOfQuantiles, bufferSize);
    delete _quantilizer;
    _quantilizer = q;
    return q;
}

void PLOVMeasure::DeleteQuantilizer() {
    delete _quantilizer;
    _quantilizer = nullptr;
}

PLOVBinTable* PLOVMeasure::CreateBinTable(int numberOfBins) { return CreateBinTable(numberOfBins, 0); }

PLOVBinTable* PLOVMeasure::CreateBinTable(int numberOfBins, int capacity) {
    PLOVBinTable* b = new PLOVBinTable(numberOfBins, capacity);
    delete _binTable;
    _binTable = b;
    return b;
}

void PLOVMeasure::DeleteBinTable() {
    delete _binTable;
    _binTable = nullptr;
}

void PLOVMeasure::Import(const PLOVMeasure* other, double scale, double shift) {
    if (other == nullptr || other == this || other->_numberOfValues == 0) return;
    double n = other->_numberOfValues;
    double lo = scale * other->_minimum + shift;
    double hi = scale * other->_maximum + shift;
    if (scale < 0.0) {
        double t = lo;
        lo = hi;
        hi = t;
    }
    if (_numberOfValues == 0) {
        _minimum = lo;
        _maximum = hi;
    } else {
        if (lo < _minimum) _minimum = lo;
        if (hi > _maximum) _maximum = hi;
    }
    _numberOfValues += other->_numberOfValues;
    _sumOfSquares += scale * scale * other->_sumOfSquares + 2.0 * scale * shift * other->_sum + n * shift * shift;
    _sum += scale * other->_sum + n * shift;
    _lastValue = scale * other->_lastValue + shift;
    if (_quantilizer != nullptr && other->_quantilizer != nullptr) {
        PLOVQuantilizer* q = _quantilizer;
        other->_quantilizer->ForEachValue([q, scale, shift](double v, long w) { q->AddValue(scale * v + shift, w); });
    }
    if (_binTable != nullptr && other->_binTable != nullptr) {
        const PLOVBinTable* b = other->_binTable;
        for (int i = 0; i < b->GetSize(); ++i) _binTable->AddValue(scale * b->GetValue(i) + shift, b->GetWeight(i));
    }
}

PLOVMeasure* PLOVMeasure::Copy() const {
    std::unique_ptr<PLOVMeasure> copy(new PLOVMeasure(_name));
    copy->_numberOfValues = _numberOfValues;
    copy->_sum = _sum;
    copy->_sumOfSquares = _sumOfSquares;
    copy->_lastValue = _lastValue;
    copy->_minimum = _minimum;
    copy->_maximum = _maximum;
    if (_quantilizer != nullptr) copy->_quantilizer = _quantilizer->Copy();
    if (_binTable != nullptr) copy->_binTable = _binTable->Copy();
    return copy.release();
}
