// Lever picking arithmetic: the view-space direction through a cursor
// position, that ray carried into one lever's model space, and the choice of
// the nearest lever among the per-lever intersection results. Pure functions;
// the game's input handler does the mesh intersection between them.
#pragma once

#include <windows.h>

#include "math/vector_matrix.h"

constexpr int PickLeverCount = 6;

struct LeverHit {
    bool hit = false;
    float distance = 0.0f;  // along the unnormalised ray direction
};

// View-space x and y of the ray through client pixel (x, y), with z = 1, for
// a back buffer of width x height and the given projection. False, nothing
// written, for an empty back buffer.
bool cursorRay(int x, int y, UINT width, UINT height, const D3DXMATRIX& projection, float* vx, float* vy);

// The ray (vx, vy, 1) from the eye, in the model space of an object drawn with
// `world` under `view`. False when world x view cannot be inverted.
bool modelSpaceRay(float vx, float vy, const D3DXMATRIX& world, const D3DXMATRIX& view, D3DXVECTOR3* origin,
                   D3DXVECTOR3* direction);

// Index of the nearest lever hit, -1 when none. The first hit counts whatever
// its distance; later ones only when strictly nearer, so a tie keeps the
// lower index.
int nearestLever(const LeverHit (&hits)[PickLeverCount]);
