// The program's entry point: one game object, created and run, destroyed when
// the message loop ends. A failed create has already shown its message.
#include <windows.h>
#include <commctrl.h>

#include "game/chest_game.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ChestGame game;
    InitCommonControls();
    if (FAILED(game.create(instance))) return 0;
    return game.run();
}
