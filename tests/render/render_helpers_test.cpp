#include "render/render_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/render/render_device.h"
#include "tests/render/test_icons.h"

namespace {

void expectColor(const D3DCOLORVALUE& c, float r, float g, float b, float a)
{
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

TEST(InitMaterial, SetsDiffuseAndAmbientAndClearsTheRest)
{
    D3DMATERIAL9 material;
    std::memset(&material, 0xCD, sizeof material);
    initMaterial(material, 1.0f, 0.0f, 0.0f, 1.0f);
    expectColor(material.Diffuse, 1, 0, 0, 1);
    expectColor(material.Ambient, 1, 0, 0, 1);
    expectColor(material.Specular, 0, 0, 0, 0);
    expectColor(material.Emissive, 0, 0, 0, 0);
    EXPECT_EQ(material.Power, 0.0f);
}

TEST(InitLight, NormalisesTheDirectionAndKeepsThePosition)
{
    D3DLIGHT9 light;
    std::memset(&light, 0xCD, sizeof light);
    initLight(light, D3DLIGHT_DIRECTIONAL, 0.0f, -1.0f, 0.3f);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_NEAR(light.Direction.x, 0.0f, 1e-6);
    EXPECT_NEAR(light.Direction.y, -0.957826f, 1e-6);
    EXPECT_NEAR(light.Direction.z, 0.287348f, 1e-6);
    const float length = std::sqrt(light.Direction.x * light.Direction.x + light.Direction.y * light.Direction.y +
                                   light.Direction.z * light.Direction.z);
    EXPECT_NEAR(length, 1.0f, 1e-6);
    EXPECT_EQ(light.Position.x, 0.0f);
    EXPECT_EQ(light.Position.y, -1.0f);
    EXPECT_EQ(light.Position.z, 0.3f);
    expectColor(light.Diffuse, 1, 1, 1, 0);
    expectColor(light.Specular, 0, 0, 0, 0);
    expectColor(light.Ambient, 0, 0, 0, 0);
    EXPECT_EQ(light.Range, 1000.0f);
    for (float zero : {light.Falloff, light.Attenuation0, light.Attenuation1, light.Attenuation2, light.Theta, light.Phi})
        EXPECT_EQ(zero, 0.0f);
}

TEST(InitLight, ZeroVectorGivesZeroDirection)
{
    D3DLIGHT9 light;
    initLight(light, D3DLIGHT_POINT, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(light.Direction.x, 0.0f);
    EXPECT_EQ(light.Direction.y, 0.0f);
    EXPECT_EQ(light.Direction.z, 0.0f);
    EXPECT_EQ(light.Type, D3DLIGHT_POINT);
}

using BuildColorCursor = RenderDevice;

TEST_F(BuildColorCursor, AcceptsColourAndMonochromeIcons)
{
    TestIcon colour = TestIcon::color([](int, int) { return false; });
    TestIcon mono = TestIcon::monochrome();
    ASSERT_NE(colour.icon, nullptr);
    ASSERT_NE(mono.icon, nullptr);
    EXPECT_EQ(buildColorCursor(device, colour.icon, false), S_OK);
    EXPECT_EQ(buildColorCursor(device, colour.icon, true), S_OK);
    EXPECT_EQ(buildColorCursor(device, mono.icon, true), S_OK);
    // The icon is still usable: the helper gave back only what it was handed.
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(colour.icon, &info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
}

TEST_F(BuildColorCursor, FailsForWhatIsNotAnIcon)
{
    EXPECT_EQ(buildColorCursor(device, nullptr, false), E_FAIL);
    TestIcon colour = TestIcon::color([](int, int) { return false; });
    HICON gone = colour.icon;
    ASSERT_TRUE(DestroyIcon(gone));
    colour.icon = nullptr;
    EXPECT_EQ(buildColorCursor(device, gone, true), E_FAIL);
    EXPECT_EQ(buildColorCursor(nullptr, TestIcon::monochrome().icon, false), E_FAIL);
}

}  // namespace
