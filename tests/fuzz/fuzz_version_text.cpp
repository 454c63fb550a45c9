// Any text as a version: reading it never fails or overflows, and every
// version word reads back as its major number plus the minor as a fraction.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "version_text.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    double number = audiolink::VersionNumber(input);
    Require(number >= 0 && !std::isnan(number));
    long tenths = audiolink::VersionTenths(number);
    Require(tenths >= 0 && tenths <= 1000000000L);
    audiolink::AddOnSet set = audiolink::AddOnsForVersion(number);
    Require(!set.visualisation || set.encoderAndCd);

    if (size >= 4) {
        uint32_t word = 0;
        std::memcpy(&word, data, 4);
        std::string text = audiolink::VersionText(word);
        uint32_t major = word & 0xFFFFu, minor = word >> 16;
        std::string minorText = std::to_string(minor);
        Require(text == std::to_string(major) + "." + minorText);
        double expected = major + minor / std::pow(10.0, double(minorText.size()));
        Require(std::fabs(audiolink::VersionNumber(text) - expected) <= 1e-9 * (1 + expected));
    }
    return 0;
}
