#include "text_rules.h"

namespace themekit {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDriveSpec(std::string_view path, size_t at)
{
    return path.size() >= at + 2 && IsAsciiLetter(path[at]) && path[at + 1] == ':';
}

// Past the name that starts at `at` and the separators after it.
size_t SkipComponent(std::string_view path, size_t at)
{
    while (at < path.size() && !IsSeparator(path[at]))
        ++at;
    while (at < path.size() && IsSeparator(path[at]))
        ++at;
    return at;
}

bool StartsWithUncWord(std::string_view path, size_t at)
{
    if (path.size() < at + 4 || !IsSeparator(path[at + 3]))
        return false;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return upper(path[at]) == 'U' && upper(path[at + 1]) == 'N' && upper(path[at + 2]) == 'C';
}

// Length of the part of the path that CreateDirectory cannot make: a drive,
// a share, or the device name after "\\?\" or "\\.\".
size_t RootLength(std::string_view path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
            if (StartsWithUncWord(path, 4))
                return SkipComponent(path, SkipComponent(path, 8));
            if (IsDriveSpec(path, 4))
                return path.size() > 6 && IsSeparator(path[6]) ? 7 : 6;
            return SkipComponent(path, 4);
        }
        return SkipComponent(path, SkipComponent(path, 2));
    }
    if (IsDriveSpec(path, 0))
        return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
    if (!path.empty() && IsSeparator(path[0]))
        return 1;
    return 0;
}

} // namespace

NameParts SplitName(std::string_view fullName)
{
    size_t cut = fullName.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return {std::string(), std::string(fullName)};
    return {std::string(fullName.substr(0, cut + 1)), std::string(fullName.substr(cut + 1))};
}

std::vector<std::string> SplitLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::vector<std::string> FoldersToMake(std::string_view path)
{
    std::vector<std::string> folders;
    size_t root = RootLength(path);
    size_t end = path.size();
    while (end > root && IsSeparator(path[end - 1]))
        --end;
    for (size_t i = root + 1; i < end; ++i) {
        if (IsSeparator(path[i]) && !IsSeparator(path[i - 1]))
            folders.emplace_back(path.substr(0, i));
    }
    if (end > root)
        folders.emplace_back(path.substr(0, end));
    return folders;
}

bool HasWildcard(std::string_view name)
{
    if (name.size() >= 4 && IsSeparator(name[0]) && IsSeparator(name[1]) && name[2] == '?' &&
        IsSeparator(name[3]))
        name.remove_prefix(4);
    return name.find_first_of("*?") != std::string_view::npos;
}

std::string OneLineMessage(std::string_view message)
{
    std::string line;
    line.reserve(message.size());
    bool inBreak = false;
    for (char c : message) {
        if (c == '\r' || c == '\n') {
            inBreak = true;
            continue;
        }
        if (inBreak && !line.empty() && line.back() != ' ' && c != ' ')
            line.push_back(' ');
        inBreak = false;
        line.push_back(c);
    }
    size_t keep = line.find_last_not_of(" \t.");
    line.resize(keep == std::string::npos ? 0 : keep + 1);
    return line;
}

std::string FormatDriveList(std::uint32_t presentDrives, std::uint32_t cdDrives)
{
    std::string letters;
    for (int drive = 0; drive < 26; ++drive) {
        std::uint32_t bit = std::uint32_t(1) << drive;
        if (presentDrives & bit)
            letters.push_back(char(((cdDrives & bit) ? 'a' : 'A') + drive));
    }
    return letters;
}

} // namespace themekit
