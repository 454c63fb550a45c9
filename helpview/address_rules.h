// Names and addresses the viewer derives from texts. Win32-free.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "code_page_text.h"

namespace helpview {

// Most characters (UTF-16 units) of a start address; the rest is cut. In
// an 8-bit code page that many bytes, in UTF-8 up to three times as many:
// a path's characters are kept whatever code page the viewer runs in.
constexpr size_t MaxStartAddress = 511;

// A file name up to its first ".": viewer.exe gives viewer.
std::string StemOf(std::string_view fileName);

// folder + file name up to its first ".": the name the viewer's files are
// built from (C:\App\ and viewer.exe give C:\App\viewer).
std::string BasePathOf(std::string_view folder, std::string_view programFileName);

// "file://" + folder + file name, cut to MaxStartAddress whole characters
// of the code page.
std::string FileAddress(std::string_view folder, std::string_view fileName, const CodePageShape &codePage);

// A text used as an address as it is, cut to MaxStartAddress whole
// characters of the code page.
std::string AddressText(std::string_view text, const CodePageShape &codePage);

// The 1-based position of ".PDF" in the address, in any letter case; 0 when
// it holds none.
size_t PdfPosition(std::string_view address);

// The caption built from a page title: prefix + " - " + title.
std::string TitleCaption(std::string_view prefix, std::string_view title);

} // namespace helpview
