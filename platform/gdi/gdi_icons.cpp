// Icons and cursors as GDI objects: built from decoded pixels by the resource
// code, read back as a mask and a colour bitmap by GetIconInfo.
#include "gdi/gdi_objects.h"

#include <cstring>

namespace platform {

HICON createIconFromPixels(int width, int height, const uint32_t* argbTopDown, int hotX, int hotY,
                           bool isCursor) {
    gdi::ObjectLock lock;
    if (width <= 0 || height <= 0 || width > 1024 || height > 1024 || !argbTopDown)
        return nullptr;
    auto icon = std::make_unique<gdi::IconObject>();
    icon->pixels.width = width;
    icon->pixels.height = height;
    icon->pixels.argbTopDown.assign(argbTopDown, argbTopDown + static_cast<size_t>(width) * height);
    icon->pixels.hotX = hotX;
    icon->pixels.hotY = hotY;
    icon->pixels.isCursor = isCursor;
    return static_cast<HICON>(gdi::addObject(std::move(icon)));
}

bool iconPixels(HICON icon, IconPixels* out) {
    gdi::ObjectLock lock;
    gdi::IconObject* object = gdi::lookupIcon(icon);
    if (!object || !out)
        return false;
    *out = object->pixels;
    return true;
}

}  // namespace platform

using namespace platform::gdi;

// Windows hands out new bitmaps each call: a 1-bit mask (1 where the icon is
// transparent, alpha 0) and a 32-bit colour bitmap holding the pixels as
// built, straight alpha in the top byte, as it returns them for 32-bit icons.
BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
    ObjectLock lock;
    IconObject* icon = lookupIcon(hIcon);
    if (!icon || !piconinfo)
        return FALSE;
    const platform::IconPixels& p = icon->pixels;
    std::unique_ptr<BitmapObject> mask = makeBitmap(p.width, p.height, 1);
    std::unique_ptr<BitmapObject> color = makeBitmap(p.width, p.height, 32);
    if (!mask || !color)
        return FALSE;
    for (int y = 0; y < p.height; ++y) {
        const uint32_t* src = &p.argbTopDown[static_cast<size_t>(y) * p.width];
        std::memcpy(color->row(y), src, static_cast<size_t>(p.width) * 4);
        uint8_t* m = mask->row(y);
        for (int x = 0; x < p.width; ++x)
            m[x] = (src[x] >> 24) == 0 ? 1 : 0;
    }
    HBITMAP maskHandle = static_cast<HBITMAP>(addObject(std::move(mask)));
    HBITMAP colorHandle = static_cast<HBITMAP>(addObject(std::move(color)));
    if (!maskHandle || !colorHandle) {
        removeObject(maskHandle);
        removeObject(colorHandle);
        return FALSE;
    }
    piconinfo->fIcon = p.isCursor ? FALSE : TRUE;
    piconinfo->xHotspot = static_cast<DWORD>(p.hotX);
    piconinfo->yHotspot = static_cast<DWORD>(p.hotY);
    piconinfo->hbmMask = maskHandle;
    piconinfo->hbmColor = colorHandle;
    return TRUE;
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
    ObjectLock lock;
    if (!lookupIcon(hIcon))
        return FALSE;
    removeObject(hIcon);
    return TRUE;
}
