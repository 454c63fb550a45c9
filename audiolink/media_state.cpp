#include "media_state.h"

namespace audiolink {

Modules ModuleTable;
std::string BassVersionText;
HINSTANCE LibraryInstance = nullptr;
char PathBuffer[PathBufferSize] = {};
int PendingKind = NoMedia;
std::string PendingPath;
DWORD CurrentChannel = 0;
int CurrentMediaType = NoMedia;
std::string MusicName;
std::string StreamName;
bool EngineReady = false;
std::atomic<float> RotateStep{0.0f};
HWND FxWindow = nullptr;
FxSlotTable FxSlots;

} // namespace audiolink
