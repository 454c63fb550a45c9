// The test bundle's runner: runs the test programs of each architecture in
// the bundle, one after the other, each with a time limit, keeps each one's
// output in a log, and ends with one line, "N passed, M failed".
//
//   run-tests.exe [/arch:win32|win64] [/logs:FOLDER] [/limit:SECONDS] [PROGRAM ...]
//
// It lives in <bundle>\<arch>\tests\ beside the programs; run-tests.cmd at
// the bundle's root starts the one of the machine's own architecture. By
// default it runs every architecture of the bundle that the machine can run
// (a 64-bit Windows also runs the 32-bit programs). A program runs in its own
// folder with the bundle's modules (<arch>\bin) first on PATH, as the build
// runs them, and without PATH's folders that hold another audio library of
// the doubles' names; programs it starts run inside the same time limit and
// end with it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "audio_family.h"
#include "test_report.h"

using namespace testbundle;

namespace {

constexpr int kDefaultLimitSeconds = 300;
const wchar_t *const kArchitectures[] = {L"win64", L"win32"};

std::wstring Wide(const std::string &text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

// Console text in the console's code page, so that a path outside ASCII
// reads as well as it can.
std::string ConsoleText(const std::wstring &text)
{
    if (text.empty())
        return {};
    UINT page = GetConsoleOutputCP();
    if (!page)
        page = CP_ACP;
    int length = WideCharToMultiByte(page, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(length), '\0');
    WideCharToMultiByte(page, 0, text.data(), int(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

void Say(const std::string &line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring ProgramPath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::wstring ParentOf(const std::wstring &path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FullPath(const std::wstring &path)
{
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!length)
        return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

bool IsFolder(const std::wstring &path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file, or empty when it cannot be read.
std::string ReadBytes(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void MakeFolders(const std::wstring &path)
{
    if (path.empty() || IsFolder(path))
        return;
    MakeFolders(ParentOf(path));
    CreateDirectoryW(path.c_str(), nullptr);
}

struct Settings {
    std::wstring root;      // the bundle's root folder
    std::wstring logs;      // where the logs go, a folder per architecture
    std::wstring onlyArch;  // empty: every architecture the machine runs
    int limitSeconds = kDefaultLimitSeconds;
    std::vector<std::string> programs; // empty: all of the list
};

// How a program ended.
struct Run {
    Outcome outcome = Outcome::NotStarted;
    DWORD exitCode = 0;
    int seconds = 0;
};

// Runs one program in its folder with its output in the log, within the
// limit. The program and what it starts share a job, which the limit ends.
Run RunProgram(const std::wstring &program, const std::wstring &arguments, const std::wstring &folder,
               const std::wstring &logPath, int limitSeconds)
{
    Run run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE log = CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
    std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION process{};
    DWORD start = GetTickCount();
    BOOL started = log != INVALID_HANDLE_VALUE &&
                   CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                  nullptr, folder.c_str(), &startup, &process);
    if (log != INVALID_HANDLE_VALUE)
        CloseHandle(log);
    if (input != INVALID_HANDLE_VALUE)
        CloseHandle(input);
    if (!started)
        return run;

    // Where the runner itself runs in a job that allows none inside it, the
    // program goes without: the limit then ends the program alone.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        if (!AssignProcessToJobObject(job, process.hProcess)) {
            CloseHandle(job);
            job = nullptr;
        }
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    DWORD waited = WaitForSingleObject(process.hProcess, DWORD(limitSeconds) * 1000);
    if (waited == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        run.outcome = run.exitCode == 0 ? Outcome::Passed : Outcome::Failed;
    } else {
        run.outcome = Outcome::TimedOut;
        if (job)
            TerminateJobObject(job, 1);
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    run.seconds = int((GetTickCount() - start + 500) / 1000);
    // Whatever the program left running ends with it.
    if (job) {
        TerminateJobObject(job, 1);
        CloseHandle(job);
    }
    CloseHandle(process.hProcess);
    return run;
}

// Whether this machine runs the architecture's programs: its own runner
// must start and answer.
bool CanRun(const std::wstring &tests, const std::wstring &logs, std::string &why)
{
    MakeFolders(logs);
    Run probe = RunProgram(tests + L"\\run-tests.exe", L"/probe", tests, logs + L"\\probe.log", 60);
    if (probe.outcome == Outcome::Passed)
        return true;
    why = probe.outcome == Outcome::NotStarted ? "its programs cannot be started on this machine"
                                               : "its programs do not run on this machine";
    return false;
}

struct Tally {
    int passed = 0;
    int failed = 0;
    std::vector<std::string> failures; // "name, log: path"
};

void RunArchitecture(const Settings &settings, const std::wstring &arch, Tally &total)
{
    std::wstring tests = settings.root + L"\\" + arch + L"\\tests";
    std::wstring logs = settings.logs + L"\\" + arch;
    std::string name = ConsoleText(arch);
    std::string why;
    if (!CanRun(tests, logs, why)) {
        Say(name + ": not run: " + why);
        return;
    }
    std::vector<ListedProgram> listed = ParseProgramList(ReadBytes(tests + L"\\test-programs.txt"));
    if (listed.empty()) {
        Say(name + ": FAILED: its list of programs (" + ConsoleText(tests) + "\\test-programs.txt) is missing or empty");
        ++total.failed;
        total.failures.push_back(name + ": the list of programs");
        return;
    }
    std::vector<ListedProgram> chosen;
    for (const std::string &wanted : settings.programs) {
        bool found = false;
        for (const ListedProgram &program : listed)
            if (program.name == wanted || program.name == wanted + ".exe") {
                chosen.push_back(program);
                found = true;
            }
        if (!found) {
            Say(name + ": " + wanted + ": FAILED (no such program in the bundle)");
            ++total.failed;
            total.failures.push_back(name + "\\" + wanted + ": no such program");
        }
    }
    if (settings.programs.empty())
        chosen = listed;

    // The bundle's modules come first, as the build's do for its programs.
    // A folder of the machine's PATH that holds a module of the audio
    // library's family is left out: the module there would be loaded where
    // a case leaves the doubles' one out on purpose.
    std::wstring bin = settings.root + L"\\" + arch + L"\\bin";
    std::wstring oldPath = audiofamily::Path();
    std::wstring programsPath = bin;
    for (const std::wstring &folder : SearchPathFolders(oldPath)) {
        std::wstring module = audiofamily::ModuleIn(folder);
        if (module.empty())
            programsPath += L";" + folder;
        else
            Say(name + ": note: " + ConsoleText(folder) + " is left out of the programs' PATH: it holds " +
                ConsoleText(module) + ", which would stand in for the test doubles");
    }
    SetEnvironmentVariableW(L"PATH", programsPath.c_str());

    Say("== " + name + ": " + std::to_string(chosen.size()) + " programs (logs: " + ConsoleText(logs) + ")");
    Tally tally;
    int index = 0;
    for (const ListedProgram &program : chosen) {
        ++index;
        std::wstring wideName = Wide(program.name);
        std::wstring stem = wideName.size() > 4 ? wideName.substr(0, wideName.size() - 4) : wideName;
        std::wstring logPath = logs + L"\\" + stem + L".log";
        int limit = program.limitSeconds ? program.limitSeconds : settings.limitSeconds;
        Run run = RunProgram(tests + L"\\" + wideName, L"", tests, logPath, limit);
        std::vector<SkippedCase> skipped = SkippedCases(ReadBytes(logPath));
        std::string counter = "[" + std::to_string(index) + "/" + std::to_string(chosen.size()) + "] ";
        Say(counter + ResultLine(name + "\\" + program.name, run.outcome, run.exitCode, run.seconds,
                                 skipped.size()));
        for (const SkippedCase &skip : skipped)
            Say("      skipped " + skip.name + (skip.reason.empty() ? "" : ": " + skip.reason));
        if (run.outcome == Outcome::Passed) {
            ++tally.passed;
        } else {
            ++tally.failed;
            tally.failures.push_back(name + "\\" + program.name + ", log: " + ConsoleText(logPath));
        }
    }
    SetEnvironmentVariableW(L"PATH", oldPath.c_str());

    // The programs that host the test browser control registered it for the
    // current user; its own module removes that again.
    std::wstring control = settings.root + L"\\" + arch + L"\\testbrowser\\testbrowser.dll";
    Run unregister = RunProgram(tests + L"\\run-tests.exe", L"/unregister:\"" + control + L"\"", tests,
                                logs + L"\\unregister.log", 60);
    if (unregister.outcome != Outcome::Passed)
        Say(name + ": note: the test browser control's registration could not be removed (log: " +
            ConsoleText(logs) + "\\unregister.log)");
    Say(name + ": " + SummaryLine(tally.passed, tally.failed));
    total.passed += tally.passed;
    total.failed += tally.failed;
    total.failures.insert(total.failures.end(), tally.failures.begin(), tally.failures.end());
}

bool ParseArguments(int count, wchar_t **arguments, Settings &settings)
{
    for (int i = 1; i < count; ++i) {
        std::wstring argument = arguments[i];
        auto value = [&](const wchar_t *option) -> const wchar_t * {
            size_t length = wcslen(option);
            return _wcsnicmp(argument.c_str(), option, length) == 0 ? argument.c_str() + length : nullptr;
        };
        if (const wchar_t *arch = value(L"/arch:")) {
            settings.onlyArch = arch;
            if (settings.onlyArch != L"win32" && settings.onlyArch != L"win64")
                return false;
        } else if (const wchar_t *logs = value(L"/logs:")) {
            settings.logs = FullPath(logs);
        } else if (const wchar_t *limit = value(L"/limit:")) {
            int seconds = _wtoi(limit);
            if (seconds <= 0 || seconds > 86400)
                return false;
            settings.limitSeconds = seconds;
        } else if (argument.empty() || argument[0] == L'/') {
            return false;
        } else {
            int length = WideCharToMultiByte(CP_UTF8, 0, argument.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string name(size_t(length), '\0');
            WideCharToMultiByte(CP_UTF8, 0, argument.c_str(), -1, name.data(), length, nullptr, nullptr);
            name.resize(name.size() - 1);
            settings.programs.push_back(name);
        }
    }
    return true;
}

} // namespace

// Removes what the test browser control registered, in this process's own
// registry view.
int Unregister(const wchar_t *control)
{
    HMODULE module = LoadLibraryW(control);
    if (!module) {
        std::printf("cannot load %s (error %lu)\n", ConsoleText(control).c_str(), GetLastError());
        return 1;
    }
    using Entry = HRESULT(__stdcall *)();
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module, "DllUnregisterServer")));
    HRESULT result = entry ? entry() : E_NOTIMPL;
    FreeLibrary(module);
    std::printf("DllUnregisterServer: 0x%08lX\n", static_cast<unsigned long>(result));
    return SUCCEEDED(result) ? 0 : 1;
}

int wmain(int count, wchar_t **arguments)
{
    if (count == 2 && _wcsicmp(arguments[1], L"/probe") == 0)
        return 0;
    if (count == 2 && _wcsnicmp(arguments[1], L"/unregister:", 12) == 0)
        return Unregister(arguments[1] + 12);
    // A crashing program ends with its exit code, without a dialog that
    // would hold the run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);

    Settings settings;
    settings.root = ParentOf(ParentOf(ParentOf(ProgramPath())));
    settings.logs = settings.root + L"\\logs";
    if (!ParseArguments(count, arguments, settings)) {
        Say("usage: run-tests [/arch:win32|win64] [/logs:FOLDER] [/limit:SECONDS] [PROGRAM ...]");
        return 2;
    }

    Tally total;
    for (const wchar_t *arch : kArchitectures) {
        if (!settings.onlyArch.empty() && settings.onlyArch != arch)
            continue;
        if (!IsFolder(settings.root + L"\\" + arch + L"\\tests")) {
            if (!settings.onlyArch.empty()) {
                Say(ConsoleText(arch) + ": FAILED: the bundle has no " + ConsoleText(arch) + " folder");
                ++total.failed;
            }
            continue;
        }
        RunArchitecture(settings, arch, total);
    }
    if (!total.failures.empty()) {
        Say("");
        for (const std::string &failure : total.failures)
            Say("failed: " + failure);
    }
    if (total.passed == 0 && total.failed == 0) {
        Say("no program ran");
        Say(SummaryLine(0, 0));
        return 1;
    }
    Say(SummaryLine(total.passed, total.failed));
    return total.failed == 0 ? 0 : 1;
}
