// Text rules of the file and name functions that need no Win32: splitting
// names and lines, the folders of a path, error texts and drive lists. Built
// into themekit.dll and natively for the sanitizer tests and the fuzzer, so
// this file must stay free of windows.h.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace themekit {

struct NameParts {
    std::string folder; // up to and including the last '\' or '/'; empty when none
    std::string file;   // the rest
};

// Splits after the last '\' or '/'. folder + file is always the whole name.
NameParts SplitName(std::string_view fullName);

// The lines of a text file's bytes. A line ends with CR LF, LF or CR; a last
// line without an end counts, an end at the very end adds no empty line, and
// zero bytes inside a line are kept. No bytes, no lines.
std::vector<std::string> SplitLines(std::string_view bytes);

// The folders to create, outermost first, so that path exists as a folder:
// every prefix of path that ends a name after its root, the last one being
// path itself without trailing separators. The root (C:\, C:, \, \\server\share\,
// \\?\C:\, \\?\UNC\server\share\) is never listed; a root alone gives nothing.
std::vector<std::string> FoldersToMake(std::string_view path);

// True when the name holds a '*' or '?' wildcard. The '?' of a leading
// "\\?\" long-name prefix is not a wildcard.
bool HasWildcard(std::string_view name);

// A system message made into one line: each run of CR and LF inside becomes
// one space, and trailing CR, LF, spaces, tabs and dots are dropped.
std::string OneLineMessage(std::string_view message);

// Drive letters in drive order: bit 0 is A. Letters whose bit is also set in
// cdDrives are lower case, the others upper case. Bits above Z are ignored.
std::string FormatDriveList(std::uint32_t presentDrives, std::uint32_t cdDrives);

} // namespace themekit
