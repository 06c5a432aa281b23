#include "tests/platform/d3d9/d3d9_fixture.h"

#include "tests/platform/d3d9/test_window.h"
#include "tests/support/png_writer.h"
#include "tests/support/presentation.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

::testing::AssertionResult colorNear(uint32_t pixel, Rgb expected, int tolerance)
{
    const Rgb got = rgbOf(pixel);
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << ", " << got.g << ", " << got.b << "), expected ("
                                         << expected.r << ", " << expected.g << ", " << expected.b << ") within "
                                         << tolerance;
}



void D3d9Device::SetUp()
{
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    window = createTestWindow(kTestSize, kTestSize);
    ASSERT_NE(window, nullptr);
}

void D3d9Device::TearDown()
{
    if (device) {
        EXPECT_EQ(device->Release(), 0u) << "the test leaked a device child";
    }
    device = nullptr;
    destroyTestWindow(window);
    if (d3d) d3d->Release();
}

D3DPRESENT_PARAMETERS D3d9Device::windowedParameters() const
{
    return q31test::windowedPresentation(window, kTestSize, kTestSize);
}

HRESULT D3d9Device::createDevice(D3DDEVTYPE type, D3DPRESENT_PARAMETERS parameters)
{
    return d3d->CreateDevice(D3DADAPTER_DEFAULT, type, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                             &device);
}

std::vector<uint32_t> D3d9Device::readBack(int width, int height)
{
    std::vector<uint32_t> frame;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(UINT(width), UINT(height), D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            frame.resize(size_t(width) * size_t(height));
            for (int y = 0; y < height; ++y)
                std::memcpy(&frame[size_t(y) * size_t(width)],
                            static_cast<const char*>(locked.pBits) + y * locked.Pitch, size_t(width) * 4);
            copy->UnlockRect();
        }
    }
    if (copy) copy->Release();
    if (backBuffer) backBuffer->Release();
    return frame;
}

void D3d9Device::saveFrame(const std::vector<uint32_t>& frame, const std::string& name)
{
    if (frame.empty()) return;
    q31test::writePng("d3d9_" + name + ".png", frame, kTestSize, kTestSize);
}

void D3d9Device::drawRhw(D3DPRIMITIVETYPE type, UINT primitives, const void* vertices, UINT stride, DWORD fvf)
{
    ASSERT_EQ(device->SetFVF(fvf), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(type, primitives, vertices, stride), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
}
