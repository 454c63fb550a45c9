// The display text of a VARIANT's value, behind the viewer's VARIANT
// conversion. Win32-free: a VARIANT comes in as its type code and the 8
// bytes of its value, and a string's units are narrowed by the caller's
// function (the code page's conversion).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace helpview {

// The VARIANT type codes whose values have a text.
namespace vartype {
constexpr std::uint16_t I2 = 2, I4 = 3, R4 = 4, R8 = 5, CY = 6, BSTR = 8, DISPATCH = 9, BOOL = 11,
                        UNKNOWN = 13, I1 = 16, UI1 = 17, UI2 = 18, UI4 = 19;
constexpr std::uint16_t BYREF = 0x4000;
} // namespace vartype

// Most characters (UTF-16 units) a VARIANT's string gives; the rest is cut.
constexpr size_t MaxVariantText = 4095;

struct VariantValue {
    std::uint16_t type = 0;
    std::uint8_t value[8] = {}; // the bytes at offset 8 of the VARIANT
    // For a string: its units and their number (SysStringLen); null for a
    // null string.
    const char16_t *units = nullptr;
    size_t unitCount = 0;
};

// Turns UTF-16 units into 8-bit text.
using UnitsToText = std::string (*)(std::u16string_view units);

// The units of a string that are shown: those before its first zero unit, at
// most MaxVariantText of them, never half of a surrogate pair.
std::u16string_view ShownUnits(const char16_t *units, size_t count);

// The value with at most `digits` significant digits: plain notation for
// exponents from -5 to digits - 1, otherwise d.dddE+XX; no blank before a
// non-negative value, no trailing zeros.
std::string FormatSignificant(double value, int digits);

// magnitude / 10^scale, negated when negative, with at most `digits`
// significant digits (rounded half away from zero), laid out as
// FormatSignificant does. Exact for every 64-bit integer.
std::string FormatDecimal(bool negative, std::uint64_t magnitude, int scale, int digits);

// The display text of a value: integers (and VT_BOOL) and singles with at
// most 7 significant digits, doubles and currency with at most 15, interface
// pointers as unsigned decimal numbers, strings as narrow makes their
// ShownUnits. Every other type, by-reference and array values included,
// gives the empty text.
std::string TextOfVariantValue(const VariantValue &value, UnitsToText narrow);

} // namespace helpview
