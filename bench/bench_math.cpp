// Our matrix operations against glm's left-handed, zero-to-one depth
// equivalents. Both sides read the same inputs, float for float, write every
// result to an output array that is then treated as read, and main first
// checks that both compute the same matrices, so each pair times the same work.
#include "bench/ratio_reporter.h"
#include "math/vector_matrix.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Enough inputs to defeat value prediction; few enough that every array of
// one benchmark stays in the first-level cache, so the pairs time arithmetic.
constexpr int kCount = 128;

// A D3DXMATRIX's rows are a glm::mat4's columns, so the same 16 floats serve
// both: ours computes a × b where glm computes b * a on the same memory.
static_assert(sizeof(glm::mat4) == sizeof(D3DXMATRIX) && sizeof(glm::vec3) == sizeof(D3DXVECTOR3),
              "inputs are shared float for float");

// Fixed arrays rather than containers: their addresses are constants, so
// neither side reloads a data pointer around each call.
struct Inputs {
    D3DXMATRIX a[kCount], b[kCount], invertible[kCount];
    D3DXVECTOR3 eye[kCount], at[kCount], up[kCount];
    float fov[kCount], aspect[kCount], zn[kCount], zf[kCount];
    glm::mat4 ga[kCount], gb[kCount], gInvertible[kCount];
    glm::vec3 gEye[kCount], gAt[kCount], gUp[kCount];
};
Inputs in;
D3DXMATRIX ours[kCount];
glm::mat4 theirs[kCount];

void makeInputs() {
    std::mt19937 random(31);
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random); };
    auto matrix = [&](float diagonal) {
        D3DXMATRIX m;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m(r, c) = uniform(-1, 1) + (r == c ? diagonal : 0);
        return m;
    };
    auto point = [&](float lo, float hi) { return D3DXVECTOR3(uniform(lo, hi), uniform(lo, hi), uniform(lo, hi)); };
    for (int i = 0; i < kCount; ++i) {
        in.a[i] = matrix(0);
        in.b[i] = matrix(0);
        // Diagonally dominant, so well away from singular.
        in.invertible[i] = matrix(4);
        in.eye[i] = point(-20, 20);
        in.at[i] = point(-2, 2);
        in.up[i] = D3DXVECTOR3(uniform(-0.3f, 0.3f), 1, uniform(-0.3f, 0.3f));
        in.fov[i] = uniform(0.3f, 2.0f);
        in.aspect[i] = uniform(0.5f, 2.5f);
        in.zn[i] = uniform(0.05f, 2);
        in.zf[i] = uniform(50, 1000);
        in.ga[i] = glm::make_mat4(&in.a[i].m[0][0]);
        in.gb[i] = glm::make_mat4(&in.b[i].m[0][0]);
        in.gInvertible[i] = glm::make_mat4(&in.invertible[i].m[0][0]);
        in.gEye[i] = glm::make_vec3(&in.eye[i].x);
        in.gAt[i] = glm::make_vec3(&in.at[i].x);
        in.gUp[i] = glm::make_vec3(&in.up[i].x);
    }
}

// Each body is its own type so that glm's inline code is inlined into the
// loop, as it would be in a caller; ours stays a call into the library.
struct MultiplyOurs {
    void operator()(int i) const { D3DXMatrixMultiply(&ours[i], &in.a[i], &in.b[i]); }
};
struct MultiplyGlm {
    void operator()(int i) const { theirs[i] = in.gb[i] * in.ga[i]; }
};
struct InverseOurs {
    void operator()(int i) const { D3DXMatrixInverse(&ours[i], nullptr, &in.invertible[i]); }
};
struct InverseGlm {
    void operator()(int i) const { theirs[i] = glm::inverse(in.gInvertible[i]); }
};
struct LookAtOurs {
    void operator()(int i) const { D3DXMatrixLookAtLH(&ours[i], &in.eye[i], &in.at[i], &in.up[i]); }
};
struct LookAtGlm {
    void operator()(int i) const { theirs[i] = glm::lookAtLH(in.gEye[i], in.gAt[i], in.gUp[i]); }
};
struct PerspectiveOurs {
    void operator()(int i) const { D3DXMatrixPerspectiveFovLH(&ours[i], in.fov[i], in.aspect[i], in.zn[i], in.zf[i]); }
};
struct PerspectiveGlm {
    void operator()(int i) const { theirs[i] = glm::perspectiveLH_ZO(in.fov[i], in.aspect[i], in.zn[i], in.zf[i]); }
};

template <typename Body>
void run(benchmark::State& state) {
    const Body body{};
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) body(i);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(run<MultiplyOurs>)->Name("Multiply/ours");
BENCHMARK(run<MultiplyGlm>)->Name("Multiply/glm");
BENCHMARK(run<InverseOurs>)->Name("Inverse/ours");
BENCHMARK(run<InverseGlm>)->Name("Inverse/glm");
BENCHMARK(run<LookAtOurs>)->Name("LookAt/ours");
BENCHMARK(run<LookAtGlm>)->Name("LookAt/glm");
BENCHMARK(run<PerspectiveOurs>)->Name("Perspective/ours");
BENCHMARK(run<PerspectiveGlm>)->Name("Perspective/glm");

// Runs both sides of one pair over all inputs and compares the results.
template <typename OursBody, typename GlmBody>
bool agree(const char* op) {
    for (int i = 0; i < kCount; ++i) {
        OursBody()(i);
        GlmBody()(i);
        const float* x = &ours[i].m[0][0];
        const float* y = glm::value_ptr(theirs[i]);
        for (int k = 0; k < 16; ++k)
            if (!(std::fabs(x[k] - y[k]) <= 1e-4f * (1 + std::fabs(y[k])))) {
                std::fprintf(stderr, "%s: input %d element %d: ours %g, glm %g\n", op, i, k, x[k], y[k]);
                return false;
            }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    makeInputs();
    if (!agree<MultiplyOurs, MultiplyGlm>("Multiply") || !agree<InverseOurs, InverseGlm>("Inverse") ||
        !agree<LookAtOurs, LookAtGlm>("LookAt") || !agree<PerspectiveOurs, PerspectiveGlm>("Perspective"))
        return 1;
    // Many short repetitions of every benchmark in random order, so that each
    // ratio is of two medians taken over the same stretch of a busy machine.
    // Flags given on the command line come later and win.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=21";
    char minTime[] = "--benchmark_min_time=0.02";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_display_aggregates_only=true";
    args.insert(args.begin() + 1, {repetitions, minTime, interleave, aggregates});
    int count = static_cast<int>(args.size());
    return runWithRatios(count, args.data(), "ours", "glm");
}
