// Loading and freeing the modules again and again, as a host that keeps
// running for hours does: every load works, and once a module is freed the
// process holds what it held before: thread-local slots, handles, heap
// memory, GDI objects, windows and window classes. The probe module uses each
// service of the C++ runtime in turn (exceptions, thread-local objects with
// destructors, once-only statics, locks); the shipped modules are used as a
// host uses them between loading and freeing.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "process_counts.h"

namespace {

using processcounts::Counts;

// Handles, slots, GDI objects and windows are counted exactly, so one cycle
// would show a leak of them; the cycles are for the heap. What the system
// keeps for itself (caches of the loader and of the libraries the modules
// pull in) moved the heap by 16 bytes at most over a round of loads here,
// and by a few kilobytes once when threads first ran across an unload. A
// module that keeps something per load grows by its size times kCycles,
// which the slack catches from 64 bytes a load (any record or buffer of
// the modules'). The endurance benchmark runs the long rounds.
constexpr int kCycles = 200;
constexpr size_t kHeapSlack = 12 * 1024;

std::string BuildFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\'));           // ...\tests
    return folder.substr(0, folder.find_last_of('\\')); // the build tree
}

std::string TestFolder() { return BuildFolder() + "\\tests"; }
std::string ModulePath(const char *name) { return BuildFolder() + "\\bin\\" + name; }

template <typename Entry> Entry EntryOf(HMODULE module, const char *name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

bool SameCounts(const Counts &before, const Counts &after)
{
    return after.freeSlots == before.freeSlots && after.handles == before.handles &&
           after.gdiObjects == before.gdiObjects && after.windows == before.windows &&
           after.heapBytes < before.heapBytes + kHeapSlack;
}

void ExpectSameCounts(const Counts &before, const Counts &after, const char *what)
{
    EXPECT_EQ(after.freeSlots, before.freeSlots) << what << ": thread-local slots";
    EXPECT_EQ(after.handles, before.handles) << what << ": handles";
    EXPECT_EQ(after.gdiObjects, before.gdiObjects) << what << ": GDI objects";
    EXPECT_EQ(after.windows, before.windows) << what << ": windows";
    EXPECT_LT(after.heapBytes, before.heapBytes + kHeapSlack)
        << what << ": heap bytes in use grew from " << before.heapBytes << " to " << after.heapBytes;
}

// Runs round and expects the process to hold what it held before. The
// system may start a service of its own late and keep its thread's handle
// or slot for good (seen on a loaded machine); that happens once, while a
// leak happens in every round: when the counts moved, a second round must
// leave them where the first did.
template <typename Round> void ExpectFlat(const char *what, Round round)
{
    Counts before = processcounts::Now();
    round();
    Counts after = processcounts::SettledNow(before);
    if (SameCounts(before, after))
        return;
    round();
    ExpectSameCounts(after, processcounts::SettledNow(after), what);
}

// Loads the module cycles times, runs use on each load and frees it. A few
// cycles first, so that what the system caches for good is in place before
// the counting starts. False (with a failure) when a load fails.
template <typename Use> bool Cycle(const std::string &path, int cycles, Use use)
{
    for (int i = 0; i < cycles; ++i) {
        HMODULE module = LoadLibraryA(path.c_str());
        if (!module) {
            ADD_FAILURE() << path << ": load " << i + 1 << " failed, error " << GetLastError();
            return false;
        }
        use(module, i);
        if (!FreeLibrary(module)) {
            ADD_FAILURE() << path << ": free " << i + 1 << " failed";
            return false;
        }
    }
    return true;
}

template <typename Use> void ExpectNothingKept(const std::string &path, Use use)
{
    ASSERT_TRUE(Cycle(path, 20, use));
    ExpectFlat(path.c_str(), [&] { EXPECT_TRUE(Cycle(path, kCycles, use)); });
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << path << " is still loaded";
}

// A host keeps the platform's libraries loaded; so does this process, so that
// what they cache on their first use is not counted against the modules.
class PlatformLibraries : public ::testing::Environment {
public:
    void SetUp() override
    {
        for (const char *name : {"comctl32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll"})
            LoadLibraryA(name);
    }
};
::testing::Environment *const platform = ::testing::AddGlobalTestEnvironment(new PlatformLibraries);

// --- the runtime's services, through the probe module --------------------------

struct Probe {
    explicit Probe(HMODULE module)
        : raise(EntryOf<int(__stdcall *)()>(module, "PROBE_THROW")),
          threadLocal(EntryOf<int(__stdcall *)()>(module, "PROBE_THREADLOCAL")),
          once(EntryOf<int(__stdcall *)()>(module, "PROBE_ONCE")),
          countUnderLock(EntryOf<long(__stdcall *)(long)>(module, "PROBE_COUNTUNDERLOCK"))
    {
    }
    int(__stdcall *raise)();
    int(__stdcall *threadLocal)();
    int(__stdcall *once)();
    long(__stdcall *countUnderLock)(long);
};

std::string ProbePath() { return TestFolder() + "\\runtime_probe.dll"; }

TEST(RuntimeRelease, EveryServiceOfTheRuntimeIsGivenBackWhenTheModuleIsFreed)
{
    ExpectNothingKept(ProbePath(), [&](HMODULE module, int) {
        Probe probe(module);
        EXPECT_EQ(probe.raise(), 1);
        EXPECT_EQ(probe.threadLocal(), 512);
        EXPECT_EQ(probe.once(), 1);
        // A fresh module each time: its counter starts again.
        EXPECT_EQ(probe.countUnderLock(3), 3);
    });
}

TEST(RuntimeRelease, AThreadsValuesEndWithTheThread)
{
    HMODULE module = LoadLibraryA(ProbePath().c_str());
    ASSERT_NE(module, nullptr);
    Probe probe(module);
    // One thread first: what the runtime makes once for all threads is made.
    std::thread([&] { probe.threadLocal(); }).join();
    ExpectFlat("threads that end while the module stays", [&] {
        for (int i = 0; i < 200; ++i) {
            std::thread([&] {
                EXPECT_EQ(probe.threadLocal(), 512);
                EXPECT_EQ(probe.raise(), 1);
            }).join();
        }
    });
    FreeLibrary(module);
}

TEST(RuntimeRelease, TheValuesOfRunningThreadsAreFreedWithTheModule)
{
    // Each round: a thread uses the module and is still running when the
    // module goes; the threads end only after all rounds.
    auto rounds = [](int count) {
        HANDLE leave = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::vector<std::thread> workers;
        for (int round = 0; round < count; ++round) {
            HMODULE module = LoadLibraryA(ProbePath().c_str());
            ASSERT_NE(module, nullptr);
            Probe probe(module);
            HANDLE used = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            workers.emplace_back([probe, used, leave] {
                probe.threadLocal();
                probe.raise();
                SetEvent(used);
                WaitForSingleObject(leave, INFINITE);
            });
            WaitForSingleObject(used, INFINITE);
            CloseHandle(used);
            probe.threadLocal();
            FreeLibrary(module);
            EXPECT_EQ(GetModuleHandleA(ProbePath().c_str()), nullptr);
        }
        SetEvent(leave);
        for (std::thread &worker : workers)
            worker.join();
        CloseHandle(leave);
    };
    rounds(2);
    ExpectFlat("threads running across the unload", [&] { rounds(20); });
}

TEST(RuntimeRelease, TheLockKeepsThreadsApart)
{
    HMODULE module = LoadLibraryA(ProbePath().c_str());
    ASSERT_NE(module, nullptr);
    Probe probe(module);
    constexpr long kEach = 20000;
    std::thread first([&] { probe.countUnderLock(kEach); });
    std::thread second([&] { probe.countUnderLock(kEach); });
    first.join();
    second.join();
    EXPECT_EQ(probe.countUnderLock(1), 2 * kEach + 1);
    FreeLibrary(module);
}

// --- the shipped modules ---------------------------------------------------------

TEST(ModuleUnload, AudioLinkWithItsAudioLibrary)
{
    // The audio library it loads by name comes from the rendering engine's
    // folder, and goes with it.
    std::string engine = BuildFolder() + "\\engine";
    ASSERT_TRUE(SetDllDirectoryA(engine.c_str()));
    ExpectNothingKept(ModulePath("audiolink.dll"), [](HMODULE module, int) {
        EXPECT_NE(GetModuleHandleA("BASS.DLL"), nullptr);
        auto version = EntryOf<BSTR(__stdcall *)()>(module, "BASSGETVERSION");
        auto available = EntryOf<int(__stdcall *)()>(module, "BASSAVAILABLE");
        BSTR text = version();
        EXPECT_GT(SysStringByteLen(text), 0u);
        SysFreeString(text);
        EXPECT_EQ(available(), -1);
    });
    SetDllDirectoryA(nullptr);
    EXPECT_EQ(GetModuleHandleA("BASS.DLL"), nullptr);
}

TEST(ModuleUnload, FolderTreeAndItsControlClass)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    std::string start = BuildFolder();
    ExpectNothingKept(ModulePath("foldertree.dll"), [&](HMODULE module, int cycle) {
        auto registerClass = EntryOf<int(__stdcall *)()>(module, "RegisterBFFClass");
        auto version = EntryOf<BSTR(__stdcall *)()>(module, "Bff_Version");
        EXPECT_NE(registerClass(), 0);
        SysFreeString(version());
        // Now and then a control: shell folders, icons, the tree and its
        // painting, all to be gone with the module.
        if (cycle % 125 == 0) {
            auto create = EntryOf<HWND(__stdcall *)(DWORD, const char *, DWORD, int, int, int, int, HWND, int)>(
                module, "TarnBrowser");
            HWND control = create(0, start.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 280, 280, parent, 7);
            EXPECT_NE(control, nullptr);
            UpdateWindow(control);
            DestroyWindow(control);
            // A snapshot of the desktop, left for the unload to free.
            auto snapshot = EntryOf<HDC(__stdcall *)(int)>(module, "TarnDCDesktop");
            EXPECT_NE(snapshot(1), nullptr);
        }
    });
    // The class is registered under the executable, and goes with the module.
    WNDCLASSEXA found{};
    found.cbSize = sizeof(found);
    EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "TARNBFF", &found))
        << "the control class outlived its module";
    DestroyWindow(parent);
}

// Closes the library's message box as soon as it shows (it is modal).
void CALLBACK CloseBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    static int ticks = 0;
    HWND box = FindWindowA("THMSGBOX", nullptr);
    if (!box && ++ticks < 300)
        return;
    ticks = 0;
    KillTimer(nullptr, timer);
    if (box)
        DestroyWindow(box);
}

TEST(ModuleUnload, ThemeKitAndItsMessageBoxClass)
{
    HINSTANCE lastInstance = nullptr;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string missingSkin = std::string(temp) + "tarn-no-such-folder\\skin.ini";
    ExpectNothingKept(ModulePath("themekit.dll"), [&](HMODULE module, int cycle) {
        lastInstance = module;
        auto initialise = EntryOf<int(__stdcall *)(const char *)>(module, "THINITENGINE");
        auto maxSize = EntryOf<int(__stdcall *)(int, int, int, int)>(module, "THSETMAXSIZE");
        initialise(missingSkin.c_str()); // the built-in skin
        EXPECT_EQ(maxSize(640, 480, 1024, 768), 1);
        if (cycle % 250 == 0) {
            using Box = int(__stdcall *)(HWND, HFONT, const char *, const char *, const char *, const void *, int);
            auto box = EntryOf<Box>(module, "THMSGBOX");
            SetTimer(nullptr, 0, 10, CloseBox);
            EXPECT_EQ(box(nullptr, nullptr, "Note", "Reloaded.", "", nullptr, 0), 0);
        }
    });
    WNDCLASSEXA found{};
    found.cbSize = sizeof(found);
    EXPECT_FALSE(GetClassInfoExA(lastInstance, "THMSGBOX", &found)) << "the message box class outlived its module";
}

TEST(ModuleUnload, ContainerLibrary)
{
    ExpectNothingKept(ModulePath("jaocx20.dll"), [](HMODULE module, int) {
        auto initialise = EntryOf<HRESULT(__stdcall *)()>(module, "JAInitializePBClient");
        EXPECT_TRUE(SUCCEEDED(initialise()));
    });
}

} // namespace
