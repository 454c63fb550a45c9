// Playing a sample through the audio bridge, and the files beside the
// program.
#include "host_app.h"

#include <audiolink.h>

#include <cstdio>

namespace host {

namespace {

// The bridge takes a BSTR argument over and frees it itself.
BSTR ByteString(const std::string &text)
{
    return SysAllocStringByteLen(text.data(), UINT(text.size()));
}

std::string Upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

} // namespace

std::string TakeText(BSTR text)
{
    std::string result;
    if (text) {
        result.assign(reinterpret_cast<const char *>(text), SysStringByteLen(text));
        SysFreeString(text);
    }
    return result;
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string SampleFolder()
{
    return ProgramFolder() + "samples\\";
}

std::string HelpFolder()
{
    return ProgramFolder() + "help\\";
}

std::string FileAddress(const std::string &path)
{
    std::string address = "file://" + path;
    for (char &c : address)
        if (c == '\\')
            c = '/';
    return address;
}

std::string FindSampleIn(const std::string &folder)
{
    // The extensions the bridge opens from local files.
    static const char *const kKnown = ".MP3.WAV.OGG.MP1.MP2.XM.IT.MOD.MO3.MTM.S3M.WMA.";
    std::string base = folder;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((base + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::string result;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string name = found.cFileName;
        size_t dot = name.find_last_of('.');
        if (dot == std::string::npos)
            continue;
        std::string key = Upper(name.substr(dot)) + ".";
        if (std::string(kKnown).find(key) != std::string::npos && (result.empty() || name < result))
            result = name;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result.empty() ? result : base + result;
}

NowPlaying OpenAndPlay(HWND window, const std::string &path)
{
    NowPlaying playing;
    playing.path = path;
    playing.openResult = BASSOPEN(window, ByteString(path));
    std::string musicName = TakeText(BASSMUSICNAME());
    std::string streamName = TakeText(BASSSTREAMNAME());
    if (playing.openResult != 0) {
        playing.playError = TakeText(BASSERRORDESCRIPTION(DWORD(playing.openResult)));
        return playing;
    }
    playing.playResult = BASSPLAY(0, 0);
    if (playing.playResult != 0)
        playing.playError = TakeText(BASSERRORDESCRIPTION(DWORD(playing.playResult)));
    playing.kind = BASSMEDIATYPE();
    if (playing.kind == 0)
        playing.kind = !musicName.empty() ? MEDIAKIND_MUSIC : !streamName.empty() ? MEDIAKIND_STREAM : 0;
    playing.displayName = playing.kind == MEDIAKIND_MUSIC ? musicName : streamName;
    return playing;
}

std::string KindName(int kind)
{
    switch (kind) {
    case MEDIAKIND_MUSIC:
        return "1 (music module)";
    case MEDIAKIND_STREAM:
        return "3 (stream)";
    case MEDIAKIND_CDTRACK:
        return "4 (CD track)";
    case MEDIAKIND_WINDOWSMEDIA:
        return "5 (Windows Media)";
    default:
        return "0 (nothing)";
    }
}

std::string EffectHandles()
{
    static const char *const kSlotNames[] = {"",       "band 1", "band 2",  "band 3",  "band 4",
                                             "band 5", "band 6", "band 7",  "band 8",  "band 9",
                                             "band 10", "",      "",        "reverb",  "chorus",
                                             "flanger", "environmental reverb", "rotate"};
    std::string text;
    for (int slot = FXSLOT_BAND1; slot <= FXSLOT_COUNT; ++slot) {
        DWORD handle = BASSFXCHANNEL(slot);
        if (!handle)
            continue;
        char entry[64];
        std::snprintf(entry, sizeof entry, "%s%s = 0x%08lX", text.empty() ? "" : ", ", kSlotNames[slot],
                      static_cast<unsigned long>(handle));
        text += entry;
    }
    return text.empty() ? "none" : text;
}

} // namespace host
