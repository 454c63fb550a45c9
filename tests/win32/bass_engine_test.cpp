// The rendering engine under audiolink.dll, as an application drives them:
// media opened and played through the bridge's exports, effects switched
// on in a real effects dialog, and the engine's output file read back and
// measured: the samples themselves, the rotate effect's envelopes, the
// equaliser's gain at its centre. Bad files and addresses give their error
// codes; an address is served from a local folder and its bytes reach the
// download procedure.
#include "audiolink_test_support.h"
#include "effects_dialog.h"

#include "audiolink.h"
#include "bass.h"
#include "wav_format.h"
#include "wave_bytes.h"
#include "process_counts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

using namespace altest;
using namespace wavebytes;

#define ENGINE_TEST_EXPORTS(X)                                                               \
    X(BASSOPEN) X(BASSPLAY) X(BASSMEDIATYPE) X(BASSMEDIAGETLENGTH) X(BASSCHANNELISACTIVE)      \
    X(BASSCLOSECHANNEL) X(BASSFXWINDOW) X(BASSFXCHANNEL) X(BASSUPDATEEQ) X(BASSERRORGETCODE)  \
    X(BASSSTREAMSAVE) X(BASSSETDOWNLOADPATH) X(BASSSTREAMDECODEFILE) X(BASSSTREAMGETLENGTH)   \
    X(BASSCHANNELGETDATA) X(BASSUSECHANNELGETPOSITION) X(BASSSTREAMFREE) X(BASSGETVERSION)    \
    X(BASSSTREAMCREATEFILE) X(BASSSTREAMCREATEURL) X(BASSCHANNELSETFX) X(BASSFXSETPARAMETERS) \
    X(BASSFXGETPARAMETERS) X(BASSHANDLEINUSE) X(BASSUPDATEROTATE) X(BASSUPDATEREVERB) X(BASSREMOVEFX)

std::string EngineFolder()
{
    return ProgramFolder() + "..\\engine";
}

// audiolink.dll loaded by name with the engine's folder on the search path,
// so that it loads the engine as "BASS.DLL"; unloaded when this goes.
class AudioLink : public AudioLinkModule {
public:
    AudioLink() : AudioLinkModule(EngineFolder().c_str()) { ENGINE_TEST_EXPORTS(ALTEST_RESOLVE_EXPORT) }

    ENGINE_TEST_EXPORTS(ALTEST_EXPORT_MEMBER)

    // Waits until the current channel has played to its end.
    bool WaitUntilPlayed() const
    {
        for (int waited = 0; waited < 30000; waited += 5) {
            if (!BASSCHANNELISACTIVE())
                return true;
            Sleep(5);
        }
        return false;
    }
};

// ---- WAVE files --------------------------------------------------------------

// A WAVE file as other programs write them: a list chunk before the data,
// and an ID3v1 tag after it.
std::string WaveFile(unsigned rate, unsigned channels, unsigned bits, const std::string &data)
{
    std::string chunks = Chunk("LIST", std::string("INFOISFT\x05\0\0\0tone\0", 17)) +
                         FormatChunk(rate, channels, bits) + Chunk("data", data);
    std::string tag(128, '\0');
    memcpy(&tag[0], "TAGTone", 7);
    return Riff(chunks) + tag;
}

using Frames = std::vector<int16_t>; // interleaved stereo

std::string Bytes16(const Frames &samples)
{
    return std::string(reinterpret_cast<const char *>(samples.data()), samples.size() * 2);
}

// A stereo tone (or two) of the given amplitude, in frames at rate.
Frames Tones(unsigned rate, double seconds, std::vector<std::pair<double, double>> tones)
{
    size_t frames = size_t(rate * seconds);
    Frames samples(2 * frames);
    for (size_t n = 0; n < frames; ++n) {
        double value = 0;
        for (const auto &[frequency, amplitude] : tones)
            value += amplitude * std::sin(2 * 3.141592653589793 * frequency * n / rate);
        samples[2 * n] = samples[2 * n + 1] = int16_t(std::lround(value));
    }
    return samples;
}

// The output file's samples; fails the test if it is not the engine's
// format.
Frames OutputSamples(const std::string &path)
{
    std::string bytes = ReadWholeFile(path);
    engine::WavFormat format;
    EXPECT_EQ(engine::ReadWav(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &format),
              engine::WavResult::Ok)
        << path;
    EXPECT_EQ(format.rate, 44100u);
    EXPECT_EQ(format.channels, 2u);
    EXPECT_EQ(format.bits, 16u);
    // The header tells exactly the data there is.
    EXPECT_EQ(format.dataOffset + format.dataBytes, bytes.size());
    Frames samples(format.dataBytes / 2);
    if (!samples.empty())
        memcpy(samples.data(), bytes.data() + format.dataOffset, format.dataBytes);
    return samples;
}

// ---- Measures ------------------------------------------------------------------

// The power of one side at a frequency (Goertzel), over the whole block.
double PowerAt(const Frames &samples, int side, double frequency, unsigned rate)
{
    double coefficient = 2 * std::cos(2 * 3.141592653589793 * frequency / rate);
    double s1 = 0, s2 = 0;
    for (size_t n = side; n < samples.size(); n += 2) {
        double s0 = samples[n] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

double Decibels(double power, double reference)
{
    return 10 * std::log10(power / reference);
}

// ---- The fixture ---------------------------------------------------------------

class RenderingEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        served_ = scratch_ / "served";
        CreateDirectoryA(served_.c_str(), nullptr);
        SetEnvironmentVariableA("TARN_ENGINE_RENDER", "fast");
        SetEnvironmentVariableA("TARN_ENGINE_URL_FOLDER", served_.c_str());
        ASSERT_NE(dialog_.Window(), nullptr);
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
        SetEnvironmentVariableA("TARN_ENGINE_RENDER", nullptr);
        SetEnvironmentVariableA("TARN_ENGINE_URL_FOLDER", nullptr);
    }

    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = scratch_ / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes)) << path;
        return path;
    }

    // Opens and plays name through a freshly loaded audiolink.dll with the
    // dialog as it stands, waits for the end, closes, unloads, and returns
    // the output's samples. before runs before the open, during after the
    // play.
    using Step = std::function<void(AudioLink &)>;
    Frames Render(const std::string &name, Step during = nullptr, Step before = nullptr)
    {
        std::string output = scratch_ / ("out" + std::to_string(++renders_) + ".wav");
        SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
        {
            AudioLink link;
            if (!link.BASSOPEN)
                return {};
            EXPECT_EQ(link.BASSFXWINDOW(dialog_.Window(), 1), dialog_.Window());
            if (before)
                before(link);
            EXPECT_EQ(link.BASSOPEN(nullptr, ByteString(name)), 0);
            EXPECT_EQ(link.BASSPLAY(0, 0), 0) << "error " << link.BASSERRORGETCODE();
            EXPECT_EQ(link.BASSMEDIATYPE(), 3);
            EXPECT_TRUE(link.WaitUntilPlayed());
            if (during)
                during(link);
            EXPECT_EQ(link.BASSCLOSECHANNEL(0), 0);
        }
        return OutputSamples(output);
    }

    ScratchFolder scratch_;
    std::string served_;
    EffectsDialog dialog_;
    int renders_ = 0;
};

TEST_F(RenderingEngine, LoadsUnderTheBridgeAsVersionTwo)
{
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    AudioLink link;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("BASS.DLL"), path, MAX_PATH);
    EXPECT_NE(std::string(path).find("\\engine\\BASS.DLL"), std::string::npos) << path;
    EXPECT_EQ(Take(link.BASSGETVERSION()), "2.0");
}

TEST_F(RenderingEngine, WithoutEffectsTheOutputIsTheInput)
{
    // 16-bit stereo at the output rate: sample for sample.
    Frames stereo = Tones(44100, 1.5, {{440, 9000}, {3100, 4000}});
    for (size_t n = 0; n < stereo.size(); n += 2)
        stereo[n + 1] = int16_t(-stereo[n] / 2 + int16_t(n % 97)); // the sides differ
    std::string path = Write("Stereo Tone.wav", WaveFile(44100, 2, 16, Bytes16(stereo)));
    EXPECT_EQ(Render(path), stereo);

    // 8-bit mono at half the rate: every other output frame is a source
    // sample on both sides, scaled to 16 bits; between them, the mean.
    std::string mono;
    for (int n = 0; n < 22050; ++n)
        mono += char(128 + int(100 * std::sin(n / 10.0)));
    Frames out = Render(Write("mono.wav", WaveFile(22050, 1, 8, mono)));
    ASSERT_EQ(out.size(), 4u * 22050);
    for (size_t n = 0; n < 22050; ++n) {
        int16_t expected = int16_t((int(uint8_t(mono[n])) - 128) * 256);
        ASSERT_EQ(out[4 * n], expected) << "frame " << 2 * n;
        ASSERT_EQ(out[4 * n + 1], expected);
        if (n + 1 < 22050) {
            int16_t next = int16_t((int(uint8_t(mono[n + 1])) - 128) * 256);
            ASSERT_NEAR(out[4 * n + 2], (expected + next) / 2.0, 1.0) << "frame " << 2 * n + 1;
        }
    }
}

TEST_F(RenderingEngine, OnceTheChannelStopsTheOutputHeaderTellsAllItsData)
{
    // In real time, where the mixer waits between blocks: a program that
    // sees its channel stopped may read the file before anything closes it.
    SetEnvironmentVariableA("TARN_ENGINE_RENDER", nullptr);
    Frames tone = Tones(44100, 0.4, {{440, 9000}});
    std::string path = Write("Short Tone.wav", WaveFile(44100, 2, 16, Bytes16(tone)));
    std::string output = scratch_ / ("out" + std::to_string(renders_ + 1) + ".wav");
    auto headerIsWhole = [&](AudioLink &) {
        std::string bytes = ReadWholeFile(output);
        ASSERT_GT(bytes.size(), 44u);
        uint32_t told = 0;
        memcpy(&told, &bytes[40], 4);
        EXPECT_EQ(told, bytes.size() - 44);
        EXPECT_EQ(told, tone.size() * 2);
    };
    EXPECT_EQ(Render(path, headerIsWhole), tone);
}

TEST_F(RenderingEngine, RotateSwingsTheSidesOnSineAndCosine)
{
    dialog_.Check(FXID_ROTATE, true);
    const double seconds = 4.0;
    Frames tone = Tones(44100, seconds, {{1000, 16000}});
    Frames out = Render(Write("rotate.wav", WaveFile(44100, 2, 16, Bytes16(tone))));
    ASSERT_EQ(out.size(), tone.size());
    // Over each window of 10 ms, the factor by which each side was scaled,
    // against the sine and cosine of the phase in the window's middle. The
    // phase starts at pi/4 and grows by a float step per frame.
    const size_t window = 441;
    std::vector<float> phases(tone.size() / 2);
    float phase = 0.7853981f;
    for (float &at : phases) {
        at = phase;
        phase = phase + 0.00002f;
    }
    double worst = 0;
    bool crossed = false;
    for (size_t start = 0; start + window <= phases.size(); start += window) {
        double inIn = 0, inLeft = 0, inRight = 0;
        for (size_t n = start; n < start + window; ++n) {
            inIn += double(tone[2 * n]) * tone[2 * n];
            inLeft += double(tone[2 * n]) * out[2 * n];
            inRight += double(tone[2 * n + 1]) * out[2 * n + 1];
        }
        double middle = phases[start + window / 2];
        worst = std::max({worst, std::fabs(inLeft / inIn - std::sin(middle)),
                          std::fabs(inRight / inIn - std::cos(middle))});
        crossed = crossed || std::cos(middle) < -0.5;
    }
    EXPECT_LT(worst, 0.01);
    EXPECT_TRUE(crossed) << "the render should reach a negative cosine";
}

TEST_F(RenderingEngine, AnEqualiserBandRaisesTheEnergyAtItsCentre)
{
    // Band 5 sits at 1000 Hz, 18 semitones wide; 8000 Hz is three octaves
    // away.
    Frames tones = Tones(44100, 1.0, {{1000, 1500}, {8000, 1500}});
    std::string path = Write("eq.wav", WaveFile(44100, 2, 16, Bytes16(tones)));
    dialog_.Check(FXID_EQUALIZER, true);
    Frames flat = Render(path);
    dialog_.Track(5, 100);
    Frames raised = Render(path, [](AudioLink &link) {
        // The rack put all ten bands on; band 5 at +15 dB.
        BASS_FXPARAMEQ band{};
        EXPECT_TRUE(link.BASSFXGETPARAMETERS(link.BASSFXCHANNEL(5), &band));
        EXPECT_EQ(band.center, 1000.0f);
        EXPECT_EQ(band.bandwidth, 18.0f);
        EXPECT_EQ(band.gain, 15.0f);
    });
    // Bands at 0 dB leave the samples alone.
    EXPECT_EQ(flat, tones);
    ASSERT_EQ(raised.size(), flat.size());
    for (int side = 0; side < 2; ++side) {
        double atCentre = Decibels(PowerAt(raised, side, 1000, 44100), PowerAt(flat, side, 1000, 44100));
        double away = Decibels(PowerAt(raised, side, 8000, 44100), PowerAt(flat, side, 8000, 44100));
        EXPECT_NEAR(atCentre, 15.0, 1.0) << "side " << side;
        EXPECT_NEAR(away, 0.0, 1.5) << "side " << side;
    }
}

TEST_F(RenderingEngine, FilesItCannotPlayGiveTheirErrorCodes)
{
    std::string garbage;
    for (int n = 0; n < 5000; ++n)
        garbage += char((n * 7919) >> 3);
    std::string wide = "RIFF";
    Put32(wide, 36 + 600);
    wide += "WAVE" + FormatChunk(44100, 2, 24) + Chunk("data", std::string(600, '\x10'));
    std::string adpcm = "RIFF";
    Put32(adpcm, 36 + 64);
    adpcm += "WAVE" + FormatChunk(22050, 1, 4, 2) + Chunk("data", std::string(64, '\x22'));
    const struct {
        std::string name, bytes;
        int code;
    } cases[] = {
        {"noise.wav", garbage, BASS_ERROR_FILEFORMAT},
        {"empty.mp3", "", BASS_ERROR_FILEFORMAT},
        {"cut.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0", 22), BASS_ERROR_FILEFORMAT},
        {"wide.wav", wide, BASS_ERROR_FORMAT},
        {"adpcm.wav", adpcm, BASS_ERROR_FORMAT},
        {"song.xm", "Extended Module: song\x1a", BASS_ERROR_FILEFORMAT},
    };
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", (scratch_ / "unused.wav").c_str());
    AudioLink link;
    for (const auto &row : cases) {
        std::string path = Write(row.name, row.bytes);
        EXPECT_EQ(link.BASSOPEN(nullptr, ByteString(path)), 0) << row.name;
        EXPECT_EQ(link.BASSPLAY(0, 0), row.code) << row.name;
        EXPECT_EQ(link.BASSERRORGETCODE(), row.code) << row.name;
        EXPECT_EQ(link.BASSHANDLEINUSE(), 0u) << row.name;
    }
    EXPECT_EQ(link.BASSOPEN(nullptr, ByteString(scratch_ / "missing.wav")), 0);
    EXPECT_EQ(link.BASSPLAY(0, 0), BASS_ERROR_FILEOPEN);
    // The same refusals straight from the stream call.
    EXPECT_EQ(link.BASSSTREAMCREATEFILE(FALSE, garbage.data(), 0, 0, 0), 0u);
    EXPECT_EQ(link.BASSSTREAMCREATEFILE(TRUE, garbage.data(), 0, DWORD(garbage.size()), 0), 0u);
    EXPECT_EQ(link.BASSERRORGETCODE(), BASS_ERROR_FILEFORMAT);
    EXPECT_EQ(link.BASSSTREAMCREATEFILE(TRUE, wide.data(), 0, DWORD(wide.size()), 0), 0u);
    EXPECT_EQ(link.BASSERRORGETCODE(), BASS_ERROR_FORMAT);
}

TEST_F(RenderingEngine, AnAddressIsServedFromTheFolderAndItsBytesDownloaded)
{
    Frames tone = Tones(44100, 0.5, {{660, 7000}});
    std::string file = WaveFile(44100, 2, 16, Bytes16(tone));
    WriteWholeFile(served_ + "\\tune.wav", file);
    std::string saved = scratch_ / "saved";
    std::string copy = saved + "\\tune.wav";
    Frames out = Render(
        "http://radio.example/music/tune.wav",
        [&](AudioLink &) {
            for (int waited = 0; waited < 10000 && !(ReadWholeFile(copy) == file && IsClosedByOthers(copy));
                 waited += 10)
                Sleep(10);
        },
        [&](AudioLink &link) {
            // The bridge saves the download into the folder given.
            link.BASSSTREAMSAVE(1);
            link.BASSSETDOWNLOADPATH(ByteString(saved + "\\"));
        });
    EXPECT_EQ(out, tone);
    EXPECT_EQ(ReadWholeFile(copy), file);
    EXPECT_TRUE(IsClosedByOthers(copy)) << "the end of the download closes the copy";

    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    AudioLink link;
    ASSERT_EQ(link.BASSOPEN(nullptr, ByteString("http://radio.example/gone.wav")), 0);
    EXPECT_EQ(link.BASSPLAY(0, 0), BASS_ERROR_FILEOPEN);
    // The address's last part names the file, whatever follows it.
    DWORD stream = link.BASSSTREAMCREATEURL("ftp://radio.example/a/tune.wav?session=1#x", 0, 0, nullptr, 0);
    EXPECT_NE(stream, 0u);
    EXPECT_EQ(link.BASSSTREAMGETLENGTH(stream), tone.size() * 2);
    link.BASSSTREAMFREE(stream);
    for (const char *address : {"http://radio.example/", "http://radio.example/..", "file://c:/tune.wav",
                                "http://radio.example/%2e%2e%5ctune.wav"}) {
        EXPECT_EQ(link.BASSSTREAMCREATEURL(address, 0, 0, nullptr, 0), 0u) << address;
        EXPECT_EQ(link.BASSERRORGETCODE(), BASS_ERROR_FILEOPEN) << address;
    }
    // Without a folder to serve from there is no network.
    SetEnvironmentVariableA("TARN_ENGINE_URL_FOLDER", nullptr);
    EXPECT_EQ(link.BASSSTREAMCREATEURL("http://radio.example/tune.wav", 0, 0, nullptr, 0), 0u);
    EXPECT_EQ(link.BASSERRORGETCODE(), BASS_ERROR_NONET);
}

TEST_F(RenderingEngine, AFileRemovedOrCutBetweenOpenAndPlayIsRefusedAndLeavesNothing)
{
    Frames tone = Tones(44100, 0.2, {{440, 8000}});
    std::string file = WaveFile(44100, 2, 16, Bytes16(tone));
    std::string output = scratch_ / "faults.wav";
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    AudioLink link;
    ASSERT_NE(link.BASSOPEN, nullptr);

    // Removed: the open succeeded, the play cannot.
    std::string removed = Write("removed.wav", file);
    ASSERT_EQ(link.BASSOPEN(nullptr, ByteString(removed)), 0);
    ASSERT_TRUE(DeleteFileA(removed.c_str()));
    EXPECT_EQ(link.BASSPLAY(0, 0), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(link.BASSERRORGETCODE(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(link.BASSHANDLEINUSE(), 0u);
    EXPECT_EQ(link.BASSMEDIATYPE(), MEDIAKIND_NONE);

    // Cut inside its header: not a WAVE file any more.
    std::string cut = Write("cut.wav", file);
    ASSERT_EQ(link.BASSOPEN(nullptr, ByteString(cut)), 0);
    ASSERT_TRUE(WriteWholeFile(cut, file.substr(0, 30)));
    EXPECT_EQ(link.BASSPLAY(0, 0), BASS_ERROR_FILEFORMAT);
    EXPECT_EQ(link.BASSHANDLEINUSE(), 0u);

    // Cut inside its samples: what is left plays, and no more than that.
    std::string shortened = Write("shortened.wav", file);
    ASSERT_EQ(link.BASSOPEN(nullptr, ByteString(shortened)), 0);
    size_t kept = file.size() - 128 - 4 * 2000; // the tag and 2,000 frames gone
    ASSERT_TRUE(WriteWholeFile(shortened, file.substr(0, kept)));
    int played = link.BASSPLAY(0, 0);
    EXPECT_TRUE(played == 0 || played == BASS_ERROR_FILEFORMAT) << played;
    if (played == 0) {
        EXPECT_TRUE(link.WaitUntilPlayed());
    }
    EXPECT_EQ(link.BASSCLOSECHANNEL(0), 0);

    // Nothing of the refusals is left over: the next file plays whole.
    std::string good = Write("good.wav", file);
    ASSERT_EQ(link.BASSOPEN(nullptr, ByteString(good)), 0);
    ASSERT_EQ(link.BASSPLAY(0, 0), 0);
    EXPECT_EQ(link.BASSMEDIATYPE(), MEDIAKIND_STREAM);
    EXPECT_TRUE(link.WaitUntilPlayed());
    EXPECT_EQ(link.BASSCLOSECHANNEL(0), 0);
    Frames out = OutputSamples(output);
    ASSERT_GE(out.size(), tone.size());
    EXPECT_TRUE(std::equal(tone.begin(), tone.end(), out.end() - tone.size())) << "the last piece is not whole";
    if (played == 0) {
        // The shortened piece gave its remaining frames only.
        EXPECT_LE(out.size(), 2 * tone.size() - 2 * 2000);
    }
}

// A host that plays for hours: pieces of every kind opened, played with
// effects switched on and off and changed while they play, and closed, five
// hundred times through one loading of the bridge. Nothing stays behind:
// handles (the engine's files and threads among them), memory, GDI objects,
// windows, thread-local slots.
TEST_F(RenderingEngine, FiveHundredPiecesLeaveNothingBehind)
{
    Frames tone = Tones(44100, 0.03, {{500, 6000}});
    std::string stereo = WaveFile(44100, 2, 16, Bytes16(tone));
    std::string mono;
    for (int n = 0; n < 1000; ++n)
        mono += char(128 + (n % 50));
    WriteWholeFile(served_ + "\\tune.wav", stereo);
    const std::vector<std::string> names = {
        Write("stereo.wav", stereo),
        Write("mono.wav", WaveFile(22050, 1, 8, mono)),
        "http://radio.example/music/tune.wav",
        Write("noise.mp3", std::string(300, '\x5a')),
        Write("song.xm", "Extended Module: song\x1a"),
        Write("talk.wma", std::string(64, '\x30')),
        "D:\\Track01.cda",
        Write("missing-then.ogg", ""),
    };
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", (scratch_ / "long.wav").c_str());
    AudioLink link;
    ASSERT_NE(link.BASSOPEN, nullptr);
    EXPECT_EQ(link.BASSFXWINDOW(dialog_.Window(), 1), dialog_.Window());
    int played = 0;
    auto cycle = [&](int n) {
        const std::string &name = names[size_t(n) % names.size()];
        EXPECT_EQ(link.BASSOPEN(nullptr, ByteString(name)), 0) << name;
        dialog_.Check(FXID_EQUALIZER, n % 2 == 0);
        dialog_.Check(FXID_ROTATE, n % 3 == 0);
        if (link.BASSPLAY(0, 0) != 0 || !link.BASSHANDLEINUSE())
            return;
        ++played;
        // While it plays: bands and effects on, changed and off again.
        dialog_.Track(1 + n % 10, n % 60);
        link.BASSUPDATEEQ(0, 1 + n % 10);
        link.BASSUPDATEROTATE(0);
        dialog_.Check(FXID_REVERB, n % 4 == 0);
        link.BASSUPDATEREVERB(0);
        if (n % 5 == 0)
            link.BASSREMOVEFX(0);
        EXPECT_TRUE(link.WaitUntilPlayed()) << name;
        EXPECT_EQ(link.BASSCLOSECHANNEL(0), 0) << name;
    };
    for (int n = 0; n < 16; ++n)
        cycle(n);
    processcounts::Counts before = processcounts::Now();
    for (int n = 0; n < 500; ++n)
        cycle(n);
    processcounts::Counts after = processcounts::SettledNow(before);
    EXPECT_GT(played, 500 * 3 / 8) << "the WAVE files and the address play";
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.freeSlots, before.freeSlots);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.openFiles, before.openFiles) << "media or output files left open";
    EXPECT_LT(after.heapBytes, before.heapBytes + 64 * 1024)
        << "heap bytes in use grew from " << before.heapBytes << " to " << after.heapBytes;
}

// ---- The engine on its own: what the bridge does not reach --------------------

// The engine loaded from its folder, its entry points looked up by the
// contract's types.
class Engine {
public:
    Engine() : module_(LoadLibraryA((EngineFolder() + "\\BASS.DLL").c_str()))
    {
        EXPECT_NE(module_, nullptr);
#define RESOLVE(name)                                                                      \
    name = reinterpret_cast<name##_t>(reinterpret_cast<void *>(GetProcAddress(module_, #name))); \
    EXPECT_NE(name, nullptr) << #name;
        BASS_ENTRY_POINTS(RESOLVE)
#undef RESOLVE
    }
    ~Engine()
    {
        if (module_ && BASS_Free)
            BASS_Free();
        if (module_)
            FreeLibrary(module_);
    }
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

#define MEMBER(name) name##_t name = nullptr;
    BASS_ENTRY_POINTS(MEMBER)
#undef MEMBER

    // A stream of the WAVE file's bytes, from memory.
    DWORD Stream(const std::string &file, DWORD flags = 0)
    {
        return BASS_StreamCreateFile(TRUE, file.data(), 0, DWORD(file.size()), flags);
    }
    bool WaitUntilPlayed(DWORD channel) const
    {
        for (int waited = 0; waited < 30000; waited += 2) {
            if (BASS_ChannelIsActive(channel) == 0)
                return true;
            Sleep(2);
        }
        return false;
    }

private:
    HMODULE module_;
};

class EngineAlone : public RenderingEngine {};

// What the DSP procedures saw.
struct DspVisit {
    DWORD thread, dsp, channel, length;
    DWORD_PTR user;
    int16_t first;
};
std::vector<DspVisit> DspVisits;

void __stdcall RecordDsp(DWORD dsp, DWORD channel, void *buffer, DWORD length, DWORD_PTR user)
{
    DspVisits.push_back({GetCurrentThreadId(), dsp, channel, length, user, *static_cast<int16_t *>(buffer)});
    // Halves the samples, so that the order of two procedures shows.
    auto *samples = static_cast<int16_t *>(buffer);
    for (DWORD n = 0; n < length / 2; ++n)
        samples[n] = int16_t(samples[n] / 2);
}

TEST_F(EngineAlone, DspProceduresRunOnTheMixingThreadInPriorityOrder)
{
    std::string output = scratch_ / "dsp.wav";
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    Frames steady(2 * 5000, 8000);
    {
        Engine engine;
        ASSERT_TRUE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
        DWORD stream = engine.Stream(WaveFile(44100, 2, 16, Bytes16(steady)));
        ASSERT_NE(stream, 0u);
        DWORD low = engine.BASS_ChannelSetDSP(stream, RecordDsp, 1, 0);
        DWORD high = engine.BASS_ChannelSetDSP(stream, RecordDsp, 2, 5);
        ASSERT_NE(low, 0u);
        ASSERT_NE(high, 0u);
        DspVisits.clear();
        ASSERT_TRUE(engine.BASS_StreamPlay(stream, FALSE, 0));
        ASSERT_TRUE(engine.WaitUntilPlayed(stream));
        ASSERT_FALSE(DspVisits.empty());
        DWORD bytes = 0;
        for (size_t n = 0; n < DspVisits.size(); ++n) {
            const DspVisit &visit = DspVisits[n];
            EXPECT_NE(visit.thread, GetCurrentThreadId());
            EXPECT_EQ(visit.channel, stream);
            EXPECT_EQ(visit.length % 4, 0u);
            EXPECT_LE(visit.length, 4096u);
            // The higher priority first, on the samples as they came; the
            // other then sees them halved.
            EXPECT_EQ(visit.user, n % 2 ? 1u : 2u);
            EXPECT_EQ(visit.dsp, n % 2 ? low : high);
            EXPECT_EQ(visit.first, n % 2 ? 4000 : 8000);
            if (n % 2)
                bytes += visit.length;
        }
        EXPECT_EQ(bytes, steady.size() * 2);

        // Removed, a procedure is not called again.
        EXPECT_TRUE(engine.BASS_ChannelRemoveDSP(stream, high));
        EXPECT_FALSE(engine.BASS_ChannelRemoveDSP(stream, high));
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        DspVisits.clear();
        ASSERT_TRUE(engine.BASS_StreamPlay(stream, TRUE, 0));
        ASSERT_TRUE(engine.WaitUntilPlayed(stream));
        for (const DspVisit &visit : DspVisits)
            EXPECT_EQ(visit.dsp, low);
        EXPECT_FALSE(DspVisits.empty());
    }
    // Both plays, each as its procedures left it.
    Frames out = OutputSamples(output);
    ASSERT_EQ(out.size(), 2 * steady.size());
    EXPECT_EQ(out[0], 2000);
    EXPECT_EQ(out.back(), 4000);
}

TEST_F(EngineAlone, VolumeAndPanScaleTheSides)
{
    std::string output = scratch_ / "pan.wav";
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    Frames steady(2 * 3000, 10000);
    {
        Engine engine;
        ASSERT_TRUE(engine.BASS_Init(-1, 44100, 0, nullptr, nullptr));
        DWORD stream = engine.Stream(WaveFile(44100, 2, 16, Bytes16(steady)));
        engine.BASS_ChannelSetAttributes(stream, -1, 50, -60);
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_OK);
        int frequency = 0, volume = 0, pan = 0;
        EXPECT_TRUE(engine.BASS_ChannelGetAttributes(stream, &frequency, &volume, &pan));
        EXPECT_EQ(frequency, 44100);
        EXPECT_EQ(volume, 50);
        EXPECT_EQ(pan, -60);
        engine.BASS_ChannelSetAttributes(stream, -1, 101, -101);
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_ILLEGALPARAM);
        ASSERT_TRUE(engine.BASS_StreamPlay(stream, FALSE, 0));
        ASSERT_TRUE(engine.WaitUntilPlayed(stream));

        // Slid to silence over 100 ms: down block by block, then silent.
        DWORD fading = engine.Stream(WaveFile(44100, 2, 16, Bytes16(Frames(2 * 10000, 10000))));
        EXPECT_TRUE(engine.BASS_ChannelSlideAttributes(fading, -1, 0, -101, 100));
        EXPECT_FALSE(engine.BASS_ChannelSlideAttributes(fading, 50, -1, -101, 100));
        ASSERT_TRUE(engine.BASS_StreamPlay(fading, FALSE, 0));
        ASSERT_TRUE(engine.WaitUntilPlayed(fading));
    }
    Frames out = OutputSamples(output);
    ASSERT_EQ(out.size(), steady.size() + 2 * 10000);
    EXPECT_EQ(out[0], 5000);
    EXPECT_EQ(out[1], 2000);
    Frames fade(out.begin() + steady.size(), out.end());
    EXPECT_LT(fade[0], 10000);
    EXPECT_GT(fade[0], 7000);
    for (size_t n = 2; n < fade.size(); ++n)
        ASSERT_LE(fade[n], fade[n - 2]) << n;
    EXPECT_EQ(fade[2 * 5500], 0);
}

TEST_F(EngineAlone, PlaysInRealTimeAndPausesWhereItIs)
{
    SetEnvironmentVariableA("TARN_ENGINE_RENDER", nullptr);
    std::string output = scratch_ / "paced.wav";
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    Frames tone = Tones(44100, 1.0, {{500, 10000}});
    {
        Engine engine;
        ASSERT_TRUE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
        DWORD stream = engine.Stream(WaveFile(44100, 2, 16, Bytes16(tone)));
        DWORD length = DWORD(engine.BASS_StreamGetLength(stream));
        EXPECT_EQ(length, tone.size() * 2);
        DWORD started = GetTickCount();
        ASSERT_TRUE(engine.BASS_StreamPlay(stream, FALSE, 0));
        Sleep(300);
        EXPECT_EQ(engine.BASS_ChannelIsActive(stream), 1u);
        DWORD level = engine.BASS_ChannelGetLevel(stream);
        EXPECT_NEAR(double(LOWORD(level)), 10000, 300);
        EXPECT_NEAR(double(HIWORD(level)), 10000, 300);
        int16_t heard[64] = {};
        EXPECT_EQ(engine.BASS_ChannelGetData(stream, heard, sizeof heard), sizeof heard);
        EXPECT_EQ(engine.BASS_ChannelGetData(stream, heard, 0x80000000u), BASS_FAILURE_VALUE);
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

        ASSERT_TRUE(engine.BASS_ChannelPause(stream));
        EXPECT_EQ(engine.BASS_ChannelIsActive(stream), 3u);
        DWORD paused = DWORD(engine.BASS_ChannelGetPosition(stream));
        EXPECT_GT(paused, 0u);
        EXPECT_LT(paused, length);
        Sleep(150);
        EXPECT_EQ(DWORD(engine.BASS_ChannelGetPosition(stream)), paused);
        EXPECT_EQ(engine.BASS_ChannelGetLevel(stream), BASS_FAILURE_VALUE);
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_NOTPLAYING);
        EXPECT_FALSE(engine.BASS_ChannelPause(stream));
        ASSERT_TRUE(engine.BASS_ChannelResume(stream));
        EXPECT_FALSE(engine.BASS_ChannelResume(stream));
        EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_NOTPAUSED);
        ASSERT_TRUE(engine.WaitUntilPlayed(stream));
        // A second of sound took most of a second, pause or not.
        EXPECT_GE(GetTickCount() - started, 800u);
        EXPECT_EQ(DWORD(engine.BASS_ChannelGetPosition(stream)), length);
    }
    EXPECT_EQ(OutputSamples(output), tone);
}

TEST_F(EngineAlone, DecodingChannelsGiveTheFilesOwnSamples)
{
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    std::string data;
    for (int n = 0; n < 3001; ++n)
        data += char(n * 13);
    Engine engine;
    ASSERT_TRUE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
    std::string path = Write("decode.wav", WaveFile(11025, 1, 8, data));
    DWORD stream = engine.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(stream, 0u);
    EXPECT_FALSE(engine.BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_DECODE);
    DWORD info[4] = {};
    EXPECT_TRUE(engine.BASS_ChannelGetInfo(stream, info));
    EXPECT_EQ(info[0], 11025u);
    EXPECT_EQ(info[1], 1u);
    EXPECT_EQ(info[2], BASS_STREAM_DECODE);
    EXPECT_EQ(info[3], 8u);
    EXPECT_EQ(DWORD(engine.BASS_StreamGetLength(stream)), 3001u);
    char buffer[4000] = {};
    EXPECT_EQ(engine.BASS_ChannelGetData(stream, buffer, 1000), 1000u);
    EXPECT_EQ(std::string(buffer, 1000), data.substr(0, 1000));
    EXPECT_EQ(DWORD(engine.BASS_ChannelGetPosition(stream)), 1000u);
    EXPECT_TRUE(engine.BASS_ChannelSetPosition(stream, 2990, 0));
    EXPECT_EQ(engine.BASS_ChannelGetData(stream, buffer, sizeof buffer), 11u);
    EXPECT_EQ(std::string(buffer, 11), data.substr(2990));
    EXPECT_EQ(engine.BASS_ChannelGetData(stream, buffer, sizeof buffer), BASS_FAILURE_VALUE);
    EXPECT_FALSE(engine.BASS_ChannelSetPosition(stream, 3002, 0));
    EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_FALSE(engine.BASS_ChannelSetPosition(stream, 0, 1));
    engine.BASS_StreamFree(stream);
    EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_OK);
    // A freed handle stays invalid, even once its slot is used again.
    DWORD next = engine.BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(next, stream);
    EXPECT_EQ(engine.BASS_ChannelGetPosition(stream), ULONGLONG(BASS_FAILURE_VALUE));
    EXPECT_EQ(engine.BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(EngineAlone, AnswersWhatItDoesNotDoWithItsErrorCode)
{
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    Engine engine;
    std::string file = WaveFile(44100, 2, 16, Bytes16(Frames(400, 1)));
    auto code = [&] { return engine.BASS_ErrorGetCode(); };

    EXPECT_EQ(engine.Stream(file), 0u);
    EXPECT_EQ(code(), BASS_ERROR_INIT);
    EXPECT_FALSE(engine.BASS_Start());
    EXPECT_FALSE(engine.BASS_Init(2, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(code(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(engine.BASS_Init(1, 10, 0, nullptr, nullptr));
    EXPECT_EQ(code(), BASS_ERROR_FREQUENCY);
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", (scratch_ / "no such folder\\out.wav").c_str());
    EXPECT_FALSE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(code(), BASS_ERROR_CREATE);
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    ASSERT_TRUE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(code(), BASS_OK);
    EXPECT_FALSE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(code(), BASS_ERROR_ALREADY);

    BASS_INFO info{};
    EXPECT_FALSE(engine.BASS_GetInfo(&info));
    EXPECT_EQ(code(), BASS_ERROR_ILLEGALPARAM);
    info.size = BASS_INFO_SIZE;
    info.eax = 7;
    EXPECT_TRUE(engine.BASS_GetInfo(&info));
    EXPECT_EQ(info.eax, 0u);
    EXPECT_EQ(info.fields2[5], 44100u);
    EXPECT_FALSE(engine.BASS_SetEAXParameters(1, 0.5f, 1.0f, 0.5f));
    EXPECT_EQ(code(), BASS_ERROR_NOEAX);
    EXPECT_EQ(engine.BASS_SetConfig(5, 77), 77u);
    EXPECT_EQ(engine.BASS_GetConfig(5), 77u);
    EXPECT_EQ(engine.BASS_GetConfig(64), BASS_FAILURE_VALUE);
    EXPECT_EQ(code(), BASS_ERROR_ILLEGALTYPE);
    EXPECT_EQ(engine.BASS_GetDevice(), 1u);
    EXPECT_TRUE(engine.BASS_SetDevice(1));
    EXPECT_FALSE(engine.BASS_SetDevice(0));

    DWORD stream = engine.Stream(file);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(engine.BASS_ChannelGetDevice(stream), 1u);
    EXPECT_EQ(engine.BASS_ChannelSetSync(stream, 2, 0, 0, nullptr, 0), 0u);
    EXPECT_EQ(code(), BASS_ERROR_NOSYNC);
    EXPECT_EQ(engine.BASS_ChannelSetFX(stream, BASS_FX_ECHO), 0u);
    EXPECT_EQ(code(), BASS_ERROR_ILLEGALTYPE);
    DWORD eq = engine.BASS_ChannelSetFX(stream, BASS_FX_PARAMEQ);
    ASSERT_NE(eq, 0u);
    BASS_FXPARAMEQ band{1000.0f, 40.0f, 3.0f};
    EXPECT_FALSE(engine.BASS_FXSetParameters(eq, &band));
    EXPECT_EQ(code(), BASS_ERROR_ILLEGALPARAM);
    band.bandwidth = 18.0f;
    EXPECT_TRUE(engine.BASS_FXSetParameters(eq, &band));
    BASS_FXPARAMEQ back{};
    EXPECT_TRUE(engine.BASS_FXGetParameters(eq, &back));
    EXPECT_EQ(memcmp(&back, &band, sizeof band), 0);
    // Other effects keep what they are given.
    DWORD reverb = engine.BASS_ChannelSetFX(stream, BASS_FX_I3DL2REVERB);
    BASS_FXI3DL2REVERB room{0, 0, 0.0f, 1.49f, 0.83f, -260, 0.007f, 200, 0.011f, 100.0f, 100.0f, 20.0f};
    EXPECT_TRUE(engine.BASS_FXSetParameters(reverb, &room));
    BASS_FXI3DL2REVERB roomBack{};
    EXPECT_TRUE(engine.BASS_FXGetParameters(reverb, &roomBack));
    EXPECT_EQ(memcmp(&roomBack, &room, sizeof room), 0);
    EXPECT_FALSE(engine.BASS_ChannelRemoveFX(stream + 1, reverb));
    EXPECT_TRUE(engine.BASS_ChannelRemoveFX(stream, reverb));
    EXPECT_FALSE(engine.BASS_FXGetParameters(reverb, &roomBack));
    EXPECT_EQ(code(), BASS_ERROR_HANDLE);
    EXPECT_EQ(engine.BASS_ChannelSetDSP(stream, nullptr, 0, 0), 0u);
    EXPECT_EQ(code(), BASS_ERROR_ILLEGALPARAM);
    // Freeing the stream takes its effects with it.
    engine.BASS_StreamFree(stream);
    EXPECT_FALSE(engine.BASS_FXGetParameters(eq, &back));

    std::string module = Write("tune.it", "IMPMtune");
    EXPECT_EQ(engine.BASS_MusicLoad(FALSE, module.c_str(), 0, 0, 0x20200, 0), 0u);
    EXPECT_EQ(code(), BASS_ERROR_FILEFORMAT);
    EXPECT_EQ(engine.BASS_MusicLoad(FALSE, (scratch_ / "none.it").c_str(), 0, 0, 0, 0), 0u);
    EXPECT_EQ(code(), BASS_ERROR_FILEOPEN);
    EXPECT_FALSE(engine.BASS_MusicPlayEx(1, 0, -1, 1));
    EXPECT_EQ(engine.BASS_StreamCreate(44100, 2, 0, nullptr, 0), 0u);
    EXPECT_EQ(code(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(engine.BASS_RecordInit(1));
    EXPECT_EQ(code(), BASS_ERROR_DEVICE);
    EXPECT_EQ(engine.BASS_RecordGetDeviceDescription(0), nullptr);
    EXPECT_EQ(engine.BASS_RecordGetInputName(0), nullptr);

    DWORD sample = engine.BASS_SampleLoad(TRUE, file.data(), 0, DWORD(file.size()), 3, 0);
    ASSERT_NE(sample, 0u);
    DWORD fields[8] = {};
    EXPECT_TRUE(engine.BASS_SampleGetInfo(sample, fields));
    EXPECT_EQ(fields[0], 44100u);
    EXPECT_EQ(fields[4], 800u);
    EXPECT_EQ(fields[5], 3u);
    EXPECT_FALSE(engine.BASS_StreamPlay(sample, FALSE, 0));
    EXPECT_TRUE(engine.BASS_SampleFree(sample));
    EXPECT_FALSE(engine.BASS_SampleFree(sample));

    EXPECT_TRUE(engine.BASS_Free());
    EXPECT_FALSE(engine.BASS_Free());
    EXPECT_EQ(code(), BASS_ERROR_INIT);
}

TEST_F(RenderingEngine, AProgramThatEndsWhilePlayingLeavesAWholeOutputFile)
{
    SetEnvironmentVariableA("TARN_ENGINE_RENDER", nullptr); // real time: still playing at the end
    std::string output = scratch_ / "ended.wav";
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", output.c_str());
    std::string file = Write("long.wav", WaveFile(44100, 2, 16, Bytes16(Tones(44100, 5.0, {{440, 5000}}))));
    std::string command = "\"" + ProgramFolder() + "bass_engine_exit_peer.exe\" \"" + EngineFolder() + "\" \"" + file + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << "the program did not end";
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Frames heard = OutputSamples(output);
    EXPECT_GT(heard.size(), 0u);
    EXPECT_LT(heard.size(), 2u * 44100 * 5);
}

TEST_F(EngineAlone, LoadsAndUnloadsAgainAndAgain)
{
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    std::string file = WaveFile(44100, 2, 16, Bytes16(Frames(2 * 2000, 3)));
    for (int round = 0; round < 100; ++round) {
        Engine engine;
        ASSERT_TRUE(engine.BASS_Init(1, 44100, 0, nullptr, nullptr)) << round;
        ASSERT_TRUE(engine.BASS_StreamPlay(engine.Stream(file), FALSE, 0)) << round;
        ASSERT_EQ(engine.BASS_ErrorGetCode(), BASS_OK);
    }
    // Each mixing thread lets go of the engine once output is freed.
    for (int waited = 0; waited < 5000 && IsModuleLoaded("BASS.DLL"); waited += 10)
        Sleep(10);
    EXPECT_FALSE(IsModuleLoaded("BASS.DLL"));
}

} // namespace
