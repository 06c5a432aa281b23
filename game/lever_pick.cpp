#include "game/lever_pick.h"

bool cursorRay(int x, int y, UINT width, UINT height, const D3DXMATRIX& projection, float* vx, float* vy)
{
    if (width == 0 || height == 0) return false;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    *vx = ((2.0f * static_cast<float>(x)) / w - 1.0f) / projection.m[0][0];
    *vy = -(((2.0f * static_cast<float>(y)) / h - 1.0f) / projection.m[1][1]);
    return true;
}

bool modelSpaceRay(float vx, float vy, const D3DXMATRIX& world, const D3DXMATRIX& view, D3DXVECTOR3* origin,
                   D3DXVECTOR3* direction)
{
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMATRIX n;
    if (!D3DXMatrixInverse(&n, nullptr, &worldView)) return false;
    *direction = D3DXVECTOR3(vx * n.m[0][0] + vy * n.m[1][0] + n.m[2][0], vx * n.m[0][1] + vy * n.m[1][1] + n.m[2][1],
                             vx * n.m[0][2] + vy * n.m[1][2] + n.m[2][2]);
    *origin = D3DXVECTOR3(n.m[3][0], n.m[3][1], n.m[3][2]);
    return true;
}

int nearestLever(const LeverHit (&hits)[PickLeverCount])
{
    int best = -1;
    float bestDistance = 1000.0f;
    for (int i = 0; i < PickLeverCount; ++i) {
        if (!hits[i].hit) continue;
        if (best == -1 || hits[i].distance < bestDistance) {
            best = i;
            bestDistance = hits[i].distance;
        }
    }
    return best;
}
