// The rendering engine's frame: loading and unloading, the lock, handles
// and error codes, output control, and the channel, effect and DSP entry
// points. Streams are made in engine_streams.cpp; the mixing thread and
// the output file are engine_mixer.cpp.
#include "render_engine.h"

namespace engine {

EngineState Engine;
HANDLE MixerWake;
HMODULE EngineModule;
CRITICAL_SECTION DownloadLock;

namespace {

CRITICAL_SECTION Lock;
volatile LONG Contenders;
DWORD ErrorSlot = TLS_OUT_OF_INDEXES;

// At process exit the other threads are gone, possibly one of them inside
// the lock; waiting for it then would never end. The system's answer to
// "is the process ending?", looked up once when the engine loads.
using ShutdownQuery = BOOLEAN(WINAPI *)();
ShutdownQuery ShutdownInProgress = nullptr;

bool ProcessShuttingDown()
{
    return ShutdownInProgress && ShutdownInProgress();
}

} // namespace

SectionHold::SectionHold(CRITICAL_SECTION *section) : section_(section)
{
    if (!TryEnterCriticalSection(section_)) {
        if (ProcessShuttingDown())
            section_ = nullptr;
        else
            EnterCriticalSection(section_);
    }
}

SectionHold::~SectionHold()
{
    if (section_)
        LeaveCriticalSection(section_);
}

EngineLock::EngineLock()
{
    held_ = TryEnterCriticalSection(&Lock) != FALSE;
    if (!held_ && !ProcessShuttingDown()) {
        InterlockedIncrement(&Contenders);
        EnterCriticalSection(&Lock);
        InterlockedDecrement(&Contenders);
        held_ = true;
    }
}

LONG LockContenders()
{
    return InterlockedCompareExchange(&Contenders, 0, 0);
}

EngineLock::~EngineLock()
{
    if (held_)
        LeaveCriticalSection(&Lock);
}

void SetError(int code)
{
    if (ErrorSlot != TLS_OUT_OF_INDEXES)
        TlsSetValue(ErrorSlot, reinterpret_cast<void *>(static_cast<INT_PTR>(code)));
}

int LastError()
{
    if (ErrorSlot == TLS_OUT_OF_INDEXES)
        return BASS_OK;
    return int(reinterpret_cast<INT_PTR>(TlsGetValue(ErrorSlot)));
}

DWORD NewHandle(HandleKind kind, DWORD index)
{
    Engine.serial = (Engine.serial + 1) & 0xFFFFF;
    if (!Engine.serial)
        Engine.serial = 1;
    return (DWORD(kind) << 28) | (Engine.serial << 8) | (index & 0xFF);
}

namespace {

template <typename T, DWORD N> T *Lookup(T (&table)[N], HandleKind kind, DWORD handle)
{
    DWORD index = handle & 0xFF;
    if (!handle || (handle >> 28) != DWORD(kind) || index >= N || table[index].handle != handle)
        return nullptr;
    return &table[index];
}

} // namespace

Channel *ChannelOf(DWORD handle)
{
    return Lookup(Engine.channels, HandleKind::Channel, handle);
}

Effect *EffectOf(DWORD handle)
{
    return Lookup(Engine.effects, HandleKind::Effect, handle);
}

Dsp *DspOf(DWORD handle)
{
    return Lookup(Engine.dsps, HandleKind::Dsp, handle);
}

Channel *FreeChannelSlot()
{
    for (Channel &channel : Engine.channels) {
        if (!channel.handle)
            return &channel;
    }
    return nullptr;
}

void FreeChannel(Channel *channel)
{
    CancelDownload(channel);
    for (Effect &effect : Engine.effects) {
        if (effect.handle && effect.channel == channel->handle)
            effect = Effect{};
    }
    for (Dsp &dsp : Engine.dsps) {
        if (dsp.handle && dsp.channel == channel->handle)
            dsp = Dsp{};
    }
    if (channel->file)
        ReleaseFileBytes(channel->file);
    ZeroMemory(channel, sizeof *channel);
}

bool StartEngineThread(LPTHREAD_START_ROUTINE routine, void *parameter)
{
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<const char *>(&StartEngineThread), &self))
        return false;
    HANDLE thread = CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    if (!thread) {
        FreeLibrary(self);
        return false;
    }
    CloseHandle(thread);
    return true;
}

DWORD Setting(const char *name, char *value, DWORD size)
{
    DWORD length = GetEnvironmentVariableA(name, value, size);
    if (length >= size) {
        value[0] = '\0';
        return 0;
    }
    return length;
}

} // namespace engine

using namespace engine;

namespace {

// ---- Output ---------------------------------------------------------------

void FreeEverything()
{
    for (Channel &channel : Engine.channels) {
        if (channel.handle)
            FreeChannel(&channel);
    }
}

// Default parameters of a new effect, as the platform's effects start.
void DefaultParameters(Effect *effect)
{
    BYTE *at = effect->parameters;
    switch (effect->type) {
    case BASS_FX_PARAMEQ: {
        BASS_FXPARAMEQ eq{8000.0f, 12.0f, 0.0f};
        CopyMemory(at, &eq, sizeof eq);
        break;
    }
    case BASS_FX_REVERB: {
        BASS_FXREVERB reverb{0.0f, 0.0f, 1000.0f, 0.001f};
        CopyMemory(at, &reverb, sizeof reverb);
        break;
    }
    case BASS_FX_CHORUS: {
        BASS_FXCHORUS chorus{50.0f, 10.0f, 25.0f, 1.1f, BASS_FX_WAVE_SINE, 16.0f, BASS_FX_PHASE_90};
        CopyMemory(at, &chorus, sizeof chorus);
        break;
    }
    case BASS_FX_FLANGER: {
        BASS_FXFLANGER flanger{50.0f, 100.0f, -50.0f, 0.25f, BASS_FX_WAVE_SINE, 2.0f, BASS_FX_PHASE_ZERO};
        CopyMemory(at, &flanger, sizeof flanger);
        break;
    }
    case BASS_FX_I3DL2REVERB: {
        BASS_FXI3DL2REVERB reverb{-1000, -100, 0.0f, 1.49f, 0.83f, -2602, 0.007f,
                                  200,   0.011f, 100.0f, 100.0f, 5000.0f};
        CopyMemory(at, &reverb, sizeof reverb);
        break;
    }
    default:
        break;
    }
}

// The size of an effect type's parameter record; 0 for a type the engine
// does not make.
DWORD ParameterBytesOf(DWORD type)
{
    switch (type) {
    case BASS_FX_PARAMEQ:
        return sizeof(BASS_FXPARAMEQ);
    case BASS_FX_REVERB:
        return sizeof(BASS_FXREVERB);
    case BASS_FX_CHORUS:
    case BASS_FX_FLANGER:
        return sizeof(BASS_FXCHORUS);
    case BASS_FX_I3DL2REVERB:
        return sizeof(BASS_FXI3DL2REVERB);
    default:
        return 0;
    }
}

// A channel attribute set now or slid over time milliseconds.
void SetSlide(Slide *slide, double target, DWORD time)
{
    ULONGLONG span = ULONGLONG(time) * Engine.rate / 1000;
    DWORD frames = span > 0xFFFFFFFFull ? 0xFFFFFFFFu : DWORD(span);
    if (!frames) {
        *slide = Slide{target, target, 0.0, 0};
        return;
    }
    slide->target = target;
    slide->framesLeft = frames;
    slide->perFrame = (target - slide->value) / frames;
}

// Applies BASS_ChannelSetAttributes' or BASS_ChannelSlideAttributes'
// values: frequency 100 to 100000 (0: the file's own rate), volume 0 to
// 100, pan -100 to 100; -1 (-101 for the pan) leaves one as it is.
bool SetAttributes(Channel *channel, int frequency, int volume, int pan, DWORD time)
{
    bool frequencyOk = frequency == -1 || frequency == 0 || (frequency >= 100 && frequency <= 100000);
    bool volumeOk = volume == -1 || (volume >= 0 && volume <= 100);
    bool panOk = pan == -101 || (pan >= -100 && pan <= 100);
    if (!frequencyOk || !volumeOk || !panOk)
        return false;
    if (frequency != -1)
        SetSlide(&channel->rate, frequency ? frequency : channel->format.rate, time);
    if (volume != -1)
        SetSlide(&channel->volume, volume, time);
    if (pan != -101)
        SetSlide(&channel->pan, pan, time);
    return true;
}

} // namespace

// ---- Entry points -----------------------------------------------------------

extern "C" {

DWORD __stdcall BASS_GetVersion()
{
    return Succeed(EngineVersion);
}

int __stdcall BASS_ErrorGetCode()
{
    return LastError();
}

BOOL __stdcall BASS_Init(int device, DWORD frequency, DWORD flags, HWND window, const GUID *clsid)
{
    EngineLock hold;
    if (Engine.initialised)
        return Fail(BASS_ERROR_ALREADY, FALSE);
    if (device != -1 && device != OutputDevice)
        return Fail(BASS_ERROR_DEVICE, FALSE);
    if (frequency < MinOutputRate || frequency > MaxOutputRate)
        return Fail(BASS_ERROR_FREQUENCY, FALSE);
    char value[16] = {};
    Setting("TARN_ENGINE_RENDER", value, sizeof value);
    Engine.fast = lstrcmpiA(value, "fast") == 0;
    Engine.device = OutputDevice;
    Engine.rate = frequency;
    Engine.initFlags = flags;
    int opened = OpenOutput();
    if (opened != BASS_OK)
        return Fail(opened, FALSE);
    Engine.initialised = true;
    Engine.started = true;
    Engine.paused = false;
    if (!StartMixer()) {
        CloseOutput();
        Engine.initialised = false;
        return Fail(BASS_ERROR_MEMORY, FALSE);
    }
    return Succeed(TRUE);
}

BOOL __stdcall BASS_Free()
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    FreeEverything();
    StopMixer();
    CloseOutput();
    Engine.initialised = false;
    Engine.started = false;
    Engine.paused = false;
    return Succeed(TRUE);
}

BOOL __stdcall BASS_Start()
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    Engine.started = true;
    Engine.paused = false;
    WakeMixer();
    return Succeed(TRUE);
}

// Stops output and every channel (their positions stay); BASS_Start starts
// output again, and each channel must be played again.
BOOL __stdcall BASS_Stop()
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    for (Channel &channel : Engine.channels) {
        if (channel.handle && !channel.sample)
            channel.state = ChannelStopped;
    }
    Engine.started = false;
    FinishOutputHeader();
    return Succeed(TRUE);
}

// Holds output where it is; BASS_Start goes on from there.
BOOL __stdcall BASS_Pause()
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    Engine.paused = true;
    FinishOutputHeader();
    return Succeed(TRUE);
}

DWORD __stdcall BASS_GetDevice()
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, BASS_FAILURE_VALUE);
    return Succeed(DWORD(Engine.device));
}

BOOL __stdcall BASS_SetDevice(DWORD device)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    if (device != DWORD(Engine.device))
        return Fail(BASS_ERROR_DEVICE, FALSE);
    return Succeed(TRUE);
}

// The record: size, then flags, hardware memory (total, free), free
// sample slots, free 3D slots, minimum and maximum sample rate, EAX (0),
// minimum buffer length in ms, DirectSound version, latency in ms, the
// flags of BASS_Init, speakers (2), output rate.
BOOL __stdcall BASS_GetInfo(BASS_INFO *info)
{
    EngineLock hold;
    if (!info || info->size != BASS_INFO_SIZE)
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    const DWORD latency = Engine.fast ? 0 : BlockFrames * 1000 / Engine.rate;
    const DWORD facts1[7] = {0, 0, 0, MaxChannels, 0, 100, 100000};
    const DWORD facts2[6] = {latency, 8, latency, Engine.initFlags, 2, Engine.rate};
    CopyMemory(info->fields1, facts1, sizeof facts1);
    info->eax = 0;
    CopyMemory(info->fields2, facts2, sizeof facts2);
    return Succeed(TRUE);
}

// Options 0 to 63 keep whatever value is set; the engine reads none of
// them.
DWORD __stdcall BASS_SetConfig(DWORD option, DWORD value)
{
    EngineLock hold;
    if (option >= MaxConfigOptions)
        return Fail(BASS_ERROR_ILLEGALTYPE, BASS_FAILURE_VALUE);
    Engine.config[option] = value;
    return Succeed(value);
}

DWORD __stdcall BASS_GetConfig(DWORD option)
{
    EngineLock hold;
    if (option >= MaxConfigOptions)
        return Fail(BASS_ERROR_ILLEGALTYPE, BASS_FAILURE_VALUE);
    return Succeed(Engine.config[option]);
}

// The output has no environmental reverb.
BOOL __stdcall BASS_SetEAXParameters(int environment, float volume, float decay, float damping)
{
    return Fail(BASS_ERROR_NOEAX, FALSE);
}

// ---- Channels ---------------------------------------------------------------

DWORD __stdcall BASS_ChannelIsActive(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, DWORD(ChannelStopped));
    return Succeed(channel->state);
}

BOOL __stdcall BASS_StreamPlay(DWORD handle, BOOL flush, DWORD flags)
{
    EngineLock hold;
    if (!Engine.initialised)
        return Fail(BASS_ERROR_INIT, FALSE);
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (channel->decode)
        return Fail(BASS_ERROR_DECODE, FALSE);
    if (!Engine.started)
        return Fail(BASS_ERROR_START, FALSE);
    if (flush)
        channel->position = 0;
    channel->loop = ((channel->flags | flags) & SampleLoopFlag) != 0;
    // A stream played to its end starts again from the beginning.
    if (FrameOf(channel->position) >= channel->source.frames)
        channel->position = 0;
    channel->state = ChannelPlaying;
    WakeMixer();
    return Succeed(TRUE);
}

BOOL __stdcall BASS_StreamPreBuf(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    // The whole stream is in memory from its creation on.
    return Succeed(TRUE);
}

BOOL __stdcall BASS_ChannelStop(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    channel->state = ChannelStopped;
    return Succeed(TRUE);
}

BOOL __stdcall BASS_ChannelPause(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (channel->state != ChannelPlaying)
        return Fail(BASS_ERROR_NOTPLAYING, FALSE);
    channel->state = ChannelPaused;
    return Succeed(TRUE);
}

BOOL __stdcall BASS_ChannelResume(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (channel->state != ChannelPaused)
        return Fail(BASS_ERROR_NOTPAUSED, FALSE);
    channel->state = ChannelPlaying;
    WakeMixer();
    return Succeed(TRUE);
}

DWORD __stdcall BASS_ChannelGetDevice(DWORD handle)
{
    EngineLock hold;
    if (!ChannelOf(handle))
        return Fail(BASS_ERROR_HANDLE, BASS_FAILURE_VALUE);
    return Succeed(DWORD(Engine.device));
}

// The record: the file's rate, its channel count, the creation flags, and
// its bits per sample; four 32-bit fields.
BOOL __stdcall BASS_ChannelGetInfo(DWORD handle, void *info)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!info)
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    const DWORD fields[4] = {channel->format.rate, channel->format.channels, channel->flags,
                             channel->format.bits};
    CopyMemory(info, fields, sizeof fields);
    return Succeed(TRUE);
}

// Lengths and positions are bytes of the file's own sample data.
ULONGLONG __stdcall BASS_StreamGetLength(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, ULONGLONG(BASS_FAILURE_VALUE));
    return Succeed(ULONGLONG(channel->format.dataBytes));
}

ULONGLONG __stdcall BASS_ChannelGetPosition(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, ULONGLONG(BASS_FAILURE_VALUE));
    size_t frame = FrameOf(channel->position);
    if (frame > channel->source.frames)
        frame = channel->source.frames;
    return Succeed(ULONGLONG(frame) * channel->format.FrameBytes());
}

// A byte position within the data, rounded down to a whole frame.
BOOL __stdcall BASS_ChannelSetPosition(DWORD handle, DWORD positionLow, DWORD positionHigh)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (positionHigh || positionLow > channel->format.dataBytes)
        return Fail(BASS_ERROR_POSITION, FALSE);
    channel->position = FramePositionOf(positionLow / channel->format.FrameBytes());
    return Succeed(TRUE);
}

DWORD __stdcall BASS_ChannelGetLevel(DWORD handle)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, BASS_FAILURE_VALUE);
    if (channel->state != ChannelPlaying)
        return Fail(BASS_ERROR_NOTPLAYING, BASS_FAILURE_VALUE);
    return Succeed(channel->level);
}

// A decoding channel gives its next sample data as the file holds it; a
// playing channel the block it played last, as 16-bit stereo after its
// effects. Requests with flags in the top bits (spectrum data) are not
// available.
DWORD __stdcall BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, BASS_FAILURE_VALUE);
    if (length & 0xC0000000u)
        return Fail(BASS_ERROR_NOTAVAIL, BASS_FAILURE_VALUE);
    if (!buffer && length)
        return Fail(BASS_ERROR_ILLEGALPARAM, BASS_FAILURE_VALUE);
    if (channel->decode) {
        DWORD frameBytes = channel->format.FrameBytes();
        size_t frame = FrameOf(channel->position);
        size_t left = frame < channel->source.frames ? channel->source.frames - frame : 0;
        if (!left && length)
            return Fail(BASS_ERROR_NOTPLAYING, BASS_FAILURE_VALUE);
        size_t frames = length / frameBytes < left ? length / frameBytes : left;
        CopyMemory(buffer, channel->source.data + frame * frameBytes, frames * frameBytes);
        channel->position = FramePositionOf(frame + frames);
        return Succeed(DWORD(frames * frameBytes));
    }
    DWORD bytes = channel->lastFrames * 4;
    if (length < bytes)
        bytes = length & ~3u;
    CopyMemory(buffer, channel->lastBlock, bytes);
    return Succeed(bytes);
}

BOOL __stdcall BASS_ChannelGetAttributes(DWORD handle, int *frequency, int *volume, int *pan)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (frequency)
        *frequency = int(channel->rate.value + 0.5);
    if (volume)
        *volume = int(channel->volume.value + 0.5);
    if (pan)
        *pan = int(channel->pan.value + (channel->pan.value < 0 ? -0.5 : 0.5));
    return Succeed(TRUE);
}

void __stdcall BASS_ChannelSetAttributes(DWORD handle, int frequency, int volume, int pan)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample) {
        SetError(BASS_ERROR_HANDLE);
        return;
    }
    SetError(SetAttributes(channel, frequency, volume, pan, 0) ? BASS_OK : BASS_ERROR_ILLEGALPARAM);
}

BOOL __stdcall BASS_ChannelSlideAttributes(DWORD handle, int frequency, int volume, int pan, DWORD time)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!SetAttributes(channel, frequency, volume, pan, time))
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    return Succeed(TRUE);
}

// Synchronizers are not made by this engine.
DWORD __stdcall BASS_ChannelSetSync(DWORD handle, DWORD type, DWORD paramLow, DWORD paramHigh,
                                    void *proc, DWORD_PTR user)
{
    return Fail(BASS_ERROR_NOSYNC, DWORD(0));
}

// ---- Effects and DSP procedures ---------------------------------------------

DWORD __stdcall BASS_ChannelSetFX(DWORD handle, DWORD type)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, DWORD(0));
    if (!ParameterBytesOf(type))
        return Fail(BASS_ERROR_ILLEGALTYPE, DWORD(0));
    for (DWORD index = 0; index < MaxEffects; ++index) {
        Effect &effect = Engine.effects[index];
        if (effect.handle)
            continue;
        effect = Effect{};
        effect.handle = NewHandle(HandleKind::Effect, index);
        effect.channel = handle;
        effect.type = type;
        effect.order = ++Engine.order;
        DefaultParameters(&effect);
        return Succeed(effect.handle);
    }
    return Fail(BASS_ERROR_NOFX, DWORD(0));
}

BOOL __stdcall BASS_ChannelRemoveFX(DWORD handle, DWORD fx)
{
    EngineLock hold;
    Effect *effect = EffectOf(fx);
    if (!ChannelOf(handle) || !effect || effect->channel != handle)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    *effect = Effect{};
    return Succeed(TRUE);
}

BOOL __stdcall BASS_FXSetParameters(DWORD fx, const void *params)
{
    EngineLock hold;
    Effect *effect = EffectOf(fx);
    if (!effect)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!params)
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    if (effect->type == BASS_FX_PARAMEQ) {
        BASS_FXPARAMEQ eq{};
        CopyMemory(&eq, params, sizeof eq);
        if (!EqParametersValid(eq.center, eq.bandwidth, eq.gain, Engine.rate))
            return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
        SetPeakingFilter(&effect->filter, eq.center, eq.bandwidth, eq.gain, Engine.rate);
    }
    CopyMemory(effect->parameters, params, ParameterBytesOf(effect->type));
    return Succeed(TRUE);
}

BOOL __stdcall BASS_FXGetParameters(DWORD fx, void *params)
{
    EngineLock hold;
    Effect *effect = EffectOf(fx);
    if (!effect)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    if (!params)
        return Fail(BASS_ERROR_ILLEGALPARAM, FALSE);
    CopyMemory(params, effect->parameters, ParameterBytesOf(effect->type));
    return Succeed(TRUE);
}

DWORD __stdcall BASS_ChannelSetDSP(DWORD handle, BASS_DspProc proc, DWORD_PTR user, int priority)
{
    EngineLock hold;
    Channel *channel = ChannelOf(handle);
    if (!channel || channel->sample)
        return Fail(BASS_ERROR_HANDLE, DWORD(0));
    if (!proc)
        return Fail(BASS_ERROR_ILLEGALPARAM, DWORD(0));
    for (DWORD index = 0; index < MaxDsps; ++index) {
        Dsp &dsp = Engine.dsps[index];
        if (dsp.handle)
            continue;
        dsp = Dsp{NewHandle(HandleKind::Dsp, index), handle, proc, user, priority, ++Engine.order};
        return Succeed(dsp.handle);
    }
    return Fail(BASS_ERROR_MEMORY, DWORD(0));
}

BOOL __stdcall BASS_ChannelRemoveDSP(DWORD handle, DWORD dspHandle)
{
    EngineLock hold;
    Dsp *dsp = DspOf(dspHandle);
    if (!ChannelOf(handle) || !dsp || dsp->channel != handle)
        return Fail(BASS_ERROR_HANDLE, FALSE);
    *dsp = Dsp{};
    return Succeed(TRUE);
}

// ---- Music modules: no module format is decoded ------------------------------

BOOL __stdcall BASS_MusicFree(DWORD music)
{
    return Fail(BASS_ERROR_HANDLE, FALSE);
}

ULONGLONG __stdcall BASS_MusicGetLength(DWORD music, BOOL playLength)
{
    return Fail(BASS_ERROR_HANDLE, ULONGLONG(BASS_FAILURE_VALUE));
}

BOOL __stdcall BASS_MusicPlayEx(DWORD music, DWORD position, int flags, BOOL reset)
{
    return Fail(BASS_ERROR_HANDLE, FALSE);
}

// ---- Recording: there is no input device --------------------------------------

BOOL __stdcall BASS_RecordInit(int device)
{
    return Fail(BASS_ERROR_DEVICE, FALSE);
}

BOOL __stdcall BASS_RecordFree()
{
    return Fail(BASS_ERROR_INIT, FALSE);
}

DWORD __stdcall BASS_RecordGetDevice()
{
    return Fail(BASS_ERROR_INIT, BASS_FAILURE_VALUE);
}

const char *__stdcall BASS_RecordGetDeviceDescription(DWORD device)
{
    return Fail(BASS_ERROR_DEVICE, static_cast<const char *>(nullptr));
}

DWORD __stdcall BASS_RecordGetInput(int input)
{
    return Fail(BASS_ERROR_INIT, BASS_FAILURE_VALUE);
}

const char *__stdcall BASS_RecordGetInputName(int input)
{
    return Fail(BASS_ERROR_INIT, static_cast<const char *>(nullptr));
}

BOOL __stdcall BASS_RecordSetDevice(DWORD device)
{
    return Fail(BASS_ERROR_DEVICE, FALSE);
}

BOOL __stdcall BASS_RecordSetInput(int input, DWORD setting)
{
    return Fail(BASS_ERROR_INIT, FALSE);
}

DWORD __stdcall BASS_RecordStart(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4)
{
    return Fail(BASS_ERROR_INIT, DWORD(0));
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        EngineModule = instance;
        DisableThreadLibraryCalls(instance);
        InitializeCriticalSection(&Lock);
        InitializeCriticalSection(&DownloadLock);
        ErrorSlot = TlsAlloc();
        MixerWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        Engine.output = INVALID_HANDLE_VALUE;
        ShutdownInProgress = reinterpret_cast<ShutdownQuery>(
            reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlDllShutdownInProgress")));
        // Without its wake-up event the idle mixer would spin, and without
        // its error slot no call could report a failure: refuse to load.
        if (!MixerWake || ErrorSlot == TLS_OUT_OF_INDEXES) {
            if (MixerWake)
                CloseHandle(MixerWake);
            if (ErrorSlot != TLS_OUT_OF_INDEXES)
                TlsFree(ErrorSlot);
            DeleteCriticalSection(&DownloadLock);
            DeleteCriticalSection(&Lock);
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process exit only the output's header is put right; the
        // threads are gone and the system takes the rest back.
        if (reserved) {
            EngineLock hold;
            FinishOutputHeader();
            return TRUE;
        }
        {
            EngineLock hold;
            if (Engine.initialised) {
                FreeEverything();
                StopMixer();
            }
            CloseOutput();
        }
        if (MixerWake)
            CloseHandle(MixerWake);
        if (ErrorSlot != TLS_OUT_OF_INDEXES)
            TlsFree(ErrorSlot);
        DeleteCriticalSection(&DownloadLock);
        DeleteCriticalSection(&Lock);
    }
    return TRUE;
}

} // extern "C"
