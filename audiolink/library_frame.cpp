// Attaching and detaching the library, loading the audio library and its
// add-ons by version, and the frame's own exports.
#include "audiolink.h"

#include "bass_binding.h"
#include "byte_strings.h"
#include "media_state.h"
#include "pointer_text.h"
#include "stream_saving.h"
#include "version_text.h"

#include <cstring>

namespace audiolink {

namespace {

// Puts what a load gave (0 for a module it did not load) into the slot. A
// slot that held the module from an earlier load gives up that reference
// afterwards: the new handle is the same module, and loading twice must not
// keep it in memory past BASSUNLOAD; a module this load leaves out is not
// kept from one that took it.
void Keep(HMODULE &slot, HMODULE loaded)
{
    HMODULE previous = slot;
    slot = loaded;
    if (previous)
        FreeLibrary(previous);
}

// How many of the limit bytes from address can be read: the committed,
// readable pages that follow one another from there. 0 for an address that
// points nowhere, so that a wrong pointer gives an empty text, not a fault.
size_t ReadableBytes(const char *address, size_t limit)
{
    size_t readable = 0;
    while (readable < limit) {
        MEMORY_BASIC_INFORMATION region;
        if (!VirtualQuery(address + readable, &region, sizeof region))
            break;
        const DWORD readableKinds = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                    PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (region.State != MEM_COMMIT || !(region.Protect & readableKinds) || (region.Protect & PAGE_GUARD))
            break;
        const char *end = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        readable = static_cast<size_t>(end - address);
    }
    return readable < limit ? readable : limit;
}

void Release(HMODULE &slot)
{
    Keep(slot, nullptr);
}

// The add-ons serve the library they were loaded beside: without it they
// are released, whichever load brought them.
void ReleaseAddOns()
{
    Release(ModuleTable.WmaModule);
    Release(ModuleTable.EncModule);
    Release(ModuleTable.CdModule);
    Release(ModuleTable.VisModule);
}

// What belonged to the library that goes: its channel, the effects on that
// channel, its download, and its output, which the next BASSOPEN
// initialises anew. The pending media is a name, not the library's, and
// stays.
void ForgetLibraryState()
{
    // Freeing output ends every download; a copy still open would stay
    // locked and unfinished.
    DisarmDownload();
    CurrentChannel = 0;
    CurrentChannelKind = NoMedia;
    FxSlots = FxSlotTable{};
    EngineReady = false;
}

void UnloadAudioLibrary()
{
    if (ModuleTable.BassModule) {
        BASSFREE();
        ForgetLibraryState();
        Release(ModuleTable.BassModule);
    }
    ReleaseAddOns();
}

void LoadAudioLibrary()
{
    HMODULE bass = LoadLibraryA(BASS_MODULE_NAME);
    if (!bass) {
        // A reload that cannot find the library: the earlier load is ended
        // as BASSUNLOAD ends it, output first, so that nothing of it is
        // left running or held.
        UnloadAudioLibrary();
    } else {
        Keep(ModuleTable.BassModule, bass);
        Keep(ModuleTable.WmaModule, LoadLibraryA(BASSWMA_MODULE_NAME));
        if (auto getVersion = bass::Find<bass::entry::BASS_GetVersion>())
            BassVersionText = VersionText(getVersion());
        AddOnSet addOns = AddOnsForVersion(VersionNumber(BassVersionText));
        Keep(ModuleTable.EncModule, addOns.encoderAndCd ? LoadLibraryA(BASSENC_MODULE_NAME) : nullptr);
        Keep(ModuleTable.CdModule, addOns.encoderAndCd ? LoadLibraryA(BASSCD_MODULE_NAME) : nullptr);
        Keep(ModuleTable.VisModule, addOns.visualisation ? LoadLibraryA(BASSVIS_MODULE_NAME) : nullptr);
    }
    RotateStep = DefaultRotateStep;
}

bool IsAvailable()
{
    return ModuleTable.BassModule && VersionNumber(BassVersionText) >= LowestUsableVersion;
}

} // namespace

} // namespace audiolink

using namespace audiolink;

extern "C" {

BOOL __stdcall DLLMAIN(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        LibraryInstance = instance;
        BASSLOAD();
        break;
    case DLL_PROCESS_DETACH:
        BASSUNLOAD();
        break;
    default:
        break;
    }
    return TRUE;
}

// The C runtime's entry point calls this once the runtime is set up.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // When the process ends (reserved non-null) its other threads are gone
    // and modules may already be detached: calling into the audio library
    // then could hang or crash, and the system reclaims everything anyway.
    if (reason == DLL_PROCESS_DETACH && reserved)
        return TRUE;
    return DLLMAIN(instance, reason, reserved);
}

void __stdcall BASSLOAD(void)
{
    Shielded(LoadAudioLibrary);
}

void __stdcall BASSUNLOAD(void)
{
    Shielded(UnloadAudioLibrary);
}

int __stdcall BASSAVAILABLE(void)
{
    return IsAvailable() ? -1 : 0;
}

BSTR __stdcall BASSGETVERSION(void)
{
    return NewByteString(ModuleTable.BassModule ? std::string_view(BassVersionText) : std::string_view());
}

BSTR __stdcall BASSSTRINGFROMPTR(const char *address)
{
    // For a UTF-8 host the limit must not cut a character in half: the
    // bytes that would complete one are looked at, and the character goes.
    bool utf8 = CurrentHostText() == HostText::Utf8;
    size_t look = utf8 ? ScratchTextLimit + 3 : ScratchTextLimit;
    std::string_view text = address ? LeadingText(address, ReadableBytes(address, look)) : std::string_view();
    text = text.substr(0, utf8 ? Utf8Cut(text, ScratchTextLimit) : ScratchTextLimit);
    // The caller may hand over PathBuffer itself.
    memmove(PathBuffer, text.data(), text.size());
    PathBuffer[text.size()] = '\0';
    return NewByteString(TrimBlanks(std::string_view(PathBuffer, text.size())));
}

} // extern "C"
