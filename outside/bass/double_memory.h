// The memory the doubles and the test program share: the script and the
// call record. Plain data and kernel32 only: the doubles link nothing of
// the C++ runtime that would tie a thread-local slot to each load (the
// static runtime takes one per load and never gives it back, and a test
// program loads its doubles hundreds of times).
#pragma once
#include <windows.h>

namespace bassdouble::memory {

constexpr DWORD MaxArgs = 8;
// One argument as the caller passed it: pointer-sized, so that an address
// is recorded whole in the 64-bit build; a 32-bit number fills the low 32
// bits and leaves the rest zero.
using ArgWord = ULONG_PTR;
constexpr DWORD MaxCalls = 1024;
constexpr DWORD MaxScript = 128;
constexpr DWORD NameBytes = 40;
constexpr DWORD TextBytes = 264;
// The largest effect parameter record (the I3DL2 reverb's) and how many
// effects the doubles keep parameters for.
constexpr DWORD MaxBlockBytes = 48;
constexpr DWORD MaxEffects = 64;

struct SharedCall {
    char module[16];
    char entry[NameBytes];
    DWORD thread;
    DWORD argCount;
    ArgWord args[MaxArgs];
    DWORD textCount;
    char texts[TextBytes]; // zero-terminated texts one after another
    DWORD blockBytes;
    BYTE block[MaxBlockBytes]; // the parameter record handed over or filled
};

// An effect BASS_ChannelSetFX made, and the parameters it holds: what the
// last BASS_FXSetParameters gave it, and what BASS_FXGetParameters fills in.
struct SharedEffect {
    DWORD handle;
    DWORD type;
    BYTE block[MaxBlockBytes];
};

struct SharedScript {
    char entry[NameBytes];
    ULONGLONG result;
};

struct SharedState {
    volatile LONG lock;
    DWORD callCount;
    DWORD lostCalls;
    DWORD scriptCount;
    SharedScript script[MaxScript];
    SharedCall calls[MaxCalls];
    DWORD effectCount;
    SharedEffect effects[MaxEffects];
};

// The process's shared state, mapped on first use; null if it cannot be.
SharedState *Shared();
// Unmaps this module's view (a double being unloaded).
void Release();

// Held for a few copies only; the holder may be inside a DllMain, so no
// system lock object that the loader might also want.
class StateLock {
public:
    explicit StateLock(SharedState *state) : state_(state)
    {
        while (InterlockedCompareExchange(&state_->lock, 1, 0) != 0)
            Sleep(0);
    }
    ~StateLock() { InterlockedExchange(&state_->lock, 0); }
    StateLock(const StateLock &) = delete;
    StateLock &operator=(const StateLock &) = delete;

private:
    SharedState *state_;
};

void Record(const char *module, const char *entry, const ArgWord *args, DWORD count,
            const char *const *texts, const bool *isText, const void *block = nullptr,
            DWORD blockBytes = 0);
// The size of an effect type's parameter record; 0 for an unknown type.
DWORD BlockBytesOf(DWORD type);
// The effect with this handle (made by BASS_ChannelSetFX), or null. Call
// with the state's lock held.
SharedEffect *EffectOf(SharedState *state, DWORD handle);
bool ScriptedResult(const char *entry, ULONGLONG *result);

} // namespace bassdouble::memory
