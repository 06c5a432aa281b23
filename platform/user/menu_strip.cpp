// Layout and drawing of the menu strip and its popups; see menu_strip.h.
#include "platform/user/menu_strip.h"

#include "platform/user/compositor.h"
#include "platform/user/menu_loop.h"
#include "platform/user/menu_model.h"
#include "platform/user/user_state.h"

#include <imgui.h>

#include <algorithm>

namespace platform::user {

namespace {

constexpr int kBarPadding = 7;        // each side of a top-level label
constexpr int kPopupCheckColumn = 22; // left of the labels, for the check mark
constexpr int kShortcutGap = 28;      // between the widest label and the shortcuts
constexpr int kPopupRightMargin = 18;
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr int kPopupBorder = 3;

constexpr ImU32 kStripColor = IM_COL32(240, 240, 240, 255);
constexpr ImU32 kPopupColor = IM_COL32(242, 242, 242, 255);
constexpr ImU32 kBorderColor = IM_COL32(160, 160, 160, 255);
constexpr ImU32 kHotColor = IM_COL32(204, 232, 255, 255);
constexpr ImU32 kHotBorderColor = IM_COL32(153, 209, 255, 255);
constexpr ImU32 kTextColor = IM_COL32(0, 0, 0, 255);
constexpr ImU32 kGrayedColor = IM_COL32(109, 109, 109, 255);
constexpr ImU32 kSeparatorColor = IM_COL32(215, 215, 215, 255);

Compositor* compositorOf(HWND handle)
{
    Window* window = findWindow(handle);
    return window && window->hasMenuStrip() ? window->compositor.get() : nullptr;
}

int textWidth(const Compositor& compositor, const std::string& text)
{
    return compositor.measureText(text.data(), text.data() + text.size()).cx;
}

ImVec2 at(LONG x, LONG y)
{
    return ImVec2(static_cast<float>(x), static_cast<float>(y));
}

// Label text with its mnemonic underlined, vertically centred in `box`.
void drawLabel(ImDrawList* list, const Compositor& compositor, const ItemText& text, LONG x, const RECT& box,
               ImU32 color)
{
    ImFont* font = ImGui::GetFont();
    const float size = ImGui::GetFontSize();
    const float y = static_cast<float>(box.top) + (static_cast<float>(box.bottom - box.top) - size) * 0.5f;
    list->AddText(font, size, ImVec2(static_cast<float>(x), y), color, text.label.c_str());
    if (text.mnemonic < 0) return;
    const char* begin = text.label.c_str();
    const float left = static_cast<float>(x + compositor.measureText(begin, begin + text.mnemonic).cx);
    const float right = static_cast<float>(x + compositor.measureText(begin, begin + text.mnemonic + 1).cx);
    const float baseline = y + font->Ascent * size / font->FontSize + 1.0f;
    list->AddLine(ImVec2(left, baseline), ImVec2(right, baseline), color, 1.0f);
}

void drawPopup(HWND window, const Compositor& compositor, ImDrawList* list, const MenuTracking& tracking)
{
    PopupLayout layout;
    if (!menuPopupLayout(window, tracking.barIndex, &layout)) return;
    Menu* bar = findMenu(tracking.bar);
    Menu* popup = bar ? findMenu(bar->items[static_cast<size_t>(tracking.barIndex)].popup) : nullptr;
    if (!popup) return;
    list->AddRectFilled(at(layout.frame.left, layout.frame.top), at(layout.frame.right, layout.frame.bottom),
                        kPopupColor);
    list->AddRect(at(layout.frame.left, layout.frame.top), at(layout.frame.right, layout.frame.bottom),
                  kBorderColor);
    for (size_t i = 0; i < popup->items.size() && i < layout.items.size(); ++i) {
        const MenuItem& item = popup->items[i];
        const RECT& box = layout.items[i];
        if (item.separator()) {
            const float y = static_cast<float>((box.top + box.bottom) / 2);
            list->AddLine(ImVec2(static_cast<float>(box.left + 2), y), ImVec2(static_cast<float>(box.right - 2), y),
                          kSeparatorColor);
            continue;
        }
        if (static_cast<int>(i) == tracking.itemIndex) {
            list->AddRectFilled(at(box.left, box.top), at(box.right, box.bottom), kHotColor);
            list->AddRect(at(box.left, box.top), at(box.right, box.bottom), kHotBorderColor);
        }
        const ImU32 color = item.enabled() ? kTextColor : kGrayedColor;
        if (item.flags & MF_CHECKED) {
            const float cx = static_cast<float>(box.left + kPopupCheckColumn / 2);
            const float cy = static_cast<float>((box.top + box.bottom) / 2);
            list->AddLine(ImVec2(cx - 4, cy), ImVec2(cx - 1, cy + 3), color, 1.5f);
            list->AddLine(ImVec2(cx - 1, cy + 3), ImVec2(cx + 5, cy - 4), color, 1.5f);
        }
        const ItemText text = splitItemText(item.text);
        drawLabel(list, compositor, text, box.left + kPopupCheckColumn, box, color);
        if (!text.shortcut.empty()) {
            const LONG right = box.right - kPopupRightMargin;
            const LONG x = right - textWidth(compositor, text.shortcut);
            ItemText shortcut{text.shortcut, {}, -1};
            drawLabel(list, compositor, shortcut, x, box, color);
        }
        if (item.popup) {
            const float cx = static_cast<float>(box.right - 8);
            const float cy = static_cast<float>((box.top + box.bottom) / 2);
            list->AddTriangleFilled(ImVec2(cx - 3, cy - 4), ImVec2(cx - 3, cy + 4), ImVec2(cx + 1, cy), color);
        }
    }
}

}  // namespace

ItemText splitItemText(const std::string& text)
{
    ItemText result;
    const size_t tab = text.find('\t');
    const std::string label = text.substr(0, tab);
    if (tab != std::string::npos) result.shortcut = text.substr(tab + 1);
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
            if (label[i] != '&' && result.mnemonic < 0) result.mnemonic = static_cast<int>(result.label.size());
        }
        result.label += label[i];
    }
    return result;
}

void menuBarLayout(HWND window, std::vector<RECT>* rects)
{
    rects->clear();
    Compositor* compositor = compositorOf(window);
    Window* record = findWindow(window);
    Menu* bar = record ? findMenu(record->menu) : nullptr;
    if (!compositor || !bar) return;
    LONG x = 0;
    for (const MenuItem& item : bar->items) {
        const LONG width = textWidth(*compositor, splitItemText(item.text).label) + 2 * kBarPadding;
        rects->push_back(RECT{x, 0, x + width, kMenuStripHeight});
        x += width;
    }
}

std::vector<RECT> menuBarLayout(HWND window)
{
    std::vector<RECT> rects;
    menuBarLayout(window, &rects);
    return rects;
}

bool menuPopupLayout(HWND window, int barIndex, PopupLayout* out)
{
    const std::vector<RECT> barRects = menuBarLayout(window);
    if (barIndex < 0 || static_cast<size_t>(barIndex) >= barRects.size()) return false;
    Window* record = findWindow(window);
    Menu* bar = findMenu(record->menu);
    Menu* popup = findMenu(bar->items[static_cast<size_t>(barIndex)].popup);
    if (!popup) return false;
    const Compositor& compositor = *record->compositor;
    int labelWidth = 0, shortcutWidth = 0;
    for (const MenuItem& item : popup->items) {
        const ItemText text = splitItemText(item.text);
        labelWidth = std::max(labelWidth, textWidth(compositor, text.label));
        if (!text.shortcut.empty()) shortcutWidth = std::max(shortcutWidth, textWidth(compositor, text.shortcut));
    }
    const LONG width = kPopupCheckColumn + labelWidth + (shortcutWidth ? kShortcutGap + shortcutWidth : 0) +
                       kPopupRightMargin + 2 * kPopupBorder;
    const LONG left = barRects[static_cast<size_t>(barIndex)].left;
    LONG y = kMenuStripHeight + kPopupBorder;
    out->items.clear();
    for (const MenuItem& item : popup->items) {
        const LONG height = item.separator() ? kSeparatorHeight : kItemHeight;
        out->items.push_back(RECT{left + kPopupBorder, y, left + width - kPopupBorder, y + height});
        y += height;
    }
    out->frame = RECT{left, kMenuStripHeight, left + width, y + kPopupBorder};
    return true;
}

void paintMenuStrip(HWND window, const Compositor& compositor, ImDrawList* list)
{
    Window* record = findWindow(window);
    if (!record || !record->hasMenuStrip()) return;
    const float width = ImGui::GetIO().DisplaySize.x;
    list->AddRectFilled(ImVec2(0, 0), ImVec2(width, static_cast<float>(kMenuStripHeight)), kStripColor);
    Menu* bar = findMenu(record->menu);
    if (!bar) return;
    const MenuTracking* tracking = menuTracking();
    if (tracking && tracking->window != window) tracking = nullptr;
    // Kept between frames: the strip is drawn with every frame presented.
    static std::vector<RECT> rects;
    menuBarLayout(window, &rects);
    for (size_t i = 0; i < rects.size(); ++i) {
        const MenuItem& item = bar->items[i];
        const RECT& box = rects[i];
        if (tracking && tracking->barIndex == static_cast<int>(i)) {
            list->AddRectFilled(at(box.left, box.top), at(box.right, box.bottom), kHotColor);
            list->AddRect(at(box.left, box.top), at(box.right, box.bottom), kHotBorderColor);
        }
        drawLabel(list, compositor, splitItemText(item.text), box.left + kBarPadding, box,
                  item.enabled() ? kTextColor : kGrayedColor);
    }
    if (tracking && tracking->popupOpen) drawPopup(window, compositor, list, *tracking);
}

bool menuStripOnly(HWND window)
{
    const MenuTracking* tracking = menuTracking();
    return !tracking || tracking->window != window || !tracking->popupOpen;
}

}  // namespace platform::user
