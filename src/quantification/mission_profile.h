// What a time-dependent computation is asked for: the quantification method,
// the mission times in the order given (each at most once), and whether the
// curve is refined around the singular points of periodically tested
// components and by adaptive smoothing.
#ifndef KEFO_QUANTIFICATION_MISSION_PROFILE_H
#define KEFO_QUANTIFICATION_MISSION_PROFILE_H

#include "support/memory_manager.h"

#include <unordered_set>
#include <vector>

class KEFOMissionProfile {
    PLOV_MANAGED_ALLOCATION(KEFOMissionProfile)
public:
    KEFOMissionProfile() = default;

    int GetQuantificationMethod() const { return _quantificationMethod; }
    void SetQuantificationMethod(int method) { _quantificationMethod = method; }
    bool GetAddSingularPoints() const { return _addSingularPoints; }
    void SetAddSingularPoints(bool flag) { _addSingularPoints = flag; }
    bool GetSmoothCurve() const { return _smoothCurve; }
    void SetSmoothCurve(bool flag) { _smoothCurve = flag; }
    double GetSmoothingRatio() const { return _smoothingRatio; }
    void SetSmoothingRatio(double ratio) { _smoothingRatio = ratio; }

    void ResetMissionTimes() {
        _missionTimes.clear();
        _known.clear();
    }
    // Appends t unless the profile holds it already: a time given twice is
    // one time of the mission.
    void InsertMissionTime(double t);
    bool DoesContainMissionTime(double t) const;
    int GetNumberOfMissionTimes() const { return static_cast<int>(_missionTimes.size()); }
    // 0.0 when the profile has no mission time.
    double GetFirstMissionTime() const { return _missionTimes.empty() ? 0.0 : _missionTimes.front(); }
    double GetLastMissionTime() const { return _missionTimes.empty() ? 0.0 : _missionTimes.back(); }
    // The only (or first) mission time; 0.0 when there is none.
    double GetMissionTime() const { return GetFirstMissionTime(); }
    const std::vector<double>& NewCursorOnMissionTimes() const { return _missionTimes; }
    // At most one mission time and neither refinement asked for.
    bool IsSimpleMission() const { return _missionTimes.size() <= 1 && !_addSingularPoints && !_smoothCurve; }

private:
    int _quantificationMethod = 0;
    bool _addSingularPoints = false;
    bool _smoothCurve = false;
    double _smoothingRatio = 0.1;
    std::vector<double> _missionTimes;
    std::unordered_set<double> _known;
};

#endif
