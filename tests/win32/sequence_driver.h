// The runner of a module's sequence tester: long random sequences of valid
// calls, checked after every step against a small model of the module.
//
// A tester is a Tester (one per sequence, made fresh in its own process)
// and a Module that names it. Its program's main is
//     int main(int argc, char **argv) { return sequence::Main(argc, argv, kModule); }
// and it runs, under Wine or on Windows:
//     (no arguments)           the module's fixed seeds and its kept findings
//                              (what make test and the test bundle run)
//     --seed <n> [--steps <n>] one sequence
//     --long <steps> [--from <seed>] [--length <steps>] [--findings <file>]
//                              sequences of seeds from, from + 1, ... until
//                              that many steps have run; prints steps,
//                              seconds and findings
//     --replay <seed>:<ranges> [--verbose]
//                              one sequence in this process, each step
//                              printed with --verbose
// Every sequence but a replay runs in a child process, so that a crash or a
// hang is a finding like a failed check. A finding is shrunk to the fewest
// steps that still fail the same way, and printed (and with --long, added
// to the findings file) as the one line that replays it; a tester keeps it
// as a test by adding that line to its Module's kept list. A failure that
// the same steps do not repeat is reported unshrunk, marked so. A kept line
// names steps by seed and index: a change to what a tester draws (its
// weights, its kinds of step) changes the sequences its kept lines name, so
// such a change shrinks them again from the seeds of their findings.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sequence_plan.h"

namespace sequence {

// A check that failed. Its text starts with the name of the check and ": ",
// which shrinking compares (FailureKind).
struct Failure {
    std::string text;
};

[[noreturn]] void Fail(const std::string &check, const std::string &details);

inline void Expect(bool holds, const char *check, const std::string &details = {})
{
    if (!holds)
        Fail(check, details);
}

class Tester {
public:
    virtual ~Tester() = default;
    // Runs one step with the step's own random numbers, and says in a few
    // words what it did ("open 3: mp3 from a file"), for --verbose.
    virtual std::string Step(Draw &draw) = 0;
    // After every step: the module and the model agree.
    virtual void Check() = 0;
    // At the end of a sequence: undo what is left (close, destroy, free),
    // then check that nothing outlives it (records, handles, GDI objects,
    // windows, the doubles' channels). What belongs to the machine rather
    // than the process (the cursor's place, files) is put back too: the
    // next sequence's process finds it.
    virtual void Finish() = 0;
};

struct Module {
    const char *name;                          // "foldertree"
    std::function<std::unique_ptr<Tester>()> make;
    std::vector<uint64_t> seeds;               // make test's fixed seeds
    uint32_t steps = 300;                      // steps of each of them
    uint32_t childSeconds = 120;               // a sequence running longer hangs
    // Findings kept as tests: "<seed>:<ranges>  what it found", replayed
    // on every run without arguments.
    std::vector<const char *> kept;
};

int Main(int argc, char **argv, const Module &module);

// The folder of the running program, ending in a backslash.
std::string ProgramFolder();

} // namespace sequence
