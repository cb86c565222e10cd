// Mission profiles and sampled curves.
#include "quantification/curve.h"
#include "quantification/mission_profile.h"

#include <gtest/gtest.h>

// The order of insertion and the duplicates are checked through the
// mission-time option (GettersTest.MissionTimes).
TEST(MissionProfile, EndTimes) {
    KEFOMissionProfile profile;
    EXPECT_EQ(0.0, profile.GetMissionTime());
    for (double t : {100.0, 10.0, 100.0}) profile.InsertMissionTime(t);
    EXPECT_EQ(100.0, profile.GetFirstMissionTime());
    EXPECT_EQ(10.0, profile.GetLastMissionTime());
    EXPECT_TRUE(profile.DoesContainMissionTime(10.0));
    EXPECT_FALSE(profile.DoesContainMissionTime(11.0));
}

TEST(Curve, PointsSortedOncePerAbscissaWithIntegralAndSojourn) {
    PLOVCurve curve;
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
