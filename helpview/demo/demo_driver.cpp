// Shows the viewer on its bundled help page: starts helpview.exe from the
// demo folder, waits for its window, saves a picture of it, leaves it open
// for a while when someone may be watching, then closes it with its own
// command.
//   helpview_demo.exe <viewer folder> <picture.png> [seconds to keep it open]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "helpview_process.h"
#include "png_writer.h"

namespace {

bool SavePicture(HWND window, const std::string &path)
{
    hvtest::Image picture = hvtest::Capture(window);
    return picture.width > 0 && png_writer::WritePng(path, picture.width, picture.height, picture.rgb);
}

std::string Caption(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: helpview_demo <viewer folder> <picture.png> [seconds]\n");
        return 2;
    }
    hvtest::ViewerFiles files;
    files.folder = std::string(argv[1]) + "\\";
    files.exe = files.folder + "helpview.exe";
    files.base = files.folder + "helpview";
    int seconds = argc > 3 ? std::atoi(argv[3]) : 0;

    hvtest::Viewer viewer(files, "");
    HWND window = viewer.Started() ? viewer.Window() : nullptr;
    if (!window) {
        std::fprintf(stderr, "demo: the viewer's window did not appear\n");
        return 1;
    }
    std::printf("viewer window \"%s\" (class TARNHELP) opened on %s.htm\n", Caption(window).c_str(),
                files.base.c_str());
    // Let the control and the skin finish drawing.
    Sleep(1500);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    bool saved = SavePicture(window, argv[2]);
    std::printf(saved ? "picture saved\n" : "demo: the picture could not be saved\n");
    for (int waited = 0; waited < seconds * 10 && viewer.WaitForExit(0) == STILL_ACTIVE; ++waited)
        Sleep(100);
    if (viewer.WaitForExit(0) == STILL_ACTIVE) {
        // The same command other programs send: the viewer saves its
        // placement and ends.
        hvtest::SendCommand(window, 10, "");
        std::printf("closed by WM_COPYDATA 10, exit code %lu\n", viewer.WaitForExit());
    }
    return saved ? 0 : 1;
}
