#include "game/lever_pick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "game/orbit_camera.h"

namespace {

constexpr UINT Width = 500;
constexpr UINT Height = 375;

D3DXMATRIX gameProjection()
{
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 3.14159265f / 4.0f, float(Width) / float(Height), 1.0f, 100.0f);
    return p;
}

D3DXMATRIX identity()
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 0.0f, 0.0f, 0.0f);
    return m;
}

// Client pixel where a world point is drawn, through world-free view and projection.
void project(const D3DXVECTOR3& p, const D3DXMATRIX& viewProjection, float* x, float* y)
{
    const D3DXMATRIX& m = viewProjection;
    const float cx = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    const float cy = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    const float cw = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    *x = (cx / cw + 1.0f) * 0.5f * Width;
    *y = (1.0f - cy / cw) * 0.5f * Height;
}

TEST(CursorRay, TheCentreLooksStraightAheadAndTheCornersAlongTheFrustumEdges)
{
    const D3DXMATRIX p = gameProjection();
    float vx = 1.0f, vy = 1.0f;
    ASSERT_TRUE(cursorRay(Width / 2, 0, Width, Height, p, &vx, &vy));
    EXPECT_FLOAT_EQ(vx, 0.0f);
    EXPECT_FLOAT_EQ(vy, 1.0f / p.m[1][1]);
    ASSERT_TRUE(cursorRay(0, Height, Width, Height, p, &vx, &vy));
    EXPECT_FLOAT_EQ(vx, -1.0f / p.m[0][0]);
    EXPECT_FLOAT_EQ(vy, -1.0f / p.m[1][1]);
}

TEST(CursorRay, AnEmptyBackBufferGivesNoRay)
{
    float vx = 7.0f, vy = 7.0f;
    EXPECT_FALSE(cursorRay(1, 1, 0, Height, gameProjection(), &vx, &vy));
    EXPECT_FALSE(cursorRay(1, 1, Width, 0, gameProjection(), &vx, &vy));
    EXPECT_EQ(vx, 7.0f);
    EXPECT_EQ(vy, 7.0f);
}

TEST(ModelSpaceRay, WithIdentitiesTheRayStartsAtTheOriginAlongTheViewDirection)
{
    D3DXVECTOR3 origin, direction;
    ASSERT_TRUE(modelSpaceRay(0.25f, -0.5f, identity(), identity(), &origin, &direction));
    EXPECT_FLOAT_EQ(origin.x, 0.0f);
    EXPECT_FLOAT_EQ(origin.y, 0.0f);
    EXPECT_FLOAT_EQ(origin.z, 0.0f);
    EXPECT_FLOAT_EQ(direction.x, 0.25f);
    EXPECT_FLOAT_EQ(direction.y, -0.5f);
    EXPECT_FLOAT_EQ(direction.z, 1.0f);
}

TEST(ModelSpaceRay, TheRayThroughAPointsPixelPassesThroughThatPointInModelSpace)
{
    const D3DXMATRIX projection = gameProjection();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.2f, 0.0f, 0.0f);  // a lever slid out
    // The start view, and views turned round and tilted, where the matrices'
    // elements no longer repeat each other.
    const int views[][2] = {{StartAzimuth, StartElevation}, {StartAzimuth + 800, -250}, {-1200, 150}};
    for (const auto& counters : views) {
        SCOPED_TRACE(testing::Message() << "azimuth " << counters[0] << ", elevation " << counters[1]);
        D3DXMATRIX view;
        orbitView(&view, counters[0], counters[1]);
        D3DXMATRIX worldView, worldViewProjection;
        D3DXMatrixMultiply(&worldView, &world, &view);
        D3DXMatrixMultiply(&worldViewProjection, &worldView, &projection);

        const D3DXVECTOR3 model(0.3f, 0.1f, -0.4f);
        float px, py;
        project(model, worldViewProjection, &px, &py);
        // The nearest whole pixel; the ray then passes within a pixel's width.
        const int x = int(std::lround(px));
        const int y = int(std::lround(py));
        ASSERT_GT(std::abs(x - int(Width / 2)), 20) << "the point must lie off the centre";
        float vx, vy;
        ASSERT_TRUE(cursorRay(x, y, Width, Height, projection, &vx, &vy));
        D3DXVECTOR3 origin, direction;
        ASSERT_TRUE(modelSpaceRay(vx, vy, world, view, &origin, &direction));

        // The eye in model space is the camera position less the lever's slide.
        const D3DXVECTOR3 eye = orbitEye(counters[0], counters[1]);
        EXPECT_NEAR(origin.x, eye.x - 0.2f, 1e-5f);
        EXPECT_NEAR(origin.y, eye.y, 1e-5f);
        EXPECT_NEAR(origin.z, eye.z, 1e-5f);

        // Distance from the point to the ray line, relative to its range.
        const D3DXVECTOR3 toPoint = model - origin;
        const float t = (toPoint.x * direction.x + toPoint.y * direction.y + toPoint.z * direction.z) /
                        (direction.x * direction.x + direction.y * direction.y + direction.z * direction.z);
        const D3DXVECTOR3 miss = toPoint - direction * t;
        EXPECT_GT(t, 0.0f);
        EXPECT_LT(std::sqrt(miss.x * miss.x + miss.y * miss.y + miss.z * miss.z), 0.01f);
    }
}

TEST(ModelSpaceRay, ASingularTransformGivesNoRay)
{
    D3DXMATRIX flat = identity();
    flat.m[2][2] = 0.0f;
    D3DXVECTOR3 origin, direction;
    EXPECT_FALSE(modelSpaceRay(0.0f, 0.0f, flat, identity(), &origin, &direction));
}

TEST(NearestLever, NoHitGivesMinusOne)
{
    const LeverHit hits[PickLeverCount] = {};
    EXPECT_EQ(nearestLever(hits), -1);
}

TEST(NearestLever, TheFirstHitCountsWhateverItsDistance)
{
    LeverHit hits[PickLeverCount] = {};
    hits[4] = {true, 5000.0f};
    EXPECT_EQ(nearestLever(hits), 4);
}

TEST(NearestLever, TheNearerLeverWinsAndATieKeepsTheLowerIndex)
{
    LeverHit hits[PickLeverCount] = {};
    hits[1] = {true, 3.0f};
    hits[2] = {true, 2.5f};
    hits[5] = {true, 2.5f};
    EXPECT_EQ(nearestLever(hits), 2);

    hits[0] = {true, 2.5f};
    EXPECT_EQ(nearestLever(hits), 0);

    // A distant first hit still gives way to a nearer one beyond the start bound.
    LeverHit distant[PickLeverCount] = {};
    distant[0] = {true, 3000.0f};
    distant[3] = {true, 2000.0f};
    EXPECT_EQ(nearestLever(distant), 3);
}

}  // namespace
