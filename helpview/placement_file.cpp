// The placement file in the temporary folder: where the window was when it
// was last closed.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "address_rules.h"
#include "placement_values.h"
#include "viewer_state.h"

namespace helpview {

namespace {

std::string PlacementPath()
{
    return TakeByteString(THGETTEMPPATH()) + StemOf(ProgramFileName) + ".cfg";
}

// What the file holds, at most its first PlacementSize bytes; empty when it
// is missing, empty or cannot be read.
std::string ReadPlacementBytes(const std::string &path)
{
    std::string bytes;
    int handle = 0;
    if (THEXIST(path.c_str()) && THFOPEN(path.c_str(), THF_READ, THF_MODE_READ, &handle) == 0) {
        int size = THFLOF(handle);
        if (size > 0) {
            // Only the first bytes are used, however long the file is.
            UINT length = UINT(std::min<int>(size, int(PlacementSize)));
            BSTR buffer = SysAllocStringByteLen(nullptr, length);
            if (buffer) {
                std::memset(buffer, 0, length);
                if (THFGET(handle, &buffer) == 0)
                    bytes.assign(reinterpret_cast<const char *>(buffer), length);
                SysFreeString(buffer);
            }
        }
    }
    THFCLOSE(&handle);
    return bytes;
}

ScreenArea Desktop()
{
    ScreenArea desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (desktop.width <= 0 || desktop.height <= 0)
        desktop = ScreenArea{0, 0, ScreenWidth, ScreenHeight};
    return desktop;
}

void LoadPlacement(int &left, int &top, int &width, int &height)
{
    std::string bytes = ReadPlacementBytes(PlacementPath());
    Placement placement = DecodePlacement(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(),
                                          THXMINI(), THYMINI(), ScreenWidth, ScreenHeight);
    placement = BringIntoView(placement, Desktop());
    left = placement.left;
    top = placement.top;
    width = placement.width;
    height = placement.height;
}

void SavePlacement(int left, int top, int width, int height)
{
    std::string path = PlacementPath();
    THKILLFILE(path.c_str());
    int handle = 0;
    if (THFOPEN(path.c_str(), THF_WRITE, THF_MODE_APPEND, &handle) == 0) {
        auto bytes = EncodePlacement(Placement{left, top, width, height});
        BSTR text = SysAllocStringByteLen(reinterpret_cast<const char *>(bytes.data()), UINT(bytes.size()));
        if (text)
            THFPUT(handle, text);
        SysFreeString(text);
    }
    THFCLOSE(&handle);
}

} // namespace

void PlacementFile(int &left, int &top, int &width, int &height, int save)
{
    if (save)
        SavePlacement(left, top, width, height);
    else
        LoadPlacement(left, top, width, height);
}

} // namespace helpview
