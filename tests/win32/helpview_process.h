// The real helpview.exe in a folder of its own, started as another process:
// its files, its window, its commands. Shared by the viewer's tests and its
// benchmark. The viewer names its files after its own path, so every case
// gets a copy of the program beside the files it should find.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "whole_file.h"

namespace hvtest {

// The copy's file name: the placement file is %TEMP%\hvtest.cfg.
constexpr char Stem[] = "hvtest";
constexpr char ViewerClass[] = "TARNHELP";
constexpr char BoxClass[] = "THMSGBOX";

inline std::string ExeFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

inline std::string BinFolder()
{
    return ExeFolder() + "..\\bin\\";
}

inline std::string TempFolder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return temp;
}

inline std::string PlacementPath()
{
    return TempFolder() + Stem + ".cfg";
}

using wholefile::ReadWholeFile;
using wholefile::WriteWholeFile;

inline bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Interface texts: caption "Help", tooltips, print label "Print", caption
// button tips.
constexpr char SysText[] = "Help\r\n\r\nBack\r\nPrint this page\r\nForward\r\nPrint\r\nClose,Maximise,Minimise\r\n";

// The skin the pixel checks look for.
constexpr char SkinText[] = "themekit skin\r\n"
                            "caption colour = #1E5AA0\r\n"
                            "inactive caption colour = #1E5AA0\r\n"
                            "caption text colour = #FFFFFF\r\n"
                            "frame colour = 60, 60, 80\r\n"
                            "face colour = #D2B48C\r\n"
                            "text colour = #202020\r\n"
                            "background colour = #E8E4D8\r\n"
                            "dialog face colour = #F4F0E0\r\n"
                            "dialog text colour = #102030\r\n"
                            "minimum width = 320\r\n"
                            "minimum height = 200\r\n"
                            "caption height = 26\r\n"
                            "frame width = 4\r\n"
                            "button margin = 9\r\n";
constexpr COLORREF CaptionColour = RGB(0x1E, 0x5A, 0xA0);
constexpr COLORREF FrameColour = RGB(60, 60, 80);
constexpr COLORREF FaceColour = RGB(0xD2, 0xB4, 0x8C);
constexpr COLORREF BackgroundColour = RGB(0xE8, 0xE4, 0xD8);
constexpr int FrameWidth = 4;
constexpr int CaptionHeight = 26;
constexpr int MinimumWidth = 320;
constexpr int MinimumHeight = 200;

constexpr char PageText[] = "<html><head><title>Index</title></head><body>Start page</body></html>\r\n";

// A folder under the test programs' folder holding hvtest.exe and its files.
struct ViewerFiles {
    std::string folder; // with a trailing backslash
    std::string exe;
    std::string base;   // folder + stem: the viewer's BasePath
    std::string problem; // why the folder is not ready; empty when it is
};

inline ViewerFiles PrepareViewer(const std::string &name, bool withSys = true)
{
    ViewerFiles files;
    std::string cases = ExeFolder() + "helpview_cases\\";
    CreateDirectoryA(cases.c_str(), nullptr);
    files.folder = cases + name + "\\";
    CreateDirectoryA(files.folder.c_str(), nullptr);
    files.exe = files.folder + Stem + ".exe";
    files.base = files.folder + Stem;
    // A new copy each time: an earlier one is deleted, not written over, so
    // that no start uses a file that something else may still hold (a
    // viewer of an earlier run, a scanner on Windows).
    DWORD error = DeleteFileA(files.exe.c_str()) ? ERROR_SUCCESS : GetLastError();
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        files.problem = "an earlier " + files.exe + " could not be deleted (error " + std::to_string(error) + ")";
    else if (!CopyFileA((BinFolder() + "helpview.exe").c_str(), files.exe.c_str(), TRUE))
        files.problem = "helpview.exe could not be copied to " + files.exe + " (error " +
                        std::to_string(GetLastError()) + ")";
    if (withSys)
        WriteWholeFile(files.base + ".sys", SysText);
    else
        DeleteFileA((files.base + ".sys").c_str());
    WriteWholeFile(files.base + ".skl", SkinText);
    WriteWholeFile(files.base + ".htm", PageText);
    return files;
}

struct FindData {
    DWORD process;
    const char *className;
    HWND found;
};

inline BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam)
{
    auto data = reinterpret_cast<FindData *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == data->process && lstrcmpA(className, data->className) == 0 && IsWindowVisible(window)) {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the class that the process owns, NULL when
// none appears within the time.
inline HWND WaitForWindow(DWORD process, const char *className, DWORD milliseconds = 20000)
{
    DWORD start = GetTickCount();
    do {
        FindData data{process, className, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&data));
        if (data.found)
            return data.found;
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

// One run of the viewer. A run the test did not end is ended here.
class Viewer {
public:
    Viewer(const ViewerFiles &files, const std::string &arguments)
    {
        std::string line = "\"" + files.exe + "\"";
        if (!arguments.empty())
            line += " " + arguments;
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        started_ = CreateProcessA(files.exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  files.folder.c_str(), &startup, &process_) != FALSE;
        if (!started_) {
            DWORD error = GetLastError();
            problem_ = files.problem + (files.problem.empty() ? "" : "; ") + files.exe + " did not start (error " +
                       std::to_string(error) + ")";
        }
    }
    ~Viewer()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Viewer(const Viewer &) = delete;
    Viewer &operator=(const Viewer &) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    HANDLE Process() const { return process_.hProcess; }

    // The main window once it is visible.
    HWND Window(DWORD milliseconds = 20000)
    {
        if (!window_ && started_)
            window_ = WaitForWindow(process_.dwProcessId, ViewerClass, milliseconds);
        return window_;
    }

    // Why there is no window: the start's failure, or the run's end.
    std::string Problem()
    {
        if (!started_ || window_)
            return problem_;
        DWORD code = WaitForExit(0);
        return code == STILL_ACTIVE ? "the viewer runs without a visible window"
                                    : "the viewer ended with exit code " + std::to_string(code);
    }

    // The exit code, or STILL_ACTIVE when the viewer is still running.
    DWORD WaitForExit(DWORD milliseconds = 20000)
    {
        DWORD code = STILL_ACTIVE;
        if (started_ && WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    std::string problem_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// The viewer's command protocol; the reply, or 0 when none came.
inline LRESULT SendCommand(HWND window, ULONG_PTR code, const std::string &text, WPARAM wParam)
{
    COPYDATASTRUCT data{};
    data.dwData = code;
    data.cbData = DWORD(text.size());
    data.lpData = text.empty() ? nullptr : const_cast<char *>(text.data());
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutA(window, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000,
                             &reply))
        return 0;
    return LRESULT(reply);
}

inline LRESULT SendCommand(HWND window, ULONG_PTR code, const std::string &text)
{
    return SendCommand(window, code, text, WPARAM(text.size()));
}

// Runs senders copies of the sending program peer (helpview_copydata_peer.exe)
// at once, each sending count navigate commands to the window, and waits for
// them all. Sender n sends address + n + "?n=" + the command's number. The
// sends, summed over all of them, that got no answer of 1; a program that
// could not start, or did not end within ten minutes, counts all of its
// sends.
inline unsigned SendFromPrograms(const std::string &peer, HWND window, int senders, int count,
                                 const std::string &address = "http://example.org/sender")
{
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llx", static_cast<unsigned long long>(ULONG_PTR(window)));
    std::vector<PROCESS_INFORMATION> running;
    unsigned unanswered = 0;
    for (int n = 0; n < senders; ++n) {
        std::string line = "\"" + peer + "\" " + handle + " " + std::to_string(count) + " " + address +
                           std::to_string(n);
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA(peer.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process))
            running.push_back(process);
        else
            unanswered += unsigned(count);
    }
    for (PROCESS_INFORMATION &process : running) {
        DWORD code = DWORD(count);
        if (WaitForSingleObject(process.hProcess, 600000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, DWORD(count));
        unanswered += code;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return unanswered;
}

// ---- Pixels ----------------------------------------------------------------------

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return CLR_INVALID;
        const std::uint8_t *p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

// The window as drawn, read from its own device context (another
// process's window too).
inline Image Capture(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    Image image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    image.rgb.assign(size_t(image.width) * size_t(image.height) * 3, 0);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC source = GetDCEx(window, nullptr, DCX_CACHE | DCX_WINDOW);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    auto pixels = static_cast<const std::uint8_t *>(bits);
    for (size_t i = 0; pixels && i < size_t(image.width) * size_t(image.height); ++i) {
        image.rgb[i * 3] = pixels[i * 4 + 2];
        image.rgb[i * 3 + 1] = pixels[i * 4 + 1];
        image.rgb[i * 3 + 2] = pixels[i * 4];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return image;
}

// The colour at (x, y) of the window once it is the one wanted, else the
// last one seen when the time runs out. Another process's window is shown
// before it is painted, and its pixels reach the screen after its painting.
inline COLORREF WaitForColour(HWND window, int x, int y, COLORREF wanted, DWORD milliseconds = 5000)
{
    DWORD start = GetTickCount();
    COLORREF seen;
    do {
        seen = Capture(window).At(x, y);
        if (seen == wanted)
            break;
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
    return seen;
}

} // namespace hvtest
