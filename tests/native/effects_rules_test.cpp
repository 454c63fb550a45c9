// The equalizer's band frequencies and gain rule, and the rotate effect's
// sample arithmetic and phase.
#include <gtest/gtest.h>

#include "equalizer_rules.h"
#include "rotate_effect.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace audiolink;

constexpr float Step = 0.00002f;

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST(Equalizer, BandsSitAtTheirCentresAndOthersAtNone)
{
    const float centres[] = {80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 14000};
    for (int band = 1; band <= 10; ++band)
        EXPECT_EQ(BandCentre(band), centres[band - 1]) << "band " << band;
    for (int band : {0, -1, 11, INT_MIN, INT_MAX})
        EXPECT_EQ(BandCentre(band), 0.0f) << "band " << band;
}

TEST(Equalizer, GainIsAWholeNumberOfDecibelsRoundedHalvesToEven)
{
    const struct {
        int position;
        float gain;
    } table[] = {{0, -15}, {1, -15}, {2, -14}, {49, 0}, {50, 0}, {51, 0},
                 {98, 14}, {99, 15}, {100, 15}, {25, -7}, {75, 8}};
    for (const auto &row : table)
        EXPECT_EQ(BandGain(row.position), row.gain) << "position " << row.position;
    // 49 gives -0.3 before rounding: the stored zero is +0.0.
    for (int position : {49, 50, 51})
        EXPECT_EQ(Bits(BandGain(position)), 0u) << "position " << position;
    // Positions the application never sends still give a finite, whole gain.
    for (int position : {INT_MIN, -1, 101, INT_MAX}) {
        float gain = BandGain(position);
        EXPECT_TRUE(std::isfinite(gain));
        EXPECT_EQ(gain, std::nearbyint(gain));
    }
}

// A buffer of stereo frames, all the same.
std::vector<int16_t> Frames(size_t count, int16_t left, int16_t right)
{
    std::vector<int16_t> samples(2 * count);
    for (size_t n = 0; n < count; ++n) {
        samples[2 * n] = left;
        samples[2 * n + 1] = right;
    }
    return samples;
}

TEST(Rotate, FirstFrameAfterARestartScalesBothSidesAlike)
{
    RestartRotatePhase();
    EXPECT_EQ(RotatePhase.load(), static_cast<float>(0.7853981));
    std::vector<int16_t> samples = Frames(2, 10000, -10000);
    RotateBuffer(samples.data(), 4, Step);
    EXPECT_EQ(samples[0], 7071);
    EXPECT_EQ(samples[1], -7071);
    // Only the first frame was handed over.
    EXPECT_EQ(samples[2], 10000);
    EXPECT_EQ(samples[3], -10000);
    EXPECT_EQ(RotatePhase.load(), static_cast<float>(0.7853981) + Step);
}

TEST(Rotate, TruncatesTowardZeroAndInvertsWhereTheFactorIsNegative)
{
    // At 4 rad the sine is -0.7568 and the cosine -0.6536.
    std::vector<int16_t> samples = {1000, 1000, -1000, -1000, 1, 1, 0, 0};
    RotateFrames(samples.data(), 1, 4.0f, 0.0f);
    RotateFrames(samples.data() + 2, 1, 4.0f, 0.0f);
    RotateFrames(samples.data() + 4, 1, 4.0f, 0.0f);
    RotateFrames(samples.data() + 6, 1, 4.0f, 0.0f);
    EXPECT_EQ(samples, (std::vector<int16_t>{-756, -653, 756, 653, 0, 0, 0, 0}));
    // At 0 rad the right side keeps its full value, the extreme included.
    std::vector<int16_t> extremes = {-32768, -32768, 32767, 32767};
    RotateFrames(extremes.data(), 2, 0.0f, 0.0f);
    EXPECT_EQ(extremes, (std::vector<int16_t>{0, -32768, 0, 32767}));
}

TEST(Rotate, LeavesAPartialFrameAndOddInputAlone)
{
    RestartRotatePhase();
    std::vector<int16_t> samples = Frames(3, 20000, 20000);
    RotateBuffer(samples.data(), 10, Step); // two frames and half of one
    EXPECT_NE(samples[0], 20000);
    EXPECT_NE(samples[3], 20000);
    EXPECT_EQ(samples[4], 20000);
    EXPECT_EQ(samples[5], 20000);
    float phase = RotatePhase.load();
    RotateBuffer(samples.data(), 3, Step);
    RotateBuffer(nullptr, 400, Step);
    EXPECT_EQ(samples[4], 20000);
    EXPECT_EQ(RotatePhase.load(), phase);
}

TEST(Rotate, PhaseAdvancesAsAFloatAndWrapsAtAFullTurn)
{
    RestartRotatePhase();
    std::vector<int16_t> samples = Frames(1000, 0, 0);
    RotateBuffer(samples.data(), samples.size() * 2, Step);
    float expected = static_cast<float>(0.7853981);
    for (int n = 0; n < 1000; ++n)
        expected = expected + Step;
    EXPECT_EQ(Bits(RotatePhase.load()), Bits(expected));

    // Just below a full turn: the next frame brings it back near 0.
    float last = std::nextafter(RotateFullTurn, 0.0f);
    float wrapped = RotateFrames(samples.data(), 1, last, Step);
    EXPECT_EQ(Bits(wrapped), Bits((last + Step) - RotateFullTurn));
    EXPECT_GE(wrapped, 0.0f);
    EXPECT_LT(wrapped, Step);
}

// Frames from a phase until it wraps.
size_t FramesToWrap(float &phase)
{
    size_t frames = 0;
    int16_t frame[2] = {};
    for (;;) {
        float next = RotateFrames(frame, 1, phase, Step);
        ++frames;
        bool wrapped = next < phase;
        phase = next;
        if (wrapped)
            return frames;
    }
}

TEST(Rotate, KeepsTurningWithItsPeriodAfterThirtyMillionFrames)
{
    float phase = 0.0f;
    size_t firstTurn = FramesToWrap(phase);
    // 2 pi / 0.00002 frames, less what the float sums lose.
    EXPECT_NEAR(double(firstTurn), 314159.0, 314159.0 * 0.05);

    RestartRotatePhase();
    std::vector<int16_t> block = Frames(65536, 12000, -12000);
    for (size_t done = 0; done < 30000000; done += 65536)
        RotateBuffer(block.data(), block.size() * 2, Step);
    phase = RotatePhase.load();
    ASSERT_GE(phase, 0.0f);
    ASSERT_LT(phase, RotateFullTurn);
    FramesToWrap(phase);
    // Two whole turns from a wrap: each as long as the first.
    EXPECT_NEAR(double(FramesToWrap(phase)), double(firstTurn), 2.0);
    EXPECT_NEAR(double(FramesToWrap(phase)), double(firstTurn), 2.0);
    // And the samples still follow the phase.
    int16_t frame[2] = {10000, 10000};
    RotateFrames(frame, 1, 1.5f, Step);
    EXPECT_EQ(frame[0], int16_t(10000 * std::sin(1.5)));
    EXPECT_EQ(frame[1], int16_t(10000 * std::cos(1.5)));
}

TEST(Rotate, FastFormGivesTheReferenceSamplesAndPhaseBitForBit)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    const size_t frames = 1 << 20;
    std::vector<int16_t> fast(2 * frames);
    for (int16_t &value : fast)
        value = int16_t(sample(random));
    // Every sample value at a handful of phases, where products fall on or
    // next to whole numbers most often.
    for (int value = -32768; value <= 32767; ++value) {
        fast.push_back(int16_t(value));
        fast.push_back(int16_t(value));
    }
    std::vector<int16_t> reference = fast;
    size_t total = fast.size() / 2;
    for (float start : {0.0f, static_cast<float>(0.7853981), 1.5707964f, 3.1415927f, 6.2831850f}) {
        float a = RotateFrames(fast.data(), total, start, Step);
        float b = ReferenceRotate(reference.data(), total, start, Step);
        ASSERT_EQ(Bits(a), Bits(b)) << "from " << start;
        ASSERT_TRUE(fast == reference) << "from " << start;
    }
}

} // namespace
