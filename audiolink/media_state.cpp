#include "media_state.h"

#include "audiolink.h"

namespace audiolink {

// The codes hosts are given in the public header.
static_assert(MEDIAKIND_NONE == NoMedia && MEDIAKIND_MUSIC == MusicModuleKind && MEDIAKIND_STREAM == StreamKind &&
              MEDIAKIND_CDTRACK == CdTrackKind && MEDIAKIND_WINDOWSMEDIA == WindowsMediaKind);
static_assert(FXSLOT_COUNT == FxSlotCount);

Modules ModuleTable;
std::string BassVersionText;
HINSTANCE LibraryInstance = nullptr;
char PathBuffer[PathBufferSize] = {};
int PendingKind = NoMedia;
std::string PendingPath;
DWORD CurrentChannel = 0;
int CurrentMediaType = NoMedia;
int CurrentChannelKind = NoMedia;
std::string MusicName;
std::string StreamName;
bool EngineReady = false;
std::atomic<float> RotateStep{0.0f};
HWND FxWindow = nullptr;
FxSlotTable FxSlots;

} // namespace audiolink
