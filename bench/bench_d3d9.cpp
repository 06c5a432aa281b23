// The CPU cost of one frame through our Direct3D 9 device against the same
// frame written directly in OpenGL (the floor): 100 draws of a 1,000-triangle
// lit, textured mesh, each with its own world matrix. Both sides render into
// a small offscreen target in the same context and finish the frame with
// glFinish, so both pay the same (small) rasterisation. Compared in CPU
// time, median over alternating rounds. Operator new is counted: a
// steady-state frame of ours must allocate nothing.
#include "bench/bench_support.h"

#include <d3d9.h>
#include <windows.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int kDraws = 100;
constexpr int kGrid = 25;  // 25 x 20 quads = 1,000 triangles
constexpr int kRows = 20;
constexpr int kTarget = 64;

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct Mesh {
    std::vector<Vertex> vertices;
    std::vector<WORD> indices;
    Mesh()
    {
        for (int j = 0; j <= kRows; ++j)
            for (int i = 0; i <= kGrid; ++i) {
                const float x = float(i) / kGrid - 0.5f, y = float(j) / kRows - 0.5f;
                const float z = 0.1f * std::sin(x * 6) * std::cos(y * 6);
                vertices.push_back({x, y, z, 0, 0, -1, float(i) / kGrid, float(j) / kRows});
            }
        for (int j = 0; j < kRows; ++j)
            for (int i = 0; i < kGrid; ++i) {
                const WORD a = WORD(j * (kGrid + 1) + i), b = WORD(a + 1), c = WORD(a + kGrid + 1), d = WORD(c + 1);
                for (WORD w : {a, c, b, b, c, d}) indices.push_back(w);
            }
    }
};

D3DMATRIX worldFor(int i)
{
    D3DMATRIX m = {};
    const float angle = 0.05f * float(i);
    m._11 = std::cos(angle);
    m._13 = -std::sin(angle);
    m._22 = 1.f;
    m._31 = std::sin(angle);
    m._33 = std::cos(angle);
    m._41 = float(i % 10) * 0.1f - 0.45f;
    m._42 = float(i / 10) * 0.1f - 0.45f;
    m._43 = 2.f;
    m._44 = 1.f;
    return m;
}

D3DMATRIX projection()
{
    // Left-handed perspective, depth 0..1 (row vectors).
    const float zn = 0.5f, zf = 10.f, s = 1.f / std::tan(0.5f);
    D3DMATRIX m = {};
    m._11 = s;
    m._22 = s;
    m._33 = zf / (zf - zn);
    m._34 = 1.f;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

struct D3dSide {
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DMATRIX worlds[kDraws];
    UINT vertexCount = 0;

    bool create(HWND window, const Mesh& mesh)
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        device = createBenchDevice(d3d, window, kTarget, kTarget);
        if (!device) return false;
        vertexCount = UINT(mesh.vertices.size());
        void* data = nullptr;
        device->CreateVertexBuffer(UINT(mesh.vertices.size() * sizeof(Vertex)), D3DUSAGE_WRITEONLY,
                                   D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, D3DPOOL_MANAGED, &vb, nullptr);
        vb->Lock(0, 0, &data, 0);
        std::copy(mesh.vertices.begin(), mesh.vertices.end(), static_cast<Vertex*>(data));
        vb->Unlock();
        device->CreateIndexBuffer(UINT(mesh.indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                  &ib, nullptr);
        ib->Lock(0, 0, &data, 0);
        std::copy(mesh.indices.begin(), mesh.indices.end(), static_cast<WORD*>(data));
        ib->Unlock();
        device->CreateTexture(64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch)[x] =
                    ((x ^ y) & 8) ? 0xffc08040 : 0xff4080c0;
        texture->UnlockRect(0);
        D3DMATERIAL9 material = {{0.8f, 0.8f, 0.8f, 1}, {0.2f, 0.2f, 0.2f, 1}, {}, {}, 0};
        device->SetMaterial(&material);
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0.3f, -0.4f, 0.8f};
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0x00404040);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        D3DMATRIX identity = {};
        identity._11 = identity._22 = identity._33 = identity._44 = 1;
        const D3DMATRIX proj = projection();
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &proj);
        device->SetTexture(0, texture);
        device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
        device->SetStreamSource(0, vb, 0, sizeof(Vertex));
        device->SetIndices(ib);
        for (int i = 0; i < kDraws; ++i) worlds[i] = worldFor(i);
        return true;
    }

    void frame()
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.f, 0);
        device->BeginScene();
        for (int i = 0; i < kDraws; ++i) {
            device->SetTransform(D3DTS_WORLD, &worlds[i]);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, kGrid * kRows * 2);
        }
        device->EndScene();
        glFinish();
    }

    void destroy()
    {
        if (!device) return;
        device->SetTexture(0, nullptr);
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        texture->Release();
        ib->Release();
        vb->Release();
        device->Release();
        d3d->Release();
    }
};

// The same frame in plain GL: the shader is the lighting and texturing the
// frame needs and nothing more.
struct GlSide {
    GLuint program = 0, vao = 0, vbo = 0, ibo = 0, texture = 0, fbo = 0, color = 0, depth = 0;
    GLint worldView = -1, normal = -1, proj = -1;
    float worlds[kDraws][16];
    float normals[kDraws][9];
    GLsizei indexCount = 0;

    bool create(const Mesh& mesh)
    {
        const char* vs =
            "#version 330 core\n"
            "layout(location=0) in vec3 p; layout(location=1) in vec3 n; layout(location=5) in vec2 t;\n"
            "uniform mat4 wv, pr; uniform mat3 nm; out vec4 c; out vec2 uv;\n"
            "void main(){ vec4 cam = wv * vec4(p,1); gl_Position = pr * cam;\n"
            " float d = max(dot(normalize(nm*n), vec3(-0.3,0.4,-0.8)), 0.0);\n"
            " c = vec4(clamp(vec3(0.2*0.25) + vec3(0.8*d), 0.0, 1.0), 1.0); uv = t; }\n";
        const char* fs =
            "#version 330 core\nin vec4 c; in vec2 uv; uniform sampler2D s; out vec4 o;\n"
            "void main(){ o = texture(s, uv) * c; }\n";
        auto compile = [](GLenum type, const char* text) {
            GLuint s = glCreateShader(type);
            glShaderSource(s, 1, &text, nullptr);
            glCompileShader(s);
            return s;
        };
        program = glCreateProgram();
        glAttachShader(program, compile(GL_VERTEX_SHADER, vs));
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, fs));
        glLinkProgram(program);
        worldView = glGetUniformLocation(program, "wv");
        normal = glGetUniformLocation(program, "nm");
        proj = glGetUniformLocation(program, "pr");
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh.vertices.size() * sizeof(Vertex)), mesh.vertices.data(),
                     GL_STATIC_DRAW);
        glGenBuffers(1, &ibo);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh.indices.size() * 2), mesh.indices.data(),
                     GL_STATIC_DRAW);
        indexCount = GLsizei(mesh.indices.size());
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
        glVertexAttribPointer(5, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(24));
        for (GLuint a : {0u, 1u, 5u}) glEnableVertexAttribArray(a);
        std::vector<uint32_t> texels(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) texels[size_t(y) * 64 + x] = ((x ^ y) & 8) ? 0xffc08040 : 0xff4080c0;
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glGenTextures(1, &color);
        glBindTexture(GL_TEXTURE_2D, color);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, kTarget, kTarget, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kTarget, kTarget);
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
        for (int i = 0; i < kDraws; ++i) {
            const D3DMATRIX m = worldFor(i);
            std::copy(&m.m[0][0], &m.m[0][0] + 16, worlds[i]);
            const float n[9] = {m._11, m._12, m._13, m._21, m._22, m._23, m._31, m._32, m._33};
            std::copy(n, n + 9, normals[i]);
        }
        return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }

    void frame()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glViewport(0, 0, kTarget, kTarget);
        glUseProgram(program);
        glBindVertexArray(vao);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBindSampler(0, 0);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const D3DMATRIX p = projection();
        glUniformMatrix4fv(proj, 1, GL_FALSE, &p.m[0][0]);
        for (int i = 0; i < kDraws; ++i) {
            glUniformMatrix4fv(worldView, 1, GL_FALSE, worlds[i]);
            glUniformMatrix3fv(normal, 1, GL_FALSE, normals[i]);
            glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
        }
        glFinish();
    }
};

// One side's cost of a frame, measured over `frames` frames: the process's CPU
// time (every thread, Mesa's rasteriser threads among them), the calling
// thread's, and the wall clock.
struct Cost {
    double process = 0, thread = 0, wall = 0;
};

double clockSeconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <class Frame>
Cost measure(int frames, Frame frame)
{
    const double p0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID), t0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID),
                 w0 = clockSeconds(CLOCK_MONOTONIC);
    for (int i = 0; i < frames; ++i) frame();
    return {(clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0) / frames,
            (clockSeconds(CLOCK_THREAD_CPUTIME_ID) - t0) / frames, (clockSeconds(CLOCK_MONOTONIC) - w0) / frames};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int envInt(const char* name, int fallback, int least)
{
    const char* text = std::getenv(name);
    return std::max(least, text ? std::atoi(text) : fallback);
}

}  // namespace

// Rounds of ours and plain GL in turn (which goes first alternates too), so
// that load from elsewhere on the machine falls on both alike; the ratio is
// of the medians over the rounds. Q31_BENCH_ROUNDS (default 5, at least 3)
// and Q31_BENCH_FRAME_SECONDS (default 0.4: each side's share of a round).
int main()
{
    const pid_t xvfb = startXvfbIfNeeded();
    HWND window = createBenchWindow("bench", 200, 200);
    Mesh mesh;
    D3dSide ours;
    GlSide floorSide;
    int result = 1;
    // The device leaves its (the window's) context current: the floor shares it.
    if (window && ours.create(window, mesh) && floorSide.create(mesh)) {
        const auto oursFrame = [&] { ours.frame(); };
        const auto glFrame = [&] { floorSide.frame(); };
        oursFrame();
        glFrame();
        const long before = allocationCount();
        oursFrame();
        const long allocations = allocationCount() - before;
        const int rounds = envInt("Q31_BENCH_ROUNDS", 5, 3);
        const char* share = std::getenv("Q31_BENCH_FRAME_SECONDS");
        const double seconds = share ? std::atof(share) : 0.4;
        const int frames = std::max(3, int(seconds / std::max(measure(3, oursFrame).wall, 1e-6)));
        std::vector<double> costs[2][3];
        std::printf("Frame of %d draws, %d frames a side per round, CPU ms a frame (process / this thread), wall ms\n",
                    kDraws, frames);
        for (int r = 0; r < rounds; ++r) {
            for (int k = 0; k < 2; ++k) {
                const int side = (r + k) % 2;  // 0 ours, 1 gl
                const Cost c = side == 0 ? measure(frames, oursFrame) : measure(frames, glFrame);
                costs[side][0].push_back(c.process);
                costs[side][1].push_back(c.thread);
                costs[side][2].push_back(c.wall);
                std::printf("  round %d %-4s %8.2f %8.2f %8.2f\n", r + 1, side == 0 ? "ours" : "gl",
                            c.process * 1e3, c.thread * 1e3, c.wall * 1e3);
            }
        }
        const auto ratio = [&](int what) { return median(costs[0][what]) / median(costs[1][what]); };
        std::printf("Medians of %d rounds: ours %.2f ms CPU a frame (%.2f ms wall), gl %.2f ms CPU (%.2f ms wall)\n",
                    rounds, median(costs[0][0]) * 1e3, median(costs[0][2]) * 1e3, median(costs[1][0]) * 1e3,
                    median(costs[1][2]) * 1e3);
        std::printf("Frame100Draws CPU: ours/gl = %.2f (target <= 1.10; below 1 means ours costs less)\n", ratio(0));
        std::printf("Frame100Draws CPU of the drawing thread: ours/gl = %.2f; wall: ours/gl = %.2f\n", ratio(1),
                    ratio(2));
        std::printf("Allocations in a steady-state frame of ours: %ld\n", allocations);
        result = allocations == 0 ? 0 : 1;
    } else {
        std::fprintf(stderr, "bench_d3d9: no window or device (is an X display available?)\n");
    }
    ours.destroy();
    if (window) DestroyWindow(window);
    stopXvfb(xvfb);
    return result;
}
