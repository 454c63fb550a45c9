// Text rules of the visualisation plug-in search: which files are plug-ins,
// how names and folders are written, and how the list is joined.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace audiolink {

// The longest search pattern the folder walk hands to the file system: a
// folder whose pattern would be longer is skipped, never cut short into some
// other folder's pattern.
constexpr size_t LongestSearchPattern = 259;

// Folders nested deeper than this below the start folder are not searched.
constexpr int DeepestPluginFolder = 64;

// The text with the letters A to Z lower-cased; every other byte unchanged.
std::string LowerCaseLetters(std::string_view text);

// Whether a lower-cased file name is a plug-in's: it has a dot, and its
// extension (from the last dot to the end) occurs within ".svp.uvs.zvp".
bool IsPluginFileName(std::string_view lowerCaseName);

// Whether the low byte of a file's attributes lets it be a plug-in: none,
// read-only, archive, archive and read-only, or normal. Folders, hidden and
// system files never qualify.
bool HasPluginAttributes(unsigned long attributes);

// The start folder with every trailing "\" removed and exactly one added;
// the empty text gives "\".
std::string StartFolder(std::string_view folder);

// Whether folder followed by the wildcard fits the pattern buffer.
bool PatternFits(std::string_view folder, std::string_view wildcard);
// The same for lengths counted otherwise (the UTF-16 units of a UTF-8 path).
bool PatternLengthFits(size_t folderLength, size_t wildcardLength);

// The entries separated by single commas; empty for no entries.
std::string JoinPluginList(const std::vector<std::string> &entries);

} // namespace audiolink
