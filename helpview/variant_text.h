// Conversions between the viewer's 8-bit texts and the control's BSTRs and
// VARIANTs, through the process's code page (UTF-8 where the system honours
// the viewer's manifest, the system's 8-bit code page elsewhere).
#pragma once
#include <windows.h>

#include <oleauto.h>

#include <string>

namespace helpview {

// A new BSTR of the text before its terminating zero, widened from the
// process's code page. The caller frees it. Null text gives an empty BSTR.
BSTR AnsiToBstr(const char *text);

// Frees what variable holds, stores AnsiToBstr(text) in it and returns it.
BSTR SetBstrFromAnsi(BSTR &variable, const char *text);

// Writes the string narrowed to the process's code page and a zero into
// target: as many whole characters as fit in targetSize - 1 bytes (a
// character is never cut in two). A character the code page lacks becomes
// '?'. Returns 1 for a null BSTR (target empty), else 0.
int BstrToAnsi(BSTR value, char *target, size_t targetSize);

// The display text of the VARIANT's value; the VARIANT is left as it is.
std::string VariantToText(const VARIANT &value);

// Turns value into a missing optional argument (VT_ERROR, DISP_E_PARAMNOTFOUND).
void SetMissing(VARIANT &value);

} // namespace helpview
