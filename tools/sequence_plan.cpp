#include "sequence_plan.h"

#include <algorithm>

namespace sequence {

namespace {

uint64_t Mix(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;
constexpr size_t kMostSteps = 10000000;

// A decimal number of at most 20 digits that fits 64 bits.
bool ParseNumber(const std::string &text, size_t &at, uint64_t &value)
{
    size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        uint64_t digit = uint64_t(text[at] - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
        ++at;
    }
    return at > start;
}

} // namespace

Draw::Draw(uint64_t seed, uint32_t step) : state_(Mix(seed + kGolden) ^ Mix(uint64_t(step) * kGolden + 1)) {}

uint64_t Draw::Bits()
{
    state_ += kGolden;
    return Mix(state_);
}

uint32_t Draw::Below(uint32_t n)
{
    return n == 0 ? 0 : uint32_t(Bits() % n);
}

uint32_t Draw::Between(uint32_t lo, uint32_t hi)
{
    if (hi < lo)
        return lo;
    return lo + uint32_t(Bits() % (uint64_t(hi) - lo + 1));
}

bool Draw::OneIn(uint32_t n)
{
    return Below(n) == 0;
}

size_t Draw::Weighted(std::initializer_list<unsigned> weights)
{
    uint64_t total = 0;
    for (unsigned weight : weights)
        total += weight;
    if (total == 0)
        return 0;
    uint64_t pick = Bits() % total;
    size_t index = 0;
    for (unsigned weight : weights) {
        if (pick < weight)
            return index;
        pick -= weight;
        ++index;
    }
    return weights.size() - 1;
}

Plan WholePlan(uint64_t seed, uint32_t count)
{
    Plan plan;
    plan.seed = seed;
    plan.steps.resize(count);
    for (uint32_t i = 0; i < count; ++i)
        plan.steps[i] = i;
    return plan;
}

std::optional<Plan> ParsePlan(const std::string &text)
{
    Plan plan;
    size_t at = 0;
    if (!ParseNumber(text, at, plan.seed) || at >= text.size() || text[at] != ':')
        return std::nullopt;
    ++at;
    for (;;) {
        uint64_t first = 0, last = 0;
        if (!ParseNumber(text, at, first) || first > UINT32_MAX)
            return std::nullopt;
        last = first;
        if (at < text.size() && text[at] == '-') {
            ++at;
            if (!ParseNumber(text, at, last) || last > UINT32_MAX || last < first)
                return std::nullopt;
        }
        if (!plan.steps.empty() && first <= plan.steps.back())
            return std::nullopt;
        if (plan.steps.size() + (last - first + 1) > kMostSteps)
            return std::nullopt;
        for (uint64_t step = first; step <= last; ++step)
            plan.steps.push_back(uint32_t(step));
        if (at == text.size())
            return plan;
        if (text[at] != ',')
            return std::nullopt;
        ++at;
    }
}

std::string FormatPlan(const Plan &plan)
{
    std::string text = std::to_string(plan.seed) + ":";
    for (size_t i = 0; i < plan.steps.size();) {
        size_t j = i;
        while (j + 1 < plan.steps.size() && plan.steps[j + 1] == plan.steps[j] + 1)
            ++j;
        if (i > 0)
            text += ',';
        text += std::to_string(plan.steps[i]);
        if (j > i)
            text += (j == i + 1 ? "," : "-") + std::to_string(plan.steps[j]);
        i = j + 1;
    }
    return text;
}

Plan Shrink(const Plan &plan, size_t failingStep, const std::function<bool(const Plan &)> &fails, size_t budget)
{
    Plan best = plan;
    size_t tries = 0;
    auto attempt = [&](const Plan &candidate) {
        if (tries >= budget)
            return false;
        ++tries;
        return fails(candidate);
    };
    // The steps after the one that failed took no part in it.
    if (failingStep + 1 < best.steps.size()) {
        Plan cut = best;
        cut.steps.resize(failingStep + 1);
        if (attempt(cut))
            best = cut;
    }
    // Leave out chunks, halving their size until single steps, and start
    // again at the largest size whenever a pass shortened the plan.
    size_t chunk = std::max<size_t>(best.steps.size() / 2, 1);
    while (!best.steps.empty() && tries < budget) {
        bool shortened = false;
        // Last chunk first: the failing step is at the end and stays.
        for (size_t end = best.steps.size(); end > 0 && tries < budget;) {
            size_t begin = end > chunk ? end - chunk : 0;
            Plan candidate;
            candidate.seed = best.seed;
            candidate.steps.assign(best.steps.begin(), best.steps.begin() + begin);
            candidate.steps.insert(candidate.steps.end(), best.steps.begin() + end, best.steps.end());
            if (!candidate.steps.empty() && attempt(candidate)) {
                best = candidate;
                shortened = true;
                end = std::min(begin, best.steps.size());
            } else {
                end = begin;
            }
        }
        if (chunk == 1 && !shortened)
            break;
        chunk = shortened ? std::max<size_t>(std::min(chunk, best.steps.size() / 2), 1) : std::max<size_t>(chunk / 2, 1);
    }
    return best;
}

std::string FailureKind(const std::string &failure)
{
    size_t colon = failure.find(": ");
    return colon == std::string::npos ? failure : failure.substr(0, colon);
}

} // namespace sequence
