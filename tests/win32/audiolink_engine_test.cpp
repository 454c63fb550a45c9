// Output control and closing channels over the test doubles: what reaches
// the library, what comes back, and the state a close leaves, including a
// network stream's local copy.
#include "audiolink_test_support.h"

#include "audiolink.h"
#include "media_state.h"
#include "stream_saving.h"

namespace {

using namespace altest;
using audiolink::CurrentChannel;
using audiolink::CurrentChannelKind;
using audiolink::CurrentMediaType;
using audiolink::PendingKind;
using audiolink::PendingPath;

// The library loaded from a variant's folder, the calls of loading it
// forgotten, and the bridge's state as a test left it reset afterwards.
class Engine : public ::testing::Test {
protected:
    explicit Engine(const char *variant = "full") : doubles_(variant) {}

    void SetUp() override
    {
        bassdouble::Reset();
        BASSLOAD();
        ASSERT_TRUE(IsModuleLoaded("BASS.DLL"));
        bassdouble::ClearCalls();
    }
    void TearDown() override
    {
        CurrentChannel = 0;
        CurrentMediaType = 0;
        CurrentChannelKind = 0;
        PendingKind = 0;
        PendingPath.clear();
        BASSUNLOAD();
        EXPECT_EQ(bassdouble::LostCalls(), 0u);
    }

    // As BASSPLAY leaves things with a channel of the kind playing.
    static void Playing(DWORD channel, int kind, const std::string &path)
    {
        CurrentChannel = channel;
        CurrentMediaType = kind;
        CurrentChannelKind = kind;
        PendingKind = kind;
        PendingPath = path;
    }

    static void ExpectIdle()
    {
        EXPECT_EQ(CurrentChannel, 0u);
        EXPECT_EQ(PendingKind, 0);
        EXPECT_EQ(PendingPath, "");
    }

    DoublesOnSearchPath doubles_;
};

class BareEngine : public Engine {
protected:
    BareEngine() : Engine("bare") {}
};

class BassOnlyEngine : public Engine {
protected:
    BassOnlyEngine() : Engine("bass-only") {}
};

TEST_F(Engine, InitReplacesTheDefaultDeviceAndAMissingWindow)
{
    HWND foreground = GetForegroundWindow();
    bassdouble::SetResult("BASS_Init", 1);
    EXPECT_EQ(BASSINIT(-1, 44100, 0, nullptr), TRUE);
    HWND given = HWND(UINT_PTR(0x1234));
    EXPECT_EQ(BASSINIT(2, 22050, 4, given), TRUE);
    bassdouble::SetResult("BASS_Init", 0);
    EXPECT_EQ(BASSINIT(0, 48000, 0, given), FALSE);

    std::vector<bassdouble::CallRecord> calls = bassdouble::CallsOf("BASS_Init");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].args, (Args{1, 44100, 0, Word(foreground), 0}));
    EXPECT_EQ(calls[1].args, (Args{2, 22050, 4, 0x1234, 0}));
    EXPECT_EQ(calls[2].args, (Args{0, 48000, 0, 0x1234, 0}));
}

TEST_F(Engine, StartReportsTheErrorCodeOfAFailedStart)
{
    bassdouble::SetResult("BASS_Start", 1);
    bassdouble::SetResult("BASS_ErrorGetCode", 8);
    EXPECT_EQ(BASSSTART(), 0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{"BASS_Start"}) << "no error asked for after success";
    bassdouble::ClearCalls();

    bassdouble::SetResult("BASS_Start", 0);
    EXPECT_EQ(BASSSTART(), 8);
    EXPECT_EQ(CallNames(EntryCalls()), (Names{"BASS_Start", "BASS_ErrorGetCode"}));
}

TEST_F(Engine, EaxAvailabilityAndPreset)
{
    bassdouble::SetResult("BASS_GetInfo", 0);
    EXPECT_EQ(BASSEAXAVAILABLE(), 0u) << "a failed first call leaves the field as loaded";
    std::vector<bassdouble::CallRecord> calls = bassdouble::CallsOf("BASS_GetInfo");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].args[0], 0u);

    bassdouble::ClearCalls();
    EXPECT_EQ(BASSSETEAXPRESET(5), 0);
    EXPECT_EQ(BASSSETEAXPRESET(-1), 0);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
}

TEST_F(BareEngine, MissingEntryPoints)
{
    EXPECT_EQ(BASSINIT(-1, 44100, 0, nullptr), FALSE);
    EXPECT_EQ(BASSSTART(), -1);
    EXPECT_EQ(BASSEAXAVAILABLE(), 0u);
    EXPECT_EQ(BASSSTREAMDECODEFILE("a.mp3"), 0u);
    EXPECT_EQ(BASSSTREAMDECODEFILE("a.wma"), 0u);

    // Neither stopping nor freeing can be done: the error of the missing
    // entry point comes back and the state is cleared all the same.
    Playing(0x300, audiolink::MusicModuleKind, "C:\\SONG.XM");
    EXPECT_EQ(BASSCLOSECHANNEL(0), -1);
    ExpectIdle();
}

TEST(EngineUnloaded, EveryExportIsZeroWithoutTheLibrary)
{
    DoublesOnSearchPath doubles("none");
    BASSLOAD();
    ASSERT_FALSE(IsModuleLoaded("BASS.DLL"));
    EXPECT_EQ(BASSINIT(-1, 44100, 0, nullptr), FALSE);
    EXPECT_EQ(BASSSTART(), 0);
    EXPECT_EQ(BASSEAXAVAILABLE(), 0u);
    EXPECT_EQ(BASSSETEAXPRESET(3), 0);
    EXPECT_EQ(BASSSTREAMDECODEFILE("a.wma"), 0u);
    CurrentChannel = 0x300;
    PendingKind = audiolink::StreamKind;
    EXPECT_EQ(BASSCLOSE(), 0);
    EXPECT_EQ(CurrentChannel, 0x300u) << "nothing changes without the library";
    CurrentChannel = 0;
    PendingKind = 0;
}

TEST_F(Engine, ClosingWithoutAChannelChangesNothing)
{
    PendingKind = audiolink::StreamKind;
    PendingPath = "C:\\A.MP3";
    EXPECT_EQ(BASSCLOSE(), 0);
    EXPECT_EQ(BASSCLOSECHANNEL(0x400), 0) << "a channel given does not matter";
    EXPECT_EQ(PendingKind, audiolink::StreamKind);
    EXPECT_EQ(PendingPath, "C:\\A.MP3");
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
}

TEST_F(Engine, ClosingStopsOutputAndFreesByTheKindPlayedLast)
{
    bassdouble::SetResult("BASS_Stop", 1);
    struct Row {
        int kind;
        const char *free;
    } rows[] = {
        {audiolink::MusicModuleKind, "BASS_MusicFree"},
        {audiolink::StreamKind, "BASS_StreamFree"},
        {audiolink::CdTrackKind, "BASS_StreamFree"},
        {audiolink::WindowsMediaKind, "BASS_StreamFree"},
        {0, nullptr},
        {2, nullptr},
    };
    for (const Row &row : rows) {
        Playing(0x500, row.kind, "C:\\MEDIA");
        EXPECT_EQ(BASSCLOSECHANNEL(0), 0) << row.kind;
        Names expected{"BASS_Stop"};
        if (row.free)
            expected.push_back(row.free);
        EXPECT_EQ(CallNames(EntryCalls()), expected) << row.kind;
        if (row.free) {
            EXPECT_EQ(bassdouble::CallsOf(row.free).at(0).args, Args{0x500}) << row.kind;
        }
        ExpectIdle();
        EXPECT_EQ(CurrentMediaType, row.kind) << "the kind played last is kept";
        bassdouble::ClearCalls();
    }
}

TEST_F(Engine, ClosingAnotherChannelWhileAModuleIsCurrent)
{
    bassdouble::SetResult("BASS_Stop", 1);
    Playing(0x600, audiolink::MusicModuleKind, "C:\\TUNE.IT");
    EXPECT_EQ(BASSCLOSECHANNEL(0x777), 0);
    std::vector<bassdouble::CallRecord> frees = bassdouble::CallsOf("BASS_MusicFree");
    ASSERT_EQ(frees.size(), 1u);
    EXPECT_EQ(frees[0].args, Args{0x777});
    ExpectIdle();
}

TEST_F(Engine, AFailedStopStillFreesAndClears)
{
    bassdouble::SetResult("BASS_Stop", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 8);
    Playing(0x700, audiolink::StreamKind, "C:\\A.MP3");
    EXPECT_EQ(BASSCLOSE(), 8);
    EXPECT_EQ(CallNames(EntryCalls()), (Names{"BASS_Stop", "BASS_ErrorGetCode", "BASS_StreamFree"}));
    ExpectIdle();
}

TEST_F(Engine, ClosingTakesTheEffectsOff)
{
    bassdouble::SetResult("BASS_Stop", 1);
    audiolink::FxSlots.present = true;
    audiolink::FxSlots.slot[13] = 0x4100;
    Playing(0x800, audiolink::StreamKind, "C:\\A.MP3");
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    std::vector<bassdouble::CallRecord> removed = bassdouble::CallsOf("BASS_ChannelRemoveFX");
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].args, (Args{0x800, 0x4100}));
    EXPECT_FALSE(audiolink::FxSlots.present);
    EXPECT_EQ(CallNames(EntryCalls()).front(), "BASS_ChannelRemoveFX") << "before output stops";
}

TEST_F(Engine, ClosingANetworkStreamEndsItsLocalCopy)
{
    ScratchFolder scratch;
    const std::string address = "http://host/path/radio.mp3";
    BASSSETDOWNLOADPATH(ByteString(scratch.Path() + "\\"));
    BASSSTREAMSAVE(1);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x900);
    bassdouble::SetResult("BASS_Stop", 1);
    audiolink::BeginPlayback(address);
    audiolink::PrepareLocalCopy(address);
    ASSERT_EQ(BASSSTREAMCREATEURL(address.c_str(), 0, BASS_FLAGS_URL_STREAM, DOWNLOADPROC, 0), 0x900u);
    Playing(0x900, audiolink::StreamKind, address);

    DWORD first = 3;
    WaitAndClose(bassdouble::DeliverDownload("abc", &first, 1, FALSE));
    EXPECT_FALSE(IsClosedByOthers(scratch / "radio.mp3"));
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_TRUE(IsClosedByOthers(scratch / "radio.mp3")) << "the unfinished copy is closed";
    WaitAndClose(bassdouble::DeliverDownload("def", &first, 1, TRUE));
    EXPECT_EQ(ReadWholeFile(scratch / "radio.mp3"), "abc") << "later blocks are dropped";

    BASSSTREAMSAVE(0);
    BASSSETDOWNLOADPATH(nullptr);
}

TEST_F(Engine, DecodingStreamsTakeTheWmaPathByTheLastFourCharacters)
{
    bassdouble::SetResult("BASS_StreamCreateFile", 0xA1);
    bassdouble::SetResult("BASS_WMA_StreamCreateFile", 0xB2);
    const char *names[] = {"C:\\Music\\Talk.WMA", "x.wma", ".wMa"};
    for (const char *name : names) {
        EXPECT_EQ(BASSSTREAMDECODEFILE(name), 0xB2u) << name;
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(calls.size(), 1u) << name;
        EXPECT_EQ(calls[0].module, "BASSWMA.DLL");
        EXPECT_EQ(calls[0].args, (Args{0, Word(name), 0, 0, BASS_STREAM_DECODE})) << name;
        bassdouble::ClearCalls();
    }
    const char *others[] = {"song.wmax", "song.mp3", "wma", "", "a.wm"};
    for (const char *name : others) {
        EXPECT_EQ(BASSSTREAMDECODEFILE(name), 0xA1u) << name;
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(calls.size(), 1u) << name;
        EXPECT_EQ(calls[0].entry, "BASS_StreamCreateFile") << name;
        EXPECT_EQ(calls[0].args.at(1), Word(name)) << "the caller's own text is handed on";
        EXPECT_EQ(calls[0].args.back(), BASS_STREAM_DECODE);
        bassdouble::ClearCalls();
    }
    EXPECT_EQ(BASSSTREAMDECODEFILE(nullptr), 0u);
    EXPECT_EQ(CallNames(EntryCalls()), Names{});
}

TEST_F(BassOnlyEngine, AWmaNameWithoutTheAddOnIsRefused)
{
    bassdouble::SetResult("BASS_StreamCreateFile", 0xA1);
    EXPECT_EQ(BASSSTREAMDECODEFILE("talk.wma"), 0u);
    EXPECT_EQ(CallNames(EntryCalls()), Names{}) << "BASS is not tried instead";
    EXPECT_EQ(BASSSTREAMDECODEFILE("song.ogg"), 0xA1u);
}

} // namespace
