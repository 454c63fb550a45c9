// Random sequences of calls, the part that needs no Windows: the random
// numbers of each step, the names of sequences ("<seed>:<steps>") and their
// shrinking. The sequence testers of the modules (tests/win32) are built on
// it; tests/win32/sequence_driver.h runs them.
//
// A step's random numbers depend only on the seed and the step's index, so
// a sequence with steps left out still draws the same numbers for the steps
// it keeps. A step is therefore written to be valid in any state: it draws
// plain numbers and maps them onto what exists when it runs ("the third
// open channel, counting round").
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace sequence {

// The random numbers of one step (SplitMix64 over the seed and the index).
class Draw {
public:
    Draw(uint64_t seed, uint32_t step);
    uint64_t Bits();
    // 0 .. n - 1; 0 when n is 0.
    uint32_t Below(uint32_t n);
    // lo .. hi, both included (lo when hi < lo).
    uint32_t Between(uint32_t lo, uint32_t hi);
    bool OneIn(uint32_t n);
    // An index into the weights, each chosen in proportion to its weight.
    size_t Weighted(std::initializer_list<unsigned> weights);
    template <class T, size_t N>
    const T &Pick(const T (&items)[N])
    {
        return items[Below(uint32_t(N))];
    }

private:
    uint64_t state_;
};

// A sequence: a seed and the indices of the steps it runs, ascending.
struct Plan {
    uint64_t seed = 0;
    std::vector<uint32_t> steps;
};

// All steps 0 .. count - 1 of a seed.
Plan WholePlan(uint64_t seed, uint32_t count);

// "<seed>:<ranges>", ranges as "0-1999" or "3,17-20,41". Refuses (nullopt)
// what is not that, indices that are not ascending, and more than ten
// million steps.
std::optional<Plan> ParsePlan(const std::string &text);
std::string FormatPlan(const Plan &plan);

// The smallest plan found that still fails, by leaving steps out: first
// everything after the failing step, then halves, quarters ... single
// steps (delta debugging). `fails` runs a candidate and says whether it
// fails as the original did; it is called at most `budget` times.
// `failingStep` is the index, in `plan.steps`, of the step that failed
// (the last step when the failure showed at the end of the sequence).
Plan Shrink(const Plan &plan, size_t failingStep, const std::function<bool(const Plan &)> &fails, size_t budget);

// What the shrinking compares: the text of a failure up to its first
// ": " (the name of the check that failed, or "crash"), so that a shorter
// sequence which fails some other way does not stand in for the finding.
std::string FailureKind(const std::string &failure);

} // namespace sequence
