// The statistics texts the application keeps for a derived game to draw: the
// once-a-second frame rate with the back-buffer description (frameStats) and
// the device description made at device creation (deviceStats). Free
// functions so that Application::updateFrameStats and describeDevice only
// gather their inputs; every text is cut to its 90-character array and always
// terminated. Nothing here fails.
#pragma once

#include <d3d9.h>

constexpr int StatsTextCapacity = 90;  // frameStats and deviceStats, terminator included

// Frames counted since the last rate update, and when that was (absolute
// seconds from frameTimer(AbsoluteTime)). Starts at 0, so the first frame
// measures over the whole time since the clock's origin.
struct FrameRateMeter {
    int frameCount = 0;
    float lastUpdateTime = 0.0f;
};

// Counts one frame at `now`. When more than one second has passed since the
// last update, stores the rate in *fps, starts a new interval and returns
// true; otherwise leaves *fps alone and returns false.
bool countFrame(FrameRateMeter* meter, float now, float* fps);

// What the frame statistics describe, taken from the back-buffer description,
// the current settings and the enumerator.
struct FrameStatsFacts {
    float fps;
    UINT backBufferWidth;
    UINT backBufferHeight;
    D3DFORMAT backBufferFormat;
    D3DFORMAT displayModeFormat;   // of windowedMode or fullscreenMode, as the settings say
    bool useDepthBuffer;
    D3DFORMAT depthStencilFormat;  // shown only with useDepthBuffer
    D3DMULTISAMPLE_TYPE multisampleType;
};

// E.g. "60.00 fps (500x375), X8R8G8B8 (D24S8)"; a back-buffer format other
// than the mode's reads "backbuf A8R8G8B8, adapter X8R8G8B8".
void formatFrameStats(char (&frameStats)[StatsTextCapacity], const FrameStatsFacts& facts);

// Device type, vertex-processing kind from the behaviour flags and, on a HAL
// device, ": " and as much of the adapter description as fits, e.g.
// "HAL (hw vp): Example Graphics Adapter".
void describeDevice(char (&deviceStats)[StatsTextCapacity], D3DDEVTYPE deviceType, DWORD behaviorFlags,
                    const char* adapterDescription);

// Whether a byte starts a double-byte character; IsDBCSLeadByte by default.
using LeadByteTest = bool (*)(unsigned char byte);

// Appends whole characters of `tail` to `text` while its length stays within
// `maxLength` (the terminator not counted); a double-byte character that does
// not fit entirely is left out, as is everything after it.
void appendWholeCharacters(char* text, int maxLength, const char* tail, LeadByteTest isLeadByte = nullptr);
