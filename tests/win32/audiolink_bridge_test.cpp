// The audio bridge's own code linked into the test, over the full set of
// test doubles: every forwarding export's arguments, channel 0 and the
// failure value, and the saving of network streams, with the download
// procedure called from the double's own thread.
#include "audiolink_test_support.h"

#include "audiolink.h"
#include "media_state.h"
#include "stream_saving.h"

#include <algorithm>
#include <set>

namespace {

using namespace altest;
using audiolink::CurrentChannel;

class Bridge : public ::testing::Test {
protected:
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
        BASSUNLOAD();
        EXPECT_EQ(bassdouble::LostCalls(), 0u);
    }

    // The one call the export made: its entry point and arguments.
    void ExpectForwarded(const char *entry, const Args &args)
    {
        std::vector<bassdouble::CallRecord> calls = EntryCalls();
        ASSERT_EQ(calls.size(), 1u) << entry;
        EXPECT_EQ(calls[0].entry, entry);
        EXPECT_EQ(calls[0].args, args) << entry;
        bassdouble::ClearCalls();
    }

    void ExpectNoCall(const char *what)
    {
        EXPECT_EQ(CallNames(EntryCalls()), Names{}) << what;
        bassdouble::ClearCalls();
    }

    DoublesOnSearchPath doubles_{"full"};
};

TEST_F(Bridge, ForwardsEveryArgumentInOrderAndReturnsTheResult)
{
    char info[64] = {}, buffer[32] = {}, procedure[4] = {};
    int frequency = 0, volume = 0, pan = 0;
    const char url[] = "http://host/a.mp3";
    const char file[] = "C:\\a.mp3";

    bassdouble::SetResult("BASS_Free", 1);
    EXPECT_EQ(BASSFREE(), 1);
    ExpectForwarded("BASS_Free", {});
    bassdouble::SetResult("BASS_SetConfig", 41);
    EXPECT_EQ(BASSSETCONFIG(3, 400), 41u);
    ExpectForwarded("BASS_SetConfig", {3, 400});
    bassdouble::SetResult("BASS_GetConfig", 42);
    EXPECT_EQ(BASS_GETCONFIG(5), 42u);
    ExpectForwarded("BASS_GetConfig", {5});
    bassdouble::SetResult("BASS_SetDevice", 1);
    EXPECT_EQ(BASSSETDEVICE(2), 1);
    ExpectForwarded("BASS_SetDevice", {2});
    bassdouble::SetResult("BASS_GetDevice", 3);
    EXPECT_EQ(BASSGETDEVICE(), 3u);
    ExpectForwarded("BASS_GetDevice", {});
    bassdouble::SetResult("BASS_Stop", 1);
    EXPECT_EQ(BASSSTOP(), 1);
    ExpectForwarded("BASS_Stop", {});
    bassdouble::SetResult("BASS_Pause", 1);
    EXPECT_EQ(BASSPAUSE(), 1);
    ExpectForwarded("BASS_Pause", {});
    bassdouble::SetResult("BASS_SetEAXParameters", 1);
    EXPECT_EQ(BASSSETEAXPARAMETERS(-1, 0.5f, 1.25f, -2.0f), 1);
    ExpectForwarded("BASS_SetEAXParameters", {0xFFFFFFFFu, FloatBits(0.5f), FloatBits(1.25f), FloatBits(-2.0f)});

    bassdouble::SetResult("BASS_ChannelGetDevice", 2);
    EXPECT_EQ(BASSCHANNELGETDEVICE(11), 2u);
    ExpectForwarded("BASS_ChannelGetDevice", {11});
    bassdouble::SetResult("BASS_ChannelGetInfo", 1);
    EXPECT_EQ(BASSCHANNELGETINFO(11, info), 1);
    ExpectForwarded("BASS_ChannelGetInfo", {11, Word(info)});
    bassdouble::SetResult("BASS_ChannelIsActive", 3);
    EXPECT_EQ(BASSUSECHANNELISACTIVE(11), 3u);
    ExpectForwarded("BASS_ChannelIsActive", {11});
    bassdouble::SetResult("BASS_ChannelSetSync", 99);
    EXPECT_EQ(BASSCHANNELSETSYNC(11, 2, 0x12345678, 0x9ABC, procedure, 6), 99u);
    ExpectForwarded("BASS_ChannelSetSync", {11, 2, 0x12345678, 0x9ABC, Word(procedure), 6});
    bassdouble::SetResult("BASS_ChannelSlideAttributes", 1);
    EXPECT_EQ(BASSCHANNELSLIDEATTRIBUTES(11, 22050, -1, -100, 500), 1);
    ExpectForwarded("BASS_ChannelSlideAttributes", {11, 22050, 0xFFFFFFFFu, DWORD(-100), 500});
    bassdouble::SetResult("BASS_ChannelGetPosition", 0x500000123ull);
    EXPECT_EQ(BASSUSECHANNELGETPOSITION(11), 0x123u) << "the low word of the 64-bit position";
    ExpectForwarded("BASS_ChannelGetPosition", {11});
    bassdouble::SetResult("BASS_ChannelGetLevel", 0x00400080);
    EXPECT_EQ(BASSCHANNELGETLEVELEX(11), 0x00400080u);
    ExpectForwarded("BASS_ChannelGetLevel", {11});
    bassdouble::SetResult("BASS_ChannelStop", 1);
    EXPECT_EQ(BASSCHANNELSTOP(11), 1);
    ExpectForwarded("BASS_ChannelStop", {11});
    bassdouble::SetResult("BASS_ChannelGetAttributes", 1);
    EXPECT_EQ(BASSCHANNELGETATTRIBUTES(11, &frequency, &volume, &pan), 1);
    ExpectForwarded("BASS_ChannelGetAttributes", {11, Word(&frequency), Word(&volume), Word(&pan)});
    BASSCHANNELSETATTRIBUTES(11, 48000, 50, -30);
    ExpectForwarded("BASS_ChannelSetAttributes", {11, 48000, 50, DWORD(-30)});
    bassdouble::SetResult("BASS_ChannelGetData", 32);
    EXPECT_EQ(BASSCHANNELGETDATA(11, buffer, 32), 32u);
    ExpectForwarded("BASS_ChannelGetData", {11, Word(buffer), 32});
    bassdouble::SetResult("BASS_StreamGetLength", 0x700001000ull);
    EXPECT_EQ(BASSSTREAMGETLENGTH(11), 0x1000u);
    ExpectForwarded("BASS_StreamGetLength", {11});
    BASSSTREAMFREE(11);
    ExpectForwarded("BASS_StreamFree", {11});

    bassdouble::SetResult("BASS_StreamCreate", 501);
    EXPECT_EQ(BASSSTREAMCREATE(44100, 2, 0x100, procedure, 9), 501u);
    ExpectForwarded("BASS_StreamCreate", {44100, 2, 0x100, Word(procedure), 9});
    bassdouble::SetResult("BASS_StreamCreateURL", 502);
    EXPECT_EQ(BASSSTREAMCREATEURL(url, 10, 0x40080, DOWNLOADPROC, 8), 502u);
    std::vector<bassdouble::CallRecord> calls = EntryCalls();
    ExpectForwarded("BASS_StreamCreateURL", {Word(url), 10, 0x40080, Word(reinterpret_cast<void *>(&DOWNLOADPROC)), 8});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].texts, Names{url});
    bassdouble::SetResult("BASS_StreamCreateFile", 503);
    EXPECT_EQ(BASSSTREAMCREATEFILE(FALSE, file, 4, 1000, 0x60008), 503u);
    ExpectForwarded("BASS_StreamCreateFile", {0, Word(file), 4, 1000, 0x60008});
    bassdouble::SetResult("BASS_StreamCreateFileUser", 504);
    EXPECT_EQ(BASSSTREAMCREATEFILEUSER(1, 2, 3, 4), 504u);
    ExpectForwarded("BASS_StreamCreateFileUser", {1, 2, 3, 4});
}

TEST_F(Bridge, ChannelZeroMeansTheCurrentChannel)
{
    char info[64] = {}, procedure[4] = {};
    CurrentChannel = 77;

    BASSCHANNELGETDEVICE(0);
    ExpectForwarded("BASS_ChannelGetDevice", {77});
    BASSCHANNELGETINFO(0, info);
    ExpectForwarded("BASS_ChannelGetInfo", {77, Word(info)});
    BASSUSECHANNELISACTIVE(0);
    ExpectForwarded("BASS_ChannelIsActive", {77});
    BASSCHANNELISACTIVE();
    ExpectForwarded("BASS_ChannelIsActive", {77});
    BASSCHANNELSETSYNC(0, 1, 2, 3, procedure, 4);
    ExpectForwarded("BASS_ChannelSetSync", {77, 1, 2, 3, Word(procedure), 4});
    BASSCHANNELSLIDEATTRIBUTES(0, 1, 2, 3, 4);
    ExpectForwarded("BASS_ChannelSlideAttributes", {77, 1, 2, 3, 4});
    BASSCHANNELSETATTRIBUTES(0, 1, 2, 3);
    ExpectForwarded("BASS_ChannelSetAttributes", {77, 1, 2, 3});

    // The exports without a channel argument act on the current channel.
    BASSCHANNELGETPOSITION();
    ExpectForwarded("BASS_ChannelGetPosition", {77});
    BASSCHANNELSETPOSITION(4410);
    ExpectForwarded("BASS_ChannelSetPosition", {77, 4410, 0});
    BASSCHANNELGETLEVEL();
    ExpectForwarded("BASS_ChannelGetLevel", {77});
    BASSCHANNELPAUSE();
    ExpectForwarded("BASS_ChannelPause", {77});
    BASSCHANNELRESUME();
    ExpectForwarded("BASS_ChannelResume", {77});

    // These take their channel as given, 0 included.
    BASSUSECHANNELGETPOSITION(0);
    ExpectForwarded("BASS_ChannelGetPosition", {0});
    BASSCHANNELSTOP(0);
    ExpectForwarded("BASS_ChannelStop", {0});
    BASSCHANNELGETDATA(0, info, 4);
    ExpectForwarded("BASS_ChannelGetData", {0, Word(info), 4});
    BASSSTREAMGETLENGTH(0);
    ExpectForwarded("BASS_StreamGetLength", {0});
    BASSSTREAMFREE(0);
    ExpectForwarded("BASS_StreamFree", {0});
    BASSCHANNELGETLEVELEX(0);
    ExpectNoCall("BASSCHANNELGETLEVELEX(0) never calls, current channel or not");
}

TEST_F(Bridge, WithoutAChannelSomeExportsDoNotCall)
{
    char info[64] = {}, procedure[4] = {};
    for (const char *entry : {"BASS_ChannelGetDevice", "BASS_ChannelGetInfo", "BASS_ChannelIsActive",
                              "BASS_ChannelSetSync", "BASS_ChannelGetPosition", "BASS_ChannelSetPosition",
                              "BASS_ChannelGetLevel"})
        bassdouble::SetResult(entry, 5);
    EXPECT_EQ(BASSCHANNELGETDEVICE(0), 0u);
    EXPECT_EQ(BASSCHANNELGETINFO(0, info), 0);
    EXPECT_EQ(BASSUSECHANNELISACTIVE(0), 0u);
    EXPECT_EQ(BASSCHANNELISACTIVE(), 0u);
    EXPECT_EQ(BASSCHANNELSETSYNC(0, 1, 2, 3, procedure, 4), 0u);
    EXPECT_EQ(BASSCHANNELGETPOSITION(), 0u);
    EXPECT_EQ(BASSCHANNELSETPOSITION(10), 0);
    EXPECT_EQ(BASSCHANNELGETLEVEL(), 0u);
    EXPECT_EQ(BASSCHANNELGETLEVELEX(0), 0u);
    ExpectNoCall("no channel");

    // These call the library with channel 0 and return its answer.
    bassdouble::SetResult("BASS_ChannelSlideAttributes", 1);
    EXPECT_EQ(BASSCHANNELSLIDEATTRIBUTES(0, 1, 2, 3, 4), 1);
    ExpectForwarded("BASS_ChannelSlideAttributes", {0, 1, 2, 3, 4});
    BASSCHANNELSETATTRIBUTES(0, 1, 2, 3);
    ExpectForwarded("BASS_ChannelSetAttributes", {0, 1, 2, 3});
    bassdouble::SetResult("BASS_ChannelPause", 1);
    EXPECT_EQ(BASSCHANNELPAUSE(), 1);
    ExpectForwarded("BASS_ChannelPause", {0});
    BASSCHANNELRESUME();
    ExpectForwarded("BASS_ChannelResume", {0});
}

TEST_F(Bridge, TheFailureValueComesBackAsZeroWhereSaid)
{
    CurrentChannel = 77;
    bassdouble::SetResult("BASS_ChannelGetPosition", 0xFFFFFFFFull);
    EXPECT_EQ(BASSCHANNELGETPOSITION(), 0u);
    EXPECT_EQ(BASSUSECHANNELGETPOSITION(5), 0u);
    bassdouble::SetResult("BASS_ChannelGetData", 0xFFFFFFFFull);
    EXPECT_EQ(BASSCHANNELGETDATA(5, nullptr, 0), 0u);
    bassdouble::SetResult("BASS_StreamGetLength", 0x00000003FFFFFFFFull);
    EXPECT_EQ(BASSSTREAMGETLENGTH(5), 0u) << "the low word is what counts";
    EXPECT_EQ(EntryCalls().size(), 4u);

    // The others hand 0xFFFFFFFF on as it is.
    bassdouble::SetResult("BASS_ChannelGetLevel", 0xFFFFFFFFull);
    EXPECT_EQ(BASSCHANNELGETLEVEL(), 0xFFFFFFFFu);
    bassdouble::SetResult("BASS_ChannelIsActive", 0xFFFFFFFFull);
    EXPECT_EQ(BASSCHANNELISACTIVE(), 0xFFFFFFFFu);
    bassdouble::SetResult("BASS_GetDevice", 0xFFFFFFFFull);
    EXPECT_EQ(BASSGETDEVICE(), 0xFFFFFFFFu);
}

// ---- Saving network streams ---------------------------------------------

constexpr char TuneAddress[] = "http://host/music/tune.mp3";

class Saving : public Bridge {
protected:
    void SetUp() override
    {
        Bridge::SetUp();
        GetCurrentDirectoryA(MAX_PATH, previousFolder_);
        bassdouble::SetResult("BASS_StreamCreateURL", 900);
    }
    void TearDown() override
    {
        audiolink::DisarmDownload();
        BASSSTREAMSAVE(0);
        BASSSETDOWNLOADPATH(nullptr);
        SetCurrentDirectoryA(previousFolder_);
        Bridge::TearDown();
    }

    // BASSPLAY's steps for a network address: the bookkeeping, then the
    // stream, which hands DOWNLOADPROC to the library.
    void PlayAddress(const std::string &address)
    {
        audiolink::BeginPlayback(address);
        audiolink::PrepareLocalCopy(address);
        EXPECT_EQ(BASSSTREAMCREATEURL(address.c_str(), 0, BASS_FLAGS_URL_STREAM, DOWNLOADPROC, 0), 900u);
    }

    // The library's download thread delivers these blocks, then (if asked)
    // the end of the download.
    static void Download(const std::vector<std::string> &blocks, bool end)
    {
        std::string data;
        std::vector<DWORD> lengths;
        for (const std::string &block : blocks) {
            data += block;
            lengths.push_back(DWORD(block.size()));
        }
        WaitAndClose(bassdouble::DeliverDownload(data.data(), lengths.data(), DWORD(lengths.size()), end));
    }

    static std::string DownloadPath() { return Take(BASSGETDOWNLOADPATH()); }
    static std::string DownloadedFile() { return Take(BASSGETDOWNLOADEDFILE()); }
    static std::string UrlFileName() { return Take(BASSGETURLFILENAME()); }

    ScratchFolder scratch_;

private:
    char previousFolder_[MAX_PATH] = {};
};

TEST_F(Saving, CopyGoesIntoTheFolderEndingInABackslash)
{
    std::string folder = scratch_ / "saved\\streams\\";
    BASSSETDOWNLOADPATH(ByteString(folder));
    BASSSTREAMSAVE(1);
    PlayAddress(TuneAddress);
    EXPECT_EQ(DownloadedFile(), folder + "tune.mp3");
    EXPECT_EQ(UrlFileName(), TuneAddress);
    EXPECT_EQ(ScratchFolder::Names(folder), Names{}) << "the folder is made, the file waits for data";

    Download({std::string("ID3\0\0\1", 6), "", std::string(1, '\0'), "tail"}, false);
    EXPECT_EQ(ReadWholeFile(folder + "tune.mp3"), std::string("ID3\0\0\1\0tail", 11));
    EXPECT_FALSE(IsClosedByOthers(folder + "tune.mp3")) << "open while the download goes on";
    Download({"more"}, true);
    EXPECT_EQ(ReadWholeFile(folder + "tune.mp3"), std::string("ID3\0\0\1\0tailmore", 15));
    EXPECT_TRUE(IsClosedByOthers(folder + "tune.mp3")) << "the end of the download closes it";
    EXPECT_EQ(DownloadedFile(), folder + "tune.mp3");
}

TEST_F(Saving, NameIsJoinedStraightOntoAFolderWithoutBackslash)
{
    std::string folder = scratch_ / "dl";
    BASSSETDOWNLOADPATH(ByteString(folder));
    BASSSTREAMSAVE(-1);
    PlayAddress("ftp://host/pub/tune.ogg");
    EXPECT_EQ(DownloadedFile(), folder + "tune.ogg");
    Download({"abc"}, true);
    EXPECT_EQ(ReadWholeFile(folder + "tune.ogg"), "abc");
    EXPECT_EQ(ReadWholeFile(folder), "<missing>") << "the folder itself was made, as given";
}

TEST_F(Saving, WithoutAFolderTheCopyIsRelativeToTheCurrentFolder)
{
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.Path().c_str()));
    BASSSTREAMSAVE(1);
    EXPECT_EQ(DownloadPath(), "");
    PlayAddress(TuneAddress);
    EXPECT_EQ(DownloadedFile(), "tune.mp3");
    Download({"abc"}, true);
    EXPECT_EQ(ScratchFolder::Names(scratch_.Path()), Names{"tune.mp3"});
    EXPECT_EQ(ReadWholeFile(scratch_ / "tune.mp3"), "abc");
}

TEST_F(Saving, SavingOffWritesNothing)
{
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.Path().c_str()));
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    PlayAddress(TuneAddress);
    EXPECT_EQ(DownloadedFile(), "");
    EXPECT_EQ(UrlFileName(), TuneAddress);
    Download({"abc", "def"}, true);
    Download({"late"}, true);
    EXPECT_EQ(ScratchFolder::Names(scratch_.Path()), Names{});
}

TEST_F(Saving, AnExistingFileIsReplaced)
{
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    BASSSTREAMSAVE(1);
    ASSERT_TRUE(WriteWholeFile(scratch_ / "tune.mp3", "an older and much longer download"));
    PlayAddress(TuneAddress);
    Download({"new"}, true);
    EXPECT_EQ(ReadWholeFile(scratch_ / "tune.mp3"), "new");
}

TEST_F(Saving, FolderIsCreatedWhenAskedFor)
{
    std::string folder = scratch_ / "a\\b\\c\\";
    BASSSETDOWNLOADPATH(ByteString(folder));
    EXPECT_EQ(DownloadPath(), folder);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(Saving, ALocalFileIsNeverTouched)
{
    std::string song = scratch_ / "song.mp3";
    ASSERT_TRUE(WriteWholeFile(song, "the local file"));
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    BASSSTREAMSAVE(1);
    audiolink::BeginPlayback(song); // BASSPLAY of a local file
    EXPECT_EQ(DownloadedFile(), song);
    EXPECT_EQ(UrlFileName(), "");

    // The application hands the download procedure to the library itself.
    EXPECT_EQ(BASSSTREAMCREATEURL("http://host/song.mp3", 0, 0, DOWNLOADPROC, 0), 900u);
    Download({"not for", "the local file"}, true);
    EXPECT_EQ(ReadWholeFile(song), "the local file");
    EXPECT_EQ(ScratchFolder::Names(scratch_.Path()), Names{"song.mp3"});
    EXPECT_EQ(DownloadedFile(), song);
}

TEST_F(Saving, AnEndedCopyIsNeitherWrittenNorDeletedAgain)
{
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    BASSSTREAMSAVE(1);
    PlayAddress(TuneAddress);
    Download({"abc"}, true);
    Download({"def"}, true);
    EXPECT_EQ(ReadWholeFile(scratch_ / "tune.mp3"), "abc");
}

TEST_F(Saving, BlocksAfterDisarmingAreDropped)
{
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    BASSSTREAMSAVE(1);
    PlayAddress(TuneAddress);
    Download({"abc"}, false);
    audiolink::DisarmDownload(); // BASSCLOSECHANNEL
    EXPECT_TRUE(IsClosedByOthers(scratch_ / "tune.mp3")) << "disarming closes the unfinished copy";
    Download({"def"}, true);
    EXPECT_EQ(ReadWholeFile(scratch_ / "tune.mp3"), "abc");

    // The next stream's preparation disarms too, and unloading the library.
    PlayAddress("http://host/other.mp3");
    Download({"x"}, false);
    PlayAddress(TuneAddress);
    EXPECT_TRUE(IsClosedByOthers(scratch_ / "other.mp3"));
    Download({"y"}, false);
    BASSUNLOAD();
    EXPECT_TRUE(IsClosedByOthers(scratch_ / "tune.mp3"));
    EXPECT_EQ(ReadWholeFile(scratch_ / "other.mp3"), "x");
    EXPECT_EQ(ReadWholeFile(scratch_ / "tune.mp3"), "y");
    BASSLOAD();
}

TEST_F(Saving, RefusedNamesPlayButSaveNothing)
{
    std::string folder = scratch_ / "dl\\";
    BASSSETDOWNLOADPATH(ByteString(folder));
    BASSSTREAMSAVE(1);
    for (const char *name : {"", ".", "..", "CON", "prn.mp3", "Aux", "NUL.ogg", "com1", "COM9.mp3",
                             "lpt1.txt", "LPT9", "evil.dll", "EVIL.EXE", "x.com", "x.scr", "x.ocx",
                             "x.cpl", "x.sys", "x.drv", "x.bat", "x.cmd", "tune.dll.", "a:b.mp3",
                             "get?id=3"}) {
        std::string address = std::string("http://host/music/") + name;
        PlayAddress(address);
        EXPECT_EQ(DownloadedFile(), "") << address;
        EXPECT_EQ(UrlFileName(), address);
        Download({"MZ"}, true);
    }
    EXPECT_EQ(ScratchFolder::Names(folder), Names{});
    EXPECT_EQ(ScratchFolder::Names(scratch_.Path()), Names{}) << "nothing beside the folder either";
}

TEST_F(Saving, AFolderWithAZeroByteSavesNothing)
{
    std::string folder = scratch_.Path() + std::string("\\x\0y\\", 5);
    BASSSETDOWNLOADPATH(ByteString(folder));
    EXPECT_EQ(DownloadPath(), folder) << "kept as given, zero byte and all";
    BASSSTREAMSAVE(1);
    PlayAddress(TuneAddress);
    EXPECT_EQ(DownloadedFile(), "");
    Download({"abc"}, true);
    EXPECT_EQ(ReadWholeFile(scratch_ / "x"), "<missing>");
}

// The download thread keeps delivering numbered blocks while the
// application's thread closes that stream and starts the next: every block
// lands whole, in order, in at most one copy, and both copies end closed.
TEST_F(Saving, DownloadThreadRacesThePreparationOfTheNextStream)
{
    BASSSETDOWNLOADPATH(ByteString(scratch_.Path() + "\\"));
    BASSSTREAMSAVE(1);
    constexpr int Blocks = 3000;
    std::string data;
    std::vector<DWORD> lengths;
    for (int n = 0; n < Blocks; ++n) {
        std::string block = "<" + std::to_string(n) + ">";
        data += block;
        lengths.push_back(DWORD(block.size()));
    }

    PlayAddress("http://host/first.mp3");
    HANDLE download = bassdouble::DeliverDownload(data.data(), lengths.data(), Blocks, TRUE);
    ASSERT_NE(download, nullptr);
    Sleep(1);
    for (int round = 0; round < 20; ++round)
        PlayAddress(round % 2 ? "http://host/first.mp3" : "http://host/second.mp3");
    WaitAndClose(download);
    audiolink::DisarmDownload();

    std::set<int> seen;
    for (const char *name : {"first.mp3", "second.mp3"}) {
        std::string path = scratch_ / name;
        if (ReadWholeFile(path) == "<missing>")
            continue;
        EXPECT_TRUE(IsClosedByOthers(path)) << name;
        std::string bytes = ReadWholeFile(path);
        int previous = -1;
        for (size_t at = 0; at < bytes.size();) {
            ASSERT_EQ(bytes[at], '<') << name << " at " << at;
            size_t end = bytes.find('>', at);
            ASSERT_NE(end, std::string::npos) << name;
            int n = std::stoi(bytes.substr(at + 1, end - at - 1));
            EXPECT_GT(n, previous) << name;
            EXPECT_TRUE(seen.insert(n).second) << "block " << n << " saved twice";
            previous = n;
            at = end + 1;
        }
    }
    EXPECT_LE(ScratchFolder::Names(scratch_.Path()).size(), 2u);
}

} // namespace
