#include "double_memory.h"

#include "bass.h"

namespace bassdouble::memory {

namespace {

HANDLE Mapping = nullptr;
SharedState *State = nullptr;

size_t BoundedLength(const char *text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length])
        ++length;
    return length;
}

void CopyName(char *into, size_t size, const char *text)
{
    size_t length = text ? BoundedLength(text, size - 1) : 0;
    if (length)
        CopyMemory(into, text, length);
    into[length] = '\0';
}

bool SameName(const char *a, const char *b)
{
    return lstrcmpA(a, b) == 0;
}

} // namespace

SharedState *Shared()
{
    if (State)
        return State;
    char name[64];
    wsprintfA(name, "BassDoubleState.%lu", GetCurrentProcessId());
    // A fresh mapping is zero-filled, which is the empty state.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       sizeof(SharedState), name);
    if (!mapping)
        return nullptr;
    void *view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedState));
    if (!view) {
        CloseHandle(mapping);
        return nullptr;
    }
    Mapping = mapping;
    State = static_cast<SharedState *>(view);
    return State;
}

void Release()
{
    if (State)
        UnmapViewOfFile(State);
    if (Mapping)
        CloseHandle(Mapping);
    State = nullptr;
    Mapping = nullptr;
}

DWORD BlockBytesOf(DWORD type)
{
    switch (type) {
    case BASS_FX_CHORUS:
    case BASS_FX_FLANGER:
        return sizeof(BASS_FXCHORUS);
    case BASS_FX_I3DL2REVERB:
        return sizeof(BASS_FXI3DL2REVERB);
    case BASS_FX_PARAMEQ:
        return sizeof(BASS_FXPARAMEQ);
    case BASS_FX_REVERB:
        return sizeof(BASS_FXREVERB);
    default:
        return 0;
    }
}

SharedEffect *EffectOf(SharedState *state, DWORD handle)
{
    for (DWORD n = 0; handle && n < state->effectCount; ++n) {
        if (state->effects[n].handle == handle)
            return &state->effects[n];
    }
    return nullptr;
}

void Record(const char *module, const char *entry, const ArgWord *args, DWORD count,
            const char *const *texts, const bool *isText, const void *block, DWORD blockBytes)
{
    SharedState *state = Shared();
    if (!state)
        return;
    StateLock hold(state);
    if (state->callCount >= MaxCalls) {
        ++state->lostCalls;
        return;
    }
    SharedCall &call = state->calls[state->callCount++];
    CopyName(call.module, sizeof call.module, module);
    CopyName(call.entry, sizeof call.entry, entry);
    call.thread = GetCurrentThreadId();
    call.argCount = count < MaxArgs ? count : MaxArgs;
    if (call.argCount)
        CopyMemory(call.args, args, call.argCount * sizeof(ArgWord));
    call.blockBytes = block && blockBytes <= MaxBlockBytes ? blockBytes : 0;
    if (call.blockBytes)
        CopyMemory(call.block, block, call.blockBytes);
    call.textCount = 0;
    size_t used = 0;
    for (DWORD n = 0; n < count; ++n) {
        if (!isText[n])
            continue;
        const char *text = texts[n] ? texts[n] : "";
        size_t length = BoundedLength(text, TextBytes);
        if (used + length + 1 > TextBytes)
            break;
        CopyName(call.texts + used, length + 1, text);
        used += length + 1;
        ++call.textCount;
    }
}

bool ScriptedResult(const char *entry, ULONGLONG *result)
{
    SharedState *state = Shared();
    if (!state)
        return false;
    StateLock hold(state);
    for (DWORD n = 0; n < state->scriptCount; ++n) {
        if (SameName(state->script[n].entry, entry)) {
            *result = state->script[n].result;
            return true;
        }
    }
    return false;
}

} // namespace bassdouble::memory
