// IDirect3D9's view of the machine: adapters, modes, caps and format checks.
#include "tests/platform/d3d9/d3d9_fixture.h"

#include <cstring>

namespace {

class D3d9Adapter : public ::testing::Test {
protected:
    void SetUp() override
    {
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
    }
    void TearDown() override
    {
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
    }
    IDirect3D9* d3d = nullptr;
};

TEST_F(D3d9Adapter, ReportsAnIdentifiedAdapterWithAscendingModes)
{
    ASSERT_GE(d3d->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER9 id;
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_GT(std::strlen(id.Description), 0u);

    const UINT count = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    ASSERT_GE(count, 1u);
    D3DDISPLAYMODE previous = {};
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode;
        ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode), D3D_OK);
        EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
        EXPECT_GT(mode.Width, 0u);
        EXPECT_TRUE(mode.Width > previous.Width || (mode.Width == previous.Width && mode.Height >= previous.Height));
        previous = mode;
    }
    D3DDISPLAYMODE mode;
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, count, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
}

TEST_F(D3d9Adapter, RejectsBadAdaptersAndNullOutputs)
{
    const UINT bad = d3d->GetAdapterCount();
    D3DADAPTER_IDENTIFIER9 id;
    D3DCAPS9 caps;
    EXPECT_EQ(d3d->GetAdapterIdentifier(bad, 0, &id), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetDeviceCaps(bad, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterModeCount(bad, D3DFMT_X8R8G8B8), 0u);
}

TEST_F(D3d9Adapter, HalCapsDescribeAHardwareTransformDevice)
{
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_TRUE(caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE);
    EXPECT_TRUE(caps.PresentationIntervals & D3DPRESENT_INTERVAL_ONE);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GE(caps.MaxTextureHeight, 2048u);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_CULLCCW);
    EXPECT_TRUE(caps.RasterCaps & D3DPRASTERCAPS_ZTEST);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_TRUE(caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA);
    EXPECT_TRUE(caps.DestBlendCaps & D3DPBLENDCAPS_INVSRCALPHA);
    EXPECT_TRUE(caps.AlphaCmpCaps & D3DPCMPCAPS_GREATEREQUAL);
    EXPECT_GE(caps.MaxActiveLights, 8u);
    EXPECT_GE(caps.MaxSimultaneousTextures, 2u);
}

TEST_F(D3d9Adapter, ChecksFormatsAgainstWhatTheDeviceCanDo)
{
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_D24S8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_D16),
              D3D_OK);
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5})
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, format), D3D_OK)
            << format;
    // A depth format is no texture colour format, and the reverse.
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                     D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24S8), D3D_OK);
    DWORD levels = 0;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONE, &levels),
              D3D_OK);
    EXPECT_EQ(levels, 1u);
}

}  // namespace
