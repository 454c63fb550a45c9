// The viewer's BSTR and VARIANT conversions on the platform's own oleaut32,
// in a program whose code page is the Western 1252.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <utility>
#include <vector>

#include "process_code_page.h"
#include "variant_text.h"

using namespace helpview;

namespace {

std::wstring UnitsOf(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : L"";
}

// This program runs in the Western code page, 1252, as older hosts do.
TEST(Bstr, TextsWidenAndNarrowThroughTheCodePageWithinTheTarget)
{
    ASSERT_EQ(GetACP(), 1252u);
    BSTR text = AnsiToBstr("\x41\xE9\x42");
    EXPECT_EQ(UnitsOf(text), (std::wstring{L'\x41', L'\xE9', L'\x42'}));
    char back[8] = "xxxxxxx";
    EXPECT_EQ(BstrToAnsi(text, back, sizeof back), 0);
    EXPECT_STREQ(back, "\x41\xE9\x42");
    EXPECT_EQ(SetBstrFromAnsi(text, "\x80new"), text);
    EXPECT_EQ(UnitsOf(text), L"\x20ACnew");
    SysFreeString(text);

    // Every byte is its character of the code page and comes back the same:
    // 0x80 to 0x9F are the euro sign, quotes, dashes, the ellipsis and their
    // kin; the rest are the code points of the same number, as ever.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    BSTR wide = AnsiToBstr(all.c_str());
    ASSERT_EQ(SysStringLen(wide), 255u);
    const std::pair<int, wchar_t> western[] = {
        {0x80, L'\x20AC'}, {0x85, L'\x2026'}, {0x91, L'\x2018'}, {0x92, L'\x2019'},
        {0x93, L'\x201C'}, {0x96, L'\x2013'}, {0x9F, L'\x0178'},
    };
    for (auto [byte, unit] : western)
        EXPECT_EQ(wide[byte - 1], unit) << std::hex << byte;
    for (int b = 1; b < 256; ++b) {
        if (b < 0x80 || b > 0x9F) {
            EXPECT_EQ(wide[b - 1], wchar_t(b)) << std::hex << b;
        }
    }
    std::vector<char> narrowed(300, 'x');
    EXPECT_EQ(BstrToAnsi(wide, narrowed.data(), narrowed.size()), 0);
    EXPECT_EQ(std::string(narrowed.data()), all);
    SysFreeString(wide);

    // What the code page lacks becomes '?', never a look-alike: a full-width
    // backslash must not turn into a path's separator.
    BSTR foreign = SysAllocString(L"\x0421\xFF3C\x0100\x3042");
    EXPECT_EQ(BstrToAnsi(foreign, back, sizeof back), 0);
    EXPECT_STREQ(back, "????");
    SysFreeString(foreign);

    BSTR euro = SysAllocString(L"\x20AC" L"123456789");
    char small[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(BstrToAnsi(euro, small, sizeof small), 0);
    EXPECT_STREQ(small, "\x80" "12");
    SysFreeString(euro);
    EXPECT_EQ(BstrToAnsi(nullptr, small, sizeof small), 1);
    EXPECT_STREQ(small, "");

    // Outside the UTF-8 code page, texts from outside pass as they are.
    EXPECT_EQ(TextFromOutside("Caf\xE9 \xC3\xA9"), "Caf\xE9 \xC3\xA9");
    std::vector<std::string> lines{"\xEF\xBB\xBFHelp", "Caf\xE9"};
    LinesFromOutside(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"\xEF\xBB\xBFHelp", "Caf\xE9"}));
}

TEST(VariantToText, RealVariantsAreReadWhereOleaut32PutsThem)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocStringLen(L"Ind\0ex", 6);
    EXPECT_EQ(VariantToText(value), "Ind");
    EXPECT_EQ(SysStringLen(V_BSTR(&value)), 6u) << "left unchanged";
    SysReAllocString(&V_BSTR(&value), L"Caf\x00E9 \x20AC \x201Cquoted\x201D");
    EXPECT_EQ(VariantToText(value), "Caf\xE9 \x80 \x93quoted\x94");
    VARIANT byReference;
    VariantInit(&byReference);
    V_VT(&byReference) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byReference) = &V_BSTR(&value);
    EXPECT_EQ(VariantToText(byReference), "");
    VariantClear(&value);

    V_VT(&value) = VT_R8;
    V_R8(&value) = 2.0 / 3;
    EXPECT_EQ(VariantToText(value), "0.666666666666667");
    V_VT(&value) = VT_CY;
    V_CY(&value).int64 = 1234567;
    EXPECT_EQ(VariantToText(value), "123.4567");
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = VARIANT_TRUE;
    EXPECT_EQ(VariantToText(value), "-1");
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = reinterpret_cast<IDispatch *>(0xABCD0000);
    EXPECT_EQ(VariantToText(value), "2882338816");
    V_VT(&value) = VT_EMPTY;
}

TEST(SetMissing, FreesTheOldValueAndMakesTheMissingArgument)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(L"freed by SetMissing");
    SetMissing(value);
    EXPECT_EQ(V_VT(&value), VT_ERROR);
    EXPECT_EQ(static_cast<unsigned>(V_ERROR(&value)), 0x80020004u);
    EXPECT_EQ(VariantClear(&value), S_OK);
}

} // namespace
