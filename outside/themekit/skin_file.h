// The skin file: colours, sizes and fonts of the skinned windows, as a small
// text of `key = value` lines (the format is described in README.md).
// Free of windows.h: the parser also builds natively for the sanitizers and
// the fuzzer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace themekit {

// A colour in the platform's COLORREF layout, 0x00BBGGRR, so the Win32 side
// passes it on unchanged.
using SkinColour = std::uint32_t;

constexpr SkinColour MakeSkinColour(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

struct Skin {
    SkinColour captionColour = MakeSkinColour(40, 70, 120);
    SkinColour inactiveCaptionColour = MakeSkinColour(120, 124, 136);
    SkinColour captionTextColour = MakeSkinColour(255, 255, 255);
    SkinColour frameColour = MakeSkinColour(56, 60, 72);
    SkinColour faceColour = MakeSkinColour(212, 208, 200);   // 3D buttons
    SkinColour textColour = MakeSkinColour(0, 0, 0);         // 3D buttons
    SkinColour backgroundColour = MakeSkinColour(228, 226, 218);
    SkinColour dialogFaceColour = MakeSkinColour(240, 238, 230);
    SkinColour dialogTextColour = MakeSkinColour(0, 0, 0);
    int minimumWidth = 200;
    int minimumHeight = 120;
    int captionHeight = 22;
    int frameWidth = 4;
    int buttonMargin = 6;
    int bevel = 2;
    int messagePadding = 12;
    int fontSize = 8;         // points
    int captionFontSize = 9;  // points
    std::string fontName = "Tahoma";
    // A bitmap file tiled behind controls; relative to the skin file's folder.
    std::string backgroundImage;
};

// Larger texts are not skin files.
constexpr std::size_t MaxSkinFileSize = 64 * 1024;

// Reads a skin file's text over `skin`. A text that is not a skin file (no
// signature line first, a zero byte, too large) gives false and leaves `skin`
// as it was. In a skin file every line with a known key and a valid value
// sets that value; other lines are skipped.
bool ReadSkinText(std::string_view text, Skin &skin);

} // namespace themekit
