#include "variant_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace helpview {

namespace {

template <typename T> T Read(const std::uint8_t *bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// digits: significant digits without leading or trailing zeros (at least
// one); exponent: the power of ten of the first digit.
std::string LayOut(bool negative, std::string digits, int exponent, int maxDigits)
{
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string text = negative ? "-" : "";
    if (exponent < -5 || exponent >= maxDigits) {
        text += digits[0];
        if (digits.size() > 1)
            text.append(".").append(digits, 1, std::string::npos);
        char power[16];
        std::snprintf(power, sizeof power, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return text + power;
    }
    if (exponent < 0)
        return text + "0." + std::string(size_t(-exponent - 1), '0') + digits;
    size_t whole = size_t(exponent) + 1;
    if (digits.size() <= whole)
        return text + digits + std::string(whole - digits.size(), '0');
    return text + digits.substr(0, whole) + "." + digits.substr(whole);
}

std::string IntegerText(long long value)
{
    bool negative = value < 0;
    // Unsigned negation: the magnitude of the most negative value too.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return FormatDecimal(negative, magnitude, 0, 7);
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

std::u16string_view ShownUnits(const char16_t *units, size_t count)
{
    if (!units)
        return {};
    std::u16string_view text(units, count);
    text = text.substr(0, text.find(u'\0'));
    if (text.size() > MaxVariantText) {
        // A pair cut in two would narrow to a character that is not there.
        bool pairCut = IsHighSurrogate(text[MaxVariantText - 1]);
        text = text.substr(0, MaxVariantText - (pairCut ? 1 : 0));
    }
    return text;
}

std::string FormatSignificant(double value, int digits)
{
    if (digits < 1)
        digits = 1;
    if (digits > 17)
        digits = 17;
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    // The C library rounds the exact binary value correctly; only its layout
    // (exponent digits differ between libraries) is replaced.
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    const char *at = text;
    bool negative = *at == '-';
    if (negative)
        ++at;
    std::string mantissa;
    for (; *at && *at != 'e' && *at != 'E'; ++at) {
        if (*at >= '0' && *at <= '9')
            mantissa += *at;
    }
    int exponent = *at ? std::atoi(at + 1) : 0;
    return LayOut(negative, mantissa, exponent, digits);
}

std::string FormatDecimal(bool negative, std::uint64_t magnitude, int scale, int digits)
{
    if (digits < 1)
        digits = 1;
    if (magnitude == 0)
        return "0";
    std::string all = std::to_string(magnitude);
    int exponent = int(all.size()) - 1 - scale;
    if (all.size() > size_t(digits)) {
        bool roundUp = all[size_t(digits)] >= '5';
        all.resize(size_t(digits));
        if (roundUp) {
            size_t i = all.size();
            while (i > 0 && all[i - 1] == '9')
                all[--i] = '0';
            if (i == 0) {
                all.insert(all.begin(), '1');
                all.pop_back();
                ++exponent;
            } else {
                ++all[i - 1];
            }
        }
    }
    return LayOut(negative, all, exponent, digits);
}

std::string TextOfVariantValue(const VariantValue &value, UnitsToText narrow)
{
    const std::uint8_t *bytes = value.value;
    switch (value.type) {
    case vartype::I1:
        return IntegerText(Read<std::int8_t>(bytes));
    case vartype::UI1:
        return IntegerText(Read<std::uint8_t>(bytes));
    case vartype::I2:
    case vartype::BOOL:
        return IntegerText(Read<std::int16_t>(bytes));
    case vartype::UI2:
        return IntegerText(Read<std::uint16_t>(bytes));
    case vartype::I4:
        return IntegerText(Read<std::int32_t>(bytes));
    case vartype::UI4:
        return IntegerText(Read<std::uint32_t>(bytes));
    case vartype::R4:
        return FormatSignificant(Read<float>(bytes), 7);
    case vartype::R8:
        return FormatSignificant(Read<double>(bytes), 15);
    case vartype::CY: {
        auto units = Read<std::int64_t>(bytes);
        bool negative = units < 0;
        std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
        return FormatDecimal(negative, magnitude, 4, 15);
    }
    case vartype::UNKNOWN:
    case vartype::DISPATCH:
        return std::to_string(Read<std::uint32_t>(bytes));
    case vartype::BSTR:
        return value.units && narrow ? narrow(ShownUnits(value.units, value.unitCount)) : "";
    }
    return "";
}

} // namespace helpview
