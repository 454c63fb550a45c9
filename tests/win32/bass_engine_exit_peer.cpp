// A program that plays a file through audiolink.dll and the rendering
// engine in real time and ends while it plays, without closing anything:
// the engine must still leave a whole output file, and the process must end.
//   bass_engine_exit_peer <engine folder> <file>
#include <windows.h>
#include <oleauto.h>

#include "audiolink.h"

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    SetDllDirectoryA(argv[1]);
    HMODULE link = LoadLibraryA("audiolink.dll");
    if (!link)
        return 3;
    auto open = reinterpret_cast<decltype(&BASSOPEN)>(reinterpret_cast<void *>(GetProcAddress(link, "BASSOPEN")));
    auto play = reinterpret_cast<decltype(&BASSPLAY)>(reinterpret_cast<void *>(GetProcAddress(link, "BASSPLAY")));
    if (!open || !play)
        return 4;
    if (open(nullptr, SysAllocStringByteLen(argv[2], UINT(lstrlenA(argv[2])))) != 0 || play(0, 0) != 0)
        return 5;
    Sleep(400);
    ExitProcess(0);
}
