// The memory the doubles and the test program share: the script and the
// call record. Plain data and kernel32 only: the doubles link nothing of
// the C++ runtime that would tie a thread-local slot to each load (the
// static runtime takes one per load and never gives it back, and a test
// program loads its doubles hundreds of times).
#pragma once
#include <windows.h>

namespace bassdouble::memory {

constexpr DWORD MaxArgs = 8;
constexpr DWORD MaxCalls = 1024;
constexpr DWORD MaxScript = 128;
constexpr DWORD NameBytes = 40;
constexpr DWORD TextBytes = 264;

struct SharedCall {
    char module[16];
    char entry[NameBytes];
    DWORD thread;
    DWORD argCount;
    DWORD args[MaxArgs];
    DWORD textCount;
    char texts[TextBytes]; // zero-terminated texts one after another
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

void Record(const char *module, const char *entry, const DWORD *args, DWORD count,
            const char *const *texts, const bool *isText);
bool ScriptedResult(const char *entry, ULONGLONG *result);

} // namespace bassdouble::memory
