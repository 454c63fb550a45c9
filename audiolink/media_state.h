// The module-wide state of the audio bridge: the audio library's modules,
// its version, the scratch buffer and the current piece of media. Everything
// is zero or empty when the library is loaded, and is touched only on the
// application's thread, except RotateStep, which the mixing thread reads.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

namespace audiolink {

// The handles of "BASS.DLL" and its add-ons; 0 = not loaded.
struct Modules {
    HMODULE BassModule = nullptr;
    HMODULE WmaModule = nullptr;
    HMODULE EncModule = nullptr;
    HMODULE CdModule = nullptr;
    HMODULE VisModule = nullptr;
};
extern Modules ModuleTable;

// "major.minor" in decimal, as BASSLOAD read it from the library; empty
// before. Kept when a later load finds no version entry point.
extern std::string BassVersionText;

extern HINSTANCE LibraryInstance;

// Shared scratch buffer for zero-terminated text. A text read into it keeps
// to ScratchTextLimit bytes (BASSSTRINGFROMPTR, the DirectX probe). A path
// handed to the audio library may fill it: BASSOPEN takes names of up to
// 259 bytes in an 8-bit code page, and for a UTF-8 host names of up to 259
// UTF-16 units (the system's own limit), which are up to 777 bytes. No host
// sees the buffer.
constexpr size_t ScratchTextLimit = 259;
constexpr size_t PathBufferSize = 3 * MAX_PATH;
extern char PathBuffer[PathBufferSize];

enum MediaKind : int {
    NoMedia = 0,
    MusicModuleKind = 1,
    StreamKind = 3,     // file or network stream
    CdTrackKind = 4,
    WindowsMediaKind = 5, // file or network
};

// What BASSOPEN decided, and the name it was given (a local file's short
// form).
extern int PendingKind;
extern std::string PendingPath;
// The channel BASSPLAY created last; 0 = none, and after the library that
// made it is unloaded. Channel arguments of 0 mean this one.
extern DWORD CurrentChannel;
// The kind BASSPLAY last started; never reset.
extern int CurrentMediaType;
// The kind CurrentChannel was made as, whether or not it started: closing
// frees it and its length is read by this kind. Equal to CurrentMediaType
// while the channel plays.
extern int CurrentChannelKind;

// The display names BASSOPEN found: a music module's title, a stream's tag
// or a network name's base name.
extern std::string MusicName;
extern std::string StreamName;
// Set once BASSOPEN has initialised output, or found it initialised by the
// host; cleared when the library goes (BASSUNLOAD, a failed reload).
extern bool EngineReady;

// Phase advance per sample frame of the rotate effect. Written by BASSLOAD
// on the application's thread, read by the DSP procedure on the mixing
// thread, which may be running when the application loads again.
extern std::atomic<float> RotateStep;
constexpr float DefaultRotateStep = 0.00002f;

// The effects dialog registered with BASSFXWINDOW; 0 = none.
extern HWND FxWindow;

// The effect and DSP handles the rack has put on the current channel,
// indexed 1 to 17 (bands 1 to 10, effects 13 to 17; 11 and 12 stay 0).
// Absent until ApplyEffects builds the rack and after BASSREMOVEFX.
constexpr int FxSlotCount = 17;
struct FxSlotTable {
    bool present = false;
    DWORD slot[FxSlotCount + 1] = {};
};
extern FxSlotTable FxSlots;

// A channel argument with 0 meaning the current channel.
inline DWORD ChannelOrCurrent(DWORD channel)
{
    return channel ? channel : CurrentChannel;
}

} // namespace audiolink
