// Vectors, matrices and the eight operations of the 3D utility library that
// the scene, camera, picking and light set-up build their transforms from,
// under the library's published names. Plain data and pure functions: nothing
// here owns, allocates or keeps state, so any thread may call them.
//
// Conventions, shared by every operation here:
//   - Row vectors: a point (x, y, z) transforms as the row (x, y, z, 1) times
//     the matrix, so a translation sits in row 3 and A * B applies A first.
//   - Row-major storage: m[r][c] is float number 4r + c, the layout of the
//     platform's D3DMATRIX, so a matrix goes to SetTransform unchanged.
//   - Left-handed coordinates: looking along +z, +x is right and +y is up.
//   - Projected depth runs from 0 at the near plane to 1 at the far plane.
//   - Angles are in radians.
//
// Every operation writes through its first argument and returns it; inputs are
// only read and pointers are not checked. Only D3DXMatrixInverse fails: it
// returns null, leaving out untouched, when the determinant is 0 or its 32-bit
// reciprocal is not finite. Degenerate input to D3DXVec3Normalize (zero,
// underflowing or NaN) gives the zero vector rather than a failure.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <type_traits>

struct D3DXVECTOR3 : public D3DVECTOR {
    D3DXVECTOR3() = default;
    D3DXVECTOR3(FLOAT vx, FLOAT vy, FLOAT vz) : D3DVECTOR{vx, vy, vz} {}

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }

    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }

    D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(FLOAT f) const { return {x * f, y * f, z * f}; }
    // Divides each component: multiplying by 1 / f would round twice.
    D3DXVECTOR3 operator/(FLOAT f) const { return {x / f, y / f, z / f}; }

    // Exact comparison of the three floats.
    bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

inline D3DXVECTOR3 operator*(FLOAT f, const D3DXVECTOR3& v) { return v * f; }

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14,
               FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
               FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34,
               FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44);

    FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
    FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }

    // this × other, as D3DXMatrixMultiply.
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;

    // Exact comparison of the sixteen floats.
    bool operator==(const D3DXMATRIX& other) const;
};

// The types are handed to the device and to the platform's records as their
// base types, so they must add nothing to them.
static_assert(sizeof(D3DXVECTOR3) == sizeof(D3DVECTOR) && sizeof(D3DVECTOR) == 3 * sizeof(float),
              "D3DXVECTOR3 must be three packed floats");
static_assert(sizeof(D3DXMATRIX) == sizeof(D3DMATRIX) && sizeof(D3DMATRIX) == 16 * sizeof(float),
              "D3DXMATRIX must be sixteen packed floats");
static_assert(std::is_standard_layout_v<D3DXVECTOR3> && std::is_standard_layout_v<D3DXMATRIX>,
              "layout must match the platform records");
static_assert(std::is_trivially_default_constructible_v<D3DXVECTOR3> &&
                  std::is_trivially_copyable_v<D3DXVECTOR3>,
              "vectors live in vertex and light records");
static_assert(std::is_trivially_default_constructible_v<D3DXMATRIX> &&
                  std::is_trivially_copyable_v<D3DXMATRIX>,
              "matrices are copied as plain data");
static_assert(offsetof(D3DXVECTOR3, x) == 0 && offsetof(D3DXVECTOR3, y) == 4 &&
                  offsetof(D3DXVECTOR3, z) == 8,
              "x, y, z in that order");
static_assert(offsetof(D3DXMATRIX, m) == 0, "m[r][c] is float number 4r + c");

// out = v scaled to length 1. A squared length within 2^-23 of 1 leaves v
// unchanged bit for bit; one at or below the smallest normal float, or NaN,
// gives (0, 0, 0). out may be v.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);

// out = a × b (a applied first). out may be a or b.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

// out = m⁻¹. The determinant is stored through determinant (when not null)
// even when the inverse fails. Returns null, out untouched, when the
// determinant is 0 or its 32-bit reciprocal is infinite or NaN.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m);

// The identity with (x, y, z) in row 3.
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z);

// Rotation about x; a positive angle turns +y towards +z.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle);

// Rotation about y; a positive angle turns +z towards +x.
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle);

// View matrix for a camera at eye looking at at, with up giving the vertical.
// The axes are normalised by D3DXVec3Normalize's rules, so eye == at, or up
// parallel to the view direction, gives a zero rotation part, not a failure.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);

// Projection for a vertical field of view fovY and aspect = width / height;
// view depth zn maps to 0 and zf to 1 after division by w.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zn,
                                       FLOAT zf);
