// The audio library's version word as text and as a number, and which
// add-ons a version brings.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace audiolink {

// Major number (low 16 bits), ".", minor number (high 16 bits), in decimal:
// 0x00080001 is "1.8", 0x000A0001 is "1.10".
std::string VersionText(uint32_t versionWord);

// The text read as a decimal number: leading digits, an optional "." and
// the digits after it; reading stops at anything else. "1.10" is 1.1 and
// the empty text is 0.
double VersionNumber(std::string_view text);

// Ten times the number, rounded to the nearest integer (1.8 gives 18).
// Absurdly large numbers saturate instead of overflowing.
long VersionTenths(double versionNumber);

struct AddOnSet {
    bool encoderAndCd = false; // "BASSENC.DLL" and "BASSCD.DLL", from 1.8 on
    bool visualisation = false; // "BASS_VIS.DLL", from 2.0 on
};
AddOnSet AddOnsForVersion(double versionNumber);

// The lowest version with which the library counts as available.
constexpr double LowestUsableVersion = 0.9;

} // namespace audiolink
