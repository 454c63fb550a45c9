// The example host's shortened tour, run the way a user starts the program:
// host.exe from its own folder, in a fresh working folder, with a fresh
// temporary folder. The tour must end by itself and go as planned, report
// what the modules read, lay out its windows so that every text shows whole,
// render what it played, and leave nothing behind:
// no process, no window, and no file but the viewer's placement file.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "helpview_process.h"
#include "temp_folder.h"

namespace {

using hvtest::ExeFolder;
using hvtest::ReadWholeFile;
using tempfolder::RemoveTree;

std::string HostFolder()
{
    return ExeFolder() + "..\\host\\";
}

// Every file below folder, by relative path, with its size.
void ListFiles(const std::string &folder, const std::string &prefix, std::map<std::string, DWORD> &files)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + name + "\\", prefix + name + "\\", files);
        else
            files[prefix + name] = found.nFileSizeLow;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::map<std::string, DWORD> Files(const std::string &folder)
{
    std::map<std::string, DWORD> files;
    ListFiles(folder, "", files);
    return files;
}

// This process's environment with some variables replaced, as a block for
// CreateProcess.
std::vector<char> Environment(const std::map<std::string, std::string> &replaced)
{
    std::vector<char> block;
    char *strings = GetEnvironmentStringsA();
    for (const char *entry = strings; entry && *entry; entry += std::strlen(entry) + 1) {
        std::string text = entry;
        std::string name = text.substr(0, text.find('='));
        bool keep = true;
        for (const auto &change : replaced)
            keep = keep && lstrcmpiA(change.first.c_str(), name.c_str()) != 0;
        if (keep)
            block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (const auto &change : replaced) {
        std::string text = change.first + "=" + change.second;
        block.insert(block.end(), text.c_str(), text.c_str() + text.size() + 1);
    }
    block.push_back('\0');
    return block;
}

// The full path of a process's program, or "" when it cannot be asked.
std::string ImageOf(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return {};
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
    CloseHandle(process);
    return std::string(path, length);
}

// Whether the program lies below folder (a full path ending in '\').
bool IsBelow(const std::string &image, const std::string &folder)
{
    return image.size() > folder.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, image.c_str(),
                                                          int(folder.size()), folder.c_str(),
                                                          int(folder.size())) == CSTR_EQUAL;
}

// The full path of a folder of the build (the test bundle's architecture
// folder), ending in '\'. What runs from there is the tour's, not the same
// programs installed elsewhere on the machine.
std::string FullFolder(const std::string &folder)
{
    char full[MAX_PATH] = {};
    GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::string OwnFolder() { return FullFolder(ExeFolder() + "..\\"); }

// The programs of processes that run from the host's folder: the host and
// the help viewer it starts.
std::vector<std::string> HostProcesses()
{
    std::vector<std::string> images;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return images;
    const std::string host = FullFolder(HostFolder());
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        std::string image = ImageOf(entry.th32ProcessID);
        if (IsBelow(image, host))
            images.push_back(image);
    }
    CloseHandle(snapshot);
    return images;
}

// The classes of top-level windows of processes that run from the build's
// own folder (this one included).
std::vector<std::string> TopLevelClasses()
{
    struct Search {
        std::string own = OwnFolder();
        std::vector<std::string> classes;
        static BOOL CALLBACK Collect(HWND window, LPARAM context)
        {
            auto *search = reinterpret_cast<Search *>(context);
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (IsBelow(ImageOf(processId), search->own)) {
                char name[64] = {};
                GetClassNameA(window, name, sizeof name);
                search->classes.push_back(name);
            }
            return TRUE;
        }
    } search;
    EnumWindows(Search::Collect, reinterpret_cast<LPARAM>(&search));
    return search.classes;
}

std::uint32_t Little32(const std::string &bytes, size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// One run of the tour for the whole program; the tests look at what it did.
class HostTour : public ::testing::Test {
protected:
    struct Run {
        std::string base, work, temp, out;
        std::map<std::string, DWORD> hostBefore, workBefore, tempBefore;
        bool started = false;
        bool endedByItself = false;
        DWORD exitCode = STILL_ACTIVE;
        DWORD seconds = 0;
        std::string summary;
    };
    static Run *run;

    static void SetUpTestSuite()
    {
        run = new Run;
        run->base = ExeFolder() + "host_tour\\";
        RemoveTree(run->base);
        CreateDirectoryA(run->base.c_str(), nullptr);
        run->work = run->base + "work\\";
        run->temp = run->base + "temp\\";
        run->out = run->base + "out\\";
        CreateDirectoryA(run->work.c_str(), nullptr);
        CreateDirectoryA(run->temp.c_str(), nullptr);
        run->hostBefore = Files(HostFolder());
        run->workBefore = Files(run->work);
        run->tempBefore = Files(run->temp);

        std::string program = HostFolder() + "host.exe";
        // No backslash before the closing quote, which would escape it.
        std::string outFolder = run->out.substr(0, run->out.size() - 1);
        std::string line = "\"" + program + "\" /tour /short /out \"" + outFolder + "\"";
        std::vector<char> arguments(line.begin(), line.end());
        arguments.push_back('\0');
        std::vector<char> environment = Environment({{"TEMP", run->temp},
                                                      {"TMP", run->temp},
                                                      {"TARN_ENGINE_OUTPUT", run->out + "tour-output.wav"}});
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        DWORD start = GetTickCount();
        run->started = CreateProcessA(program.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0,
                                      environment.data(), run->work.c_str(), &startup, &process) != FALSE;
        if (!run->started)
            return;
        // The tour has its own deadline of a minute; this one only keeps a
        // broken build from hanging the suite.
        run->endedByItself = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
        if (!run->endedByItself) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        run->seconds = (GetTickCount() - start) / 1000;
        GetExitCodeProcess(process.hProcess, &run->exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        run->summary = ReadWholeFile(run->out + "tour-summary.txt");
    }

    static void TearDownTestSuite()
    {
        delete run;
        run = nullptr;
    }

    static bool SummaryHas(const std::string &line)
    {
        return run->summary.find(line + "\r\n") != std::string::npos;
    }
};

HostTour::Run *HostTour::run = nullptr;

TEST_F(HostTour, EndsByItselfAsPlanned)
{
    ASSERT_TRUE(run->started) << "host.exe could not be started from " << HostFolder();
    EXPECT_TRUE(run->endedByItself) << "the tour did not end within two minutes";
    EXPECT_EQ(run->exitCode, 0u) << run->summary;
    EXPECT_TRUE(SummaryHas("result: ok")) << run->summary;
    std::printf("tour of %lu s\n", static_cast<unsigned long>(run->seconds));
}

TEST_F(HostTour, ReportsWhatTheModulesRead)
{
    // The tree's click opened the folder's sample: an MP3 name (a stream)
    // whose display name comes from its ID3v1 tag, and a module whose title
    // comes from its header.
    EXPECT_TRUE(SummaryHas("media kind: 3 (stream)")) << run->summary;
    // The host's code page is UTF-8: the folder is found by its own name, and
    // the tag's Latin-1 é comes back as UTF-8.
    EXPECT_TRUE(SummaryHas("display name: Evening Tone Tarn D\xC3\xA9mo Samples 2026 made by the build #1"))
        << run->summary;
    EXPECT_NE(run->summary.find("sample: "), std::string::npos);
    EXPECT_NE(run->summary.find("\\samples\\\xD0\x92\xD0\xB5\xD1\x87\xD0\xB5\xD1\x80\xD0\xBD\xD0\xB8\xD0\xB9 "
                                "\xD1\x82\xD0\xBE\xD0\xBD\\"),
              std::string::npos)
        << run->summary;
    EXPECT_TRUE(SummaryHas("module kind: 1 (music module)")) << run->summary;
    EXPECT_TRUE(SummaryHas("module title: Tarn Demo Module")) << run->summary;
    // The equalizer's ten bands and rotate were on the channel, and a band
    // moved while playing kept its effect.
    for (const char *slot : {"band 1 = 0x", "band 10 = 0x", "rotate = 0x"})
        EXPECT_NE(run->summary.find(slot), std::string::npos) << slot << "\n" << run->summary;
    EXPECT_EQ(run->summary.find("reverb = 0x"), std::string::npos) << "only the effects switched on";
    EXPECT_TRUE(SummaryHas("    the same handles afterwards: the band's gain changed in place")) << run->summary;
    EXPECT_TRUE(SummaryHas("help viewer: closed (WM_COPYDATA 10), exit code 0")) << run->summary;
    // A folder dragged onto another reaches the host with both items.
    EXPECT_TRUE(SummaryHas("drag and drop: \"Rotating Chord\" dropped on \"Tarn Demo Module\" (BFFN_DROP; nothing moved)"))
        << run->summary;
}

TEST_F(HostTour, LaysOutItsWindowsForTheirDpi)
{
    // The tour measures every text of the host's own controls in the
    // control's font, at the DPI the windows are drawn at.
    EXPECT_NE(run->summary.find(" DPI: every text fits in its control\r\n"), std::string::npos) << run->summary;
}

TEST_F(HostTour, RendersWhatItPlayedAndSavesPictures)
{
    std::string wave = ReadWholeFile(run->out + "tour-output.wav");
    ASSERT_GT(wave.size(), 44u) << "the engine wrote no output";
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Little32(wave, 24), 44100u) << "the output rate BASSOPEN initialises";
    EXPECT_EQ(Little32(wave, 40), wave.size() - 44) << "the header was completed when output was freed";
    // The short tour plays about a second and a half of the tone.
    EXPECT_GT(wave.size(), 44u + 44100u * 4u / 2u);
    EXPECT_NE(run->summary.find("rendered output: " + run->out + "tour-output.wav ("), std::string::npos)
        << run->summary;

    for (const char *name : {"host-main.png", "host-effects.png", "help-viewer.png"}) {
        std::string png = ReadWholeFile(run->out + name);
        ASSERT_GT(png.size(), 24u) << name;
        EXPECT_EQ(png.substr(1, 3), "PNG") << name;
        EXPECT_NE(run->summary.find(run->out + name), std::string::npos) << name;
    }
}

TEST_F(HostTour, LeavesNoProcessWindowOrFileBehind)
{
    ASSERT_TRUE(run->started);
    ASSERT_TRUE(IsBelow(ImageOf(GetCurrentProcessId()), OwnFolder()))
        << ImageOf(GetCurrentProcessId()) << " is not seen below " << OwnFolder();
    EXPECT_EQ(HostProcesses(), std::vector<std::string>{}) << "the host or the help viewer still runs";
    for (const std::string &name : TopLevelClasses()) {
        for (const char *ours : {"TarnHostMain", "TarnHostEffects", "TARNHELP", "TARNBFF"})
            EXPECT_NE(name, ours) << "a window of class " << ours << " is left";
    }
    EXPECT_EQ(Files(HostFolder()), run->hostBefore) << "the program's folder changed";
    EXPECT_EQ(Files(run->work), run->workBefore) << "files were left in the working folder";
    // The one file a module is meant to leave: the viewer's placement, four
    // 16-bit numbers, named after the program.
    std::map<std::string, DWORD> expected = run->tempBefore;
    expected["helpview.cfg"] = 8;
    EXPECT_EQ(Files(run->temp), expected) << "the temporary folder holds more than the viewer's placement";
    std::map<std::string, DWORD> out = Files(run->out);
    EXPECT_EQ(out.size(), 5u) << "summary, output and three pictures";
}

} // namespace
