#include "test_report.h"

#include <cctype>

namespace testbundle {

namespace {

// The lines of a text, without their CR and LF.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

} // namespace

std::vector<ListedProgram> ParseProgramList(std::string_view text)
{
    std::vector<ListedProgram> programs;
    for (std::string_view line : Lines(text)) {
        line = Trimmed(line);
        if (line.empty() || line.front() == '#')
            continue;
        size_t blank = line.find_first_of(" \t");
        ListedProgram program;
        program.name = std::string(line.substr(0, blank));
        if (blank != std::string_view::npos) {
            std::string_view limit = Trimmed(line.substr(blank));
            long value = 0;
            bool number = !limit.empty() && limit.size() <= 6;
            for (char c : limit) {
                if (c < '0' || c > '9') {
                    number = false;
                    break;
                }
                value = value * 10 + (c - '0');
            }
            if (!number || value <= 0 || value > 86400)
                continue;
            program.limitSeconds = int(value);
        }
        programs.push_back(program);
    }
    return programs;
}

std::vector<SkippedCase> SkippedCases(std::string_view output)
{
    std::vector<SkippedCase> cases;
    std::string reason;
    bool inReason = false;
    for (std::string_view line : Lines(output)) {
        if (EndsWith(line, ": Skipped")) {
            inReason = true;
            reason.clear();
            continue;
        }
        if (StartsWith(line, "[  SKIPPED ] ")) {
            std::string_view rest = line.substr(13);
            // The summary's own list ("N tests, listed below:") carries no
            // time, and its cases were counted already.
            size_t time = rest.find(" (");
            if (time == std::string_view::npos) {
                inReason = false;
                continue;
            }
            cases.push_back({std::string(rest.substr(0, time)), reason});
            reason.clear();
            inReason = false;
            continue;
        }
        if (inReason && reason.empty() && !Trimmed(line).empty())
            reason = std::string(Trimmed(line));
        if (StartsWith(line, "[ "))
            inReason = false;
    }
    return cases;
}

std::string ResultLine(const std::string &name, Outcome outcome, unsigned long exitCode, int seconds,
                       size_t skipped)
{
    std::string line = name + ": ";
    switch (outcome) {
    case Outcome::Passed:
        line += "passed (" + std::to_string(seconds) + " s)";
        break;
    case Outcome::Failed:
        line += "FAILED (exit code " + std::to_string(exitCode) + ", " + std::to_string(seconds) + " s)";
        break;
    case Outcome::TimedOut:
        line += "TIMED OUT after " + std::to_string(seconds) + " s";
        break;
    case Outcome::NotStarted:
        line += "FAILED (could not be started)";
        break;
    }
    if (skipped == 1)
        line += ", 1 case skipped";
    else if (skipped > 1)
        line += ", " + std::to_string(skipped) + " cases skipped";
    return line;
}

std::string SummaryLine(int passed, int failed)
{
    return std::to_string(passed) + " passed, " + std::to_string(failed) + " failed";
}

} // namespace testbundle
