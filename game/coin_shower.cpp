#include "game/coin_shower.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr float Pi = 3.1415927f;
constexpr float SegmentAngle = 0.5235988f;  // a twelfth of a turn
constexpr float CoinRadius = 0.5f;
constexpr float HalfThickness = 0.03f;
constexpr float FallSpeed = 2.0f;
constexpr float RestartBelow = -4.1f;

// A fresh non-negative draw reduced modulo n, as a double for the formulas.
double draw(int n)
{
    return static_cast<double>(std::rand() % n);
}

void drawAngles(CoinShower* coins, int k)
{
    coins->coinYawA[k] = static_cast<float>((draw(200) * 0.01 - 1.0) * Pi);
    coins->coinSpin[k] = static_cast<float>((draw(20) * 0.1 - 1.0) * Pi);
    coins->coinYawB[k] = static_cast<float>((draw(200) * 0.01 - 1.0) * Pi);
}

D3DXVECTOR3 normalised(float x, float y, float z)
{
    const D3DXVECTOR3 v(x, y, z);
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &v);
    return n;
}

}  // namespace

void writeCoinShape(CoinVertex* v)
{
    // Back face: a fan around the centre at -z. Front face: a fan at +z whose
    // rim runs mirrored in x, so both wind the same way seen from outside. The
    // face normals lean outward at the rim, which shades the faces as a dome.
    v[0] = {D3DXVECTOR3(0.0f, 0.0f, -HalfThickness), D3DXVECTOR3(0.0f, 0.0f, -1.0f)};
    v[14] = {D3DXVECTOR3(0.0f, 0.0f, HalfThickness), normalised(0.0f, 0.0f, 1.0f)};
    for (int k = 0; k <= 12; ++k) {
        const float theta = static_cast<float>(k) * SegmentAngle;
        const float s = std::sin(theta);
        const float c = std::cos(theta);
        v[1 + k] = {D3DXVECTOR3(CoinRadius * s, CoinRadius * c, -HalfThickness),
                    normalised(0.125f * s, 0.125f * c, -1.0f)};
        v[15 + k] = {D3DXVECTOR3(-CoinRadius * s, CoinRadius * c, HalfThickness),
                     normalised(-0.125f * s, 0.125f * c, 1.0f)};
        // The rim strip alternates back and front edge.
        v[28 + 2 * k] = {D3DXVECTOR3(CoinRadius * s, CoinRadius * c, -HalfThickness),
                         D3DXVECTOR3(s, c, -HalfThickness)};
        v[29 + 2 * k] = {D3DXVECTOR3(CoinRadius * s, CoinRadius * c, HalfThickness),
                         D3DXVECTOR3(s, c, HalfThickness)};
    }
}

void CoinShower::place()
{
    for (int k = 0; k < CoinCount; ++k) {
        const double x = draw(100) * 0.04 - 2.0;
        const double z = draw(100) * 0.02 - 0.1;
        coinPositions[k] = D3DXVECTOR3(static_cast<float>(x), static_cast<float>(k * 0.5 - 2.0),
                                       static_cast<float>(z));
    }
    for (int k = 0; k < CoinCount; ++k) drawAngles(this, k);
}

void CoinShower::lift()
{
    for (int k = 0; k < CoinCount; ++k) coinPositions[k].y = static_cast<float>(draw(100) * 0.2 + 3.5);
}

void CoinShower::fall(float frameDelta)
{
    for (int k = 0; k < CoinCount; ++k) {
        D3DXVECTOR3& p = coinPositions[k];
        p.y = static_cast<float>(p.y - FallSpeed * static_cast<double>(frameDelta));
        if (p.y < RestartBelow) {
            p.y = static_cast<float>(draw(100) * 0.01 + 4.1);
            p.x = static_cast<float>(draw(100) * 0.06 - 3.0);
            p.z = static_cast<float>(draw(100) * 0.03);
            drawAngles(this, k);
        }
    }
}

void CoinShower::world(int k, float now, D3DXMATRIX* out) const
{
    D3DXMATRIX yawA, spin, yawB, move;
    D3DXMatrixRotationY(&yawA, coinYawA[k]);
    D3DXMatrixRotationX(&spin, coinSpin[k] * now);
    D3DXMatrixRotationY(&yawB, coinYawB[k]);
    D3DXMatrixTranslation(&move, coinPositions[k].x, coinPositions[k].y, coinPositions[k].z);
    D3DXMatrixMultiply(out, &yawA, &spin);
    D3DXMatrixMultiply(out, out, &yawB);
    D3DXMatrixMultiply(out, out, &move);
}
