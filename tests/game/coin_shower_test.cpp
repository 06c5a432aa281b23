#include "game/coin_shower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr float Pi = 3.1415927f;

float length(const D3DXVECTOR3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void expectNear(const D3DXVECTOR3& actual, float x, float y, float z, const char* what, int index)
{
    SCOPED_TRACE(testing::Message() << what << " of vertex " << index);
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
}

struct CoinShape : testing::Test {
    CoinVertex v[CoinVertexCount];
    CoinShape() { writeCoinShape(v); }
};

TEST_F(CoinShape, TheVerticesAreThoseOfTheTable)
{
    expectNear(v[0].position, 0.0f, 0.0f, -0.03f, "position", 0);
    expectNear(v[0].normal, 0.0f, 0.0f, -1.0f, "normal", 0);
    expectNear(v[14].position, 0.0f, 0.0f, 0.03f, "position", 14);
    expectNear(v[14].normal, 0.0f, 0.0f, 1.0f, "normal", 14);
    for (int k = 0; k <= 12; ++k) {
        const double theta = k * double(0.5235988f);
        const float s = float(std::sin(theta));
        const float c = float(std::cos(theta));
        const float faceLength = std::sqrt(0.125f * 0.125f + 1.0f);
        expectNear(v[1 + k].position, 0.5f * s, 0.5f * c, -0.03f, "position", 1 + k);
        expectNear(v[1 + k].normal, 0.125f * s / faceLength, 0.125f * c / faceLength, -1.0f / faceLength,
                   "normal", 1 + k);
        expectNear(v[15 + k].position, -0.5f * s, 0.5f * c, 0.03f, "position", 15 + k);
        expectNear(v[15 + k].normal, -0.125f * s / faceLength, 0.125f * c / faceLength, 1.0f / faceLength,
                   "normal", 15 + k);
        expectNear(v[28 + 2 * k].position, 0.5f * s, 0.5f * c, -0.03f, "position", 28 + 2 * k);
        expectNear(v[28 + 2 * k].normal, s, c, -0.03f, "normal", 28 + 2 * k);
        expectNear(v[29 + 2 * k].position, 0.5f * s, 0.5f * c, 0.03f, "position", 29 + 2 * k);
        expectNear(v[29 + 2 * k].normal, s, c, 0.03f, "normal", 29 + 2 * k);
    }
}

TEST_F(CoinShape, TheRingClosesAndOnlyTheFaceNormalsAreUnitLength)
{
    expectNear(v[13].position, v[1].position.x, v[1].position.y, v[1].position.z, "closing position", 13);
    expectNear(v[52].position, v[28].position.x, v[28].position.y, v[28].position.z, "closing position", 52);
    for (int i = 0; i < 28; ++i) EXPECT_NEAR(length(v[i].normal), 1.0f, 1e-6f) << "vertex " << i;
    for (int i = 28; i < CoinVertexCount; ++i) {
        EXPECT_NEAR(length(v[i].normal), std::sqrt(1.0f + 0.03f * 0.03f), 1e-6f) << "vertex " << i;
    }
}

TEST_F(CoinShape, BothFacesAndTheRimWindTheSameWaySeenFromOutside)
{
    // Each triangle's (e1 x e2) points out of the coin, as it does for the
    // faces. A fan's triangle k is (centre, k + 1, k + 2) from its start.
    for (UINT k = 0; k < CoinFanTriangles; ++k) {
        const CoinVertex* back = v + CoinBackFanStart;
        const CoinVertex* front = v + CoinFrontFanStart;
        const D3DXVECTOR3 nBack = cross(back[k + 1].position - back[0].position,
                                        back[k + 2].position - back[0].position);
        const D3DXVECTOR3 nFront = cross(front[k + 1].position - front[0].position,
                                         front[k + 2].position - front[0].position);
        EXPECT_LT(nBack.z, 0.0f) << "back triangle " << k;
        EXPECT_GT(nFront.z, 0.0f) << "front triangle " << k;
    }
    // A strip alternates its winding; even triangles as given, odd ones swapped.
    for (UINT t = 0; t < CoinRimTriangles; ++t) {
        const CoinVertex* s = v + CoinRimStart + t;
        D3DXVECTOR3 n = cross(s[1].position - s[0].position, s[2].position - s[0].position);
        if (t % 2) n = -n;
        const D3DXVECTOR3 centre = (s[0].position + s[1].position + s[2].position) / 3.0f;
        const D3DXVECTOR3 outward(centre.x, centre.y, 0.0f);
        EXPECT_GT(dot(n, outward), 0.0f)
            << "rim triangle " << t;
    }
}

TEST(CoinSetUp, CoinsStandInAColumnWithAnglesDrawnInOrder)
{
    std::srand(1234);
    CoinShower coins;
    coins.place();

    // Two draws per coin for x and z, then three per coin for the angles.
    std::srand(1234);
    float x[CoinCount], z[CoinCount];
    for (int k = 0; k < CoinCount; ++k) {
        x[k] = float((std::rand() % 100) * 0.04 - 2.0);
        z[k] = float((std::rand() % 100) * 0.02 - 0.1);
    }
    for (int k = 0; k < CoinCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(coins.coinPositions[k].x, x[k]);
        EXPECT_EQ(coins.coinPositions[k].z, z[k]);
        EXPECT_EQ(coins.coinPositions[k].y, k * 0.5f - 2.0f);
        EXPECT_EQ(coins.coinYawA[k], float(((std::rand() % 200) * 0.01 - 1.0) * Pi));
        EXPECT_EQ(coins.coinSpin[k], float(((std::rand() % 20) * 0.1 - 1.0) * Pi));
        EXPECT_EQ(coins.coinYawB[k], float(((std::rand() % 200) * 0.01 - 1.0) * Pi));
    }
}

TEST(CoinSetUp, EveryDrawStaysInItsRange)
{
    for (unsigned seed = 1; seed < 40; ++seed) {
        std::srand(seed);
        CoinShower coins;
        coins.place();
        for (int k = 0; k < CoinCount; ++k) {
            EXPECT_GE(coins.coinPositions[k].x, -2.0f);
            EXPECT_LE(coins.coinPositions[k].x, 1.96f + 1e-6f);
            EXPECT_GE(coins.coinPositions[k].z, -0.1f);
            EXPECT_LE(coins.coinPositions[k].z, 1.88f + 1e-6f);
            EXPECT_GE(coins.coinYawA[k], -Pi);
            EXPECT_LE(coins.coinYawA[k], 0.99f * Pi + 1e-5f);
            EXPECT_GE(coins.coinSpin[k], -Pi);
            EXPECT_LE(coins.coinSpin[k], 0.9f * Pi + 1e-5f);
        }
    }
}

// The next draw reduced modulo n, as the coins' formulas take it.
double next(int n)
{
    return double(std::rand() % n);
}

TEST(CoinStall, EveryCoinIsLiftedAboveTheViewAndKeepsItsOtherValues)
{
    std::srand(99);
    CoinShower coins;
    coins.place();
    const CoinShower before = coins;
    std::srand(7);
    coins.lift();
    // One draw per coin, in coin order.
    std::srand(7);
    for (int k = 0; k < CoinCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(coins.coinPositions[k].y, float(next(100) * 0.2 + 3.5));
        EXPECT_EQ(coins.coinPositions[k].x, before.coinPositions[k].x);
        EXPECT_EQ(coins.coinPositions[k].z, before.coinPositions[k].z);
        EXPECT_EQ(coins.coinYawA[k], before.coinYawA[k]);
        EXPECT_EQ(coins.coinSpin[k], before.coinSpin[k]);
        EXPECT_EQ(coins.coinYawB[k], before.coinYawB[k]);
    }
}

TEST(CoinFall, CoinsFallTwoUnitsPerSecondAndRestartOnlyStrictlyBelowTheBottom)
{
    CoinShower coins;
    for (int k = 0; k < CoinCount; ++k) coins.coinPositions[k] = D3DXVECTOR3(0.5f, 1.0f, 0.25f);
    coins.coinPositions[3].y = -2.1f;                            // lands exactly on -4.1
    coins.coinPositions[7].y = std::nextafter(-2.1f, -3.0f);     // just beyond it
    coins.coinPositions[12].y = -5.0f;                           // well below
    coins.coinYawA[3] = 0.125f;

    for (unsigned seed : {5u, 6u, 7u}) {
        SCOPED_TRACE(seed);
        CoinShower fallen = coins;
        std::srand(seed);
        fallen.fall(1.0f);

        EXPECT_EQ(fallen.coinPositions[0].y, -1.0f);
        EXPECT_EQ(fallen.coinPositions[3].y, -4.1f);
        EXPECT_EQ(fallen.coinPositions[3].x, 0.5f);
        EXPECT_EQ(fallen.coinYawA[3], 0.125f);

        // Coins 7 and 12 start again, in coin order, six draws each:
        // y, x, z, yaw A, spin, yaw B.
        std::srand(seed);
        for (int k : {7, 12}) {
            SCOPED_TRACE(k);
            EXPECT_EQ(fallen.coinPositions[k].y, float(next(100) * 0.01 + 4.1));
            EXPECT_EQ(fallen.coinPositions[k].x, float(next(100) * 0.06 - 3.0));
            EXPECT_EQ(fallen.coinPositions[k].z, float(next(100) * 0.03));
            EXPECT_EQ(fallen.coinYawA[k], float((next(200) * 0.01 - 1.0) * Pi));
            EXPECT_EQ(fallen.coinSpin[k], float((next(20) * 0.1 - 1.0) * Pi));
            EXPECT_EQ(fallen.coinYawB[k], float((next(200) * 0.01 - 1.0) * Pi));
        }
    }
}

TEST(CoinWorld, YawSpinYawThenMove)
{
    CoinShower coins;
    coins.coinPositions[2] = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    coins.coinYawA[2] = 0.0f;
    coins.coinSpin[2] = Pi / 4.0f;  // a quarter turn after two seconds
    coins.coinYawB[2] = Pi / 2.0f;
    D3DXMATRIX w;
    coins.world(2, 2.0f, &w);
    // (0, 1, 0) spun about x goes to (0, 0, 1), then yaw B turns +z to +x.
    const float x = w.m[1][0] + w.m[3][0];
    const float y = w.m[1][1] + w.m[3][1];
    const float z = w.m[1][2] + w.m[3][2];
    EXPECT_NEAR(x, 2.0f, 1e-5f);
    EXPECT_NEAR(y, 2.0f, 1e-5f);
    EXPECT_NEAR(z, 3.0f, 1e-5f);
}

}  // namespace
