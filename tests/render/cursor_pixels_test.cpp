// The cursor image buildColorCursor hands the device, seen through the
// recording device (Linux only).
#include "render/render_helpers.h"

#include <gtest/gtest.h>

#include "tests/render/recording_device.h"
#include "tests/render/render_device.h"
#include "tests/render/test_icons.h"

namespace {

class CursorPixels : public RenderDevice {
protected:
    void SetUp() override
    {
        RenderDevice::SetUp();
        recording = new RecordingDevice(device);
    }
    void TearDown() override
    {
        delete recording;
        RenderDevice::TearDown();
    }
    DWORD pixel(int x, int y) const { return recording->cursorPixels[size_t(y) * recording->cursorWidth + size_t(x)]; }

    RecordingDevice* recording = nullptr;
};

bool markBit(int x, int y) { return x < 12 && y < 5 && ((cursorMark[y] >> (15 - x)) & 1); }

TEST_F(CursorPixels, ColourIconIsOpaqueWhereTheMaskIsClearAndEmptyWhereSet)
{
    TestIcon icon = TestIcon::color([](int x, int y) { return x >= 24 && y >= 20; });
    ASSERT_EQ(buildColorCursor(recording, icon.icon, false), S_OK);
    ASSERT_EQ(recording->cursorWidth, 32u);
    ASSERT_EQ(recording->cursorHeight, 32u);
    EXPECT_EQ(recording->cursorHotX, 5u);
    EXPECT_EQ(recording->cursorHotY, 7u);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const DWORD expected = (x >= 24 && y >= 20) ? 0u : (testIconColor(x, y) | 0xFF000000);
            ASSERT_EQ(pixel(x, y), expected) << x << ", " << y;
        }
}

TEST_F(CursorPixels, MonochromeMaskOfDoubleHeightGivesAHalfHeightCursor)
{
    TestIcon icon = TestIcon::monochrome();
    ASSERT_EQ(buildColorCursor(recording, icon.icon, false), S_OK);
    ASSERT_EQ(recording->cursorWidth, 32u);
    ASSERT_EQ(recording->cursorHeight, 32u);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const DWORD expected = x >= 16 ? 0u : y % 2 == 1 ? 0xFFFFFFFF : 0xFF000000;
            ASSERT_EQ(pixel(x, y), expected) << x << ", " << y;
        }
}

TEST_F(CursorPixels, MarkLightensOnlyItsOwnBitsInTheTopLeftCorner)
{
    // (2, 1) is transparent and under a mark bit: the mark makes it opaque grey.
    TestIcon icon = TestIcon::color([](int x, int y) { return x == 2 && y == 1; });
    ASSERT_EQ(buildColorCursor(recording, icon.icon, false), S_OK);
    const std::vector<DWORD> plain = recording->cursorPixels;
    ASSERT_EQ(buildColorCursor(recording, icon.icon, true), S_OK);
    EXPECT_EQ(pixel(0, 0), plain[0] | 0xFF808080);
    EXPECT_EQ(pixel(2, 0), plain[2]) << "bit 13 of the first row is clear";
    EXPECT_EQ(pixel(2, 1), 0xFF808080u);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const DWORD before = plain[size_t(y) * 32 + size_t(x)];
            ASSERT_EQ(pixel(x, y), markBit(x, y) ? (before | 0xFF808080) : before) << x << ", " << y;
        }
}

TEST_F(CursorPixels, DeviceFailuresAreReturnedAndLeaveTheCursorAlone)
{
    TestIcon icon = TestIcon::monochrome();
    recording->failNext("CreateOffscreenPlainSurface", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(buildColorCursor(recording, icon.icon, false), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_TRUE(recording->callsStartingWith("SetCursorProperties").empty());

    recording->failNext("SetCursorProperties", D3DERR_INVALIDCALL);
    EXPECT_EQ(buildColorCursor(recording, icon.icon, false), D3DERR_INVALIDCALL);
    // The scratch surface went back in both cases: the device's own count shows it at tear-down.
    const auto surfaces = recording->callsStartingWith("CreateOffscreenPlainSurface");
    ASSERT_EQ(surfaces.size(), 2u);
    EXPECT_EQ(surfaces[1], "CreateOffscreenPlainSurface 32 32 21 3") << "32 x 32, A8R8G8B8, scratch pool";
}

}  // namespace
