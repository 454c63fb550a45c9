#include "sequence_driver.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <sstream>

namespace sequence {

void Fail(const std::string &check, const std::string &details)
{
    throw Failure{details.empty() ? check + ": failed" : check + ": " + details};
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder;
}

namespace {

std::string ProgramPath()
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string ProgramName()
{
    std::string path = ProgramPath();
    return path.substr(path.find_last_of("\\/") + 1);
}

void Say(const std::string &line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string ReadText(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteText(const std::string &path, const std::string &text, bool append = false)
{
    std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out << text;
    return bool(out);
}

std::string TempPath(const char *what)
{
    static unsigned counter = 0;
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "sequence-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + "-" + what + ".txt";
}

// ---- One sequence, in this process ----------------------------------------

// Where a crash is reported: the result file of a child, and the step it
// was running.
std::string g_resultPath;
uint32_t g_currentStep = 0;
// The step a child is running, where its parent can read it after a hang.
volatile uint32_t *g_progress = nullptr;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS *info)
{
    char text[160];
    std::snprintf(text, sizeof text, "failed %u\ncrash: exception 0x%08lX at %p\n", unsigned(g_currentStep),
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  info->ExceptionRecord->ExceptionAddress);
    if (!g_resultPath.empty())
        WriteText(g_resultPath, text);
    std::fprintf(stderr, "step %u: crash: exception 0x%08lX\n", unsigned(g_currentStep),
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct Outcome {
    bool failed = false;
    size_t position = 0; // in the plan's steps: the step that failed
    std::string text;
};

// Runs the plan's steps, checking after each, and the tester's end. With
// `describe`, each step's description goes to `log` ("<index>: <what>").
Outcome RunSequence(const Module &module, const Plan &plan, bool describe, std::string *log)
{
    Outcome outcome;
    std::unique_ptr<Tester> tester;
    size_t position = 0;
    try {
        tester = module.make();
        for (; position < plan.steps.size(); ++position) {
            g_currentStep = plan.steps[position];
            if (g_progress)
                *g_progress = g_currentStep;
            Draw draw(plan.seed, plan.steps[position]);
            std::string what = tester->Step(draw);
            if (describe && log)
                *log += std::to_string(plan.steps[position]) + ": " + what + "\n";
            else if (describe) // a replay: shown as it goes, so a crash or hang shows its steps
                Say(std::to_string(plan.steps[position]) + ": " + what);
            tester->Check();
        }
        position = plan.steps.empty() ? 0 : plan.steps.size() - 1;
        tester->Finish();
        return outcome;
    } catch (const Failure &failure) {
        outcome.text = failure.text;
    } catch (const std::exception &error) {
        outcome.text = std::string("exception: ") + error.what();
    }
    outcome.failed = true;
    outcome.position = std::min(position, plan.steps.empty() ? size_t(0) : plan.steps.size() - 1);
    // A tester that failed may hold what it cannot give back; the process
    // ends with it.
    tester.release();
    return outcome;
}

int RunChild(const Module &module, const std::string &planPath, const std::string &resultPath,
             const std::string &progress, bool describe)
{
    g_resultPath = resultPath;
    HANDLE mapping = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(progress.c_str(), nullptr, 16)));
    if (mapping)
        g_progress = static_cast<volatile uint32_t *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(uint32_t)));
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(ReportCrash);
    std::optional<Plan> plan = ParsePlan(ReadText(planPath));
    if (!plan) {
        WriteText(resultPath, "refused\n");
        return 2;
    }
    std::string log;
    Outcome outcome = RunSequence(module, *plan, describe, &log);
    std::string text = outcome.failed ? "failed " + std::to_string(plan->steps.empty() ? 0 : plan->steps[outcome.position]) +
                                            "\n" + outcome.text + "\n"
                                      : std::string("passed\n");
    WriteText(resultPath, text + log);
    std::fflush(stdout);
    // Whatever the module left running (threads, windows) ends here.
    TerminateProcess(GetCurrentProcess(), outcome.failed ? 3 : 0);
    return outcome.failed ? 3 : 0;
}

// ---- Sequences in child processes ------------------------------------------

struct ChildRun {
    Outcome outcome;
    std::string steps; // the described steps, when asked
};

ChildRun RunInChild(const Module &module, const Plan &plan, bool quiet, bool describe = false)
{
    ChildRun run;
    std::string planPath = TempPath("plan");
    std::string resultPath = TempPath("result");
    WriteText(planPath, FormatPlan(plan));
    DeleteFileA(resultPath.c_str());
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, sizeof(uint32_t), nullptr);
    volatile uint32_t *progress =
        mapping ? static_cast<volatile uint32_t *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(uint32_t)))
                : nullptr;
    char mappingText[32];
    std::snprintf(mappingText, sizeof mappingText, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(mapping)));
    std::string line = "\"" + ProgramPath() + "\" --child \"" + planPath + "\" \"" + resultPath + "\" " +
                       mappingText + (describe ? " --describe" : "");
    // Where the child stopped, after a hang or a crash that left no result.
    auto stoppedAt = [&] {
        if (progress)
            for (size_t i = 0; i < plan.steps.size(); ++i)
                if (plan.steps[i] == *progress)
                    return i;
        return plan.steps.empty() ? size_t(0) : plan.steps.size() - 1;
    };
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (quiet) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                          nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    // Everything the sequence started (a viewer, a peer) ends with it.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process)) {
        run.outcome.failed = true;
        run.outcome.text = "start: the sequence's process did not start (error " + std::to_string(GetLastError()) + ")";
    } else {
        if (job && !AssignProcessToJobObject(job, process.hProcess)) {
            CloseHandle(job);
            job = nullptr;
        }
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        if (WaitForSingleObject(process.hProcess, module.childSeconds * 1000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 5);
            WaitForSingleObject(process.hProcess, 10000);
            run.outcome.failed = true;
            run.outcome.position = stoppedAt();
            run.outcome.text = "hang: the sequence ran longer than " + std::to_string(module.childSeconds) + " s";
        }
        CloseHandle(process.hProcess);
    }
    if (job)
        CloseHandle(job);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);

    if (!run.outcome.failed) {
        std::string result = ReadText(resultPath);
        std::istringstream in(result);
        std::string first;
        std::getline(in, first);
        if (first == "passed") {
        } else if (first.rfind("failed ", 0) == 0) {
            run.outcome.failed = true;
            uint32_t step = uint32_t(std::strtoul(first.c_str() + 7, nullptr, 10));
            run.outcome.position = plan.steps.empty() ? 0 : plan.steps.size() - 1;
            for (size_t i = 0; i < plan.steps.size(); ++i)
                if (plan.steps[i] == step)
                    run.outcome.position = i;
            std::getline(in, run.outcome.text);
        } else {
            run.outcome.failed = true;
            run.outcome.position = stoppedAt();
            run.outcome.text = "crash: the sequence's process ended without a result";
        }
        std::string rest;
        while (std::getline(in, rest))
            run.steps += rest + "\n";
    }
    if (progress)
        UnmapViewOfFile(const_cast<uint32_t *>(progress));
    if (mapping)
        CloseHandle(mapping);
    DeleteFileA(planPath.c_str());
    DeleteFileA(resultPath.c_str());
    return run;
}

struct Finding {
    Plan plan;
    std::string text;
};

// Shrinks a failed sequence, within `budget` runs and `seconds`, and says
// how to replay it. A failure that the same steps do not repeat is not
// shrunk: it is reported as it stands, marked so.
Finding Report(const Module &module, const Plan &plan, const Outcome &outcome, size_t budget, DWORD seconds)
{
    std::string kind = FailureKind(outcome.text);
    Say("-- " + std::string(module.name) + ": seed " + std::to_string(plan.seed) + " failed at step " +
        std::to_string(plan.steps[outcome.position]) + ": " + outcome.text);
    Plan upToFailure = plan;
    upToFailure.steps.resize(outcome.position + 1);
    ChildRun repeat = RunInChild(module, upToFailure, true);
    if (!repeat.outcome.failed || FailureKind(repeat.outcome.text) != kind) {
        Finding finding{plan, outcome.text + " (not repeated by the same steps)"};
        Say("FINDING, NOT REPEATED (" + std::to_string(plan.steps.size()) + " steps): " + outcome.text);
        Say("  the same steps " + (repeat.outcome.failed ? "failed otherwise: " + repeat.outcome.text
                                                            : std::string("passed")));
        Say("  replay: " + ProgramName() + " --replay " + FormatPlan(plan) + " --verbose");
        return finding;
    }
    // Every run of a sequence that hangs lasts the whole time limit.
    if (kind == "hang")
        budget = std::min<size_t>(budget, 12);
    Say("-- shrinking it (at most " + std::to_string(budget) + " runs or " + std::to_string(seconds) + " s)");
    DWORD start = GetTickCount();
    Plan shrunk = Shrink(
        upToFailure, upToFailure.steps.size() - 1,
        [&](const Plan &candidate) {
            if (GetTickCount() - start > seconds * 1000)
                return false;
            ChildRun run = RunInChild(module, candidate, true);
            return run.outcome.failed && FailureKind(run.outcome.text) == kind;
        },
        budget);
    ChildRun again = RunInChild(module, shrunk, true, true);
    Finding finding{shrunk, again.outcome.failed ? again.outcome.text : outcome.text};
    Say("FINDING (" + std::to_string(shrunk.steps.size()) + " steps): " + finding.text);
    Say("  replay: " + ProgramName() + " --replay " + FormatPlan(shrunk) + " --verbose");
    std::istringstream steps(again.steps);
    std::string line;
    for (int shown = 0; std::getline(steps, line) && shown < 40; ++shown)
        Say("    " + line);
    return finding;
}

// ---- The modes ---------------------------------------------------------------

int RunDefault(const Module &module, const std::vector<Plan> &whole)
{
    DWORD start = GetTickCount();
    size_t steps = 0;
    int failures = 0;
    for (const Plan &plan : whole) {
        ChildRun run = RunInChild(module, plan, false);
        steps += plan.steps.size();
        if (run.outcome.failed) {
            ++failures;
            Report(module, plan, run.outcome, 150, 120);
        }
    }
    for (const char *kept : module.kept) {
        std::string text(kept);
        std::string planText = text.substr(0, text.find_first_of(" \t"));
        std::optional<Plan> plan = ParsePlan(planText);
        if (!plan) {
            Say("FAILED: the kept finding \"" + text + "\" is not a sequence");
            ++failures;
            continue;
        }
        ChildRun run = RunInChild(module, *plan, false);
        steps += plan->steps.size();
        if (run.outcome.failed) {
            ++failures;
            Say("FAILED: the kept finding " + text + " fails again: " + run.outcome.text);
            Say("  replay: " + ProgramName() + " --replay " + planText + " --verbose");
        }
    }
    double seconds = (GetTickCount() - start) / 1000.0;
    char line[200];
    std::snprintf(line, sizeof line, "%s: %zu sequences (%zu kept findings), %zu steps in %.1f s: %s", module.name,
                  whole.size() + module.kept.size(), module.kept.size(), steps, seconds,
                  failures ? "FAILED" : "no finding");
    Say(line);
    return failures ? 1 : 0;
}

int RunLong(const Module &module, uint64_t total, uint64_t from, uint32_t length, const std::string &findingsPath)
{
    DWORD start = GetTickCount();
    DWORD lastNote = start;
    uint64_t steps = 0;
    uint64_t sequences = 0;
    int findings = 0;
    for (uint64_t seed = from; steps < total; ++seed) {
        uint32_t count = uint32_t(std::min<uint64_t>(length, total - steps));
        Plan plan = WholePlan(seed, count);
        ChildRun run = RunInChild(module, plan, false);
        if (FailureKind(run.outcome.text) == "start") {
            Say("-- " + std::string(module.name) + ": " + run.outcome.text + "; the long run stops");
            ++findings;
            break;
        }
        steps += count;
        ++sequences;
        if (run.outcome.failed) {
            ++findings;
            Finding finding = Report(module, plan, run.outcome, 400, 300);
            WriteText(findingsPath, FormatPlan(finding.plan) + "  " + finding.text + "\n", true);
        }
        if (GetTickCount() - lastNote > 60000) {
            lastNote = GetTickCount();
            Say("-- " + std::string(module.name) + ": " + std::to_string(steps) + " steps, " +
                std::to_string((lastNote - start) / 1000) + " s, " + std::to_string(findings) + " findings");
        }
    }
    double seconds = (GetTickCount() - start) / 1000.0;
    char line[240];
    std::snprintf(line, sizeof line,
                  "%s long run: %llu steps in %llu sequences (seeds %llu..%llu), %.0f s, %.0f steps/s, %d findings%s",
                  module.name, static_cast<unsigned long long>(steps), static_cast<unsigned long long>(sequences),
                  static_cast<unsigned long long>(from), static_cast<unsigned long long>(from + sequences - 1), seconds,
                  seconds > 0 ? steps / seconds : 0.0, findings, findings ? (" (in " + findingsPath + ")").c_str() : "");
    Say(line);
    return findings ? 1 : 0;
}

int RunReplay(const Module &module, const std::string &planText, bool verbose)
{
    std::optional<Plan> plan = ParsePlan(planText);
    if (!plan) {
        Say("not a sequence: \"" + planText + "\" (<seed>:<ranges>, as 7:0-299 or 7:3,17-20)");
        return 2;
    }
    SetUnhandledExceptionFilter(ReportCrash);
    Outcome outcome = RunSequence(module, *plan, verbose, nullptr);
    if (outcome.failed) {
        Say("failed at step " + std::to_string(plan->steps[outcome.position]) + ": " + outcome.text);
        return 1;
    }
    Say(std::string(module.name) + ": " + FormatPlan(*plan) + " passed (" + std::to_string(plan->steps.size()) +
        " steps)");
    return 0;
}

bool Number(const char *text, uint64_t &value)
{
    char *end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end && end != text && *end == '\0';
}

int Usage(const Module &module)
{
    Say(std::string("usage: ") + ProgramName() + " [--seed <n> [--steps <n>]]\n"
        "       " + ProgramName() + " --long <steps> [--from <seed>] [--length <steps>] [--findings <file>]\n"
        "       " + ProgramName() + " --replay <seed>:<ranges> [--verbose]\n"
        "Without arguments: the fixed seeds of " + module.name + " and its kept findings.");
    return 2;
}

} // namespace

int Main(int argc, char **argv, const Module &module)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--gtest", 7) != 0) // as the other test programs are run
            args.push_back(argv[i]);

    if (args.size() >= 4 && args[0] == "--child")
        return RunChild(module, args[1], args[2], args[3], args.size() > 4 && args[4] == "--describe");
    if (args.empty()) {
        std::vector<Plan> plans;
        for (uint64_t seed : module.seeds)
            plans.push_back(WholePlan(seed, module.steps));
        return RunDefault(module, plans);
    }
    uint64_t seed = 0, steps = module.steps, total = 0, from = 1, length = 2000;
    std::string findings = std::string(module.name) + "-findings.txt";
    bool verbose = false;
    std::string replay;
    enum class Mode { None, Seed, Long, Replay } mode = Mode::None;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--verbose") {
            verbose = true;
        } else if (arg == "--seed" && hasValue && Number(args[++i].c_str(), seed)) {
            mode = Mode::Seed;
        } else if (arg == "--steps" && hasValue && Number(args[++i].c_str(), steps) && steps > 0 &&
                   steps <= 10000000) {
        } else if (arg == "--long" && hasValue && Number(args[++i].c_str(), total)) {
            mode = Mode::Long;
        } else if (arg == "--from" && hasValue && Number(args[++i].c_str(), from)) {
        } else if (arg == "--length" && hasValue && Number(args[++i].c_str(), length) && length > 0 &&
                   length <= 10000000) {
        } else if (arg == "--findings" && hasValue) {
            findings = args[++i];
        } else if (arg == "--replay" && hasValue) {
            replay = args[++i];
            mode = Mode::Replay;
        } else {
            return Usage(module);
        }
    }
    switch (mode) {
    case Mode::Seed:
        return RunDefault(module, {WholePlan(seed, uint32_t(steps))});
    case Mode::Long:
        return RunLong(module, total, from, uint32_t(length), findings);
    case Mode::Replay:
        return RunReplay(module, replay, verbose);
    case Mode::None:
        break;
    }
    return Usage(module);
}

} // namespace sequence
