#include "version_text.h"

#include <cmath>

namespace audiolink {

namespace {

// Up to this many digits the value is held exactly in the mantissa, so that
// "0.9" reads as the double nearest to 0.9, the same value as the literal it
// is compared with.
constexpr int ExactDigits = 15;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Powers of ten up to 1e22 are exact doubles; the literals keep them so on
// every C runtime, whatever its pow() does.
double PowerOfTen(int exponent)
{
    static const double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exponent < int(sizeof exact / sizeof exact[0]))
        return exact[exponent];
    return std::pow(10.0, exponent);
}

} // namespace

std::string VersionText(uint32_t versionWord)
{
    return std::to_string(versionWord & 0xFFFFu) + "." + std::to_string(versionWord >> 16);
}

double VersionNumber(std::string_view text)
{
    uint64_t mantissa = 0;
    int digits = 0;
    int scale = 0; // power of ten to apply to the mantissa
    size_t at = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        if (digits < ExactDigits) {
            mantissa = mantissa * 10 + uint64_t(text[at] - '0');
            if (mantissa != 0)
                ++digits;
        } else {
            ++scale; // a digit of the integer part beyond what is kept
        }
    }
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at) {
            if (digits < ExactDigits) {
                mantissa = mantissa * 10 + uint64_t(text[at] - '0');
                if (mantissa != 0)
                    ++digits;
                --scale;
            }
        }
    }
    double value = double(mantissa);
    // One multiplication or division by an exact power of ten keeps short
    // texts correctly rounded.
    if (scale < 0)
        return value / PowerOfTen(-scale);
    if (scale > 0)
        return value * PowerOfTen(scale);
    return value;
}

long VersionTenths(double versionNumber)
{
    constexpr double Largest = 1e9;
    double tenths = std::nearbyint(versionNumber * 10.0);
    if (!(tenths < Largest)) // also catches infinity and NaN
        return long(Largest);
    if (tenths < 0)
        return 0;
    return long(tenths);
}

AddOnSet AddOnsForVersion(double versionNumber)
{
    long tenths = VersionTenths(versionNumber);
    AddOnSet set;
    set.encoderAndCd = tenths >= 18;
    set.visualisation = tenths >= 20;
    return set;
}

} // namespace audiolink
