// The test browser control's record of the calls it receives: one line per
// call, appended to the file named by the environment variable
// TESTBROWSER_LOG (nothing is recorded while it is unset). The line format
// and the argument texts are described in test_browser.h, which reads them.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string>

namespace testbrowser {

// Argument texts.
std::wstring TextArgument(const wchar_t *text, size_t length);
inline std::wstring TextArgument(BSTR text) { return TextArgument(text, text ? SysStringLen(text) : 0); }
std::wstring NumberArgument(long value);
std::wstring VariantArgument(const VARIANT *value);
std::wstring GuidArgument(REFGUID guid);
std::wstring RectArgument(const RECT &rect);

// Appends the line "process, control, method, arguments".
void Record(unsigned control, const char *method, std::initializer_list<std::wstring> arguments = {});

} // namespace testbrowser
