// Memory DCs and the state every DC carries: CreateCompatibleDC, DeleteDC,
// GetDeviceCaps, mapping mode, colours, background mode, text alignment.
#include "gdi/gdi_objects.h"

#include <SDL.h>

namespace platform {
namespace gdi {

std::unique_ptr<DcObject> makeDc(DcKind kind) {
    auto dc = std::make_unique<DcObject>();
    dc->dcKind = kind;
    // Like Windows, a memory DC starts with a 1 x 1 monochrome bitmap.
    if (kind == DcKind::Memory)
        dc->bitmap = defaultBitmap();
    dc->font = systemFont();
    dc->brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return dc;
}

void releaseSelections(DcObject& dc) {
    if (BitmapObject* bitmap = lookupBitmap(dc.bitmap))
        bitmap->selectedInto = nullptr;
    dc.bitmap = nullptr;
    dc.font = nullptr;
    dc.brush = nullptr;
}

Surface surfaceOf(const DcObject& dc) {
    Surface s;
    if (dc.dcKind == DcKind::Window) {
        if (!dc.clientPixels || dc.clientWidth <= 0 || dc.clientHeight <= 0)
            return s;
        s.topRow = reinterpret_cast<uint8_t*>(dc.clientPixels);
        s.pitch = static_cast<ptrdiff_t>(dc.clientWidth) * 4;
        s.width = dc.clientWidth;
        s.height = dc.clientHeight;
        return s;
    }
    BitmapObject* bitmap = lookupBitmap(dc.bitmap);
    if (dc.dcKind != DcKind::Memory || !bitmap || bitmap->bitsPerPixel != 32)
        return s;
    s.topRow = bitmap->topRow;
    s.pitch = bitmap->pitch;
    s.width = bitmap->width;
    s.height = bitmap->height;
    return s;
}

}  // namespace gdi
}  // namespace platform

using namespace platform::gdi;

namespace {

constexpr int kDpi = 96;

// The desktop as SDL reports it once video is up; a common size before that.
void screenSize(int* width, int* height, int* refresh) {
    *width = 1024;
    *height = 768;
    *refresh = 60;
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
        if (mode.refresh_rate > 0)
            *refresh = mode.refresh_rate;
    }
}

}  // namespace

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    ObjectLock lock;
    if (hdc && !lookupDc(hdc))
        return nullptr;
    return static_cast<HDC>(addObject(makeDc(DcKind::Memory)));
}

// DCs from GetDC belong to ReleaseDC, as the published contract says.
BOOL WINAPI DeleteDC(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc || dc->dcKind != DcKind::Memory)
        return FALSE;
    releaseSelections(*dc);
    removeObject(hdc);
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    ObjectLock lock;
    if (!lookupDc(hdc))
        return 0;
    int width;
    int height;
    int refresh;
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV;
    case LOGPIXELSX:
    case LOGPIXELSY: return kDpi;
    case SIZEPALETTE: return 0;
    case COLORRES: return 24;
    default: break;
    }
    screenSize(&width, &height, &refresh);
    switch (index) {
    case HORZRES:
    case DESKTOPHORZRES: return width;
    case VERTRES:
    case DESKTOPVERTRES: return height;
    case HORZSIZE: return width * 254 / (kDpi * 10);
    case VERTSIZE: return height * 254 / (kDpi * 10);
    case VREFRESH: return refresh;
    default: return 0;
    }
}

// Only MM_TEXT is served; asking for another mode fails and changes nothing.
int WINAPI SetMapMode(HDC hdc, int iMode) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc || iMode != MM_TEXT)
        return 0;
    int previous = dc->mapMode;
    dc->mapMode = iMode;
    return previous;
}

int WINAPI GetMapMode(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    return dc ? dc->mapMode : 0;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->textColor;
    dc->textColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->bkColor;
    dc->bkColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT))
        return 0;
    int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    return dc ? dc->bkMode : 0;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc)
        return GDI_ERROR;
    UINT previous = dc->textAlign;
    dc->textAlign = align;
    return previous;
}

UINT WINAPI GetTextAlign(HDC hdc) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    return dc ? dc->textAlign : GDI_ERROR;
}
