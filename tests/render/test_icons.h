// Icons made for the cursor tests through the published calls (CreateBitmap,
// CreateIconIndirect), so they are the same on both targets.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The colour test icon's pixel at (x, y): a gradient that tells rows and columns apart.
inline uint32_t testIconColor(int x, int y) { return uint32_t((x * 8) << 16 | (y * 8) << 8 | 0x40); }

class TestIcon {
public:
    // A 32 x 32 colour cursor with hot spot (5, 7): the gradient above, opaque
    // except where `transparent` says (AND mask 1).
    template <typename Transparent>
    static TestIcon color(Transparent transparent)
    {
        std::vector<uint32_t> pixels(32 * 32);
        std::vector<uint8_t> mask(4 * 32, 0);  // 1 bit per pixel, rows of 4 bytes (WORD-aligned)
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                pixels[size_t(y) * 32 + size_t(x)] = testIconColor(x, y);
                if (transparent(x, y)) mask[size_t(y) * 4 + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
            }
        return TestIcon(CreateBitmap(32, 32, 1, 1, mask.data()), CreateBitmap(32, 32, 1, 32, pixels.data()));
    }

    // A 32 x 64 monochrome mask: the AND half opaque left of x = 16, the XOR
    // half white on odd rows.
    static TestIcon monochrome()
    {
        std::vector<uint8_t> mask(4 * 64, 0);
        for (int y = 0; y < 32; ++y) {
            mask[size_t(y) * 4 + 2] = mask[size_t(y) * 4 + 3] = 0xFF;
            if (y % 2 == 1)
                for (int b = 0; b < 4; ++b) mask[size_t(32 + y) * 4 + size_t(b)] = 0xFF;
        }
        return TestIcon(CreateBitmap(32, 64, 1, 1, mask.data()), nullptr);
    }

    TestIcon(TestIcon&& other) noexcept : icon(other.icon) { other.icon = nullptr; }
    TestIcon(const TestIcon&) = delete;
    TestIcon& operator=(const TestIcon&) = delete;
    ~TestIcon()
    {
        if (icon) DestroyIcon(icon);
    }

    HICON icon = nullptr;

private:
    TestIcon(HBITMAP mask, HBITMAP colorBitmap)
    {
        ICONINFO info = {};
        info.fIcon = FALSE;
        info.xHotspot = 5;
        info.yHotspot = 7;
        info.hbmMask = mask;
        info.hbmColor = colorBitmap;
        if (mask) icon = CreateIconIndirect(&info);
        if (mask) DeleteObject(mask);
        if (colorBitmap) DeleteObject(colorBitmap);
    }
};
