// The test program's side of the doubles: scripting them, reading their
// record back, and their control functions.
#include "bass_double.h"

#include "double_memory.h"

#include <cstring>

namespace bassdouble {

using namespace memory;

namespace {

CallRecord ToRecord(const SharedCall &call)
{
    CallRecord record;
    record.module = call.module;
    record.entry = call.entry;
    record.args.assign(call.args, call.args + call.argCount);
    const char *text = call.texts;
    for (DWORD n = 0; n < call.textCount; ++n) {
        record.texts.emplace_back(text);
        text += strlen(text) + 1;
    }
    record.thread = call.thread;
    record.block.assign(call.block, call.block + call.blockBytes);
    return record;
}

template <typename Function> Function DoubleControl(const char *name)
{
    HMODULE bass = GetModuleHandleA(BASS_MODULE_NAME);
    if (!bass)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(bass, name)));
}

} // namespace

void Reset()
{
    if (SharedState *state = Shared()) {
        StateLock hold(state);
        state->callCount = 0;
        state->lostCalls = 0;
        state->scriptCount = 0;
        state->effectCount = 0;
    }
}

void ClearCalls()
{
    if (SharedState *state = Shared()) {
        StateLock hold(state);
        state->callCount = 0;
        state->lostCalls = 0;
    }
}

void SetResult(const char *entry, ULONGLONG result)
{
    SharedState *state = Shared();
    if (!state || !entry || strlen(entry) >= NameBytes)
        return;
    StateLock hold(state);
    for (DWORD n = 0; n < state->scriptCount; ++n) {
        if (strcmp(state->script[n].entry, entry) == 0) {
            state->script[n].result = result;
            return;
        }
    }
    if (state->scriptCount < MaxScript) {
        SharedScript &line = state->script[state->scriptCount++];
        strcpy(line.entry, entry);
        line.result = result;
    }
}

std::vector<CallRecord> Calls()
{
    std::vector<CallRecord> calls;
    SharedState *state = Shared();
    if (!state)
        return calls;
    StateLock hold(state);
    for (DWORD n = 0; n < state->callCount; ++n)
        calls.push_back(ToRecord(state->calls[n]));
    return calls;
}

std::vector<CallRecord> CallsOf(const char *entry)
{
    std::vector<CallRecord> calls;
    for (CallRecord &call : Calls()) {
        if (call.entry == entry)
            calls.push_back(std::move(call));
    }
    return calls;
}

void SetParameters(DWORD fx, const void *block, DWORD bytes)
{
    SharedState *state = Shared();
    if (!state || !block)
        return;
    StateLock hold(state);
    SharedEffect *effect = EffectOf(state, fx);
    if (effect)
        CopyMemory(effect->block, block, bytes < MaxBlockBytes ? bytes : MaxBlockBytes);
}

DWORD LostCalls()
{
    SharedState *state = Shared();
    if (!state)
        return 0;
    StateLock hold(state);
    return state->lostCalls;
}

HANDLE DeliverDownload(const void *data, const DWORD *lengths, DWORD count, BOOL end)
{
    using Deliver = HANDLE(__stdcall *)(const void *, const DWORD *, DWORD, BOOL);
    auto deliver = DoubleControl<Deliver>("DoubleDeliverDownload");
    return deliver ? deliver(data, lengths, count, end) : nullptr;
}

HANDLE RunDsp(void *buffer, DWORD length)
{
    using Run = HANDLE(__stdcall *)(void *, DWORD);
    auto run = DoubleControl<Run>("DoubleRunDsp");
    return run ? run(buffer, length) : nullptr;
}

} // namespace bassdouble
