// main() of the game executable: starts the program at WinMain as the Windows
// loader does. Linked into the game only; test programs bring their own main.
#include <windows.h>

int main()
{
    // Command-line arguments are not handed on: the program reads none.
    char commandLine[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
