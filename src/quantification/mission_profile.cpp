#include "quantification/mission_profile.h"

void KEFOMissionProfile::InsertMissionTime(double t) {
    if (_known.insert(t).second) _missionTimes.push_back(t);
}

bool KEFOMissionProfile::DoesContainMissionTime(double t) const { return _known.count(t) != 0; }
