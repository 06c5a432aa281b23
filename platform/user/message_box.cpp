// MessageBoxA through SDL_ShowMessageBox. Modal as on Windows: the owner's
// top-level window is disabled while the box is up and re-enabled after.
// SDL's box blocks the thread, so the program's windows are repainted just
// before it opens; with the test seam on, the answer comes from the seam
// while a modal loop keeps dispatching messages (WM_PAINT among them).
#include "platform/user/automation_internal.h"
#include "platform/user/message_text.h"
#include "platform/user/queue.h"
#include "platform/user/user_state.h"
#include "platform/user/window_internal.h"

#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

namespace platform::user {

std::string lineFeedBreaks(const char* text)
{
    std::string out;
    for (const char* at = text; *at; ++at) {
        if (*at != '\r') {
            out.push_back(*at);
            continue;
        }
        out.push_back('\n');
        if (at[1] == '\n') ++at;
    }
    return out;
}

namespace {

struct Button {
    int id;
    const char* text;
};

std::vector<Button> buttonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default: return {{IDOK, "OK"}};
    }
}

Uint32 iconFlags(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    case MB_ICONASTERISK:
    case MB_ICONQUESTION: return SDL_MESSAGEBOX_INFORMATION;
    default: return 0;
    }
}

// What Escape or the close box gives: Cancel where there is one, OK for a lone OK.
int escapeAnswer(const std::vector<Button>& buttons)
{
    for (const Button& button : buttons)
        if (button.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().id : 0;
}

int showSdlBox(HWND owner, const char* caption, const char* text, UINT type, const std::vector<Button>& buttons,
               size_t defaultIndex)
{
    std::vector<SDL_MessageBoxButtonData> data;
    const int escape = escapeAnswer(buttons);
    for (size_t i = 0; i < buttons.size(); ++i) {
        Uint32 flags = 0;
        if (i == defaultIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons[i].id == escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back(SDL_MessageBoxButtonData{flags, buttons[i].id, buttons[i].text});
    }
    Window* window = findWindow(owner);
    const std::string lines = lineFeedBreaks(text);
    const SDL_MessageBoxData box{iconFlags(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                                 window ? window->sdl : nullptr,
                                 caption,
                                 lines.c_str(),
                                 static_cast<int>(data.size()),
                                 data.data(),
                                 nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        // No box could be shown (no display): the text must not be lost.
        std::fprintf(stderr, "%s: %s\n", caption, lines.c_str());
        return 0;
    }
    return chosen >= 0 ? chosen : escape;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

extern "C" {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (owner && !findWindowOrFail(owner)) return 0;
    if (!caption) caption = "Error";
    if (!text) text = "";
    const std::vector<Button> buttons = buttonsFor(type);
    size_t defaultIndex = (type & MB_DEFMASK) >> 8;
    if (defaultIndex >= buttons.size()) defaultIndex = 0;

    const HWND top = topLevelOf(owner);
    const bool disabledHere = top && !EnableWindow(top, FALSE);
    // The box's own modal loop: what is ready now reaches its windows.
    dispatchReadyMessages();
    const bool ownerDisabled = top && !IsWindowEnabled(top);
    int answer = 0;
    if (automationEnabled()) {
        answer = automationAnswerMessageBox(owner, caption, text, type, ownerDisabled, buttons[defaultIndex].id);
        dispatchReadyMessages();
    } else {
        answer = showSdlBox(owner, caption, text, type, buttons, defaultIndex);
    }
    if (disabledHere && findWindow(top)) {
        EnableWindow(top, TRUE);
        if (activeWindow() != top) activateWindow(top);
    }
    return answer;
}

BOOL WINAPI MessageBeep(UINT)
{
    // SDL has no bell; the layer stays silent.
    return TRUE;
}

}  // extern "C"
