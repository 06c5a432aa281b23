// Fixture for the texture tests: a window and a HAL device, image files
// written into the working folder and loaded back, and texels read through
// LockRect, all through the published calls so the tests also run under Wine.
#pragma once

#include "assets/d3dx_texture.h"

#include "tests/assets/image_test_files.h"
#include "tests/platform/d3d9/test_window.h"

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

class TextureFromFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        window = createTestWindow(64, 64);
        ASSERT_NE(window, nullptr);
        D3DPRESENT_PARAMETERS pp = {};
        pp.BackBufferWidth = 64;
        pp.BackBufferHeight = 64;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.hDeviceWindow = window;
        pp.Windowed = TRUE;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &pp, &device),
                  D3D_OK);
        ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    }
    void TearDown() override
    {
        if (texture) {
            EXPECT_EQ(texture->Release(), 0u);
        }
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
        destroyTestWindow(window);
        if (d3d) d3d->Release();
    }

    // Writes the file into the working folder and loads it through a name
    // with a backslash and different letter case, as the program's names are.
    HRESULT load(const std::string& name, const imagetest::Bytes& file)
    {
        EXPECT_TRUE(imagetest::writeFile("q31tex_" + name, file));
        std::string upper = "Q31TEX_" + name;
        for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
        texture = reinterpret_cast<IDirect3DTexture9*>(uintptr_t(0x20));
        return D3DXCreateTextureFromFileA(device, (".\\" + upper).c_str(), &texture);
    }

    D3DSURFACE_DESC levelDesc(UINT level)
    {
        D3DSURFACE_DESC desc = {};
        EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        return desc;
    }
    // Texels of one level as 0xAARRGGBB, rows top first.
    std::vector<uint32_t> texels(UINT level)
    {
        const D3DSURFACE_DESC desc = levelDesc(level);
        std::vector<uint32_t> out(size_t(desc.Width) * desc.Height);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                out[size_t(y) * desc.Width + x] =
                    reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(locked.pBits) +
                                                      size_t(y) * locked.Pitch)[x];
        texture->UnlockRect(level);
        return out;
    }

    IDirect3D9* d3d = nullptr;
    HWND window = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DCAPS9 caps = {};
    IDirect3DTexture9* texture = nullptr;
};

