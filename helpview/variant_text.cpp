#include "variant_text.h"

#include <cstring>

#include "process_code_page.h"
#include "variant_values.h"

namespace helpview {

static_assert(sizeof(OLECHAR) == sizeof(char16_t), "a BSTR holds UTF-16 units");

BSTR AnsiToBstr(const char *text)
{
    std::wstring units = WidenText(text ? text : "");
    return SysAllocStringLen(units.c_str(), UINT(units.size()));
}

BSTR SetBstrFromAnsi(BSTR &variable, const char *text)
{
    SysFreeString(variable);
    variable = AnsiToBstr(text);
    return variable;
}

int BstrToAnsi(BSTR value, char *target, size_t targetSize)
{
    if (!target || targetSize == 0)
        return value ? 0 : 1;
    target[0] = '\0';
    if (!value)
        return 1;
    std::string text = NarrowText(std::u16string_view(reinterpret_cast<const char16_t *>(value), SysStringLen(value)));
    size_t length = WholeCharacters(text, targetSize - 1, text.size());
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
    return 0;
}

std::string VariantToText(const VARIANT &value)
{
    VariantValue view;
    view.type = V_VT(&value);
    static_assert(sizeof(VARIANT) >= 16, "the value starts at byte 8");
    std::memcpy(view.value, reinterpret_cast<const unsigned char *>(&value) + 8, sizeof view.value);
    if (view.type == VT_BSTR && V_BSTR(&value)) {
        view.units = reinterpret_cast<const char16_t *>(V_BSTR(&value));
        view.unitCount = SysStringLen(V_BSTR(&value));
    }
    return TextOfVariantValue(view, NarrowText);
}

void SetMissing(VARIANT &value)
{
    VariantClear(&value);
    V_VT(&value) = VT_ERROR;
    V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
}

} // namespace helpview
