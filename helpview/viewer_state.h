// The viewer's module-wide state: one main window, one browser control, one
// user-interface thread. Everything is zero or empty until start-up fills it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include <jaocx20.h>
#include <themekit.h>

namespace helpview {

extern std::string BasePath;        // full program path without its extension
extern std::string ProgramFileName; // file-name part of the program path
extern HFONT DefaultFont;
extern int ScreenWidth;
extern int ScreenHeight;
extern std::vector<std::string> UiTexts; // lines of the ".sys" file; element n is line n
extern HWND MainWindow;
extern HWND ClientHolder;  // the skinned window's child area: buttons, control, status line
extern HWND StatusWindow;  // the one-line status area under the control
extern IDispatch *BrowserControl; // owned by the container, never released here
// The caption at creation; reused for the pending navigation. It holds
// CaptionCharacters characters of any code page: UTF-8 takes up to three
// bytes for a UTF-16 unit. A navigate command's text (at most 255 bytes in
// its sender's code page) is never more characters than that.
constexpr size_t CaptionCharacters = 255;
constexpr size_t CaptionBufferSize = 3 * CaptionCharacters + 1;
extern char CaptionBuffer[CaptionBufferSize];
extern size_t PdfShown; // 1-based position of ".PDF" in the first such address shown
extern THSTYLERECORD StyleRecord;
extern std::string PendingUrl;

// UiTexts(index), empty for a line the ".sys" file does not have.
const std::string &UiText(size_t index);

// Copies text into CaptionBuffer: up to its first zero byte, at most
// CaptionCharacters whole characters.
void SetCaptionBuffer(const char *text);

// StyleRecord for a message box: icon, the skin's dialog colours, padding
// 6, alert, bevel and frame 3.
void FillMessageBoxStyle(LPCSTR icon, SHORT alert);

// The bytes of a byte string from the skin library, which is freed.
std::string TakeByteString(BSTR text);

// Button identifiers.
constexpr int BackButton = 1;
constexpr int PrintButton = 2;
constexpr int ForwardButton = 3;

constexpr UINT WM_PENDINGNAVIGATE = WM_USER + 3;

constexpr char ViewerClassName[] = "TARNHELP";
constexpr char HolderClassName[] = "THCLIP";
constexpr char ControlName[] = "Explorer1";

// Start-up (files, window, control, first page) and the rest of the run.
int RunViewer(HINSTANCE instance);
void CreateMainWindow(HINSTANCE instance, int left, int top, int width, int height);

// The placement file: save 0 fills the four values, otherwise writes them.
void PlacementFile(int &left, int &top, int &width, int &height, int save);

// The status area follows the child area's size.
void LayOutStatusArea(int holderWidth, int holderHeight);
int StatusAreaHeight();
HBRUSH StatusAreaBrush(HDC dc, HWND status);
// GDI objects the window drew with, deleted at shutdown.
void DeleteWindowObjects();

// The browser control (browser_host.cpp).
void NavigateTo(const char *address);
void GoBack();
void GoForward();
void PrintPage();

} // namespace helpview

extern "C" {
LRESULT __stdcall MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG __stdcall JAEVENTCALLBACK(DISPID dispid, JAEVENT event, LONG_PTR user);
}
