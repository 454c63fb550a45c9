// The rendering engine's sample code: reading WAVE files as other programs
// write them, turning their samples into the mixer's format, and the
// equaliser's peaking filter.
#include <gtest/gtest.h>

#include "peaking_filter.h"
#include "sample_render.h"
#include "wav_format.h"
#include "wave_bytes.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace engine;
using namespace wavebytes;
using Bytes = std::string;

// The extensible format chunk, with the first two bytes of its sub-format.
Bytes ExtensibleFormat(unsigned channels, unsigned bits, unsigned subFormat)
{
    Bytes body;
    Put16(body, 0xFFFE);
    Put16(body, channels);
    Put32(body, 48000);
    Put32(body, 48000 * channels * bits / 8);
    Put16(body, channels * bits / 8);
    Put16(body, bits);
    Put16(body, 22);
    Put16(body, bits);
    Put32(body, 3);
    Put16(body, subFormat);
    body += Bytes("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    return Chunk("fmt ", body);
}

WavResult Read(const Bytes &file, WavFormat *format)
{
    return ReadWav(reinterpret_cast<const uint8_t *>(file.data()), file.size(), format);
}

TEST(WavFiles, FindTheDataAmongOtherChunksAndBeforeTrailingBytes)
{
    Bytes data(400, '\x11');
    Bytes tag = "TAG" + Bytes(125, 'x');
    // A list chunk of odd length with its pad byte, the format, a fact
    // chunk, the data, then a tag.
    Bytes file = Riff(Chunk("LIST", Bytes(13, 'l')) + FormatChunk(22050, 2, 16) + Chunk("fact", "abcd") +
                      Chunk("data", data)) +
                 tag;
    WavFormat format;
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.rate, 22050u);
    EXPECT_EQ(format.channels, 2u);
    EXPECT_EQ(format.bits, 16u);
    EXPECT_EQ(format.dataBytes, 400u);
    EXPECT_EQ(format.Frames(), 100u);
    EXPECT_EQ(file.substr(format.dataOffset, format.dataBytes), data);

    // Data before the format; an odd 8-bit data chunk whose pad byte is
    // missing at the end of the file.
    file = Riff(Chunk("data", Bytes(7, '\x80'), false) + Bytes(1, '\0') + FormatChunk(8000, 1, 8));
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.dataBytes, 7u);
    file = Riff(FormatChunk(8000, 1, 8) + Chunk("data", Bytes(7, '\x80'), false));
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.dataBytes, 7u);
    EXPECT_EQ(format.dataOffset + format.dataBytes, file.size());

    // A RIFF size that disagrees with the file is not believed.
    ASSERT_EQ(Read(Riff(FormatChunk(44100, 1, 16) + Chunk("data", Bytes(10, 'd')), 3), &format), WavResult::Ok);
    EXPECT_EQ(format.dataBytes, 10u);

    // The extensible form of PCM.
    ASSERT_EQ(Read(Riff(ExtensibleFormat(2, 16, 1) + Chunk("data", Bytes(8, 'd'))), &format), WavResult::Ok);
    EXPECT_EQ(format.rate, 48000u);
}

TEST(WavFiles, DataThatClaimsMoreThanTheFileIsCutToWholeFrames)
{
    Bytes file = Riff(FormatChunk(44100, 2, 16) + Chunk("data", Bytes(4 * 25 + 3, 'd'), false, 1000000));
    WavFormat format;
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.dataBytes, 100u);
    EXPECT_EQ(format.Frames(), 25u);
    // The length of a stream that was never finished.
    file = Riff(FormatChunk(44100, 1, 8) + Chunk("data", Bytes(9, 'd'), false, 0xFFFFFFFFu), 0xFFFFFFFFu);
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.dataBytes, 9u);
}

TEST(WavFiles, RefuseWhatTheyCannotPlay)
{
    WavFormat format;
    const Bytes data = Chunk("data", Bytes(16, 'd'));
    const struct {
        const char *what;
        Bytes file;
        WavResult result;
    } cases[] = {
        {"nothing", "", WavResult::NotWav},
        {"a RIFF header alone", Bytes("RIFF\4\0\0\0WAV", 11), WavResult::NotWav},
        {"another RIFF form", "RIFF\4\0\0\0AVI " + FormatChunk(8000, 1, 8) + data, WavResult::NotWav},
        {"no format", Riff(data), WavResult::NotWav},
        {"no data", Riff(FormatChunk(8000, 1, 8)), WavResult::NotWav},
        {"a short format", Riff(Chunk("fmt ", Bytes(14, '\1')) + data), WavResult::NotWav},
        {"a format cut by the end", Riff(Bytes("fmt \x10\0\0\0\1\0", 10)), WavResult::NotWav},
        {"24 bits", Riff(FormatChunk(44100, 2, 24) + data), WavResult::UnsupportedFormat},
        {"floats", Riff(FormatChunk(44100, 2, 32, 3) + data), WavResult::UnsupportedFormat},
        {"ADPCM", Riff(FormatChunk(22050, 1, 4, 2) + data), WavResult::UnsupportedFormat},
        {"six channels", Riff(FormatChunk(44100, 6, 16) + data), WavResult::UnsupportedFormat},
        {"no channels", Riff(FormatChunk(44100, 0, 16) + data), WavResult::UnsupportedFormat},
        {"rate 0", Riff(FormatChunk(0, 2, 16) + data), WavResult::UnsupportedFormat},
        {"rate too high", Riff(FormatChunk(400000, 2, 16) + data), WavResult::UnsupportedFormat},
        {"extensible floats", Riff(ExtensibleFormat(2, 32, 3) + data), WavResult::UnsupportedFormat},
        {"extensible cut short", Riff(FormatChunk(44100, 2, 16, 0xFFFE) + data), WavResult::UnsupportedFormat},
    };
    for (const auto &row : cases)
        EXPECT_EQ(Read(row.file, &format), row.result) << row.what;
    EXPECT_EQ(ReadWav(nullptr, 100, &format), WavResult::NotWav);
}

TEST(WavFiles, EveryCutOfAFileIsReadWithinItsBytesOrRefused)
{
    Bytes whole = Riff(Chunk("LIST", Bytes(5, 'l')) + FormatChunk(11025, 2, 8) + Chunk("data", Bytes(30, 'd'))) + "TAG";
    for (size_t size = 0; size <= whole.size(); ++size) {
        // A copy of exactly size bytes, so that the sanitizer sees a read
        // past it.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
        WavFormat format;
        WavResult result = ReadWav(cut.data(), cut.size(), &format);
        if (result == WavResult::Ok) {
            EXPECT_LE(format.dataOffset + format.dataBytes, size);
            EXPECT_EQ(format.dataBytes % 2, 0u);
        } else {
            EXPECT_EQ(result, WavResult::NotWav) << size;
        }
    }
}

TEST(WavFiles, WrittenHeadersReadBack)
{
    uint8_t header[WavHeaderBytes];
    WriteWavHeader(header, 44100, 2, 16, 4000);
    Bytes file(reinterpret_cast<char *>(header), sizeof header);
    file += Bytes(4000, 's');
    WavFormat format;
    ASSERT_EQ(Read(file, &format), WavResult::Ok);
    EXPECT_EQ(format.rate, 44100u);
    EXPECT_EQ(format.dataOffset, WavHeaderBytes);
    EXPECT_EQ(format.dataBytes, 4000u);
    EXPECT_EQ(memcmp(header + 28, "\x10\xB1\x02\x00", 4), 0) << "bytes per second";
    // Beyond what the fields hold: the largest whole number of frames.
    WriteWavHeader(header, 44100, 2, 16, 1ull << 33);
    uint32_t dataBytes = 0, riffBytes = 0;
    memcpy(&dataBytes, header + 40, 4);
    memcpy(&riffBytes, header + 4, 4);
    EXPECT_EQ(dataBytes % 4, 0u);
    EXPECT_GT(dataBytes, 0xFFFFFF00u);
    EXPECT_EQ(riffBytes, dataBytes + 36);
}

// ---- Samples into the mixer's format ------------------------------------------

PcmSource Source(const std::vector<uint8_t> &bytes, uint16_t channels, uint16_t bits)
{
    PcmSource source;
    source.data = bytes.data();
    source.channels = channels;
    source.bits = bits;
    source.frames = bytes.size() / (channels * bits / 8);
    return source;
}

std::vector<uint8_t> Bytes16(const std::vector<int16_t> &samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST(SampleRendering, AtTheOutputRateSixteenBitStereoPassesUnchanged)
{
    std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 12345, -321, 7};
    std::vector<uint8_t> bytes = Bytes16(samples);
    PcmSource source = Source(bytes, 2, 16);
    FramePosition position = 0;
    std::vector<int16_t> out(2 * 10, 99);
    // Block by block, and short at the end.
    EXPECT_EQ(RenderFrames(source, &position, StepOf(44100, 44100), out.data(), 3), 3u);
    EXPECT_EQ(RenderFrames(source, &position, WholeFrame, out.data() + 6, 7), 1u);
    EXPECT_EQ(RenderFrames(source, &position, WholeFrame, out.data() + 8, 7), 0u);
    EXPECT_EQ(FrameOf(position), 4u);
    out.resize(8);
    EXPECT_EQ(out, samples);
}

TEST(SampleRendering, EightBitAndMonoBecomeSixteenBitStereo)
{
    std::vector<uint8_t> bytes = {0, 128, 255, 129};
    std::vector<int16_t> out(8);
    FramePosition position = 0;
    EXPECT_EQ(RenderFrames(Source(bytes, 1, 8), &position, WholeFrame, out.data(), 4), 4u);
    EXPECT_EQ(out, (std::vector<int16_t>{-32768, -32768, 0, 0, 32512, 32512, 256, 256}));
    position = 0;
    EXPECT_EQ(RenderFrames(Source(bytes, 2, 8), &position, WholeFrame, out.data(), 4), 2u);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{-32768, 0, 32512, 256}));
    std::vector<uint8_t> mono16 = Bytes16({-5, 300});
    position = 0;
    EXPECT_EQ(RenderFrames(Source(mono16, 1, 16), &position, WholeFrame, out.data(), 4), 2u);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{-5, -5, 300, 300}));
}

TEST(SampleRendering, OtherRatesAreInterpolatedOnAStraightLine)
{
    std::vector<uint8_t> bytes = Bytes16({0, 0, 1000, -1000, 3001, 3001});
    PcmSource source = Source(bytes, 2, 16);
    // Half the output rate: each source frame, then the point between it and
    // the next; the last frame stands until the end.
    FramePosition position = 0;
    std::vector<int16_t> out(12);
    EXPECT_EQ(RenderFrames(source, &position, StepOf(22050, 44100), out.data(), 6), 6u);
    EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 500, -500, 1000, -1000, 2001, 1001, 3001, 3001, 3001, 3001}));
    // Twice the output rate: every other frame.
    position = 0;
    EXPECT_EQ(RenderFrames(source, &position, StepOf(88200, 44100), out.data(), 6), 2u);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 4), (std::vector<int16_t>{0, 0, 3001, 3001}));
    EXPECT_EQ(StepOf(0, 44100), WholeFrame);
}

TEST(SampleRendering, GainsMixingAndLevels)
{
    std::vector<int16_t> block = {1000, -1001, 32767, -32768};
    std::vector<int16_t> same = block;
    ApplyGains(block.data(), 2, 1.0, 1.0);
    EXPECT_EQ(block, same);
    ApplyGains(block.data(), 2, 0.5, 2.0);
    EXPECT_EQ(block, (std::vector<int16_t>{500, -2002, 16384, -32768}));

    std::vector<int32_t> mix(4, 0);
    std::vector<int16_t> a = {30000, -30000, 5, -5}, b = {30000, -30000, -6, 6}, out(4);
    MixInto(mix.data(), a.data(), 2);
    MixInto(mix.data(), b.data(), 2);
    ClipMix(mix.data(), out.data(), 2);
    EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, -1, 1}));

    EXPECT_EQ(PeakLevels(out.data(), 2), 32767u | (32768u << 16));
    EXPECT_EQ(PeakLevels(out.data(), 0), 0u);
}

// ---- The equaliser band -------------------------------------------------------

std::vector<int16_t> StereoTone(double frequency, double amplitude, size_t frames, uint32_t rate)
{
    std::vector<int16_t> samples(2 * frames);
    for (size_t n = 0; n < frames; ++n)
        samples[2 * n] = samples[2 * n + 1] =
            int16_t(std::lround(amplitude * std::sin(2 * 3.141592653589793 * frequency * n / rate)));
    return samples;
}

double Rms(const std::vector<int16_t> &samples, size_t from, int side)
{
    double sum = 0;
    size_t count = 0;
    for (size_t n = 2 * from + side; n < samples.size(); n += 2, ++count)
        sum += double(samples[n]) * samples[n];
    return std::sqrt(sum / count);
}

TEST(PeakingFilter, GainsItsCentreAndHalfItsGainAtTheBandEdges)
{
    for (float gain : {15.0f, -12.0f, 6.0f}) {
        for (float bandwidth : {18.0f, 12.0f, 3.0f}) {
            PeakingFilter filter;
            SetPeakingFilter(&filter, 1000.0f, bandwidth, gain, 44100);
            ASSERT_FALSE(filter.passThrough);
            double edge = std::pow(2.0, bandwidth / 24.0);
            EXPECT_NEAR(PeakingResponseDb(filter, 1000, 44100), gain, 0.01);
            EXPECT_NEAR(PeakingResponseDb(filter, 1000 * edge, 44100), gain / 2, 0.3) << bandwidth;
            EXPECT_NEAR(PeakingResponseDb(filter, 1000 / edge, 44100), gain / 2, 0.3) << bandwidth;
            EXPECT_NEAR(PeakingResponseDb(filter, 20, 44100), 0.0, 0.5);
            EXPECT_NEAR(PeakingResponseDb(filter, 20000, 44100), 0.0, 0.5);
        }
    }
}

TEST(PeakingFilter, ScalesAToneAtItsCentreAndLeavesSamplesAloneAtZeroDecibels)
{
    std::vector<int16_t> tone = StereoTone(3000, 2000, 44100 / 2, 44100);
    std::vector<int16_t> samples = tone;
    PeakingFilter filter;
    SetPeakingFilter(&filter, 3000.0f, 18.0f, 0.0f, 44100);
    EXPECT_TRUE(filter.passThrough);
    RunPeakingFilter(&filter, samples.data(), samples.size() / 2);
    EXPECT_EQ(samples, tone);

    SetPeakingFilter(&filter, 3000.0f, 18.0f, 12.0f, 44100);
    // In two blocks: the filter keeps its history between them.
    RunPeakingFilter(&filter, samples.data(), 1000);
    RunPeakingFilter(&filter, samples.data() + 2000, samples.size() / 2 - 1000);
    for (int side = 0; side < 2; ++side)
        EXPECT_NEAR(20 * std::log10(Rms(samples, 4410, side) / Rms(tone, 4410, side)), 12.0, 0.1);

    // Raised beyond 16 bits, the samples clip instead of wrapping around.
    // At its centre the filter does not shift the phase, so each loud
    // sample keeps the sign of the tone.
    std::vector<int16_t> quiet = StereoTone(3000, 30000, 4410, 44100);
    std::vector<int16_t> loud = quiet;
    SetPeakingFilter(&filter, 3000.0f, 18.0f, 15.0f, 44100);
    RunPeakingFilter(&filter, loud.data(), loud.size() / 2);
    int clipped = 0;
    for (size_t n = 2 * 441; n < loud.size(); ++n) {
        clipped += loud[n] == 32767 || loud[n] == -32768;
        if (std::abs(quiet[n]) > 5000) {
            ASSERT_EQ(loud[n] > 0, quiet[n] > 0) << "wrapped at " << n;
        }
    }
    EXPECT_GT(clipped, 1000);
}

TEST(PeakingFilter, AcceptsOnlyBandsItCanFilter)
{
    EXPECT_TRUE(EqParametersValid(80, 18, -15, 44100));
    EXPECT_TRUE(EqParametersValid(14000, 1, 15, 44100));
    EXPECT_TRUE(EqParametersValid(22049, 36, 0, 44100));
    const float nan = std::nanf("");
    const struct {
        float center, bandwidth, gain;
    } refused[] = {{0, 18, 0},   {-100, 18, 0},   {22050, 18, 0}, {1000, 0.5f, 0}, {1000, 37, 0},
                   {1000, 18, 16}, {1000, 18, -15.5f}, {nan, 18, 0},   {1000, nan, 0},  {1000, 18, nan}};
    for (const auto &band : refused)
        EXPECT_FALSE(EqParametersValid(band.center, band.bandwidth, band.gain, 44100))
            << band.center << " " << band.bandwidth << " " << band.gain;
    EXPECT_FALSE(EqParametersValid(1000, 18, 0, 0));
    // An invalid band is left passing the sound through.
    PeakingFilter filter;
    SetPeakingFilter(&filter, 30000.0f, 18.0f, 10.0f, 44100);
    EXPECT_TRUE(filter.passThrough);
}

} // namespace
