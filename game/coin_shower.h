// The coins of the celebration: the shape of one coin (a 12-sided disc of 54
// vertices: two fans and a rim strip) and the 16 coins' positions, yaws and
// spin rates with their random set-up, stall catch-up and fall. Draws from the
// C library's rand(); the caller seeds it. Nothing here touches a device and
// nothing fails. Called by the game object's hooks and its celebration drawing.
#pragma once

#include <d3d9.h>

#include "math/vector_matrix.h"

constexpr int CoinCount = 16;
constexpr int CoinVertexCount = 54;
constexpr DWORD CoinFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

// Vertex ranges of the three primitives that draw one coin.
constexpr UINT CoinBackFanStart = 0;    // triangle fan of 12 triangles
constexpr UINT CoinFrontFanStart = 14;  // triangle fan of 12 triangles
constexpr UINT CoinRimStart = 28;       // triangle strip of 24 triangles
constexpr UINT CoinFanTriangles = 12;
constexpr UINT CoinRimTriangles = 24;

struct CoinVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};
constexpr UINT CoinVertexBytes = CoinVertexCount * sizeof(CoinVertex);
static_assert(sizeof(CoinVertex) == 24, "position and normal, three floats each");

// Writes the CoinVertexCount vertices of one coin.
void writeCoinShape(CoinVertex* vertices);

struct CoinShower {
    D3DXVECTOR3 coinPositions[CoinCount] = {};
    float coinYawA[CoinCount] = {};
    float coinSpin[CoinCount] = {};  // radians per second of application time
    float coinYawB[CoinCount] = {};

    // Places the coins in a column through the view and draws their angles.
    void place();
    // After a stall: every coin to a new height above the view.
    void lift();
    // One frame of falling at 2 units per second; a coin strictly below -4.1
    // starts again above the view with new angles.
    void fall(float frameDelta);
    // Yaw A, spin for `now` seconds, yaw B, then the coin's position.
    void world(int k, float now, D3DXMATRIX* out) const;
};
