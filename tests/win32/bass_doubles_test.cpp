// The test doubles themselves, loaded directly: each variant exports what
// it claims, a call is recorded word for word, and the procedures handed
// over run on the double's own thread.
#include "audiolink_test_support.h"

#include <set>

namespace {

using namespace altest;

#define AS_TEXT(name) #name,
const std::vector<std::vector<std::string>> FamilyEntryPoints = {
    {BASS_ENTRY_POINTS(AS_TEXT)},   {BASSWMA_ENTRY_POINTS(AS_TEXT)}, {BASSENC_ENTRY_POINTS(AS_TEXT)},
    {BASSCD_ENTRY_POINTS(AS_TEXT)}, {BASSVIS_ENTRY_POINTS(AS_TEXT)},
};
#undef AS_TEXT
const char *const FamilyModules[] = {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"};

// A double loaded from its variant's folder by full path.
class Double {
public:
    Double(const char *variant, const char *module)
        : module_(LoadLibraryA((DoublesFolder(variant) + "\\" + module).c_str()))
    {
    }
    ~Double()
    {
        if (module_)
            FreeLibrary(module_);
    }
    Double(const Double &) = delete;
    Double &operator=(const Double &) = delete;
    HMODULE Handle() const { return module_; }
    template <typename Pointer> Pointer Entry(const char *name) const
    {
        return reinterpret_cast<Pointer>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

TEST(BassDoubles, VariantsExportTheirEntryPoints)
{
    for (size_t m = 0; m < 5; ++m) {
        Double full("full", FamilyModules[m]);
        Double bare("bare", FamilyModules[m]);
        ASSERT_NE(full.Handle(), nullptr) << FamilyModules[m];
        ASSERT_NE(bare.Handle(), nullptr) << FamilyModules[m];
        for (const std::string &name : FamilyEntryPoints[m]) {
            EXPECT_NE(GetProcAddress(full.Handle(), name.c_str()), nullptr) << FamilyModules[m] << " " << name;
            EXPECT_EQ(GetProcAddress(bare.Handle(), name.c_str()), nullptr) << FamilyModules[m] << " " << name;
        }
    }
    EXPECT_EQ(ScratchFolder::Names(DoublesFolder("bass-only")), std::vector<std::string>{"BASS.DLL"});
    EXPECT_EQ(ScratchFolder::Names(DoublesFolder("none")), std::vector<std::string>{});
}

// The check at each audio program's start finds a module of the family
// that another program put on PATH, quoted or not, and nothing once it is
// gone; the module itself is not loaded for it.
TEST(BassDoubles, AnotherAudioLibraryOnThePathIsNamed)
{
    std::vector<char> saved(GetEnvironmentVariableA("PATH", nullptr, 0) + 1);
    GetEnvironmentVariableA("PATH", saved.data(), DWORD(saved.size()));
    EXPECT_EQ(OtherAudioModules(), "") << "this machine's own search path";

    ScratchFolder other;
    ASSERT_TRUE(WriteWholeFile(other / "BASSCD.DLL", "not a module"));
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", (std::string(saved.data()) + ";;\"" + other.Path() + "\"").c_str()));
    EXPECT_EQ(OtherAudioModules(), other / "BASSCD.DLL" + "\n");
    EXPECT_FALSE(IsModuleLoaded("BASSCD.DLL"));
    ASSERT_TRUE(DeleteFileA((other / "BASSCD.DLL").c_str()));
    CreateDirectoryA((other / "BASS.DLL").c_str(), nullptr);
    EXPECT_EQ(OtherAudioModules(), "") << "a folder of that name is no module";
    SetEnvironmentVariableA("PATH", saved.data());
}

TEST(BassDoubles, RecordCallsAndAnswerAsScripted)
{
    bassdouble::Reset();
    Double bass("full", "BASS.DLL");
    auto getVersion = bass.Entry<BASS_GetVersion_t>("BASS_GetVersion");
    auto musicLoad = bass.Entry<BASS_MusicLoad_t>("BASS_MusicLoad");
    auto getPosition = bass.Entry<BASS_ChannelGetPosition_t>("BASS_ChannelGetPosition");
    auto setEax = bass.Entry<BASS_SetEAXParameters_t>("BASS_SetEAXParameters");
    ASSERT_TRUE(getVersion && musicLoad && getPosition && setEax);

    EXPECT_EQ(getVersion(), 2u) << "2.0 unless scripted";
    bassdouble::SetResult("BASS_GetVersion", 0x000A0001);
    EXPECT_EQ(getVersion(), 0x000A0001u);
    bassdouble::SetResult("BASS_MusicLoad", 321);
    EXPECT_EQ(musicLoad(FALSE, "song.xm", 1, 2, 0x20200, 0), 321u);
    bassdouble::SetResult("BASS_ChannelGetPosition", 0x123456789ull);
    EXPECT_EQ(getPosition(5), 0x123456789ull);
    EXPECT_EQ(setEax(3, 0.5f, 1.0f, 2.0f), FALSE);

    std::vector<bassdouble::CallRecord> calls = bassdouble::Calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(CallNames(calls), (std::vector<std::string>{"(attach) BASS.DLL", "BASS_GetVersion", "BASS_GetVersion",
                                                          "BASS_MusicLoad", "BASS_ChannelGetPosition",
                                                          "BASS_SetEAXParameters"}));
    EXPECT_EQ(calls[3].args[0], 0u);
    EXPECT_EQ(calls[3].args.size(), 6u);
    EXPECT_EQ(calls[3].args[5], 0u);
    EXPECT_TRUE(calls[3].texts.empty()) << "the file is an address: of a name or of the data";
    EXPECT_EQ(calls[3].thread, GetCurrentThreadId());
    EXPECT_EQ(calls[5].args, (std::vector<bassdouble::ArgWord>{3, FloatBits(0.5f), FloatBits(1.0f), FloatBits(2.0f)}));
}

struct DspSeen {
    DWORD dsp = 0, channel = 0, length = 0;
    DWORD_PTR user = 0;
    DWORD thread = 0;
    void *buffer = nullptr;
} Seen;

void __stdcall SeeDsp(DWORD dsp, DWORD channel, void *buffer, DWORD length, DWORD_PTR user)
{
    Seen = {dsp, channel, length, user, GetCurrentThreadId(), buffer};
    static_cast<short *>(buffer)[0] = -1;
}

struct DownloadSeen {
    std::vector<std::string> blocks;
    int ends = 0;
    std::set<DWORD> threads;
} Downloaded;

void __stdcall SeeDownload(const void *block, DWORD length, DWORD_PTR user)
{
    Downloaded.threads.insert(GetCurrentThreadId());
    if (block)
        Downloaded.blocks.emplace_back(static_cast<const char *>(block), length);
    else
        ++Downloaded.ends;
}

TEST(BassDoubles, RunHandedOverProceduresOnTheirOwnThread)
{
    bassdouble::Reset();
    Double bass("full", "BASS.DLL");
    EXPECT_EQ(bassdouble::RunDsp(nullptr, 0), nullptr) << "no procedure handed over yet";
    EXPECT_EQ(bassdouble::DeliverDownload("", nullptr, 0, TRUE), nullptr);

    bassdouble::SetResult("BASS_ChannelSetDSP", 44);
    auto setDsp = bass.Entry<BASS_ChannelSetDSP_t>("BASS_ChannelSetDSP");
    EXPECT_EQ(setDsp(12, SeeDsp, 99, 0), 44u);
    short samples[4] = {1, 2, 3, 4};
    WaitAndClose(bassdouble::RunDsp(samples, sizeof samples));
    EXPECT_EQ(Seen.dsp, 44u);
    EXPECT_EQ(Seen.channel, 12u);
    EXPECT_EQ(Seen.buffer, samples);
    EXPECT_EQ(Seen.length, sizeof samples);
    EXPECT_EQ(Seen.user, 99u);
    EXPECT_NE(Seen.thread, GetCurrentThreadId());
    EXPECT_EQ(samples[0], -1);

    auto createUrl = bass.Entry<BASS_StreamCreateURL_t>("BASS_StreamCreateURL");
    createUrl("http://host/a.mp3", 0, 0, SeeDownload, 7);
    EXPECT_EQ(bassdouble::CallsOf("BASS_StreamCreateURL").at(0).texts, std::vector<std::string>{"http://host/a.mp3"});
    const DWORD lengths[] = {2, 0, 3};
    WaitAndClose(bassdouble::DeliverDownload("ab\0de", lengths, 3, TRUE));
    EXPECT_EQ(Downloaded.blocks, (std::vector<std::string>{"ab", "", std::string("\0de", 3)}));
    EXPECT_EQ(Downloaded.ends, 1);
    EXPECT_EQ(Downloaded.threads.size(), 1u);
    EXPECT_EQ(Downloaded.threads.count(GetCurrentThreadId()), 0u);
}

} // namespace
