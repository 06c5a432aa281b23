// GDI's object model: one handle table for DCs, bitmaps (DIB sections among
// them), fonts, brushes and icons. A handle carries its slot, a generation and
// its kind, so a stale, foreign or wrong-kind handle is found out and the
// caller gets NULL/0/FALSE; no handle is ever dereferenced.
// Callers: the GDI entry points in this folder, and the resources code, which
// builds the program's icons with createIconFromPixels. The lookup functions
// need the table lock (ObjectLock) held for as long as the pointer is used.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Builds an icon (isCursor false) or cursor from 0xAARRGGBB pixels, top-down,
// straight alpha. Windows puts an icon's hot spot at its centre: pass w/2, h/2.
// Null when the size is not positive or the pixels are missing.
HICON createIconFromPixels(int width, int height, const uint32_t* argbTopDown, int hotX, int hotY,
                           bool isCursor);

struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argbTopDown;  // 0xAARRGGBB, straight alpha
    int hotX = 0;
    int hotY = 0;
    bool isCursor = false;
};
// A copy of what the icon was built from; false for a handle that is not a live icon.
bool iconPixels(HICON icon, IconPixels* out);

// The colour of a solid brush (stock or CreateSolidBrush); false otherwise
// (also for NULL_BRUSH, which paints nothing).
bool brushColor(HBRUSH brush, COLORREF* out);

namespace gdi {

enum class ObjectKind : uint8_t { Dc = 1, Bitmap, Font, Brush, Icon };

struct GdiObject {
    explicit GdiObject(ObjectKind k) : kind(k) {}
    virtual ~GdiObject() = default;
    ObjectKind kind;
    bool stock = false;  // stock objects ignore DeleteObject
};

// 1 bit per pixel (monochrome, stored one byte per pixel, 0 or 1) or 32 bits
// per pixel (0x00RRGGBB, or 0xAARRGGBB for an icon's colour bitmap).
struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(ObjectKind::Bitmap) {}
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    uint8_t* topRow = nullptr;  // first byte of the top row
    ptrdiff_t pitch = 0;        // bytes from one row to the one below; negative for bottom-up DIBs
    std::vector<uint8_t> storage;
    bool isDibSection = false;
    uint8_t* dibBits = nullptr;  // what CreateDIBSection handed out (the DIB's first row in memory)
    BITMAPINFOHEADER dibHeader{};
    HDC selectedInto = nullptr;  // a bitmap lives in at most one DC

    uint8_t* row(int y) const { return topRow + pitch * y; }
};

class FontFace;  // font_face.h

struct FontObject : GdiObject {
    FontObject() : GdiObject(ObjectKind::Font) {}
    std::shared_ptr<FontFace> face;  // null when no font file could be loaded
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(ObjectKind::Brush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct IconObject : GdiObject {
    IconObject() : GdiObject(ObjectKind::Icon) {}
    IconPixels pixels;
    // Icons made by CreateIconIndirect keep copies of the bitmaps they were
    // given, so GetIconInfo hands back what went in (a monochrome icon has no
    // colour bitmap and a mask of twice its height). Null for icons built
    // from pixels.
    std::unique_ptr<BitmapObject> mask;
    std::unique_ptr<BitmapObject> color;
};

enum class DcKind : uint8_t { Memory, Screen, Window };

struct DcObject : GdiObject {
    DcObject() : GdiObject(ObjectKind::Dc) {}
    DcKind dcKind = DcKind::Memory;
    HWND window = nullptr;
    HBITMAP bitmap = nullptr;
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int mapMode = MM_TEXT;
    // Window DCs: the client pixels locked for this DC's lifetime.
    uint32_t* clientPixels = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
};

// Serialises all GDI calls; the lookups below need it held.
class ObjectLock {
public:
    ObjectLock();
    ~ObjectLock();
    ObjectLock(const ObjectLock&) = delete;
    ObjectLock& operator=(const ObjectLock&) = delete;

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

// Takes ownership; returns the new handle, or null when the table is full.
void* addObject(std::unique_ptr<GdiObject> object);
// The live object of that kind behind the handle, or null.
GdiObject* lookup(const void* handle, ObjectKind kind);
DcObject* lookupDc(HDC dc);
BitmapObject* lookupBitmap(HGDIOBJ bitmap);
FontObject* lookupFont(HGDIOBJ font);
BrushObject* lookupBrush(HGDIOBJ brush);
IconObject* lookupIcon(HICON icon);
// Frees the slot; the handle and every copy of it become stale.
void removeObject(const void* handle);

// A DC's initial selections, shared by all DCs as on Windows.
HBITMAP defaultBitmap();
HFONT systemFont();

// A DC in its initial state: the default bitmap (memory DCs), the system
// font, the white brush, black text on an opaque white background, TA_TOP.
std::unique_ptr<DcObject> makeDc(DcKind kind);
// Gives back the DC's bitmap so it may be selected elsewhere or deleted.
void releaseSelections(DcObject& dc);

// Where a DC's drawing lands: 32-bit pixels, 0x00RRGGBB. Empty (width 0) for
// the screen, a monochrome bitmap or a window DC with no client area.
struct Surface {
    uint8_t* topRow = nullptr;
    ptrdiff_t pitch = 0;  // bytes
    int width = 0;
    int height = 0;
    uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(topRow + pitch * y); }
};
Surface surfaceOf(const DcObject& dc);

// A 32-bit bitmap with zeroed storage of its own, rows top-down; null if too big.
std::unique_ptr<BitmapObject> makeBitmap(int width, int height, int bitsPerPixel);
// A copy of `source` with storage of its own, rows top-down; null if too big.
std::unique_ptr<BitmapObject> copyBitmap(const BitmapObject& source);

}  // namespace gdi
}  // namespace platform
