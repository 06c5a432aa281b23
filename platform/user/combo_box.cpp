// The ComboBox control class as a drop-down list: items with their item
// data and the selection (the CB_ messages, with Windows' results for bad
// indexes), and the list that opens inside the dialog window on a click,
// where a click on an item selects it and sends CBN_SELCHANGE.
#include "platform/user/dialog_internal.h"
#include "platform/user/user_state.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace platform::user {

namespace {

// The selection field is one line of the dialog font with its frame; the
// template's height is how far the open list may reach.
int fieldHeight(HWND combo)
{
    const DialogState* dialog = dialogOf(combo);
    return (dialog ? dialog->metrics.textHeight : 16) + 8;
}

int itemHeight(HWND combo)
{
    const DialogState* dialog = dialogOf(combo);
    return (dialog ? dialog->metrics.textHeight : 16) + 3;
}

bool validIndex(const ControlState& state, WPARAM index)
{
    return static_cast<INT_PTR>(index) >= 0 && static_cast<size_t>(index) < state.items.size();
}

POINT pointIn(LPARAM lParam)
{
    return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

// The item of the open list under a point in the combo's client
// coordinates; -1 when none.
int itemAt(HWND combo, POINT point)
{
    DropDownLayout layout;
    Window* record = findWindow(combo);
    if (!record || !dropDownLayout(combo, &layout)) return -1;
    const POINT inDialog{point.x + record->rect.left, point.y + record->rect.top};
    const ControlState* state = controlState(combo);
    for (int row = 0; state && row < layout.shownCount; ++row) {
        const RECT box = dropDownRow(layout, row);
        const int index = layout.firstShown + row;
        if (PtInRect(&box, inDialog)) return index < static_cast<int>(state->items.size()) ? index : -1;
    }
    return -1;
}

void scrollTo(ControlState& state, int index, int shownCount)
{
    if (index < 0) return;
    if (index < state.firstShown) state.firstShown = index;
    if (shownCount > 0 && index >= state.firstShown + shownCount) state.firstShown = index - shownCount + 1;
}

void openDropDown(HWND combo)
{
    ControlState* state = controlState(combo);
    DialogState* dialog = dialogOf(combo);
    if (!state || !dialog || state->dropped) return;
    if (dialog->dropped) closeDropDown(dialog->dropped);
    notifyParent(combo, CBN_DROPDOWN);
    state = controlState(combo);
    dialog = dialogOf(combo);
    if (!state || !dialog || !IsWindowEnabled(combo)) return;
    state->dropped = true;
    state->hot = state->selection;
    state->firstShown = 0;
    dialog->dropped = combo;
    DropDownLayout layout;
    if (dropDownLayout(combo, &layout)) scrollTo(*state, state->selection, layout.shownCount);
    SetCapture(combo);
    dialogChanged(combo);
}

// Selection by the user: the notification only when it changed.
void choose(HWND combo, int index)
{
    ControlState* state = controlState(combo);
    if (!state || index < 0 || index >= static_cast<int>(state->items.size())) return;
    const bool changed = state->selection != index;
    state->selection = index;
    dialogChanged(combo);
    if (changed) notifyParent(combo, CBN_SELCHANGE);
}

LRESULT itemMessage(HWND combo, ControlState& state, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case CB_ADDSTRING: {
        if (!lParam) return CB_ERR;
        ComboItem item{reinterpret_cast<const char*>(lParam), 0};
        size_t at = state.items.size();
        if (GetWindowLongA(combo, GWL_STYLE) & CBS_SORT) {
            at = 0;
            while (at < state.items.size() && strcasecmp(state.items[at].text.c_str(), item.text.c_str()) <= 0) ++at;
            if (state.selection >= static_cast<int>(at)) ++state.selection;
        }
        state.items.insert(state.items.begin() + static_cast<ptrdiff_t>(at), std::move(item));
        dialogChanged(combo);
        return static_cast<LRESULT>(at);
    }
    case CB_GETCOUNT: return static_cast<LRESULT>(state.items.size());
    case CB_SETITEMDATA:
        if (!validIndex(state, wParam)) return CB_ERR;
        state.items[wParam].data = lParam;
        return CB_OKAY;
    case CB_GETITEMDATA: return validIndex(state, wParam) ? state.items[wParam].data : CB_ERR;
    case CB_SETCURSEL:
        // -1 or an index past the end clears the selection and answers CB_ERR.
        state.selection = validIndex(state, wParam) ? static_cast<int>(wParam) : -1;
        dialogChanged(combo);
        return state.selection >= 0 ? state.selection : CB_ERR;
    case CB_GETCURSEL: return state.selection >= 0 ? state.selection : CB_ERR;
    case CB_RESETCONTENT:
        if (state.dropped) closeDropDown(combo);
        state.items.clear();
        state.selection = -1;
        state.hot = -1;
        state.firstShown = 0;
        dialogChanged(combo);
        return CB_OKAY;
    case CB_GETLBTEXTLEN:
        return validIndex(state, wParam) ? static_cast<LRESULT>(state.items[wParam].text.size()) : CB_ERR;
    case CB_GETLBTEXT: {
        if (!validIndex(state, wParam) || !lParam) return CB_ERR;
        const std::string& text = state.items[wParam].text;
        std::memcpy(reinterpret_cast<char*>(lParam), text.c_str(), text.size() + 1);
        return static_cast<LRESULT>(text.size());
    }
    case CB_SHOWDROPDOWN:
        if (wParam)
            openDropDown(combo);
        else if (state.dropped)
            closeDropDown(combo);
        return TRUE;
    case CB_GETDROPPEDSTATE: return state.dropped ? TRUE : FALSE;
    case WM_GETTEXTLENGTH:
        return state.selection >= 0 ? static_cast<LRESULT>(state.items[static_cast<size_t>(state.selection)].text.size()) : 0;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0) return 0;
        const std::string text = state.selection >= 0 ? state.items[static_cast<size_t>(state.selection)].text : "";
        const size_t length = std::min(text.size(), static_cast<size_t>(wParam) - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    default: return DefWindowProcA(combo, message, wParam, lParam);
    }
}

LRESULT mouseMessage(HWND combo, ControlState& state, UINT message, LPARAM lParam)
{
    const POINT point = pointIn(lParam);
    RECT field{};
    GetClientRect(combo, &field);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!state.dropped) {
            SetFocus(combo);
            if (controlState(combo)) openDropDown(combo);
        } else if (itemAt(combo, point) < 0) {
            // A press on the box or outside the list closes it unchanged.
            closeDropDown(combo);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (state.dropped) {
            const int hot = itemAt(combo, point);
            if (hot >= 0 && hot != state.hot) {
                state.hot = hot;
                dialogChanged(combo);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (state.dropped) {
            const int index = itemAt(combo, point);
            if (index >= 0) {
                closeDropDown(combo);
                choose(combo, index);
            }
        }
        return 0;
    default: return 0;
    }
}

}  // namespace

bool dropDownLayout(HWND combo, DropDownLayout* out)
{
    const ControlState* state = controlState(combo);
    Window* record = findWindow(combo);
    Window* dialog = record ? findWindow(record->parent) : nullptr;
    if (!state || !state->dropped || !dialog) return false;
    const RECT box = record->rect;  // in the dialog's client pixels
    const int clientHeight = clientSize(*dialog).cy;
    const int rowHeight = itemHeight(combo);
    const int reach = std::max(rowHeight, state->droppedHeight - (box.bottom - box.top) - 2);
    int rows = std::max(1, std::min(static_cast<int>(state->items.size()), reach / rowHeight));
    // Below the box where it fits, else above, else in the larger space, shortened.
    const int below = clientHeight - box.bottom;
    const int above = box.top;
    const int needed = rows * rowHeight + 2;
    bool downwards = needed <= below || (needed > above && below >= above);
    if (needed > (downwards ? below : above)) rows = std::max(1, ((downwards ? below : above) - 2) / rowHeight);
    const int height = rows * rowHeight + 2;
    out->frame = downwards ? RECT{box.left, box.bottom, box.right, box.bottom + height}
                           : RECT{box.left, box.top - height, box.right, box.top};
    out->itemHeight = rowHeight;
    out->shownCount = rows;
    const int lastFirst = std::max(0, static_cast<int>(state->items.size()) - rows);
    out->firstShown = std::clamp(state->firstShown, 0, lastFirst);
    return true;
}

RECT dropDownRow(const DropDownLayout& layout, int row)
{
    const RECT& frame = layout.frame;
    return RECT{frame.left + 1, frame.top + 1 + row * layout.itemHeight, frame.right - 1,
                frame.top + 1 + (row + 1) * layout.itemHeight};
}

void closeDropDown(HWND combo)
{
    ControlState* state = controlState(combo);
    if (!state || !state->dropped) return;
    state->dropped = false;
    state->hot = -1;
    if (DialogState* dialog = dialogOf(combo); dialog && dialog->dropped == combo) dialog->dropped = nullptr;
    if (GetCapture() == combo) ReleaseCapture();
    dialogChanged(combo);
    notifyParent(combo, CBN_CLOSEUP);
}

bool comboBoxKey(HWND combo, UINT virtualKey)
{
    ControlState* state = controlState(combo);
    if (!state || !IsWindowEnabled(combo)) return false;
    const int count = static_cast<int>(state->items.size());
    if (state->dropped) {
        DropDownLayout layout;
        const int shown = dropDownLayout(combo, &layout) ? layout.shownCount : 1;
        int hot = state->hot;
        switch (virtualKey) {
        case VK_ESCAPE: closeDropDown(combo); return true;
        case VK_RETURN:
        case VK_F4:
            closeDropDown(combo);
            choose(combo, hot);
            return true;
        case VK_UP: hot = std::max(0, hot - 1); break;
        case VK_DOWN: hot = std::min(count - 1, hot + 1); break;
        case VK_PRIOR: hot = std::max(0, hot - shown); break;
        case VK_NEXT: hot = std::min(count - 1, hot + shown); break;
        case VK_HOME: hot = 0; break;
        case VK_END: hot = count - 1; break;
        default: return false;
        }
        if (count > 0) {
            state->hot = hot;
            scrollTo(*state, hot, shown);
            dialogChanged(combo);
        }
        return true;
    }
    int next = state->selection;
    switch (virtualKey) {
    case VK_F4: openDropDown(combo); return true;
    case VK_UP:
    case VK_LEFT: next = std::max(0, next - 1); break;
    case VK_DOWN:
    case VK_RIGHT: next = std::min(count - 1, next + 1); break;
    case VK_HOME: next = 0; break;
    case VK_END: next = count - 1; break;
    default: return false;
    }
    if (count > 0) choose(combo, next);
    return true;
}

LRESULT CALLBACK comboBoxProcedure(HWND combo, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* state = new ControlState;
        state->kind = ControlKind::ComboBox;
        state->droppedHeight = reinterpret_cast<const CREATESTRUCTA*>(lParam)->cy;
        SetWindowLongPtrA(combo, 0, reinterpret_cast<LONG_PTR>(state));
        return DefWindowProcA(combo, message, wParam, lParam);
    }
    ControlState* state = controlState(combo);
    if (!state) return DefWindowProcA(combo, message, wParam, lParam);
    switch (message) {
    case WM_CREATE: {
        RECT box{};
        GetClientRect(combo, &box);
        SetWindowPos(combo, nullptr, 0, 0, box.right, fieldHeight(combo), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NCDESTROY:
        if (DialogState* dialog = dialogOf(combo); dialog && dialog->dropped == combo) dialog->dropped = nullptr;
        delete state;
        SetWindowLongPtrA(combo, 0, 0);
        return DefWindowProcA(combo, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: return mouseMessage(combo, *state, message, lParam);
    case WM_MOUSEWHEEL:
        if (state->dropped) {
            const int steps = static_cast<SHORT>(HIWORD(wParam)) / 120;
            state->firstShown = std::max(0, state->firstShown - steps * 3);
            DropDownLayout layout;
            if (dropDownLayout(combo, &layout)) state->firstShown = layout.firstShown;
            dialogChanged(combo);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (state->dropped && reinterpret_cast<HWND>(lParam) != combo) closeDropDown(combo);
        return 0;
    case WM_ENABLE:
        if (!wParam && state->dropped) closeDropDown(combo);
        dialogChanged(combo);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: dialogChanged(combo); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: return paintByView(combo);
    default: return itemMessage(combo, *state, message, wParam, lParam);
    }
}

}  // namespace platform::user
