// Opening and playing media over the test doubles, on files the tests
// write: kinds and display names from real tags and module headers, the
// channel each kind gets, the start sequence and its failures.
#include "audiolink_test_support.h"

#include "audiolink.h"
#include "equalizer_rules.h"
#include "media_state.h"
#include "themekit.h"

#include <commctrl.h>

#include <cstring>

namespace {

using namespace altest;
using audiolink::CurrentChannel;
using audiolink::CurrentChannelKind;
using audiolink::CurrentMediaType;
using audiolink::PendingKind;
using audiolink::PendingPath;

std::string ShortPath(const std::string &path)
{
    char buffer[MAX_PATH] = {};
    DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return std::string(buffer, length);
}

// A 128-byte tag from its fields, zero-padded.
std::string Tag(const std::string &title, const std::string &artist, const std::string &album,
                const std::string &year, const std::string &comment)
{
    auto fit = [](std::string field, size_t width) {
        field.resize(width, '\0');
        return field;
    };
    return "TAG" + fit(title, 30) + fit(artist, 30) + fit(album, 30) + fit(year, 4) + fit(comment, 30) + "\x0c";
}

// The calls that make and start channels, without the effects rack's.
Names PlayingCalls()
{
    Names names;
    for (const std::string &name : CallNames(EntryCalls())) {
        if (name.find("FX") == std::string::npos && name.find("DSP") == std::string::npos)
            names.push_back(name);
    }
    return names;
}

class Media : public ::testing::Test {
protected:
    explicit Media(const char *variant = "full") : doubles_(variant) {}

    void SetUp() override
    {
        bassdouble::Reset();
        if (version_)
            bassdouble::SetResult("BASS_GetVersion", version_);
        BASSLOAD();
        ASSERT_TRUE(IsModuleLoaded("BASS.DLL"));
        audiolink::EngineReady = false;
        bassdouble::SetResult("BASS_Init", 1);
        bassdouble::SetResult("BASS_Start", 1);
        bassdouble::SetResult("BASS_Stop", 1);
        bassdouble::SetResult("BASS_StreamPlay", 1);
        bassdouble::SetResult("BASS_MusicPlayEx", 1);
        bassdouble::ClearCalls();
    }
    void TearDown() override
    {
        BASSCLOSECHANNEL(0);
        CurrentMediaType = 0;
        CurrentChannelKind = 0;
        PendingKind = 0;
        PendingPath.clear();
        BASSSTREAMSAVE(0);
        BASSUNLOAD();
        EXPECT_EQ(bassdouble::LostCalls(), 0u);
    }

    int Open(const std::string &name) { return BASSOPEN(nullptr, ByteString(name)); }
    static std::string MusicName() { return Take(BASSMUSICNAME()); }
    static std::string StreamName() { return Take(BASSSTREAMNAME()); }

    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = scratch_ / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    DWORD version_ = 0;
    DoublesOnSearchPath doubles_;
    ScratchFolder scratch_;
};

class OldMedia : public Media {
protected:
    OldMedia() { version_ = 1 | (1 << 16); } // 1.1
};

class BassOnlyMedia : public Media {
protected:
    BassOnlyMedia() : Media("bass-only") {}
};

class BareMedia : public Media {
protected:
    BareMedia() : Media("bare") {}
};

TEST_F(Media, TaggedFileFromOpenToClose)
{
    std::string audio(4000, '\x55');
    std::string comment = "Good one" + std::string(20, ' ') + '\0' + '\x07';
    std::string path = Write("My Song.mp3", audio + Tag("My Song", "artist", "", "1999", comment));
    HWND window = HWND(UINT_PTR(0x4242));
    EXPECT_EQ(BASSOPEN(window, ByteString(path)), 0);
    EXPECT_EQ(StreamName(), "My Song 1999 Good one #7");
    EXPECT_EQ(MusicName(), "");
    EXPECT_EQ(PendingKind, audiolink::StreamKind);
    EXPECT_EQ(PendingPath, ShortPath(path));
    std::vector<bassdouble::CallRecord> init = bassdouble::CallsOf("BASS_Init");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].args, (Args{1, 44100, 0, 0x4242, 0}));
    EXPECT_EQ(BASSMEDIATYPE(), 0);

    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_StreamCreateFile", 0x100);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(PlayingCalls(), (Names{"BASS_StreamCreateFile", "BASS_Start", "BASS_StreamPlay"}));
    bassdouble::CallRecord create = bassdouble::CallsOf("BASS_StreamCreateFile").at(0);
    EXPECT_EQ(create.args, (Args{0, Word(audiolink::PathBuffer), 0, 0, BASS_FLAGS_FILE_STREAM}));
    EXPECT_EQ(std::string(audiolink::PathBuffer), ShortPath(path));
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamPlay").at(0).args, (Args{0x100, 0, 0}));
    EXPECT_EQ(BASSMEDIATYPE(), 3);
    EXPECT_EQ(BASSHANDLEINUSE(), 0x100u);

    bassdouble::SetResult("BASS_StreamGetLength", 4128);
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 4128u);
    bassdouble::SetResult("BASS_StreamGetLength", 0xFFFFFFFFull);
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 0u);

    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_EQ(BASSMEDIATYPE(), 0) << "the kind is kept but nothing is current";
    EXPECT_EQ(CurrentMediaType, 3);
    EXPECT_EQ(BASSHANDLEINUSE(), 0u);
    EXPECT_EQ(StreamName(), "My Song 1999 Good one #7") << "names outlive the close";

    // Output is initialised once only.
    bassdouble::ClearCalls();
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_Init").size(), 0u);
}

// The application's effects dialog with the equalizer on: ten track bars and
// the equalizer's check box, never shown.
class EqualizerDialog {
public:
    EqualizerDialog()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        window_ = CreateWindowExA(0, "STATIC", "Effects", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int band = 1; band <= 10; ++band) {
            HWND bar = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | TBS_VERT, band * 30, 10, 25, 150,
                                       window_, HMENU(INT_PTR(band)), nullptr, nullptr);
            SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            SendMessageA(bar, TBM_SETPOS, TRUE, 50);
        }
        HWND box = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_AUTOCHECKBOX, 10, 200, 18, 18, window_,
                                   HMENU(INT_PTR(11)), nullptr, nullptr);
        SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
        BASSFXWINDOW(window_, 1);
    }
    ~EqualizerDialog()
    {
        BASSFXWINDOW(nullptr, 1);
        DestroyWindow(window_);
    }
    EqualizerDialog(const EqualizerDialog &) = delete;
    EqualizerDialog &operator=(const EqualizerDialog &) = delete;

    void Track(int band, int position) { SendDlgItemMessageA(window_, band, TBM_SETPOS, TRUE, position); }

private:
    HWND window_ = nullptr;
};

TEST_F(Media, TheEqualizerFollowsTheSliderOfThePlayingStream)
{
    EqualizerDialog dialog;
    std::string path = Write("My Song.mp3", std::string(300, 'x') + Tag("My Song", "", "", "2001", ""));
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(StreamName(), "My Song 2001 #0");
    bassdouble::SetResult("BASS_StreamCreateFile", 0x140);
    bassdouble::SetResult("BASS_ChannelSetFX", 0x7100);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(BASSMEDIATYPE(), 3);
    std::vector<bassdouble::CallRecord> bands = bassdouble::CallsOf("BASS_ChannelSetFX");
    ASSERT_EQ(bands.size(), 10u) << "the rack is on the new channel";
    EXPECT_EQ(bands[0].args.at(0), 0x140u);

    bassdouble::ClearCalls();
    dialog.Track(1, 80);
    BASSUPDATEEQ(0, 1);
    std::vector<bassdouble::CallRecord> set = bassdouble::CallsOf("BASS_FXSetParameters");
    ASSERT_EQ(set.size(), 1u);
    ASSERT_EQ(set[0].block.size(), sizeof(BASS_FXPARAMEQ));
    BASS_FXPARAMEQ record{};
    memcpy(&record, set[0].block.data(), sizeof record);
    EXPECT_EQ(record.gain, audiolink::BandGain(80));
    EXPECT_NE(record.gain, audiolink::BandGain(50));

    bassdouble::ClearCalls();
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_EQ(BASSMEDIATYPE(), 0);
    EXPECT_EQ(PendingKind, 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_ChannelRemoveFX").size(), 10u) << "the bands come off";
}

TEST_F(Media, UntaggedAndShortFilesAreNamedByTheirBaseName)
{
    EXPECT_EQ(Open(Write("My Song.mp3", std::string(500, 'x'))), 0);
    EXPECT_EQ(StreamName(), "My Song");
    EXPECT_EQ(Open(Write("Tiny One.ogg", "TAG")), 0);
    EXPECT_EQ(StreamName(), "Tiny One") << "shorter than a tag";
    EXPECT_EQ(Open(Write("empty.wav", "")), 0);
    EXPECT_EQ(StreamName(), "empty");
    EXPECT_EQ(Open(Write("talk.wma", std::string(300, 'w'))), 0);
    EXPECT_EQ(StreamName(), "") << "a local Windows Media file has no display name";
    EXPECT_EQ(PendingKind, audiolink::WindowsMediaKind);
}

TEST_F(Media, ModuleTitlesFromTheirHeaders)
{
    auto header = [](const std::string &text) {
        std::string bytes = text;
        bytes.resize(400, 'z');
        return bytes;
    };
    struct {
        const char *file;
        std::string bytes;
        const char *title;
    } rows[] = {
        {"space.xm", header("Extended Module: Space Tune\x1a" "rest"), "Space Tune"},
        {"drift.it", header(std::string("IMPMDrift Away\0", 15)), "Drift Away"},
        {"waves.mtm", header(std::string("MTM\x10Waves\0", 10)), "Waves"},
        {"packed.mo3", header(std::string("  Mo3 \0", 7)), "packed"},
        {"quoted.s3m", header(std::string("\" Quoted \"\0", 11)), "Quoted"},
        {"short.mod", "tiny", "short"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(Open(Write(row.file, row.bytes)), 0) << row.file;
        EXPECT_EQ(PendingKind, audiolink::MusicModuleKind) << row.file;
        EXPECT_EQ(MusicName(), row.title) << row.file;
        EXPECT_EQ(StreamName(), "") << row.file;
    }
}

TEST_F(Media, NetworkStreamIsNamedAndPreBuffered)
{
    const std::string address = "http://host/path/radio.mp3";
    EXPECT_EQ(Open(address), 0);
    EXPECT_EQ(StreamName(), "radio");
    EXPECT_EQ(PendingPath, address);
    EXPECT_EQ(PendingKind, audiolink::StreamKind);

    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_StreamCreateURL", 0x200);
    EXPECT_EQ(BASSPLAY(5, 6), 0);
    EXPECT_EQ(PlayingCalls(), (Names{"BASS_StreamCreateURL", "BASS_Start", "BASS_StreamPreBuf", "BASS_StreamPlay"}));
    bassdouble::CallRecord create = bassdouble::CallsOf("BASS_StreamCreateURL").at(0);
    EXPECT_EQ(create.args, (Args{Word(audiolink::PathBuffer), 0, BASS_FLAGS_URL_STREAM, reinterpret_cast<bassdouble::ArgWord>(&DOWNLOADPROC), create.args.at(4)}));
    EXPECT_NE(create.args.at(4), 0u) << "the stream's own user value";
    EXPECT_EQ(Take(BASSGETURLFILENAME()), address) << "the download bookkeeping comes first";
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamPreBuf").at(0).args, Args{0x200});
    EXPECT_EQ(BASSMEDIATYPE(), 3);
}

TEST_F(OldMedia, NoPreBufferingUpToVersionOneOne)
{
    EXPECT_EQ(Open("HTTP://host/live.wma"), 0);
    EXPECT_EQ(PendingKind, audiolink::WindowsMediaKind);
    EXPECT_EQ(StreamName(), "live");
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_StreamCreateURL", 0x210);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(PlayingCalls(), (Names{"BASS_StreamCreateURL", "BASS_Start", "BASS_StreamPlay"}));
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamCreateURL").at(0).args.at(2), BASS_FLAGS_URL_WMA);
}

// A host in an 8-bit code page (this program's is 1252) gets the bytes as
// stored: a Latin-1 tag or title as it is, and texts cut at 259 bytes
// wherever that falls.
TEST_F(Media, An8BitHostGetsTheStoredBytes)
{
    ASSERT_NE(GetACP(), UINT(CP_UTF8));
    EXPECT_EQ(Open(Write("noir.mp3", std::string(300, 'x') + Tag("Caf\xe9 Noir", "", "", "2001", ""))), 0);
    EXPECT_EQ(StreamName(), "Caf\xe9 Noir 2001 #0");
    EXPECT_EQ(Open(Write("tune.xm", "Extended Module: Stra\xdf" "e\x1a" + std::string(300, 'z'))), 0);
    EXPECT_EQ(MusicName(), "Stra\xdf" "e");
    EXPECT_EQ(Open("http://host/caf\xe9.mp3"), 0);
    EXPECT_EQ(StreamName(), "caf\xe9");
    std::string accents;
    for (int n = 0; n < 150; ++n)
        accents += "\xc3\xa9";
    EXPECT_EQ(Take(BASSSTRINGFROMPTR(accents.c_str())), accents.substr(0, 259));
}

TEST_F(Media, ModulesLocalFilesAndCdTracks)
{
    std::string module = Write("tune.xm", std::string(300, 'm'));
    EXPECT_EQ(Open(module), 0);
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_MusicLoad", 0x300);
    EXPECT_EQ(BASSPLAY(10, 20), 0);
    EXPECT_EQ(PlayingCalls(), (Names{"BASS_MusicLoad", "BASS_Start", "BASS_MusicPlayEx"}));
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicLoad").at(0).args,
              (Args{0, Word(audiolink::PathBuffer), 10, 20, BASS_FLAGS_MUSIC_LOAD, 0}));
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicPlayEx").at(0).args, (Args{0x300, 0, DWORD(-1), 1}));
    EXPECT_EQ(BASSMEDIATYPE(), 1);
    bassdouble::SetResult("BASS_MusicGetLength", 999);
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 999u);
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicGetLength").at(0).args, (Args{0x300, 0}));

    std::string wma = Write("talk.WMA", std::string(300, 'w'));
    EXPECT_EQ(Open(wma), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicFree").size(), 1u) << "opening closes the module";
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_WMA_StreamCreateFile", 0x500);
    EXPECT_EQ(BASSPLAY(1, 2), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_WMA_StreamCreateFile").at(0).args,
              (Args{0, Word(audiolink::PathBuffer), 1, 2, BASS_FLAGS_WMA_FILE}));
    EXPECT_EQ(BASSMEDIATYPE(), 5);

    // A CD track file on a drive that is not among the CD drives: drive 0.
    EXPECT_EQ(Open("Q:\\Track05.cda"), 0);
    EXPECT_EQ(PendingPath, "Q:\\Track05.cda") << "without a short form the name is used as given";
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_CD_StreamCreate", 0x400);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_CD_StreamCreate").at(0).args, (Args{0, 4, BASS_FLAGS_CD_STREAM}));
    EXPECT_EQ(BASSMEDIATYPE(), 4);
}

TEST_F(Media, CdTrackOnTheFirstCdDrive)
{
    // The drive list has CD-ROM drives in lower case; the Wine test prefix's
    // is D:.
    std::string drives = Take(THDSKLIST());
    size_t first = drives.find_first_of("abcdefghijklmnopqrstuvwxyz");
    if (first == std::string::npos)
        GTEST_SKIP() << "this machine has no CD-ROM drive (drives: " << drives << ")";
    const std::string lower(1, drives[first]), upper(1, char(drives[first] - 'a' + 'A'));

    EXPECT_EQ(Open(upper + ":\\Track05.cda"), 0);
    EXPECT_EQ(PendingKind, audiolink::CdTrackKind);
    EXPECT_EQ(StreamName(), "") << "a CD track has no display name";
    EXPECT_EQ(MusicName(), "");
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_CD_StreamCreate", 0x410);
    EXPECT_EQ(BASSPLAY(7, 8), 0);
    EXPECT_EQ(PlayingCalls(), (Names{"BASS_CD_StreamCreate", "BASS_Start", "BASS_StreamPlay"}));
    bassdouble::CallRecord create = bassdouble::CallsOf("BASS_CD_StreamCreate").at(0);
    EXPECT_EQ(create.module, "BASSCD.DLL");
    EXPECT_EQ(create.args, (Args{0, 4, BASS_FLAGS_CD_STREAM})) << "the first CD drive, the fifth track";
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamPlay").at(0).args, (Args{0x410, 0, 0}));
    EXPECT_EQ(BASSMEDIATYPE(), 4);
    bassdouble::SetResult("BASS_StreamGetLength", 7777);
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 7777u);

    // Lower case and no digits: the same drive, track -1.
    EXPECT_EQ(Open(lower + ":\\Music\\Track.CDA"), 0);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_CD_StreamCreate").at(0).args,
              (Args{0, DWORD(-1), BASS_FLAGS_CD_STREAM}));

    // Without a drive letter there is nothing to play.
    EXPECT_EQ(Open("Track05.cda"), 0);
    EXPECT_EQ(PendingKind, audiolink::CdTrackKind);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(PlayingCalls(), Names{});
}

TEST_F(OldMedia, ModuleLengthTakesTheChannelAloneUpToVersionOneOne)
{
    EXPECT_EQ(Open(Write("tune.it", "IMPMTune")), 0);
    bassdouble::SetResult("BASS_MusicLoad", 0x310);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(BASSMEDIATYPE(), 1);
    bassdouble::ClearCalls();
    bassdouble::SetResult("BASS_MusicGetLength", 1234);
    // Twice: a wrong argument count would leave the stack unbalanced.
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 1234u);
    bassdouble::SetResult("BASS_MusicGetLength", 0xFFFFFFFFull);
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 0u);
    std::vector<bassdouble::CallRecord> calls = bassdouble::CallsOf("BASS_MusicGetLength");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, Args{0x310}) << "the one-argument form";
    EXPECT_EQ(calls[1].args, Args{0x310});
}

// A network stream whose creation fails after the library delivered its
// first block: the copy must not stay armed or open.
TEST_F(Media, FailedNetworkStreamEndsItsLocalCopy)
{
    ScratchFolder downloads;
    BASSSETDOWNLOADPATH(ByteString(downloads.Path() + "\\"));
    BASSSTREAMSAVE(1);
    const std::string address = "http://host/path/broken.mp3";
    EXPECT_EQ(Open(address), 0);
    bassdouble::SetResult("(create block)", 5);
    bassdouble::SetResult("BASS_StreamCreateURL", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 2);
    EXPECT_EQ(BASSPLAY(0, 0), 2);
    EXPECT_EQ(CurrentChannel, 0u);
    std::string copy = downloads / "broken.mp3";
    EXPECT_EQ(ReadWholeFile(copy), "ddddd") << "what arrived is kept";
    EXPECT_TRUE(IsClosedByOthers(copy)) << "the unfinished copy is closed";
    DWORD more = 3;
    WaitAndClose(bassdouble::DeliverDownload("xyz", &more, 1, TRUE));
    EXPECT_EQ(ReadWholeFile(copy), "ddddd") << "late blocks are dropped";

    // A stream that is created keeps its copy armed.
    bassdouble::SetResult("(create block)", 0);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x220);
    EXPECT_EQ(Open("http://host/path/fine.mp3"), 0);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    WaitAndClose(bassdouble::DeliverDownload("abc", &more, 1, FALSE));
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_EQ(ReadWholeFile(downloads / "fine.mp3"), "abc");
    BASSSETDOWNLOADPATH(nullptr);
}

// A second BASSPLAY leaves the first stream downloading: its blocks and its
// end, which come with its own user value, stay out of the second's copy.
TEST_F(Media, AnEarlierStreamStaysOutOfALaterCopy)
{
    ScratchFolder downloads;
    BASSSETDOWNLOADPATH(ByteString(downloads.Path() + "\\"));
    BASSSTREAMSAVE(1);
    EXPECT_EQ(Open("http://host/live/radio.mp3"), 0);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x230);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    bassdouble::SetResult("BASS_StreamCreateURL", 0x231);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    std::vector<bassdouble::CallRecord> created = bassdouble::CallsOf("BASS_StreamCreateURL");
    ASSERT_EQ(created.size(), 2u);
    DWORD_PTR first = created[0].args.at(4), second = created[1].args.at(4);
    EXPECT_NE(first, second);
    DOWNLOADPROC("new", 3, second);
    DOWNLOADPROC("old", 3, first);
    DOWNLOADPROC(nullptr, 0, first);
    DOWNLOADPROC("er", 2, second);
    DOWNLOADPROC(nullptr, 0, second);
    EXPECT_EQ(ReadWholeFile(downloads / "radio.mp3"), "newer");
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    BASSSTREAMFREE(0x230);
    BASSSETDOWNLOADPATH(nullptr);
}

TEST_F(Media, FailuresOfTheStartSequence)
{
    std::string path = Write("a.mp3", std::string(200, 'a'));
    bassdouble::SetResult("BASS_ErrorGetCode", 41);

    // Creation fails: the error, and no channel.
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(BASSPLAY(0, 0), 41);
    EXPECT_EQ(CurrentChannel, 0u);

    // Output does not start: its error, the channel kept, not playing.
    bassdouble::SetResult("BASS_StreamCreateFile", 0x110);
    bassdouble::SetResult("BASS_Start", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 9);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), 9);
    EXPECT_EQ(CurrentChannel, 0x110u);
    EXPECT_EQ(CurrentMediaType, 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamPlay").size(), 0u);

    // The play call fails.
    bassdouble::SetResult("BASS_Start", 1);
    bassdouble::SetResult("BASS_StreamPlay", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 5);
    EXPECT_EQ(BASSPLAY(0, 0), 5);
    EXPECT_EQ(CurrentMediaType, 0);

    // Output cannot be initialised: BASSOPEN tries again next time.
    audiolink::EngineReady = false;
    bassdouble::SetResult("BASS_Init", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 8);
    EXPECT_EQ(Open(path), 8);
    bassdouble::SetResult("BASS_Init", 1);
    EXPECT_EQ(Open(path), 0);
}

// A host that initialised output itself with BASSINIT: BASSOPEN's own
// initialisation is refused as already done, and media opens all the same.
TEST_F(Media, OutputTheHostInitialisedIsTakenAsReady)
{
    EXPECT_EQ(BASSINIT(1, 44100, 0, nullptr), TRUE);
    bassdouble::SetResult("BASS_Init", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", BASS_ERROR_ALREADY);
    std::string path = Write("a.mp3", std::string(200, 'a'));
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(PendingKind, audiolink::StreamKind);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x150);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(BASSMEDIATYPE(), 3);
    bassdouble::ClearCalls();
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_Init").size(), 0u) << "output is taken as ready from then on";
}

// Unloading with a channel playing forgets everything of the library that
// went: its channel and effects; the next load's first open initialises
// output again, and play goes on as on a first load.
TEST_F(Media, AReloadWithAChannelOpenStartsAfresh)
{
    EqualizerDialog dialog;
    std::string path = Write("a.mp3", std::string(200, 'a'));
    EXPECT_EQ(Open(path), 0);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x160);
    bassdouble::SetResult("BASS_ChannelSetFX", 0x7200);
    ASSERT_EQ(BASSPLAY(0, 0), 0);
    ASSERT_EQ(BASSFXCHANNEL(1), 0x7200u);

    BASSUNLOAD();
    EXPECT_EQ(BASSHANDLEINUSE(), 0u);
    EXPECT_EQ(BASSMEDIATYPE(), 0);
    EXPECT_EQ(BASSFXCHANNEL(1), 0u) << "an effect of the library that went";

    BASSLOAD();
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_TRUE(EntryCalls().empty()) << "nothing of the old library is freed through the new one";
    EXPECT_EQ(Open(path), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_Init").size(), 1u) << "output is initialised again";
    bassdouble::SetResult("BASS_StreamCreateFile", 0x170);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(BASSHANDLEINUSE(), 0x170u);
    EXPECT_EQ(BASSMEDIATYPE(), 3);
}

// A channel whose start failed is still the current one: closing it frees it
// as what it was made, not as what played before it, and its length is read
// the same way.
TEST_F(Media, AChannelThatNeverStartedIsFreedAsWhatItIs)
{
    EXPECT_EQ(Open(Write("tune.xm", std::string(300, 'm'))), 0);
    bassdouble::SetResult("BASS_MusicLoad", 0x300);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    ASSERT_EQ(BASSMEDIATYPE(), 1);

    EXPECT_EQ(Open(Write("a.mp3", std::string(200, 'a'))), 0);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x110);
    bassdouble::SetResult("BASS_Start", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 9);
    EXPECT_EQ(BASSPLAY(0, 0), 9);
    EXPECT_EQ(BASSMEDIATYPE(), 1) << "the kind last played is still reported";

    bassdouble::SetResult("BASS_StreamGetLength", 4321);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 4321u);
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicGetLength").size(), 0u);

    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    EXPECT_EQ(bassdouble::CallsOf("BASS_MusicFree").size(), 0u);
    std::vector<bassdouble::CallRecord> frees = bassdouble::CallsOf("BASS_StreamFree");
    ASSERT_EQ(frees.size(), 1u);
    EXPECT_EQ(frees[0].args, Args{0x110});
}

// The first channel of all never started: nothing played before it, and it
// is freed all the same.
TEST_F(Media, TheFirstChannelFreedThoughItNeverStarted)
{
    EXPECT_EQ(Open(Write("tune.it", std::string(300, 'm'))), 0);
    bassdouble::SetResult("BASS_MusicLoad", 0x310);
    bassdouble::SetResult("BASS_Start", 0);
    bassdouble::SetResult("BASS_ErrorGetCode", 9);
    EXPECT_EQ(BASSPLAY(0, 0), 9);
    ASSERT_EQ(CurrentMediaType, 0);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSCLOSECHANNEL(0), 0);
    std::vector<bassdouble::CallRecord> frees = bassdouble::CallsOf("BASS_MusicFree");
    ASSERT_EQ(frees.size(), 1u);
    EXPECT_EQ(frees[0].args, Args{0x310});
}

TEST_F(Media, NamesThatCannotBeOpened)
{
    std::string path = Write("a.mp3", std::string(200, 'a'));
    EXPECT_EQ(Open(path), 0);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x120);
    EXPECT_EQ(BASSPLAY(0, 0), 0);

    // Without a dot: 2, and the channel plays on.
    bassdouble::ClearCalls();
    EXPECT_EQ(Open("nodot"), 2);
    EXPECT_EQ(Open("http://host/nodot"), 2);
    EXPECT_EQ(CurrentChannel, 0x120u);
    EXPECT_EQ(PlayingCalls(), Names{});

    // Longer than the scratch buffer holds: refused, nothing changes.
    std::string longName = "C:\\" + std::string(252, 'x') + ".mp3";
    ASSERT_EQ(longName.size(), 259u);
    EXPECT_EQ(Open(longName), 0) << "259 characters still fit";
    EXPECT_EQ(PendingPath, longName);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x130);
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(Open("C:\\" + std::string(253, 'x') + ".mp3"), 2);
    EXPECT_EQ(CurrentChannel, 0x130u);
    EXPECT_EQ(PendingPath, longName);

    // A dot only in a folder's name: no kind, and nothing left to play.
    CreateDirectoryA((scratch_ / "a.b").c_str(), nullptr);
    std::string inFolder = Write("a.b\\file", "data");
    EXPECT_EQ(Open(inFolder), 0);
    EXPECT_EQ(CurrentChannel, 0u) << "what played is closed";
    EXPECT_EQ(PendingKind, 0);
    EXPECT_EQ(PendingPath, "");
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(PlayingCalls(), Names{});
}

TEST_F(BassOnlyMedia, WindowsMediaWithoutItsAddOnPlaysNothing)
{
    EXPECT_EQ(Open(Write("talk.wma", "w")), 0);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), 0);
    EXPECT_EQ(EntryCalls().size(), 0u);
}

class NoStartMedia : public Media {
protected:
    NoStartMedia() : Media("no-start") {}
};

class NoPlayMedia : public Media {
protected:
    NoPlayMedia() : Media("no-play") {}
};

TEST_F(NoStartMedia, MissingStartKeepsTheChannelWithoutPlaying)
{
    std::string path = Write("a.mp3", std::string(200, 'a'));
    EXPECT_EQ(Open(path), 0);
    bassdouble::SetResult("BASS_StreamCreateFile", 0x150);
    bassdouble::ClearCalls();
    EXPECT_EQ(BASSPLAY(0, 0), -1) << "output cannot be started";
    EXPECT_EQ(CurrentChannel, 0x150u) << "the channel is kept";
    EXPECT_EQ(BASSMEDIATYPE(), 0);
    EXPECT_EQ(PlayingCalls(), Names{"BASS_StreamCreateFile"});
}

TEST_F(NoPlayMedia, MissingPlayCallsReturnZeroWithTheChannelKept)
{
    struct {
        std::string name;
        const char *create;
        DWORD channel;
    } rows[] = {
        {"tune.xm", "BASS_MusicLoad", 0x160},
        {"a.mp3", "BASS_StreamCreateFile", 0x170},
        {"talk.wma", "BASS_WMA_StreamCreateFile", 0x180},
        {"D:\\Track02.cda", "BASS_CD_StreamCreate", 0x190},
    };
    for (const auto &row : rows) {
        bool local = row.name[1] != ':';
        EXPECT_EQ(Open(local ? Write(row.name, std::string(300, 'x')) : row.name), 0) << row.name;
        bassdouble::SetResult(row.create, row.channel);
        bassdouble::ClearCalls();
        EXPECT_EQ(BASSPLAY(0, 0), 0) << row.name;
        EXPECT_EQ(CurrentChannel, row.channel) << row.name;
        EXPECT_EQ(BASSMEDIATYPE(), 0) << row.name << ": the kind is not recorded";
        EXPECT_EQ(PlayingCalls(), (Names{row.create, "BASS_Start"})) << row.name;
    }
}

TEST_F(BareMedia, MissingEntryPointsReturnZeroWithoutAChannel)
{
    EXPECT_EQ(Open(Write("a.xm", "x")), -1) << "output cannot be initialised without BASS_Init";
    audiolink::EngineReady = true;
    for (const char *name : {"a.xm", "a.wma", "C:\\Track01.cda"}) {
        EXPECT_EQ(Open(name[1] == ':' ? std::string(name) : Write(name, "x")), 0) << name;
        EXPECT_EQ(BASSPLAY(0, 0), 0) << name;
        EXPECT_EQ(CurrentChannel, 0u) << name;
    }
    EXPECT_EQ(BASSMEDIAGETLENGTH(), 0u);
}

} // namespace
