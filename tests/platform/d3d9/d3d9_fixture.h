// Fixtures for the Direct3D 9 tests: a window, a device on it, and reading
// the back buffer back through the published calls (GetRenderTargetData into
// a system-memory surface), so the same tests run against Windows' runtime.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int kTestSize = 64;

struct Rgb {
    int r, g, b;
};

// 0xAARRGGBB read back from a surface.
inline Rgb rgbOf(uint32_t pixel) { return {int((pixel >> 16) & 0xff), int((pixel >> 8) & 0xff), int(pixel & 0xff)}; }

// Each channel within `tolerance` of the expected 0..255 value.
::testing::AssertionResult colorNear(uint32_t pixel, Rgb expected, int tolerance);

class D3d9Device : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Windowed X8R8G8B8 kTestSize square, D24S8, no vsync.
    D3DPRESENT_PARAMETERS windowedParameters() const;
    HRESULT createDevice(D3DDEVTYPE type, D3DPRESENT_PARAMETERS parameters);
    // The back buffer (of the size given) as 0xAARRGGBB rows, top first; empty on failure.
    std::vector<uint32_t> readBack(int width = kTestSize, int height = kTestSize);
    uint32_t pixelAt(const std::vector<uint32_t>& frame, int x, int y) const { return frame[size_t(y) * kTestSize + x]; }
    // Saves the frame under the test's output folder as `name`.png.
    void saveFrame(const std::vector<uint32_t>& frame, const std::string& name);
    // Draws screen-space vertices inside BeginScene/EndScene.
    void drawRhw(D3DPRIMITIVETYPE type, UINT primitives, const void* vertices, UINT stride, DWORD fvf);

    IDirect3D9* d3d = nullptr;
    HWND window = nullptr;
    IDirect3DDevice9* device = nullptr;
};

struct RhwColorVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};
struct RhwTexVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kRhwColorFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr DWORD kRhwTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
