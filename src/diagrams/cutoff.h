// The cutoff record that travels from the build commands to the weighted
// builders and the tree search: bounds on the number and order of minimal
// cutsets, lowest probability and contribution kept, the mission time at
// which probabilities are taken, and the scale of the weights (the base of
// the logarithm that turns probabilities into weights).
#ifndef KEFO_DIAGRAMS_CUTOFF_H
#define KEFO_DIAGRAMS_CUTOFF_H

#include "support/memory_manager.h"

#include <climits>
#include <cstdio>

class PLOVStream;

class KEFOCutoff {
    PLOV_MANAGED_ALLOCATION(KEFOCutoff)
public:
    static const int defaultMaximumNumber = INT_MAX;
    static const int defaultMaximumOrder = INT_MAX;
    static constexpr double defaultMinimumProbability = 0.0;
    static constexpr double defaultMinimumContribution = 0.0;
    static constexpr double defaultMissionTime = 0.0;
    static constexpr double defaultWeightScaleFactor = 10.0;

    KEFOCutoff() = default;

    int GetMaximumNumber() const { return _maximumNumber; }
    void SetMaximumNumber(int n) { _maximumNumber = n; }
    int GetMaximumOrder() const { return _maximumOrder; }
    void SetMaximumOrder(int k) { _maximumOrder = k; }
    double GetMinimumProbability() const { return _minimumProbability; }
    void SetMinimumProbability(double p) { _minimumProbability = p; }
    double GetMinimumContribution() const { return _minimumContribution; }
    void SetMinimumContribution(double c) { _minimumContribution = c; }
    double GetMissionTime() const { return _missionTime; }
    void SetMissionTime(double t) { _missionTime = t; }
    double GetWeightScaleFactor() const { return _weightScaleFactor; }
    void SetWeightScaleFactor(double s) { _weightScaleFactor = s; }

    // Five lines "name\tvalue": maximum-number, maximum-order,
    // minimum-probability, mission-time, weight-scale-factor (the minimum
    // contribution is not written); then flushes.
    void Dump(FILE* file) const;
    void Dump(PLOVStream* stream) const;

private:
    int _maximumNumber = defaultMaximumNumber;
    int _maximumOrder = defaultMaximumOrder;
    double _minimumProbability = defaultMinimumProbability;
    double _minimumContribution = defaultMinimumContribution;
    double _missionTime = defaultMissionTime;
    double _weightScaleFactor = defaultWeightScaleFactor;
};

#endif
