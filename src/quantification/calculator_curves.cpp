// Curves of the top-event probability over the mission times of a profile.
#include "quantification/calculator.h"

#include "diagrams/handle.h"
#include "quantification/curve.h"
#include "quantification/mission_profile.h"

void KEFOCalculator::ComputeTimeDistributionOfProbabilityOfTargetVariable(KEFOHandle* handle,
                                                                          KEFOMissionProfile* profile,
                                                                          PLOVCurve* curve) {
    if (handle == nullptr || profile == nullptr || curve == nullptr) return;
    for (double t : profile->NewCursorOnMissionTimes()) ComputeTimePointOfProbabilityOfTargetVariable(handle, t, curve);
}

void KEFOCalculator::ComputeTimePointOfProbabilityOfTargetVariable(KEFOHandle* handle, double t, PLOVCurve* curve) {
    if (handle == nullptr || curve == nullptr || curve->LookForPointAtX(t)) return;
    curve->NewPoint(t, _ComputeProbabilityOfTargetVariable(handle, t));
}
