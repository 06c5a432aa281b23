// The framework's own failure codes and the texts users see for every code.
// Application::reportError is the only place that turns a failure into a
// message box; these functions only supply its words, so they cannot fail:
// a code without a text of its own gets the generic one.
#pragma once

#include <windows.h>

#include <cstdint>

// HRESULT values with the severity bit set.
enum AppError : int32_t {
    Direct3DUnavailable = int32_t(0x82000001u),
    NoUsableDevice = int32_t(0x82000003u),
    DesktopModeUnsupported = int32_t(0x82000004u),
    NoAcceleratedDevice = int32_t(0x82000005u),
    AcceleratorLacksFeatures = int32_t(0x82000006u),
    AcceleratorCannotWindow = int32_t(0x82000007u),
    AcceleratorCannotWindowAtDesktopMode = int32_t(0x82000008u),
    FeaturesMissingAtDesktopMode = int32_t(0x82000009u),
    ObjectsStillReferenced = int32_t(0x8200000Au),
    MediaMissing = int32_t(0x8200000Bu),
    DeviceResetFailed = int32_t(0x8200000Cu),
    ReferenceDeviceReduced = int32_t(0x8200000Du),
};

// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) as a constant: what the media
// search returns for a file found nowhere.
constexpr HRESULT FileNotFound = static_cast<HRESULT>(0x80070002u);

// What reportError does after showing the text.
enum ErrorAction : int32_t {
    Warn = 0,                 // warning box; the program goes on
    Exit = 1,                 // error box with the exit suffix; the main window then closes
    FallBackToReference = 2,  // warning box with the switching suffix; the caller goes on with REF
};

// The text shown for `code` (never null; the generic text for unknown codes).
const char* errorText(HRESULT code);

// Appended to the text for Exit and FallBackToReference.
extern const char* const exitSuffix;
extern const char* const fallBackSuffix;

// Capacity of the message reportError builds, terminator included.
constexpr int ErrorMessageCapacity = 512;

// errorText(code) with the suffix `action` calls for, cut to the capacity
// and always terminated.
void composeErrorMessage(char (&message)[ErrorMessageCapacity], HRESULT code, ErrorAction action);
