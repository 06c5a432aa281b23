#include "tests/platform/d3d9/d3d9_fixture.h"

#include "tests/platform/d3d9/test_window.h"

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

namespace {

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(v >> shift));
}

void chunk(std::vector<unsigned char>& file, const char* type, const std::vector<unsigned char>& data)
{
    put32(file, uint32_t(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    put32(file, crc32(body.data(), body.size()));
}

}  // namespace

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height)
{
    // Stored (uncompressed) deflate blocks: no zlib needed on either target.
    std::vector<unsigned char> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * width + x];
            raw.push_back((unsigned char)(p >> 16));
            raw.push_back((unsigned char)(p >> 8));
            raw.push_back((unsigned char)p);
        }
    }
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back((unsigned char)(n & 0xff));
        z.push_back((unsigned char)(n >> 8));
        z.push_back((unsigned char)(~n & 0xff));
        z.push_back((unsigned char)((~n >> 8) & 0xff));
        z.insert(z.end(), raw.begin() + ptrdiff_t(at), raw.begin() + ptrdiff_t(at + n));
        if (n == 0) break;
    }
    put32(z, (b << 16) | a);
    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> header;
    put32(header, uint32_t(width));
    put32(header, uint32_t(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    std::fclose(f);
    return ok;
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
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = kTestSize;
    pp.BackBufferHeight = kTestSize;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

HRESULT D3d9Device::createDevice(D3DDEVTYPE type, D3DPRESENT_PARAMETERS parameters)
{
    return d3d->CreateDevice(D3DADAPTER_DEFAULT, type, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                             &device);
}

std::vector<uint32_t> D3d9Device::readBack()
{
    std::vector<uint32_t> frame;
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(kTestSize, kTestSize, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                      nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked;
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            frame.resize(size_t(kTestSize) * kTestSize);
            for (int y = 0; y < kTestSize; ++y)
                std::memcpy(&frame[size_t(y) * kTestSize], static_cast<const char*>(locked.pBits) + y * locked.Pitch,
                            kTestSize * 4);
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
    writePng("d3d9_" + name + ".png", frame, kTestSize, kTestSize);
}

void D3d9Device::drawRhw(D3DPRIMITIVETYPE type, UINT primitives, const void* vertices, UINT stride, DWORD fvf)
{
    ASSERT_EQ(device->SetFVF(fvf), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(type, primitives, vertices, stride), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
}
