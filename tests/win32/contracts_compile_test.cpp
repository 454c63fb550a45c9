// The declarations of the outside libraries: all three headers in one
// translation unit with <windows.h>, and the facts that a wrong declaration
// would break at run time (record layouts, entry point names, the number of
// argument words each entry point takes).
#include <windows.h>

#include "themekit.h"
#include "bass.h"
#include "jaocx20.h"

#include "contracts_c_check.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

// Only matches __stdcall function pointers: an entry point declared with
// another convention does not compile here. words counts argument slots of
// the pointer's size: the 32-bit words the callee takes off the stack in the
// 32-bit build, one register or stack slot per argument in the 64-bit one.
template <typename F> struct StdcallSignature;
template <typename R, typename... A> struct StdcallSignature<R(__stdcall *)(A...)> {
    static constexpr std::size_t words =
        (std::size_t{0} + ... + ((sizeof(A) + sizeof(void *) - 1) / sizeof(void *)));
    static constexpr std::size_t floats = (std::size_t{0} + ... + std::is_same_v<A, float>);
    using Result = R;
    template <std::size_t N> using Arg = std::tuple_element_t<N, std::tuple<A...>>;
};

struct EntrySignature {
    std::size_t words;
    std::size_t floats;
};

#define AS_TEXT(name) #name,
#define AS_CODE(name) name,
#define AS_SIGNATURE(name) \
    {#name, {StdcallSignature<name##_t>::words, StdcallSignature<name##_t>::floats}},

const std::vector<std::string> kBassNames = {BASS_ENTRY_POINTS(AS_TEXT)};
const std::vector<std::string> kWmaNames = {BASSWMA_ENTRY_POINTS(AS_TEXT)};
const std::vector<std::string> kEncNames = {BASSENC_ENTRY_POINTS(AS_TEXT)};
const std::vector<std::string> kCdNames = {BASSCD_ENTRY_POINTS(AS_TEXT)};
const std::vector<std::string> kVisNames = {BASSVIS_ENTRY_POINTS(AS_TEXT)};

const std::map<std::string, EntrySignature> kSignatures = {
    BASS_ENTRY_POINTS(AS_SIGNATURE) BASSWMA_ENTRY_POINTS(AS_SIGNATURE)
    BASSENC_ENTRY_POINTS(AS_SIGNATURE) BASSCD_ENTRY_POINTS(AS_SIGNATURE)
    BASSVIS_ENTRY_POINTS(AS_SIGNATURE)};

// Expands the module lists in the form the library's contract writes them:
// "Prefix{A, B}; Name; ..." stands for PrefixA, PrefixB, Name.
std::set<std::string> ExpandEntryList(const std::string &text)
{
    auto trim = [](std::string s) {
        const auto first = s.find_first_not_of(" .");
        const auto last = s.find_last_not_of(" .");
        return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
    };
    std::set<std::string> names;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = trim(text.substr(start, end - start));
        const auto brace = item.find('{');
        if (brace == std::string::npos) {
            names.insert(item);
        } else {
            const std::string prefix = item.substr(0, brace);
            const std::string inner = item.substr(brace + 1, item.find('}') - brace - 1);
            std::size_t at = 0;
            while (at <= inner.size()) {
                std::size_t comma = inner.find(',', at);
                if (comma == std::string::npos)
                    comma = inner.size();
                names.insert(prefix + trim(inner.substr(at, comma - at)));
                at = comma + 1;
            }
        }
        start = end + 1;
    }
    return names;
}

void ExpectSameEntryPoints(const std::vector<std::string> &declared, const char *documented,
                           std::size_t count)
{
    const std::set<std::string> expected = ExpandEntryList(documented);
    const std::set<std::string> got(declared.begin(), declared.end());
    EXPECT_EQ(count, expected.size()) << "expanding: " << documented;
    EXPECT_EQ(declared.size(), got.size()) << "an entry point is listed twice";
    for (const auto &name : expected)
        EXPECT_TRUE(got.count(name)) << "missing from the list: " << name;
    for (const auto &name : got)
        EXPECT_TRUE(expected.count(name)) << "not an entry point of the module: " << name;
}

}  // namespace

TEST(BassRecords, InfoRecordIsSixtyBytesWithEaxAtByte32)
{
    EXPECT_EQ(60u, sizeof(BASS_INFO));
    EXPECT_EQ(0u, offsetof(BASS_INFO, size));
    EXPECT_EQ(32u, offsetof(BASS_INFO, eax));

    BASS_INFO info{};
    info.size = BASS_INFO_SIZE;
    reinterpret_cast<DWORD *>(&info)[8] = 1;  // the ninth field, as raw words
    EXPECT_EQ(1u, info.eax);
}

TEST(BassRecords, EffectParameterBlocksAreRunsOf32BitFields)
{
    EXPECT_EQ(8u, offsetof(BASS_FXPARAMEQ, gain));
    EXPECT_EQ(12u, offsetof(BASS_FXREVERB, highFreqRTRatio));

    // Chorus and flanger: integers at the fifth and seventh field.
    EXPECT_EQ(28u, sizeof(BASS_FXFLANGER));
    EXPECT_EQ(16u, offsetof(BASS_FXCHORUS, waveform));
    EXPECT_EQ(20u, offsetof(BASS_FXCHORUS, delay));
    EXPECT_EQ(24u, offsetof(BASS_FXCHORUS, phase));
    EXPECT_TRUE((std::is_same_v<decltype(BASS_FXCHORUS::waveform), DWORD>));
    EXPECT_TRUE((std::is_same_v<decltype(BASS_FXCHORUS::delay), float>));

    // I3DL2: integers (millibels) and floats interleaved.
    EXPECT_EQ(8u, offsetof(BASS_FXI3DL2REVERB, roomRolloffFactor));
    EXPECT_EQ(20u, offsetof(BASS_FXI3DL2REVERB, reflections));
    EXPECT_EQ(28u, offsetof(BASS_FXI3DL2REVERB, reverb));
    EXPECT_EQ(36u, offsetof(BASS_FXI3DL2REVERB, diffusion));
    EXPECT_EQ(44u, offsetof(BASS_FXI3DL2REVERB, hfReference));
    EXPECT_TRUE((std::is_same_v<decltype(BASS_FXI3DL2REVERB::reflections), LONG>));
    EXPECT_TRUE((std::is_same_v<decltype(BASS_FXI3DL2REVERB::reflectionsDelay), float>));

    EXPECT_EQ(0, BASS_FX_CHORUS);
    EXPECT_EQ(4, BASS_FX_FLANGER);
    EXPECT_EQ(6, BASS_FX_I3DL2REVERB);
    EXPECT_EQ(7, BASS_FX_PARAMEQ);
    EXPECT_EQ(8, BASS_FX_REVERB);
}

TEST(BassRecords, CompilerForCSeesTheSameLayoutsAndLists)
{
    ContractFactsC c{};
    ContractFactsFromC(&c);
    EXPECT_EQ(sizeof(BASS_INFO), c.bassInfoSize);
    EXPECT_EQ(offsetof(BASS_INFO, eax), c.bassInfoEax);
    EXPECT_EQ(offsetof(BASS_FXPARAMEQ, gain), c.paramEqGain);
    EXPECT_EQ(offsetof(BASS_FXREVERB, highFreqRTRatio), c.reverbRatio);
    EXPECT_EQ(offsetof(BASS_FXCHORUS, phase), c.chorusPhase);
    EXPECT_EQ(offsetof(BASS_FXI3DL2REVERB, hfReference), c.i3dl2HfReference);
    EXPECT_EQ(sizeof(THSTYLERECORD), c.styleRecordSize);
    EXPECT_EQ(kBassNames.size(), c.bassEntries);
    EXPECT_EQ(kWmaNames.size(), c.wmaEntries);
    EXPECT_EQ(kEncNames.size(), c.encEntries);
    EXPECT_EQ(kCdNames.size(), c.cdEntries);
    EXPECT_EQ(kVisNames.size(), c.visEntries);
    EXPECT_EQ(36u, c.errorCodes);
    EXPECT_STREQ(kBassNames.front().c_str(), c.firstBassEntry);
    EXPECT_STREQ(kVisNames.back().c_str(), c.lastVisEntry);
}

TEST(BassErrorCodes, ValuesMatchTheCodeTable)
{
    EXPECT_EQ(0, BASS_OK);
    EXPECT_EQ(2, BASS_ERROR_FILEOPEN);
    EXPECT_EQ(8, BASS_ERROR_INIT);
    EXPECT_EQ(14, BASS_ERROR_ALREADY);
    EXPECT_EQ(27, BASS_ERROR_NOTFILE);
    EXPECT_EQ(31, BASS_ERROR_NOSEQUENCE);
    EXPECT_EQ(37, BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(42, BASS_ERROR_SPEAKER);
    EXPECT_EQ(0xFFFFFFFFu, static_cast<DWORD>(BASS_ERROR_UNKNOWN));
}

TEST(BassErrorCodes, ListHoldsEveryCodeOnceAndNoneOfTheGaps)
{
    const std::vector<int> codes = {BASS_ERROR_CODES(AS_CODE)};
    const std::set<int> distinct(codes.begin(), codes.end());
    EXPECT_EQ(36u, codes.size());
    EXPECT_EQ(codes.size(), distinct.size());
    for (int gap : {10, 11, 12, 13, 15, 26, 28, 36, 43})
        EXPECT_FALSE(distinct.count(gap)) << "code " << gap << " has no meaning";
    for (int code : distinct)
        EXPECT_TRUE(code == -1 || (code >= 0 && code <= 42)) << code;
}

TEST(BassEntryPoints, ListsNameExactlyTheEntryPointsOfEachModule)
{
    ExpectSameEntryPoints(kBassNames,
        "BASS_Channel{GetAttributes, GetData, GetDevice, GetInfo, GetLevel, GetPosition, "
        "IsActive, Pause, RemoveDSP, RemoveFX, Resume, SetAttributes, SetDSP, SetFX, "
        "SetPosition, SetSync, SlideAttributes, Stop}; BASS_ErrorGetCode; "
        "BASS_FXGetParameters; BASS_FXSetParameters; BASS_Free; BASS_GetConfig; "
        "BASS_GetDevice; BASS_GetInfo; BASS_GetVersion; BASS_Init; "
        "BASS_Music{Free, GetLength, Load, PlayEx}; BASS_Pause; "
        "BASS_Record{Free, GetDevice, GetDeviceDescription, GetInput, GetInputName, Init, "
        "SetDevice, SetInput, Start}; BASS_Sample{Free, GetInfo, Load}; BASS_SetConfig; "
        "BASS_SetDevice; BASS_SetEAXParameters; BASS_Start; BASS_Stop; "
        "BASS_Stream{Create, CreateFile, CreateFileUser, CreateURL, Free, GetLength, Play, "
        "PreBuf}.",
        57);
    ExpectSameEntryPoints(kWmaNames,
        "BASS_WMA_Encode{Close, GetClients, GetPort, GetRates, Open, OpenFile, OpenNetwork, "
        "OpenPublish, SetNotify, SetTag, Write}; BASS_WMA_GetIWMReader; "
        "BASS_WMA_StreamCreateFile.",
        13);
    ExpectSameEntryPoints(kEncNames, "BASS_Encode_{IsActive, Start, Stop}.", 3);
    ExpectSameEntryPoints(kCdNames,
        "BASS_CD_{Door, DoorIsLocked, DoorIsOpen, GetDriveDescription, GetDriveLetter, GetID, "
        "GetInfo, GetTrackLength, GetTracks, IsReady, StreamCreate, StreamCreateFile, "
        "StreamGetTrack}.",
        13);
    ExpectSameEntryPoints(kVisNames,
        "BASS_SONIQUEVIS_{Clicked, CreateVis, Free, GetName, Render, Resize}; "
        "BASS_VIS_{GetConfig, SetConfig}.",
        8);
}

// A wrong argument count unbalances the stack of a __stdcall call made
// through GetProcAddress; the counts are those of the calls audiolink makes
// (64-bit positions and sync parameters as two words).
TEST(BassEntryPoints, EachTakesTheArgumentWordsItIsCalledWith)
{
    const std::map<std::string, std::size_t> words = {
        {"BASS_ChannelGetAttributes", 4}, {"BASS_ChannelGetData", 3},
        {"BASS_ChannelGetDevice", 1}, {"BASS_ChannelGetInfo", 2}, {"BASS_ChannelGetLevel", 1},
        {"BASS_ChannelGetPosition", 1}, {"BASS_ChannelIsActive", 1}, {"BASS_ChannelPause", 1},
        {"BASS_ChannelRemoveDSP", 2}, {"BASS_ChannelRemoveFX", 2}, {"BASS_ChannelResume", 1},
        {"BASS_ChannelSetAttributes", 4}, {"BASS_ChannelSetDSP", 4}, {"BASS_ChannelSetFX", 2},
        {"BASS_ChannelSetPosition", 3}, {"BASS_ChannelSetSync", 6},
        {"BASS_ChannelSlideAttributes", 5}, {"BASS_ChannelStop", 1}, {"BASS_ErrorGetCode", 0},
        {"BASS_FXGetParameters", 2}, {"BASS_FXSetParameters", 2}, {"BASS_Free", 0},
        {"BASS_GetConfig", 1}, {"BASS_GetDevice", 0}, {"BASS_GetInfo", 1},
        {"BASS_GetVersion", 0}, {"BASS_Init", 5}, {"BASS_MusicFree", 1},
        {"BASS_MusicGetLength", 2}, {"BASS_MusicLoad", 6}, {"BASS_MusicPlayEx", 4},
        {"BASS_Pause", 0}, {"BASS_RecordFree", 0}, {"BASS_RecordGetDevice", 0},
        {"BASS_RecordGetDeviceDescription", 1}, {"BASS_RecordGetInput", 1},
        {"BASS_RecordGetInputName", 1}, {"BASS_RecordInit", 1}, {"BASS_RecordSetDevice", 1},
        {"BASS_RecordSetInput", 2}, {"BASS_RecordStart", 4}, {"BASS_SampleLoad", 6},
        {"BASS_SetConfig", 2}, {"BASS_SetDevice", 1}, {"BASS_SetEAXParameters", 4},
        {"BASS_Start", 0}, {"BASS_Stop", 0}, {"BASS_StreamCreate", 5},
        {"BASS_StreamCreateFile", 5}, {"BASS_StreamCreateFileUser", 4},
        {"BASS_StreamCreateURL", 5}, {"BASS_StreamFree", 1}, {"BASS_StreamGetLength", 1},
        {"BASS_StreamPlay", 3}, {"BASS_StreamPreBuf", 1},
        {"BASS_WMA_EncodeClose", 1}, {"BASS_WMA_EncodeGetClients", 1},
        {"BASS_WMA_EncodeGetPort", 1}, {"BASS_WMA_EncodeGetRates", 2},
        {"BASS_WMA_EncodeOpen", 5}, {"BASS_WMA_EncodeOpenFile", 4},
        {"BASS_WMA_EncodeOpenNetwork", 5}, {"BASS_WMA_EncodeOpenPublish", 6},
        {"BASS_WMA_EncodeSetNotify", 3}, {"BASS_WMA_EncodeSetTag", 3},
        {"BASS_WMA_EncodeWrite", 3}, {"BASS_WMA_GetIWMReader", 1},
        {"BASS_WMA_StreamCreateFile", 5},
        {"BASS_Encode_IsActive", 1}, {"BASS_Encode_Start", 3}, {"BASS_Encode_Stop", 1},
        {"BASS_CD_Door", 2}, {"BASS_CD_DoorIsLocked", 1}, {"BASS_CD_DoorIsOpen", 1},
        {"BASS_CD_GetDriveDescription", 1}, {"BASS_CD_GetDriveLetter", 1},
        {"BASS_CD_GetID", 2}, {"BASS_CD_GetInfo", 2}, {"BASS_CD_GetTrackLength", 2},
        {"BASS_CD_GetTracks", 1}, {"BASS_CD_IsReady", 1}, {"BASS_CD_StreamCreate", 3},
        {"BASS_CD_StreamCreateFile", 2}, {"BASS_CD_StreamGetTrack", 1},
        {"BASS_SONIQUEVIS_Clicked", 3}, {"BASS_SONIQUEVIS_CreateVis", 5},
        {"BASS_SONIQUEVIS_Free", 1}, {"BASS_SONIQUEVIS_GetName", 1},
        {"BASS_SONIQUEVIS_Render", 3}, {"BASS_SONIQUEVIS_Resize", 3},
        {"BASS_VIS_GetConfig", 1}, {"BASS_VIS_SetConfig", 2},
    };
    // Listed by the module but called by nothing of ours.
    const std::set<std::string> uncalled = {"BASS_SampleFree", "BASS_SampleGetInfo"};

    for (const auto &[name, signature] : kSignatures) {
        const auto expected = words.find(name);
        if (expected == words.end()) {
            EXPECT_TRUE(uncalled.count(name)) << name << " has no expected word count";
            continue;
        }
        EXPECT_EQ(expected->second, signature.words) << name;
        // The EAX call is the only one of the family that takes floats.
        EXPECT_EQ(name == "BASS_SetEAXParameters" ? 3u : 0u, signature.floats) << name;
    }
    EXPECT_EQ(1u, StdcallSignature<BASS_MusicGetLengthV1_t>::words);

    // Lengths and positions are 64-bit results; only the low word is used.
    EXPECT_EQ(8u, sizeof(StdcallSignature<BASS_ChannelGetPosition_t>::Result));
    EXPECT_EQ(8u, sizeof(StdcallSignature<BASS_StreamGetLength_t>::Result));
    EXPECT_EQ(8u, sizeof(StdcallSignature<BASS_MusicGetLength_t>::Result));
}

TEST(BassEntryPoints, CallbacksSuppliedByAudiolinkHaveTheLibrarysShape)
{
    EXPECT_EQ(3u, StdcallSignature<BASS_DownloadProc>::words);
    EXPECT_EQ(5u, StdcallSignature<BASS_DspProc>::words);
    EXPECT_TRUE((std::is_void_v<StdcallSignature<BASS_DownloadProc>::Result>));
    EXPECT_TRUE((std::is_void_v<StdcallSignature<BASS_DspProc>::Result>));
    // They are what the URL stream and DSP calls take.
    EXPECT_TRUE((std::is_same_v<BASS_DownloadProc,
                                StdcallSignature<BASS_StreamCreateURL_t>::Arg<3>>));
    EXPECT_TRUE((std::is_same_v<BASS_DspProc, StdcallSignature<BASS_ChannelSetDSP_t>::Arg<1>>));
}

TEST(ContainerOperations, TakeTheArgumentsTheViewerPasses)
{
    EXPECT_EQ(0u, StdcallSignature<decltype(&JAInitializePBClient)>::words);
    EXPECT_EQ(11u, StdcallSignature<decltype(&JACreateControl)>::words);
    EXPECT_EQ(3u, StdcallSignature<decltype(&JASetControlResizeStyle)>::words);
    EXPECT_EQ(3u, StdcallSignature<decltype(&JASubscribeEvents)>::words);
    EXPECT_EQ(1u, StdcallSignature<decltype(&JADeleteControl)>::words);
    EXPECT_EQ(1u, StdcallSignature<decltype(&JAGetEventSenderDispatch)>::words);
    EXPECT_EQ(3u, StdcallSignature<decltype(&JAGetControlName)>::words);
    EXPECT_EQ(3u, StdcallSignature<decltype(&JAGetEventName)>::words);
    EXPECT_EQ(4u, StdcallSignature<decltype(&JAGetEventNamedParameterValue)>::words);
    EXPECT_EQ(1u, StdcallSignature<decltype(&JAReleaseDispatch)>::words);
    // The viewer's JAEVENTCALLBACK: three words, standard calling convention.
    EXPECT_EQ(3u, StdcallSignature<JAEventProc>::words);
    EXPECT_TRUE((std::is_same_v<JAEventProc,
                                StdcallSignature<decltype(&JASubscribeEvents)>::Arg<1>>));
    // The viewer calls IWebBrowser2 slots on what JACreateControl gives out.
    EXPECT_TRUE((std::is_same_v<IDispatch **,
                                StdcallSignature<decltype(&JACreateControl)>::Arg<8>>));

    // The style the viewer sets makes the control grow with the client area.
    EXPECT_EQ(0x1010u, JA_RESIZE_SIZE_X | JA_RESIZE_SIZE_Y);
    EXPECT_EQ(256, JA_NAME_SIZE);
}
