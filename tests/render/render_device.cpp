#include "tests/render/render_device.h"

#include "tests/platform/d3d9/test_window.h"
#include "tests/support/png_writer.h"
#include "tests/support/presentation.h"

#include <algorithm>
#include <cstring>

int Frame::count(const std::function<bool(uint32_t)>& keep, RECT* box) const
{
    int found = 0;
    RECT bounds = {width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!keep(at(x, y))) continue;
            ++found;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    if (box) *box = found ? bounds : RECT{0, 0, 0, 0};
    return found;
}

void RenderDevice::SetUp()
{
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    window = createTestWindow(width, height);
    ASSERT_NE(window, nullptr);
    presentation = q31test::windowedPresentation(window, UINT(width), UINT(height));
    D3DPRESENT_PARAMETERS parameters = presentation;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &parameters, &device),
              D3D_OK);
}

void RenderDevice::TearDown()
{
    if (device) {
        EXPECT_EQ(device->Release(), 0u) << "a device child was left alive";
    }
    device = nullptr;
    destroyTestWindow(window);
    if (d3d) d3d->Release();
}

Frame RenderDevice::drawFrame(D3DCOLOR color, const std::function<void()>& draw)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    draw();
    EXPECT_EQ(device->EndScene(), D3D_OK);
    return readBack();
}

Frame RenderDevice::readBack()
{
    Frame frame;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(UINT(width), UINT(height), D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            frame.width = width;
            frame.height = height;
            frame.pixels.resize(size_t(width) * size_t(height));
            for (int y = 0; y < height; ++y)
                std::memcpy(&frame.pixels[size_t(y) * size_t(width)],
                            static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch, size_t(width) * 4);
            copy->UnlockRect();
        }
    }
    if (copy) copy->Release();
    if (backBuffer) backBuffer->Release();
    EXPECT_FALSE(frame.pixels.empty()) << "the back buffer could not be read";
    return frame;
}

void RenderDevice::saveFrame(const Frame& frame, const std::string& name)
{
    if (frame.pixels.empty()) return;
    EXPECT_TRUE(q31test::writePng(std::string(Q31_TEST_OUTPUT_DIR) + "/" + name + ".png", frame.pixels, frame.width,
                                  frame.height));
}
