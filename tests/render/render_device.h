// Fixture for the render resource tests: a window and a HAL device with a
// back buffer of the game's size (500 x 375 unless a test asks otherwise),
// frames read back through the published calls so the same tests run
// against Windows' runtime under Wine, and screenshots saved as PNG files.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A frame read back: 0xAARRGGBB pixels, rows top first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Pixels for which `keep` holds, and their bounding box [left, right) x [top, bottom).
    int count(const std::function<bool(uint32_t)>& keep, RECT* box = nullptr) const;
};

inline int redOf(uint32_t p) { return int((p >> 16) & 0xFF); }
inline int greenOf(uint32_t p) { return int((p >> 8) & 0xFF); }
inline int blueOf(uint32_t p) { return int(p & 0xFF); }
inline bool isBlack(uint32_t p) { return (p & 0x00FFFFFF) == 0; }

class RenderDevice : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Clears the back buffer to `color` (and depth to 1), runs `draw` between
    // BeginScene and EndScene, and reads the frame back.
    Frame drawFrame(D3DCOLOR color, const std::function<void()>& draw);
    Frame readBack();
    // Saves the frame as `name`.png in this test folder's output directory.
    void saveFrame(const Frame& frame, const std::string& name);

    int width = 500;
    int height = 375;
    IDirect3D9* d3d = nullptr;
    HWND window = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS presentation = {};
};
