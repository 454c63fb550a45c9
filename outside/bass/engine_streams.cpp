// Streams and samples of the rendering engine: WAVE files read whole into
// memory, from a file, from the caller's memory, or from an address served
// from a local folder, whose bytes also go to the caller's download
// procedure on a thread of the engine's own.
#include "render_engine.h"

namespace engine {

FileBytes *NewFileBytes(size_t size)
{
    auto *file = static_cast<FileBytes *>(HeapAlloc(GetProcessHeap(), 0, sizeof(FileBytes) + size));
    if (file) {
        file->references = 1;
        file->size = size;
    }
    return file;
}

void ReleaseFileBytes(FileBytes *file)
{
    if (file && InterlockedDecrement(&file->references) == 0)
        HeapFree(GetProcessHeap(), 0, file);
}

DWORD OpenChannel(FileBytes *file, DWORD flags, bool sample)
{
    WavFormat format;
    WavResult result = ReadWav(file->bytes(), file->size, &format);
    if (result != WavResult::Ok) {
        ReleaseFileBytes(file);
        return Fail(result == WavResult::NotWav ? BASS_ERROR_FILEFORMAT : BASS_ERROR_FORMAT, DWORD(0));
    }
    Channel *channel = FreeChannelSlot();
    if (!channel) {
        ReleaseFileBytes(file);
        return Fail(BASS_ERROR_NOCHANNEL, DWORD(0));
    }
    ZeroMemory(channel, sizeof *channel);
    channel->handle = NewHandle(HandleKind::Channel, DWORD(channel - Engine.channels));
    channel->sample = sample;
    channel->decode = !sample && (flags & BASS_STREAM_DECODE) != 0;
    channel->flags = flags;
    channel->state = ChannelStopped;
    channel->file = file;
    channel->format = format;
    channel->source.data = file->bytes() + format.dataOffset;
    channel->source.frames = format.Frames();
    channel->source.channels = format.channels;
    channel->source.bits = format.bits;
    channel->rate = Slide{double(format.rate), double(format.rate), 0.0, 0};
    channel->volume = Slide{100.0, 100.0, 0.0, 0};
    channel->pan = Slide{0.0, 0.0, 0.0, 0};
    return Succeed(channel->handle);
}

namespace {

// ---- Reading what a stream is made of ----------------------------------------

// The bytes of a file from offset, length of them (0: to the end), or null
// with the error code set.
FileBytes *ReadFileBytes(const char *name, DWORD offset, DWORD length)
{
    if (!name)
        return Fail(BASS_ERROR_FILEOPEN, static_cast<FileBytes *>(nullptr));
    HANDLE handle = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail(BASS_ERROR_FILEOPEN, static_cast<FileBytes *>(nullptr));
    DWORD high = 0;
    DWORD size = GetFileSize(handle, &high);
    FileBytes *file = nullptr;
    int error = BASS_OK;
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        error = BASS_ERROR_FILEOPEN;
    else if (high || size > MaxFileBytes)
        error = BASS_ERROR_MEMORY;
    else if (offset > size)
        error = BASS_ERROR_FILEOPEN;
    if (error == BASS_OK) {
        DWORD wanted = size - offset;
        if (length && length < wanted)
            wanted = length;
        file = NewFileBytes(wanted);
        DWORD read = 0;
        if (!file)
            error = BASS_ERROR_MEMORY;
        else if (SetFilePointer(handle, LONG(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
                 !ReadFile(handle, file->bytes(), wanted, &read, nullptr) || read != wanted)
            error = BASS_ERROR_FILEOPEN;
    }
    CloseHandle(handle);
    if (error != BASS_OK) {
        ReleaseFileBytes(file);
        return Fail(error, static_cast<FileBytes *>(nullptr));
    }
    return file;
}

// A copy of the caller's memory: the stream does not depend on it.
FileBytes *CopyMemoryBytes(const void *data, DWORD offset, DWORD length)
{
    if (!data || !length)
        return Fail(BASS_ERROR_ILLEGALPARAM, static_cast<FileBytes *>(nullptr));
    if (length > MaxFileBytes)
        return Fail(BASS_ERROR_MEMORY, static_cast<FileBytes *>(nullptr));
    FileBytes *file = NewFileBytes(length);
    if (!file)
        return Fail(BASS_ERROR_MEMORY, static_cast<FileBytes *>(nullptr));
    CopyMemory(file->bytes(), static_cast<const BYTE *>(data) + offset, length);
    return file;
}

FileBytes *SourceBytes(BOOL memory, const void *file, DWORD offset, DWORD length)
{
    return memory ? CopyMemoryBytes(file, offset, length)
                  : ReadFileBytes(static_cast<const char *>(file), offset, length);
}

// ---- Addresses -----------------------------------------------------------------

bool StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix; ++text, ++prefix) {
        char c = *text >= 'A' && *text <= 'Z' ? char(*text - 'A' + 'a') : *text;
        if (c != *prefix)
            return false;
    }
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The local file that serves an address: its last path part (before any
// query or fragment, %XX decoded) in the folder TARN_ENGINE_URL_FOLDER.
// Sets the error code and returns false for an address it cannot serve.
bool ServingFile(const char *url, char *path, DWORD size)
{
    if (!url || !(StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "ftp://")))
        return Fail(BASS_ERROR_FILEOPEN, false);
    char folder[MAX_PATH] = {};
    DWORD folderLength = Setting("TARN_ENGINE_URL_FOLDER", folder, sizeof folder);
    if (!folderLength)
        return Fail(BASS_ERROR_NONET, false);
    const char *end = url;
    while (*end && *end != '?' && *end != '#')
        ++end;
    const char *name = end;
    while (name > url && name[-1] != '/')
        --name;
    char decoded[MAX_PATH] = {};
    DWORD length = 0;
    for (const char *at = name; at < end; ++at) {
        char c = *at;
        if (c == '%' && end - at > 2 && HexValue(at[1]) >= 0 && HexValue(at[2]) >= 0) {
            c = char(HexValue(at[1]) * 16 + HexValue(at[2]));
            at += 2;
        }
        // No way out of the folder, and no empty or control characters.
        if (c == '\\' || c == '/' || c == ':' || (unsigned char)c < 32 || length + 1 >= sizeof decoded)
            return Fail(BASS_ERROR_FILEOPEN, false);
        decoded[length++] = c;
    }
    decoded[length] = '\0';
    if (!length || lstrcmpA(decoded, ".") == 0 || lstrcmpA(decoded, "..") == 0)
        return Fail(BASS_ERROR_FILEOPEN, false);
    bool separator = folder[folderLength - 1] == '\\' || folder[folderLength - 1] == '/';
    if (folderLength + length + 2 > size)
        return Fail(BASS_ERROR_FILEOPEN, false);
    lstrcpyA(path, folder);
    if (!separator)
        lstrcatA(path, "\\");
    lstrcatA(path, decoded);
    return true;
}

} // namespace

// ---- Downloads ---------------------------------------------------------------

struct DownloadJob {
    volatile LONG references; // the channel's and the thread's
    volatile LONG cancelled;
    BASS_DownloadProc proc;
    DWORD_PTR user;
    FileBytes *file;
};

namespace {

constexpr DWORD DownloadBlockBytes = 4096;

void ReleaseJob(DownloadJob *job)
{
    if (InterlockedDecrement(&job->references) == 0) {
        ReleaseFileBytes(job->file);
        HeapFree(GetProcessHeap(), 0, job);
    }
}

// Calls the procedure unless the download was cancelled; false then.
bool Deliver(DownloadJob *job, const void *block, DWORD length)
{
    SectionHold hold(&DownloadLock);
    if (job->cancelled)
        return false;
    job->proc(block, length, job->user);
    return true;
}

DWORD WINAPI RunDownload(void *parameter)
{
    auto *job = static_cast<DownloadJob *>(parameter);
    const BYTE *bytes = job->file->bytes();
    size_t size = job->file->size;
    bool going = true;
    for (size_t at = 0; going && at < size; at += DownloadBlockBytes) {
        DWORD length = DWORD(size - at < DownloadBlockBytes ? size - at : DownloadBlockBytes);
        going = Deliver(job, bytes + at, length);
    }
    if (going)
        Deliver(job, nullptr, 0);
    ReleaseJob(job);
    // The reference StartEngineThread took for this thread.
    FreeLibraryAndExitThread(EngineModule, 0);
}

// Starts delivering the file's bytes to proc; false if no thread could be
// started.
bool StartDownload(Channel *channel, BASS_DownloadProc proc, DWORD_PTR user)
{
    auto *job = static_cast<DownloadJob *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DownloadJob)));
    if (!job)
        return false;
    job->references = 2;
    job->proc = proc;
    job->user = user;
    job->file = channel->file;
    InterlockedIncrement(&channel->file->references);
    if (!StartEngineThread(RunDownload, job)) {
        ReleaseFileBytes(job->file);
        HeapFree(GetProcessHeap(), 0, job);
        return false;
    }
    channel->download = job;
    return true;
}

} // namespace

void CancelDownload(Channel *channel)
{
    DownloadJob *job = channel->download;
    if (!job)
        return;
    {
        SectionHold hold(&DownloadLock);
        job->cancelled = 1;
    }
    channel->download = nullptr;
    ReleaseJob(job);
}

} // namespace engine

using namespace engine;

extern "C" {

DWORD __stdcall BASS_StreamCreateFile(BOOL memory, const void *file, DWORD offset, DWORD length,
                                      DWORD flags)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, DWORD(0));
    FileBytes *bytes = SourceBytes(memory, file, offset, length);
    return bytes ? OpenChannel(bytes, flags, false) : 0;
}

DWORD __stdcall BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags,
                                     BASS_DownloadProc proc, DWORD_PTR user)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, DWORD(0));
    char path[MAX_PATH] = {};
    if (!ServingFile(url, path, sizeof path))
        return 0;
    FileBytes *bytes = ReadFileBytes(path, offset, 0);
    if (!bytes)
        return 0;
    DWORD handle = OpenChannel(bytes, flags, false);
    if (!handle || !proc)
        return handle;
    if (!StartDownload(ChannelOf(handle), proc, user)) {
        FreeChannel(ChannelOf(handle));
        return Fail(BASS_ERROR_MEMORY, DWORD(0));
    }
    return Succeed(handle);
}

// Streams fed by the caller's procedures are not made by this engine.
DWORD __stdcall BASS_StreamCreate(DWORD frequency, DWORD channels, DWORD flags, void *proc, DWORD_PTR user)
{
    return Fail(BASS_ERROR_NOTAVAIL, DWORD(0));
}

DWORD __stdcall BASS_StreamCreateFileUser(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4)
{
    return Fail(BASS_ERROR_NOTAVAIL, DWORD(0));
}

void __stdcall BASS_StreamFree(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample) {
        SetError(BASS_ERROR_HANDLE);
        return;
    }
    FreeChannel(channel);
    SetError(BASS_OK);
}

// No module format is decoded: a file that opens is refused as a format
// the engine does not know.
DWORD __stdcall BASS_MusicLoad(BOOL memory, const void *file, DWORD offset, DWORD length,
                               DWORD flags, DWORD extra)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, DWORD(0));
    if (!memory) {
        FileBytes *bytes = ReadFileBytes(static_cast<const char *>(file), offset, length);
        if (!bytes)
            return 0;
        ReleaseFileBytes(bytes);
    }
    return Fail(BASS_ERROR_FILEFORMAT, DWORD(0));
}

// A sample holds a WAVE file's data; maxPlaybacks 1 to 65535.
DWORD __stdcall BASS_SampleLoad(BOOL memory, const void *file, DWORD offset, DWORD length,
                                DWORD maxPlaybacks, DWORD flags)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, DWORD(0));
    if (maxPlaybacks < 1 || maxPlaybacks > 65535)
        return Fail(BASS_ERROR_ILLEGALPARAM, DWORD(0));
    FileBytes *bytes = SourceBytes(memory, file, offset, length);
    DWORD handle = bytes ? OpenChannel(bytes, flags, true) : 0;
    if (handle)
        ChannelOf(handle)->maxPlaybacks = maxPlaybacks;
    return handle;
}

BOOL __stdcall BASS_SampleFree(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || !channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    FreeChannel(channel);
    return Succeed(TRUE);
}

// The record: rate, volume (0 to 100), pan (-100 to 100), flags, length in
// bytes, most playbacks at once, channel count, bits per sample; eight
// 32-bit fields.
BOOL __stdcall BASS_SampleGetInfo(DWORD handle, void *info)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || !channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!info)
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    const DWORD fields[8] = {channel->format.rate, 100, 0, channel->flags, DWORD(channel->format.dataBytes),
                             channel->maxPlaybacks, channel->format.channels, channel->format.bits};
    CopyMemory(info, fields, sizeof fields);
    return Succeed(TRUE);
}

} // extern "C"
