#include "framework/frame_stats.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "display/setting_names.h"
#include "render/media_search.h"

namespace {

constexpr int PartCapacity = 100;  // each of the three parts: 99 characters at most

bool systemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

const char* deviceTypeText(D3DDEVTYPE type)
{
    switch (type) {
    case D3DDEVTYPE_HAL: return "HAL";
    case D3DDEVTYPE_REF: return "REF";
    case D3DDEVTYPE_SW: return "SW";
    default: return "";
    }
}

const char* vertexProcessingText(DWORD flags, bool hal)
{
    if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && (flags & D3DCREATE_PUREDEVICE))
        return hal ? " (pure hw vp)" : " (simulated pure hw vp)";
    if (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) return hal ? " (hw vp)" : " (simulated hw vp)";
    if (flags & D3DCREATE_MIXED_VERTEXPROCESSING) return hal ? " (mixed vp)" : " (simulated mixed vp)";
    if (flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) return " (sw vp)";
    return "";
}

}  // namespace

bool countFrame(FrameRateMeter* meter, float now, float* fps)
{
    ++meter->frameCount;
    const float interval = now - meter->lastUpdateTime;
    if (!(interval > 1.0f)) return false;
    *fps = static_cast<float>(meter->frameCount) / interval;
    meter->frameCount = 0;
    meter->lastUpdateTime = now;
    return true;
}

void formatFrameStats(char (&frameStats)[StatsTextCapacity], const FrameStatsFacts& facts)
{
    char formatPart[PartCapacity];
    if (facts.backBufferFormat == facts.displayModeFormat) {
        std::snprintf(formatPart, sizeof formatPart, "%s", formatName(facts.backBufferFormat, false));
    } else {
        std::snprintf(formatPart, sizeof formatPart, "backbuf %s, adapter %s",
                      formatName(facts.backBufferFormat, false), formatName(facts.displayModeFormat, false));
    }

    char depthPart[PartCapacity] = "";
    if (facts.useDepthBuffer)
        std::snprintf(depthPart, sizeof depthPart, " (%s)", formatName(facts.depthStencilFormat, false));

    char multisamplePart[PartCapacity] = "";
    const int samples = static_cast<int>(facts.multisampleType);
    if (samples == 1)
        std::snprintf(multisamplePart, sizeof multisamplePart, " (Nonmaskable Multisample)");
    else if (samples >= 2 && samples <= 16)
        std::snprintf(multisamplePart, sizeof multisamplePart, " (%dx Multisample)", samples);

    // Cutting the text at the array's end is intended.
    const int written = std::snprintf(frameStats, sizeof frameStats, "%.02f fps (%dx%d), %s%s%s",
                                      static_cast<double>(facts.fps), static_cast<int>(facts.backBufferWidth),
                                      static_cast<int>(facts.backBufferHeight), formatPart, depthPart,
                                      multisamplePart);
    if (written < 0) frameStats[0] = '\0';
}

void appendWholeCharacters(char* text, int maxLength, const char* tail, LeadByteTest isLeadByte)
{
    if (isLeadByte == nullptr) isLeadByte = systemLeadByte;
    int length = static_cast<int>(std::strlen(text));
    for (const char* c = tail; *c != '\0';) {
        const bool pair = isLeadByte(static_cast<unsigned char>(*c));
        // A lead byte with nothing after it is a broken character: drop it.
        if (pair && c[1] == '\0') break;
        const int size = pair ? 2 : 1;
        if (length + size > maxLength) break;
        std::memcpy(text + length, c, static_cast<size_t>(size));
        length += size;
        c += size;
    }
    text[length] = '\0';
}

void describeDevice(char (&deviceStats)[StatsTextCapacity], D3DDEVTYPE deviceType, DWORD behaviorFlags,
                    const char* adapterDescription)
{
    const bool hal = deviceType == D3DDEVTYPE_HAL;
    std::snprintf(deviceStats, sizeof deviceStats, "%s%s", deviceTypeText(deviceType),
                  vertexProcessingText(behaviorFlags, hal));
    if (!hal) return;

    appendWholeCharacters(deviceStats, StatsTextCapacity - 1, ": ");
    // The identifier's array need not be terminated; the copy is.
    char description[MAX_DEVICE_IDENTIFIER_STRING] = "";
    copyBounded(description, adapterDescription != nullptr ? adapterDescription : "", MAX_DEVICE_IDENTIFIER_STRING);
    appendWholeCharacters(deviceStats, StatsTextCapacity - 1, description);
}
