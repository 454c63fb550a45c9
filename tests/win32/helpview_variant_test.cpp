// The viewer's BSTR and VARIANT conversions on the platform's own oleaut32.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <string>

#include "variant_text.h"

using namespace helpview;

namespace {

std::wstring UnitsOf(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : L"";
}

TEST(Bstr, BytesWidenAndNarrowOneForOneWithinTheTarget)
{
    BSTR text = AnsiToBstr("\x41\xE9\x42");
    EXPECT_EQ(UnitsOf(text), (std::wstring{L'\x41', L'\xE9', L'\x42'}));
    char back[8] = "xxxxxxx";
    EXPECT_EQ(BstrToAnsi(text, back, sizeof back), 0);
    EXPECT_STREQ(back, "\x41\xE9\x42");
    EXPECT_EQ(SetBstrFromAnsi(text, "\x80new"), text);
    EXPECT_EQ(UnitsOf(text), L"\x80new");
    SysFreeString(text);

    BSTR euro = SysAllocString(L"\x20AC" L"123456789");
    char small[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(BstrToAnsi(euro, small, sizeof small), 0);
    EXPECT_STREQ(small, "\xAC" "12");
    SysFreeString(euro);
    EXPECT_EQ(BstrToAnsi(nullptr, small, sizeof small), 1);
    EXPECT_STREQ(small, "");
}

TEST(VariantToText, RealVariantsAreReadWhereOleaut32PutsThem)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocStringLen(L"Ind\0ex", 6);
    EXPECT_EQ(VariantToText(value), "Ind");
    EXPECT_EQ(SysStringLen(V_BSTR(&value)), 6u) << "left unchanged";
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
