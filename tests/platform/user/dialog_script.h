// A scripted run of the program's dialog template through the Linux
// layer's dialog manager: a small dialog procedure of the test's own records
// every WM_COMMAND and runs the test's steps at WM_INITDIALOG, on commands
// and at each idle turn of the modal loop. Shared by the Linux dialog tests.
#pragma once

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/platform/user/linux_support.h"

#include <functional>
#include <vector>

namespace usertest {

inline constexpr int kTurnLimit = 3000;  // idle turns before a stuck script gives up

struct Command {
    WORD id;
    WORD code;
    HWND control;
    LRESULT selection;  // the control's CB_GETCURSEL when it is a list
};

// What one dialog run does: at WM_INITDIALOG, on each WM_COMMAND (OK and
// Cancel end the dialog unless `command` handles them), and at each idle
// turn of the modal loop. Every command is recorded.
struct DialogScript {
    std::function<void(HWND)> init;
    std::function<bool(HWND, const Command&)> command;
    std::function<void(HWND, int)> idle;
    std::vector<Command> commands;
    HWND dialog = nullptr;
    int turns = 0;

    size_t count(WORD id, WORD code) const
    {
        size_t n = 0;
        for (const Command& c : commands) n += c.id == id && c.code == code;
        return n;
    }
};

inline INT_PTR CALLBACK scriptProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* script = reinterpret_cast<DialogScript*>(lParam);
        script->dialog = dialog;
        if (script->init) script->init(dialog);
        return TRUE;
    }
    auto* script = reinterpret_cast<DialogScript*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!script || message != WM_COMMAND) return FALSE;
    HWND control = reinterpret_cast<HWND>(lParam);
    const bool list = control && HIWORD(wParam) == CBN_SELCHANGE;
    const Command command{LOWORD(wParam), HIWORD(wParam), control, list ? SendMessageA(control, CB_GETCURSEL, 0, 0) : 0};
    script->commands.push_back(command);
    if (script->command && script->command(dialog, command)) return TRUE;
    if (command.id == IDOK || command.id == IDCANCEL) EndDialog(dialog, command.id);
    return TRUE;
}

inline void idleTurn(HWND dialog, void* context)
{
    auto* script = static_cast<DialogScript*>(context);
    const int turn = script->turns++;
    if (turn > kTurnLimit) {
        EndDialog(dialog, -2);
        return;
    }
    if (script->idle) script->idle(dialog, turn);
    // Keeps the loop turning: each turn sees what the previous one injected handled.
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
}

inline bool clickControl(HWND dialog, int id)
{
    RECT rect{};
    return q31automation::dialogItemRect(dialog, id, &rect) &&
           q31automation::click(dialog, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

inline bool clickListItem(HWND dialog, int id, int index)
{
    RECT rect{};
    return q31automation::comboListItemRect(dialog, id, index, &rect) &&
           q31automation::click(dialog, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

inline void addItems(HWND dialog, int id, std::initializer_list<const char*> texts)
{
    LPARAM data = 100;
    for (const char* text : texts) {
        const LRESULT index = SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendDlgItemMessageA(dialog, id, CB_SETITEMDATA, static_cast<WPARAM>(index), data++);
    }
}

class UserLinuxDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = windows.create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 640, 560);
        ASSERT_NE(owner, nullptr);
        usertest::pumpReady();
        windows.clear();
    }
    void TearDown() override { q31automation::setDialogIdleHandler(nullptr, nullptr); }

    INT_PTR run(DialogScript& script, UINT templateId = IDD_SELECTDEVICE)
    {
        q31automation::setDialogIdleHandler(&idleTurn, &script);
        return DialogBoxParamA(usertest::programInstance(), MAKEINTRESOURCE(templateId), owner, &scriptProcedure,
                               reinterpret_cast<LPARAM>(&script));
    }

    usertest::SeamOn seam;
    usertest::RecordingWindows windows;
    HWND owner = nullptr;
};

}  // namespace usertest
