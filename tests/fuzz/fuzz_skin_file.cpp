// Any bytes: the skin parser neither crashes nor leaves values outside the
// ranges the drawing code relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "skin_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view text(reinterpret_cast<const char *>(data), size);
    themekit::Skin skin;
    bool read = themekit::ReadSkinText(text, skin);
    if (!read && skin.captionHeight != themekit::Skin().captionHeight)
        std::abort(); // a rejected text must change nothing
    if (skin.minimumWidth < 50 || skin.minimumWidth > 4096 || skin.captionHeight < 10 ||
        skin.captionHeight > 64 || skin.frameWidth < 0 || skin.frameWidth > 32 || skin.bevel < 0 ||
        skin.bevel > 16 || skin.fontName.size() > 31 || skin.backgroundImage.size() > 259)
        std::abort();
    for (themekit::SkinColour colour : {skin.captionColour, skin.faceColour, skin.frameColour})
        if (colour > 0xFFFFFFu)
            std::abort();
    return 0;
}
