// The DirectX version text kept in the registry, such as 4.09.00.0904.
#pragma once
#include <string_view>

namespace audiolink {

// The major version: the leading decimal number of the second dot-separated
// field (leading zeros allowed), 0 when the text has no dot or the field
// starts with no digit. Numbers too large for 32 bits give the largest.
int DirectXMajorVersion(std::string_view versionText);

} // namespace audiolink
