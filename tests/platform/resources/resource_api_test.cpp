// The Windows build's resources through the real API under Wine: the compiled
// script loads as the menu bar, accelerator table, icon and dialog template
// the program asks for, holding what the Linux tables hold (both compare
// with expected_resources.h and the committed .ico).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/platform/resources/expected_resources.h"
#include "tests/platform/resources/ico_file.h"

namespace {

HINSTANCE self()
{
    return GetModuleHandle(nullptr);
}

// Reads the extended dialog template the resource compiler wrote
// (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries, as documented).
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    template <typename T>
    T read()
    {
        T value{};
        if (at_ + sizeof value > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // A name or ordinal: 0xFFFF then a 16-bit value, or a UTF-16 string
    // (ASCII here). `ordinal` is 0 for a string.
    std::string nameOrOrdinal(WORD* ordinal)
    {
        *ordinal = 0;
        WORD first = read<WORD>();
        if (first == 0xFFFF) {
            *ordinal = read<WORD>();
            return std::string();
        }
        std::string text;
        for (WORD c = first; c != 0 && ok_; c = read<WORD>()) text += static_cast<char>(c);
        return text;
    }
    std::string string()
    {
        WORD ordinal = 0;
        return nameOrOrdinal(&ordinal);
    }
    void alignToDword() { at_ = (at_ + 3) & ~size_t(3); }
    void skip(size_t bytes) { at_ += bytes; }

private:
    const BYTE* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

// The predefined class atoms of dialog items.
const char* classOfAtom(WORD atom)
{
    switch (atom) {
    case 0x0080: return "Button";
    case 0x0082: return "Static";
    case 0x0085: return "ComboBox";
    default: return "?";
    }
}

std::string menuString(HMENU menu, UINT position)
{
    char text[128] = {};
    const int length = GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return std::string(text, length > 0 ? length : 0);
}

}  // namespace

TEST(MenuResource, LoadsAsTheMenuBarOfTheScript)
{
    HMENU menu = LoadMenuA(self(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr) << GetLastError();
    ASSERT_EQ(GetMenuItemCount(menu), int(expected::menuBarCount));
    for (size_t i = 0; i < expected::menuBarCount; ++i) {
        const expected::Popup& want = expected::menuBar[i];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(menuString(menu, UINT(i)), want.text);
        HMENU popup = GetSubMenu(menu, int(i));
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), int(want.itemCount));
        for (size_t j = 0; j < want.itemCount; ++j) {
            SCOPED_TRACE("item " + std::to_string(j));
            const UINT state = GetMenuState(popup, UINT(j), MF_BYPOSITION);
            EXPECT_EQ(state & (MF_CHECKED | MF_POPUP), 0u);
            if (want.items[j].text == nullptr) {
                // The system reports separators disabled, whatever the script says.
                EXPECT_NE(state & MF_SEPARATOR, 0u);
            } else {
                EXPECT_EQ(state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED), 0u);
                EXPECT_EQ(menuString(popup, UINT(j)), want.items[j].text);
                EXPECT_EQ(GetMenuItemID(popup, int(j)), want.items[j].id);
            }
        }
    }
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST(AcceleratorResource, LoadsTheEntriesOfTheScriptInOrder)
{
    HACCEL table = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_MAIN_ACCEL));
    ASSERT_NE(table, nullptr) << GetLastError();
    ASSERT_EQ(CopyAcceleratorTableA(table, nullptr, 0), int(expected::acceleratorCount));
    std::vector<ACCEL> entries(expected::acceleratorCount);
    ASSERT_EQ(CopyAcceleratorTableA(table, entries.data(), int(entries.size())), int(entries.size()));
    for (size_t i = 0; i < expected::acceleratorCount; ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(entries[i].fVirt, expected::accelerators[i].flags);
        EXPECT_EQ(entries[i].key, expected::accelerators[i].key);
        EXPECT_EQ(entries[i].cmd, expected::accelerators[i].command);
    }
}

TEST(IconResource, LoadsEachSizeOfTheIconFile)
{
    std::vector<icofile::Image> file;
    std::string why;
    ASSERT_TRUE(icofile::read(Q31_ICON_PATH, &file, &why)) << why;
    ASSERT_EQ(file.size(), sizeof expected::iconSizes / sizeof expected::iconSizes[0]);

    EXPECT_NE(LoadIconA(self(), MAKEINTRESOURCEA(IDI_MAIN_ICON)), nullptr) << GetLastError();
    for (int size : expected::iconSizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        const icofile::Image* source = icofile::findSize(file, size);
        ASSERT_NE(source, nullptr);
        HICON icon = static_cast<HICON>(
            LoadImageA(self(), MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << GetLastError();
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);

        // The colour plane read back top-down as 32-bit BGRA; where the file is
        // opaque the colours must be the file's.
        BITMAPINFO request = {};
        request.bmiHeader.biSize = sizeof request.bmiHeader;
        request.bmiHeader.biWidth = size;
        request.bmiHeader.biHeight = -size;
        request.bmiHeader.biPlanes = 1;
        request.bmiHeader.biBitCount = 32;
        request.bmiHeader.biCompression = BI_RGB;
        std::vector<uint32_t> pixels(size_t(size) * size);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &request, DIB_RGB_COLORS), size);
        ReleaseDC(nullptr, screen);
        size_t opaque = 0, mismatches = 0;
        for (size_t p = 0; p < pixels.size(); ++p) {
            if (source->argb[p] >> 24 != 0xFF) continue;
            ++opaque;
            mismatches += (pixels[p] & 0xFFFFFF) != (source->argb[p] & 0xFFFFFF);
        }
        EXPECT_GT(opaque, pixels.size() / 4);
        EXPECT_EQ(mismatches, 0u);

        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(DialogResource, HoldsTheSettingsDialogOfTheScriptInTabOrder)
{
    HRSRC found = FindResourceA(self(), MAKEINTRESOURCEA(IDD_SELECTDEVICE), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(found, nullptr) << GetLastError();
    HGLOBAL loaded = LoadResource(self(), found);
    ASSERT_NE(loaded, nullptr);
    TemplateReader in(static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(self(), found));
    EXPECT_EQ(in.read<WORD>(), 1);       // dlgVer
    EXPECT_EQ(in.read<WORD>(), 0xFFFF);  // signature: extended
    in.read<DWORD>();                    // helpID
    EXPECT_EQ(in.read<DWORD>(), 0u);     // exStyle
    EXPECT_EQ(in.read<DWORD>(), expected::dialogStyle);
    const WORD count = in.read<WORD>();
    EXPECT_EQ(in.read<SHORT>(), 0);
    EXPECT_EQ(in.read<SHORT>(), 0);
    EXPECT_EQ(in.read<SHORT>(), expected::dialogWidth);
    EXPECT_EQ(in.read<SHORT>(), expected::dialogHeight);
    EXPECT_EQ(in.string(), "");  // no menu
    EXPECT_EQ(in.string(), "");  // the system's dialog class
    EXPECT_EQ(in.string(), expected::dialogCaption);
    EXPECT_EQ(in.read<WORD>(), expected::dialogPointSize);
    in.read<WORD>();  // weight
    in.read<BYTE>();  // italic
    in.read<BYTE>();  // charset
    EXPECT_EQ(in.string(), expected::dialogFace);
    ASSERT_EQ(count, expected::dialogControlCount);
    for (size_t i = 0; i < expected::dialogControlCount && in.ok(); ++i) {
        const expected::DialogItem& want = expected::dialogControls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " " + want.text);
        in.alignToDword();
        in.read<DWORD>();  // helpID
        EXPECT_EQ(in.read<DWORD>(), 0u);
        EXPECT_EQ(in.read<DWORD>(), expected::controlStyle(want));
        EXPECT_EQ(in.read<SHORT>(), want.x);
        EXPECT_EQ(in.read<SHORT>(), want.y);
        EXPECT_EQ(in.read<SHORT>(), want.width);
        EXPECT_EQ(in.read<SHORT>(), want.height);
        EXPECT_EQ(static_cast<int>(in.read<DWORD>()), want.id);
        // An atom, or the class name of a CONTROL statement (class names
        // know no case; the compiler may write it in capitals).
        WORD atom = 0;
        const std::string name = in.nameOrOrdinal(&atom);
        const std::string found = atom ? classOfAtom(atom) : name;
        EXPECT_EQ(lstrcmpiA(found.c_str(), expected::className(want.kind)), 0) << found;
        EXPECT_EQ(in.string(), want.text);
        in.skip(in.read<WORD>());  // creation data
    }
    EXPECT_TRUE(in.ok());
}

TEST(ResourceLookup, AnIdOfAnotherKindIsNotFound)
{
    EXPECT_EQ(LoadMenuA(self(), MAKEINTRESOURCEA(IDR_MAIN_ACCEL)), nullptr);
    EXPECT_EQ(LoadAcceleratorsA(self(), MAKEINTRESOURCEA(IDR_MAIN_MENU)), nullptr);
}
