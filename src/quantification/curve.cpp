#include "quantification/curve.h"

bool PLOVCurve::LookForPointAtX(double x, double* y) const {
    Points::const_iterator it = _points.find(x);
    if (it == _points.end()) return false;
    if (y != nullptr) *y = it->second;
    return true;
}

void PLOVCurve::NewPoint(double x, double y) { _points.emplace(x, y); }

double PLOVCurve::GetIntegral() const {
    double sum = 0.0;
    Points::const_iterator previous = _points.end();
    for (Points::const_iterator it = _points.begin(); it != _points.end(); ++it) {
        if (previous != _points.end()) sum += (it->second + previous->second) / 2.0 * (it->first - previous->first);
        previous = it;
    }
    return sum;
}

namespace {
// The length of [xa, xb] on which the line from (xa, ya) to (xb, yb) lies
// within [low, high].
double SojournOnSegment(double xa, double ya, double xb, double yb, double low, double high) {
    const double width = xb - xa;
    if (width <= 0.0) return 0.0;
    if (ya == yb) return ya >= low && ya <= high ? width : 0.0;
    // Parameter s in [0, 1] along the segment where y reaches each bound.
    double s1 = (low - ya) / (yb - ya);
    double s2 = (high - ya) / (yb - ya);
    if (s1 > s2) {
        const double s = s1;
        s1 = s2;
        s2 = s;
    }
    if (s1 < 0.0) s1 = 0.0;
    if (s2 > 1.0) s2 = 1.0;
    return s2 > s1 ? (s2 - s1) * width : 0.0;
}
}  // namespace

double PLOVCurve::GetXSojournBetweenYValues(double low, double high) const {
    double sum = 0.0;
    Points::const_iterator previous = _points.end();
    for (Points::const_iterator it = _points.begin(); it != _points.end(); ++it) {
        if (previous != _points.end())
            sum += SojournOnSegment(previous->first, previous->second, it->first, it->second, low, high);
        previous = it;
    }
    return sum;
}
