// Random sequences of valid calls into audiolink.dll, loaded by name as a
// host loads it, over the scriptable doubles of the audio library (and now
// and then the rendering engine). Each step scripts the doubles' answers
// (a fresh handle for every creating entry point, success, or an injected
// failure), makes one call a host could make, and says what it expects.
//
// The model holds what a host can see: what was opened and of which kind,
// the current channel and its media kind, the rack's slots, the dialog's
// boxes and bars, the names, the saved copies. The doubles' record gives
// the channels, effects and DSPs alive in the audio library (a ledger kept
// as the library keeps them: freeing a channel frees its effects,
// BASS_Free frees everything); after every step it must equal the set the
// model says is alive, so a channel or effect left behind, or freed too
// soon, shows at the step that did it. Over the engine, which keeps its
// own handles, the handles are learnt and asked after instead.
#include "audiolink.h"

#include "bass_double.h"
#include "effects_dialog.h"
#include "sequence_driver.h"
#include "temp_folder.h"
#include "whole_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using sequence::Draw;
using sequence::Expect;

#define AL_EXPORTS(X)                                                                                    \
    X(BASSLOAD) X(BASSUNLOAD) X(BASSAVAILABLE) X(BASSGETVERSION) X(BASSSTRINGFROMPTR) X(BASSCLOSE)      \
    X(BASSOPEN) X(BASSPLAY) X(BASSMEDIATYPE) X(BASSMEDIAGETLENGTH) X(BASSHANDLEINUSE) X(BASSMUSICNAME)  \
    X(BASSSTREAMNAME) X(BASSCLOSECHANNEL) X(BASSSTREAMDECODEFILE) X(BASSFREE) X(BASSSTOP) X(BASSPAUSE)  \
    X(BASS_GETCONFIG) X(BASSCHANNELGETDEVICE) X(BASSUSECHANNELISACTIVE) X(BASSCHANNELISACTIVE)          \
    X(BASSCHANNELSLIDEATTRIBUTES) X(BASSUSECHANNELGETPOSITION) X(BASSCHANNELGETPOSITION)                \
    X(BASSCHANNELSETPOSITION) X(BASSCHANNELGETLEVELEX) X(BASSCHANNELGETLEVEL) X(BASSCHANNELPAUSE)       \
    X(BASSCHANNELRESUME) X(BASSCHANNELSTOP) X(BASSCHANNELSETATTRIBUTES) X(BASSCHANNELGETDATA)           \
    X(BASSSTREAMGETLENGTH) X(BASSSTREAMFREE) X(BASSSTREAMCREATEFILE) X(BASSERRORGETCODE)                \
    X(BASSERRORDESCRIPTION) X(BASSSTREAMSAVE) X(BASSSETDOWNLOADPATH) X(BASSGETDOWNLOADPATH)             \
    X(BASSGETDOWNLOADEDFILE) X(BASSGETURLFILENAME) X(BASSFXWINDOW) X(BASSUPDATEEQ) X(BASSRESETEQ)       \
    X(BASSUPDATEREVERB) X(BASSUPDATECHORUS) X(BASSUPDATEFLANGER) X(BASSUPDATEECHO) X(BASSUPDATEROTATE)  \
    X(BASSREMOVEFX) X(BASSFXCHANNEL) X(BASSFXGETPARAMETERS) X(BASSVISFINDPLUGINS) X(BASSVISGETCONFIG)   \
    X(BASSCDGETDRIVEDESCRIPTION) X(BASSCDGETDRIVELETTER) X(BASSCDDOOR) X(BASSCDDOORISOPEN)              \
    X(BASSCDDOORISLOCKED) X(BASSCDISREADY) X(BASSCDGETTRACKS) X(BASSCDGETTRACKLENGTH)                   \
    X(BASSCDSTREAMCREATE) X(BASSCDSTREAMGETTRACK) X(BASSRECORDINIT) X(BASSRECORDGETINPUT)              \
    X(BASSRECORDGETINPUTNAME) X(BASSRECORDGETDEVICEDESCRIPTION) X(BASSWMAENCODEGETPORT)                \
    X(BASSWMAENCODEGETCLIENTS) X(BASSENCODEISACTIVE) X(BASSENCODESTOP)      \
    X(DOWNLOADPROC)

struct Exports {
#define AL_MEMBER(name) decltype(&::name) name = nullptr;
    AL_EXPORTS(AL_MEMBER)
#undef AL_MEMBER

    // The first export the module lacks, or null.
    const char *Resolve(HMODULE module)
    {
#define AL_RESOLVE(name)                                                                       \
    name = reinterpret_cast<decltype(name)>(reinterpret_cast<void *>(GetProcAddress(module, #name))); \
    if (!name)                                                                                 \
        return #name;
        AL_EXPORTS(AL_RESOLVE)
#undef AL_RESOLVE
        return nullptr;
    }
};

std::string Take(BSTR text)
{
    std::string bytes;
    if (text) {
        bytes.assign(reinterpret_cast<const char *>(text), SysStringByteLen(text));
        SysFreeString(text);
    }
    return bytes;
}

BSTR ByteString(const std::string &bytes)
{
    return SysAllocStringByteLen(bytes.data(), UINT(bytes.size()));
}

// Whether the module is loaded, once the threads that hold it (the
// engine's mixer) have had a moment to leave.
bool StaysLoaded(const char *name, bool expected)
{
    for (int wait = 0; wait < 500 && (GetModuleHandleA(name) != nullptr) != expected; ++wait)
        Sleep(10);
    return (GetModuleHandleA(name) != nullptr) == expected;
}

std::string Hex(ULONGLONG value)
{
    char text[24];
    wsprintfA(text, "0x%lx", DWORD(value));
    return text;
}

// ---- The audio library's modules ------------------------------------------

enum Holder { Bass, Wma, Enc, Cd, Vis, Holders };
const char *const ModuleNames[Holders] = {"BASS.DLL", "BASSWMA.DLL", "BASSENC.DLL", "BASSCD.DLL", "BASS_VIS.DLL"};

// A folder the audio library is loaded from: a variant of the doubles, or
// the rendering engine.
struct Variant {
    const char *name;
    const char *folder; // under the build tree
    unsigned modules;   // bit per Holder present in the folder
    bool bare;          // no entry points at all
    const char *without[2];
    bool engine;
};

constexpr unsigned AllModules = 0x1F;
constexpr unsigned PlayModules = (1u << Bass) | (1u << Wma) | (1u << Cd);
const Variant Variants[] = {
    {"full", "doubles\\full", AllModules, false, {}, false},
    {"bass-only", "doubles\\bass-only", 1u << Bass, false, {}, false},
    {"bare", "doubles\\bare", AllModules, true, {}, false},
    {"none", "doubles\\none", 0, false, {}, false},
    {"no-start", "doubles\\no-start", PlayModules, false, {"BASS_Start"}, false},
    {"no-play", "doubles\\no-play", PlayModules, false, {"BASS_StreamPlay", "BASS_MusicPlayEx"}, false},
    {"engine", "engine", 1u << Bass, false, {}, true},
};

// BASS_GetVersion's answers: major in the low word. Ten times the version
// number, by which the add-ons are loaded.
struct Version {
    DWORD word;
    const char *text;
    int tenths;
};
const Version Versions[] = {
    {2, "2.0", 20}, {2, "2.0", 20}, {8u << 16 | 1, "1.8", 18}, {1u << 16 | 1, "1.1", 11},
    {1, "1.0", 10}, {9u << 16, "0.9", 9}, {8u << 16, "0.8", 8},
};

// ---- The media a host opens -------------------------------------------------

enum Kind { NoKind = 0, Music = 1, Stream = 3, CdTrack = 4, WindowsMedia = 5, BadName = -2 };

struct Media {
    std::string name;      // as handed to BASSOPEN
    Kind kind;
    bool network;
    std::string musicName; // what BASSOPEN finds
    std::string streamName;
    std::string copyName;  // the saved copy's name; empty: none is made
};

// An ID3v1 tag with a title alone (the other fields blank).
std::string TitleTag(const std::string &title)
{
    std::string tag = "TAG" + title;
    tag.resize(128, ' ');
    return tag;
}

// A PCM WAVE file of 16-bit stereo silence at 44100 Hz.
std::string WaveFile(DWORD dataBytes)
{
    auto word = [](DWORD value, int bytes) {
        std::string text;
        for (int n = 0; n < bytes; ++n)
            text += char((value >> (8 * n)) & 0xFF);
        return text;
    };
    return "RIFF" + word(36 + dataBytes, 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(2, 2) + word(44100, 4) +
           word(44100 * 4, 4) + word(4, 2) + word(16, 2) + "data" + word(dataBytes, 4) +
           std::string(dataBytes, '\0');
}

constexpr DWORD ToneBytes = 44100;
constexpr int ToneMedia = 7; // the one file the engine plays
constexpr DWORD Fresh = 0xFFFFFFFF; // a handle the engine gives, learnt at the next check

// The equalizer's gain at the track positions the host uses.
const int TrackPositions[] = {0, 1, 2, 49, 50, 51, 98, 99, 100};
const int TrackGains[] = {-15, -15, -14, 0, 0, 0, 14, 15, 15};
int GainAt(int position)
{
    for (size_t n = 0; n < std::size(TrackPositions); ++n)
        if (TrackPositions[n] == position)
            return TrackGains[n];
    return 0;
}

const int EffectBoxes[] = {13, 14, 15, 16, 17};

// ---- The audio library's objects, as its record shows them --------------------

using Pairs = std::multiset<std::pair<DWORD, DWORD>>; // (channel, effect or DSP)

struct Alive {
    std::map<DWORD, bool> channels; // handle -> music module
    Pairs fx, dsp;

    void Free(DWORD channel)
    {
        channels.erase(channel);
        for (Pairs *pairs : {&fx, &dsp})
            for (auto at = pairs->begin(); at != pairs->end();)
                at = at->first == channel ? pairs->erase(at) : std::next(at);
    }
    void Add(Pairs &pairs, DWORD channel, DWORD handle)
    {
        if (handle && channels.count(channel))
            pairs.insert({channel, handle});
    }
    // Taking off what is not on the channel does nothing, as in the library.
    static bool Remove(Pairs &pairs, DWORD channel, DWORD handle)
    {
        auto at = pairs.find({channel, handle});
        if (at == pairs.end())
            return false;
        pairs.erase(at);
        return true;
    }
    void Clear() { *this = Alive{}; }
    bool operator==(const Alive &other) const
    {
        return channels == other.channels && fx == other.fx && dsp == other.dsp;
    }
    std::string Describe() const
    {
        std::string text = "channels";
        for (auto &[handle, music] : channels)
            text += " " + Hex(handle) + (music ? "(music)" : "");
        text += "; effects";
        for (auto &[channel, handle] : fx)
            text += " " + Hex(channel) + ":" + Hex(handle);
        text += "; dsps";
        for (auto &[channel, handle] : dsp)
            text += " " + Hex(channel) + ":" + Hex(handle);
        return text;
    }
};

const char *const StreamCreators[] = {"BASS_StreamCreateFile", "BASS_StreamCreateURL",   "BASS_CD_StreamCreate",
                                      "BASS_WMA_StreamCreateFile", "BASS_StreamCreate"};

// ---- Pass-through exports ----------------------------------------------------------

enum class Target {
    Plain,          // the argument goes as it is
    ZeroIsCurrent,  // 0 = current; no call while that is 0
    ZeroIsCurrentAlways,
    Current,        // the current channel; no call while there is none
    CurrentAlways,
    NoCallForZero,
    NoChannel,
};
enum class Answer { Same, FailureAsZero, Boolean, None, ErrorCode };

struct PassThrough {
    const char *entry;
    Holder holder;
    Target target;
    Answer answer;
    DWORD (*call)(const Exports &, DWORD value);
};

char DataBuffer[64];

const PassThrough PassThroughs[] = {
    {"BASS_ChannelGetDevice", Bass, Target::ZeroIsCurrent, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSCHANNELGETDEVICE(v); }},
    {"BASS_ChannelIsActive", Bass, Target::ZeroIsCurrent, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSUSECHANNELISACTIVE(v); }},
    {"BASS_ChannelIsActive", Bass, Target::Current, Answer::Same,
     [](const Exports &e, DWORD) { return e.BASSCHANNELISACTIVE(); }},
    {"BASS_ChannelSlideAttributes", Bass, Target::ZeroIsCurrentAlways, Answer::Same,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSCHANNELSLIDEATTRIBUTES(v, -1, 50, -101, 100)); }},
    {"BASS_ChannelGetPosition", Bass, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSUSECHANNELGETPOSITION(v); }},
    {"BASS_ChannelGetPosition", Bass, Target::Current, Answer::FailureAsZero,
     [](const Exports &e, DWORD) { return e.BASSCHANNELGETPOSITION(); }},
    {"BASS_ChannelSetPosition", Bass, Target::Current, Answer::Same,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSCHANNELSETPOSITION(v)); }},
    {"BASS_ChannelGetLevel", Bass, Target::NoCallForZero, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSCHANNELGETLEVELEX(v); }},
    {"BASS_ChannelGetLevel", Bass, Target::Current, Answer::Same,
     [](const Exports &e, DWORD) { return e.BASSCHANNELGETLEVEL(); }},
    {"BASS_ChannelPause", Bass, Target::CurrentAlways, Answer::Same,
     [](const Exports &e, DWORD) { return DWORD(e.BASSCHANNELPAUSE()); }},
    {"BASS_ChannelResume", Bass, Target::CurrentAlways, Answer::Same,
     [](const Exports &e, DWORD) { return DWORD(e.BASSCHANNELRESUME()); }},
    {"BASS_ChannelStop", Bass, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSCHANNELSTOP(v)); }},
    {"BASS_ChannelSetAttributes", Bass, Target::ZeroIsCurrentAlways, Answer::None,
     [](const Exports &e, DWORD v) { e.BASSCHANNELSETATTRIBUTES(v, -1, 100, 0); return DWORD(0); }},
    {"BASS_ChannelGetData", Bass, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSCHANNELGETDATA(v, DataBuffer, sizeof DataBuffer); }},
    {"BASS_StreamGetLength", Bass, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSSTREAMGETLENGTH(v); }},
    {"BASS_Stop", Bass, Target::NoChannel, Answer::Same, [](const Exports &e, DWORD) { return DWORD(e.BASSSTOP()); }},
    {"BASS_Pause", Bass, Target::NoChannel, Answer::Same, [](const Exports &e, DWORD) { return DWORD(e.BASSPAUSE()); }},
    {"BASS_GetConfig", Bass, Target::Plain, Answer::Same, [](const Exports &e, DWORD v) { return e.BASS_GETCONFIG(v); }},
    {"BASS_ErrorGetCode", Bass, Target::NoChannel, Answer::ErrorCode,
     [](const Exports &e, DWORD) { return DWORD(e.BASSERRORGETCODE()); }},
    {"BASS_RecordInit", Bass, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSRECORDINIT(int(v))); }},
    {"BASS_RecordGetInput", Bass, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSRECORDGETINPUT(int(v)); }},
    {"BASS_CD_GetDriveLetter", Cd, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSCDGETDRIVELETTER(v); }},
    {"BASS_CD_Door", Cd, Target::Plain, Answer::Same, [](const Exports &e, DWORD v) { return DWORD(e.BASSCDDOOR(v, 1)); }},
    {"BASS_CD_DoorIsOpen", Cd, Target::Plain, Answer::Boolean,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSCDDOORISOPEN(v)); }},
    {"BASS_CD_DoorIsLocked", Cd, Target::Plain, Answer::Boolean,
     [](const Exports &e, DWORD v) { return DWORD(e.BASSCDDOORISLOCKED(v)); }},
    {"BASS_CD_IsReady", Cd, Target::Plain, Answer::Same, [](const Exports &e, DWORD v) { return DWORD(e.BASSCDISREADY(v)); }},
    {"BASS_CD_GetTracks", Cd, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSCDGETTRACKS(v); }},
    {"BASS_CD_GetTrackLength", Cd, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSCDGETTRACKLENGTH(v, 2); }},
    {"BASS_CD_StreamGetTrack", Cd, Target::Plain, Answer::FailureAsZero,
     [](const Exports &e, DWORD v) { return e.BASSCDSTREAMGETTRACK(v); }},
    {"BASS_VIS_GetConfig", Vis, Target::Plain, Answer::Same, [](const Exports &e, DWORD v) { return e.BASSVISGETCONFIG(v); }},
    {"BASS_Encode_IsActive", Enc, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSENCODEISACTIVE(v); }},
    {"BASS_Encode_Stop", Enc, Target::Plain, Answer::Same, [](const Exports &e, DWORD v) { return DWORD(e.BASSENCODESTOP(v)); }},
    {"BASS_WMA_EncodeGetPort", Wma, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSWMAENCODEGETPORT(v); }},
    {"BASS_WMA_EncodeGetClients", Wma, Target::Plain, Answer::Same,
     [](const Exports &e, DWORD v) { return e.BASSWMAENCODEGETCLIENTS(v); }},
};

// ---- The tester ---------------------------------------------------------------------

class AudioLinkTester final : public sequence::Tester {
public:
    AudioLinkTester();
    ~AudioLinkTester() override;
    std::string Step(Draw &draw) override;
    void Check() override;
    void Finish() override;

private:
    // The module and the audio library.
    std::string LoadModule(Draw &draw);
    std::string UnloadModule(Draw &);
    std::string CycleLibrary(Draw &draw);
    void ModelLoad(const Variant &variant, const Version &version);
    void ModelUnload();
    bool Has(Holder holder, const char *entry) const;
    // Steps.
    std::string Open(Draw &draw);
    std::string Play(Draw &draw);
    std::string Close(Draw &draw);
    std::string CallThrough(Draw &draw);
    std::string ChangeDialog(Draw &draw);
    std::string RegisterDialog(Draw &draw);
    std::string UpdateRack(Draw &draw);
    std::string ResetOrRemove(Draw &draw);
    std::string ChangeSaving(Draw &draw);
    std::string DeliverDownload(Draw &draw);
    std::string HostStreams(Draw &draw);
    std::string FreeEverything(Draw &);
    std::string AddOnTexts(Draw &draw);
    std::string SearchAndTexts(Draw &draw);
    std::string RunRotate(Draw &draw);
    // The model.
    int ModelOpen(const Media &media);
    int ModelPlay();
    DWORD NetworkStream();
    DWORD NewEffect(bool dsp);
    void RemoveEffect(bool dsp, DWORD channel, DWORD handle);
    int ModelStart(Kind kind, DWORD channel, bool effects, int engineError = 0);
    int ModelClose(DWORD channel);
    void ModelUpdateBand(int band);
    void ModelUpdateEffect(int box);
    void ModelRemoveRack(DWORD channel);
    void ApplyEffects();
    void Disarm();
    void CopyBlock(const std::string &bytes, bool end);
    int ErrorCode() const;
    DWORD Answered(const char *entry) const;
    // The doubles' script and record.
    void Script(const char *entry, ULONGLONG value);
    void ScriptStep(Draw &draw);
    void Absorb();
    void Learn();
    bool OverEngine() const { return loaded_[Bass] && variant_->engine; }
    DWORD CurrentOr(DWORD channel) const { return channel ? channel : current_; }
    DWORD PickChannel(Draw &draw) const;
    HWND Dialog();

    std::string startFolder_, scratch_, plugins_, downloads_;
    std::vector<Media> media_;
    std::string expectedPlugins_;

    HMODULE module_ = nullptr;
    Exports al_;
    const Variant *variant_ = nullptr; // where the loaded audio library came from
    bool loaded_[Holders] = {};
    std::string versionText_;           // the module's, kept over loads without a version
    DWORD versionWord_ = 2;              // what the doubles answer

    std::map<std::string, ULONGLONG> script_;
    std::set<DWORD> knownFx_; // effects whose parameters the doubles keep
    DWORD nextHandle_ = 0x100;
    int sinceReset_ = 0;
    bool modulesChanged_ = false;
    bool mixedTypes_ = false;
    Alive ledger_;

    // The model.
    Alive alive_;
    Kind pending_ = NoKind;
    bool pendingNetwork_ = false;
    std::string pendingCopy_;
    std::string pendingPath_;
    DWORD current_ = 0;
    Kind currentKind_ = NoKind;
    int mediaType_ = 0;
    bool engineReady_ = false;
    std::string musicName_, streamName_, url_, downloaded_;
    struct {
        bool present = false;
        DWORD slot[18] = {};
    } rack_;
    std::unique_ptr<altest::EffectsDialog> dialog_;
    bool registered_ = false;
    bool box_[18] = {};
    bool removed_[18] = {};
    int track_[11] = {};
    DWORD save_ = 0;
    std::string folder_;
    // The local copy of the network stream played last.
    bool armed_ = false, opened_ = false, copiesChanged_ = false;
    std::string armedPath_;
    std::map<std::string, std::string> copies_; // path -> what it must hold once closed
    DWORD urlStream_ = 0;                       // still downloading, while alive
    std::map<DWORD, DWORD_PTR> urlUsers_;       // the user value each network stream was made with
    // Over the engine: handles it freed, which must stay dead.
    std::vector<DWORD> freed_, removedFx_;
};

AudioLinkTester::AudioLinkTester()
{
    // A name that is its own short form: the system then finds the media's
    // short paths without searching the temporary folder for the name.
    static int serial = 0;
    char name[16];
    wsprintfA(name, "AL%04X%X", unsigned(GetCurrentProcessId() & 0xFFFF), unsigned(++serial & 0xF));
    scratch_ = tempfolder::FreshFolder(name);
    plugins_ = scratch_ + "\\plugins";
    downloads_ = scratch_ + "\\saved";
    for (int n = 1; n <= 10; ++n)
        track_[n] = 50;

    auto file = [&](const std::string &name, const std::string &bytes) {
        wholefile::WriteWholeFile(scratch_ + "\\" + name, bytes);
        return scratch_ + "\\" + name;
    };
    std::string music = "Extended Module: Sea Song";
    music += '\x1A';
    music.resize(400, '\0');
    media_ = {
        {file("song.mp3", std::string(600, 'm') + TitleTag("Tone Title")), Stream, false, "", "Tone Title", ""},
        {file("untagged.ogg", std::string(300, 'o')), Stream, false, "", "untagged", ""},
        {file("tune.xm", music), Music, false, "Sea Song", "", ""},
        {file("Track03.cda", std::string(44, 'c')), CdTrack, false, "", "", ""},
        {file("clip.wma", std::string(100, 'w')), WindowsMedia, false, "", "", ""},
        {file("readme.txt", "text"), NoKind, false, "", "", ""},
        {file("noext", "x"), BadName, false, "", "", ""},
        {file("tone.wav", WaveFile(ToneBytes)), Stream, false, "", "tone", ""},
        {scratch_ + "\\missing.mp3", Stream, false, "", "missing", ""},
        // Relative to the current folder, the scratch folder.
        {"song.mp3", Stream, false, "", "Tone Title", ""},
        {"Track03.cda", CdTrack, false, "", "", ""},
        {scratch_ + "\\" + std::string(280, 'n') + ".mp3", BadName, false, "", "", ""},
        {"http://host.example/music/radio.mp3", Stream, true, "", "radio", "radio.mp3"},
        {"ftp://host.example/live/show.wma", WindowsMedia, true, "", "show", "show.wma"},
        {"http://host.example/mods/dance.xm", Music, true, "dance", "", ""},
        {"HTTP://Host.Example/Loud.OGG", Stream, true, "", "Loud", "Loud.OGG"},
        {"http://host.example/live/con.mp3", Stream, true, "", "con", ""},
        {"http://host.example/live/evil.dll", NoKind, true, "", "", ""},
        {"http://localhost/stream", BadName, true, "", "", ""},
    };
    // A local file is opened, and named to the library, by its short form.
    for (Media &m : media_) {
        char shortPath[MAX_PATH] = {};
        DWORD length = m.network ? 0 : GetShortPathNameA(m.name.c_str(), shortPath, MAX_PATH);
        if (length && length < MAX_PATH)
            m.name = shortPath;
    }

    CreateDirectoryA(plugins_.c_str(), nullptr);
    CreateDirectoryA((plugins_ + "\\Extra").c_str(), nullptr);
    CreateDirectoryA((plugins_ + "\\.cache").c_str(), nullptr);
    wholefile::WriteWholeFile(plugins_ + "\\Blaze.SVP", "p");
    wholefile::WriteWholeFile(plugins_ + "\\note.txt", "p");
    wholefile::WriteWholeFile(plugins_ + "\\x.svp", "p");
    SetFileAttributesA((plugins_ + "\\x.svp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    wholefile::WriteWholeFile(plugins_ + "\\Extra\\Deep.UVS", "p");
    wholefile::WriteWholeFile(plugins_ + "\\.cache\\old.svp", "p");
    expectedPlugins_ = plugins_ + "\\blaze.svp," + plugins_ + "\\Extra\\deep.uvs";

    // With saving on and no folder set, copies go to the current folder.
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    startFolder_ = folder;
    SetCurrentDirectoryA(scratch_.c_str());
    // Addresses are refused by the engine: its streams come from files only.
    SetEnvironmentVariableA("TARN_ENGINE_URL_FOLDER", nullptr);
    SetEnvironmentVariableA("TARN_ENGINE_OUTPUT", nullptr);
    bassdouble::Reset();
}

AudioLinkTester::~AudioLinkTester()
{
    if (module_)
        FreeLibrary(module_);
    dialog_.reset();
    SetCurrentDirectoryA(startFolder_.c_str());
    tempfolder::RemoveTree(scratch_);
}

HWND AudioLinkTester::Dialog()
{
    if (!dialog_)
        dialog_ = std::make_unique<altest::EffectsDialog>();
    return dialog_->Window();
}

// ---- Scripting the doubles ----------------------------------------------------------------

void AudioLinkTester::Script(const char *entry, ULONGLONG value)
{
    auto at = script_.find(entry);
    if (at != script_.end() && at->second == value)
        return;
    bassdouble::SetResult(entry, value);
    script_[entry] = value;
}

DWORD AudioLinkTester::Answered(const char *entry) const
{
    auto at = script_.find(entry);
    return at == script_.end() ? 0 : DWORD(at->second);
}

void AudioLinkTester::ScriptStep(Draw &draw)
{
    // The doubles keep the parameters of 64 effects, one type per handle.
    // A step's effects all get its one handle, so after a step that made
    // effects of several types the doubles forget them all: the type kept
    // would be the last one's, and reading a band's parameters would fill
    // the record of a larger type into the band's. Now and then they are
    // forgotten anyway, before the table is full. (The effects keep their
    // handles; only the parameters of the ones made since are kept.)
    if (std::exchange(mixedTypes_, false) || ++sinceReset_ >= 40) {
        bassdouble::Reset();
        script_.clear();
        knownFx_.clear();
        sinceReset_ = 0;
    }
    bassdouble::ClearCalls();
    Script("BASS_GetVersion", versionWord_);
    // A fresh handle for everything made in this step.
    for (const char *entry : {"BASS_MusicLoad", "BASS_StreamCreateFile", "BASS_StreamCreateURL", "BASS_CD_StreamCreate",
                              "BASS_WMA_StreamCreateFile", "BASS_StreamCreate", "BASS_ChannelSetDSP"})
        Script(entry, ++nextHandle_);
    Script("BASS_ChannelSetFX", ++nextHandle_);
    knownFx_.insert(nextHandle_);
    for (const char *entry : {"BASS_Init", "BASS_Start", "BASS_StreamPlay", "BASS_MusicPlayEx", "BASS_Stop", "BASS_Free",
                              "BASS_StreamFree", "BASS_MusicFree", "BASS_ChannelRemoveFX", "BASS_ChannelRemoveDSP",
                              "BASS_FXSetParameters", "BASS_FXGetParameters"})
        Script(entry, 1);
    static const int codes[] = {1, 2, 3, 5, 6, 8, 9, 14, 20, 32, 37, 41, -1};
    Script("BASS_ErrorGetCode", DWORD(draw.Pick(codes)));
    Script("(create block)", draw.OneIn(3) ? draw.Between(1, 256) : 0);
    // Now and then one call fails.
    if (draw.OneIn(5)) {
        static const char *const failing[] = {"BASS_MusicLoad", "BASS_StreamCreateFile", "BASS_StreamCreateURL",
                                              "BASS_CD_StreamCreate", "BASS_WMA_StreamCreateFile", "BASS_Init",
                                              "BASS_Start", "BASS_StreamPlay", "BASS_MusicPlayEx", "BASS_Stop",
                                              "BASS_ChannelSetFX", "BASS_ChannelSetDSP"};
        Script(draw.Pick(failing), 0);
    }
}

// The record of the step: the ledger of what is alive in the library.
void AudioLinkTester::Absorb()
{
    std::set<DWORD> types;
    for (const bassdouble::CallRecord &call : bassdouble::Calls()) {
        const std::string &entry = call.entry;
        DWORD first = call.args.empty() ? 0 : DWORD(call.args[0]);
        DWORD second = call.args.size() > 1 ? DWORD(call.args[1]) : 0;
        if (entry == "BASS_MusicLoad") {
            if (DWORD handle = Answered("BASS_MusicLoad"))
                ledger_.channels[handle] = true;
        } else if (entry == "BASS_StreamCreateURL" && Answered(entry.c_str())) {
            ledger_.channels[Answered(entry.c_str())] = false;
            urlUsers_[Answered(entry.c_str())] = call.args.size() > 4 ? call.args[4] : 0;
        } else if (std::find_if(std::begin(StreamCreators), std::end(StreamCreators), [&](const char *name) {
                       return entry == name;
                   }) != std::end(StreamCreators)) {
            if (DWORD handle = Answered(entry.c_str()))
                ledger_.channels[handle] = false;
        } else if (entry == "BASS_StreamFree" || entry == "BASS_MusicFree") {
            auto at = ledger_.channels.find(first);
            if (at != ledger_.channels.end() && at->second == (entry == "BASS_MusicFree"))
                ledger_.Free(first);
        } else if (entry == "BASS_Free") {
            ledger_.Clear();
        } else if (entry == "BASS_ChannelSetFX") {
            ledger_.Add(ledger_.fx, first, Answered("BASS_ChannelSetFX"));
            types.insert(second);
        } else if (entry == "BASS_ChannelRemoveFX") {
            Alive::Remove(ledger_.fx, first, second);
        } else if (entry == "BASS_ChannelSetDSP") {
            ledger_.Add(ledger_.dsp, first, Answered("BASS_ChannelSetDSP"));
        } else if (entry == "BASS_ChannelRemoveDSP") {
            Alive::Remove(ledger_.dsp, first, second);
        } else if (entry == "(detach)" && call.module == "BASS.DLL") {
            ledger_.Clear();
        }
    }
    mixedTypes_ = types.size() > 1;
}

// ---- The module and the audio library -----------------------------------------------------------

bool AudioLinkTester::Has(Holder holder, const char *entry) const
{
    if (!module_ || !loaded_[holder] || variant_->bare)
        return false;
    for (const char *missing : variant_->without)
        if (missing && strcmp(missing, entry) == 0)
            return false;
    return true;
}

int AudioLinkTester::ErrorCode() const
{
    if (!loaded_[Bass])
        return 0;
    return Has(Bass, "BASS_ErrorGetCode") ? int(Answered("BASS_ErrorGetCode")) : -1;
}

void AudioLinkTester::ModelLoad(const Variant &variant, const Version &version)
{
    modulesChanged_ = true;
    if (!(variant.modules & (1u << Bass))) {
        ModelUnload();
        return;
    }
    if (!loaded_[Bass]) {
        variant_ = &variant;
        ledger_.Clear();
    }
    const Variant &from = *variant_; // a reload finds the modules already loaded
    loaded_[Bass] = true;
    loaded_[Wma] = from.modules & (1u << Wma);
    if (!from.bare)
        versionText_ = from.engine ? "2.0" : version.text;
    int tenths = 0;
    for (const Version &known : Versions)
        if (versionText_ == known.text)
            tenths = known.tenths;
    loaded_[Enc] = tenths >= 18 && (from.modules & (1u << Enc));
    loaded_[Cd] = tenths >= 18 && (from.modules & (1u << Cd));
    loaded_[Vis] = tenths >= 20 && (from.modules & (1u << Vis));
}

void AudioLinkTester::ModelUnload()
{
    modulesChanged_ = true;
    // The engine's threads hold it a moment longer; loaded from another
    // folder before it has gone, "BASS.DLL" would be the engine again.
    if (OverEngine())
        StaysLoaded(BASS_MODULE_NAME, false);
    if (loaded_[Bass]) {
        // Whatever the library held goes with it (BASS_Free first, which
        // the steps check).
        alive_.Clear();
        Disarm();
        current_ = 0;
        currentKind_ = NoKind;
        rack_ = {};
        engineReady_ = false;
        urlStream_ = 0;
    }
    for (bool &loaded : loaded_)
        loaded = false;
    freed_.clear();
    removedFx_.clear();
}

std::string AudioLinkTester::LoadModule(Draw &draw)
{
    const Variant &variant = Variants[draw.Weighted({30, 3, 2, 2, 3, 3, 1})];
    const Version &version = draw.Pick(Versions);
    versionWord_ = version.word;
    Script("BASS_GetVersion", versionWord_);
    SetDllDirectoryA((sequence::ProgramFolder() + "..\\" + variant.folder).c_str());
    module_ = LoadLibraryA("audiolink.dll");
    SetDllDirectoryA(nullptr);
    Expect(module_ != nullptr, "module load", "audiolink.dll did not load");
    const char *missing = al_.Resolve(module_);
    Expect(!missing, "module exports", missing ? missing : "");
    // Everything of the module starts afresh.
    versionText_.clear();
    pending_ = NoKind;
    pendingPath_.clear();
    current_ = 0;
    currentKind_ = NoKind;
    mediaType_ = 0;
    musicName_ = streamName_ = url_ = downloaded_ = "";
    registered_ = false;
    save_ = 0;
    folder_.clear();
    ModelLoad(variant, version);
    return std::string("load audiolink over ") + variant.name + " " + version.text;
}

std::string AudioLinkTester::UnloadModule(Draw &)
{
    FreeLibrary(std::exchange(module_, nullptr));
    ModelUnload();
    return "unload audiolink";
}

// BASSUNLOAD and BASSLOAD, from the same folder or another one.
std::string AudioLinkTester::CycleLibrary(Draw &draw)
{
    std::string said;
    if (loaded_[Bass] && draw.OneIn(2)) {
        al_.BASSUNLOAD();
        ModelUnload();
        said = "BASSUNLOAD";
        if (draw.OneIn(3))
            return said;
        said += ", ";
    }
    const Variant &variant = loaded_[Bass] ? *variant_ : Variants[draw.Weighted({30, 3, 2, 2, 3, 3, 1})];
    const Version &version = draw.Pick(Versions);
    versionWord_ = version.word;
    Script("BASS_GetVersion", versionWord_);
    SetDllDirectoryA((sequence::ProgramFolder() + "..\\" + variant.folder).c_str());
    al_.BASSLOAD();
    SetDllDirectoryA(nullptr);
    ModelLoad(variant, version);
    return said + "BASSLOAD over " + variant.name + " " + version.text;
}

// ---- Opening and playing ------------------------------------------------------------------

int AudioLinkTester::ModelOpen(const Media &media)
{
    if (!loaded_[Bass])
        return 0;
    if (media.name.size() >= MAX_PATH)
        return AUDIOLINK_OPEN_BADNAME;
    if (!engineReady_) {
        bool ready = OverEngine() || (Has(Bass, "BASS_Init") && Answered("BASS_Init"));
        if (!ready && ErrorCode() != 14)
            return ErrorCode();
        engineReady_ = true;
    }
    if (media.kind == BadName)
        return AUDIOLINK_OPEN_BADNAME;
    ModelClose(0);
    musicName_ = streamName_ = "";
    pending_ = media.kind;
    pendingPath_ = media.kind == NoKind ? "" : media.name;
    pendingNetwork_ = media.network;
    pendingCopy_ = media.copyName;
    musicName_ = media.musicName;
    streamName_ = media.streamName;
    return 0;
}

std::string AudioLinkTester::Open(Draw &draw)
{
    const Media &media = media_[draw.Below(uint32_t(media_.size()))];
    HWND window = draw.OneIn(2) ? Dialog() : nullptr;
    int expected = ModelOpen(media);
    int got = al_.BASSOPEN(window, ByteString(media.name));
    Expect(got == expected, "open result", media.name + ": " + std::to_string(got) + ", not " + std::to_string(expected));
    if (got == AUDIOLINK_OPEN_BADNAME)
        Expect(Take(al_.BASSERRORDESCRIPTION(DWORD(got))) == "Can't Open the File.", "error description");
    return "open " + media.name;
}

// The start of a channel BASSPLAY made, as a host sees it.
int AudioLinkTester::ModelStart(Kind kind, DWORD channel, bool effects, int engineError)
{
    current_ = channel;
    if (!channel)
        return OverEngine() ? (engineReady_ ? engineError : BASS_ERROR_INIT) : ErrorCode();
    currentKind_ = kind;
    alive_.channels[channel] = kind == Music;
    if (effects)
        ApplyEffects();
    if (OverEngine()) {
        mediaType_ = kind;
        return 0;
    }
    if (!Has(Bass, "BASS_Start"))
        return -1;
    if (!Answered("BASS_Start"))
        return ErrorCode();
    const char *play = kind == Music ? "BASS_MusicPlayEx" : "BASS_StreamPlay";
    if (!Has(Bass, play))
        return 0;
    if (!Answered(play))
        return ErrorCode();
    mediaType_ = kind;
    return 0;
}

DWORD AudioLinkTester::NetworkStream()
{
    url_ = pendingPath_;
    downloaded_.clear();
    if (save_ && !pendingCopy_.empty()) {
        armedPath_ = folder_ + pendingCopy_;
        downloaded_ = armedPath_;
        armed_ = true;
        opened_ = false;
    }
    bool made = !OverEngine() && Has(Bass, "BASS_StreamCreateURL");
    DWORD stream = made ? Answered("BASS_StreamCreateURL") : 0;
    // The doubles hand the download procedure a first block inside the call.
    if (made && Answered("(create block)"))
        CopyBlock(std::string(Answered("(create block)"), 'd'), false);
    if (!stream)
        Disarm();
    urlStream_ = stream;
    return stream;
}

int AudioLinkTester::ModelPlay()
{
    if (!loaded_[Bass])
        return 0;
    Disarm();
    url_.clear();
    downloaded_ = pendingPath_;
    bool engine = OverEngine();
    auto made = [&](Holder holder, const char *entry, bool plays) -> DWORD {
        if (engine)
            return plays && engineReady_ ? Fresh : 0;
        return Has(holder, entry) ? Answered(entry) : 0;
    };
    switch (pending_) {
    case Music:
        if (!Has(Bass, "BASS_MusicLoad"))
            return 0;
        return ModelStart(Music, made(Bass, "BASS_MusicLoad", false), true, pendingNetwork_ ? 2 : 41);
    case Stream:
        if (pendingNetwork_)
            return ModelStart(Stream, NetworkStream(), false, 32);
        return ModelStart(Stream, made(Bass, "BASS_StreamCreateFile", pendingPath_ == media_[ToneMedia].name), true,
                          GetFileAttributesA(pendingPath_.c_str()) == INVALID_FILE_ATTRIBUTES ? 2 : 41);
    case CdTrack:
        // A track is found by its drive letter.
        if (pendingPath_.size() < 2 || pendingPath_[1] != ':' || !Has(Cd, "BASS_CD_StreamCreate"))
            return 0;
        return ModelStart(CdTrack, made(Cd, "BASS_CD_StreamCreate", false), true);
    case WindowsMedia:
        if (!loaded_[Wma])
            return 0;
        if (pendingNetwork_)
            return ModelStart(WindowsMedia, NetworkStream(), true, 32);
        if (!Has(Wma, "BASS_WMA_StreamCreateFile"))
            return 0;
        return ModelStart(WindowsMedia, made(Wma, "BASS_WMA_StreamCreateFile", false), true);
    default:
        return 0;
    }
}

std::string AudioLinkTester::Play(Draw &draw)
{
    // The engine reads a part of a file as a file of its own: it plays
    // whole files.
    DWORD offset = draw.OneIn(2) || OverEngine() ? 0 : draw.Below(100);
    DWORD length = draw.OneIn(2) || OverEngine() ? 0 : draw.Below(1000);
    std::string path = pendingPath_;
    int expected = ModelPlay();
    int got = al_.BASSPLAY(offset, length);
    Expect(got == expected, "play result", path + ": " + std::to_string(got) + ", not " + std::to_string(expected));
    if (!OverEngine()) {
        // What reached the library: the address as it was opened, a local
        // file's part, the track of a CD file.
        for (const bassdouble::CallRecord &call : bassdouble::Calls()) {
            if (call.entry == "BASS_StreamCreateURL")
                Expect(!call.texts.empty() && call.texts[0] == path, "address played", path);
            if (call.entry == "BASS_StreamCreateFile" && call.args.size() == 5)
                Expect(call.args[2] == offset && call.args[3] == length, "part played", path);
            if (call.entry == "BASS_CD_StreamCreate")
                Expect(call.args.size() == 3 && call.args[1] == 2, "track played", path);
        }
    }
    return "play " + path;
}

int AudioLinkTester::ModelClose(DWORD channel)
{
    if (!loaded_[Bass] || !current_)
        return 0;
    DWORD target = CurrentOr(channel);
    ModelRemoveRack(target);
    int result = 0;
    if (!OverEngine() && !(Has(Bass, "BASS_Stop") && Answered("BASS_Stop")))
        result = ErrorCode();
    Disarm();
    // Freed as the current channel's kind says (the tester closes another
    // channel only when that kind is its own).
    if (alive_.channels.count(target) && Has(Bass, currentKind_ == Music ? "BASS_MusicFree" : "BASS_StreamFree")) {
        alive_.Free(target);
        freed_.push_back(target);
    }
    current_ = 0;
    pending_ = NoKind;
    pendingNetwork_ = false;
    pendingPath_.clear();
    return result;
}

std::string AudioLinkTester::Close(Draw &draw)
{
    int how = int(draw.Below(4));
    DWORD channel = how == 1 ? current_ : 0;
    if (how == 3) {
        // A host's stream given while a stream is current: that one is
        // freed, and the current one is left to the host.
        std::vector<DWORD> others;
        for (auto &[handle, music] : alive_.channels)
            if (!music && handle != current_)
                others.push_back(handle);
        if (others.empty() || !current_ || currentKind_ == Music)
            how = 0;
        else
            channel = others[draw.Below(uint32_t(others.size()))];
    }
    int expected = ModelClose(channel);
    int got = how == 2 ? al_.BASSCLOSE() : al_.BASSCLOSECHANNEL(channel);
    Expect(got == expected, "close result", std::to_string(got) + ", not " + std::to_string(expected));
    return how == 2 ? "BASSCLOSE" : "close " + Hex(channel);
}

// ---- The effects rack ----------------------------------------------------------------------------

DWORD AudioLinkTester::NewEffect(bool dsp)
{
    if (OverEngine())
        return Fresh;
    const char *entry = dsp ? "BASS_ChannelSetDSP" : "BASS_ChannelSetFX";
    return Has(Bass, entry) ? Answered(entry) : 0;
}

void AudioLinkTester::RemoveEffect(bool dsp, DWORD channel, DWORD handle)
{
    if (Alive::Remove(dsp ? alive_.dsp : alive_.fx, channel, handle) && !dsp)
        removedFx_.push_back(handle);
}

void AudioLinkTester::ModelUpdateBand(int band)
{
    if (!registered_ || !rack_.present || !current_)
        return;
    DWORD &slot = rack_.slot[band];
    if (!box_[11]) {
        if (slot)
            RemoveEffect(false, current_, slot);
        slot = 0;
    } else if (!slot) {
        slot = NewEffect(false);
        alive_.Add(alive_.fx, current_, slot);
    }
}

void AudioLinkTester::ModelUpdateEffect(int box)
{
    if (!rack_.present || !current_)
        return;
    bool dsp = box == 17;
    DWORD &slot = rack_.slot[box];
    if (!registered_ || !box_[box]) {
        if (slot)
            RemoveEffect(dsp, current_, slot);
        slot = 0;
    } else if (!slot) {
        slot = NewEffect(dsp);
        alive_.Add(dsp ? alive_.dsp : alive_.fx, current_, slot);
    }
}

void AudioLinkTester::ApplyEffects()
{
    rack_ = {};
    rack_.present = true;
    for (int band = 1; band <= 10; ++band)
        ModelUpdateBand(band);
    for (int box : EffectBoxes)
        ModelUpdateEffect(box);
}

void AudioLinkTester::ModelRemoveRack(DWORD channel)
{
    if (!rack_.present)
        return;
    for (int n = 1; channel && n <= 17; ++n)
        if (rack_.slot[n])
            RemoveEffect(n == 17, channel, rack_.slot[n]);
    rack_ = {};
}

std::string AudioLinkTester::ChangeDialog(Draw &draw)
{
    Dialog();
    if (draw.OneIn(60)) {
        // A host's dialog without one of the controls: its box reads as
        // cleared, its bar as position 0.
        static const int controls[] = {1, 5, 10, 11, 13, 17};
        int id = draw.Pick(controls);
        dialog_->Remove(id);
        removed_[id] = true;
        if (id <= 10)
            track_[id] = 0;
        box_[id] = false;
        return "take control " + std::to_string(id) + " out of the dialog";
    }
    if (draw.OneIn(2)) {
        static const int boxes[] = {11, 11, 13, 14, 15, 16, 17};
        int box = draw.Pick(boxes);
        box_[box] = !box_[box] && !removed_[box];
        dialog_->Check(box, box_[box]);
        return "box " + std::to_string(box) + (box_[box] ? " on" : " off");
    }
    int band = int(draw.Between(1, 10));
    track_[band] = removed_[band] ? 0 : draw.Pick(TrackPositions);
    dialog_->Track(band, track_[band]);
    return "band " + std::to_string(band) + " at " + std::to_string(track_[band]);
}

std::string AudioLinkTester::RegisterDialog(Draw &draw)
{
    HWND got = nullptr;
    std::string said;
    switch (draw.Below(3)) {
    case 0:
        got = al_.BASSFXWINDOW(Dialog(), 1);
        registered_ = true;
        said = "register the dialog";
        break;
    case 1:
        got = al_.BASSFXWINDOW(nullptr, draw.Between(1, 9));
        registered_ = false;
        said = "forget the dialog";
        break;
    default:
        got = al_.BASSFXWINDOW(GetDesktopWindow(), 0);
        said = "ask for the dialog";
        break;
    }
    Expect(got == (registered_ ? dialog_->Window() : nullptr), "effects dialog", said);
    return said;
}

std::string AudioLinkTester::UpdateRack(Draw &draw)
{
    DWORD channel = current_ && draw.OneIn(2) ? current_ : 0;
    uint32_t which = draw.Below(15);
    if (which < 10) {
        int band = int(which) + 1;
        ModelUpdateBand(band);
        al_.BASSUPDATEEQ(channel, band);
        // The band's gain follows its bar.
        DWORD slot = rack_.present ? rack_.slot[band] : 0;
        if (slot && current_ && registered_ && box_[11] && !OverEngine() && knownFx_.count(slot)) {
            float gain = 1000;
            for (const bassdouble::CallRecord &call : bassdouble::CallsOf("BASS_FXSetParameters"))
                if (call.args[0] == slot && call.block.size() == sizeof(BASS_FXPARAMEQ))
                    memcpy(&gain, call.block.data() + offsetof(BASS_FXPARAMEQ, gain), sizeof gain);
            Expect(gain == float(GainAt(track_[band])), "band gain",
                   "band " + std::to_string(band) + " at " + std::to_string(track_[band]) + " set to " +
                       std::to_string(gain));
        }
        return "update band " + std::to_string(band) + " on " + Hex(channel);
    }
    int box = EffectBoxes[which - 10];
    ModelUpdateEffect(box);
    void(__stdcall *const updates[])(DWORD) = {al_.BASSUPDATEREVERB, al_.BASSUPDATECHORUS, al_.BASSUPDATEFLANGER,
                                                al_.BASSUPDATEECHO, al_.BASSUPDATEROTATE};
    updates[which - 10](channel);
    return "update effect " + std::to_string(box) + " on " + Hex(channel);
}

std::string AudioLinkTester::ResetOrRemove(Draw &draw)
{
    DWORD channel = current_ && draw.OneIn(2) ? current_ : 0;
    if (draw.OneIn(2)) {
        ModelRemoveRack(CurrentOr(channel));
        al_.BASSREMOVEFX(channel);
        return "remove the rack from " + Hex(channel);
    }
    if (registered_) {
        for (int band = 1; band <= 10; ++band) {
            DWORD &slot = rack_.slot[band];
            if (CurrentOr(channel) && rack_.present && slot) {
                RemoveEffect(false, CurrentOr(channel), slot);
                slot = 0;
            }
            track_[band] = removed_[band] ? 0 : 50;
        }
    }
    al_.BASSRESETEQ(channel);
    for (int band = 1; dialog_ && band <= 10; ++band)
        Expect(dialog_->TrackPosition(band) == track_[band], "band bar", std::to_string(band));
    return "reset the equalizer on " + Hex(channel);
}

// ---- Saving network streams ---------------------------------------------------------------

void AudioLinkTester::Disarm()
{
    if (armed_ && opened_)
        copiesChanged_ = true;
    armed_ = false;
}

// One call of the download procedure: a block, or the end.
void AudioLinkTester::CopyBlock(const std::string &bytes, bool end)
{
    if (!armed_)
        return;
    if (!opened_) {
        opened_ = true;
        copies_[armedPath_].clear(); // what stood there goes
    }
    if (end)
        Disarm();
    else
        copies_[armedPath_] += bytes;
}

std::string AudioLinkTester::ChangeSaving(Draw &draw)
{
    switch (draw.Below(3)) {
    case 0:
        save_ = draw.OneIn(3) ? 0 : draw.Between(1, 5);
        al_.BASSSTREAMSAVE(save_);
        return "save streams " + std::to_string(save_);
    case 1:
        folder_ = draw.OneIn(2) ? downloads_ + "\\" : downloads_;
        al_.BASSSETDOWNLOADPATH(ByteString(folder_));
        return "download folder " + folder_;
    default: {
        std::string got = Take(al_.BASSGETDOWNLOADPATH());
        Expect(got == folder_, "download folder", got);
        if (!folder_.empty())
            Expect(GetFileAttributesA(downloads_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, "download folder made");
        return "ask for the download folder";
    }
    }
}

std::string AudioLinkTester::DeliverDownload(Draw &draw)
{
    if (draw.OneIn(8)) {
        // A host hands the procedure blocks itself: they go into the copy
        // of the saved stream that runs, if one does, and its end closes it.
        std::string block(draw.Below(64), char(draw.Below(256)));
        bool end = draw.OneIn(4);
        al_.DOWNLOADPROC(end ? nullptr : block.data(), end ? 0 : DWORD(block.size()), 0);
        CopyBlock(block, end);
        return end ? "the host ends a download" : "the host delivers a block";
    }
    if (!OverEngine() && draw.OneIn(4)) {
        // A stream played earlier, left alive by a second BASSPLAY, still
        // downloading: the library hands its blocks over with its user
        // value, and they belong in no later copy.
        std::vector<DWORD> earlier;
        for (auto at = urlUsers_.begin(); at != urlUsers_.end();) {
            if (!alive_.channels.count(at->first)) {
                at = urlUsers_.erase(at);
                continue;
            }
            if (at->first != urlStream_)
                earlier.push_back(at->first);
            ++at;
        }
        if (!earlier.empty()) {
            DWORD stream = earlier[draw.Below(uint32_t(earlier.size()))];
            std::string block(draw.Between(1, 64), char(draw.Below(256)));
            al_.DOWNLOADPROC(block.data(), DWORD(block.size()), urlUsers_[stream]);
            if (draw.OneIn(2))
                al_.DOWNLOADPROC(nullptr, 0, urlUsers_[stream]);
            return "blocks of the earlier stream " + Hex(stream);
        }
    }
    if (OverEngine() || !urlStream_ || !alive_.channels.count(urlStream_))
        return "no download runs";
    DWORD count = draw.Below(4);
    DWORD lengths[3] = {};
    std::string data;
    for (DWORD n = 0; n < count; ++n) {
        lengths[n] = draw.Below(300);
        for (DWORD b = 0; b < lengths[n]; ++b)
            data += char(draw.Below(256));
    }
    bool end = draw.OneIn(3);
    // Now and then the host closes the stream while the blocks arrive: the
    // copy then holds what came before the close, in whole blocks.
    bool racing = armed_ && current_ == urlStream_ && draw.OneIn(3);
    std::string path = armedPath_, before;
    if (racing)
        before = opened_ ? copies_[path] : wholefile::ReadWholeFile(path);
    HANDLE thread = bassdouble::DeliverDownload(data.data(), lengths, count, end);
    Expect(thread != nullptr, "download delivered");
    if (racing) {
        int expected = ModelClose(0);
        Expect(al_.BASSCLOSECHANNEL(0) == expected, "close result");
    }
    Expect(WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0, "download delivered", "the procedure hangs");
    CloseHandle(thread);
    if (racing) {
        std::string held = wholefile::ReadWholeFile(path), grown = opened_ ? before : "";
        bool whole = held == before;
        for (size_t at = 0, n = 0; !whole && n < count; at += lengths[n++])
            whole = held == (grown += data.substr(at, lengths[n]));
        Expect(whole || (held.empty() && count == 0), "saved copy",
               path + " holds " + std::to_string(held.size()) + " bytes after a close during its download");
        copies_[path] = held;
        return "deliver " + std::to_string(count) + " blocks while closing";
    }
    size_t at = 0;
    for (DWORD n = 0; n < count; at += lengths[n++])
        CopyBlock(data.substr(at, lengths[n]), false);
    if (end) {
        CopyBlock("", true);
        urlStream_ = 0; // its download is over
    }
    return "deliver " + std::to_string(count) + " blocks" + (end ? " and the end" : "");
}

// ---- Streams of the host's own ----------------------------------------------------------

std::string AudioLinkTester::HostStreams(Draw &draw)
{
    bool engine = OverEngine();
    uint32_t what = draw.Below(4);
    if (what == 3) {
        std::vector<DWORD> streams;
        // The current one too: the library then closes a channel that is
        // gone, which must do no harm.
        for (auto &[handle, music] : alive_.channels)
            if (!music)
                streams.push_back(handle);
        if (streams.empty())
            return "no stream to free";
        DWORD stream = streams[draw.Below(uint32_t(streams.size()))];
        if (Has(Bass, "BASS_StreamFree")) {
            alive_.Free(stream);
            freed_.push_back(stream);
        }
        if (stream == urlStream_)
            urlStream_ = 0;
        al_.BASSSTREAMFREE(stream);
        return "free stream " + Hex(stream);
    }
    static const int files[] = {0, 4, ToneMedia};
    const Media &media = media_[draw.Pick(files)];
    bool wma = media.kind == WindowsMedia;
    // The engine makes streams of its one kind of file once output is up.
    bool plays = media.name == media_[ToneMedia].name && engineReady_;
    DWORD expected = 0, got = 0;
    std::string said;
    if (what == 0) {
        const char *entry = wma ? "BASS_WMA_StreamCreateFile" : "BASS_StreamCreateFile";
        expected = engine ? (plays ? Fresh : 0) : Has(wma ? Wma : Bass, entry) ? Answered(entry) : 0;
        std::string name = media.name;
        if (draw.OneIn(2))
            CharUpperA(&name[0]);
        got = al_.BASSSTREAMDECODEFILE(name.c_str());
        said = "decode " + name;
    } else if (what == 1) {
        expected = engine ? (plays ? Fresh : 0) : Has(Bass, "BASS_StreamCreateFile") ? Answered("BASS_StreamCreateFile") : 0;
        got = al_.BASSSTREAMCREATEFILE(FALSE, media.name.c_str(), 0, 0, 0);
        said = "stream " + media.name;
    } else {
        expected = !engine && Has(Cd, "BASS_CD_StreamCreate") ? Answered("BASS_CD_StreamCreate") : 0;
        got = al_.BASSCDSTREAMCREATE(0, 1, 0);
        said = "stream a CD track";
    }
    if (expected == Fresh)
        Expect(got != 0 && !alive_.channels.count(got), "stream made", said);
    else
        Expect(got == expected, "stream made", said + ": " + Hex(got) + ", not " + Hex(expected));
    if (got)
        alive_.channels[got] = false;
    return said;
}

std::string AudioLinkTester::FreeEverything(Draw &)
{
    if (OverEngine())
        return "(not over the engine) free";
    bool frees = Has(Bass, "BASS_Free");
    if (frees)
        alive_.Clear();
    BOOL got = al_.BASSFREE();
    Expect(got == (frees ? 1 : 0), "free result");
    return "BASSFREE";
}

// ---- Pass-through exports ------------------------------------------------------------------

DWORD AudioLinkTester::PickChannel(Draw &draw) const
{
    uint32_t which = draw.Below(4);
    if (which == 0 || alive_.channels.empty())
        return which == 1 ? current_ : 0;
    if (which == 1)
        return current_;
    auto at = alive_.channels.begin();
    std::advance(at, draw.Below(uint32_t(alive_.channels.size())));
    return at->first;
}

std::string AudioLinkTester::CallThrough(Draw &draw)
{
    bool engine = OverEngine();
    static const ULONGLONG answers[] = {0, 1, 0xFFFFFFFF, 0x100000005ull, 77, 44100};
    ULONGLONG answer = draw.Pick(answers);
    if (draw.OneIn(10)) {
        // The current channel's length, asked of the call for its kind.
        const char *entry = currentKind_ == Music ? "BASS_MusicGetLength" : "BASS_StreamGetLength";
        if (!engine)
            Script(entry, answer);
        DWORD got = al_.BASSMEDIAGETLENGTH();
        if (engine) {
            if (alive_.channels.count(current_))
                Expect(got == ToneBytes, "media length", Hex(got));
            return "media length";
        }
        bool calls = current_ && Has(Bass, entry);
        DWORD expected = calls && DWORD(answer) != 0xFFFFFFFF ? DWORD(answer) : 0;
        std::vector<bassdouble::CallRecord> made = bassdouble::CallsOf(entry);
        Expect(made.size() == (calls ? 1u : 0u) && (!calls || made[0].args[0] == current_), "media length call",
               std::to_string(made.size()) + " calls of " + entry);
        Expect(got == expected, "media length", Hex(got) + ", not " + Hex(expected));
        return "media length";
    }
    const PassThrough &pass = draw.Pick(PassThroughs);
    DWORD value = pass.holder == Bass ? PickChannel(draw) : draw.Below(4);
    if (pass.target == Target::Current || pass.target == Target::CurrentAlways)
        value = draw.Below(1000);
    if (!engine)
        Script(pass.entry, answer);
    DWORD got = pass.call(al_, value);
    if (engine)
        return std::string("(over the engine) ") + pass.entry;

    bool reaches = Has(pass.holder, pass.entry);
    bool calls = reaches;
    DWORD target = value;
    switch (pass.target) {
    case Target::ZeroIsCurrent:
        target = CurrentOr(value);
        calls = reaches && target;
        break;
    case Target::ZeroIsCurrentAlways:
        target = CurrentOr(value);
        break;
    case Target::Current:
        target = current_;
        calls = reaches && current_;
        break;
    case Target::CurrentAlways:
        target = current_;
        break;
    case Target::NoCallForZero:
        calls = reaches && value;
        break;
    default:
        break;
    }
    DWORD low = DWORD(answer), expected = 0;
    if (calls) {
        switch (pass.answer) {
        case Answer::Same:
        case Answer::ErrorCode:
            expected = low;
            break;
        case Answer::FailureAsZero:
            expected = low == 0xFFFFFFFF ? 0 : low;
            break;
        case Answer::Boolean:
            expected = low ? 0xFFFFFFFF : 0;
            break;
        case Answer::None:
            break;
        }
    } else if (pass.answer == Answer::ErrorCode && loaded_[Bass]) {
        expected = 0xFFFFFFFF;
    }
    std::string said = std::string(pass.entry) + "(" + Hex(value) + ")";
    Expect(got == expected, "pass-through result", said + ": " + Hex(got) + ", not " + Hex(expected));
    std::vector<bassdouble::CallRecord> made = bassdouble::CallsOf(pass.entry);
    Expect(made.size() == (calls ? 1u : 0u), "pass-through call", said + ": " + std::to_string(made.size()) + " calls");
    if (calls && pass.target != Target::NoChannel)
        Expect(!made[0].args.empty() && made[0].args[0] == target, "pass-through argument",
               said + ": " + Hex(made[0].args.empty() ? 0 : made[0].args[0]) + ", not " + Hex(target));
    return said;
}

// Texts handed over by the library: copies of its texts, or its pointers.
std::string AudioLinkTester::AddOnTexts(Draw &draw)
{
    if (OverEngine())
        return "(not over the engine) texts";
    // A text longer than the library keeps is cut at 259 bytes, then trimmed.
    static const std::string longText = "  " + std::string(298, 'x') + " ", longKept(257, 'x');
    static const char *const texts[] = {"  Line In  ", "Mic", "", nullptr, longText.c_str()};
    static const char *const trimmed[] = {"Line In", "Mic", "", "", longKept.c_str()};
    size_t which = draw.Below(5);
    const char *text = texts[which];
    switch (draw.Below(3)) {
    case 0:
    case 1: {
        bool input = draw.OneIn(2);
        const char *entry = input ? "BASS_RecordGetInputName" : "BASS_RecordGetDeviceDescription";
        Script(entry, ULONG_PTR(text));
        std::string got = Take(input ? al_.BASSRECORDGETINPUTNAME(int(draw.Below(3)))
                                     : al_.BASSRECORDGETDEVICEDESCRIPTION(draw.Below(3)));
        std::string expected = Has(Bass, entry) ? trimmed[which] : "";
        Expect(got == expected, "library text", std::string(entry) + ": \"" + got + "\"");
        return entry;
    }
    default: {
        Script("BASS_CD_GetDriveDescription", ULONG_PTR(text));
        const char *got = al_.BASSCDGETDRIVEDESCRIPTION(draw.Below(3));
        Expect(got == (Has(Cd, "BASS_CD_GetDriveDescription") ? text : nullptr), "library text", "drive description");
        return "drive description";
    }
    }
}

std::string AudioLinkTester::SearchAndTexts(Draw &draw)
{
    switch (draw.Below(3)) {
    case 0: {
        static const char *const tails[] = {"", "\\", "\\\\"};
        std::string folder = plugins_ + draw.Pick(tails);
        std::string got = Take(al_.BASSVISFINDPLUGINS(folder.c_str(), draw.Below(5)));
        Expect(got == expectedPlugins_, "plug-ins found", got);
        return "find plug-ins in " + folder;
    }
    case 1:
        Expect(Take(al_.BASSSTRINGFROMPTR("  two words  ")) == "two words", "text from a pointer");
        Expect(Take(al_.BASSSTRINGFROMPTR(nullptr)).empty(), "text from a pointer");
        return "texts from pointers";
    default:
        Expect(Take(al_.BASSERRORDESCRIPTION(0xFFFFFFFF)) == "Some Other Mystery Error.", "error description");
        Expect(Take(al_.BASSERRORDESCRIPTION(10)).empty(), "error description");
        return "error descriptions";
    }
}

// The rotate effect's procedure over a block, as the mixing thread runs it.
std::string AudioLinkTester::RunRotate(Draw &draw)
{
    if (OverEngine() || !rack_.present || !rack_.slot[17] || !alive_.channels.count(current_))
        return "no rotation runs";
    static short samples[2050];
    static const DWORD lengths[] = {0, 4, 6, 4096, 4099};
    DWORD length = draw.Pick(lengths);
    for (short &sample : samples)
        sample = short(draw.Bits());
    HANDLE thread = bassdouble::RunDsp(samples, length);
    Expect(thread != nullptr, "rotation runs");
    Expect(WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0, "rotation runs", "the procedure hangs");
    CloseHandle(thread);
    return "rotate " + std::to_string(length) + " bytes";
}

// ---- Steps and checks ---------------------------------------------------------------------

std::string AudioLinkTester::Step(Draw &draw)
{
    ScriptStep(draw);
    std::string said;
    bool freed = Has(Bass, "BASS_Free");
    if (!module_) {
        said = LoadModule(draw);
    } else {
        // Loading costs tens of milliseconds: a step in hundreds does.
        using Operation = std::string (AudioLinkTester::*)(Draw &);
        static const Operation operations[] = {
            &AudioLinkTester::UnloadModule,   &AudioLinkTester::CycleLibrary,   &AudioLinkTester::Open,
            &AudioLinkTester::Play,           &AudioLinkTester::Close,          &AudioLinkTester::CallThrough,
            &AudioLinkTester::ChangeDialog,   &AudioLinkTester::RegisterDialog, &AudioLinkTester::UpdateRack,
            &AudioLinkTester::ResetOrRemove,  &AudioLinkTester::ChangeSaving,   &AudioLinkTester::DeliverDownload,
            &AudioLinkTester::HostStreams,    &AudioLinkTester::FreeEverything, &AudioLinkTester::AddOnTexts,
            &AudioLinkTester::SearchAndTexts, &AudioLinkTester::RunRotate};
        size_t which = draw.OneIn(400) ? 0
                       : draw.OneIn(200) ? 1
                                         : draw.Weighted({0, 0, 20, 14, 6, 14, 10, 2, 12, 3, 3, 4, 5, 1, 4, 1, 1});
        said = (this->*operations[which])(draw);
    }
    // Unloading the library frees its output first.
    if (freed && !loaded_[Bass] && !variant_->engine)
        Expect(bassdouble::CallsOf("BASS_Free").size() == 1, "output freed on unloading");
    Absorb();
    return said;
}

// Over the engine, the handles it gave in this step.
void AudioLinkTester::Learn()
{
    if (!OverEngine())
        return;
    auto rename = [](Pairs &pairs, DWORD from, DWORD to, bool first) {
        Pairs renamed;
        bool done = false;
        for (auto [channel, handle] : pairs) {
            if (first && channel == from)
                channel = to;
            else if (!first && !done && handle == from) {
                handle = to;
                done = true;
            }
            renamed.insert({channel, handle});
        }
        pairs.swap(renamed);
    };
    if (current_ == Fresh) {
        DWORD actual = al_.BASSHANDLEINUSE();
        Expect(actual && actual != Fresh && !alive_.channels.count(actual), "engine channel", Hex(actual));
        alive_.channels[actual] = alive_.channels[Fresh];
        alive_.channels.erase(Fresh);
        rename(alive_.fx, Fresh, actual, true);
        rename(alive_.dsp, Fresh, actual, true);
        current_ = actual;
    }
    for (int n = 1; n <= 17; ++n) {
        if (rack_.slot[n] != Fresh)
            continue;
        DWORD actual = al_.BASSFXCHANNEL(n);
        Expect(actual && actual != Fresh, "rack slot", "slot " + std::to_string(n) + " is empty over the engine");
        rename(n == 17 ? alive_.dsp : alive_.fx, Fresh, actual, false);
        rack_.slot[n] = actual;
    }
}

void AudioLinkTester::Check()
{
    // Which modules are loaded changes with the steps that load and unload
    // (asking after a module that is not loaded costs a search of the path).
    if (std::exchange(modulesChanged_, false)) {
        Expect(StaysLoaded("audiolink.dll", module_ != nullptr), "module loaded");
        for (int m = 0; m < Holders; ++m)
            Expect(StaysLoaded(ModuleNames[m], loaded_[m]), "audio library modules",
                   std::string(ModuleNames[m]) + (loaded_[m] ? " is not loaded" : " is loaded"));
    }
    if (!module_) {
        Expect(ledger_ == Alive{}, "alive in the library", ledger_.Describe());
        return;
    }
    Learn();
    DWORD current = al_.BASSHANDLEINUSE();
    Expect(current == current_, "current channel", Hex(current) + ", not " + Hex(current_));
    int type = al_.BASSMEDIATYPE();
    Expect(type == (current_ ? mediaType_ : 0), "media type", std::to_string(type));
    for (int n = 1; n <= 17; ++n) {
        DWORD slot = al_.BASSFXCHANNEL(n);
        DWORD expected = rack_.present ? rack_.slot[n] : 0;
        Expect(slot == expected, "rack slot", std::to_string(n) + ": " + Hex(slot) + ", not " + Hex(expected));
    }
    Expect(al_.BASSFXWINDOW(nullptr, 0) == (registered_ ? dialog_->Window() : nullptr), "effects dialog");
    int tenths = 0;
    for (const Version &known : Versions)
        if (versionText_ == known.text)
            tenths = known.tenths;
    Expect(al_.BASSAVAILABLE() == (loaded_[Bass] && tenths >= 9 ? -1 : 0), "available");
    Expect(Take(al_.BASSGETVERSION()) == (loaded_[Bass] ? versionText_ : ""), "version");
    Expect(Take(al_.BASSMUSICNAME()) == musicName_, "music name", musicName_);
    Expect(Take(al_.BASSSTREAMNAME()) == streamName_, "stream name", streamName_);
    std::string url = Take(al_.BASSGETURLFILENAME());
    Expect(url == url_, "address played", url + ", not " + url_);
    std::string downloaded = Take(al_.BASSGETDOWNLOADEDFILE());
    Expect(downloaded == downloaded_, "downloaded file", downloaded + ", not " + downloaded_);

    if (OverEngine()) {
        char parameters[64];
        for (auto &[handle, music] : alive_.channels)
            Expect(al_.BASSSTREAMGETLENGTH(handle) == ToneBytes, "engine channel alive", Hex(handle));
        for (DWORD handle : freed_)
            if (!alive_.channels.count(handle))
                Expect(al_.BASSSTREAMGETLENGTH(handle) == 0, "engine channel freed", Hex(handle));
        for (auto &[channel, handle] : alive_.fx)
            Expect(al_.BASSFXGETPARAMETERS(handle, parameters), "engine effect alive", Hex(handle));
        for (DWORD handle : removedFx_)
            Expect(!al_.BASSFXGETPARAMETERS(handle, parameters), "engine effect removed", Hex(handle));
        if (freed_.size() > 16)
            freed_.erase(freed_.begin(), freed_.end() - 16);
        if (removedFx_.size() > 16)
            removedFx_.erase(removedFx_.begin(), removedFx_.end() - 16);
    } else {
        freed_.clear();
        removedFx_.clear();
        Expect(ledger_ == alive_, "alive in the library", "library: " + ledger_.Describe() + "\nmodel: " + alive_.Describe());
        Expect(bassdouble::LostCalls() == 0, "doubles' record");
    }

    if (copiesChanged_) {
        for (auto &[path, bytes] : copies_) {
            if (armed_ && opened_ && path == armedPath_)
                continue;
            std::string held = wholefile::ReadWholeFile(path);
            Expect(held == bytes, "saved copy",
                   path + " holds " + std::to_string(held.size()) + " bytes, not " + std::to_string(bytes.size()));
        }
        copiesChanged_ = false;
    }
}

void AudioLinkTester::Finish()
{
    if (module_) {
        // The host closes what it has and frees its streams; the library
        // frees the rest (music modules it forgot) as it goes.
        for (const char *entry : {"BASS_Stop", "BASS_StreamFree", "BASS_MusicFree", "BASS_Free",
                                  "BASS_ChannelRemoveFX", "BASS_ChannelRemoveDSP"})
            Script(entry, 1);
        bassdouble::ClearCalls();
        int expected = ModelClose(0);
        Expect(al_.BASSCLOSECHANNEL(0) == expected, "close result");
        std::vector<DWORD> streams;
        for (auto &[handle, music] : alive_.channels)
            if (!music)
                streams.push_back(handle);
        for (DWORD stream : streams) {
            al_.BASSSTREAMFREE(stream);
            if (Has(Bass, "BASS_StreamFree"))
                alive_.Free(stream);
        }
        Absorb();
        Check();
        bool freed = Has(Bass, "BASS_Free");
        Draw unused(0, 0);
        UnloadModule(unused);
        if (freed && !variant_->engine)
            Expect(bassdouble::CallsOf("BASS_Free").size() == 1, "output freed on unloading");
        Absorb();
    }
    Check();
    for (auto &[path, bytes] : copies_)
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            Expect(wholefile::IsClosedByOthers(path), "saved copy closed", path);
    dialog_.reset();
    SetCurrentDirectoryA(startFolder_.c_str());
    tempfolder::RemoveTree(scratch_);
    Expect(GetFileAttributesA(scratch_.c_str()) == INVALID_FILE_ATTRIBUTES, "files released", scratch_);
}

} // namespace

const sequence::Module AudioLinkModule{
    "audiolink",
    [] { return std::unique_ptr<sequence::Tester>(new AudioLinkTester()); },
    {1, 2, 3},
    1500,
    120,
    {
        "314:823,862,867,873-875  a network stream played twice: the first stream's blocks went into the "
        "second one's saved copy",
    },
};

int main(int argc, char **argv)
{
    return sequence::Main(argc, argv, AudioLinkModule);
}
