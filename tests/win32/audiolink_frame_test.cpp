// audiolink.dll loaded as the application loads it, over folders of test
// doubles: attaching and detaching, the version-gated add-ons, the frame's
// own exports, the error exports, and every export's default when the
// audio library or its entry points are missing.
#include "audiolink_test_support.h"

#include "audiolink.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace {

using namespace altest;

#define AUDIOLINK_EXPORTS(X)                                                                \
    X(DLLMAIN) X(BASSLOAD) X(BASSUNLOAD) X(BASSAVAILABLE) X(BASSGETVERSION)                 \
    X(BASSSTRINGFROMPTR) X(BASSFREE) X(BASSSETCONFIG) X(BASS_GETCONFIG) X(BASSSETDEVICE)     \
    X(BASSGETDEVICE) X(BASSSTOP) X(BASSPAUSE) X(BASSSETEAXPARAMETERS)                       \
    X(BASSCHANNELGETDEVICE) X(BASSCHANNELGETINFO) X(BASSUSECHANNELISACTIVE)                  \
    X(BASSCHANNELISACTIVE) X(BASSCHANNELSETSYNC) X(BASSCHANNELSLIDEATTRIBUTES)               \
    X(BASSUSECHANNELGETPOSITION) X(BASSCHANNELGETPOSITION) X(BASSCHANNELSETPOSITION)         \
    X(BASSCHANNELGETLEVELEX) X(BASSCHANNELGETLEVEL) X(BASSCHANNELPAUSE) X(BASSCHANNELRESUME) \
    X(BASSCHANNELSTOP) X(BASSCHANNELGETATTRIBUTES) X(BASSCHANNELSETATTRIBUTES)               \
    X(BASSCHANNELGETDATA) X(BASSSTREAMGETLENGTH) X(BASSSTREAMFREE) X(BASSSTREAMCREATE)      \
    X(BASSSTREAMCREATEURL) X(BASSSTREAMCREATEFILE) X(BASSSTREAMCREATEFILEUSER)               \
    X(BASSERRORGETCODE) X(BASSERRORDESCRIPTION) X(BASSSTREAMSAVE) X(BASSSETDOWNLOADPATH)     \
    X(BASSGETDOWNLOADPATH) X(BASSGETDOWNLOADEDFILE) X(BASSGETURLFILENAME) X(DOWNLOADPROC)

// audiolink.dll loaded by name (from the build's bin folder on PATH), its
// exports looked up; unloaded, completely, when this goes.
class AudioLink : public AudioLinkModule {
public:
    AudioLink() { AUDIOLINK_EXPORTS(ALTEST_RESOLVE_EXPORT) }
    ~AudioLink() { Unload(); }

    void Unload()
    {
        if (Handle()) {
            AudioLinkModule::Unload();
            EXPECT_FALSE(IsModuleLoaded("audiolink.dll")) << "a reference to audiolink.dll was left";
        }
    }

    AUDIOLINK_EXPORTS(ALTEST_EXPORT_MEMBER)
};

constexpr DWORD Version(DWORD major, DWORD minor)
{
    return major | (minor << 16);
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override { bassdouble::Reset(); }
    void TearDown() override
    {
        for (const char *module : {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"})
            EXPECT_FALSE(IsModuleLoaded(module)) << module << " stayed loaded";
    }
};

// Every export that reaches the audio library, called with non-zero
// arguments, paired with its name.
std::vector<std::pair<const char *, std::function<DWORD()>>> LibraryCalls(const AudioLink &al)
{
    static int frequency, volume, pan;
    static char buffer[16], info[64];
    return {
        {"BASSFREE", [&] { return DWORD(al.BASSFREE()); }},
        {"BASSSETCONFIG", [&] { return al.BASSSETCONFIG(1, 2); }},
        {"BASS_GETCONFIG", [&] { return al.BASS_GETCONFIG(1); }},
        {"BASSSETDEVICE", [&] { return DWORD(al.BASSSETDEVICE(1)); }},
        {"BASSGETDEVICE", [&] { return al.BASSGETDEVICE(); }},
        {"BASSSTOP", [&] { return DWORD(al.BASSSTOP()); }},
        {"BASSPAUSE", [&] { return DWORD(al.BASSPAUSE()); }},
        {"BASSSETEAXPARAMETERS", [&] { return DWORD(al.BASSSETEAXPARAMETERS(1, 0.5f, 1.5f, 0.25f)); }},
        {"BASSCHANNELGETDEVICE", [&] { return al.BASSCHANNELGETDEVICE(7); }},
        {"BASSCHANNELGETINFO", [&] { return DWORD(al.BASSCHANNELGETINFO(7, info)); }},
        {"BASSUSECHANNELISACTIVE", [&] { return al.BASSUSECHANNELISACTIVE(7); }},
        {"BASSCHANNELSETSYNC", [&] { return al.BASSCHANNELSETSYNC(7, 1, 2, 3, buffer, 4); }},
        {"BASSCHANNELSLIDEATTRIBUTES", [&] { return DWORD(al.BASSCHANNELSLIDEATTRIBUTES(7, 1, 2, 3, 4)); }},
        {"BASSUSECHANNELGETPOSITION", [&] { return al.BASSUSECHANNELGETPOSITION(7); }},
        {"BASSCHANNELGETLEVELEX", [&] { return al.BASSCHANNELGETLEVELEX(7); }},
        {"BASSCHANNELPAUSE", [&] { return DWORD(al.BASSCHANNELPAUSE()); }},
        {"BASSCHANNELRESUME", [&] { return DWORD(al.BASSCHANNELRESUME()); }},
        {"BASSCHANNELSTOP", [&] { return DWORD(al.BASSCHANNELSTOP(7)); }},
        {"BASSCHANNELGETATTRIBUTES", [&] { return DWORD(al.BASSCHANNELGETATTRIBUTES(7, &frequency, &volume, &pan)); }},
        {"BASSCHANNELSETATTRIBUTES", [&] { al.BASSCHANNELSETATTRIBUTES(7, 1, 2, 3); return DWORD(0); }},
        {"BASSCHANNELGETDATA", [&] { return al.BASSCHANNELGETDATA(7, buffer, sizeof buffer); }},
        {"BASSSTREAMGETLENGTH", [&] { return al.BASSSTREAMGETLENGTH(7); }},
        {"BASSSTREAMFREE", [&] { al.BASSSTREAMFREE(7); return DWORD(0); }},
        {"BASSSTREAMCREATE", [&] { return al.BASSSTREAMCREATE(44100, 2, 0, buffer, 1); }},
        {"BASSSTREAMCREATEURL", [&] { return al.BASSSTREAMCREATEURL("http://host/a.mp3", 0, 0, al.DOWNLOADPROC, 0); }},
        {"BASSSTREAMCREATEFILE", [&] { return al.BASSSTREAMCREATEFILE(FALSE, "a.mp3", 0, 0, 0); }},
        {"BASSSTREAMCREATEFILEUSER", [&] { return al.BASSSTREAMCREATEFILEUSER(1, 2, 3, 4); }},
        {"BASSCHANNELISACTIVE", [&] { return al.BASSCHANNELISACTIVE(); }},
        {"BASSCHANNELGETPOSITION", [&] { return al.BASSCHANNELGETPOSITION(); }},
        {"BASSCHANNELSETPOSITION", [&] { return DWORD(al.BASSCHANNELSETPOSITION(5)); }},
        {"BASSCHANNELGETLEVEL", [&] { return al.BASSCHANNELGETLEVEL(); }},
    };
}

TEST_F(Frame, WithoutTheAudioLibraryEveryExportGivesItsDefault)
{
    DoublesOnSearchPath none("none");
    AudioLink al;
    ASSERT_NE(al.Handle(), nullptr) << "the library loads without BASS.DLL";
    EXPECT_FALSE(IsModuleLoaded("BASS.DLL"));

    EXPECT_EQ(al.BASSAVAILABLE(), 0);
    EXPECT_EQ(Take(al.BASSGETVERSION()), "");
    EXPECT_EQ(al.BASSERRORGETCODE(), 0);
    EXPECT_EQ(Take(al.BASSERRORDESCRIPTION(al.BASSERRORGETCODE())), "All is OK.");
    for (auto &[name, call] : LibraryCalls(al))
        EXPECT_EQ(call(), 0u) << name;
    al.BASSLOAD();
    al.BASSUNLOAD();
    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_PROCESS_DETACH, nullptr), TRUE);

    // The exports that need no audio library work as ever.
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(" x ")), "x");
    EXPECT_EQ(Take(al.BASSGETDOWNLOADPATH()), "");
    EXPECT_EQ(Take(al.BASSGETDOWNLOADEDFILE()), "");
    EXPECT_EQ(Take(al.BASSGETURLFILENAME()), "");
    al.DOWNLOADPROC("abc", 3, 0);
    al.DOWNLOADPROC(nullptr, 0, 0);
    EXPECT_TRUE(bassdouble::Calls().empty());
}

TEST_F(Frame, WithEntryPointsMissingEveryExportGivesItsDefault)
{
    DoublesOnSearchPath bare("bare");
    AudioLink al;
    EXPECT_TRUE(IsModuleLoaded("BASS.DLL"));
    EXPECT_EQ(Take(al.BASSGETVERSION()), "") << "no version entry point, no version";
    EXPECT_EQ(al.BASSAVAILABLE(), 0);
    EXPECT_EQ(al.BASSERRORGETCODE(), -1) << "loaded, but without BASS_ErrorGetCode";
    bassdouble::ClearCalls();
    for (auto &[name, call] : LibraryCalls(al))
        EXPECT_EQ(call(), 0u) << name;
    EXPECT_TRUE(bassdouble::Calls().empty());
}

TEST_F(Frame, VersionDecidesWhichAddOnsAreLoaded)
{
    struct Case {
        DWORD version;
        const char *text;
        int available;
        Names attached;
    } cases[] = {
        {Version(1, 8), "1.8", -1, {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL"}},
        {Version(2, 0), "2.0", -1, {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"}},
        // A minor of 10 reads as 1.1: nothing beyond the WMA add-on.
        {Version(1, 10), "1.10", -1, {"BASS.DLL", "BASSWMA.DLL"}},
        {Version(0, 9), "0.9", -1, {"BASS.DLL", "BASSWMA.DLL"}},
        {Version(0, 8), "0.8", 0, {"BASS.DLL", "BASSWMA.DLL"}},
        {Version(1, 7), "1.7", -1, {"BASS.DLL", "BASSWMA.DLL"}},
    };
    DoublesOnSearchPath full("full");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        bassdouble::Reset();
        bassdouble::SetResult("BASS_GetVersion", c.version);
        AudioLink al;
        EXPECT_EQ(Take(al.BASSGETVERSION()), c.text);
        EXPECT_EQ(al.BASSAVAILABLE(), c.available);
        Names attached;
        for (const bassdouble::CallRecord &call : bassdouble::Calls()) {
            if (call.entry == "(attach)")
                attached.push_back(call.module);
        }
        EXPECT_EQ(attached, c.attached) << "in load order";
        EXPECT_EQ(CallNames(EntryCalls()), Names{"BASS_GetVersion"});
    }
}

TEST_F(Frame, UnloadFreesOutputThenReleasesEveryModuleInOrder)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    bassdouble::ClearCalls();
    al.BASSUNLOAD();
    EXPECT_EQ(CallNames(bassdouble::Calls()),
              (Names{"BASS_Free", "(detach) BASS.DLL", "(detach) BASSWMA.DLL", "(detach) BASSENC.DLL",
                     "(detach) BASSCD.DLL", "(detach) BASS_VIS.DLL"}));
}

TEST_F(Frame, DetachingTheLibraryUnloadsTheAudioLibrary)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    bassdouble::ClearCalls();
    al.Unload();
    // Modules released inside a detach are unloaded when the loader is done
    // with the outer one, in the loader's own order.
    std::vector<bassdouble::CallRecord> calls = bassdouble::Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].entry, "BASS_Free");
    Names detached;
    for (const bassdouble::CallRecord &call : calls) {
        if (call.entry == "(detach)")
            detached.push_back(call.module);
    }
    std::sort(detached.begin(), detached.end());
    EXPECT_EQ(detached, (Names{"BASS.DLL", "BASSCD.DLL", "BASSENC.DLL", "BASSWMA.DLL", "BASS_VIS.DLL"}));
}

TEST_F(Frame, LoadingAgainKeepsOneReferenceToEachModule)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    al.BASSLOAD();
    al.BASSLOAD();
    EXPECT_EQ(Take(al.BASSGETVERSION()), "2.0");
    al.BASSUNLOAD();
    for (const char *module : {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"})
        EXPECT_FALSE(IsModuleLoaded(module)) << module << " outlived BASSUNLOAD";
    EXPECT_EQ(Take(al.BASSGETVERSION()), "") << "no module, no version";
    EXPECT_EQ(al.BASSAVAILABLE(), 0);

    bassdouble::ClearCalls();
    al.BASSUNLOAD();
    EXPECT_TRUE(bassdouble::Calls().empty()) << "a second unload does nothing";
}

TEST_F(Frame, AVersionIsKeptWhenTheNextLoadFindsNone)
{
    AudioLink al;
    {
        DoublesOnSearchPath full("full");
        al.BASSLOAD();
        EXPECT_EQ(Take(al.BASSGETVERSION()), "2.0");
        al.BASSUNLOAD();
    }
    DoublesOnSearchPath bare("bare");
    bassdouble::ClearCalls();
    al.BASSLOAD();
    EXPECT_EQ(Take(al.BASSGETVERSION()), "2.0");
    EXPECT_EQ(al.BASSAVAILABLE(), -1);
    EXPECT_TRUE(IsModuleLoaded("BASS_VIS.DLL")) << "the kept version still brings every add-on";
    char path[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("BASS.DLL"), path, MAX_PATH);
    EXPECT_NE(strstr(path, "bare"), nullptr) << path;
}

// A reload keeps only what it loads itself. A version that takes fewer
// add-ons leaves the others released; a library gone from under the bridge
// (here the test frees the bridge's reference, and nothing is left on the
// search path) ends the earlier load as an unload does.
TEST_F(Frame, AReloadKeepsOnlyWhatItLoads)
{
    AudioLink al;
    {
        DoublesOnSearchPath full("full");
        al.BASSLOAD();
        ASSERT_TRUE(IsModuleLoaded("BASS_VIS.DLL"));
        bassdouble::SetResult("BASS_GetVersion", Version(1, 7));
        al.BASSLOAD();
        EXPECT_TRUE(IsModuleLoaded("BASSWMA.DLL"));
        for (const char *module : {"BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"})
            EXPECT_FALSE(IsModuleLoaded(module)) << module << " kept from the earlier load";
    }
    ASSERT_TRUE(FreeLibrary(GetModuleHandleA("BASS.DLL")));
    ASSERT_FALSE(IsModuleLoaded("BASS.DLL"));
    DoublesOnSearchPath none("none");
    al.BASSLOAD();
    EXPECT_EQ(al.BASSAVAILABLE(), 0);
    EXPECT_FALSE(IsModuleLoaded("BASSWMA.DLL")) << "an add-on outlived the library it serves";
    bassdouble::ClearCalls();
    al.BASSUNLOAD();
    EXPECT_TRUE(bassdouble::Calls().empty());
}

TEST_F(Frame, MissingAddOnsAreLeftOutQuietly)
{
    DoublesOnSearchPath bassOnly("bass-only");
    AudioLink al;
    EXPECT_EQ(CallNames(bassdouble::Calls()), (Names{"(attach) BASS.DLL", "BASS_GetVersion"}));
    EXPECT_EQ(al.BASSAVAILABLE(), -1);
}

TEST_F(Frame, DllMainExportLoadsOnAttachAndUnloadsOnDetachOnly)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    bassdouble::ClearCalls();
    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_EQ(al.DLLMAIN(al.Handle(), 77, nullptr), TRUE);
    EXPECT_TRUE(bassdouble::Calls().empty());

    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_FALSE(IsModuleLoaded("BASS.DLL"));
    EXPECT_EQ(al.DLLMAIN(al.Handle(), DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_TRUE(IsModuleLoaded("BASS_VIS.DLL"));
    EXPECT_EQ(al.BASSAVAILABLE(), -1);
}

TEST_F(Frame, StringFromPointerTrimsBlanksWithinTheFirst259Bytes)
{
    DoublesOnSearchPath none("none");
    AudioLink al;
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR("  abc  ")), "abc");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(nullptr)), "");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR("")), "");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR("   ")), "");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR("a \t b")), "a \t b");

    std::string longText = std::string(258, ' ') + "abcdef";
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(longText.c_str())), "a");
    std::string letters(400, 'x');
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(letters.c_str())), std::string(259, 'x'));

    // The text may end at the last readable byte: nothing beyond is read.
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    char *pages = static_cast<char *>(VirtualAlloc(nullptr, 2 * system.dwPageSize,
                                                   MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old));
    char *text = pages + system.dwPageSize - 4;
    memcpy(text, " ok", 4);
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(text)), "ok");
    // A wrong pointer gives what can be read, never a fault: a text that
    // runs into an unreadable page without its terminator stops there, and
    // an address in no readable memory gives the empty text.
    memcpy(text, "unto", 4);
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(text)), "unto");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(pages + system.dwPageSize)), "");
    EXPECT_EQ(Take(al.BASSSTRINGFROMPTR(reinterpret_cast<const char *>(16))), "");
    VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(Frame, ErrorCodeComesFromTheLibrary)
{
    DoublesOnSearchPath full("full");
    AudioLink al;
    bassdouble::SetResult("BASS_ErrorGetCode", 33);
    EXPECT_EQ(al.BASSERRORGETCODE(), 33);
    bassdouble::SetResult("BASS_ErrorGetCode", 0xFFFFFFFFu);
    EXPECT_EQ(al.BASSERRORGETCODE(), -1);
    EXPECT_EQ(bassdouble::CallsOf("BASS_ErrorGetCode").size(), 2u);
}

TEST_F(Frame, EveryCodeHasItsSentenceAndNoOtherCodeHasOne)
{
    const std::pair<DWORD, const char *> table[] = {
        {0, "All is OK."},
        {1, "Memory Error."},
        {2, "Can't Open the File."},
        {3, "Can't Find a Free Sound Driver."},
        {4, "The Sample Buffer Was Lost - Please Report This!"},
        {5, "Invalid Handle."},
        {6, "Unsupported Format."},
        {7, "Invalid Playback Position."},
        {8, "BASS_Init Has Not Been Successfully Called."},
        {9, "BASS_Start Has Not Been Successfully Called."},
        {14, "Already Initialized."},
        {16, "Not Paused."},
        {17, "Not An Audio Track."},
        {18, "Can't Get a Free Channel."},
        {19, "An Illegal TYPE Was Specified."},
        {20, "An Illegal Parameter Was Specified."},
        {21, "No 3D Support."},
        {22, "No EAX Support."},
        {23, "Illegal Device Number."},
        {24, "Not Playing."},
        {25, "Illegal Sample Rate."},
        {27, "The Stream is Not a File Stream."},
        {29, "No Hardware Voices Available."},
        {30, "Synchronizers have been disabled."},
        {31, "The MOD music has no sequence data."},
        {32, "No internet connection could be opened."},
        {33, "Couldn't create the file."},
        {34, "Effects are not available."},
        {35, "The channel is playing."},
        {37, "Requested data is not available."},
        {38, "The channel is a 'decoding channel'."},
        {39, "A sufficient DirectX version is not installed."},
        {40, "Connection timedout."},
        {41, "Unsupported file format."},
        {42, "Unavailable speaker."},
        {0xFFFFFFFFu, "Some Other Mystery Error."},
    };
    DoublesOnSearchPath none("none");
    AudioLink al;
    for (const auto &[code, sentence] : table)
        EXPECT_EQ(Take(al.BASSERRORDESCRIPTION(code)), sentence) << code;
    for (DWORD code : {10u, 11u, 12u, 13u, 15u, 26u, 28u, 36u, 43u, 1000u, 0x80000000u, 0xFFFFFFFEu})
        EXPECT_EQ(Take(al.BASSERRORDESCRIPTION(code)), "") << code;
}

} // namespace
