// Icons and cursors as GDI objects: built from decoded pixels by the resource
// code or from bitmaps by CreateIconIndirect, read back as a mask and a colour
// bitmap by GetIconInfo.
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

namespace {

// What the layer's cursors and window icons show of an icon made from
// bitmaps: the colour bitmap's alpha when it has any, otherwise opaque where
// the AND mask is 0. A monochrome icon's XOR half gives white or black; its
// inverting pixels (both bits set) cannot be shown and stay transparent.
void pixelsFromBitmaps(const BitmapObject& mask, const BitmapObject* color, platform::IconPixels* out) {
    const int h = color ? mask.height : mask.height / 2;
    out->width = mask.width;
    out->height = h;
    out->argbTopDown.assign(static_cast<size_t>(mask.width) * h, 0);
    bool hasAlpha = false;
    if (color && color->bitsPerPixel == 32)
        for (int y = 0; y < h && !hasAlpha; ++y)
            for (int x = 0; x < mask.width && !hasAlpha; ++x)
                hasAlpha = (reinterpret_cast<const uint32_t*>(color->row(y))[x] >> 24) != 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            uint32_t& pixel = out->argbTopDown[static_cast<size_t>(y) * mask.width + x];
            const bool transparent = mask.row(y)[x] != 0;
            if (!color) {
                const bool white = mask.row(y + h)[x] != 0;
                pixel = transparent ? 0 : white ? 0xFFFFFFFF : 0xFF000000;
            } else if (x < color->width && y < color->height) {
                uint32_t c = 0;
                if (color->bitsPerPixel == 32)
                    c = reinterpret_cast<const uint32_t*>(color->row(y))[x];
                else
                    c = color->row(y)[x] ? 0x00FFFFFF : 0;
                pixel = hasAlpha ? c : transparent ? 0 : (c | 0xFF000000);
            }
        }
    }
}

}  // namespace

HICON WINAPI CreateIconIndirect(PICONINFO piconinfo) {
    ObjectLock lock;
    if (!piconinfo)
        return nullptr;
    BitmapObject* mask = lookupBitmap(piconinfo->hbmMask);
    BitmapObject* color = piconinfo->hbmColor ? lookupBitmap(piconinfo->hbmColor) : nullptr;
    if (!mask || (piconinfo->hbmColor && !color) || (!color && mask->height < 2))
        return nullptr;
    auto icon = std::make_unique<IconObject>();
    icon->mask = copyBitmap(*mask);
    if (color)
        icon->color = copyBitmap(*color);
    if (!icon->mask || (color && !icon->color))
        return nullptr;
    pixelsFromBitmaps(*icon->mask, icon->color.get(), &icon->pixels);
    icon->pixels.isCursor = !piconinfo->fIcon;
    // Documented: an icon's hot spot is its centre, whatever the record says.
    icon->pixels.hotX = piconinfo->fIcon ? icon->pixels.width / 2 : static_cast<int>(piconinfo->xHotspot);
    icon->pixels.hotY = piconinfo->fIcon ? icon->pixels.height / 2 : static_cast<int>(piconinfo->yHotspot);
    return static_cast<HICON>(addObject(std::move(icon)));
}

// Windows hands out new bitmaps each call. For icons built from pixels: a
// 1-bit mask (1 where the icon is transparent, alpha 0) and a 32-bit colour
// bitmap holding the pixels as built, straight alpha in the top byte, as it
// returns them for 32-bit icons. For CreateIconIndirect's: what it was given.
BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo) {
    ObjectLock lock;
    IconObject* icon = lookupIcon(hIcon);
    if (!icon || !piconinfo)
        return FALSE;
    const platform::IconPixels& p = icon->pixels;
    std::unique_ptr<BitmapObject> mask;
    std::unique_ptr<BitmapObject> color;
    if (icon->mask) {
        mask = copyBitmap(*icon->mask);
        if (icon->color)
            color = copyBitmap(*icon->color);
        if (!mask || (icon->color && !color))
            return FALSE;
    } else {
        mask = makeBitmap(p.width, p.height, 1);
        color = makeBitmap(p.width, p.height, 32);
        if (!mask || !color)
            return FALSE;
        for (int y = 0; y < p.height; ++y) {
            const uint32_t* src = &p.argbTopDown[static_cast<size_t>(y) * p.width];
            std::memcpy(color->row(y), src, static_cast<size_t>(p.width) * 4);
            uint8_t* m = mask->row(y);
            for (int x = 0; x < p.width; ++x)
                m[x] = (src[x] >> 24) == 0 ? 1 : 0;
        }
    }
    const bool hasColor = color != nullptr;
    HBITMAP maskHandle = static_cast<HBITMAP>(addObject(std::move(mask)));
    HBITMAP colorHandle = hasColor ? static_cast<HBITMAP>(addObject(std::move(color))) : nullptr;
    if (!maskHandle || (hasColor && !colorHandle)) {
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
