#include "display/setting_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

D3DFORMAT fmt(DWORD value)
{
    return static_cast<D3DFORMAT>(value);
}

}  // namespace

namespace {

// The 56 known formats with their published values written out as numbers,
// so a name and a value cannot drift apart together.
struct KnownFormat {
    DWORD value;
    const char* name;
};
const KnownFormat kKnownFormats[] = {
    {0, "D3DFMT_UNKNOWN"},        {20, "D3DFMT_R8G8B8"},         {21, "D3DFMT_A8R8G8B8"},
    {22, "D3DFMT_X8R8G8B8"},      {23, "D3DFMT_R5G6B5"},         {24, "D3DFMT_X1R5G5B5"},
    {25, "D3DFMT_A1R5G5B5"},      {26, "D3DFMT_A4R4G4B4"},       {27, "D3DFMT_R3G3B2"},
    {28, "D3DFMT_A8"},            {29, "D3DFMT_A8R3G3B2"},       {30, "D3DFMT_X4R4G4B4"},
    {31, "D3DFMT_A2B10G10R10"},   {32, "D3DFMT_A8B8G8R8"},       {33, "D3DFMT_X8B8G8R8"},
    {34, "D3DFMT_G16R16"},        {35, "D3DFMT_A2R10G10B10"},    {36, "D3DFMT_A16B16G16R16"},
    {40, "D3DFMT_A8P8"},          {41, "D3DFMT_P8"},             {50, "D3DFMT_L8"},
    {51, "D3DFMT_A8L8"},          {52, "D3DFMT_A4L4"},           {60, "D3DFMT_V8U8"},
    {61, "D3DFMT_L6V5U5"},        {62, "D3DFMT_X8L8V8U8"},       {63, "D3DFMT_Q8W8V8U8"},
    {64, "D3DFMT_V16U16"},        {67, "D3DFMT_A2W10V10U10"},    {70, "D3DFMT_D16_LOCKABLE"},
    {71, "D3DFMT_D32"},           {73, "D3DFMT_D15S1"},          {75, "D3DFMT_D24S8"},
    {77, "D3DFMT_D24X8"},         {79, "D3DFMT_D24X4S4"},        {80, "D3DFMT_D16"},
    {81, "D3DFMT_L16"},           {100, "D3DFMT_VERTEXDATA"},    {101, "D3DFMT_INDEX16"},
    {102, "D3DFMT_INDEX32"},      {110, "D3DFMT_Q16W16V16U16"},  {111, "D3DFMT_R16F"},
    {112, "D3DFMT_G16R16F"},      {113, "D3DFMT_A16B16G16R16F"}, {114, "D3DFMT_R32F"},
    {115, "D3DFMT_G32R32F"},      {116, "D3DFMT_A32B32G32R32F"}, {117, "D3DFMT_CxV8U8"},
    {0x3154454D, "D3DFMT_MULTI2_ARGB8"}, {0x31545844, "D3DFMT_DXT1"}, {0x32545844, "D3DFMT_DXT2"},
    {0x32595559, "D3DFMT_YUY2"},  {0x33545844, "D3DFMT_DXT3"},   {0x34545844, "D3DFMT_DXT4"},
    {0x35545844, "D3DFMT_DXT5"},  {0x59565955, "D3DFMT_UYVY"},
};
static_assert(sizeof kKnownFormats / sizeof kKnownFormats[0] == 56);

}  // namespace

TEST(FormatName, KnowsExactlyTheFiftySixPublishedFormats)
{
    for (const KnownFormat& known : kKnownFormats) EXPECT_STREQ(formatName(fmt(known.value), true), known.name);

    // Nothing else is known: the plain range and other four-character codes.
    auto isKnown = [](DWORD value) {
        for (const KnownFormat& known : kKnownFormats)
            if (known.value == value) return true;
        return false;
    };
    for (DWORD v = 0; v < 1024; ++v) {
        if (!isKnown(v)) {
            EXPECT_STREQ(formatName(fmt(v), true), "Unknown format") << v;
        }
    }
    for (const char* c : {"DXT6", "ATI1", "ATI2", "RGBG", "GRGB", "MET2", "INTZ", "NULL"})
        EXPECT_STREQ(formatName(fmt(MAKEFOURCC(c[0], c[1], c[2], c[3])), true), "Unknown format") << c;
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
