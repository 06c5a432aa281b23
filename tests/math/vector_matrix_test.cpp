#include "math/vector_matrix.h"

#include "math/matrix_multiply.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

template <typename T>
bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

D3DXMATRIX diagonal(float a, float b, float c, float d) {
    return D3DXMATRIX(a, 0, 0, 0, 0, b, 0, 0, 0, 0, c, 0, 0, 0, 0, d);
}
D3DXMATRIX identity() { return diagonal(1, 1, 1, 1); }

D3DXMATRIX filled(float value) {
    D3DXMATRIX m;
    for (auto& row : m.m)
        for (float& e : row) e = value;
    return m;
}

// Dense, with a non-affine last column; determinant 59.
D3DXMATRIX dense() { return D3DXMATRIX(2, -1, 0, 3, 1, 4, -2, 1, 0, 5, 1, -1, 3, 0, 2, 6); }

// The row (x, y, z, 1) times m, divided by w: how the device transforms a point.
D3DXVECTOR3 transformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
    float r[4];
    for (int c = 0; c < 4; ++c) r[c] = p.x * m(0, c) + p.y * m(1, c) + p.z * m(2, c) + m(3, c);
    return D3DXVECTOR3(r[0] / r[3], r[1] / r[3], r[2] / r[3]);
}

void expectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual(r, c), expected(r, c), tolerance) << "element " << r << "," << c;
}

D3DXVECTOR3 normalized(const D3DXVECTOR3& v) {
    D3DXVECTOR3 out(-7, -7, -7);
    EXPECT_EQ(D3DXVec3Normalize(&out, &v), &out);
    return out;
}

TEST(MathNormalize, DegenerateInputGivesTheZeroVector) {
    const D3DXVECTOR3 zero(0, 0, 0);
    EXPECT_EQ(normalized(zero), zero);
    EXPECT_EQ(normalized(D3DXVECTOR3(1e-20f, 0, 0)), zero);
    EXPECT_EQ(normalized(D3DXVECTOR3(kNan, 1, 0)), zero);
    EXPECT_EQ(normalized(D3DXVECTOR3(0, 0, kNan)), zero);
    // 2^-63 squared is exactly the smallest normal float: zero. 2^-62 squared
    // lies above it and still normalises.
    EXPECT_EQ(normalized(D3DXVECTOR3(std::ldexp(1.0f, -63), 0, 0)), zero);
    EXPECT_EQ(normalized(D3DXVECTOR3(0, std::ldexp(1.0f, -62), 0)), D3DXVECTOR3(0, 1, 0));
}

TEST(MathNormalize, UnitLengthInputIsReturnedBitForBit) {
    for (const D3DXVECTOR3& v : {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0.6f, 0.8f, 0), D3DXVECTOR3(0.48f, 0.6f, 0.64f)})
        EXPECT_TRUE(sameBits(normalized(v), v)) << v.x << " " << v.y << " " << v.z;

    // Squared length 1 - 2^-23 is on the closed edge of the window; rescaling
    // would round x up to 1. Squared length 1 + 2^-22 is outside and rescaled.
    const D3DXVECTOR3 edge(std::nextafter(1.0f, 0.0f), 0, 0);
    EXPECT_EQ(bits(normalized(edge).x), bits(edge.x));
    EXPECT_EQ(normalized(D3DXVECTOR3(std::nextafter(1.0f, 2.0f), 0, 0)), D3DXVECTOR3(1, 0, 0));
}

TEST(MathNormalize, ScalesInPlaceTouchingOnlyTwelveBytes) {
    D3DXVECTOR3 v(0, 3, 4);
    EXPECT_EQ(D3DXVec3Normalize(&v, &v), &v);
    EXPECT_FLOAT_EQ(v.x, 0.0f);
    EXPECT_FLOAT_EQ(v.y, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    expectNear(normalized(D3DXVECTOR3(-2e10f, 1e10f, 2e10f)), D3DXVECTOR3(-2.0f / 3, 1.0f / 3, 2.0f / 3));

    // Alone on the heap, so reading past z is caught by the sanitizer build.
    const auto in = std::make_unique<D3DXVECTOR3>(0.0f, 0.0f, 2.0f);
    struct {
        D3DXVECTOR3 v;
        float after;
    } out = {{0, 0, 0}, 42.0f};
    D3DXVec3Normalize(&out.v, in.get());
    EXPECT_EQ(out.v, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(out.after, 42.0f);
}

// Both builds of the product, whatever this processor picks: a fault in the
// one it does not pick would otherwise pass here and show only elsewhere.
struct MultiplyBuild {
    const char* name;
    D3DXMATRIX* (*multiply)(D3DXMATRIX*, const D3DXMATRIX*, const D3DXMATRIX*);
    bool needsAvx;
};

class MathMultiply : public ::testing::TestWithParam<MultiplyBuild> {
protected:
    void SetUp() override
    {
        if (GetParam().needsAvx && !q31math::processorHasAvx()) GTEST_SKIP() << "no AVX on this processor";
    }
    D3DXMATRIX* multiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b)
    {
        D3DXMATRIX* result = GetParam().multiply(out, a, b);
        EXPECT_EQ(result, out);
        return result;
    }
};

TEST_P(MathMultiply, ProductAppliesTheLeftFactorFirst) {
    D3DXMATRIX rotate, translate, product;
    D3DXMatrixRotationY(&rotate, kPi / 2);
    D3DXMatrixTranslation(&translate, 10, 20, 30);
    multiply(&product, &rotate, &translate);
    expectNear(transformPoint(D3DXVECTOR3(0, 0, 1), product), D3DXVECTOR3(11, 20, 30));
    multiply(&product, &translate, &rotate);
    expectNear(transformPoint(D3DXVECTOR3(0, 0, 1), product), D3DXVECTOR3(31, 20, -10));

    // Every element of a dense product, against the sum written out; the
    // values are exact in floats, so any order of adding gives these.
    const D3DXMATRIX a = dense();
    const D3DXMATRIX b(0.5f, 1, -2, 0, 3, 0.25f, 1, -1, 0, 2, 1, 4, -3, 1, 0, 2);
    multiply(&product, &a, &b);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(product(i, j), a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j) + a(i, 3) * b(3, j))
                << "element " << i << "," << j;

    // The public operation and the operator give this build's bits.
    D3DXMATRIX viaPublic;
    EXPECT_EQ(D3DXMatrixMultiply(&viaPublic, &a, &b), &viaPublic);
    EXPECT_TRUE(sameBits(viaPublic, product));
    EXPECT_TRUE(sameBits(a * b, product));
}

TEST_P(MathMultiply, OutputMayAliasEitherInput) {
    const D3DXMATRIX a = dense();
    const D3DXMATRIX b(0.5f, 1, -2, 0, 3, 0.25f, 1, -1, 0, 2, 1, 4, -3, 1, 0, 2);
    D3DXMATRIX expected, square;
    multiply(&expected, &a, &b);
    multiply(&square, &a, &a);

    D3DXMATRIX left = a, right = b, both = a;
    multiply(&left, &left, &b);
    multiply(&right, &a, &right);
    multiply(&both, &both, &both);
    EXPECT_TRUE(sameBits(left, expected));
    EXPECT_TRUE(sameBits(right, expected));
    EXPECT_TRUE(sameBits(both, square));
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, MathMultiply,
                         ::testing::Values(MultiplyBuild{"Baseline", q31math::multiplyBaseline, false},
                                           MultiplyBuild{"Avx", q31math::multiplyAvx, true}),
                         [](const ::testing::TestParamInfo<MultiplyBuild>& info) { return info.param.name; });

TEST(MathInverse, SingularMatrixFailsButReportsItsDeterminant) {
    // Row 2 is twice row 0.
    const D3DXMATRIX m(1, 2, 3, 4, 0, 1, 5, 2, 2, 4, 6, 8, 7, 1, 0, 3);
    D3DXMATRIX out = filled(7);
    float det = 99;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &m), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &m), nullptr);
    EXPECT_TRUE(sameBits(out, filled(7)));
}

TEST(MathInverse, InvertsIdentityAndGeneralMatrices) {
    D3DXMATRIX inv = filled(7);
    float det = 0;
    const D3DXMATRIX one = identity();
    EXPECT_EQ(D3DXMatrixInverse(&inv, &det, &one), &inv);
    EXPECT_EQ(det, 1.0f);
    EXPECT_EQ(inv, identity());

    const D3DXMATRIX m = dense();
    ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &m), &inv);
    EXPECT_FLOAT_EQ(det, 59.0f);
    expectNear(m * inv, identity());
    expectNear(inv * m, identity());

    // Swapping two rows negates the determinant.
    D3DXMATRIX swapped = m;
    for (int c = 0; c < 4; ++c) std::swap(swapped(0, c), swapped(2, c));
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &swapped), nullptr);
    EXPECT_FLOAT_EQ(det, -59.0f);
    expectNear(swapped * inv, identity());

    // A camera-like chain: rotations, a translation and the projection.
    D3DXMATRIX rx, ry, t, p;
    D3DXMatrixRotationX(&rx, 0.3f);
    D3DXMatrixRotationY(&ry, -1.1f);
    D3DXMatrixTranslation(&t, 2, -3, 8);
    D3DXMatrixPerspectiveFovLH(&p, kPi / 4, 4.0f / 3, 1, 100);
    const D3DXMATRIX chain = rx * ry * t * p;
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &chain), nullptr);
    expectNear(chain * inv, identity(), 1e-4f);
}

TEST(MathInverse, FailsWhenTheReciprocalOfTheDeterminantIsNotFinite) {
    // 1 / 2e-39 exceeds the largest float; 1 / 4e-39 does not.
    const D3DXMATRIX tiny = diagonal(2e-39f, 1, 1, 1);
    D3DXMATRIX out = filled(7);
    float det = 0;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &tiny), nullptr);
    EXPECT_EQ(det, 2e-39f);
    D3DXMATRIX withNan = identity();
    withNan(2, 1) = kNan;
    EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &withNan), nullptr);
    EXPECT_TRUE(sameBits(out, filled(7)));

    const D3DXMATRIX small = diagonal(4e-39f, 1, 1, 1);
    ASSERT_EQ(D3DXMatrixInverse(&out, &det, &small), &out);
    EXPECT_EQ(det, 4e-39f);
    EXPECT_FLOAT_EQ(out(0, 0), 1.0f / 4e-39f);
    EXPECT_EQ(out(1, 1), 1.0f);
}

TEST(MathTransforms, TranslationAndRotationsMapPoints) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixTranslation(&m, 1, 2, 3), &m);
    EXPECT_EQ(transformPoint(D3DXVECTOR3(0, 0, 0), m), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(transformPoint(D3DXVECTOR3(-1, 1, 0.5f), m), D3DXVECTOR3(0, 3, 3.5f));

    EXPECT_EQ(D3DXMatrixRotationY(&m, kPi / 2), &m);
    expectNear(transformPoint(D3DXVECTOR3(0, 0, 1), m), D3DXVECTOR3(1, 0, 0));
    expectNear(transformPoint(D3DXVECTOR3(1, 0, 0), m), D3DXVECTOR3(0, 0, -1));
    expectNear(transformPoint(D3DXVECTOR3(0, 1, 0), m), D3DXVECTOR3(0, 1, 0));

    EXPECT_EQ(D3DXMatrixRotationX(&m, kPi / 2), &m);
    expectNear(transformPoint(D3DXVECTOR3(0, 1, 0), m), D3DXVECTOR3(0, 0, 1));
    expectNear(transformPoint(D3DXVECTOR3(0, 0, 1), m), D3DXVECTOR3(0, -1, 0));
    expectNear(transformPoint(D3DXVECTOR3(1, 0, 0), m), D3DXVECTOR3(1, 0, 0));
}

TEST(MathLookAt, CameraBehindTheOriginLookingAlongZ) {
    const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    expectNear(view, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1));

    // The axes follow the normalising rules, so a direction of unit length
    // within 2^-23 is used as given, not rounded to 1.
    const float almostOne = std::nextafter(1.0f, 0.0f);
    const D3DXVECTOR3 origin(0, 0, 0), ahead(0, 0, almostOne);
    D3DXMatrixLookAtLH(&view, &origin, &ahead, &up);
    EXPECT_EQ(bits(view(2, 2)), bits(almostOne));
    EXPECT_EQ(bits(view(0, 0)), bits(almostOne));

    // Eye on the target: zero axes, not NaN.
    D3DXMatrixLookAtLH(&view, &eye, &eye, &up);
    EXPECT_EQ(view, D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1));
}

TEST(MathLookAt, MapsTheSceneIntoLeftHandedViewSpace) {
    const D3DXVECTOR3 eye(3, 4, 5), at(0, 1, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    expectNear(transformPoint(eye, view), D3DXVECTOR3(0, 0, 0));
    expectNear(transformPoint(at, view), D3DXVECTOR3(0, 0, std::sqrt(43.0f)));
    // Looking from +z towards -z, world -x lies to the right.
    EXPECT_GT(transformPoint(D3DXVECTOR3(-1, 1, 0), view).x, 0.0f);
    EXPECT_GT(transformPoint(D3DXVECTOR3(0, 3, 0), view).y, 0.0f);
}

// The axes side by side against the textbook order: z normalised, then x
// from it, then y. Cameras in all directions, near and far, with tilted ups.
TEST(MathLookAt, AgreesWithNormalisingOneAxisAfterTheOther) {
    const D3DXVECTOR3 cameras[][3] = {
        {{3, 4, 5}, {0, 1, 0}, {0, 1, 0}},         {{-20, 2, 7}, {1, -1, 0.5f}, {0.2f, 1, -0.1f}},
        {{0.5f, 30, -8}, {0, 0, 0}, {0, 1, 0}},    {{1e-3f, 0, 0}, {0, 2e-3f, 1e-3f}, {0, 0, 1}},
        {{400, -300, 12}, {-5, 7, 900}, {1, 1, 0}}, {{2, 2, 2}, {2, 2, 3}, {0, -3, 0}},
    };
    auto cross = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    };
    auto dot = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    for (const auto& camera : cameras) {
        const D3DXVECTOR3 &eye = camera[0], &at = camera[1], &up = camera[2];
        D3DXVECTOR3 z, x;
        const D3DXVECTOR3 towards(at.x - eye.x, at.y - eye.y, at.z - eye.z);
        D3DXVec3Normalize(&z, &towards);
        const D3DXVECTOR3 across = cross(up, z);
        D3DXVec3Normalize(&x, &across);
        const D3DXVECTOR3 y = cross(z, x);
        const D3DXMATRIX expected(x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0,
                                  -dot(x, eye), -dot(y, eye), -dot(z, eye), 1);
        D3DXMATRIX view;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(view(r, c), expected(r, c), 2e-6f * (1 + std::fabs(expected(r, c))))
                    << "eye " << eye.x << "," << eye.y << "," << eye.z << " element " << r << "," << c;
    }
}

// A z axis too short to trust is zero, and so is the x axis crossed from it,
// even where a long up would make that cross product long enough.
TEST(MathLookAt, AZeroViewDirectionZeroesTheSideAxisToo) {
    const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1e-20f), up(0, 1e20f, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    EXPECT_EQ(view, D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1));

    // So does a target with a NaN in it.
    const D3DXVECTOR3 broken(kNan, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &broken, &up);
    EXPECT_EQ(view, D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1));

    // Up along the view direction leaves no side axis either.
    const D3DXVECTOR3 ahead(0, 0, 5), along(0, 0, 2);
    D3DXMatrixLookAtLH(&view, &eye, &ahead, &along);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(view(r, 0), 0.0f);
        EXPECT_EQ(view(r, 1), 0.0f);
    }
    EXPECT_EQ(view(2, 2), 1.0f);
}

TEST(MathPerspective, RightAngleFieldOfView) {
    D3DXMATRIX p = filled(7);
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&p, kPi / 2, 1, 1, 100), &p);
    expectNear(p, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 100.0f / 99, 1, 0, 0, -100.0f / 99, 0), 1e-6f);
    EXPECT_EQ(p(3, 3), 0.0f);
}

TEST(MathPerspective, DepthRunsFromZeroAtNearToOneAtFar) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, kPi / 4, 2, 0.5f, 250);
    EXPECT_NEAR(transformPoint(D3DXVECTOR3(0, 0, 0.5f), p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(transformPoint(D3DXVECTOR3(0, 0, 250), p).z, 1.0f, 1e-6f);
    // The top edge of the view lands on y = 1 at any depth; aspect 2 halves x.
    const float depth = 10, top = depth * std::tan(kPi / 8);
    EXPECT_NEAR(transformPoint(D3DXVECTOR3(0, top, depth), p).y, 1.0f, 1e-5f);
    EXPECT_NEAR(transformPoint(D3DXVECTOR3(2 * top, 0, depth), p).x, 1.0f, 1e-5f);
}

}  // namespace
