// Path and label rules of the folder tree that need no window: the form of an
// item's path, which directory entries are listed, the order of the listing,
// the text of the control's path messages and the display-name chains that
// locate a folder in the namespace tree. Win32-free: built into
// foldertree.dll and natively for the sanitizer tests and the fuzzer.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace foldertree {

// Bytes of a FolderItem's Path and Name fields, terminator included.
constexpr size_t kPathFieldBytes = 261;

// Bytes of the caller's buffer that a path message reads at most.
constexpr size_t kMessageTextBytes = 260;

// True when the text and its terminator fit a Path field.
inline bool FitsPathField(std::string_view path)
{
    return path.size() < kPathFieldBytes;
}

// The path with all trailing backslashes removed.
std::string_view WithoutTrailingBackslashes(std::string_view path);

// The path ending in exactly one backslash.
std::string WithOneTrailingBackslash(std::string_view path);

// The path of a directory entry: folder (with or without its trailing
// backslash) + name + "\". Empty when the result would not fit a Path field:
// such a folder is left out rather than cut into the path of another.
std::string ChildFolderPath(std::string_view folder, std::string_view name);

// Directory entries that the tree shows: a name that is not empty and does
// not begin with a period (so ".", ".." and dot-folders are never shown).
// The tree asks with the folder's real (wide) name: a name that only turns
// into "." or ".." in the code page is shown.
template <typename Char> bool IsListedFolderName(std::basic_string_view<Char> name)
{
    return !name.empty() && name.front() != Char('.');
}
inline bool IsListedFolderName(std::string_view name)
{
    return IsListedFolderName<char>(name);
}

// The order of a folder's children in path and drive modes: ASCII letters
// compared without case, a name before the longer names it begins, ties
// broken by code value (bytes, or UTF-16 units for wide names), so the order
// is total. Paths compare as their names do: the backslash that ends every
// path sorts lowest, so "a\" comes before "ab\".
template <typename Char> bool FolderNameLess(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    auto key = [](Char c) -> unsigned long {
        auto value = static_cast<unsigned long>(static_cast<std::make_unsigned_t<Char>>(c));
        if (value == '\\')
            return 0;
        if (value >= 'a' && value <= 'z')
            return value - 'a' + 'A' + 1ul;
        return value + 1ul;
    };
    size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        unsigned long x = key(a[i]);
        unsigned long y = key(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    for (size_t i = 0; i < common; ++i)
        if (a[i] != b[i])
            return static_cast<std::make_unsigned_t<Char>>(a[i]) < static_cast<std::make_unsigned_t<Char>>(b[i]);
    return false;
}
inline bool FolderPathLess(std::string_view a, std::string_view b)
{
    return FolderNameLess<char>(a, b);
}

// Network paths ("\\server\share") are not located in the tree.
bool HasDoubleBackslash(std::string_view path);

// The text of a path message: the first min(count, 260) bytes of the
// caller's buffer, up to its first zero byte, trimmed of spaces. A negative
// count or a missing buffer gives the empty text and reads nothing. A text
// that fills all 260 bytes of a longer buffer, up to a last byte that is no
// blank, goes on past what may be read: it gives nothing (std::nullopt),
// since its first 260 bytes may name another folder (in UTF-8, 130 Cyrillic
// letters already fill them). A buffer padded with blanks, as fixed-length
// strings are, ends in a blank and is read as before.
std::optional<std::string> MessageText(const char *bytes, long count);

// The parts of a display-name chain, split at each backslash.
std::vector<std::string> SplitChain(std::string_view chain);

// Appends a display name to a chain so that the chain ends in exactly one
// backslash.
void AppendChainPart(std::string &chain, std::string_view name);

} // namespace foldertree
