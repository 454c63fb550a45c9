// The modules under load and repetition, as a host that runs for hours uses
// them. For each case: what the process holds before (after ten warm-up
// steps), at its peak (sampled twenty times as the case runs) and after, and
// the rate at which the case ran (the sampling not counted).
//
//   handles      every handle value the system accepts (Wine answers
//                GetProcessHandleCount with 0: probed)
//   heap         bytes in busy blocks of all heaps (HeapWalk; Wine answers
//                GetProcessMemoryInfo's private bytes with 0)
//   GDI          GDI objects, probed by index (GetGuiResources is a stub)
//   windows      windows of the process (there is no user-object counter
//                under Wine either)
//   free slots   thread-local slots still free (taken and given back)
//   open files   handles of disk files: the engine's media and output
//                files and the saved copies (probed, GetFileType)
//   FolderItems  the folder tree's item records: blocks of their size on
//                the process heap, where the control allocates them
//
//   endurance_bench [scale [group]]
//     scale: a fraction of the full counts (1.0; or TARN_ENDURANCE_SCALE);
//     the full run takes more than an hour under Wine
//     group: load, play, tree, viewer or save (all when missing)
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_architecture.h"
#include "bench_clock.h"
#include "effects_dialog.h"
#include "folder_tree.h"
#include "helpview_process.h"
#include "testbrowser/test_browser.h"
#include "process_counts.h"
#include "temp_folder.h"
#include "wave_bytes.h"
#include "whole_file.h"

namespace {

using processcounts::Counts;

std::string BuildFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\'));           // ...\bench
    return folder.substr(0, folder.find_last_of('\\')); // the build tree
}

template <typename Entry> Entry EntryOf(HMODULE module, const char *name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

// What the process holds, with the folder tree's records.
struct Sample {
    Counts counts;
    unsigned folderItems;
};

Sample TakeSample()
{
    return Sample{processcounts::Now(), processcounts::HeapBlocksOfSize(sizeof(foldertree::FolderItem))};
}

// Before, peak (the most of each, the fewest free slots) and after.
class Tally {
public:
    Tally() : before_(TakeSample()), peak_(before_) {}
    void Note(const Sample &now)
    {
        Counts &peak = peak_.counts;
        peak.handles = std::max(peak.handles, now.counts.handles);
        peak.heapBytes = std::max(peak.heapBytes, now.counts.heapBytes);
        peak.gdiObjects = std::max(peak.gdiObjects, now.counts.gdiObjects);
        peak.windows = std::max(peak.windows, now.counts.windows);
        peak.freeSlots = std::min(peak.freeSlots, now.counts.freeSlots);
        peak.openFiles = std::max(peak.openFiles, now.counts.openFiles);
        peak_.folderItems = std::max(peak_.folderItems, now.folderItems);
    }
    // The milliseconds the sample took.
    double NoteNow()
    {
        double start = BenchMilliseconds();
        Note(TakeSample());
        return BenchMilliseconds() - start;
    }
    void Print()
    {
        Sample after = TakeSample();
        Note(after);
        const Counts &b = before_.counts, &p = peak_.counts, &a = after.counts;
        std::printf("  %-12s %12s %12s %12s\n", "", "before", "peak", "after");
        std::printf("  %-12s %12u %12u %12u\n", "handles", b.handles, p.handles, a.handles);
        std::printf("  %-12s %12zu %12zu %12zu\n", "heap bytes", b.heapBytes, p.heapBytes, a.heapBytes);
        std::printf("  %-12s %12u %12u %12u\n", "GDI objects", b.gdiObjects, p.gdiObjects, a.gdiObjects);
        std::printf("  %-12s %12u %12u %12u\n", "windows", b.windows, p.windows, a.windows);
        std::printf("  %-12s %12u %12u %12u\n", "free slots", b.freeSlots, p.freeSlots, a.freeSlots);
        std::printf("  %-12s %12u %12u %12u\n", "open files", b.openFiles, p.openFiles, a.openFiles);
        std::printf("  %-12s %12u %12u %12u\n", "FolderItems", before_.folderItems, peak_.folderItems,
                    after.folderItems);
        std::fflush(stdout);
    }

private:
    Sample before_;
    Sample peak_;
};

// Runs step(i) count times, sampling the counts every sampleEvery steps, and
// prints before, peak and after with the rate.
void RunCase(const char *name, int count, int sampleEvery, const std::function<bool(int)> &step)
{
    // What the system keeps for good after the first uses is in place
    // before the counting starts.
    for (int i = 0; i < 10; ++i)
        step(i);
    Tally tally;
    double start = BenchMilliseconds();
    double sampling = 0;
    int done = 0;
    for (; done < count; ++done) {
        if (!step(done)) {
            std::printf("  %s: step %d failed\n", name, done + 1);
            break;
        }
        if ((done + 1) % sampleEvery == 0)
            sampling += tally.NoteNow();
    }
    double elapsed = BenchMilliseconds() - start - sampling;
    std::printf("%s: %d in %.1f s, %.0f per second\n", name, done, elapsed / 1000, done * 1000.0 / elapsed);
    tally.Print();
}

// ---- Loading and freeing -------------------------------------------------------

void LoadAndFree(int cycles)
{
    std::string bin = BuildFolder() + "\\bin\\";
    SetDllDirectoryA((BuildFolder() + "\\engine").c_str());
    struct Module {
        const char *name;
        std::function<void(HMODULE)> use;
    } modules[] = {
        {"audiolink.dll",
         [](HMODULE module) {
             SysFreeString(EntryOf<BSTR(__stdcall *)()>(module, "BASSGETVERSION")());
         }},
        {"foldertree.dll",
         [](HMODULE module) {
             EntryOf<int(__stdcall *)()>(module, "RegisterBFFClass")();
             SysFreeString(EntryOf<BSTR(__stdcall *)()>(module, "Bff_Version")());
         }},
        {"themekit.dll",
         [](HMODULE module) {
             EntryOf<int(__stdcall *)(const char *)>(module, "THINITENGINE")("Z:\\nonexistent\\skin.ini");
             EntryOf<int(__stdcall *)(int, int, int, int)>(module, "THSETMAXSIZE")(640, 480, 1024, 768);
         }},
        {"jaocx20.dll", [](HMODULE module) { EntryOf<HRESULT(__stdcall *)()>(module, "JAInitializePBClient")(); }},
    };
    for (const Module &module : modules) {
        std::string path = bin + module.name;
        std::string title = std::string("load and free ") + module.name;
        RunCase(title.c_str(), cycles, std::max(1, cycles / 20), [&](int) {
            HMODULE loaded = LoadLibraryA(path.c_str());
            if (!loaded)
                return false;
            module.use(loaded);
            return FreeLibrary(loaded) != FALSE;
        });
    }
    SetDllDirectoryA(nullptr);
}

// ---- Playing -----------------------------------------------------------------

BSTR NewByteString(const std::string &bytes)
{
    return SysAllocStringByteLen(bytes.data(), UINT(bytes.size()));
}

std::string ToneFile(unsigned rate, double seconds)
{
    std::string data;
    unsigned frames = unsigned(rate * seconds);
    for (unsigned n = 0; n < frames; ++n) {
        int value = int(6000 * ((n / 40) % 2 ? 1 : -1));
        wavebytes::Put16(data, unsigned(value) & 0xFFFF);
        wavebytes::Put16(data, unsigned(-value) & 0xFFFF);
    }
    return wavebytes::Riff(wavebytes::FormatChunk(rate, 2, 16) + wavebytes::Chunk("data", data));
}

struct AudioLink {
    explicit AudioLink(const std::string &engineFolder)
    {
        SetDllDirectoryA(engineFolder.c_str());
        module = LoadLibraryA("audiolink.dll");
        SetDllDirectoryA(nullptr);
    }
    ~AudioLink()
    {
        if (module)
            FreeLibrary(module);
    }
    template <typename Entry> Entry Get(const char *name) const { return EntryOf<Entry>(module, name); }
    HMODULE module = nullptr;
};

// The rendering engine at full speed, serving addresses from a folder and
// writing what it plays to a file, while this lives.
struct EngineSettings {
    EngineSettings(const std::string &servedFolder, const std::string &output)
    {
        SetEnvironmentVariableA("TARN_ENGINE_RENDER", "fast");
        SetEnvironmentVariableA("TARN_ENGINE_URL_FOLDER", servedFolder.c_str());
        SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    }
    ~EngineSettings()
    {
        for (const char *name : {"TARN_ENGINE_RENDER", "TARN_ENGINE_URL_FOLDER", "TARN_ENGINE_OUTPUT"})
            SetEnvironmentVariableA(name, nullptr);
    }
    EngineSettings(const EngineSettings &) = delete;
    EngineSettings &operator=(const EngineSettings &) = delete;
};

// Pieces of every kind opened, played with the effects switched on and off
// and changed while they play, and closed, through one loading of the bridge
// and the rendering engine at full speed.
void PlayCycles(int cycles)
{
    std::string scratch = tempfolder::FreshFolder("endurance-play");
    std::string served = scratch + "\\served";
    CreateDirectoryA(served.c_str(), nullptr);
    std::string tone = ToneFile(44100, 0.03);
    wholefile::WriteWholeFile(served + "\\tune.wav", tone);
    auto write = [&](const std::string &name, const std::string &bytes) {
        std::string path = scratch + "\\" + name;
        wholefile::WriteWholeFile(path, bytes);
        return path;
    };
    const std::vector<std::string> names = {
        write("stereo.wav", tone), write("short.wav", ToneFile(22050, 0.02)), "http://radio.example/tune.wav",
        write("noise.mp3", std::string(300, 'Z')), write("song.xm", "Extended Module: song\x1a"),
        write("talk.wma", std::string(64, '0')), "D:\\Track01.cda",
    };
    EngineSettings settings(served, scratch + "\\out.wav");
    {
        altest::EffectsDialog dialog;
        AudioLink link(BuildFolder() + "\\engine");
        auto open = link.Get<int(__stdcall *)(HWND, BSTR)>("BASSOPEN");
        auto play = link.Get<int(__stdcall *)(DWORD, DWORD)>("BASSPLAY");
        auto inUse = link.Get<DWORD(__stdcall *)()>("BASSHANDLEINUSE");
        auto active = link.Get<DWORD(__stdcall *)()>("BASSCHANNELISACTIVE");
        auto close = link.Get<int(__stdcall *)(DWORD)>("BASSCLOSECHANNEL");
        auto fxWindow = link.Get<HWND(__stdcall *)(HWND, DWORD)>("BASSFXWINDOW");
        auto updateEq = link.Get<void(__stdcall *)(DWORD, int)>("BASSUPDATEEQ");
        auto updateRotate = link.Get<void(__stdcall *)(DWORD)>("BASSUPDATEROTATE");
        auto updateReverb = link.Get<void(__stdcall *)(DWORD)>("BASSUPDATEREVERB");
        auto removeFx = link.Get<void(__stdcall *)(DWORD)>("BASSREMOVEFX");
        if (!open || !play) {
            std::printf("play cycles: audiolink.dll or the engine did not load\n");
            return;
        }
        fxWindow(dialog.Window(), 1);
        RunCase("play cycles", cycles, std::max(1, cycles / 20), [&](int n) {
            open(nullptr, NewByteString(names[size_t(n) % names.size()]));
            dialog.Check(11, n % 2 == 0); // equalizer
            dialog.Check(17, n % 3 == 0); // rotate
            if (play(0, 0) == 0 && inUse()) {
                dialog.Track(1 + n % 10, n % 60);
                updateEq(0, 1 + n % 10);
                updateRotate(0);
                dialog.Check(13, n % 4 == 0); // reverb
                updateReverb(0);
                if (n % 5 == 0)
                    removeFx(0);
                for (int waited = 0; waited < 10000 && active(); ++waited)
                    Sleep(1);
            }
            close(0);
            return true;
        });
    }
    tempfolder::RemoveTree(scratch);
}

// ---- The folder tree -------------------------------------------------------------

// Controls made and destroyed; then one control on a folder of 200
// sub-folders, its root expanded and collapsed again and again, and filled
// anew now and then.
void FolderTreeCycles(int controls, int expansions)
{
    std::string root = tempfolder::FreshFolder("endurance-tree");
    for (int n = 0; n < 200; ++n) {
        std::string folder = root + "\\Album " + std::to_string(n);
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\Disc 1").c_str(), nullptr);
    }
    HMODULE module = LoadLibraryA((BuildFolder() + "\\bin\\foldertree.dll").c_str());
    auto create = EntryOf<HWND(__stdcall *)(DWORD, const char *, DWORD, int, int, int, int, HWND, int)>(
        module, "TarnBrowser");
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
    // What is waiting, once: a window that keeps asking for paint does not
    // hold the case for ever.
    auto pump = [] {
        MSG message;
        for (int n = 0; n < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    };
    if (!module || !create || !parent) {
        std::printf("folder tree: foldertree.dll did not load\n");
        return;
    }
    RunCase("controls made and destroyed", controls, std::max(1, controls / 20), [&](int) {
        HWND control = create(0, root.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 380, 380, parent, 7);
        pump();
        if (!control)
            return false;
        UpdateWindow(control);
        DestroyWindow(control);
        return true;
    });
    HWND control = create(0, root.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 380, 380, parent, 7);
    pump();
    HWND tree = GetDlgItem(control, 7); // the control's tree has the control's id
    RunCase("expand and collapse 200 folders", expansions, std::max(1, expansions / 20), [&](int n) {
        if (n % 100 == 99) // filled anew
            SendMessageA(control, 2026, WPARAM(root.size()), reinterpret_cast<LPARAM>(root.c_str()));
        HTREEITEM top = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        if (!top)
            return false;
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
        pump();
        SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
        pump();
        return true;
    });
    DestroyWindow(control);
    DestroyWindow(parent);
    FreeLibrary(module);
    tempfolder::RemoveTree(root);
}

// ---- The viewer driven by other programs ------------------------------------------

// Four programs send the viewer navigate commands at the same time, some
// with sizes that do not fit; then its close command ends it.
void ViewerUnderCommands(int perSender)
{
    testbrowser::Library controls;
    if (!controls.Loaded() || controls.Register(testbrowser::AsWebBrowser) != S_OK) {
        std::printf("viewer: the test browser control is not available\n");
        return;
    }
    std::wstring log = testbrowser::StartLog(L"endurance_viewer.log");
    hvtest::ViewerFiles files = hvtest::PrepareViewer("endurance");
    DeleteFileA(hvtest::PlacementPath().c_str());
    {
        hvtest::Viewer viewer(files, "");
        HWND window = viewer.Window();
        if (!window) {
            std::printf("viewer: no main window\n");
            return;
        }
        std::string peer = hvtest::ExeFolder() + "..\\tests\\helpview_copydata_peer.exe";
        unsigned handlesBefore = processcounts::OpenHandlesOf(viewer.Process());
        size_t memoryBefore = processcounts::CommittedPrivateBytes(viewer.Process());
        constexpr int senders = 4;
        double start = BenchMilliseconds();
        unsigned unanswered = hvtest::SendFromPrograms(peer, window, senders, perSender);
        double elapsed = BenchMilliseconds() - start;
        unsigned handlesAfter = processcounts::OpenHandlesOf(viewer.Process());
        size_t memoryAfter = processcounts::CommittedPrivateBytes(viewer.Process());
        int sent = senders * perSender;
        std::printf("viewer: %d programs sent %d commands in %.1f s, %.0f per second, %u without an answer\n",
                    senders, sent, elapsed / 1000, sent * 1000.0 / elapsed, unanswered);
        std::printf("  %-16s %12s %12s\n", "viewer's", "before", "after");
        std::printf("  %-16s %12u %12u\n", "handles", handlesBefore, handlesAfter);
        std::printf("  %-16s %12zu %12zu\n", "private bytes", memoryBefore, memoryAfter);
        double closing = BenchMilliseconds();
        LRESULT reply = hvtest::SendCommand(window, 10, "");
        DWORD code = viewer.WaitForExit(120000);
        std::printf("  close command: reply %ld, exit code %lu after %.1f s; placement file: %s\n", long(reply),
                    static_cast<unsigned long>(code), (BenchMilliseconds() - closing) / 1000,
                    hvtest::Exists(hvtest::PlacementPath()) ? "written" : "missing");
    }
    testbrowser::StopLog();
    controls.Unregister();
    DeleteFileA(hvtest::PlacementPath().c_str());
}

// ---- A long saved stream -----------------------------------------------------

ULONGLONG FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A network stream of the given size played and saved through DOWNLOADPROC
// (the engine's download thread delivers it in blocks) while this thread
// keeps changing the equalizer; then the copy is compared with its source.
void SavedStream(size_t megabytes)
{
    std::string scratch = tempfolder::FreshFolder("endurance-save");
    std::string served = scratch + "\\served";
    std::string saved = scratch + "\\saved";
    CreateDirectoryA(served.c_str(), nullptr);
    std::string source;
    {
        // Sixteen-bit stereo noise that never repeats within the file.
        std::string data(megabytes << 20, '\0');
        unsigned value = 12345;
        for (char &byte : data) {
            value = value * 1664525u + 1013904223u;
            byte = char(value >> 24);
        }
        source = wavebytes::Riff(wavebytes::FormatChunk(44100, 2, 16) + wavebytes::Chunk("data", data));
    }
    wholefile::WriteWholeFile(served + "\\long.wav", source);
    std::string copy = saved + "\\long.wav";
    EngineSettings settings(served, scratch + "\\out.wav");
    {
        altest::EffectsDialog dialog;
        AudioLink link(BuildFolder() + "\\engine");
        auto open = link.Get<int(__stdcall *)(HWND, BSTR)>("BASSOPEN");
        auto play = link.Get<int(__stdcall *)(DWORD, DWORD)>("BASSPLAY");
        auto close = link.Get<int(__stdcall *)(DWORD)>("BASSCLOSECHANNEL");
        auto save = link.Get<void(__stdcall *)(DWORD)>("BASSSTREAMSAVE");
        auto setFolder = link.Get<void(__stdcall *)(BSTR)>("BASSSETDOWNLOADPATH");
        auto fxWindow = link.Get<HWND(__stdcall *)(HWND, DWORD)>("BASSFXWINDOW");
        auto updateEq = link.Get<void(__stdcall *)(DWORD, int)>("BASSUPDATEEQ");
        if (!open || !play) {
            std::printf("saved stream: audiolink.dll or the engine did not load\n");
            return;
        }
        save(1);
        setFolder(NewByteString(saved + "\\"));
        fxWindow(dialog.Window(), 1);
        dialog.Check(11, true); // the equalizer on
        // Plays the address and changes the equalizer until its copy is
        // whole and closed (or ten minutes have passed); BASSPLAY's result.
        unsigned updates = 0;
        auto playAndSave = [&](const char *address, const std::string &path, size_t size,
                               const std::function<void(ULONGLONG)> &progress) {
            open(nullptr, NewByteString(address));
            int played = play(0, 0);
            double began = BenchMilliseconds();
            for (bool complete = false; played == 0 && !complete && BenchMilliseconds() - began < 600000;) {
                int band = 1 + int(updates % 10);
                dialog.Track(band, int(updates % 61));
                updateEq(0, band);
                if (++updates % 50 == 0) {
                    ULONGLONG now = FileSize(path);
                    progress(now);
                    complete = now == size && wholefile::IsClosedByOthers(path);
                }
            }
            return played;
        };
        // Once first, short: what the engine and the copy keep for good is
        // in place before the counting starts.
        std::string shortSource = ToneFile(44100, 0.5);
        wholefile::WriteWholeFile(served + "\\short.wav", shortSource);
        playAndSave("http://radio.example/short.wav", saved + "\\short.wav", shortSource.size(),
                    [](ULONGLONG) {});
        close(0);
        updates = 0;
        Tally tally;
        double start = BenchMilliseconds();
        double sampling = 0;
        ULONGLONG nextSample = source.size() / 20;
        int played = playAndSave("http://radio.example/music/long.wav", copy, source.size(), [&](ULONGLONG now) {
            if (now >= nextSample) {
                sampling += tally.NoteNow();
                nextSample += source.size() / 20;
            }
        });
        double elapsed = BenchMilliseconds() - start - sampling;
        close(0);
        save(0);
        setFolder(nullptr);
        std::string written = wholefile::ReadWholeFile(copy);
        size_t differs = 0;
        while (differs < written.size() && differs < source.size() && written[differs] == source[differs])
            ++differs;
        std::printf("saved stream: %zu MB in %.1f s, %.1f MB per second, %u equalizer changes (%.0f per second)\n",
                    megabytes, elapsed / 1000, megabytes * 1000.0 / elapsed, updates, updates * 1000.0 / elapsed);
        if (played != 0)
            std::printf("  BASSPLAY refused the address: %d\n", played);
        else if (written == source)
            std::printf("  the copy is the source, byte for byte (%zu bytes)\n", written.size());
        else
            std::printf("  the copy differs: %zu bytes against %zu, first difference at byte %zu\n",
                        written.size(), source.size(), differs);
        source.clear();
        source.shrink_to_fit();
        written.clear();
        written.shrink_to_fit();
        tally.Print();
    }
    tempfolder::RemoveTree(scratch);
}

} // namespace

int main(int argc, char **argv)
{
    const char *given = argc > 1 ? argv[1] : std::getenv("TARN_ENDURANCE_SCALE");
    double scale = given ? std::atof(given) : 1.0;
    if (!(scale > 0))
        scale = 1.0;
    auto scaled = [scale](int full) { return std::max(1, int(full * scale)); };
    // The platform's libraries stay loaded, as in a host.
    for (const char *name : {"comctl32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll"})
        LoadLibraryA(name);
    std::printf("== Endurance [%s] (scale %g) ==\n", BenchArchitecture, scale);
    // A second argument picks one group: load, play, tree, viewer or save.
    std::string only = argc > 2 ? argv[2] : "";
    if (only.empty() || only == "load")
        LoadAndFree(scaled(100000));
    if (only.empty() || only == "play")
        PlayCycles(scaled(10000));
    if (only.empty() || only == "tree")
        FolderTreeCycles(scaled(1000), scaled(10000));
    if (only.empty() || only == "viewer")
        ViewerUnderCommands(scaled(25000));
    if (only.empty() || only == "save")
        SavedStream(size_t(scaled(100)));
    return 0;
}
