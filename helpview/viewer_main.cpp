// The viewer's entry point: start-up from its own files and command line,
// the message loop, and the shutdown.
#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "address_rules.h"
#include "command_line.h"
#include "process_code_page.h"
#include "viewer_state.h"

namespace helpview {

std::string BasePath;
std::string ProgramFileName;
HFONT DefaultFont = nullptr;
int ScreenWidth = 0;
int ScreenHeight = 0;
std::vector<std::string> UiTexts;
HWND MainWindow = nullptr;
HWND ClientHolder = nullptr;
HWND StatusWindow = nullptr;
IDispatch *BrowserControl = nullptr;
char CaptionBuffer[CaptionBufferSize] = {};
size_t PdfShown = 0;
THSTYLERECORD StyleRecord = {};
std::string PendingUrl;

const std::string &UiText(size_t index)
{
    static const std::string none;
    return index < UiTexts.size() ? UiTexts[index] : none;
}

void SetCaptionBuffer(const char *text)
{
    std::string_view whole = text ? text : "";
    size_t length = WholeCharacters(whole, sizeof CaptionBuffer - 1, CaptionCharacters);
    std::memcpy(CaptionBuffer, whole.data(), length);
    CaptionBuffer[length] = '\0';
}

void FillMessageBoxStyle(LPCSTR icon, SHORT alert)
{
    // Filled as raw bytes at the offsets the skin library reads.
    auto bytes = reinterpret_cast<unsigned char *>(&StyleRecord);
    DWORD handle = THSTYLE_ICON(LoadIconA(nullptr, icon));
    COLORREF face = THGETSYSCOLOR(THCOLOR_DIALOGFACE);
    COLORREF text = THGETSYSCOLOR(THCOLOR_DIALOGTEXT);
    LONG padding = 6;
    std::memcpy(bytes + 4, &handle, sizeof handle);
    std::memcpy(bytes + 8, &face, 4);
    std::memcpy(bytes + 12, &text, 4);
    std::memcpy(bytes + 16, &padding, 4);
    std::memcpy(bytes + 20, &alert, 2);
    bytes[22] = 3;
    bytes[25] = 3;
}

std::string TakeByteString(BSTR text)
{
    std::string bytes = text ? std::string(reinterpret_cast<const char *>(text), SysStringByteLen(text)) : "";
    SysFreeString(text);
    return bytes;
}

namespace {

constexpr char SysMissing[] = " missing !";
constexpr char PdfViewerTitle[] = "Acrobat Reader";

// Lines of the ".sys" file: UiTexts[n] is line n.
void ReadUiTexts(const std::string &sysPath)
{
    SAFEARRAY *array = nullptr;
    int count = 0;
    THREADSTR(sysPath.c_str(), &array, &count);
    UiTexts.assign(1, std::string());
    // The array is ours now, and goes however the reading ends.
    std::unique_ptr<SAFEARRAY, decltype(&SafeArrayDestroy)> owned(array, SafeArrayDestroy);
    if (!array)
        return;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    std::vector<std::string> lines;
    for (LONG index = lower; index <= upper; ++index) {
        BSTR line = nullptr;
        // A copy: the array keeps its own strings.
        if (FAILED(SafeArrayGetElement(array, &index, &line)))
            line = nullptr;
        lines.push_back(TakeByteString(line));
    }
    // All lines at once: the file's code page is decided by the whole file.
    LinesFromOutside(lines);
    for (LONG index = std::max<LONG>(lower, 1); index <= upper; ++index) {
        UiTexts.resize(size_t(index) + 1);
        UiTexts[size_t(index)] = std::move(lines[size_t(index - lower)]);
    }
}

std::string StartAddress(const std::string &document)
{
    const CodePageShape &codePage = ProcessCodePageShape();
    if (document.empty())
        return FileAddress("", BasePath + ".htm", codePage);
    if (!THEXIST(document.c_str()))
        return AddressText(document, codePage);
    BSTR folder = nullptr, file = nullptr;
    THSPLITN(document.c_str(), &folder, &file);
    std::string folderText = TakeByteString(folder);
    return FileAddress(folderText, TakeByteString(file), codePage);
}

int RunMessageLoop()
{
    MSG message{};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 0;
        if (THDIALOGMESSAGE(MainWindow, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return int(message.wParam);
}

// A document viewer started for a PDF the control showed is asked to go too,
// with a time limit: a hung window there must not keep the viewer from ending.
void ClosePdfViewer()
{
    if (!PdfShown)
        return;
    if (HWND reader = FindWindowA(nullptr, PdfViewerTitle)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(reader, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
}

} // namespace

int RunViewer(HINSTANCE instance)
{
    BSTR folder = nullptr, file = nullptr;
    std::string programPath = TakeByteString(THEXENAME());
    THSPLITN(programPath.c_str(), &folder, &file);
    std::string folderText = TakeByteString(folder);
    ProgramFileName = TakeByteString(file);
    BasePath = BasePathOf(folderText, ProgramFileName);

    JAInitializePBClient();
    THKILLFILE((BasePath + ".LOG").c_str());
    DefaultFont = THDEFAULTFONT();
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    DocumentAndSkin start = ChooseDocumentAndSkin(ArgumentsOf(GetCommandLineA()), BasePath + ".skl");
    THINITENGINE(start.skinFile.c_str());

    std::string sysPath = BasePath + ".sys";
    if (THEXIST(sysPath.c_str()) != -1) {
        FillMessageBoxStyle(IDI_QUESTION, 0);
        THMSGBOX(nullptr, DefaultFont, StemOf(ProgramFileName).c_str(), (sysPath + SysMissing).c_str(), "",
                 &StyleRecord, 0);
        return 2;
    }
    ReadUiTexts(sysPath);
    THSETSYSTOOLTIP(UiText(7).c_str(), 1);

    int left = 0, top = 0, width = 0, height = 0;
    PlacementFile(left, top, width, height, 0);
    SetCaptionBuffer(UiText(1).c_str());
    CreateMainWindow(instance, left, top, width, height);

    NavigateTo(StartAddress(start.document).c_str());
    THSETSYSBUTTONTIP(MainWindow, UiText(7).c_str());
    ShowWindow(MainWindow, SW_SHOW);
    UpdateWindow(MainWindow);

    int exitCode = RunMessageLoop();

    if (BrowserControl)
        JADeleteControl(BrowserControl);
    BrowserControl = nullptr;
    ClosePdfViewer();
    THKILLFILE((BasePath + ".LOG").c_str());
    DeleteWindowObjects();
    return exitCode;
}

} // namespace helpview

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // A single-threaded apartment with OLE, as in-place controls need.
    HRESULT ole = OleInitialize(nullptr);
    int exitCode;
    try {
        exitCode = helpview::RunViewer(instance);
    } catch (const std::bad_alloc &) {
        exitCode = 1;
    }
    if (SUCCEEDED(ole))
        OleUninitialize();
    return exitCode;
}
