// Object lifetimes as Direct3D 9 has them: reference counts, pools around
// Reset, state blocks, and the result codes of misuse.
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <cstring>

namespace {

class D3d9Lifetime : public D3d9Device {
protected:
    void SetUp() override
    {
        D3d9Device::SetUp();
        ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    }
};

TEST_F(D3d9Lifetime, ReleaseReturnsTheRemainingCount)
{
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);

    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    EXPECT_EQ(vb->AddRef(), 2u);
    EXPECT_EQ(vb->Release(), 1u);
    EXPECT_EQ(vb->Release(), 0u);

    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    // A level shares its texture's count.
    EXPECT_EQ(level->Release(), 1u);
    EXPECT_EQ(texture->Release(), 0u);

    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(backBuffer->Release(), 0u);

    IDirect3D9* parent = nullptr;
    ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
    EXPECT_EQ(parent, d3d);
    parent->Release();
}

TEST_F(D3d9Lifetime, QueryInterfaceKnowsOnlyRealInterfaces)
{
    IUnknown* unknown = nullptr;
    ASSERT_EQ(device->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
    const GUID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(device->QueryInterface(other, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(D3d9Lifetime, ResetIsRefusedWhileADefaultPoolBufferLives)
{
    IDirect3DVertexBuffer9* managed = nullptr;
    IDirect3DVertexBuffer9* deflt = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateVertexBuffer(16, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &deflt, nullptr), D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(managed->Lock(0, 0, &data, 0), D3D_OK);
    static_cast<unsigned char*>(data)[5] = 0xab;
    ASSERT_EQ(managed->Unlock(), D3D_OK);

    D3DPRESENT_PARAMETERS pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(deflt->Release(), 0u);
    pp = windowedParameters();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

    // Managed resources survive Reset with their contents.
    ASSERT_EQ(managed->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<unsigned char*>(data)[5], 0xab);
    ASSERT_EQ(managed->Unlock(), D3D_OK);
    managed->Release();
}

TEST_F(D3d9Lifetime, ResetRestoresDefaultStates)
{
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowedParameters();
    pp.EnableAutoDepthStencil = FALSE;
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    DWORD value = 0;
    ASSERT_EQ(device->GetRenderState(D3DRS_LIGHTING, &value), D3D_OK);
    EXPECT_EQ(value, DWORD(TRUE));
    // ZENABLE's default follows EnableAutoDepthStencil.
    ASSERT_EQ(device->GetRenderState(D3DRS_ZENABLE, &value), D3D_OK);
    EXPECT_EQ(value, DWORD(D3DZB_FALSE));
}

TEST_F(D3d9Lifetime, StateBlockRestoresExactlyTheStatesItRecorded)
{
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 3), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD), D3D_OK);

    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 100), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2), D3D_OK);
    ASSERT_EQ(device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);

    // Recording does not change the device.
    DWORD value = 0;
    device->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 3u);
    device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_ADD));

    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    ASSERT_EQ(block->Apply(), D3D_OK);
    device->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 100u);
    device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD(D3DTOP_SELECTARG2));
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));
    // Not recorded: untouched.
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CW));

    // Capture refreshes only the recorded states.
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 50), D3D_OK);
    ASSERT_EQ(block->Capture(), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 1), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    ASSERT_EQ(block->Apply(), D3D_OK);
    device->GetRenderState(D3DRS_ALPHAREF, &value);
    EXPECT_EQ(value, 50u);
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CCW));
    EXPECT_EQ(block->Release(), 0u);
}

TEST_F(D3d9Lifetime, StateBlocksRecordTransformsLightsAndTextures)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DMATRIX world = {};
    world._11 = world._22 = world._33 = world._44 = 2.f;
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Range = 10.f;
    light.Attenuation0 = 1.f;
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
    ASSERT_EQ(device->SetLight(2, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(2, TRUE), D3D_OK);
    ASSERT_EQ(device->SetTexture(1, texture), D3D_OK);
    IDirect3DStateBlock9* block = nullptr;
    ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);
    D3DMATRIX got;
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &got), D3D_OK);
    EXPECT_EQ(got._11, 1.f);
    D3DLIGHT9 gotLight;
    EXPECT_EQ(device->GetLight(2, &gotLight), D3DERR_INVALIDCALL);

    ASSERT_EQ(block->Apply(), D3D_OK);
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &got), D3D_OK);
    EXPECT_EQ(got._11, 2.f);
    ASSERT_EQ(device->GetLight(2, &gotLight), D3D_OK);
    EXPECT_EQ(gotLight.Type, D3DLIGHT_POINT);
    BOOL enabled = FALSE;
    ASSERT_EQ(device->GetLightEnable(2, &enabled), D3D_OK);
    EXPECT_NE(enabled, FALSE);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device->GetTexture(1, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    if (bound) bound->Release();
    ASSERT_EQ(device->SetTexture(1, nullptr), D3D_OK);
    block->Release();
    texture->Release();
}

TEST_F(D3d9Lifetime, MisuseGetsInvalidCall)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_TRUE(FAILED(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vb, nullptr)));

    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(5, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    texture->Release();

    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(D3d9Lifetime, PresentShowsTheFrameAndDynamicBuffersDiscard)
{
    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(RhwColorVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                         kRhwColorFvf, D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    for (int frame = 0; frame < 3; ++frame) {
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        const D3DCOLOR color = D3DCOLOR_XRGB(frame * 100, 50, 0);
        const RhwColorVertex v[3] = {{0, 0, 0.5f, 1, color}, {128, 0, 0.5f, 1, color}, {0, 128, 0.5f, 1, color}};
        std::memcpy(data, v, sizeof v);
        ASSERT_EQ(vb->Unlock(), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0), D3D_OK);
        ASSERT_EQ(device->SetFVF(kRhwColorFvf), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, vb, 0, sizeof(RhwColorVertex)), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        EXPECT_TRUE(colorNear(pixelAt(readBack(), 10, 10), {frame * 100, 50, 0}, 0)) << frame;
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    ASSERT_EQ(device->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
    vb->Release();
}

// A settings change releases the device and makes another on the same window;
// what the first left behind must not fail the second's first resources.
TEST_F(D3d9Lifetime, ADeviceMadeAfterOneThatDrewCreatesItsResources)
{
    const RhwColorVertex v[3] = {{0, 0, 0.5f, 1, 0xffff0000}, {64, 0, 0.5f, 1, 0xffff0000}, {0, 64, 0.5f, 1, 0xffff0000}};
    drawRhw(D3DPT_TRIANGLELIST, 1, v, sizeof(RhwColorVertex), kRhwColorFvf);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(device->Release(), 0u);
    device = nullptr;
    ASSERT_EQ(createDevice(D3DDEVTYPE_HAL, windowedParameters()), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(256, 256, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    if (texture) texture->Release();
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(9600, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &vb, nullptr),
              D3D_OK);
    if (vb) vb->Release();
}

TEST_F(D3d9Lifetime, FullScreenThroughResetAndBack)
{
    D3DDISPLAYMODE desktop;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    D3DPRESENT_PARAMETERS pp = windowedParameters();
    pp.Windowed = FALSE;
    pp.BackBufferWidth = desktop.Width;
    pp.BackBufferHeight = desktop.Height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.FullScreen_RefreshRateInHz = desktop.RefreshRate;
    const HRESULT hr = device->Reset(&pp);
    if (hr == D3DERR_DEVICELOST) GTEST_SKIP() << "the X server cannot switch this window to full screen";
    ASSERT_EQ(hr, D3D_OK);
    D3DSURFACE_DESC desc;
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    backBuffer->GetDesc(&desc);
    backBuffer->Release();
    EXPECT_EQ(desc.Width, desktop.Width);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1.f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    pp = windowedParameters();
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(1, 2, 3), 1.f, 0), D3D_OK);
    EXPECT_TRUE(colorNear(pixelAt(readBack(), 5, 5), {1, 2, 3}, 0));
}

}  // namespace
