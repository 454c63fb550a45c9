// helpview-send.exe against the real viewer in a process of its own (with
// the recording test control as its browser): it navigates and closes a
// running viewer, and says so clearly, with its own exit codes, when no
// viewer runs or its arguments are wrong.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "helpview_viewer_fixture.h"

using namespace hvtest;

namespace {

struct ToolRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string output; // standard output and standard error together
};

// Runs helpview-send.exe with the arguments and collects what it prints.
// The arguments are wide, as a program in any code page can pass them.
ToolRun RunTool(const std::wstring &arguments)
{
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string exeBytes = BinFolder() + "helpview-send.exe";
    std::wstring exe(exeBytes.begin(), exeBytes.end()); // the build tree's path is ASCII
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                  &process);
    CloseHandle(writeEnd);
    if (started) {
        char chunk[512];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got)
            run.output.append(chunk, got);
        if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}

ToolRun RunTool(const std::string &asciiArguments)
{
    return RunTool(std::wstring(asciiArguments.begin(), asciiArguments.end()));
}

class HelpViewSend : public ViewerTest {
protected:
    HelpViewSend() : ViewerTest(L"helpview_send_test.log") {}
};

TEST_F(HelpViewSend, NavigatesAndClosesARunningViewer)
{
    ViewerFiles files = PrepareViewer("helpview_send");
    Viewer viewer(files, "");
    ASSERT_NE(viewer.Window(), nullptr) << viewer.Problem();
    ASSERT_EQ(Navigations(viewer, 1).size(), 1u) << "the start page";
    WriteWholeFile(files.base + ".LOG", "written while the viewer ran");

    ToolRun navigate = RunTool("navigate http://example.org/sent/page.htm");
    EXPECT_EQ(navigate.exitCode, 0u) << navigate.output;
    std::vector<std::wstring> urls = Navigations(viewer, 2);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls.back(), L"http://example.org/sent/page.htm");

    ToolRun close = RunTool("close");
    EXPECT_EQ(close.exitCode, 0u) << close.output;
    EXPECT_EQ(viewer.WaitForExit(), 0u) << "the viewer ended as by its close button";
    EXPECT_EQ(ReadWholeFile(PlacementPath()).size(), 8u) << "closing saved the placement";
    EXPECT_FALSE(Exists(files.base + ".LOG")) << "deleted at exit";
}

// The tool's code page is UTF-8 (its manifest's): an address in any script
// reaches the viewer whole, whatever code page the program that starts the
// tool has. The limit counts bytes, as the command protocol does.
TEST_F(HelpViewSend, CarriesAnAddressInAnyScript)
{
    ViewerFiles files = PrepareViewer("helpview_send_scripts");
    Viewer viewer(files, "");
    ASSERT_NE(viewer.Window(), nullptr) << viewer.Problem();
    ASSERT_EQ(Navigations(viewer, 1).size(), 1u) << "the start page";

    const std::wstring address =
        L"file://C:/\u0421\u043F\u0440\u0430\u0432\u043A\u0430/\u5E2E\u52A9 \U0001F3B5 caf\u00E9 \u20AC.htm";
    ToolRun navigate = RunTool(L"navigate \"" + address + L"\"");
    EXPECT_EQ(navigate.exitCode, 0u) << navigate.output;
    std::vector<std::wstring> urls = Navigations(viewer, 2);
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(urls.back(), address);

    // 119 Cyrillic letters after the 19 bytes before them: 257 bytes.
    ToolRun longer = RunTool(L"navigate http://example.org/" + std::wstring(119, L'\u042F'));
    EXPECT_EQ(longer.exitCode, 2u) << longer.output;
    EXPECT_EQ(Navigations(viewer, 3, 300).size(), 2u) << "nothing sent";

    EXPECT_EQ(RunTool("close").exitCode, 0u);
    EXPECT_EQ(viewer.WaitForExit(), 0u);
}

// A window of the viewer's class on a thread that reads no messages until
// it is released: a viewer that hangs.
struct HungViewer {
    HANDLE made;
    HANDLE release;

    static DWORD WINAPI Run(void *parameter)
    {
        auto *hung = static_cast<HungViewer *>(parameter);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = ViewerClass;
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, ViewerClass, "hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
        SetEvent(hung->made);
        WaitForSingleObject(hung->release, INFINITE);
        DestroyWindow(window);
        UnregisterClassA(ViewerClass, windowClass.hInstance);
        return 0;
    }
};

// The tool gives up on a viewer that does not answer within its time limit,
// and says so.
TEST_F(HelpViewSend, SaysSoWhenTheViewerDoesNotAnswer)
{
    ASSERT_EQ(FindWindowA(ViewerClass, nullptr), nullptr) << "a viewer from elsewhere is running";
    HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HungViewer hung{made, release};
    HANDLE thread = CreateThread(nullptr, 0, HungViewer::Run, &hung, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(made, 5000);

    DWORD start = GetTickCount();
    ToolRun run = RunTool("close");
    DWORD waited = GetTickCount() - start;
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(made);
    CloseHandle(release);

    EXPECT_EQ(run.exitCode, 3u) << run.output;
    EXPECT_NE(run.output.find("the help viewer did not answer"), std::string::npos) << run.output;
    EXPECT_GE(waited, 4500u) << "it waited its time limit";
}

TEST_F(HelpViewSend, SaysSoWhenNoViewerRuns)
{
    ASSERT_EQ(FindWindowA(ViewerClass, nullptr), nullptr) << "a viewer from elsewhere is running";
    for (const char *arguments : {"navigate http://example.org/", "close"}) {
        ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 1u) << arguments;
        EXPECT_NE(run.output.find("no help viewer is running"), std::string::npos) << arguments << ": " << run.output;
    }
}

TEST_F(HelpViewSend, BadArgumentsGetTheUsage)
{
    for (const char *arguments : {"", "navigate", "close now", "jump http://example.org/", "navigate \"\""}) {
        ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 2u) << "[" << arguments << "]";
        EXPECT_NE(run.output.find("usage: helpview-send navigate ADDRESS"), std::string::npos)
            << "[" << arguments << "]: " << run.output;
    }
    // An address the viewer would cut is refused, not cut.
    ToolRun longer = RunTool("navigate http://example.org/" + std::string(300, 'p'));
    EXPECT_EQ(longer.exitCode, 2u);
    EXPECT_NE(longer.output.find("longer than 255 bytes"), std::string::npos) << longer.output;
}

} // namespace
