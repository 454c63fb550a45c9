// The scripted tour: what a user would do, step by step on the main
// window's timer, so the windows keep painting and answering while it runs.
// Every wait has a deadline; nothing waits on a dialog. At the end the
// summary goes to the out folder and to standard output, and the main
// window is destroyed, which ends the program.
#include "host_app.h"

#include <audiolink.h>
#include <commctrl.h>

#include <cstdio>

namespace host {

namespace {

// A name outside every 8-bit code page but UTF-8, the host's own.
constexpr char kToneFolder[] = "Вечерний тон";
constexpr char kModuleFolder[] = "Tarn Demo Module";
constexpr char kChordFolder[] = "Rotating Chord";

// Band 2 (170 Hz) raised and band 7 (6 kHz) lowered before playing; band 5
// (1 kHz) raised while the sample plays.
constexpr int kRaisedBand = 2, kRaisedPosition = 80;
constexpr int kLoweredBand = 7, kLoweredPosition = 25;
constexpr int kPlayingBand = 5, kPlayingPosition = 95;

enum class Step {
    WaitForTree,
    SwitchEffectsOn,
    SelectTone,
    WaitForTone,
    ChangeBandWhilePlaying,
    TakePictures,
    StartViewer,
    WaitForViewer,
    NavigateViewer,
    PictureOfViewer,
    WaitForViewerExit,
    WaitForToneEnd,
    SelectModule,
    WaitForModule,
    DragSample,
    Finish,
    Done,
};

// What the tour says as it starts a step (none for the waits that follow
// one), on its standard output, a line at a time.
const char *Saying(Step step)
{
    switch (step) {
    case Step::WaitForTree: return "waiting for the folder tree to show the samples";
    case Step::SwitchEffectsOn: return "switching the equalizer and rotate on";
    case Step::SelectTone: return "selecting the tone in the folder tree, which plays it";
    case Step::ChangeBandWhilePlaying: return "raising the 1 kHz band while it plays";
    case Step::TakePictures: return "saving pictures of the host and its effects dialog, measuring their texts";
    case Step::StartViewer: return "starting the help viewer";
    case Step::NavigateViewer: return "sending the viewer to another page, then closing it";
    case Step::WaitForToneEnd: return "waiting for the tone to end";
    case Step::SelectModule: return "selecting the module sample, which plays it";
    case Step::DragSample: return "dragging a sample onto a folder";
    case Step::Finish: return "writing the summary";
    default: return nullptr;
    }
}

// What the bridge makes of a track position: whole decibels, -15 to +15.
std::string GainOf(int position)
{
    double gain = position / 3.3333 - 15.0;
    int decibels = int(gain < 0 ? gain - 0.5 : gain + 0.5);
    return (decibels > 0 ? "+" : "") + std::to_string(decibels) + " dB";
}

// "a, b, c, d, e" as indented lines of four entries.
std::string Wrapped(const std::string &list)
{
    std::string text = "    ";
    int entries = 0;
    size_t at = 0;
    while (at < list.size()) {
        size_t comma = list.find(", ", at);
        std::string entry = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (entries > 0)
            text += entries % 4 == 0 ? ",\r\n    " : ", ";
        text += entry;
        ++entries;
        at = comma == std::string::npos ? list.size() : comma + 2;
    }
    return text;
}

std::string FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "not written";
    return std::to_string(data.nFileSizeLow) + " bytes";
}

} // namespace

class Tour {
public:
    Tour(HWND main, HWND effects, const TourOptions &options)
        : main_(main), effects_(effects), options_(options), started_(GetTickCount())
    {
        char output[MAX_PATH] = {};
        if (GetEnvironmentVariableA(kEngineOutputVariable, output, sizeof output) < sizeof output)
            output_ = output;
        std::printf("tour: %s\n", Saying(step_));
        std::fflush(stdout);
    }

    void Tick();
    void SelectionPlayed(const NowPlaying &playing);
    void DropReported(const std::string &drop);
    void End();
    int ExitCode() const { return failure_.empty() ? 0 : 1; }

private:
    DWORD Elapsed(DWORD since) const { return GetTickCount() - since; }
    void Go(Step step)
    {
        // After a failure the tour only finishes.
        step_ = failure_.empty() ? step : Step::Finish;
        stepStarted_ = GetTickCount();
        if (const char *saying = Saying(step_)) {
            std::printf("tour: %s\n", saying);
            std::fflush(stdout);
        }
    }
    // A step that waited too long ends the tour.
    bool Late(DWORD milliseconds, const char *what)
    {
        if (Elapsed(stepStarted_) < milliseconds)
            return false;
        Fail(what);
        return true;
    }
    void Fail(const std::string &what)
    {
        if (failure_.empty())
            failure_ = what;
        Go(Step::Finish);
    }
    void Note(const std::string &line) { lines_ += line + "\r\n"; }
    void Picture(HWND window, const char *name);
    void CheckLayout();
    void Finish();
    void RunStep();

    bool busy_ = false;
    HWND main_;
    HWND effects_;
    TourOptions options_;
    DWORD started_;
    Step step_ = Step::WaitForTree;
    DWORD stepStarted_ = GetTickCount();
    DWORD playStarted_ = 0;
    HelpViewer viewer_;
    NowPlaying tone_;
    NowPlaying module_;
    bool tonePlayed_ = false;
    bool modulePlayed_ = false;
    std::string output_;
    std::string handlesAtStart_;
    std::string drop_;
    std::string lines_;
    std::string pictures_;
    std::string failure_;
};

void Tour::Picture(HWND window, const char *name)
{
    std::string path = options_.outFolder + name;
    if (SaveWindowPicture(window, path))
        pictures_ += (pictures_.empty() ? "" : "\r\n    ") + path;
    else
        Fail(std::string("the picture ") + name + " could not be saved");
}

// Every text of the host's own controls shows whole at the DPI the windows
// are drawn at.
void Tour::CheckLayout()
{
    std::string dpi = std::to_string(WindowDpi(main_));
    std::string cutOff;
    for (HWND window : {main_, effects_}) {
        for (const std::string &control : TextsCutOff(window))
            cutOff += (cutOff.empty() ? "" : ", ") + control;
    }
    if (cutOff.empty())
        Note("windows at " + dpi + " DPI: every text fits in its control");
    else
        Fail("at " + dpi + " DPI, texts are cut off: " + cutOff);
}

void Tour::Tick()
{
    // A click on the tree runs a message loop of the tree's own, which
    // delivers our timer again: one step at a time.
    if (busy_)
        return;
    busy_ = true;
    RunStep();
    busy_ = false;
}

void Tour::RunStep()
{
    // The whole tour has a deadline of its own, whatever step it is in.
    DWORD limit = options_.shortRun ? 60000 : 120000;
    if (step_ != Step::Finish && step_ != Step::Done && Elapsed(started_) > limit)
        Fail("the tour took too long");

    HWND tree = TreeOf(main_);
    switch (step_) {
    case Step::WaitForTree: {
        // The control fills the sample folder's root and expands it.
        HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        if (root && SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(root)))
            Go(Step::SwitchEffectsOn);
        else
            Late(10000, "the sample folder did not appear in the tree");
        break;
    }
    case Step::SwitchEffectsOn:
        ClickEffectSwitch(effects_, FXID_EQUALIZER, true);
        MoveBandSlider(effects_, kRaisedBand, kRaisedPosition);
        MoveBandSlider(effects_, kLoweredBand, kLoweredPosition);
        ClickEffectSwitch(effects_, FXID_ROTATE, true);
        Note("effects switched on in the dialog: equalizer (band " + std::to_string(kRaisedBand) + " " +
             GainOf(kRaisedPosition) + ", band " + std::to_string(kLoweredBand) + " " + GainOf(kLoweredPosition) +
             "), rotate");
        Go(Step::SelectTone);
        break;
    case Step::SelectTone:
        // The selection is reported while the click is being handled.
        Go(Step::WaitForTone);
        if (!ClickTreeItem(tree, kToneFolder))
            Fail(std::string("no folder \"") + kToneFolder + "\" in the tree");
        break;
    case Step::WaitForTone:
        if (tonePlayed_) {
            if (tone_.path.empty() || tone_.path.back() == '\\') {
                Fail("no sample found in the selected folder \"" + tone_.path + "\"");
                break;
            }
            if (tone_.openResult != 0 || tone_.playResult != 0) {
                Fail(std::string(tone_.openResult ? "BASSOPEN" : "BASSPLAY") + " answered " +
                     std::to_string(tone_.openResult ? tone_.openResult : tone_.playResult) + " (" +
                     tone_.playError + ")");
                break;
            }
            playStarted_ = GetTickCount();
            handlesAtStart_ = EffectHandles();
            Note("effect handles the bridge put on the channel (BASSFXCHANNEL):");
            Note(Wrapped(handlesAtStart_));
            Go(Step::ChangeBandWhilePlaying);
        } else {
            Late(3000, "the click on the tree was not reported as a selection");
        }
        break;
    case Step::ChangeBandWhilePlaying:
        if (Elapsed(stepStarted_) < (options_.shortRun ? 300u : 1500u))
            break;
        MoveBandSlider(effects_, kPlayingBand, kPlayingPosition);
        Note("while playing: band " + std::to_string(kPlayingBand) + " moved to " + GainOf(kPlayingPosition) +
             " (BASSUPDATEEQ)");
        if (EffectHandles() == handlesAtStart_)
            Note("    the same handles afterwards: the band's gain changed in place");
        else
            Note("effect handles afterwards:\r\n" + Wrapped(EffectHandles()));
        Go(Step::TakePictures);
        break;
    case Step::TakePictures:
        Picture(main_, "host-main.png");
        Picture(effects_, "host-effects.png");
        CheckLayout();
        Go(Step::StartViewer);
        break;
    case Step::StartViewer:
        if (!viewer_.Start(HelpFolder() + "index.html")) {
            Fail("helpview.exe could not be started");
            break;
        }
        Go(Step::WaitForViewer);
        break;
    case Step::WaitForViewer:
        if (viewer_.Window())
            Go(Step::NavigateViewer);
        else if (!viewer_.Running())
            Fail("the help viewer ended before its window appeared");
        else
            Late(20000, "the help viewer's window did not appear");
        break;
    case Step::NavigateViewer:
        if (Elapsed(stepStarted_) < 500)
            break;
        if (!viewer_.Navigate(FileAddress(HelpFolder() + "effects.html"))) {
            Fail("the help viewer did not take the navigate command");
            break;
        }
        Note("help viewer: started on help\\index.html, sent to help\\effects.html (WM_COPYDATA 3)");
        Go(Step::PictureOfViewer);
        break;
    case Step::PictureOfViewer:
        if (Elapsed(stepStarted_) < (options_.shortRun ? 500u : 1500u))
            break;
        Picture(viewer_.Window(), "help-viewer.png");
        if (!viewer_.Close()) {
            Fail("the help viewer did not take the close command");
            break;
        }
        Go(Step::WaitForViewerExit);
        break;
    case Step::WaitForViewerExit:
        if (!viewer_.Running()) {
            viewer_.WaitOrEnd(0);
            Note("help viewer: closed (WM_COPYDATA 10), exit code " + std::to_string(viewer_.ExitCode()));
            Go(Step::WaitForToneEnd);
        } else if (Elapsed(stepStarted_) > 10000) {
            viewer_.WaitOrEnd(0);
            Fail("the help viewer did not close");
        }
        break;
    case Step::WaitForToneEnd: {
        // The short tour stops the tone early; the full one lets it end.
        DWORD playFor = options_.shortRun ? 1500 : 12000;
        if (BASSCHANNELISACTIVE() && Elapsed(playStarted_) < playFor)
            break;
        int closed = BASSCLOSECHANNEL(0);
        Note("tone closed after " + std::to_string(Elapsed(playStarted_) / 100 / 10.0).substr(0, 4) +
             " s (BASSCLOSECHANNEL: " + std::to_string(closed) + ")");
        Go(Step::SelectModule);
        break;
    }
    case Step::SelectModule:
        Go(Step::WaitForModule);
        if (!ClickTreeItem(tree, kModuleFolder))
            Fail(std::string("no folder \"") + kModuleFolder + "\" in the tree");
        break;
    case Step::WaitForModule:
        if (modulePlayed_) {
            Note("module: " + module_.path);
            Note("module kind: " + KindName(module_.kind));
            Note("module title: " + module_.displayName);
            Note("module play: " + std::to_string(module_.playResult) +
                 (module_.playError.empty() ? "" : " (" + module_.playError + ")"));
            BASSCLOSECHANNEL(0);
            Go(Step::DragSample);
        } else {
            Late(3000, "the click on the module's folder was not reported");
        }
        break;
    case Step::DragSample:
        // The host moves nothing on a drop; it only says what was dropped.
        if (!DragTreeItem(tree, kChordFolder, kModuleFolder))
            Fail("the drag of a sample folder did not start");
        else if (drop_.empty())
            Fail("the drop was not reported");
        else
            Note("drag and drop: " + drop_ + " (BFFN_DROP; nothing moved)");
        Go(Step::Finish);
        break;
    case Step::Finish:
        Finish();
        break;
    case Step::Done:
        break;
    }
}

void Tour::SelectionPlayed(const NowPlaying &playing)
{
    if (step_ == Step::WaitForTone && !tonePlayed_) {
        tone_ = playing;
        tonePlayed_ = true;
    } else if (step_ == Step::WaitForModule && !modulePlayed_) {
        module_ = playing;
        modulePlayed_ = true;
    }
}

void Tour::DropReported(const std::string &drop)
{
    if (step_ == Step::DragSample)
        drop_ = drop;
}

void Tour::Finish()
{
    step_ = Step::Done;
    // Output is released, so the engine completes its file now.
    BASSFREE();
    std::string text = "Tour of the Tarn media host\r\n";
    text += "sample: " + tone_.path + "\r\n";
    text += "media kind: " + KindName(tone_.kind) + "\r\n";
    text += "display name: " + tone_.displayName + "\r\n";
    text += lines_;
    if (output_.empty())
        text += "rendered output: none (" + std::string(kEngineOutputVariable) + " is not set)\r\n";
    else
        text += "rendered output: " + output_ + " (" + FileSize(output_) + ")\r\n";
    text += "pictures:\r\n    " + pictures_ + "\r\n";
    text += failure_.empty() ? "result: ok\r\n" : "result: failed: " + failure_ + "\r\n";

    HANDLE file = CreateFileA((options_.outFolder + "tour-summary.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE)
        WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr);
    // Closed as a user closes it, once this tick is over.
    PostMessageA(main_, WM_CLOSE, 0, 0);
}

void Tour::End()
{
    if (step_ != Step::Done && failure_.empty())
        failure_ = "the window was closed before the tour ended";
    if (viewer_.Running()) {
        viewer_.Close();
        viewer_.WaitOrEnd(5000);
    }
}

Tour *StartTour(HWND mainWindow, HWND effects, const TourOptions &options)
{
    return new Tour(mainWindow, effects, options);
}

void TourTick(Tour *tour)
{
    tour->Tick();
}

void TourSelectionPlayed(Tour *tour, const NowPlaying &playing)
{
    tour->SelectionPlayed(playing);
}

void TourDropReported(Tour *tour, const std::string &drop)
{
    tour->DropReported(drop);
}

int EndTour(Tour *tour)
{
    tour->End();
    int code = tour->ExitCode();
    delete tour;
    return code;
}

} // namespace host
