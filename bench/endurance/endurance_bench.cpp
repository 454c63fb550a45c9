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
//
//   endurance_bench [scale]   scale: a fraction of the full counts (1.0; or
//                             TARN_ENDURANCE_SCALE); the full run takes
//                             about an hour under Wine
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_architecture.h"
#include "process_counts.h"

namespace {

using processcounts::Counts;

double Milliseconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

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

// Runs step(i) count times, sampling the counts every sampleEvery steps, and
// prints before, peak and after with the rate.
void RunCase(const char *name, int count, int sampleEvery, const std::function<bool(int)> &step)
{
    // What the system keeps for good after the first uses is in place
    // before the counting starts.
    for (int i = 0; i < 10; ++i)
        step(i);
    Counts before = processcounts::Now();
    Counts peak = before;
    auto note = [&peak](const Counts &now) {
        peak.handles = std::max(peak.handles, now.handles);
        peak.heapBytes = std::max(peak.heapBytes, now.heapBytes);
        peak.gdiObjects = std::max(peak.gdiObjects, now.gdiObjects);
        peak.windows = std::max(peak.windows, now.windows);
        peak.freeSlots = std::min(peak.freeSlots, now.freeSlots); // the fewest free
    };
    double start = Milliseconds();
    double sampling = 0;
    int done = 0;
    for (; done < count; ++done) {
        if (!step(done)) {
            std::printf("  %s: step %d failed\n", name, done + 1);
            break;
        }
        if ((done + 1) % sampleEvery == 0) {
            double sampleStart = Milliseconds();
            note(processcounts::Now());
            sampling += Milliseconds() - sampleStart;
        }
    }
    double elapsed = Milliseconds() - start - sampling;
    Counts after = processcounts::Now();
    note(after);
    std::printf("%s: %d in %.1f s, %.0f per second\n", name, done, elapsed / 1000, done * 1000.0 / elapsed);
    std::printf("  %-12s %12s %12s %12s\n", "", "before", "peak", "after");
    std::printf("  %-12s %12u %12u %12u\n", "handles", before.handles, peak.handles, after.handles);
    std::printf("  %-12s %12zu %12zu %12zu\n", "heap bytes", before.heapBytes, peak.heapBytes, after.heapBytes);
    std::printf("  %-12s %12u %12u %12u\n", "GDI objects", before.gdiObjects, peak.gdiObjects, after.gdiObjects);
    std::printf("  %-12s %12u %12u %12u\n", "windows", before.windows, peak.windows, after.windows);
    std::printf("  %-12s %12u %12u %12u\n", "free slots", before.freeSlots, peak.freeSlots, after.freeSlots);
    std::fflush(stdout);
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
    LoadAndFree(scaled(100000));
    return 0;
}
