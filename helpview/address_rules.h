// Names and addresses the viewer derives from texts. Win32-free.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace helpview {

// Longest start address used (the rest is cut).
constexpr size_t MaxStartAddress = 511;

// A file name up to its first ".": viewer.exe gives viewer.
std::string StemOf(std::string_view fileName);

// folder + file name up to its first ".": the name the viewer's files are
// built from (C:\App\ and viewer.exe give C:\App\viewer).
std::string BasePathOf(std::string_view folder, std::string_view programFileName);

// "file://" + folder + file name, cut to MaxStartAddress bytes.
std::string FileAddress(std::string_view folder, std::string_view fileName);

// A text used as an address as it is, cut to MaxStartAddress bytes.
std::string AddressText(std::string_view text);

// The 1-based position of ".PDF" in the address, in any letter case; 0 when
// it holds none.
size_t PdfPosition(std::string_view address);

// The caption built from a page title: prefix + " - " + title.
std::string TitleCaption(std::string_view prefix, std::string_view title);

} // namespace helpview
