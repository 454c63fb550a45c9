// The engine's output device: a mixing thread of its own pulls each playing
// channel's samples block by block (16-bit stereo at the output rate), runs
// the channel's effects and then its DSP procedures over the block, applies
// its volume and pan, mixes the channels and appends the block to the
// output file. Output is written only while a channel plays: the file holds
// what was heard, without the silences between.
#include "render_engine.h"

namespace engine {

namespace {

// ---- The output file ---------------------------------------------------------

void WriteAt(HANDLE file, LONG offset, const void *bytes, DWORD length)
{
    DWORD written = 0;
    SetFilePointer(file, offset, nullptr, FILE_BEGIN);
    WriteFile(file, bytes, length, &written, nullptr);
}

// Appends a block; stops at the largest size a WAVE file can tell.
void AppendOutput(const int16_t *samples, DWORD frames)
{
    if (Engine.output == INVALID_HANDLE_VALUE || !frames)
        return;
    ULONGLONG bytes = ULONGLONG(frames) * 4;
    ULONGLONG room = 0xFFFFFFF0ull - WavHeaderBytes - Engine.outputBytes;
    if (bytes > room)
        bytes = room & ~3ull;
    if (!bytes)
        return;
    DWORD written = 0;
    SetFilePointer(Engine.output, 0, nullptr, FILE_END);
    if (!WriteFile(Engine.output, samples, DWORD(bytes), &written, nullptr) || written != bytes) {
        // A full disk: keep the whole frames written and append no more,
        // so that the file stays a well-formed WAVE file.
        written &= ~3u;
        SetFilePointer(Engine.output, LONG(WavHeaderBytes + Engine.outputBytes + written), nullptr, FILE_BEGIN);
        SetEndOfFile(Engine.output);
        Engine.outputBytes += written;
        Engine.outputDirty = true;
        CloseOutput();
        return;
    }
    Engine.outputBytes += written;
    Engine.outputDirty = true;
}

} // namespace

int OpenOutput()
{
    char path[MAX_PATH] = {};
    Engine.outputBytes = 0;
    Engine.outputDirty = false;
    Engine.output = INVALID_HANDLE_VALUE;
    if (!Setting("TARN_ENGINE_OUTPUT", path, sizeof path))
        return BASS_OK; // no output file: the mix goes nowhere
    Engine.output = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Engine.output == INVALID_HANDLE_VALUE)
        return BASS_ERROR_CREATE;
    uint8_t header[WavHeaderBytes];
    WriteWavHeader(header, Engine.rate, 2, 16, 0);
    WriteAt(Engine.output, 0, header, sizeof header);
    return BASS_OK;
}

void FinishOutputHeader()
{
    if (Engine.output == INVALID_HANDLE_VALUE || !Engine.outputDirty)
        return;
    uint8_t header[WavHeaderBytes];
    WriteWavHeader(header, Engine.rate, 2, 16, Engine.outputBytes);
    WriteAt(Engine.output, 0, header, sizeof header);
    FlushFileBuffers(Engine.output);
    Engine.outputDirty = false;
}

void CloseOutput()
{
    if (Engine.output == INVALID_HANDLE_VALUE)
        return;
    FinishOutputHeader();
    CloseHandle(Engine.output);
    Engine.output = INVALID_HANDLE_VALUE;
}

namespace {

// ---- One block ---------------------------------------------------------------

double NextSlideValue(Slide *slide, DWORD frames)
{
    if (!slide->framesLeft)
        return slide->value;
    if (frames >= slide->framesLeft) {
        slide->value = slide->target;
        slide->framesLeft = 0;
    } else {
        slide->value += slide->perFrame * frames;
        slide->framesLeft -= frames;
    }
    return slide->value;
}

// The channel's effects in the order they were set: equaliser bands filter
// the block; the other types keep their parameters and pass it through.
void RunEffects(const Channel &channel, int16_t *block, DWORD frames)
{
    Effect *order[MaxEffects];
    DWORD count = 0;
    for (Effect &effect : Engine.effects) {
        if (effect.handle && effect.channel == channel.handle)
            order[count++] = &effect;
    }
    for (DWORD i = 1; i < count; ++i) {
        for (DWORD j = i; j > 0 && order[j]->order < order[j - 1]->order; --j) {
            Effect *swap = order[j];
            order[j] = order[j - 1];
            order[j - 1] = swap;
        }
    }
    for (DWORD i = 0; i < count; ++i) {
        if (order[i]->type == BASS_FX_PARAMEQ)
            RunPeakingFilter(&order[i]->filter, block, frames);
    }
}

// The channel's DSP procedures, highest priority first. A procedure may
// remove itself or another one: each is looked up again before its call.
void RunDsps(const Channel &channel, int16_t *block, DWORD frames)
{
    Dsp chain[MaxDsps];
    DWORD count = 0;
    for (const Dsp &dsp : Engine.dsps) {
        if (dsp.handle && dsp.channel == channel.handle)
            chain[count++] = dsp;
    }
    for (DWORD i = 1; i < count; ++i) {
        for (DWORD j = i; j > 0; --j) {
            const Dsp &a = chain[j - 1], &b = chain[j];
            if (a.priority > b.priority || (a.priority == b.priority && a.order < b.order))
                break;
            Dsp swap = chain[j];
            chain[j] = chain[j - 1];
            chain[j - 1] = swap;
        }
    }
    DWORD handle = channel.handle;
    for (DWORD i = 0; i < count; ++i) {
        Dsp *dsp = DspOf(chain[i].handle);
        if (dsp && dsp->channel == handle)
            dsp->proc(dsp->handle, handle, block, frames * 4, dsp->user);
    }
}

// Renders the channel's next block; returns its frames (0: it has ended).
DWORD RenderChannel(Channel *channel, int16_t *block)
{
    FramePosition step = StepOf(DWORD(channel->rate.value + 0.5), Engine.rate);
    size_t frames = RenderFrames(channel->source, &channel->position, step, block, BlockFrames);
    if (frames < BlockFrames && channel->loop && channel->source.frames) {
        channel->position = 0;
        frames += RenderFrames(channel->source, &channel->position, step, block + 2 * frames,
                               BlockFrames - frames);
    }
    if (!frames)
        return 0;
    RunEffects(*channel, block, DWORD(frames));
    // The procedures may have freed the channel itself.
    DWORD handle = channel->handle;
    RunDsps(*channel, block, DWORD(frames));
    if (channel->handle != handle)
        return DWORD(frames);
    NextSlideValue(&channel->rate, DWORD(frames));
    double volume = NextSlideValue(&channel->volume, DWORD(frames)) / 100.0;
    double pan = NextSlideValue(&channel->pan, DWORD(frames)) / 100.0;
    ApplyGains(block, frames, volume * (pan > 0 ? 1.0 - pan : 1.0), volume * (pan < 0 ? 1.0 + pan : 1.0));
    channel->level = PeakLevels(block, frames);
    channel->lastFrames = DWORD(frames);
    CopyMemory(channel->lastBlock, block, frames * 4);
    return DWORD(frames);
}

// Mixes one block of every playing channel and appends it to the output;
// returns its frames, 0 when nothing played.
DWORD MixBlock(int16_t *block, int32_t *mix, int16_t *out)
{
    DWORD longest = 0;
    ZeroMemory(mix, sizeof(int32_t) * 2 * BlockFrames);
    for (Channel &channel : Engine.channels) {
        if (!channel.handle || channel.sample || channel.decode || channel.state != ChannelPlaying)
            continue;
        DWORD handle = channel.handle;
        DWORD frames = RenderChannel(&channel, block);
        if (channel.handle != handle)
            continue;
        if (frames) {
            MixInto(mix, block, frames);
            if (frames > longest)
                longest = frames;
        }
        // A looping channel ends only when it has nothing to loop over.
        if (!frames || (!channel.loop && FrameOf(channel.position) >= channel.source.frames)) {
            channel.state = ChannelStopped;
            channel.level = 0;
        }
    }
    if (!longest)
        return 0;
    ClipMix(mix, out, longest);
    AppendOutput(out, longest);
    // A caller that sees its channel stopped may read the file at once.
    bool playing = false;
    for (const Channel &channel : Engine.channels)
        playing = playing || (channel.handle && !channel.sample && !channel.decode && channel.state == ChannelPlaying);
    if (!playing)
        FinishOutputHeader();
    return longest;
}

// ---- The thread --------------------------------------------------------------

struct MixerBuffers {
    int16_t block[BlockFrames * 2];
    int32_t mix[BlockFrames * 2];
    int16_t out[BlockFrames * 2];
};

// How far ahead of the clock a paced mixer may run: the device's buffer.
constexpr double PaceLeadSeconds = 0.1;
constexpr DWORD IdleWaitMs = 50;

double Seconds(LARGE_INTEGER counter, LARGE_INTEGER frequency)
{
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

DWORD WINAPI RunMixer(void *parameter)
{
    DWORD generation = DWORD(reinterpret_cast<UINT_PTR>(parameter));
    MixerBuffers buffers;
    LARGE_INTEGER frequency{}, start{}, now{};
    QueryPerformanceFrequency(&frequency);
    ULONGLONG paced = 0; // frames written since the clock started
    bool clockRunning = false;
    for (;;) {
        DWORD frames = 0, rate = 0;
        bool fast = true;
        {
            EngineLock hold;
            if (Engine.mixerGeneration != generation)
                break;
            if (Engine.started && !Engine.paused)
                frames = MixBlock(buffers.block, buffers.mix, buffers.out);
            if (!frames)
                FinishOutputHeader();
            rate = Engine.rate;
            fast = Engine.fast;
        }
        if (!frames) {
            clockRunning = false;
            WaitForSingleObject(MixerWake, IdleWaitMs);
            continue;
        }
        // Let a caller waiting for the lock have it before the next block.
        // (A real sleep: Sleep(0) yields only to threads of the mixer's own
        // priority and would spin while a lower one waits.)
        while (LockContenders() > 0 && Engine.mixerGeneration == generation)
            Sleep(1);
        if (fast)
            continue;
        QueryPerformanceCounter(&now);
        if (!clockRunning) {
            start = now;
            paced = 0;
            clockRunning = true;
        }
        paced += frames;
        double ahead = double(paced) / rate - PaceLeadSeconds - (Seconds(now, frequency) - Seconds(start, frequency));
        if (ahead > 0)
            WaitForSingleObject(MixerWake, DWORD(ahead * 1000));
    }
    // The reference StartEngineThread took for this thread.
    FreeLibraryAndExitThread(EngineModule, 0);
}

} // namespace

bool StartMixer()
{
    ++Engine.mixerGeneration;
    void *parameter = reinterpret_cast<void *>(UINT_PTR(Engine.mixerGeneration));
    if (!StartEngineThread(RunMixer, parameter)) {
        ++Engine.mixerGeneration;
        return false;
    }
    return true;
}

void StopMixer()
{
    ++Engine.mixerGeneration;
    WakeMixer();
}

void WakeMixer()
{
    if (MixerWake)
        SetEvent(MixerWake);
}

} // namespace engine
