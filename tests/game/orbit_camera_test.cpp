#include "game/orbit_camera.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

D3DXVECTOR3 transformPoint(const D3DXMATRIX& m, const D3DXVECTOR3& p)
{
    return D3DXVECTOR3(p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
                       p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
                       p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]);
}

TEST(OrbitCamera, StartCountersPutTheEyeInFrontOfAndAboveTheChest)
{
    EXPECT_NEAR(orbitAzimuth(StartAzimuth), 1.551165f, 1e-6f);
    EXPECT_NEAR(orbitElevation(StartElevation), 0.942480f, 1e-6f);
    const D3DXVECTOR3 eye = orbitEye(StartAzimuth, StartElevation);
    EXPECT_NEAR(eye.x, -0.0346f, 1e-4f);
    EXPECT_NEAR(eye.y, 2.4271f, 1e-4f);
    EXPECT_NEAR(eye.z, -1.7630f, 1e-4f);
    EXPECT_NEAR(std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z), 3.0f, 1e-5f);
}

TEST(OrbitCamera, ZeroCountersLookStraightAlongPlusZFromThreeUnitsBack)
{
    // 2 x 0.7854 is a little above a quarter turn, so x is only nearly 0.
    const D3DXVECTOR3 eye = orbitEye(0, 0);
    EXPECT_NEAR(eye.x, 0.0f, 2e-5f);
    EXPECT_NEAR(eye.y, 0.0f, 1e-6f);
    EXPECT_NEAR(eye.z, -3.0f, 1e-6f);

    D3DXMATRIX view;
    orbitView(&view, 0, 0);
    const D3DXVECTOR3 origin = transformPoint(view, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(origin.x, 0.0f, 2e-5f);
    EXPECT_NEAR(origin.y, 0.0f, 2e-5f);
    EXPECT_NEAR(origin.z, 3.0f, 2e-5f);
    // +x stays to the right and +y up for this eye.
    const D3DXVECTOR3 right = transformPoint(view, D3DXVECTOR3(1.0f, 1.0f, 0.0f));
    EXPECT_NEAR(right.x, 1.0f, 1e-5f);
    EXPECT_NEAR(right.y, 1.0f, 1e-5f);
}

TEST(OrbitCamera, TheCountersLimitsSpanAFullTurnAndSeventyTwoDegrees)
{
    EXPECT_NEAR(orbitAzimuth(AzimuthLimit), -1.5708f, 1e-4f);
    EXPECT_NEAR(orbitAzimuth(-AzimuthLimit), 4.7124f, 1e-4f);
    EXPECT_NEAR(orbitElevation(ElevationLimit), 1.25664f, 1e-5f);
    EXPECT_NEAR(orbitEye(0, ElevationLimit).y, 2.853f, 1e-3f);
    EXPECT_NEAR(orbitEye(0, -ElevationLimit).y, -2.853f, 1e-3f);
}

TEST(OrbitCamera, FourHundredPixelsToTheRightTurnTheAzimuthByAnEighthOfATurn)
{
    int32_t azimuth = StartAzimuth;
    int32_t elevation = StartElevation;
    dragCounters(&azimuth, &elevation, 400, 0);
    EXPECT_EQ(azimuth, StartAzimuth + 400);
    EXPECT_EQ(elevation, StartElevation);
    EXPECT_NEAR(orbitAzimuth(StartAzimuth) - orbitAzimuth(azimuth), 0.7854f, 1e-5f);

    // One pixel moves the eye around towards -X.
    const D3DXVECTOR3 before = orbitEye(0, 0);
    const D3DXVECTOR3 after = orbitEye(1, 0);
    EXPECT_LT(after.x, before.x);
}

TEST(OrbitCamera, DragsClampAndAReverseMovementActsAtOnce)
{
    int32_t azimuth = StartAzimuth;
    int32_t elevation = StartElevation;
    dragCounters(&azimuth, &elevation, 0, -5000);
    EXPECT_EQ(elevation, -ElevationLimit);
    dragCounters(&azimuth, &elevation, 0, 1);
    EXPECT_EQ(elevation, -ElevationLimit + 1);
    dragCounters(&azimuth, &elevation, 0, 5000);
    EXPECT_EQ(elevation, ElevationLimit);

    dragCounters(&azimuth, &elevation, 5000, 0);
    EXPECT_EQ(azimuth, AzimuthLimit);
    dragCounters(&azimuth, &elevation, -1, 0);
    EXPECT_EQ(azimuth, AzimuthLimit - 1);
    dragCounters(&azimuth, &elevation, -5000, 0);
    EXPECT_EQ(azimuth, -AzimuthLimit);

    // Extreme cursor jumps stay defined and clamp the same way.
    dragCounters(&azimuth, &elevation, INT_MIN, INT_MAX);
    EXPECT_EQ(azimuth, -AzimuthLimit);
    EXPECT_EQ(elevation, ElevationLimit);
}

}  // namespace
