// The handle table, stock objects and the calls that work on any object kind:
// GetStockObject, SelectObject, DeleteObject, GetObjectA, GetObjectType,
// CreateSolidBrush.
#include "gdi/gdi_objects.h"

#include "gdi/font_face.h"

#include <cstring>

namespace platform {
namespace gdi {
namespace {

// Handle value: kind in bits 48..55, generation in 24..47, slot + 1 in 0..23.
// The kind byte keeps handles of one kind from ever looking like another's.
constexpr uint64_t kSlotBits = 24;
constexpr uint64_t kSlotMask = (uint64_t(1) << kSlotBits) - 1;
constexpr uint64_t kGenerationMask = (uint64_t(1) << 24) - 1;
// Windows' default per-process quota is 10000; a little more room here.
constexpr size_t kMaxObjects = 65536;

struct Slot {
    std::unique_ptr<GdiObject> object;
    uint32_t generation = 1;
};

struct Table {
    std::recursive_mutex mutex;
    std::vector<Slot> slots;
    std::vector<size_t> freeSlots;
};

Table& table() {
    static Table* t = new Table;  // never destroyed: handles may be used during exit
    return *t;
}

void* encode(size_t slot, uint32_t generation, ObjectKind kind) {
    uint64_t v = (uint64_t(kind) << 48) | ((uint64_t(generation) & kGenerationMask) << kSlotBits) | (slot + 1);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(v));
}

Slot* slotOf(const void* handle) {
    uint64_t v = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    uint64_t slot = v & kSlotMask;
    if (slot == 0)
        return nullptr;
    Table& t = table();
    if (slot - 1 >= t.slots.size())
        return nullptr;
    Slot& s = t.slots[slot - 1];
    if (!s.object)
        return nullptr;
    if (encode(slot - 1, s.generation, s.object->kind) != handle)
        return nullptr;
    return &s;
}

bool isSelectedAnywhere(const void* handle) {
    for (Slot& s : table().slots) {
        if (!s.object || s.object->kind != ObjectKind::Dc)
            continue;
        auto* dc = static_cast<DcObject*>(s.object.get());
        if (dc->bitmap == handle || dc->font == handle || dc->brush == handle)
            return true;
    }
    return false;
}

HGDIOBJ makeStockBrush(COLORREF color, bool hollow) {
    auto brush = std::make_unique<BrushObject>();
    brush->stock = true;
    brush->color = color;
    brush->hollow = hollow;
    return addObject(std::move(brush));
}

// Faces Windows users know for these fonts, matched through fontconfig.
HGDIOBJ makeStockFont(int height, int weight, const char* face) {
    FontRequest request;
    request.height = height;
    request.weight = weight;
    request.faceName = face;
    std::unique_ptr<FontObject> font = makeFontObject(request);
    font->stock = true;
    return addObject(std::move(font));
}

HGDIOBJ createStock(int index) {
    switch (index) {
    case WHITE_BRUSH: return makeStockBrush(RGB(255, 255, 255), false);
    case LTGRAY_BRUSH: return makeStockBrush(RGB(192, 192, 192), false);
    case GRAY_BRUSH: return makeStockBrush(RGB(128, 128, 128), false);
    case DKGRAY_BRUSH: return makeStockBrush(RGB(64, 64, 64), false);
    case BLACK_BRUSH: return makeStockBrush(RGB(0, 0, 0), false);
    case NULL_BRUSH: return makeStockBrush(RGB(0, 0, 0), true);
    case DC_BRUSH: return makeStockBrush(RGB(255, 255, 255), false);
    // The system font: a bold sans-serif with Windows' 16-pixel cell.
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: return makeStockFont(16, FW_BOLD, "Arial");
    case DEFAULT_GUI_FONT:
    case ANSI_VAR_FONT: return makeStockFont(-11, FW_NORMAL, "Arial");
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: return makeStockFont(16, FW_NORMAL, "Courier New");
    default: return nullptr;
    }
}

constexpr int kStockCount = DC_PEN + 1;

}  // namespace

ObjectLock::ObjectLock() : lock_(table().mutex) {}
ObjectLock::~ObjectLock() = default;

void* addObject(std::unique_ptr<GdiObject> object) {
    if (!object)
        return nullptr;
    Table& t = table();
    size_t slot;
    if (!t.freeSlots.empty()) {
        slot = t.freeSlots.back();
        t.freeSlots.pop_back();
    } else {
        if (t.slots.size() >= kMaxObjects)
            return nullptr;
        slot = t.slots.size();
        t.slots.emplace_back();
    }
    Slot& s = t.slots[slot];
    ObjectKind kind = object->kind;
    s.object = std::move(object);
    return encode(slot, s.generation, kind);
}

GdiObject* lookup(const void* handle, ObjectKind kind) {
    Slot* s = slotOf(handle);
    if (!s || s->object->kind != kind)
        return nullptr;
    return s->object.get();
}

DcObject* lookupDc(HDC dc) { return static_cast<DcObject*>(lookup(dc, ObjectKind::Dc)); }
BitmapObject* lookupBitmap(HGDIOBJ bitmap) { return static_cast<BitmapObject*>(lookup(bitmap, ObjectKind::Bitmap)); }
FontObject* lookupFont(HGDIOBJ font) { return static_cast<FontObject*>(lookup(font, ObjectKind::Font)); }
BrushObject* lookupBrush(HGDIOBJ brush) { return static_cast<BrushObject*>(lookup(brush, ObjectKind::Brush)); }
IconObject* lookupIcon(HICON icon) { return static_cast<IconObject*>(lookup(icon, ObjectKind::Icon)); }

void removeObject(const void* handle) {
    Slot* s = slotOf(handle);
    if (!s)
        return;
    s->object.reset();
    s->generation = (s->generation + 1) & kGenerationMask;
    if (s->generation == 0)
        s->generation = 1;
    table().freeSlots.push_back(static_cast<size_t>(s - table().slots.data()));
}

HBITMAP defaultBitmap() {
    static HBITMAP bitmap = [] {
        std::unique_ptr<BitmapObject> b = makeBitmap(1, 1, 1);
        b->stock = true;
        return static_cast<HBITMAP>(addObject(std::move(b)));
    }();
    return bitmap;
}

HFONT systemFont() { return static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

}  // namespace gdi

bool brushColor(HBRUSH brush, COLORREF* out) {
    gdi::ObjectLock lock;
    gdi::BrushObject* b = gdi::lookupBrush(brush);
    if (!b || b->hollow || !out)
        return false;
    *out = b->color;
    return true;
}

}  // namespace platform

using namespace platform::gdi;

HGDIOBJ WINAPI GetStockObject(int i) {
    ObjectLock lock;
    static HGDIOBJ stock[kStockCount] = {};
    if (i < 0 || i >= kStockCount)
        return nullptr;
    if (!stock[i])
        stock[i] = createStock(i);
    return stock[i];
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    ObjectLock lock;
    DcObject* dc = lookupDc(hdc);
    if (!dc)
        return nullptr;
    if (BitmapObject* bitmap = lookupBitmap(h)) {
        // Only memory DCs hold bitmaps; one DC per bitmap, except the shared default.
        if (dc->dcKind != DcKind::Memory)
            return nullptr;
        if (h == dc->bitmap)
            return h;
        if (!bitmap->stock && bitmap->selectedInto)
            return nullptr;
        HGDIOBJ previous = dc->bitmap;
        if (BitmapObject* old = lookupBitmap(previous))
            old->selectedInto = nullptr;
        if (!bitmap->stock)
            bitmap->selectedInto = hdc;
        dc->bitmap = static_cast<HBITMAP>(h);
        return previous;
    }
    if (lookupFont(h)) {
        HGDIOBJ previous = dc->font;
        dc->font = static_cast<HFONT>(h);
        return previous;
    }
    if (lookupBrush(h)) {
        HGDIOBJ previous = dc->brush;
        dc->brush = static_cast<HBRUSH>(h);
        return previous;
    }
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    ObjectLock lock;
    GdiObject* object = lookupBitmap(ho);
    if (!object)
        object = lookupFont(ho);
    if (!object)
        object = lookupBrush(ho);
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    // Documented: an object still selected into a DC is not deleted.
    if (isSelectedAnywhere(ho))
        return FALSE;
    removeObject(ho);
    return TRUE;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    ObjectLock lock;
    BitmapObject* bitmap = lookupBitmap(h);
    if (!bitmap)
        return 0;
    // Asked for the size, Windows answers with the BITMAP record's, DIB section or not.
    if (!pv)
        return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP)))
        return 0;
    DIBSECTION ds;
    std::memset(&ds, 0, sizeof ds);
    ds.dsBm.bmType = 0;
    ds.dsBm.bmWidth = bitmap->width;
    ds.dsBm.bmHeight = bitmap->height;
    // Device bitmap rows are WORD-aligned, DIB rows DWORD-aligned; at 32 bits both are width * 4.
    ds.dsBm.bmWidthBytes = bitmap->bitsPerPixel == 1 ? ((bitmap->width + 15) / 16) * 2 : bitmap->width * 4;
    ds.dsBm.bmPlanes = 1;
    ds.dsBm.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    ds.dsBm.bmBits = bitmap->isDibSection ? bitmap->dibBits : nullptr;
    if (bitmap->isDibSection && c >= static_cast<int>(sizeof(DIBSECTION))) {
        ds.dsBmih = bitmap->dibHeader;
        std::memcpy(pv, &ds, sizeof(DIBSECTION));
        return sizeof(DIBSECTION);
    }
    std::memcpy(pv, &ds.dsBm, sizeof(BITMAP));
    return sizeof(BITMAP);
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    ObjectLock lock;
    if (DcObject* dc = lookupDc(static_cast<HDC>(h)))
        return dc->dcKind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
    if (lookupBitmap(h))
        return OBJ_BITMAP;
    if (lookupFont(h))
        return OBJ_FONT;
    if (lookupBrush(h))
        return OBJ_BRUSH;
    return 0;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    ObjectLock lock;
    auto brush = std::make_unique<BrushObject>();
    brush->color = color & 0x00FFFFFF;
    return static_cast<HBRUSH>(addObject(std::move(brush)));
}
