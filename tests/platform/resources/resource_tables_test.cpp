// The tables the Linux build compiled from resources/quorvane31.rc hold what
// the script says: the menu bar, the accelerators, the settings dialog's
// template, and the icon's pixels as the .ico file has them (read here by
// its own small reader).
#include "platform/resources/resource_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/platform/resources/expected_resources.h"
#include "tests/platform/resources/ico_file.h"

TEST(MenuTable, HoldsTheMenuBarOfTheScript)
{
    const platform::MenuTemplate* menu = platform::findMenuTemplate(IDR_MAIN_MENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->id, UINT(IDR_MAIN_MENU));
    ASSERT_EQ(menu->itemCount, expected::menuBarCount);
    for (size_t i = 0; i < expected::menuBarCount; ++i) {
        const expected::Popup& want = expected::menuBar[i];
        const platform::MenuItemTemplate& popup = menu->items[i];
        SCOPED_TRACE(want.text);
        EXPECT_STREQ(popup.text, want.text);
        EXPECT_TRUE(popup.popup);
        EXPECT_FALSE(popup.separator);
        EXPECT_FALSE(popup.grayed);
        EXPECT_EQ(popup.id, 0u);
        ASSERT_EQ(popup.childCount, want.itemCount);
        for (size_t j = 0; j < want.itemCount; ++j) {
            const platform::MenuItemTemplate& item = popup.children[j];
            SCOPED_TRACE("item " + std::to_string(j));
            EXPECT_FALSE(item.popup);
            EXPECT_FALSE(item.grayed);
            EXPECT_FALSE(item.checked);
            EXPECT_EQ(item.childCount, 0u);
            if (want.items[j].text == nullptr) {
                EXPECT_TRUE(item.separator);
                EXPECT_EQ(item.text, nullptr);
                EXPECT_EQ(item.id, 0u);
            } else {
                EXPECT_FALSE(item.separator);
                EXPECT_STREQ(item.text, want.items[j].text);
                EXPECT_EQ(item.id, want.items[j].id);
            }
        }
    }
}

TEST(AcceleratorTable, HoldsTheEntriesOfTheScriptInOrder)
{
    const platform::AcceleratorTemplate* table = platform::findAcceleratorTemplate(IDR_MAIN_ACCEL);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->entryCount, expected::acceleratorCount);
    for (size_t i = 0; i < expected::acceleratorCount; ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(table->entries[i].fVirt, expected::accelerators[i].flags);
        EXPECT_EQ(table->entries[i].key, expected::accelerators[i].key);
        EXPECT_EQ(table->entries[i].cmd, expected::accelerators[i].command);
    }
}

TEST(IconTable, HoldsThePixelsOfTheIconFileLargestFirst)
{
    std::vector<icofile::Image> file;
    std::string why;
    ASSERT_TRUE(icofile::read(Q31_ICON_PATH, &file, &why)) << why;

    const platform::IconTemplate* icon = platform::findIconTemplate(IDI_MAIN_ICON);
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(icon->imageCount, sizeof expected::iconSizes / sizeof expected::iconSizes[0]);
    ASSERT_EQ(file.size(), icon->imageCount);
    for (size_t i = 0; i < icon->imageCount; ++i) {
        const platform::IconImageTemplate& image = icon->images[i];
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(image.width, expected::iconSizes[i]);
        EXPECT_EQ(image.height, expected::iconSizes[i]);
        const icofile::Image* source = icofile::findSize(file, image.width);
        ASSERT_NE(source, nullptr);
        ASSERT_EQ(source->argb.size(), size_t(image.width) * image.height);
        size_t mismatches = 0;
        for (size_t p = 0; p < source->argb.size(); ++p) mismatches += image.pixels[p] != source->argb[p];
        EXPECT_EQ(mismatches, 0u);
        // A chest on a clear background: corners see through, the middle does not.
        EXPECT_EQ(image.pixels[0] >> 24, 0u);
        EXPECT_EQ(image.pixels[size_t(image.width) * image.height - 1] >> 24, 0u);
        EXPECT_EQ(image.pixels[size_t(image.height / 2) * image.width + image.width / 2] >> 24, 0xFFu);
    }
}

TEST(DialogTable, HoldsTheSettingsDialogOfTheScriptInTabOrder)
{
    const platform::DialogTemplate* dialog = platform::findDialogTemplate(IDD_SELECTDEVICE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->style, expected::dialogStyle);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->width, expected::dialogWidth);
    EXPECT_EQ(dialog->height, expected::dialogHeight);
    EXPECT_STREQ(dialog->caption, expected::dialogCaption);
    EXPECT_EQ(dialog->pointSize, expected::dialogPointSize);
    EXPECT_STREQ(dialog->faceName, expected::dialogFace);
    ASSERT_EQ(dialog->controlCount, expected::dialogControlCount);
    for (size_t i = 0; i < expected::dialogControlCount; ++i) {
        const expected::DialogItem& want = expected::dialogControls[i];
        const platform::DialogControlTemplate& control = dialog->controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " " + want.text);
        EXPECT_STREQ(control.className, expected::className(want.kind));
        EXPECT_STREQ(control.text, want.text);
        // -1 as the extended template stores it.
        EXPECT_EQ(static_cast<int>(control.id), want.id);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.width, want.width);
        EXPECT_EQ(control.height, want.height);
        EXPECT_EQ(control.style, expected::controlStyle(want));
        EXPECT_EQ(control.exStyle, 0u);
    }
}

TEST(ResourceLookup, AnIdTheScriptDoesNotDefineForThatKindGivesNull)
{
    EXPECT_EQ(platform::findMenuTemplate(IDR_MAIN_ACCEL), nullptr);
    EXPECT_EQ(platform::findAcceleratorTemplate(IDR_MAIN_MENU), nullptr);
    EXPECT_EQ(platform::findIconTemplate(IDR_MAIN_MENU), nullptr);
    EXPECT_EQ(platform::findMenuTemplate(0), nullptr);
    EXPECT_EQ(platform::findDialogTemplate(IDR_MAIN_MENU), nullptr);
}
