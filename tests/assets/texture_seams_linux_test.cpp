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

}  // namespace
