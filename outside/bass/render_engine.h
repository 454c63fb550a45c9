// The rendering engine: a "BASS.DLL" that really plays what it is asked
// to, with a WAVE file as its output device. Shared by its sources: the
// engine's state, its lock, its handles and its error code.
//
// Like the test doubles, the engine keeps clear of the C++ runtime's
// containers, allocation and exceptions: memory comes from the process
// heap, threads and locks from kernel32.
#pragma once
#include <windows.h>

#include "bass.h"
#include "peaking_filter.h"
#include "sample_render.h"
#include "wav_format.h"

#include <type_traits>

// Every entry point of "BASS.DLL" declared with its contract's type, so that
// a definition of another shape does not compile.
#define ENGINE_DECLARE_ENTRY(name) std::remove_pointer_t<name##_t> name;
extern "C" {
BASS_ENTRY_POINTS(ENGINE_DECLARE_ENTRY)
}
#undef ENGINE_DECLARE_ENTRY

namespace engine {

constexpr DWORD MaxChannels = 32;
constexpr DWORD MaxEffects = 128;
constexpr DWORD MaxDsps = 64;
constexpr DWORD MaxConfigOptions = 64;
// The mixer's block: the frames each DSP procedure sees at most per call.
constexpr DWORD BlockFrames = 1024;
// Files larger than this are refused as out of memory.
constexpr DWORD MaxFileBytes = 512u << 20;
// The largest effect parameter record (the I3DL2 reverb's).
constexpr DWORD MaxParameterBytes = 48;

// The one output device, and the rates BASS_Init accepts.
constexpr int OutputDevice = 1;
constexpr DWORD MinOutputRate = 8000;
constexpr DWORD MaxOutputRate = 192000;
constexpr DWORD EngineVersion = 2; // 2.0: major in the low word, minor in the high

// Flags of the calls that create and play channels.
constexpr DWORD SampleLoopFlag = 4;

// BASS_ChannelIsActive.
enum : DWORD { ChannelStopped = 0, ChannelPlaying = 1, ChannelStalled = 2, ChannelPaused = 3 };

// A file's bytes, shared by a channel and its download thread.
struct FileBytes {
    volatile LONG references;
    size_t size;
    BYTE *bytes() { return reinterpret_cast<BYTE *>(this + 1); }
};
FileBytes *NewFileBytes(size_t size);
void ReleaseFileBytes(FileBytes *file);

struct DownloadJob;

// An attribute that may be sliding toward a target.
struct Slide {
    double value, target, perFrame;
    DWORD framesLeft;
};

struct Channel {
    DWORD handle; // 0: the slot is free
    bool sample;  // made by BASS_SampleLoad: holds data, never plays
    bool decode;  // a decoding channel: read with BASS_ChannelGetData only
    bool loop;
    DWORD flags;
    DWORD state;
    FileBytes *file;
    WavFormat format;
    PcmSource source;
    FramePosition position;
    Slide rate, volume, pan; // frames per second; 0 to 100; -100 to 100
    DWORD level;             // peaks of the block played last
    DWORD lastFrames;        // the block played last, after effects
    int16_t lastBlock[BlockFrames * 2];
    DownloadJob *download;
    DWORD maxPlaybacks; // of a sample
};

struct Effect {
    DWORD handle; // 0: the slot is free
    DWORD channel;
    DWORD type;
    DWORD order; // effects run in the order they were set
    BYTE parameters[MaxParameterBytes];
    PeakingFilter filter;
};

struct Dsp {
    DWORD handle; // 0: the slot is free
    DWORD channel;
    BASS_DspProc proc;
    DWORD_PTR user;
    int priority; // higher runs first; equal ones in the order they were set
    DWORD order;
};

struct EngineState {
    bool initialised;
    bool started; // output runs (BASS_Init, BASS_Start) or is stopped (BASS_Stop)
    bool paused;  // BASS_Pause
    bool fast;    // render as fast as possible, no pacing
    int device;
    DWORD rate;
    DWORD initFlags;
    DWORD mixerGeneration; // a mixer thread runs while this is its own
    HANDLE output;         // the output file, or INVALID_HANDLE_VALUE
    ULONGLONG outputBytes;
    bool outputDirty; // its header lags behind its data
    DWORD config[MaxConfigOptions];
    DWORD serial;
    DWORD order;
    Channel channels[MaxChannels];
    Effect effects[MaxEffects];
    Dsp dsps[MaxDsps];
};

extern EngineState Engine;
extern HMODULE EngineModule;
// Wakes the mixer thread (a channel began to play, output started).
extern HANDLE MixerWake;

// Holds a critical section; at process exit, when a thread that the system
// has ended may still own it, goes on without it rather than wait forever.
class SectionHold {
public:
    explicit SectionHold(CRITICAL_SECTION *section);
    ~SectionHold();
    SectionHold(const SectionHold &) = delete;
    SectionHold &operator=(const SectionHold &) = delete;

private:
    CRITICAL_SECTION *section_;
};

// The download procedures run under this lock (not the engine's), so that
// once a stream is freed its procedure is never called again.
extern CRITICAL_SECTION DownloadLock;

// The engine lock: every entry point and each mixed block hold it. The DSP
// procedures run under it, so that once BASS_ChannelRemoveDSP or a free
// returns, its procedure is never called again. Re-entrant on one thread.
class EngineLock {
public:
    EngineLock();
    ~EngineLock();
    EngineLock(const EngineLock &) = delete;
    EngineLock &operator=(const EngineLock &) = delete;

private:
    bool held_;
};
// How many threads wait for the lock now.
LONG LockContenders();

// The error code of the calling thread's last call.
void SetError(int code);
int LastError();
// Sets the code and returns the failure value given.
template <typename T> T Fail(int code, T failure)
{
    SetError(code);
    return failure;
}
template <typename T> T Succeed(T result)
{
    SetError(BASS_OK);
    return result;
}

// Handles: the kind in the top bits, a serial number, the table index in
// the low byte; never 0.
enum class HandleKind : DWORD { Channel = 1, Effect = 2, Dsp = 3 };
DWORD NewHandle(HandleKind kind, DWORD index);
Channel *ChannelOf(DWORD handle); // a stream (or sample) in use, or null
Effect *EffectOf(DWORD handle);
Dsp *DspOf(DWORD handle);

// A free channel slot, or null.
Channel *FreeChannelSlot();
// Makes a channel of a file's bytes: the slot is filled and its handle
// returned, or 0 with the error code set (the bytes are released).
DWORD OpenChannel(FileBytes *file, DWORD flags, bool sample);
// Frees a channel: its effects, DSPs and download go with it.
void FreeChannel(Channel *channel);

// The output file (engine_mixer.cpp).
int OpenOutput();                // BASS_OK or the error code
void FinishOutputHeader();       // the header made to tell the data written so far
void CloseOutput();
bool StartMixer();               // a mixer thread for the current generation
void StopMixer();                // the running mixer thread exits
void WakeMixer();

// Downloads of address streams (engine_streams.cpp).
void CancelDownload(Channel *channel);

// Starts a thread of the engine's own. The thread holds a reference to the
// engine, so that it stays loaded until the thread has left it however
// soon its caller frees it: the thread ends with
// FreeLibraryAndExitThread(EngineModule, 0).
bool StartEngineThread(LPTHREAD_START_ROUTINE routine, void *parameter);

// A setting of the engine: an environment variable's value, "" if unset.
// Returns the length.
DWORD Setting(const char *name, char *value, DWORD size);

} // namespace engine
