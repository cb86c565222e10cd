// Mission profiles and sampled curves.
#include "quantification/curve.h"
#include "quantification/mission_profile.h"

#include <gtest/gtest.h>

TEST(MissionProfile, TimesInOrderGivenEachOnce) {
    KEFOMissionProfile profile;
    EXPECT_TRUE(profile.IsSimpleMission());
    EXPECT_EQ(0.0, profile.GetMissionTime());
    profile.InsertMissionTime(100.0);
    profile.InsertMissionTime(10.0);
    profile.InsertMissionTime(100.0);
    ASSERT_EQ(2, profile.GetNumberOfMissionTimes());
    EXPECT_EQ(100.0, profile.GetFirstMissionTime());
    EXPECT_EQ(10.0, profile.GetLastMissionTime());
    EXPECT_TRUE(profile.DoesContainMissionTime(10.0));
    EXPECT_FALSE(profile.DoesContainMissionTime(11.0));
    EXPECT_FALSE(profile.IsSimpleMission());
    profile.ResetMissionTimes();
    profile.InsertMissionTime(5.0);
    profile.InsertMissionTime(5.0);
    EXPECT_TRUE(profile.IsSimpleMission());
    profile.SetSmoothCurve(true);
    EXPECT_FALSE(profile.IsSimpleMission());
    profile.SetSmoothCurve(false);
    profile.SetAddSingularPoints(true);
    EXPECT_FALSE(profile.IsSimpleMission());
}

TEST(Curve, PointsSortedOncePerAbscissaWithIntegralAndSojourn) {
    PLOVCurve curve;
    EXPECT_EQ(0.0, curve.GetIntegral());
    curve.NewPoint(10.0, 0.2);
    EXPECT_EQ(0.0, curve.GetIntegral());
    curve.NewPoint(0.0, 0.0);
    curve.NewPoint(10.0, 0.9);  // kept: 0.2
    curve.NewPoint(20.0, 0.2);
    ASSERT_EQ(3, curve.GetNumberOfPoints());
    double y = -1;
    EXPECT_TRUE(curve.LookForPointAtX(10.0, &y));
    EXPECT_EQ(0.2, y);
    EXPECT_FALSE(curve.LookForPointAtX(5.0));
    EXPECT_DOUBLE_EQ(1.0 + 2.0, curve.GetIntegral());
    // From 0 to 10 the curve rises 0 -> 0.2: within [0.1, 0.3] for 5 units;
    // then flat at 0.2 for 10.
    EXPECT_DOUBLE_EQ(15.0, curve.GetXSojournBetweenYValues(0.1, 0.3));
    EXPECT_DOUBLE_EQ(20.0, curve.GetXSojournBetweenYValues(0.0, 1.0));
    EXPECT_DOUBLE_EQ(0.0, curve.GetXSojournBetweenYValues(0.5, 1.0));
}
