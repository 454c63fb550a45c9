// Any CD file name and drive list: a track index for any name, and a drive
// index within the list's CD drives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    audiolink::CdTrackIndex(input);
    char letter = input.empty() ? 'd' : input[0];
    int drive = audiolink::CdDriveIndex(letter, input.substr(input.empty() ? 0 : 1));
    if (drive < 0 || size_t(drive) >= size + 1)
        std::abort();
    return 0;
}
