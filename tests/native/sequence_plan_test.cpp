#include "sequence_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

using sequence::Plan;

TEST(SequencePlan, AStepDrawsTheSameNumbersWhateverRanBeforeIt)
{
    sequence::Draw first(42, 17), again(42, 17), otherStep(42, 18), otherSeed(43, 17);
    uint64_t a = first.Bits();
    EXPECT_EQ(a, again.Bits());
    EXPECT_NE(a, otherStep.Bits());
    EXPECT_NE(a, otherSeed.Bits());

    sequence::Draw draw(1, 2);
    int counts[3] = {};
    for (int i = 0; i < 3000; ++i) {
        EXPECT_LT(draw.Below(7), 7u);
        uint32_t between = draw.Between(5, 9);
        EXPECT_TRUE(between >= 5 && between <= 9);
        ++counts[draw.Weighted({1, 0, 3})];
    }
    EXPECT_EQ(counts[1], 0);
    EXPECT_GT(counts[2], counts[0]);
    EXPECT_EQ(draw.Below(0), 0u);
    EXPECT_EQ(draw.Between(9, 5), 9u);
}

TEST(SequencePlan, NamesReadBackAndBadNamesAreRefused)
{
    for (const char *text : {"7:0-299", "18446744073709551615:3,17-20,41", "0:5", "3:1,2"}) {
        std::optional<Plan> plan = sequence::ParsePlan(text);
        ASSERT_TRUE(plan) << text;
        EXPECT_EQ(sequence::FormatPlan(*plan), text);
    }
    EXPECT_EQ(sequence::ParsePlan("7:3,17-20")->steps, (std::vector<uint32_t>{3, 17, 18, 19, 20}));
    for (const char *text : {"", "7", "7:", "x:1", "7:3,3", "7:5,2", "7:9-4", "7:1,", "7:1-", "7:0-10000000",
                             "18446744073709551616:1", "7:4294967296", "7:1 "})
        EXPECT_FALSE(sequence::ParsePlan(text)) << text;
}

TEST(SequencePlan, ShrinkingKeepsOnlyTheStepsTheFailureNeeds)
{
    Plan whole = sequence::WholePlan(9, 500);
    size_t runs = 0;
    auto needs = [&](const Plan &plan) {
        ++runs;
        auto has = [&](uint32_t step) { return std::count(plan.steps.begin(), plan.steps.end(), step) > 0; };
        return has(12) && has(300) && has(301);
    };
    Plan shrunk = sequence::Shrink(whole, 301, needs, 1000);
    EXPECT_EQ(shrunk.seed, 9u);
    EXPECT_EQ(shrunk.steps, (std::vector<uint32_t>{12, 300, 301}));
    EXPECT_LT(runs, 200u);

    runs = 0;
    Plan limited = sequence::Shrink(whole, 301, needs, 5);
    EXPECT_EQ(runs, 5u);
    EXPECT_TRUE(needs(limited));

    EXPECT_EQ(sequence::FailureKind("records: 3 live, 2 items"), "records");
    EXPECT_EQ(sequence::FailureKind("crash"), "crash");
}
