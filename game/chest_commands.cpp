// The game's message handler: the mouse (chest_input.cpp), its two menu
// commands, Reset and About, and the loading text painted while it starts.
// Everything it does not consume goes on to the framework's handler.
#include "game/chest_game.h"
#include "resources/resource_ids.h"

#ifndef Q31_VERSION
#error "Q31_VERSION must give the program's version (set in game/CMakeLists.txt)"
#endif

namespace {

const char* const AboutCaption = "About Quorvane3";
// Four lines separated by single carriage returns, as the box has always had.
const char* const AboutText =
    "Quorvane31 Lever Chest Version " Q31_VERSION "\r"
    "Copyright 2008 Maren Oststrand\r"
    "maren.oststrand@example.org\r"
    "https://quorvane.example.org/";
const char* const LoadingText = "Loading... Please wait";

}  // namespace

LRESULT ChestGame::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        if (puzzle.phase() != ChestOpen) onButtonDown(hwnd);
        break;
    case WM_MOUSEMOVE:
        if (puzzle.phase() != ChestOpen) onMouseMove();
        break;
    case WM_LBUTTONUP:
        if (puzzle.phase() != ChestOpen) onButtonUp();
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_ABOUT:
            showAbout(hwnd);
            return 0;
        case IDM_RESET:
            // Carried out by the next frame update; repeated requests merge.
            resetRequested = 1;
            return 0;
        default: break;
        }
        break;
    case WM_PAINT:
        if (loading) paintLoadingText(hwnd);
        break;
    default: break;
    }
    return Application::handleMessage(hwnd, message, wParam, lParam);
}

void ChestGame::paintLoadingText(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    char text[64];
    wsprintfA(text, LoadingText);
    RECT client;
    GetClientRect(hwnd, &client);
    DrawTextA(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    ReleaseDC(hwnd, dc);
}

void ChestGame::showAbout(HWND owner)
{
    MessageBoxA(owner, AboutText, AboutCaption, MB_OK);
}
