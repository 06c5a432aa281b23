#include "game/orbit_camera.h"

#include <cmath>

namespace {

constexpr float OrbitRadius = 3.0f;
// One azimuth step turns by 0.0025 of this, so 400 steps are an eighth of a turn.
constexpr float AzimuthScale = -0.7854f;
constexpr float ElevationStep = 0.0031416f;

// The sum is taken in 64 bits so that even a wild cursor jump stays defined.
int32_t movedCounter(int32_t value, int32_t delta, int32_t limit)
{
    int64_t moved = int64_t{value} + delta;
    if (moved > limit) moved = limit;
    if (moved < -limit) moved = -limit;
    return static_cast<int32_t>(moved);
}

}  // namespace

float orbitAzimuth(int32_t cameraAzimuth)
{
    return (static_cast<float>(cameraAzimuth) * 0.0025f - 2.0f) * AzimuthScale;
}

float orbitElevation(int32_t cameraElevation)
{
    return static_cast<float>(cameraElevation) * ElevationStep;
}

D3DXVECTOR3 orbitEye(int32_t cameraAzimuth, int32_t cameraElevation)
{
    const float a = orbitAzimuth(cameraAzimuth);
    const float e = orbitElevation(cameraElevation);
    return D3DXVECTOR3(-OrbitRadius * std::cos(e) * std::cos(a), OrbitRadius * std::sin(e),
                       -OrbitRadius * std::cos(e) * std::sin(a));
}

void orbitView(D3DXMATRIX* view, int32_t cameraAzimuth, int32_t cameraElevation)
{
    const D3DXVECTOR3 eye = orbitEye(cameraAzimuth, cameraElevation);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(view, &eye, &at, &up);
}

void dragCounters(int32_t* cameraAzimuth, int32_t* cameraElevation, int32_t dx, int32_t dy)
{
    *cameraElevation = movedCounter(*cameraElevation, dy, ElevationLimit);
    *cameraAzimuth = movedCounter(*cameraAzimuth, dx, AzimuthLimit);
}
