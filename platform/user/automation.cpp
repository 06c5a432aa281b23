// The test seam of q31_automation.h: message-box answers and records,
// synthetic SDL input, frame read-back.
#include "q31_automation.h"

#include "platform/user/automation_internal.h"
#include "platform/user/compositor.h"
#include "platform/user/input_state.h"
#include "platform/user/menu_strip.h"
#include "platform/user/user_state.h"

#include <SDL.h>

#include <deque>

namespace {

struct Seam {
    bool enabled = false;
    bool showBoxes = false;
    std::deque<int> answers;
    q31automation::MessageBoxHandler handler = nullptr;
    void* handlerContext = nullptr;
    std::vector<q31automation::MessageBoxRecord> boxes;
    Uint16 modifiers = 0;
    Uint32 buttons = 0;
};

Seam& seam()
{
    static auto* state = new Seam;
    return *state;
}

platform::user::Window* liveTopLevel(HWND window)
{
    if (!seam().enabled) return nullptr;
    platform::user::Window* record = platform::user::findWindow(window);
    return record && record->sdl ? record : nullptr;
}

Uint16 modifierFor(UINT key)
{
    switch (key) {
    case VK_SHIFT:
    case VK_LSHIFT: return KMOD_LSHIFT;
    case VK_RSHIFT: return KMOD_RSHIFT;
    case VK_CONTROL:
    case VK_LCONTROL: return KMOD_LCTRL;
    case VK_RCONTROL: return KMOD_RCTRL;
    case VK_MENU:
    case VK_LMENU: return KMOD_LALT;
    case VK_RMENU: return KMOD_RALT;
    default: return 0;
    }
}

bool pushMouse(const platform::user::Window& window, Uint32 type, int x, int y, int button)
{
    SDL_Event event{};
    const int drawableX = x;
    const int drawableY = y + platform::user::clientTop(window);
    if (type == SDL_MOUSEMOTION) {
        event.motion.type = SDL_MOUSEMOTION;
        event.motion.windowID = window.sdlId;
        event.motion.state = seam().buttons;
        event.motion.x = drawableX;
        event.motion.y = drawableY;
    } else {
        event.button.type = type;
        event.button.windowID = window.sdlId;
        event.button.button = static_cast<Uint8>(button);
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = drawableX;
        event.button.y = drawableY;
    }
    return SDL_PushEvent(&event) == 1;
}

}  // namespace

namespace platform::user {

bool automationEnabled()
{
    return seam().enabled;
}

bool automationShowsMessageBoxes()
{
    return seam().enabled && seam().showBoxes;
}

int automationAnswerMessageBox(HWND owner, const char* caption, const char* text, UINT type, bool ownerDisabled,
                               int defaultAnswer)
{
    Seam& state = seam();
    q31automation::MessageBoxRecord record;
    record.owner = owner;
    record.caption = caption ? caption : "";
    record.text = text ? text : "";
    record.type = type;
    record.ownerDisabled = ownerDisabled;
    state.boxes.push_back(record);
    int answer = state.handler ? state.handler(record, state.handlerContext) : 0;
    if (answer == 0 && !state.answers.empty()) {
        answer = state.answers.front();
        state.answers.pop_front();
    }
    return answer ? answer : defaultAnswer;
}

}  // namespace platform::user

namespace q31automation {

void setEnabled(bool on)
{
    seam().enabled = on;
    if (!on) seam().showBoxes = false;
}

bool enabled()
{
    return seam().enabled;
}

void queueMessageBoxAnswer(int answer)
{
    seam().answers.push_back(answer);
}

void showMessageBoxes(bool show)
{
    seam().showBoxes = show;
}

void setMessageBoxHandler(MessageBoxHandler handler, void* context)
{
    seam().handler = handler;
    seam().handlerContext = context;
}

std::vector<MessageBoxRecord> messageBoxes()
{
    return seam().boxes;
}

void clearMessageBoxes()
{
    seam().boxes.clear();
    seam().answers.clear();
}

bool moveMouse(HWND window, int x, int y)
{
    platform::user::Window* record = liveTopLevel(window);
    return record && pushMouse(*record, SDL_MOUSEMOTION, x, y, 0);
}

bool mouseButton(HWND window, int x, int y, int button, bool down)
{
    platform::user::Window* record = liveTopLevel(window);
    if (!record || button < 1 || button > 3) return false;
    const Uint32 mask = SDL_BUTTON(button);
    seam().buttons = down ? (seam().buttons | mask) : (seam().buttons & ~mask);
    return pushMouse(*record, down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, x, y, button);
}

bool click(HWND window, int x, int y)
{
    return moveMouse(window, x, y) && mouseButton(window, x, y, 1, true) && mouseButton(window, x, y, 1, false);
}

bool keyEvent(HWND window, UINT virtualKey, bool down)
{
    platform::user::Window* record = liveTopLevel(window);
    int scancode = 0;
    int32_t keycode = 0;
    if (!record || !platform::user::sdlKeyFromVirtualKey(virtualKey, &scancode, &keycode)) return false;
    const Uint16 modifier = modifierFor(virtualKey);
    // SDL reports a modifier key with its own bit already set (or cleared).
    if (modifier) seam().modifiers = down ? (seam().modifiers | modifier) : (seam().modifiers & ~modifier);
    SDL_Event event{};
    event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = record->sdlId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = seam().modifiers;
    return SDL_PushEvent(&event) == 1;
}

bool pressKey(HWND window, UINT virtualKey, BYTE modifiers)
{
    const UINT order[] = {VK_CONTROL, VK_SHIFT, VK_MENU};
    const BYTE flags[] = {FCONTROL, FSHIFT, FALT};
    bool ok = true;
    for (int i = 0; i < 3; ++i)
        if (modifiers & flags[i]) ok = ok && keyEvent(window, order[i], true);
    ok = ok && keyEvent(window, virtualKey, true) && keyEvent(window, virtualKey, false);
    for (int i = 2; i >= 0; --i)
        if (modifiers & flags[i]) ok = keyEvent(window, order[i], false) && ok;
    return ok;
}

bool menuBarItemRect(HWND window, int barIndex, RECT* rect)
{
    platform::user::Window* record = liveTopLevel(window);
    if (!record || !rect) return false;
    const std::vector<RECT> items = platform::user::menuBarLayout(window);
    if (barIndex < 0 || static_cast<size_t>(barIndex) >= items.size()) return false;
    *rect = items[static_cast<size_t>(barIndex)];
    OffsetRect(rect, 0, -platform::user::clientTop(*record));
    return true;
}

bool menuItemRect(HWND window, int barIndex, int itemIndex, RECT* rect)
{
    platform::user::Window* record = liveTopLevel(window);
    platform::user::PopupLayout layout;
    if (!record || !rect || !platform::user::menuPopupLayout(window, barIndex, &layout)) return false;
    if (itemIndex < 0 || static_cast<size_t>(itemIndex) >= layout.items.size()) return false;
    *rect = layout.items[static_cast<size_t>(itemIndex)];
    OffsetRect(rect, 0, -platform::user::clientTop(*record));
    return true;
}

bool clickMenuItem(HWND window, int barIndex, int itemIndex)
{
    RECT bar, item;
    if (!menuBarItemRect(window, barIndex, &bar) || !menuItemRect(window, barIndex, itemIndex, &item)) return false;
    return click(window, (bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2) &&
           click(window, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

bool resizeFrame(HWND window, int width, int height)
{
    platform::user::Window* record = liveTopLevel(window);
    if (!record || width <= 0 || height <= 0) return false;
    if (record->compositor) record->compositor->finishPresenting();
    SDL_SetWindowSize(record->sdl, width, height);
    return true;
}

bool readFrame(HWND window, std::vector<uint32_t>* pixels, int* width, int* height)
{
    platform::user::Window* record = liveTopLevel(window);
    if (!record || !record->compositor || !pixels || !width || !height) return false;
    return record->compositor->readFrame(pixels, width, height);
}

}  // namespace q31automation
