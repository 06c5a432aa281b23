// The error table and the one reporter; see app_error.h and application.h.
#include "framework/app_error.h"

#include <windows.h>
#include <d3d9.h>

#include <cstring>

#include "framework/application.h"
#include "common/bounded_copy.h"

const char* const exitSuffix = "\n\nThis sample will now exit.";
const char* const fallBackSuffix =
    "\n\nSwitching to the reference rasterizer,\n"
    "a software device that implements the entire\n"
    "Direct3D feature set, but runs very slowly.";

const char* errorText(HRESULT code)
{
    switch (code) {
    case Direct3DUnavailable:
        return "Could not initialize Direct3D. You may\n"
               "want to check that the latest version of\n"
               "DirectX is correctly installed on your\n"
               "system.  Also make sure that this program\n"
               "was compiled with header files that match\n"
               "the installed DirectX DLLs.";
    case NoUsableDevice: return "Could not find any compatible Direct3D\ndevices.";
    case DesktopModeUnsupported:
        return "This sample cannot run in a desktop\n"
               "window with the current display settings.\n"
               "Please change your desktop settings to a\n"
               "16- or 32-bit display mode and re-run this\n"
               "sample.";
    case NoAcceleratedDevice: return "No hardware-accelerated Direct3D devices\nwere found.";
    case AcceleratorLacksFeatures:
        return "This sample requires functionality that is\n"
               "not available on your Direct3D hardware\n"
               "accelerator.";
    case AcceleratorCannotWindow:
        return "Your Direct3D hardware accelerator cannot\n"
               "render into a window.\n"
               "Press F2 while the app is running to see a\n"
               "list of available devices and modes.";
    case AcceleratorCannotWindowAtDesktopMode:
        return "Your Direct3D hardware accelerator cannot\n"
               "render into a window with the current\n"
               "desktop display settings.\n"
               "Press F2 while the app is running to see a\n"
               "list of available devices and modes.";
    case FeaturesMissingAtDesktopMode:
        return "This sample requires functionality that is\n"
               "not available on your Direct3D hardware\n"
               "accelerator with the current desktop display\n"
               "settings.\n"
               "Press F2 while the app is running to see a\n"
               "list of available devices and modes.";
    case ObjectsStillReferenced:
        return "A D3D object has a non-zero reference\n"
               "count (meaning things were not properly\n"
               "cleaned up).";
    case MediaMissing:
    case FileNotFound: return "Could not load required media.";
    case DeviceResetFailed: return "Could not reset the Direct3D device.";
    case ReferenceDeviceReduced:
        return "Warning: Nothing will be rendered.\n"
               "The reference rendering device was selected, but your\n"
               "computer only has a reduced-functionality reference device\n"
               "installed.  Install the DirectX SDK to get the full\n"
               "reference device.\n";
    case E_OUTOFMEMORY: return "Not enough memory.";
    case D3DERR_OUTOFVIDEOMEMORY: return "Not enough video memory.";
    default: return "Generic application error. Enable\ndebug output for detailed information.";
    }
}

void composeErrorMessage(char (&message)[ErrorMessageCapacity], HRESULT code, ErrorAction action)
{
    copyBounded(message, errorText(code), ErrorMessageCapacity);
    const char* suffix = action == Exit ? exitSuffix : action == FallBackToReference ? fallBackSuffix : "";
    const size_t length = std::strlen(message);
    std::strncat(message, suffix, ErrorMessageCapacity - 1 - length);
}

HRESULT Application::reportError(HRESULT code, ErrorAction action)
{
    if (fatalErrorShown) return code;

    char message[ErrorMessageCapacity];
    composeErrorMessage(message, code, action);
    if (action == Exit) {
        fatalErrorShown = true;
        MessageBox(nullptr, message, windowTitle, MB_ICONERROR | MB_OK);
        // Runs the window-close sequence before we return.
        if (window) SendMessage(window, WM_CLOSE, 0, 0);
    } else {
        MessageBox(nullptr, message, windowTitle, MB_ICONWARNING | MB_OK);
    }
    return code;
}
