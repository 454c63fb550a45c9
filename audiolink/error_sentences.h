// The English sentence for each error code of the audio library.
#pragma once
#include <cstdint>
#include <string_view>

namespace audiolink {

// The sentence for a code, compared as an unsigned 32-bit value (-1 is
// 0xFFFFFFFF); empty for a code the table does not hold.
std::string_view ErrorSentence(uint32_t code);

} // namespace audiolink
