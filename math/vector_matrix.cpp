#include "math/vector_matrix.h"

#include "math/matrix_multiply.h"

#include <cmath>
#include <cstdint>

#include <immintrin.h>

namespace {

// Squared lengths within 2^-23 of 1 count as unit length: exactly the four
// floats with bits 0x3F7FFFFE to 0x3F800001. Adding this bias (0x80000000 -
// 0x3F7FFFFE) moves them to the bottom of the signed range.
constexpr std::int32_t kUnitBias = 0x40800002;
// Smallest normal float (2^-126). A squared length at or below it has lost
// its precision, so its direction is not trusted.
constexpr float kSmallestNormal = 1.1754944e-38f;

// Three-component vectors travel as (x, y, z, 0). Only the 12 bytes of v are
// read or written: a 16-byte access could reach past the end of an array.
inline __m128 load3(const D3DXVECTOR3& v) {
    const __m128 xy = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&v.x)));
    return _mm_movelh_ps(xy, _mm_load_ss(&v.z));
}

inline void store3(D3DXVECTOR3* out, __m128 v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out->x), _mm_castps_si128(v));
    _mm_store_ss(&out->z, _mm_movehl_ps(v, v));
}

// The 3D cross product a × b, component for component as
// (a.y·b.z − a.z·b.y, a.z·b.x − a.x·b.z, a.x·b.y − a.y·b.x).
inline __m128 cross3(__m128 a, __m128 b) {
    const __m128 aYzx = _mm_shuffle_ps(a, a, _MM_SHUFFLE(3, 0, 2, 1));
    const __m128 bYzx = _mm_shuffle_ps(b, b, _MM_SHUFFLE(3, 0, 2, 1));
    const __m128 zxy = _mm_sub_ps(_mm_mul_ps(a, bYzx), _mm_mul_ps(aYzx, b));
    return _mm_shuffle_ps(zxy, zxy, _MM_SHUFFLE(3, 0, 2, 1));
}

// The rules of D3DXVec3Normalize, shared with the look-at, decided by masks
// rather than branches. Each lane of s holds the squared length (x² + y²) + z²
// of a vector. Returns the divisor for that vector's lanes: 1 where the length
// counts as unit, so the vector is kept bit for bit, else √s; *keep is clear
// where the vector becomes zero. Dividing by √s rounds once where scaling by
// 1 / √s rounds twice; the two agree to an ulp.
inline __m128 normalizingDivisor(__m128 s, __m128* keep) {
    // One signed compare of the biased bits finds the unit lengths; NaN and -0
    // fall outside. Cheaper than |s - 1| <= 2^-23, which it equals.
    const __m128i biased = _mm_add_epi32(_mm_castps_si128(s), _mm_set1_epi32(kUnitBias));
    const __m128 unit = _mm_castsi128_ps(_mm_cmpgt_epi32(_mm_set1_epi32(INT32_MIN + 4), biased));
    // NaN fails the comparison too and ends in the zero vector.
    *keep = _mm_or_ps(unit, _mm_cmpgt_ps(s, _mm_set1_ps(kSmallestNormal)));
    return _mm_or_ps(_mm_and_ps(unit, _mm_set1_ps(1.0f)), _mm_andnot_ps(unit, _mm_sqrt_ps(s)));
}

inline __m128 normalized3(__m128 v) {
    const __m128 squares = _mm_mul_ps(v, v);
    const __m128 pairs = _mm_add_ps(squares, _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(2, 3, 0, 1)));
    const __m128 s = _mm_add_ps(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(1, 0, 3, 2)));
    __m128 keep;
    const __m128 divisor = normalizingDivisor(s, &keep);
    return _mm_and_ps(keep, _mm_div_ps(v, divisor));
}

// Whether the product may use AVX. Decided once, at start-up.
bool detectAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}
const bool haveAvx = detectAvx();

// Row i of a product: b's rows weighted by the four elements of row i of a.
inline __m128 productRow(const float* ai, __m128 b0, __m128 b1, __m128 b2, __m128 b3) {
    const __m128 x = _mm_mul_ps(_mm_set1_ps(ai[0]), b0);
    const __m128 y = _mm_mul_ps(_mm_set1_ps(ai[1]), b1);
    const __m128 z = _mm_mul_ps(_mm_set1_ps(ai[2]), b2);
    const __m128 t = _mm_mul_ps(_mm_set1_ps(ai[3]), b3);
    return _mm_add_ps(_mm_add_ps(x, y), _mm_add_ps(z, t));
}

// Two rows of a product at once, rows (i, i + 1) of a in the halves of ai, in
// the arithmetic and order of productRow, so both builds give the same bits.
__attribute__((target("avx"))) inline __m256 productRows(__m256 ai, __m256 b0, __m256 b1, __m256 b2, __m256 b3) {
    const __m256 x = _mm256_mul_ps(_mm256_permute_ps(ai, _MM_SHUFFLE(0, 0, 0, 0)), b0);
    const __m256 y = _mm256_mul_ps(_mm256_permute_ps(ai, _MM_SHUFFLE(1, 1, 1, 1)), b1);
    const __m256 z = _mm256_mul_ps(_mm256_permute_ps(ai, _MM_SHUFFLE(2, 2, 2, 2)), b2);
    const __m256 t = _mm256_mul_ps(_mm256_permute_ps(ai, _MM_SHUFFLE(3, 3, 3, 3)), b3);
    return _mm256_add_ps(_mm256_add_ps(x, y), _mm256_add_ps(z, t));
}

// The 2x2 minors of rows p and q for columns 01, 02, 03 and 12.
inline __m128 minors(__m128 p, __m128 q) {
    const __m128 left = _mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 0, 0, 0));
    const __m128 right = _mm_shuffle_ps(q, q, _MM_SHUFFLE(2, 3, 2, 1));
    const __m128 leftQ = _mm_shuffle_ps(q, q, _MM_SHUFFLE(1, 0, 0, 0));
    const __m128 rightP = _mm_shuffle_ps(p, p, _MM_SHUFFLE(2, 3, 2, 1));
    return _mm_sub_ps(_mm_mul_ps(left, right), _mm_mul_ps(leftQ, rightP));
}

// x·mx - y·my + z·mz, lane by lane: one row of the adjugate before its signs.
inline __m128 combine(__m128 x, __m128 mx, __m128 y, __m128 my, __m128 z, __m128 mz) {
    return _mm_add_ps(_mm_sub_ps(_mm_mul_ps(x, mx), _mm_mul_ps(y, my)), _mm_mul_ps(z, mz));
}

}  // namespace

namespace q31math {

// out may be a or b in both builds: all of b is read first, and each row of
// a before that row of out is written.
D3DXMATRIX* multiplyBaseline(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    const __m128 b0 = _mm_loadu_ps(b->m[0]);
    const __m128 b1 = _mm_loadu_ps(b->m[1]);
    const __m128 b2 = _mm_loadu_ps(b->m[2]);
    const __m128 b3 = _mm_loadu_ps(b->m[3]);
    const __m128 r0 = productRow(a->m[0], b0, b1, b2, b3);
    const __m128 r1 = productRow(a->m[1], b0, b1, b2, b3);
    const __m128 r2 = productRow(a->m[2], b0, b1, b2, b3);
    const __m128 r3 = productRow(a->m[3], b0, b1, b2, b3);
    _mm_storeu_ps(out->m[0], r0);
    _mm_storeu_ps(out->m[1], r1);
    _mm_storeu_ps(out->m[2], r2);
    _mm_storeu_ps(out->m[3], r3);
    return out;
}

// With AVX two rows go through each instruction, and a's elements are spread
// by in-register permutes rather than one load or shuffle each.
__attribute__((target("avx"))) D3DXMATRIX* multiplyAvx(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    const __m256 b0 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(b->m[0]));
    const __m256 b1 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(b->m[1]));
    const __m256 b2 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(b->m[2]));
    const __m256 b3 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(b->m[3]));
    // Rows 0-1 of out may be written before rows 2-3 of a are read: they
    // are other memory. Doing so keeps few registers live, which matters
    // where most of them must be saved across the call (Windows).
    _mm256_storeu_ps(out->m[0], productRows(_mm256_loadu_ps(a->m[0]), b0, b1, b2, b3));
    _mm256_storeu_ps(out->m[2], productRows(_mm256_loadu_ps(a->m[2]), b0, b1, b2, b3));
    return out;
}

bool processorHasAvx() {
    return haveAvx;
}

}  // namespace q31math

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14,
                       FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
                       FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34,
                       FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
    m[0][0] = f11; m[0][1] = f12; m[0][2] = f13; m[0][3] = f14;
    m[1][0] = f21; m[1][1] = f22; m[1][2] = f23; m[1][3] = f24;
    m[2][0] = f31; m[2][1] = f32; m[2][2] = f33; m[2][3] = f34;
    m[3][0] = f41; m[3][1] = f42; m[3][2] = f43; m[3][3] = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, this, &other);
    return product;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != other.m[r][c]) return false;
    return true;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    store3(out, normalized3(load3(*v)));
    return out;
}

// A flag tested on each call rather than a pointer set at start-up: both end
// in a jump, and a call made before this file's initialisers have run still
// finds a build that works (the baseline).
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    return haveAvx ? q31math::multiplyAvx(out, a, b) : q31math::multiplyBaseline(out, a, b);
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m) {
    const __m128 r0 = _mm_loadu_ps(m->m[0]);
    const __m128 r1 = _mm_loadu_ps(m->m[1]);
    const __m128 r2 = _mm_loadu_ps(m->m[2]);
    const __m128 r3 = _mm_loadu_ps(m->m[3]);

    // Laplace expansion along rows 0-1 against rows 2-3: the six 2x2 minors of
    // each pair (columns 01 02 03 12 13 23) give every cofactor.
    // s = (s01, s02, s03, s12), c = (c01, c02, c03, c12), t = (s13, s23, c13, c23).
    const __m128 s = minors(r0, r1);
    const __m128 c = minors(r2, r3);
    const __m128 t = _mm_sub_ps(_mm_mul_ps(_mm_shuffle_ps(r0, r2, _MM_SHUFFLE(2, 1, 2, 1)),
                                           _mm_shuffle_ps(r1, r3, _MM_SHUFFLE(3, 3, 3, 3))),
                                _mm_mul_ps(_mm_shuffle_ps(r1, r3, _MM_SHUFFLE(2, 1, 2, 1)),
                                           _mm_shuffle_ps(r0, r2, _MM_SHUFFLE(3, 3, 3, 3))));

    // Each pair holds a minor of rows 2-3 in lanes 0-1 and the matching minor
    // of rows 0-1 in lanes 2-3, so one product serves two rows of the result.
    const __m128 m23 = _mm_shuffle_ps(t, t, _MM_SHUFFLE(1, 1, 3, 3));
    const __m128 m13 = _mm_shuffle_ps(t, t, _MM_SHUFFLE(0, 0, 2, 2));
    const __m128 m12 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128 m03 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 m02 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(1, 1, 1, 1));
    const __m128 m01 = _mm_shuffle_ps(c, s, _MM_SHUFFLE(0, 0, 0, 0));

    // Column k of the matrix, reordered as (row 1, row 0, row 3, row 2).
    const __m128 lo10 = _mm_unpacklo_ps(r1, r0);
    const __m128 hi10 = _mm_unpackhi_ps(r1, r0);
    const __m128 lo32 = _mm_unpacklo_ps(r3, r2);
    const __m128 hi32 = _mm_unpackhi_ps(r3, r2);
    const __m128 k0 = _mm_movelh_ps(lo10, lo32);
    const __m128 k1 = _mm_movehl_ps(lo32, lo10);
    const __m128 k2 = _mm_movelh_ps(hi10, hi32);
    const __m128 k3 = _mm_movehl_ps(hi32, hi10);

    // Rows of the adjugate, signs alternating along each row.
    const __m128 plusMinus = _mm_castsi128_ps(_mm_setr_epi32(0, INT32_MIN, 0, INT32_MIN));
    const __m128 minusPlus = _mm_castsi128_ps(_mm_setr_epi32(INT32_MIN, 0, INT32_MIN, 0));
    const __m128 a0 = _mm_xor_ps(plusMinus, combine(k1, m23, k2, m13, k3, m12));
    const __m128 a1 = _mm_xor_ps(minusPlus, combine(k0, m23, k2, m03, k3, m02));
    const __m128 a2 = _mm_xor_ps(plusMinus, combine(k0, m13, k1, m03, k3, m01));
    const __m128 a3 = _mm_xor_ps(minusPlus, combine(k0, m12, k1, m02, k2, m01));

    // Expansion along column 0: det = sum over k of m[k][0] times cofactor (k, 0),
    // the latter being row 0 of the adjugate.
    const __m128 column0 = _mm_shuffle_ps(k0, k0, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 terms = _mm_mul_ps(a0, column0);
    const __m128 pairs = _mm_add_ps(terms, _mm_movehl_ps(terms, terms));
    const float det = _mm_cvtss_f32(_mm_add_ss(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(1, 1, 1, 1))));

    if (determinant) *determinant = det;
    if (det == 0.0f) return nullptr;
    const float r = 1.0f / det;
    if (!std::isfinite(r)) return nullptr;

    const __m128 scale = _mm_set1_ps(r);
    _mm_storeu_ps(out->m[0], _mm_mul_ps(a0, scale));
    _mm_storeu_ps(out->m[1], _mm_mul_ps(a1, scale));
    _mm_storeu_ps(out->m[2], _mm_mul_ps(a2, scale));
    _mm_storeu_ps(out->m[3], _mm_mul_ps(a3, scale));
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z) {
    *out = D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f,
                      0.0f, 1.0f, 0.0f, 0.0f,
                      0.0f, 0.0f, 1.0f, 0.0f,
                      x,    y,    z,    1.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = D3DXMATRIX(1.0f, 0.0f, 0.0f, 0.0f,
                      0.0f, c,    s,    0.0f,
                      0.0f, -s,   c,    0.0f,
                      0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    *out = D3DXMATRIX(c,    0.0f, -s,   0.0f,
                      0.0f, 1.0f, 0.0f, 0.0f,
                      s,    0.0f, c,    0.0f,
                      0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    const __m128 e = load3(*eye);
    // up × (at − eye) points the same way as up × the normalised z axis, so
    // both axes are normalised side by side, with one square root, rather
    // than one after the other.
    const __m128 towards = _mm_sub_ps(load3(*at), e);
    const __m128 across = cross3(load3(*up), towards);
    // Squared lengths in the order x² + y², then + z²: (towards, across, ...).
    const __m128 squares = _mm_unpacklo_ps(_mm_mul_ps(towards, towards), _mm_mul_ps(across, across));
    const __m128 zSquares = _mm_unpackhi_ps(_mm_mul_ps(towards, towards), _mm_mul_ps(across, across));
    const __m128 s = _mm_add_ps(_mm_add_ps(squares, _mm_movehl_ps(squares, squares)), zSquares);
    __m128 keep;
    const __m128 divisor = normalizingDivisor(s, &keep);
    const __m128 keepZ = _mm_shuffle_ps(keep, keep, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128 zaxis = _mm_and_ps(keepZ, _mm_div_ps(towards, _mm_shuffle_ps(divisor, divisor, _MM_SHUFFLE(0, 0, 0, 0))));
    // A zero z axis makes a zero x axis, as crossing with it would.
    const __m128 keepX = _mm_and_ps(keepZ, _mm_shuffle_ps(keep, keep, _MM_SHUFFLE(1, 1, 1, 1)));
    const __m128 xaxis = _mm_and_ps(keepX, _mm_div_ps(across, _mm_shuffle_ps(divisor, divisor, _MM_SHUFFLE(1, 1, 1, 1))));
    // Both factors are unit and orthogonal, so this one needs no normalising.
    const __m128 yaxis = cross3(zaxis, xaxis);

    // The axes become the columns of the rotation part.
    const __m128 zero = _mm_setzero_ps();
    const __m128 xyLow = _mm_unpacklo_ps(xaxis, yaxis);
    const __m128 xyHigh = _mm_unpackhi_ps(xaxis, yaxis);
    const __m128 zLow = _mm_unpacklo_ps(zaxis, zero);
    const __m128 zHigh = _mm_unpackhi_ps(zaxis, zero);
    const __m128 row0 = _mm_movelh_ps(xyLow, zLow);
    const __m128 row1 = _mm_movehl_ps(zLow, xyLow);
    const __m128 row2 = _mm_movelh_ps(xyHigh, zHigh);

    // Row 3 is −(axis · eye) for each axis, summed in the order x, y, z.
    const __m128 dots = _mm_add_ps(_mm_add_ps(_mm_mul_ps(row0, _mm_shuffle_ps(e, e, _MM_SHUFFLE(0, 0, 0, 0))),
                                              _mm_mul_ps(row1, _mm_shuffle_ps(e, e, _MM_SHUFFLE(1, 1, 1, 1)))),
                                   _mm_mul_ps(row2, _mm_shuffle_ps(e, e, _MM_SHUFFLE(2, 2, 2, 2))));
    // Lane 3 of every axis is 0, so this leaves 1 there.
    const __m128 row3 = _mm_sub_ps(_mm_setr_ps(0.0f, 0.0f, 0.0f, 1.0f), dots);

    _mm_storeu_ps(out->m[0], row0);
    _mm_storeu_ps(out->m[1], row1);
    _mm_storeu_ps(out->m[2], row2);
    _mm_storeu_ps(out->m[3], row3);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zn,
                                       FLOAT zf) {
    const float half = 0.5f * fovY;
    const float h = std::cos(half) / std::sin(half);
    const float depthScale = zf / (zf - zn);
    *out = D3DXMATRIX(h / aspect, 0.0f, 0.0f,              0.0f,
                      0.0f,       h,    0.0f,              0.0f,
                      0.0f,       0.0f, depthScale,        1.0f,
                      0.0f,       0.0f, -zn * depthScale,  0.0f);
    return out;
}
