// The viewer's entry point. Start-up, the main window and the message loop
// come with the viewer itself; until then the program ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
