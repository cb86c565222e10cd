// A sampled curve y(x): points kept in increasing x, at most one per x. The
// curve between two points is the straight line joining them.
#ifndef KEFO_QUANTIFICATION_CURVE_H
#define KEFO_QUANTIFICATION_CURVE_H

#include "support/memory_manager.h"

#include <map>

class PLOVCurve {
    PLOV_MANAGED_ALLOCATION(PLOVCurve)
public:
    typedef std::map<double, double> Points;

    PLOVCurve() = default;

    int GetNumberOfPoints() const { return static_cast<int>(_points.size()); }
    bool IsEmpty() const { return _points.empty(); }
    void Clear() { _points.clear(); }
    // Whether the curve has a point at x (and its y in `y` when it has).
    bool LookForPointAtX(double x, double* y = nullptr) const;
    // Adds the point (x, y); a point already at x keeps its y.
    void NewPoint(double x, double y);
    // The points in increasing x.
    const Points& GetPoints() const { return _points; }

    // The trapezoidal integral over all points (0 with fewer than two).
    double GetIntegral() const;
    // The total length of x during which the piecewise-linear curve lies
    // within [low, high].
    double GetXSojournBetweenYValues(double low, double high) const;

private:
    Points _points;
};

#endif
