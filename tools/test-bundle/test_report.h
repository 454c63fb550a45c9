// What the test bundle's runner reads and writes, without Windows: its list
// of programs, the cases a program's output says it skipped, and the lines
// of its report.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testbundle {

// One program of the list: its file name (in the tests folder) and its time
// limit in seconds (0 = the runner's default).
struct ListedProgram {
    std::string name;
    int limitSeconds = 0;
};

// The list file: one program a line, "name [limit]"; blank lines and lines
// that begin with '#' are skipped, as is a line whose limit is not a
// positive number of at most a day.
std::vector<ListedProgram> ParseProgramList(std::string_view text);

// A case the test framework reported as skipped, and the first line of the
// reason it gave (empty when it gave none).
struct SkippedCase {
    std::string name;
    std::string reason;
};

// The skipped cases in a program's output, in order. The framework writes
//   <file>(<line>): Skipped
//   <reason lines>
//   [  SKIPPED ] Suite.Case (N ms)
// and lists them once more in its summary, which is not counted again.
std::vector<SkippedCase> SkippedCases(std::string_view output);

// How one program ended.
enum class Outcome { Passed, Failed, TimedOut, NotStarted };

// "name: passed (12 s)", "name: FAILED (exit code 1, 3 s)", "name: TIMED
// OUT after 300 s", "name: FAILED (could not be started)", with ", N cases
// skipped" when some were.
std::string ResultLine(const std::string &name, Outcome outcome, unsigned long exitCode, int seconds,
                       size_t skipped);

// The last line of a run: "N passed, M failed".
std::string SummaryLine(int passed, int failed);

} // namespace testbundle
