// The dialog part of the test seam (q31_automation.h): the idle handler of
// the modal loop, control and list-item rectangles, the close box.
#include "q31_automation.h"

#include "platform/user/automation_internal.h"
#include "platform/user/dialog_internal.h"
#include "platform/user/user_state.h"

#include <SDL.h>

namespace {

struct DialogSeam {
    q31automation::DialogIdleHandler handler = nullptr;
    void* context = nullptr;
};

DialogSeam& dialogSeam()
{
    static DialogSeam state;
    return state;
}

HWND seamControl(HWND dialog, int id)
{
    if (!platform::user::automationEnabled() || !platform::user::dialogOf(dialog)) return nullptr;
    HWND control = GetDlgItem(dialog, id);
    return control && platform::user::dialogWindowOf(control) == dialog ? control : nullptr;
}

}  // namespace

namespace platform::user {

void automationDialogIdle(HWND dialog)
{
    if (automationEnabled() && dialogSeam().handler) dialogSeam().handler(dialog, dialogSeam().context);
}

}  // namespace platform::user

namespace q31automation {

void setDialogIdleHandler(DialogIdleHandler handler, void* context)
{
    dialogSeam().handler = handler;
    dialogSeam().context = context;
}

bool dialogItemRect(HWND dialog, int id, RECT* rect)
{
    HWND control = seamControl(dialog, id);
    platform::user::Window* record = platform::user::findWindow(control);
    if (!record || !rect) return false;
    *rect = record->rect;  // a child's rectangle is in its parent's client pixels
    return true;
}

bool comboListItemRect(HWND dialog, int id, int index, RECT* rect)
{
    HWND control = seamControl(dialog, id);
    platform::user::DropDownLayout layout;
    if (!control || !rect || !platform::user::dropDownLayout(control, &layout)) return false;
    const int row = index - layout.firstShown;
    const platform::user::ControlState* state = platform::user::controlState(control);
    if (!state || index < 0 || index >= static_cast<int>(state->items.size()) || row < 0 || row >= layout.shownCount)
        return false;
    *rect = platform::user::dropDownRow(layout, row);
    return true;
}

bool pressCloseBox(HWND window)
{
    platform::user::Window* record = platform::user::findWindow(window);
    if (!platform::user::automationEnabled() || !record || !record->sdl) return false;
    SDL_Event event{};
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = record->sdlId;
    return SDL_PushEvent(&event) == 1;
}

}  // namespace q31automation
