#include "framework/frame_stats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/framework/fake_clock.h"

namespace {

using frameworktest::FakeClock;

// A frame drawn at `seconds` on the fake clock, as updateFrameStats sees it.
float frameAt(FakeClock& clock, double seconds)
{
    clock.setSeconds(seconds);
    return static_cast<float>(frameTimer(AbsoluteTime));
}

FrameStatsFacts windowed500x375()
{
    return FrameStatsFacts{0.0f, 500, 375, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, true, D3DFMT_D24S8,
                           D3DMULTISAMPLE_NONE};
}

std::string statsFor(const FrameStatsFacts& facts)
{
    char text[StatsTextCapacity];
    std::memset(text, '#', sizeof text);
    formatFrameStats(text, facts);
    return text;
}

TEST(FrameRate, FirstFrameMeasuresOverTheWholeTimeSinceTheClockOrigin)
{
    FakeClock clock;
    FrameRateMeter meter;
    float fps = -1.0f;
    EXPECT_TRUE(countFrame(&meter, frameAt(clock, 4.0), &fps));
    EXPECT_FLOAT_EQ(fps, 0.25f);
    EXPECT_EQ(meter.frameCount, 0);
    EXPECT_FLOAT_EQ(meter.lastUpdateTime, 4.0f);
}

TEST(FrameRate, ExactlyOneSecondWaitsForTheNextFrame)
{
    FakeClock clock;
    FrameRateMeter meter;
    float fps = -1.0f;
    countFrame(&meter, frameAt(clock, 4.0), &fps);
    fps = -1.0f;
    EXPECT_FALSE(countFrame(&meter, frameAt(clock, 5.0), &fps));
    EXPECT_EQ(fps, -1.0f) << "untouched between updates";
    EXPECT_TRUE(countFrame(&meter, frameAt(clock, 5.25), &fps));
    EXPECT_FLOAT_EQ(fps, 2.0f / 1.25f);
}

TEST(FrameStatsText, SixtyFramesInAWindowWithDepthBuffer)
{
    FakeClock clock;
    FrameRateMeter meter;
    FrameStatsFacts facts = windowed500x375();
    countFrame(&meter, frameAt(clock, 2.0), &facts.fps);
    for (int frame = 1; frame < 60; ++frame)
        EXPECT_FALSE(countFrame(&meter, frameAt(clock, 2.0 + frame / 60.0), &facts.fps)) << frame;
    // The sixtieth frame lands just past the second.
    ASSERT_TRUE(countFrame(&meter, frameAt(clock, 3.00001), &facts.fps));
    EXPECT_EQ(statsFor(facts), "60.00 fps (500x375), X8R8G8B8 (D24S8)");
}

TEST(FrameStatsText, FormatDepthAndMultisampleParts)
{
    FrameStatsFacts facts = windowed500x375();
    facts.fps = 59.996f;
    facts.backBufferFormat = D3DFMT_A8R8G8B8;
    facts.useDepthBuffer = false;
    EXPECT_EQ(statsFor(facts), "60.00 fps (500x375), backbuf A8R8G8B8, adapter X8R8G8B8");

    facts = windowed500x375();
    facts.fps = 7.5f;
    const struct {
        int type;
        const char* suffix;
    } samples[] = {{0, ""},
                   {1, " (Nonmaskable Multisample)"},
                   {2, " (2x Multisample)"},
                   {16, " (16x Multisample)"},
                   {17, ""},
                   {32, ""}};
    for (const auto& s : samples) {
        facts.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(s.type);
        EXPECT_EQ(statsFor(facts), std::string("7.50 fps (500x375), X8R8G8B8 (D24S8)") + s.suffix) << s.type;
    }
}

TEST(FrameStatsText, LongTextIsCutAt89Characters)
{
    FrameStatsFacts facts = windowed500x375();
    facts.fps = 1e30f;
    facts.backBufferWidth = 4000000000u;  // shown as the signed number it becomes
    facts.backBufferFormat = D3DFMT_A16B16G16R16F;
    facts.displayModeFormat = D3DFMT_A2R10G10B10;
    facts.depthStencilFormat = D3DFMT_D15S1;
    facts.multisampleType = D3DMULTISAMPLE_NONMASKABLE;
    const std::string text = statsFor(facts);
    EXPECT_EQ(text.size(), 89u);
    EXPECT_EQ(text, "1000000015047466219876688855040.00 fps (-294967296x375), backbuf A16B16G16R16F, adapter A");
}

std::string deviceText(D3DDEVTYPE type, DWORD flags, const char* description)
{
    char text[StatsTextCapacity];
    std::memset(text, '#', sizeof text);
    describeDevice(text, type, flags, description);
    return text;
}

TEST(DeviceStatsText, VertexProcessingKindsInTheirOrder)
{
    const DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    const DWORD pure = D3DCREATE_PUREDEVICE;
    const DWORD mixed = D3DCREATE_MIXED_VERTEXPROCESSING;
    const DWORD sw = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    const struct {
        DWORD flags;
        const char* hal;
        const char* ref;
    } cases[] = {
        {hw | pure, "HAL (pure hw vp): Adapter", "REF (simulated pure hw vp)"},
        {hw, "HAL (hw vp): Adapter", "REF (simulated hw vp)"},
        {hw | mixed | sw, "HAL (hw vp): Adapter", "REF (simulated hw vp)"},
        {mixed | sw, "HAL (mixed vp): Adapter", "REF (simulated mixed vp)"},
        {sw, "HAL (sw vp): Adapter", "REF (sw vp)"},
        {pure, "HAL: Adapter", "REF"},
        {0, "HAL: Adapter", "REF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(deviceText(D3DDEVTYPE_HAL, c.flags | D3DCREATE_FPU_PRESERVE, "Adapter"), c.hal) << c.flags;
        EXPECT_EQ(deviceText(D3DDEVTYPE_REF, c.flags, "Adapter"), c.ref) << c.flags;
    }
    EXPECT_EQ(deviceText(D3DDEVTYPE_SW, sw, "Adapter"), "SW (sw vp)");
}

TEST(DeviceStatsText, AdapterDescriptionStopsAt89Characters)
{
    const std::string prefix = "HAL (hw vp): ";  // 13 characters
    const std::string fits(89 - prefix.size(), 'd');
    EXPECT_EQ(deviceText(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, fits.c_str()), prefix + fits);
    const std::string longer = fits + "e";
    EXPECT_EQ(deviceText(D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING, longer.c_str()), prefix + fits);

    // The identifier's array filled to the last byte, with no terminator.
    D3DADAPTER_IDENTIFIER9 identifier;
    std::memset(&identifier, 0, sizeof identifier);
    std::memset(identifier.Description, 'n', sizeof identifier.Description);
    std::memset(identifier.DeviceName, 'z', sizeof identifier.DeviceName);
    const std::string text = deviceText(D3DDEVTYPE_HAL, D3DCREATE_PUREDEVICE, identifier.Description);
    EXPECT_EQ(text, "HAL: " + std::string(84, 'n'));
}

bool highBytesLead(unsigned char byte)
{
    return byte >= 0x80;
}

TEST(DeviceStatsText, DoubleByteCharactersAreNeverSplit)
{
    char text[StatsTextCapacity];
    const std::string start(87, 'a');

    std::strcpy(text, start.c_str());
    appendWholeCharacters(text, 89, "\x81\x41", highBytesLead);
    EXPECT_EQ(std::string(text), start + "\x81\x41") << "a pair that just fits";

    std::strcpy(text, (start + "b").c_str());
    appendWholeCharacters(text, 89, "\x81\x41" "c", highBytesLead);
    EXPECT_EQ(std::string(text), start + "b") << "neither half, nor what follows";

    std::strcpy(text, "x");
    appendWholeCharacters(text, 89, "c\x81\x41\x82", highBytesLead);
    EXPECT_EQ(std::string(text), "xc\x81\x41") << "a lead byte with no second byte is dropped";
}

}  // namespace
