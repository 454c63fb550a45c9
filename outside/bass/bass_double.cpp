// One source for every double of the family: each built module exports the
// entry points its .def file lists, all recorded and answered alike.
//
// An exported entry point is a jump to a stub made from the contract's
// pointer type, so the stub takes exactly the arguments the caller passed
// (at 32 bits, being stdcall, it removes the words the caller pushed).
// Every stub returns 64 bits (EDX:EAX at 32 bits, RAX at 64): a caller of a
// 32-bit or void entry point reads the low part or nothing.
//
// Nothing here uses the C++ runtime's containers, allocation or exceptions
// (see double_memory.h): memory comes from the process heap.
#include "bass.h"
#include "double_memory.h"

#include <type_traits>

namespace bassdouble {

namespace {

using namespace memory;

#define DOUBLE_ENTRY_ENUM(name) name,
enum class Entry {
    BASS_ENTRY_POINTS(DOUBLE_ENTRY_ENUM) BASSWMA_ENTRY_POINTS(DOUBLE_ENTRY_ENUM)
        BASSENC_ENTRY_POINTS(DOUBLE_ENTRY_ENUM) BASSCD_ENTRY_POINTS(DOUBLE_ENTRY_ENUM)
            BASSVIS_ENTRY_POINTS(DOUBLE_ENTRY_ENUM)
};
#undef DOUBLE_ENTRY_ENUM

#define DOUBLE_ENTRY_NAME(name) #name,
const char *const EntryNames[] = {
    BASS_ENTRY_POINTS(DOUBLE_ENTRY_NAME) BASSWMA_ENTRY_POINTS(DOUBLE_ENTRY_NAME)
        BASSENC_ENTRY_POINTS(DOUBLE_ENTRY_NAME) BASSCD_ENTRY_POINTS(DOUBLE_ENTRY_NAME)
            BASSVIS_ENTRY_POINTS(DOUBLE_ENTRY_NAME)};
#undef DOUBLE_ENTRY_NAME

constexpr DWORD DefaultVersion = 2; // 2.0: major in the low word

char ModuleName[16] = "?";

// What the library under test handed over, for the control functions.
// Written and read on the test's thread only.
struct {
    BASS_DownloadProc proc = nullptr;
    DWORD_PTR user = 0;
} Download;

struct {
    BASS_DspProc proc = nullptr;
    DWORD handle = 0, channel = 0;
    DWORD_PTR user = 0;
} Dsp;

// Effects keep their parameters as the library does: BASS_ChannelSetFX
// makes an effect of its type (its handle is the scripted result), the
// set call stores a record of the type's size, the get call fills one in.
// The record handed over or filled goes into the call's record; returns its
// size (0: none).
DWORD KeepParameters(Entry entry, const ArgWord *args, DWORD result, BYTE *block)
{
    SharedState *state = Shared();
    if (!state)
        return 0;
    StateLock hold(state);
    switch (entry) {
    case Entry::BASS_ChannelSetFX: { // (channel, type)
        if (!result)
            return 0;
        SharedEffect *effect = EffectOf(state, result);
        if (!effect) {
            if (state->effectCount >= MaxEffects)
                return 0;
            effect = &state->effects[state->effectCount++];
        }
        effect->handle = result;
        effect->type = DWORD(args[1]);
        ZeroMemory(effect->block, sizeof effect->block);
        return 0;
    }
    case Entry::BASS_FXSetParameters:   // (fx, params)
    case Entry::BASS_FXGetParameters: { // (fx, params)
        SharedEffect *effect = EffectOf(state, DWORD(args[0]));
        auto *params = reinterpret_cast<BYTE *>(args[1]);
        DWORD bytes = effect ? BlockBytesOf(effect->type) : 0;
        if (!params || !bytes)
            return 0;
        if (entry == Entry::BASS_FXSetParameters)
            CopyMemory(effect->block, params, bytes);
        else
            CopyMemory(params, effect->block, bytes);
        CopyMemory(block, params, bytes);
        return bytes;
    }
    default:
        return 0;
    }
}

// The library reads the start of a stream before BASS_StreamCreateURL
// returns, whether the creation then succeeds or not: when a test scripted
// "(create block)" as n, the download procedure gets n bytes (at most 256)
// on the caller's thread inside the call.
constexpr DWORD MaxFirstBlock = 256;

void DeliverFirstBlock()
{
    ULONGLONG bytes = 0;
    if (!Download.proc || !ScriptedResult("(create block)", &bytes) || bytes == 0)
        return;
    char block[MaxFirstBlock];
    DWORD length = bytes < MaxFirstBlock ? DWORD(bytes) : MaxFirstBlock;
    FillMemory(block, length, 'd');
    Download.proc(block, length, Download.user);
}

ULONGLONG Answer(Entry entry, const ArgWord *args, DWORD count, const char *const *texts,
                 const bool *isText)
{
    const char *name = EntryNames[int(entry)];
    ULONGLONG result = 0;
    if (!ScriptedResult(name, &result) && entry == Entry::BASS_GetVersion)
        result = DefaultVersion;
    BYTE block[MaxBlockBytes];
    DWORD blockBytes = KeepParameters(entry, args, DWORD(result), block);
    Record(ModuleName, name, args, count, texts, isText, block, blockBytes);
    switch (entry) {
    case Entry::BASS_StreamCreateURL: // (url, offset, flags, proc, user)
        Download.proc = reinterpret_cast<BASS_DownloadProc>(args[3]);
        Download.user = args[4];
        DeliverFirstBlock();
        break;
    case Entry::BASS_ChannelSetDSP: // (channel, proc, user, priority)
        Dsp.proc = reinterpret_cast<BASS_DspProc>(args[1]);
        Dsp.channel = DWORD(args[0]);
        Dsp.user = args[2];
        Dsp.handle = DWORD(result);
        break;
    default:
        break;
    }
    return result;
}

template <typename T> ArgWord Word(T value)
{
    static_assert(sizeof(T) <= sizeof(ArgWord), "every argument is one word of the pointer's size");
    ArgWord word = 0;
    CopyMemory(&word, &value, sizeof value);
    return word;
}

template <typename T> const char *TextOf(T)
{
    return nullptr;
}
const char *TextOf(const char *text)
{
    return text;
}

template <typename T> constexpr bool IsText = std::is_same_v<T, const char *>;

template <typename Pointer> struct Stub;
template <typename R, typename... A> struct Stub<R(__stdcall *)(A...)> {
    template <Entry E> static ULONGLONG __stdcall Enter(A... args)
    {
        const ArgWord words[] = {Word(args)..., 0};
        const char *const texts[] = {TextOf(args)..., nullptr};
        const bool isText[] = {IsText<A>..., false};
        return Answer(E, words, DWORD(sizeof...(A)), texts, isText);
    }
};

// The control functions' threads hold a reference to the double, so that
// it stays loaded until they are done.
HMODULE ReferenceToSelf()
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<const char *>(&ReferenceToSelf), &self);
    return self;
}

// A job and what it carries, in one block of the process heap.
void *NewJob(size_t size)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void FreeJob(void *job)
{
    HeapFree(GetProcessHeap(), 0, job);
}

struct DownloadJob {
    BASS_DownloadProc proc;
    DWORD_PTR user;
    BOOL end;
    DWORD count;
    HMODULE self;
    // count block lengths, then the blocks' bytes one after another
};

DWORD *BlockLengths(DownloadJob *job)
{
    return reinterpret_cast<DWORD *>(job + 1);
}

DWORD WINAPI RunDownload(void *parameter)
{
    auto *job = static_cast<DownloadJob *>(parameter);
    const DWORD *lengths = BlockLengths(job);
    const char *block = reinterpret_cast<const char *>(lengths + job->count);
    for (DWORD n = 0; n < job->count; ++n) {
        job->proc(block, lengths[n], job->user);
        block += lengths[n];
    }
    if (job->end)
        job->proc(nullptr, 0, job->user);
    HMODULE self = job->self;
    FreeJob(job);
    FreeLibraryAndExitThread(self, 0);
}

struct DspJob {
    BASS_DspProc proc;
    DWORD handle, channel;
    DWORD_PTR user;
    void *buffer;
    DWORD length;
    HMODULE self;
};

DWORD WINAPI RunDspJob(void *parameter)
{
    auto *job = static_cast<DspJob *>(parameter);
    job->proc(job->handle, job->channel, job->buffer, job->length, job->user);
    HMODULE self = job->self;
    FreeJob(job);
    FreeLibraryAndExitThread(self, 0);
}

template <typename Job> HANDLE StartJob(LPTHREAD_START_ROUTINE routine, Job *job)
{
    job->self = ReferenceToSelf();
    HANDLE thread = CreateThread(nullptr, 0, routine, job, 0, nullptr);
    if (!thread) {
        if (job->self)
            FreeLibrary(job->self);
        FreeJob(job);
    }
    return thread;
}

// Up to version 1.1 (a version number of at most 1.1) BASS_MusicGetLength
// took the channel alone; later versions take two arguments. The double
// takes as many words as the version it answers with, so a caller that
// passes the wrong count unbalances its own stack, as with the library.
bool MusicLengthTakesOneArgument()
{
    ULONGLONG version = DefaultVersion;
    ScriptedResult("BASS_GetVersion", &version);
    DWORD major = DWORD(version) & 0xFFFF;
    DWORD minor = (DWORD(version) >> 16) & 0xFFFF;
    // "1.1", "1.10", "1.100": the digits after the point read as a fraction.
    while (minor && minor % 10 == 0)
        minor /= 10;
    return major < 1 || (major == 1 && minor <= 1);
}

} // namespace

} // namespace bassdouble

using namespace bassdouble;

extern "C" {

// The stub for this call's version, for the jump below.
__attribute__((used)) const void *MusicLengthStub()
{
    if (MusicLengthTakesOneArgument())
        return reinterpret_cast<const void *>(&Stub<BASS_MusicGetLengthV1_t>::Enter<Entry::BASS_MusicGetLength>);
    return reinterpret_cast<const void *>(&Stub<BASS_MusicGetLength_t>::Enter<Entry::BASS_MusicGetLength>);
}

// Chooses the stub on entry, before the caller's words are touched. At 64
// bits the arguments are in registers: they are kept across the call, in a
// frame that leaves the stack 16-byte aligned with its 32 bytes of shadow
// space.
__attribute__((naked)) void MusicLengthByVersion()
{
#ifdef __x86_64__
    asm("push %rcx\n\t"
        "push %rdx\n\t"
        "push %r8\n\t"
        "push %r9\n\t"
        "sub $40, %rsp\n\t"
        "call MusicLengthStub\n\t"
        "add $40, %rsp\n\t"
        "pop %r9\n\t"
        "pop %r8\n\t"
        "pop %rdx\n\t"
        "pop %rcx\n\t"
        "jmp *%rax");
#else
    asm("call _MusicLengthStub\n\t"
        "jmp *%eax");
#endif
}

} // extern "C"

// An exported entry point's jump through its target pointer (C symbols
// carry a leading underscore at 32 bits only).
#ifdef __x86_64__
#define DOUBLE_JUMP(name) asm("jmp *" #name "_target(%rip)")
#else
#define DOUBLE_JUMP(name) asm("jmp *_" #name "_target")
#endif

// The exported entry points: a jump through a pointer to the stub.
#define DOUBLE_EXPORT(name)                                                                \
    extern "C" {                                                                           \
    extern const void *const name##_target;                                                \
    __attribute__((naked)) void name() { DOUBLE_JUMP(name); }                              \
    const void *const name##_target =                                                      \
        Entry::name == Entry::BASS_MusicGetLength                                          \
            ? reinterpret_cast<const void *>(&MusicLengthByVersion)                        \
            : reinterpret_cast<const void *>(&Stub<name##_t>::Enter<Entry::name>);         \
    }
BASS_ENTRY_POINTS(DOUBLE_EXPORT)
BASSWMA_ENTRY_POINTS(DOUBLE_EXPORT)
BASSENC_ENTRY_POINTS(DOUBLE_EXPORT)
BASSCD_ENTRY_POINTS(DOUBLE_EXPORT)
BASSVIS_ENTRY_POINTS(DOUBLE_EXPORT)
#undef DOUBLE_EXPORT

extern "C" {

HANDLE __stdcall DoubleDeliverDownload(const void *data, const DWORD *lengths, DWORD count, BOOL end)
{
    if (!Download.proc || (count && !lengths) || count > 0x100000)
        return nullptr;
    size_t total = 0;
    for (DWORD n = 0; n < count; ++n)
        total += lengths[n];
    if (total && !data)
        return nullptr;
    auto *job = static_cast<DownloadJob *>(NewJob(sizeof(DownloadJob) + count * sizeof(DWORD) + total));
    if (!job)
        return nullptr;
    job->proc = Download.proc;
    job->user = Download.user;
    job->end = end;
    job->count = count;
    DWORD *blockLengths = BlockLengths(job);
    if (count)
        CopyMemory(blockLengths, lengths, count * sizeof(DWORD));
    if (total)
        CopyMemory(blockLengths + count, data, total);
    return StartJob(RunDownload, job);
}

HANDLE __stdcall DoubleRunDsp(void *buffer, DWORD length)
{
    if (!Dsp.proc)
        return nullptr;
    auto *job = static_cast<DspJob *>(NewJob(sizeof(DspJob)));
    if (!job)
        return nullptr;
    *job = DspJob{Dsp.proc, Dsp.handle, Dsp.channel, Dsp.user, buffer, length, nullptr};
    return StartJob(RunDspJob, job);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(instance, path, MAX_PATH);
        const char *base = path;
        for (const char *at = path; *at; ++at) {
            if (*at == '\\')
                base = at + 1;
        }
        size_t n = 0;
        for (; base[n] && n + 1 < sizeof ModuleName; ++n)
            ModuleName[n] = base[n] >= 'a' && base[n] <= 'z' ? char(base[n] - 'a' + 'A') : base[n];
        ModuleName[n] = '\0';
        Record(ModuleName, "(attach)", nullptr, 0, nullptr, nullptr);
    } else if (reason == DLL_PROCESS_DETACH) {
        Record(ModuleName, "(detach)", nullptr, 0, nullptr, nullptr);
        Release();
    }
    return TRUE;
}

} // extern "C"
