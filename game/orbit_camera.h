// The orbit camera: two integer view counters, changed by mouse drags, give an
// eye on a sphere of radius 3 around the chest and a left-handed look-at view
// of the origin. Pure functions over the counters; nothing here fails.
// Called by the game's frame update (view) and its mouse handling (drag).
#pragma once

#include <cstdint>

#include "math/vector_matrix.h"

constexpr int32_t StartAzimuth = 10;
constexpr int32_t StartElevation = 300;
constexpr int32_t AzimuthLimit = 1600;   // a full turn between -limit and +limit
constexpr int32_t ElevationLimit = 400;  // 72 degrees above or below the chest

// Horizontal and vertical angles in radians for the counters.
float orbitAzimuth(int32_t cameraAzimuth);
float orbitElevation(int32_t cameraElevation);

// Where the camera stands for the counters.
D3DXVECTOR3 orbitEye(int32_t cameraAzimuth, int32_t cameraElevation);

// Look-at from orbitEye to the origin with +y up.
void orbitView(D3DXMATRIX* view, int32_t cameraAzimuth, int32_t cameraElevation);

// One drag step of dx, dy client pixels: the counters move by the pixels and
// are clamped, elevation first, then azimuth.
void dragCounters(int32_t* cameraAzimuth, int32_t* cameraElevation, int32_t dx, int32_t dy);
