// The example host: a media application's main window with the folder-tree
// control, an effects dialog for the audio bridge, and the help viewer
// driven from outside. Everything runs on the one user-interface thread.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

// The headers name it only for builds that require Windows 7; the host
// requires XP and hears it where the system sends it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace host {

constexpr char kMainClass[] = "TarnHostMain";
constexpr char kEffectsClass[] = "TarnHostEffects";
constexpr char kViewerClass[] = "TARNHELP";

constexpr int kTreeId = 100;

// The setting of the rendering audio engine ("BASS.DLL" beside the program)
// that names the WAVE file it plays into.
constexpr char kEngineOutputVariable[] = "TARN_ENGINE_OUTPUT";

// ---- Files beside the program ---------------------------------------------

std::string ProgramFolder(); // with a trailing backslash
std::string SampleFolder();  // ProgramFolder() + "samples\\"
std::string HelpFolder();    // ProgramFolder() + "help\\"
std::string FileAddress(const std::string &path); // "file://C:/..."

// The first file in folder that the audio bridge plays, by extension;
// empty when there is none.
std::string FindSampleIn(const std::string &folder);

// ---- Small helpers ------------------------------------------------------------

// The text of a BSTR result of the modules, which is ours to free: freed.
std::string TakeText(BSTR text);
// A visible child control at place (in the parent's pixels), in font.
HWND AddChild(HWND parent, const char *className, const char *text, DWORD style, const RECT &place, int id,
              HFONT font);

// ---- The DPI the windows are drawn at ----------------------------------------
// Every size in the host is written in pixels at 96 DPI and scaled to the
// DPI of the window it is in; WM_DPICHANGED says when that changes.

constexpr UINT kBaseDpi = 96;

// The window's DPI where the system has one per window (Windows 10 version
// 1607 and later); the system's DPI elsewhere.
UINT WindowDpi(HWND window);
// A length or a rectangle in 96-DPI pixels, at dpi.
int Scaled(int pixels, UINT dpi);
RECT Scaled(const RECT &rect, UINT dpi);
// The outer size of a window whose client area measures width x height
// 96-DPI pixels, at dpi.
SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
// Puts the window where WM_DPICHANGED suggests (the rectangle of its lParam).
void MoveToSuggested(HWND window, const RECT &suggested);

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;
// The host's own text at dpi: the default GUI font's face, at 8 points.
OwnedFont CreateTextFont(UINT dpi);
// The folder tree's labels at dpi: the face the control draws in when the
// host gives it none, at its 96-DPI size scaled, so that at 96 DPI the tree
// looks just as it does in its own font.
OwnedFont CreateTreeFont(UINT dpi);
// The host's own controls among the window's children whose text does not
// fit in them at the window's DPI, as "control <id> ("<text>")".
std::vector<std::string> TextsCutOff(HWND window);

// ---- What is playing --------------------------------------------------------

struct NowPlaying {
    std::string path;        // the file handed to BASSOPEN
    int openResult = 0;      // BASSOPEN's answer
    int playResult = 0;      // BASSPLAY's answer
    std::string playError;   // BASSERRORDESCRIPTION of a failed play
    int kind = 0;            // BASSMEDIATYPE once playing; by the name found otherwise
    std::string displayName; // BASSSTREAMNAME or BASSMUSICNAME
};

// Opens and plays the file through the audio bridge; window is the one
// output is initialised for.
NowPlaying OpenAndPlay(HWND window, const std::string &path);
std::string KindName(int kind);
// The effect handles the rack holds, "band 5 = 0x..., rotate = 0x..." style;
// "none" when the rack is empty.
std::string EffectHandles();

// ---- The effects dialog -------------------------------------------------------

// A tool window of ten band track bars and the effect check boxes, with the
// control ids the audio bridge reads, registered with BASSFXWINDOW.
HWND CreateEffectsDialog(HWND owner, int x, int y);
// What a user's hand does: the control changes and the dialog hears of it as
// from the control itself.
void ClickEffectSwitch(HWND dialog, int id, bool on);
void MoveBandSlider(HWND dialog, int band, int position);

// ---- The help viewer ------------------------------------------------------------

// helpview.exe beside the program, started on a page and driven with the
// folder-tree library's WM_COPYDATA sender.
class HelpViewer {
public:
    ~HelpViewer();
    bool Start(const std::string &page);
    // The viewer's main window once it has appeared; 0 until then.
    HWND Window();
    bool Running() const;
    bool Navigate(const std::string &address); // command 3
    bool Close();                              // command 10
    // Ends a viewer that did not close by itself; true when it had exited.
    bool WaitOrEnd(DWORD milliseconds);
    DWORD ExitCode() const { return exitCode_; }

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    DWORD exitCode_ = STILL_ACTIVE;
};

// ---- Pictures -------------------------------------------------------------------

// The window as it is drawn, read from its own device context, as a PNG.
bool SaveWindowPicture(HWND window, const std::string &path);

// ---- The main window ------------------------------------------------------------

struct TourOptions {
    bool enabled = false;
    bool shortRun = false;
    std::string outFolder; // with a trailing backslash
};

HWND CreateMainWindow(HINSTANCE instance, const TourOptions &tour);
// The control's tree child, and the item of a sample folder by its label.
HWND TreeOf(HWND mainWindow);
// Selects the tree item as a click of the user's mouse does, so the control
// reports it; false when no such item is shown.
bool ClickTreeItem(HWND tree, const std::string &label);
// Drags one sample folder onto another with the messages a drag with the
// mouse produces; false when either is not shown or no drag started.
bool DragTreeItem(HWND tree, const std::string &from, const std::string &to);

// ---- The scripted tour ------------------------------------------------------------

// Runs on the main window's timer; each tick may advance one step. Ends the
// message loop itself; its summary goes to the out folder and to standard
// output.
class Tour;
Tour *StartTour(HWND mainWindow, HWND effects, const TourOptions &options);
void TourTick(Tour *tour);
void TourSelectionPlayed(Tour *tour, const NowPlaying &playing);
void TourDropReported(Tour *tour, const std::string &drop);
// Closes what the tour opened and frees it; the program's exit code: 0 when
// every step went as planned.
int EndTour(Tour *tour);

} // namespace host
