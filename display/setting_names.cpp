#include "display/setting_names.h"

#include <cstring>

// Each case returns the constant's own spelling, so a table entry cannot
// disagree with the value it names.
#define NAME_CASE(value) \
    case value: return #value

const char* deviceTypeName(D3DDEVTYPE type)
{
    switch (type) {
        NAME_CASE(D3DDEVTYPE_HAL);
        NAME_CASE(D3DDEVTYPE_REF);
        NAME_CASE(D3DDEVTYPE_SW);
    default: return "Unknown devType";
    }
}

const char* multisampleTypeName(D3DMULTISAMPLE_TYPE type)
{
    switch (type) {
        NAME_CASE(D3DMULTISAMPLE_NONE);
        NAME_CASE(D3DMULTISAMPLE_NONMASKABLE);
        NAME_CASE(D3DMULTISAMPLE_2_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_3_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_4_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_5_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_6_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_7_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_8_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_9_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_10_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_11_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_12_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_13_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_14_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_15_SAMPLES);
        NAME_CASE(D3DMULTISAMPLE_16_SAMPLES);
    default: return "Unknown Multisample Type";
    }
}

const char* vertexProcessingName(VertexProcessingType type)
{
    switch (type) {
        NAME_CASE(SOFTWARE_VP);
        NAME_CASE(MIXED_VP);
        NAME_CASE(HARDWARE_VP);
        NAME_CASE(PURE_HARDWARE_VP);
    default: return "Unknown VertexProcessingType";
    }
}

const char* presentIntervalName(UINT interval)
{
    switch (interval) {
        NAME_CASE(D3DPRESENT_INTERVAL_DEFAULT);
        NAME_CASE(D3DPRESENT_INTERVAL_ONE);
        NAME_CASE(D3DPRESENT_INTERVAL_TWO);
        NAME_CASE(D3DPRESENT_INTERVAL_THREE);
        NAME_CASE(D3DPRESENT_INTERVAL_FOUR);
        NAME_CASE(D3DPRESENT_INTERVAL_IMMEDIATE);
    default: return "Unknown PresentInterval";
    }
}

namespace {

const char* formatFullName(D3DFORMAT format)
{
    switch (format) {
        NAME_CASE(D3DFMT_UNKNOWN);
        NAME_CASE(D3DFMT_R8G8B8);
        NAME_CASE(D3DFMT_A8R8G8B8);
        NAME_CASE(D3DFMT_X8R8G8B8);
        NAME_CASE(D3DFMT_R5G6B5);
        NAME_CASE(D3DFMT_X1R5G5B5);
        NAME_CASE(D3DFMT_A1R5G5B5);
        NAME_CASE(D3DFMT_A4R4G4B4);
        NAME_CASE(D3DFMT_R3G3B2);
        NAME_CASE(D3DFMT_A8);
        NAME_CASE(D3DFMT_A8R3G3B2);
        NAME_CASE(D3DFMT_X4R4G4B4);
        NAME_CASE(D3DFMT_A2B10G10R10);
        NAME_CASE(D3DFMT_A8B8G8R8);
        NAME_CASE(D3DFMT_X8B8G8R8);
        NAME_CASE(D3DFMT_G16R16);
        NAME_CASE(D3DFMT_A2R10G10B10);
        NAME_CASE(D3DFMT_A16B16G16R16);
        NAME_CASE(D3DFMT_A8P8);
        NAME_CASE(D3DFMT_P8);
        NAME_CASE(D3DFMT_L8);
        NAME_CASE(D3DFMT_A8L8);
        NAME_CASE(D3DFMT_A4L4);
        NAME_CASE(D3DFMT_V8U8);
        NAME_CASE(D3DFMT_L6V5U5);
        NAME_CASE(D3DFMT_X8L8V8U8);
        NAME_CASE(D3DFMT_Q8W8V8U8);
        NAME_CASE(D3DFMT_V16U16);
        NAME_CASE(D3DFMT_A2W10V10U10);
        NAME_CASE(D3DFMT_D16_LOCKABLE);
        NAME_CASE(D3DFMT_D32);
        NAME_CASE(D3DFMT_D15S1);
        NAME_CASE(D3DFMT_D24S8);
        NAME_CASE(D3DFMT_D24X8);
        NAME_CASE(D3DFMT_D24X4S4);
        NAME_CASE(D3DFMT_D16);
        NAME_CASE(D3DFMT_L16);
        NAME_CASE(D3DFMT_VERTEXDATA);
        NAME_CASE(D3DFMT_INDEX16);
        NAME_CASE(D3DFMT_INDEX32);
        NAME_CASE(D3DFMT_Q16W16V16U16);
        NAME_CASE(D3DFMT_R16F);
        NAME_CASE(D3DFMT_G16R16F);
        NAME_CASE(D3DFMT_A16B16G16R16F);
        NAME_CASE(D3DFMT_R32F);
        NAME_CASE(D3DFMT_G32R32F);
        NAME_CASE(D3DFMT_A32B32G32R32F);
        NAME_CASE(D3DFMT_CxV8U8);
        NAME_CASE(D3DFMT_MULTI2_ARGB8);
        NAME_CASE(D3DFMT_DXT1);
        NAME_CASE(D3DFMT_DXT2);
        NAME_CASE(D3DFMT_YUY2);
        NAME_CASE(D3DFMT_DXT3);
        NAME_CASE(D3DFMT_DXT4);
        NAME_CASE(D3DFMT_DXT5);
        NAME_CASE(D3DFMT_UYVY);
    default: return "Unknown format";
    }
}

}  // namespace

const char* formatName(D3DFORMAT format, bool withPrefix)
{
    static const char prefix[] = "D3DFMT_";
    const char* name = formatFullName(format);
    if (!withPrefix && std::strncmp(name, prefix, sizeof prefix - 1) == 0) return name + sizeof prefix - 1;
    return name;
}
