// The look-up-and-call rule every call into the audio library follows: the
// module that holds the entry point must be loaded, the entry point is looked
// up by its exact name at the moment of the call (no address is kept), and a
// missing module or entry point gives the caller's default without a call.
//
// Each entry point is a tag type in bass::entry, generated from the
// contract's lists, that carries its name, its pointer type and its module,
// so a signature is written once, in bass.h:
//
//     DWORD device = bass::CallOr<bass::entry::BASS_ChannelGetDevice>(0, channel);
//     if (auto start = bass::Find<bass::entry::BASS_Start>()) ...
#pragma once
#include <windows.h>

#include "bass.h"
#include "media_state.h"

namespace audiolink::bass {

template <typename Pointer> struct EntrySignature;
template <typename R, typename... A> struct EntrySignature<R(__stdcall *)(A...)> {
    using Result = R;
};

#define AUDIOLINK_ENTRY_TAG(name, module)                                                  \
    struct name {                                                                          \
        using Pointer = ::name##_t;                                                        \
        static constexpr const char *Name = #name;                                         \
        static HMODULE Holder() { return ModuleTable.module; }                             \
    };
#define AUDIOLINK_BASS_TAG(name) AUDIOLINK_ENTRY_TAG(name, BassModule)
#define AUDIOLINK_WMA_TAG(name) AUDIOLINK_ENTRY_TAG(name, WmaModule)
#define AUDIOLINK_ENC_TAG(name) AUDIOLINK_ENTRY_TAG(name, EncModule)
#define AUDIOLINK_CD_TAG(name) AUDIOLINK_ENTRY_TAG(name, CdModule)
#define AUDIOLINK_VIS_TAG(name) AUDIOLINK_ENTRY_TAG(name, VisModule)

namespace entry {
BASS_ENTRY_POINTS(AUDIOLINK_BASS_TAG)
BASSWMA_ENTRY_POINTS(AUDIOLINK_WMA_TAG)
BASSENC_ENTRY_POINTS(AUDIOLINK_ENC_TAG)
BASSCD_ENTRY_POINTS(AUDIOLINK_CD_TAG)
BASSVIS_ENTRY_POINTS(AUDIOLINK_VIS_TAG)
} // namespace entry

#undef AUDIOLINK_ENTRY_TAG
#undef AUDIOLINK_BASS_TAG
#undef AUDIOLINK_WMA_TAG
#undef AUDIOLINK_ENC_TAG
#undef AUDIOLINK_CD_TAG
#undef AUDIOLINK_VIS_TAG

template <typename Entry> using ResultOf = typename EntrySignature<typename Entry::Pointer>::Result;

// The entry point's address now, or null when its module is not loaded or
// does not export it.
template <typename Entry> typename Entry::Pointer Find()
{
    HMODULE module = Entry::Holder();
    if (!module)
        return nullptr;
    FARPROC address = GetProcAddress(module, Entry::Name);
    return reinterpret_cast<typename Entry::Pointer>(reinterpret_cast<void *>(address));
}

// Calls the entry point once with the arguments, or returns fallback without
// a call.
template <typename Entry, typename... Args> ResultOf<Entry> CallOr(ResultOf<Entry> fallback, Args... args)
{
    auto proc = Find<Entry>();
    return proc ? proc(args...) : fallback;
}

// For entry points whose result nobody reads: whether the call was made.
template <typename Entry, typename... Args> bool Call(Args... args)
{
    auto proc = Find<Entry>();
    if (!proc)
        return false;
    proc(args...);
    return true;
}

// Of a 64-bit length or position only the low word is used.
inline DWORD LowWord(ULONGLONG value)
{
    return DWORD(value);
}

// Length, position and data calls fail with 0xFFFFFFFF, which the exports
// that say so return as 0.
inline DWORD FailureAsZero(DWORD value)
{
    return value == BASS_FAILURE_VALUE ? 0 : value;
}

} // namespace audiolink::bass
