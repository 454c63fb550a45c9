// Opening and playing media: BASSOPEN types a name and finds its display
// name, BASSPLAY makes and starts the channel for it.
#include "audiolink.h"

#include "bass_binding.h"
#include "byte_strings.h"
#include "effects_rack.h"
#include "media_names.h"
#include "media_state.h"
#include "stream_saving.h"
#include "themekit.h"
#include "version_text.h"

#include <cstring>
#include <string>

using namespace audiolink;
using namespace audiolink::bass;

namespace {

// BASSOPEN's result for a name it cannot open: "Can't Open the File."
constexpr int CannotOpenFile = 2;

// Above this version the library pre-buffers network streams on request
// and measures modules with two arguments.
constexpr double PreBufferVersion = 1.1;

bool VersionAbovePreBuffer()
{
    return VersionNumber(BassVersionText) > PreBufferVersion;
}

// The file-name part of a path, as the skin library splits it.
std::string FileNamePart(const std::string &path)
{
    BSTR folder = nullptr;
    BSTR fileName = nullptr;
    THSPLITN(path.c_str(), &folder, &fileName);
    std::string result(ByteStringBytes(fileName));
    SysFreeString(folder);
    SysFreeString(fileName);
    return result;
}

// A byte string of exactly size bytes, for the skin library to fill.
class ReadBuffer {
public:
    explicit ReadBuffer(UINT size) : text_(SysAllocStringByteLen(nullptr, size)) {}
    ~ReadBuffer() { SysFreeString(text_); }
    ReadBuffer(const ReadBuffer &) = delete;
    ReadBuffer &operator=(const ReadBuffer &) = delete;
    BSTR *Address() { return &text_; }
    std::string_view Bytes() const { return ByteStringBytes(text_); }

private:
    BSTR text_;
};

// A file opened for reading through the skin library, closed on leaving.
class SkinFile {
public:
    explicit SkinFile(const std::string &path)
    {
        if (THFOPEN(path.c_str(), 0, 2, &handle_) != 0)
            handle_ = 0;
    }
    ~SkinFile()
    {
        if (handle_)
            THFCLOSE(&handle_);
    }
    SkinFile(const SkinFile &) = delete;
    SkinFile &operator=(const SkinFile &) = delete;
    int Handle() const { return handle_; }

private:
    int handle_ = 0;
};

std::string ModuleTitleOf(const std::string &path, const std::string &baseName, HostText host)
{
    SkinFile file(path);
    if (!file.Handle())
        return baseName;
    ReadBuffer header(256);
    if (!header.Bytes().data() || THFGET(file.Handle(), header.Address()) != 0)
        return baseName;
    return ModuleTitle(header.Bytes(), baseName, host);
}

std::string Id3v1NameOf(const std::string &path, const std::string &baseName, HostText host)
{
    SkinFile file(path);
    if (!file.Handle())
        return baseName;
    ReadBuffer tag(Id3v1Size);
    int size = THFLOF(file.Handle());
    if (!tag.Bytes().data() || size < int(Id3v1Size) ||
        THFGETAT(file.Handle(), size - int(Id3v1Size), tag.Address()) != 0)
        return baseName;
    return Id3v1Name(tag.Bytes(), baseName, host);
}

// Whether BASSOPEN takes a name of this length, as the system would take
// it as a path. In an 8-bit code page: fewer than 260 bytes, as always. For
// a UTF-8 host the system's limit counts the UTF-16 units the name becomes
// (260 of them with the terminator, one to three bytes each), so a name of
// 259 characters fits however many bytes it takes.
bool IsOpenableLength(const std::string &name, HostText host)
{
    if (host != HostText::Utf8)
        return name.size() < MAX_PATH;
    if (name.size() >= PathBufferSize)
        return false;
    int units = name.empty() ? 0 : MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()), nullptr, 0);
    return units < MAX_PATH;
}

// The short form of a local path, or the path as given when there is none
// that BASSOPEN would take. Under UTF-8 a volume without short names gives
// the long path back.
std::string WorkingName(const std::string &name, HostText host)
{
    if (IsNetworkName(name))
        return name;
    DWORD room = host == HostText::Utf8 ? DWORD(PathBufferSize) : DWORD(MAX_PATH);
    DWORD length = GetShortPathNameA(name.c_str(), PathBuffer, room);
    if (length == 0 || length >= room)
        return name;
    std::string shortName(PathBuffer, length);
    return IsOpenableLength(shortName, host) ? shortName : name;
}

int OpenMedia(HWND window, std::string name)
{
    if (!ModuleTable.BassModule)
        return 0;
    // A zero byte ends the name for the system; a longer name would not fit
    // the scratch buffer that BASSPLAY hands to the library.
    name.resize(strnlen(name.c_str(), name.size()));
    HostText host = CurrentHostText();
    if (!IsOpenableLength(name, host))
        return CannotOpenFile;

    if (!EngineReady) {
        // Output the host initialised itself is as good as our own.
        if (!BASSINIT(1, 44100, 0, window)) {
            int error = BASSERRORGETCODE();
            if (error != BASS_ERROR_ALREADY)
                return error;
        }
        EngineReady = true;
    }

    std::string baseName = DisplayText(CutExtension(FileNamePart(WithBackslashes(name))), host);
    bool network = IsNetworkName(name);
    std::string working = WorkingName(name, host);
    if (working.find('.') == std::string::npos)
        return CannotOpenFile;

    BASSCLOSE();
    MusicName.clear();
    StreamName.clear();

    int kind = KindForExtensionKey(ExtensionKey(working));
    PendingKind = kind;
    if (kind == NoMedia) {
        // Nothing is left for BASSPLAY to play by mistake.
        PendingPath.clear();
        return 0;
    }
    PendingPath = working;
    switch (kind) {
    case MusicModuleKind:
        MusicName = network ? baseName : ModuleTitleOf(working, baseName, host);
        break;
    case StreamKind:
        StreamName = network ? baseName : Id3v1NameOf(working, baseName, host);
        break;
    case WindowsMediaKind:
        if (network)
            StreamName = baseName;
        break;
    default:
        break;
    }
    return 0;
}

// What a row of BASSPLAY does once its channel exists.
struct StartPlan {
    int kind;
    bool effects;
    bool preBuffer;
};

int StartChannel(const StartPlan &plan)
{
    if (!CurrentChannel)
        return BASSERRORGETCODE();
    // A channel that then fails to start is still this kind's to free.
    CurrentChannelKind = plan.kind;
    if (plan.effects)
        ApplyEffects(CurrentChannel);
    int started = BASSSTART();
    if (started != 0)
        return started;
    if (plan.preBuffer && VersionAbovePreBuffer())
        Call<entry::BASS_StreamPreBuf>(CurrentChannel);

    BOOL played = FALSE;
    if (plan.kind == MusicModuleKind) {
        auto play = Find<entry::BASS_MusicPlayEx>();
        if (!play)
            return 0;
        played = play(CurrentChannel, BASS_MUSIC_PLAY_FROM_START, BASS_MUSIC_PLAY_KEEP_FLAGS,
                      BASS_MUSIC_PLAY_RESET);
    } else {
        auto play = Find<entry::BASS_StreamPlay>();
        if (!play)
            return 0;
        played = play(CurrentChannel, FALSE, 0);
    }
    if (!played)
        return BASSERRORGETCODE();
    CurrentMediaType = plan.kind;
    return 0;
}

DWORD NetworkStream(DWORD flags)
{
    DWORD_PTR user = PrepareLocalCopy(PendingPath);
    DWORD stream = BASSSTREAMCREATEURL(PathBuffer, 0, flags, DOWNLOADPROC, user);
    // No stream, no further blocks: what the library delivered while it
    // tried stays as an unfinished copy, closed now rather than held open.
    if (!stream)
        DisarmDownload();
    return stream;
}

int PlayMedia(DWORD offset, DWORD length)
{
    if (!ModuleTable.BassModule)
        return 0;
    size_t copied = PendingPath.copy(PathBuffer, PathBufferSize - 1);
    PathBuffer[copied] = '\0';
    BeginPlayback(PendingPath);
    bool network = IsNetworkName(PendingPath);

    switch (PendingKind) {
    case MusicModuleKind: {
        auto load = Find<entry::BASS_MusicLoad>();
        if (!load)
            return 0;
        CurrentChannel = load(FALSE, PathBuffer, offset, length, BASS_FLAGS_MUSIC_LOAD, 0);
        return StartChannel({MusicModuleKind, true, false});
    }
    case StreamKind:
        if (network) {
            CurrentChannel = NetworkStream(BASS_FLAGS_URL_STREAM);
            return StartChannel({StreamKind, false, true});
        }
        CurrentChannel = BASSSTREAMCREATEFILE(FALSE, PathBuffer, offset, length, BASS_FLAGS_FILE_STREAM);
        return StartChannel({StreamKind, true, false});
    case CdTrackKind: {
        if (PendingPath.size() < 2 || PendingPath[1] != ':')
            return 0;
        auto create = Find<entry::BASS_CD_StreamCreate>();
        if (!create)
            return 0;
        BSTR drives = THDSKLIST();
        int drive = CdDriveIndex(PendingPath[0], ByteStringBytes(drives));
        SysFreeString(drives);
        int track = CdTrackIndex(FileNamePart(PendingPath));
        CurrentChannel = create(DWORD(drive), DWORD(track), BASS_FLAGS_CD_STREAM);
        return StartChannel({CdTrackKind, true, false});
    }
    case WindowsMediaKind: {
        if (!ModuleTable.WmaModule)
            return 0;
        if (network) {
            CurrentChannel = NetworkStream(BASS_FLAGS_URL_WMA);
            return StartChannel({WindowsMediaKind, true, true});
        }
        auto create = Find<entry::BASS_WMA_StreamCreateFile>();
        if (!create)
            return 0;
        CurrentChannel = create(FALSE, PathBuffer, offset, length, BASS_FLAGS_WMA_FILE);
        return StartChannel({WindowsMediaKind, true, false});
    }
    default:
        return 0;
    }
}

DWORD MediaLength()
{
    if (!ModuleTable.BassModule || !CurrentChannel)
        return 0;
    ULONGLONG length = BASS_FAILURE_VALUE;
    switch (CurrentChannelKind) {
    case MusicModuleKind: {
        auto getLength = Find<entry::BASS_MusicGetLength>();
        if (!getLength)
            return 0;
        if (VersionAbovePreBuffer()) {
            length = getLength(CurrentChannel, FALSE);
        } else {
            auto older = reinterpret_cast<BASS_MusicGetLengthV1_t>(reinterpret_cast<void *>(getLength));
            length = older(CurrentChannel);
        }
        break;
    }
    case StreamKind:
    case CdTrackKind:
    case WindowsMediaKind:
        length = CallOr<entry::BASS_StreamGetLength>(ULONGLONG(BASS_FAILURE_VALUE), CurrentChannel);
        break;
    default:
        return 0;
    }
    return FailureAsZero(LowWord(length));
}

} // namespace

extern "C" {

int __stdcall BASSOPEN(HWND window, BSTR name)
{
    TakenByteString taken(name);
    return Shielded(0, [&] { return OpenMedia(window, std::string(taken.Bytes())); });
}

int __stdcall BASSPLAY(DWORD offset, DWORD length)
{
    return Shielded(0, [&] { return PlayMedia(offset, length); });
}

int __stdcall BASSMEDIATYPE(void)
{
    return CurrentChannel ? CurrentMediaType : 0;
}

DWORD __stdcall BASSMEDIAGETLENGTH(void)
{
    return Shielded(DWORD(0), MediaLength);
}

DWORD __stdcall BASSHANDLEINUSE(void)
{
    return CurrentChannel;
}

BSTR __stdcall BASSMUSICNAME(void)
{
    return NewByteString(MusicName);
}

BSTR __stdcall BASSSTREAMNAME(void)
{
    return NewByteString(StreamName);
}

} // extern "C"
