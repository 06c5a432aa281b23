// Linux only: the layer's injected failures reach the caller unchanged.
#include "platform/d3d9/automation.h"
#include "tests/assets/texture_device.h"

namespace {

TEST_F(TextureFromFile, TheDevicesFailureToMakeTheTextureIsPassedOn)
{
    d3d9gl::automation::injectFailure(d3d9gl::automation::Call::CreateTexture, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(load("seam.png", q31test::encodePng(1, 1, 8, 2, {0, 1, 2, 3})), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureFromFile, ALevelThatCannotBeFilledFailsAndReleasesTheTexture)
{
    // A texture left behind would keep the device alive past TearDown's release.
    d3d9gl::automation::injectFailure(d3d9gl::automation::Call::LockTexture, E_OUTOFMEMORY);
    EXPECT_EQ(load("unfilled.png", q31test::encodePng(4, 4, 8, 2, std::vector<unsigned char>(4 * 13, 0))), E_OUTOFMEMORY);
    EXPECT_EQ(texture, nullptr);
}

}  // namespace
