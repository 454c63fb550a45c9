// The display text of every VARIANT value type, and which units of a string
// are shown (their narrowing is the code page's, tested under Wine).
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "variant_values.h"

using namespace helpview;

namespace {

template <typename T> VariantValue Value(std::uint16_t type, T value)
{
    VariantValue v;
    v.type = type;
    static_assert(sizeof(T) <= 8, "fits the value bytes");
    std::memcpy(v.value, &value, sizeof value);
    return v;
}

VariantValue StringValue(const std::u16string &units, std::uint16_t type = vartype::BSTR)
{
    VariantValue v;
    v.type = type;
    v.units = units.data();
    v.unitCount = units.size();
    return v;
}

// Stands in for the code page: one character for each unit, H and L for the
// halves of a surrogate pair.
std::string Mark(std::u16string_view units)
{
    std::string text;
    for (char16_t unit : units) {
        if (unit >= 0xD800 && unit <= 0xDBFF)
            text += 'H';
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            text += 'L';
        else
            text += unit < 0x80 ? char(unit) : '?';
    }
    return text;
}

std::string TextOf(const VariantValue &value)
{
    return TextOfVariantValue(value, Mark);
}

TEST(VariantText, StringsAreCutAtTheirFirstZeroUnitAnd4095UnitsButNeverInsideAPair)
{
    EXPECT_EQ(TextOf(StringValue(u"Index")), "Index");
    std::u16string embedded{u'a', u'b', u'\0', u'c'};
    EXPECT_EQ(TextOf(StringValue(embedded)), "ab");
    // Characters beyond one byte are the code page's to narrow, not a cut.
    EXPECT_EQ(TextOf(StringValue(u"x\u0100y\u20AC")), "x?y?");
    std::u16string longText(5000, u'z');
    EXPECT_EQ(TextOf(StringValue(longText)), std::string(4095, 'z'));
    std::u16string note = u"\U0001F3B5";
    EXPECT_EQ(TextOf(StringValue(std::u16string(4093, u'z') + note)), std::string(4093, 'z') + "HL");
    EXPECT_EQ(TextOf(StringValue(std::u16string(4094, u'z') + note)), std::string(4094, 'z')) << "pair left out whole";
    VariantValue null;
    null.type = vartype::BSTR;
    EXPECT_EQ(TextOf(null), "");
}

TEST(VariantText, FlagsAndOtherTypesGiveTheEmptyText)
{
    EXPECT_EQ(TextOf(StringValue(u"Index", vartype::BSTR | vartype::BYREF)), "");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4 | vartype::BYREF, 5)), "");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4 | 0x2000, 5)), "") << "VT_ARRAY";
    for (std::uint16_t type : {0, 1, 7, 10, 12, 14, 20, 21, 0xFFFF})
        EXPECT_EQ(TextOf(Value<std::int32_t>(type, 1234)), "") << type;
}

TEST(VariantText, EveryIntegerTypeReadsItsOwnWidthAndSign)
{
    // The value bytes hold more than the type's width: only its own count.
    const std::uint64_t pattern = 0x11223344FFFFFF85ull;
    struct Case {
        std::uint16_t type;
        const char *text;
    } cases[] = {
        {vartype::I1, "-123"},       {vartype::UI1, "133"},     {vartype::I2, "-123"},
        {vartype::UI2, "65413"},     {vartype::I4, "-123"},     {vartype::UI4, "4294967173"},
        {vartype::BOOL, "-123"},
    };
    for (const Case &c : cases) {
        std::string text = TextOf(Value(c.type, pattern));
        if (c.type == vartype::UI4)
            EXPECT_EQ(text, "4.294967E+09") << "at most 7 significant digits";
        else
            EXPECT_EQ(text, c.text) << c.type;
    }
    EXPECT_EQ(TextOf(Value<std::int16_t>(vartype::BOOL, -1)), "-1");
    EXPECT_EQ(TextOf(Value<std::int16_t>(vartype::BOOL, 0)), "0");
}

TEST(VariantText, IntegersAndSinglesHaveSevenSignificantDigits)
{
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, 1234567)), "1234567");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, 12345678)), "1.234568E+07");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, -99999995)), "-1E+08");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, INT_MIN)), "-2.147484E+09");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, 10000000)), "1E+07");
    EXPECT_EQ(TextOf(Value<std::int32_t>(vartype::I4, 99999994)), "9.999999E+07");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 0.1f)), "0.1");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 3.14159265f)), "3.141593");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 1234567.0f)), "1234567");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 12345678.0f)), "1.234568E+07");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, -0.00012345f)), "-0.00012345");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 1.5e-7f)), "1.5E-07");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, FLT_MAX)), "3.402823E+38");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, 0.0f)), "0");
    EXPECT_EQ(TextOf(Value<float>(vartype::R4, -0.0f)), "0");
}

TEST(VariantText, DoublesAndCurrencyHaveFifteenSignificantDigits)
{
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, 0.1)), "0.1");
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, 1.0 / 3)), "0.333333333333333");
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, 123456789012345.0)), "123456789012345");
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, 1234567890123456.0)), "1.23456789012346E+15");
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, -2.5e-300)), "-2.5E-300");
    EXPECT_EQ(TextOf(Value<double>(vartype::R8, 1e300 * 1e300)), "INF");

    // Currency: a 64-bit count of ten-thousandths.
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, 12345)), "1.2345");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, -50000)), "-5");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, 1)), "0.0001");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, INT64_MAX)), "922337203685478");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, INT64_MIN)), "-922337203685478");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, 99999999999999999)), "10000000000000");
    EXPECT_EQ(TextOf(Value<std::int64_t>(vartype::CY, 0)), "0");
}

TEST(VariantText, InterfacePointersAreUnsignedNumbers)
{
    EXPECT_EQ(TextOf(Value<std::uint32_t>(vartype::DISPATCH, 0x8001F000u)), "2147610624");
    EXPECT_EQ(TextOf(Value<std::uint32_t>(vartype::UNKNOWN, 0)), "0");
}

} // namespace
