#include "display/setting_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

D3DFORMAT fmt(DWORD value)
{
    return static_cast<D3DFORMAT>(value);
}

}  // namespace

TEST(FormatName, KnowsExactlyTheFiftySixFormatsByValue)
{
    // Every value the names can take: the plain range and the four-character codes.
    std::set<std::string> seen;
    int known = 0;
    auto probe = [&](DWORD value) {
        const char* name = formatName(fmt(value), true);
        if (std::string(name) == "Unknown format") return;
        ++known;
        EXPECT_TRUE(seen.insert(name).second) << name << " named twice";
    };
    for (DWORD v = 0; v < 256; ++v) probe(v);
    const char* codes[] = {"MET1", "DXT1", "DXT2", "YUY2", "DXT3", "DXT4", "DXT5", "UYVY", "DXT6", "ATI2"};
    for (const char* c : codes) probe(MAKEFOURCC(c[0], c[1], c[2], c[3]));
    EXPECT_EQ(known, 56);
}

TEST(FormatName, TellingRowsMatchTheirValues)
{
    EXPECT_STREQ(formatName(fmt(0), true), "D3DFMT_UNKNOWN");
    EXPECT_STREQ(formatName(fmt(20), true), "D3DFMT_R8G8B8");
    EXPECT_STREQ(formatName(fmt(22), true), "D3DFMT_X8R8G8B8");
    EXPECT_STREQ(formatName(fmt(36), true), "D3DFMT_A16B16G16R16");
    EXPECT_STREQ(formatName(fmt(70), true), "D3DFMT_D16_LOCKABLE");
    EXPECT_STREQ(formatName(fmt(75), true), "D3DFMT_D24S8");
    EXPECT_STREQ(formatName(fmt(100), true), "D3DFMT_VERTEXDATA");
    EXPECT_STREQ(formatName(fmt(117), true), "D3DFMT_CxV8U8");
    EXPECT_STREQ(formatName(fmt(0x3154454D), true), "D3DFMT_MULTI2_ARGB8");
    EXPECT_STREQ(formatName(fmt(0x31545844), true), "D3DFMT_DXT1");
    EXPECT_STREQ(formatName(fmt(0x59565955), true), "D3DFMT_UYVY");
}

TEST(FormatName, PrefixIsDroppedOnRequest)
{
    EXPECT_STREQ(formatName(D3DFMT_X8R8G8B8, true), "D3DFMT_X8R8G8B8");
    EXPECT_STREQ(formatName(D3DFMT_X8R8G8B8, false), "X8R8G8B8");
    EXPECT_STREQ(formatName(D3DFMT_DXT1, false), "DXT1");
    const char* full = formatName(D3DFMT_D24S8, true);
    EXPECT_EQ(formatName(D3DFMT_D24S8, false), full + 7) << "points into the same text";
}

TEST(FormatName, UnknownValuesGiveTheFallbackEitherWay)
{
    for (DWORD v : {37u, 42u, 1000u, 0xFFFFFFFFu}) {
        EXPECT_STREQ(formatName(fmt(v), true), "Unknown format") << v;
        EXPECT_STREQ(formatName(fmt(v), false), "Unknown format") << v;
    }
}

TEST(SettingNames, DeviceTypes)
{
    EXPECT_STREQ(deviceTypeName(D3DDEVTYPE_HAL), "D3DDEVTYPE_HAL");
    EXPECT_STREQ(deviceTypeName(D3DDEVTYPE_REF), "D3DDEVTYPE_REF");
    EXPECT_STREQ(deviceTypeName(D3DDEVTYPE_SW), "D3DDEVTYPE_SW");
    EXPECT_STREQ(deviceTypeName(static_cast<D3DDEVTYPE>(0)), "Unknown devType");
    EXPECT_STREQ(deviceTypeName(static_cast<D3DDEVTYPE>(4)), "Unknown devType");
}

TEST(SettingNames, MultisampleTypes)
{
    EXPECT_STREQ(multisampleTypeName(D3DMULTISAMPLE_NONE), "D3DMULTISAMPLE_NONE");
    EXPECT_STREQ(multisampleTypeName(D3DMULTISAMPLE_NONMASKABLE), "D3DMULTISAMPLE_NONMASKABLE");
    for (int n = 2; n <= 16; ++n) {
        const std::string expected = "D3DMULTISAMPLE_" + std::to_string(n) + "_SAMPLES";
        EXPECT_EQ(multisampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(n)), expected);
    }
    EXPECT_STREQ(multisampleTypeName(static_cast<D3DMULTISAMPLE_TYPE>(17)), "Unknown Multisample Type");
}

TEST(SettingNames, VertexProcessingTypes)
{
    EXPECT_STREQ(vertexProcessingName(SOFTWARE_VP), "SOFTWARE_VP");
    EXPECT_STREQ(vertexProcessingName(MIXED_VP), "MIXED_VP");
    EXPECT_STREQ(vertexProcessingName(HARDWARE_VP), "HARDWARE_VP");
    EXPECT_STREQ(vertexProcessingName(PURE_HARDWARE_VP), "PURE_HARDWARE_VP");
    EXPECT_STREQ(vertexProcessingName(static_cast<VertexProcessingType>(4)), "Unknown VertexProcessingType");
}

TEST(SettingNames, PresentIntervalsAreBitValuesNotCounts)
{
    EXPECT_STREQ(presentIntervalName(0), "D3DPRESENT_INTERVAL_DEFAULT");
    EXPECT_STREQ(presentIntervalName(1), "D3DPRESENT_INTERVAL_ONE");
    EXPECT_STREQ(presentIntervalName(2), "D3DPRESENT_INTERVAL_TWO");
    EXPECT_STREQ(presentIntervalName(4), "D3DPRESENT_INTERVAL_THREE");
    EXPECT_STREQ(presentIntervalName(8), "D3DPRESENT_INTERVAL_FOUR");
    EXPECT_STREQ(presentIntervalName(0x80000000u), "D3DPRESENT_INTERVAL_IMMEDIATE");
    EXPECT_STREQ(presentIntervalName(3), "Unknown PresentInterval");
}
