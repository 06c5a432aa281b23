// How a dialog looks: the face, group boxes, labels, icons, drop-down lists,
// radio buttons, check boxes and push buttons drawn with Dear ImGui from the
// layer's state (texts, checks, enable state, selection, focus, the open
// list), in the colours of the system's classic light theme. Nothing here
// changes state; the compositor calls paintDialog inside its ImGui frame.
#include "platform/user/dialog_internal.h"
#include "platform/user/menu_strip.h"
#include "platform/user/user_state.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::user {

namespace {

constexpr ImU32 kFace = IM_COL32(240, 240, 240, 255);
constexpr ImU32 kText = IM_COL32(0, 0, 0, 255);
constexpr ImU32 kGrayText = IM_COL32(160, 160, 160, 255);
constexpr ImU32 kGroupLine = IM_COL32(213, 223, 229, 255);
constexpr ImU32 kButtonFace = IM_COL32(225, 225, 225, 255);
constexpr ImU32 kButtonPressed = IM_COL32(204, 228, 247, 255);
constexpr ImU32 kButtonBorder = IM_COL32(173, 173, 173, 255);
constexpr ImU32 kDisabledFace = IM_COL32(235, 235, 235, 255);
constexpr ImU32 kDisabledBorder = IM_COL32(204, 204, 204, 255);
constexpr ImU32 kAccent = IM_COL32(0, 120, 215, 255);
constexpr ImU32 kWindow = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kListBorder = IM_COL32(100, 100, 100, 255);
constexpr ImU32 kMark = IM_COL32(33, 33, 33, 255);
constexpr ImU32 kFocus = IM_COL32(60, 60, 60, 255);
constexpr ImU32 kStopRed = IM_COL32(224, 32, 36, 255);
constexpr ImU32 kInfoBlue = IM_COL32(24, 104, 204, 255);
constexpr ImU32 kWarningYellow = IM_COL32(252, 196, 24, 255);
constexpr ImU32 kWarningEdge = IM_COL32(176, 128, 0, 255);

ImVec2 at(float x, float y)
{
    return ImVec2(x, y);
}

struct Pen {
    ImDrawList* list;
    ImFont* font;
    float size;

    float width(const std::string& text) const { return font->CalcTextSizeA(size, 1.0e9f, 0.0f, text.c_str()).x; }
    void text(float x, float y, ImU32 color, const std::string& value) const
    {
        list->AddText(font, size, at(x, y), color, value.c_str());
    }
    // A control's text with its mnemonic letter underlined, as Windows shows
    // it with keyboard cues on (the underline is always drawn here).
    void label(float x, float y, ImU32 color, const ItemText& value) const
    {
        text(x, y, color, value.label);
        if (value.mnemonic < 0) return;
        const std::string before = value.label.substr(0, size_t(value.mnemonic));
        const float left = x + width(before);
        const float right = x + width(value.label.substr(0, size_t(value.mnemonic) + 1));
        // One whole pixel row below the baseline, so that it is as dark as the text.
        const float row = std::floor(y + font->Ascent * size / font->FontSize) + 1.0f;
        list->AddRectFilled(at(std::floor(left), row), at(std::floor(right), row + 1.0f), color);
    }
    void box(const RECT& r, ImU32 fill, ImU32 border) const
    {
        list->AddRectFilled(at(float(r.left), float(r.top)), at(float(r.right), float(r.bottom)), fill);
        list->AddRect(at(float(r.left), float(r.top)), at(float(r.right), float(r.bottom)), border);
    }
    // The dotted rectangle Windows draws around the control with the focus.
    void focus(RECT r) const
    {
        InflateRect(&r, -3, -3);
        for (LONG x = r.left; x < r.right; x += 2) {
            list->AddRectFilled(at(float(x), float(r.top)), at(float(x + 1), float(r.top + 1)), kFocus);
            list->AddRectFilled(at(float(x), float(r.bottom - 1)), at(float(x + 1), float(r.bottom)), kFocus);
        }
        for (LONG y = r.top; y < r.bottom; y += 2) {
            list->AddRectFilled(at(float(r.left), float(y)), at(float(r.left + 1), float(y + 1)), kFocus);
            list->AddRectFilled(at(float(r.right - 1), float(y)), at(float(r.right), float(y + 1)), kFocus);
        }
    }
};

std::string windowText(HWND control)
{
    char text[2048] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

ItemText label(HWND control)
{
    return splitItemText(windowText(control));
}

float middle(const RECT& r, float size)
{
    return float(r.top) + (float(r.bottom - r.top) - size) * 0.5f;
}

void drawGroupBox(const Pen& pen, const RECT& r, const ItemText& text, bool enabled)
{
    const float lineY = float(r.top) + pen.size * 0.5f;
    pen.list->AddRect(at(float(r.left), lineY), at(float(r.right), float(r.bottom)), kGroupLine);
    if (text.label.empty()) return;
    const float x = float(r.left) + 8.0f;
    pen.list->AddRectFilled(at(x - 2.0f, float(r.top)),
                            at(x + pen.width(text.label) + 2.0f, float(r.top) + pen.size), kFace);
    pen.label(x, float(r.top), enabled ? kText : kGrayText, text);
}

void drawButton(const Pen& pen, const RECT& r, const ItemText& text, const ControlState& state, bool enabled,
                bool focused, bool isDefault)
{
    const ImU32 fill = !enabled ? kDisabledFace : state.pressed ? kButtonPressed : kButtonFace;
    pen.box(r, fill, !enabled ? kDisabledBorder : (isDefault || focused) ? kAccent : kButtonBorder);
    if (enabled && isDefault) {
        const RECT inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        pen.list->AddRect(at(float(inner.left), float(inner.top)), at(float(inner.right), float(inner.bottom)), kAccent);
    }
    const float x = float(r.left + r.right) * 0.5f - pen.width(text.label) * 0.5f;
    pen.label(x, middle(r, pen.size), enabled ? kText : kGrayText, text);
    if (focused) pen.focus(r);
}

void drawMarkButton(const Pen& pen, const RECT& r, const ItemText& text, const ControlState& state, bool enabled,
                    bool focused)
{
    const float side = 13.0f;
    const float top = middle(r, side);
    const float left = float(r.left);
    const ImU32 border = enabled ? kMark : kDisabledBorder;
    const ImU32 mark = enabled ? kMark : kGrayText;
    const bool checked = state.check == BST_CHECKED;
    if (state.kind == ControlKind::RadioButton) {
        const ImVec2 centre(left + side * 0.5f, top + side * 0.5f);
        pen.list->AddCircleFilled(centre, side * 0.5f, kWindow, 24);
        pen.list->AddCircle(centre, side * 0.5f - 0.5f, border, 24);
        if (checked) pen.list->AddCircleFilled(centre, 3.5f, mark, 16);
    } else {
        pen.box(RECT{LONG(left), LONG(top), LONG(left + side), LONG(top + side)}, kWindow, border);
        if (checked) {
            pen.list->AddLine(at(left + 3, top + 6.5f), at(left + 5.5f, top + 9), mark, 1.6f);
            pen.list->AddLine(at(left + 5.5f, top + 9), at(left + 10, top + 3.5f), mark, 1.6f);
        }
    }
    const float x = left + side + 4.0f;
    pen.label(x, middle(r, pen.size), enabled ? kText : kGrayText, text);
    if (focused) {
        const RECT around{LONG(x) - 1, LONG(middle(r, pen.size)) - 1, LONG(x + pen.width(text.label)) + 2,
                          LONG(middle(r, pen.size) + pen.size) + 1};
        pen.focus(RECT{around.left - 3, around.top - 3, around.right + 3, around.bottom + 3});
    }
}

void drawArrow(const Pen& pen, float x, float y, ImU32 color)
{
    pen.list->AddLine(at(x - 4, y - 2), at(x, y + 2), color, 1.2f);
    pen.list->AddLine(at(x, y + 2), at(x + 4, y - 2), color, 1.2f);
}

void drawComboBox(const Pen& pen, const RECT& r, const ControlState& state, bool enabled, bool focused)
{
    pen.box(r, enabled ? kButtonFace : kDisabledFace, enabled ? (focused || state.dropped ? kAccent : kButtonBorder)
                                                              : kDisabledBorder);
    const float arrowWidth = 17.0f;
    drawArrow(pen, float(r.right) - arrowWidth * 0.5f, float(r.top + r.bottom) * 0.5f, enabled ? kMark : kGrayText);
    if (state.selection < 0 || state.selection >= static_cast<int>(state.items.size())) return;
    const ImVec4 clip(float(r.left + 1), float(r.top + 1), float(r.right) - arrowWidth, float(r.bottom - 1));
    pen.list->PushClipRect(ImVec2(clip.x, clip.y), ImVec2(clip.z, clip.w), true);
    pen.text(float(r.left + 4), middle(r, pen.size), enabled ? kText : kGrayText,
             state.items[static_cast<size_t>(state.selection)].text);
    pen.list->PopClipRect();
}

void drawDropDown(const Pen& pen, HWND combo, const ControlState& state)
{
    DropDownLayout layout;
    if (!dropDownLayout(combo, &layout)) return;
    pen.box(layout.frame, kWindow, kListBorder);
    const RECT& f = layout.frame;
    pen.list->PushClipRect(ImVec2(float(f.left + 1), float(f.top + 1)), ImVec2(float(f.right - 1), float(f.bottom - 1)),
                           true);
    for (int row = 0; row < layout.shownCount; ++row) {
        const int index = layout.firstShown + row;
        if (index >= static_cast<int>(state.items.size())) break;
        const RECT item = dropDownRow(layout, row);
        const bool hot = index == state.hot;
        if (hot) pen.list->AddRectFilled(at(float(item.left), float(item.top)), at(float(item.right), float(item.bottom)), kAccent);
        pen.text(float(item.left + 3), middle(item, pen.size), hot ? kWindow : kText,
                 state.items[static_cast<size_t>(index)].text);
    }
    pen.list->PopClipRect();
}


// The system icons message boxes show, drawn as shapes: a red disc with a
// white cross (stop), a blue disc with a white "?" (question), a yellow
// triangle with a black "!" (exclamation), a blue disc with a white "i"
// (information). `r` is the 32 x 32 icon cell.
void drawIcon(const Pen& pen, const RECT& r, int icon)
{
    const float x = float(r.left);
    const float y = float(r.top);
    const ImVec2 centre(x + 16.0f, y + 16.0f);
    switch (icon) {
    case 32513:
        pen.list->AddCircleFilled(centre, 15.0f, kStopRed, 48);
        pen.list->AddLine(at(x + 10.5f, y + 10.5f), at(x + 21.5f, y + 21.5f), kWindow, 3.0f);
        pen.list->AddLine(at(x + 21.5f, y + 10.5f), at(x + 10.5f, y + 21.5f), kWindow, 3.0f);
        break;
    case 32514: {
        pen.list->AddCircleFilled(centre, 15.0f, kInfoBlue, 48);
        const float size = 24.0f;
        const float width = pen.font->CalcTextSizeA(size, 1.0e9f, 0.0f, "?").x;
        pen.list->AddText(pen.font, size, at(centre.x - width * 0.5f, centre.y - size * 0.5f), kWindow, "?");
        pen.list->AddText(pen.font, size, at(centre.x - width * 0.5f + 0.8f, centre.y - size * 0.5f), kWindow, "?");
        break;
    }
    case 32515:
        pen.list->AddTriangleFilled(at(x + 16.0f, y + 2.0f), at(x + 31.0f, y + 29.0f), at(x + 1.0f, y + 29.0f),
                                    kWarningYellow);
        pen.list->AddTriangle(at(x + 16.0f, y + 2.0f), at(x + 31.0f, y + 29.0f), at(x + 1.0f, y + 29.0f),
                              kWarningEdge, 1.0f);
        pen.list->AddRectFilled(at(x + 14.5f, y + 10.0f), at(x + 17.5f, y + 21.0f), kText);
        pen.list->AddCircleFilled(at(x + 16.0f, y + 25.0f), 1.8f, kText, 12);
        break;
    case 32516:
        pen.list->AddCircleFilled(centre, 15.0f, kInfoBlue, 48);
        pen.list->AddCircleFilled(at(x + 16.0f, y + 9.5f), 2.2f, kWindow, 12);
        pen.list->AddRectFilled(at(x + 14.5f, y + 13.5f), at(x + 17.5f, y + 24.5f), kWindow);
        break;
    default: break;
    }
}

// A label (its mnemonic underlined), raw text (SS_NOPREFIX, line feeds
// breaking lines) or a system icon named "#<ordinal>" (SS_ICON).
void drawStatic(const Pen& pen, HWND control, const RECT& r, DWORD style, bool enabled)
{
    const ImU32 color = enabled ? kText : kGrayText;
    if ((style & SS_TYPEMASK) == SS_ICON) {
        const std::string name = windowText(control);
        if (name.size() > 1 && name[0] == '#') drawIcon(pen, r, std::atoi(name.c_str() + 1));
    } else if (style & SS_NOPREFIX) {
        pen.text(float(r.left), float(r.top), color, windowText(control));
    } else {
        pen.label(float(r.left), float(r.top), color, label(control));
    }
}

}  // namespace

void paintDialog(HWND dialog, ImDrawList* list, ImFont* font)
{
    Window* record = findWindow(dialog);
    if (!record || !font) return;
    const Pen pen{list, font, font->FontSize};
    const SIZE client = clientSize(*record);
    list->AddRectFilled(at(0, 0), at(float(client.cx), float(client.cy)), kFace);
    const HWND focus = GetFocus();
    // A push button with the focus takes the default look from the default button.
    const ControlState* focusState = controlState(focus);
    const bool buttonFocused = focusState && (focusState->kind == ControlKind::PushButton ||
                                              focusState->kind == ControlKind::DefPushButton);
    HWND dropped = nullptr;
    for (HWND control : dialogControls(dialog)) {
        const ControlState* state = controlState(control);
        Window* child = findWindow(control);
        if (!state || !child || !(child->style & WS_VISIBLE)) continue;
        const RECT& r = child->rect;
        const bool enabled = !(child->style & WS_DISABLED);
        const bool focused = control == focus;
        switch (state->kind) {
        case ControlKind::Static: drawStatic(pen, control, r, child->style, enabled); break;
        case ControlKind::GroupBox: drawGroupBox(pen, r, label(control), enabled); break;
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            const bool isDefault = buttonFocused ? focused : state->kind == ControlKind::DefPushButton;
            drawButton(pen, r, label(control), *state, enabled, focused, isDefault);
            break;
        }
        case ControlKind::RadioButton:
        case ControlKind::CheckBox: drawMarkButton(pen, r, label(control), *state, enabled, focused); break;
        case ControlKind::ComboBox:
            drawComboBox(pen, r, *state, enabled, focused);
            if (state->dropped) dropped = control;
            break;
        }
    }
    // The open list lies over everything else.
    if (dropped)
        if (const ControlState* state = controlState(dropped)) drawDropDown(pen, dropped, *state);
}

}  // namespace platform::user
