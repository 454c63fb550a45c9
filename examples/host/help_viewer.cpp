// The help viewer as another program: started with a page on its command
// line, then told where to go and when to close with WM_COPYDATA, in the
// form the folder-tree library's Bff_SendPrivateMsg sends.
#include "host_app.h"

#include <foldertree.h>
#include <helpview.h>

#include <vector>

namespace host {

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindViewerWindow(HWND window, LPARAM lParam)
{
    auto *search = reinterpret_cast<Search *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == search->process && lstrcmpA(className, kViewerClass) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HelpViewer::~HelpViewer()
{
    if (!process_.hProcess)
        return;
    if (Running())
        WaitOrEnd(5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool HelpViewer::Start(const std::string &page)
{
    if (process_.hProcess) {
        if (Running())
            return false;
        // The last viewer has ended: let its handles go and start another.
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
        process_ = PROCESS_INFORMATION{};
        window_ = nullptr;
    }
    std::string program = ProgramFolder() + "helpview.exe";
    // The document in quotes: the path may hold blanks.
    std::string line = "\"" + program + "\" \"" + page + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        ProgramFolder().c_str(), &startup, &process_)) {
        process_ = PROCESS_INFORMATION{};
        return false;
    }
    return true;
}

HWND HelpViewer::Window()
{
    if (!window_ && Running()) {
        Search search{process_.dwProcessId, nullptr};
        EnumWindows(FindViewerWindow, reinterpret_cast<LPARAM>(&search));
        window_ = search.found;
    }
    return window_ && IsWindow(window_) ? window_ : nullptr;
}

bool HelpViewer::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool HelpViewer::Navigate(const std::string &address)
{
    HWND window = Window();
    // The viewer answers 1 to every command it receives.
    return window && Bff_SendPrivateMsg(window, HELPVIEW_NAVIGATE, address.c_str()) == 1;
}

bool HelpViewer::Close()
{
    HWND window = Window();
    return window && Bff_SendPrivateMsg(window, HELPVIEW_CLOSE, "") == 1;
}

bool HelpViewer::WaitOrEnd(DWORD milliseconds)
{
    if (!process_.hProcess)
        return true;
    bool exited = WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
    if (!exited) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    GetExitCodeProcess(process_.hProcess, &exitCode_);
    window_ = nullptr;
    return exited;
}

} // namespace host
