// The error table's texts, byte for byte, the suffixes the actions add, and
// the vertex-processing creation flags.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <string>

#include "framework/application.h"

namespace {

struct Row {
    HRESULT code;
    const char* text;
};

const Row table[] = {
    {HRESULT(0x82000001u),
     "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is correctly "
     "installed on your\nsystem.  Also make sure that this program\nwas compiled with header files that match\nthe "
     "installed DirectX DLLs."},
    {HRESULT(0x82000003u), "Could not find any compatible Direct3D\ndevices."},
    {HRESULT(0x82000004u),
     "This sample cannot run in a desktop\nwindow with the current display settings.\nPlease change your desktop "
     "settings to a\n16- or 32-bit display mode and re-run this\nsample."},
    {HRESULT(0x82000005u), "No hardware-accelerated Direct3D devices\nwere found."},
    {HRESULT(0x82000006u),
     "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator."},
    {HRESULT(0x82000007u),
     "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is running to see "
     "a\nlist of available devices and modes."},
    {HRESULT(0x82000008u),
     "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop display "
     "settings.\nPress F2 while the app is running to see a\nlist of available devices and modes."},
    {HRESULT(0x82000009u),
     "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator with the "
     "current desktop display\nsettings.\nPress F2 while the app is running to see a\nlist of available devices "
     "and modes."},
    {HRESULT(0x8200000Au),
     "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up)."},
    {HRESULT(0x8200000Bu), "Could not load required media."},
    {HRESULT(0x8200000Cu), "Could not reset the Direct3D device."},
    {HRESULT(0x8200000Du),
     "Warning: Nothing will be rendered.\nThe reference rendering device was selected, but your\ncomputer only "
     "has a reduced-functionality reference device\ninstalled.  Install the DirectX SDK to get the full\nreference "
     "device.\n"},
    {HRESULT(0x80070002u), "Could not load required media."},
    {HRESULT(0x8007000Eu), "Not enough memory."},
    {HRESULT(0x8876017Cu), "Not enough video memory."},
};

const char* const generic = "Generic application error. Enable\ndebug output for detailed information.";

TEST(ErrorTable, EveryCodeHasItsTextByteForByte)
{
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << std::hex << static_cast<unsigned long>(row.code));
        EXPECT_EQ(std::string(errorText(row.code)), row.text);
    }
}

TEST(ErrorTable, OtherCodesGetTheGenericText)
{
    // 0x82000002 is a gap in the framework's range; the rest are codes without a text of their own.
    const HRESULT others[] = {HRESULT(0x82000002u), HRESULT(0x8200000Eu), E_FAIL,           E_INVALIDARG,
                              D3DERR_DEVICELOST,    D3DERR_INVALIDCALL,   D3DERR_NOTAVAILABLE, S_OK};
    for (HRESULT code : others) EXPECT_STREQ(errorText(code), generic) << std::hex << code;
}

TEST(ErrorTable, ActionsAddTheirSuffixAndEveryTextFitsWithIt)
{
    char message[ErrorMessageCapacity];
    for (const Row& row : table) {
        composeErrorMessage(message, row.code, Exit);
        EXPECT_EQ(std::string(message), std::string(row.text) + "\n\nThis sample will now exit.");
        composeErrorMessage(message, row.code, FallBackToReference);
        EXPECT_EQ(std::string(message), std::string(row.text) +
                                            "\n\nSwitching to the reference rasterizer,\na software device that "
                                            "implements the entire\nDirect3D feature set, but runs very slowly.");
        // A warning, or an action value outside the three, adds nothing.
        for (ErrorAction action : {Warn, static_cast<ErrorAction>(7)}) {
            composeErrorMessage(message, row.code, action);
            EXPECT_EQ(std::string(message), row.text);
        }
    }
}

TEST(CreationFlags, FollowTheVertexProcessingType)
{
    EXPECT_EQ(behaviorFlagsFor(SOFTWARE_VP), DWORD(0x20));
    EXPECT_EQ(behaviorFlagsFor(MIXED_VP), DWORD(0x80));
    EXPECT_EQ(behaviorFlagsFor(HARDWARE_VP), DWORD(0x40));
    EXPECT_EQ(behaviorFlagsFor(PURE_HARDWARE_VP), DWORD(0x50));
    EXPECT_EQ(behaviorFlagsFor(static_cast<VertexProcessingType>(4)), DWORD(0));
    EXPECT_EQ(behaviorFlagsFor(static_cast<VertexProcessingType>(-1)), DWORD(0));
}

}  // namespace
