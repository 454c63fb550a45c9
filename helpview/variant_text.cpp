#include "variant_text.h"

#include <cstring>

#include "variant_values.h"

namespace helpview {

BSTR AnsiToBstr(const char *text)
{
    std::u16string units = WidenBytes(text ? text : "");
    return SysAllocString(reinterpret_cast<const OLECHAR *>(units.c_str()));
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
    std::string bytes =
        NarrowUnits(reinterpret_cast<const char16_t *>(value), SysStringLen(value), targetSize - 1);
    std::memcpy(target, bytes.data(), bytes.size());
    target[bytes.size()] = '\0';
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
    return TextOfVariantValue(view);
}

void SetMissing(VARIANT &value)
{
    VariantClear(&value);
    V_VT(&value) = VT_ERROR;
    V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
}

} // namespace helpview
