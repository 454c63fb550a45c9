#include "plugin_files.h"

namespace audiolink {

std::string LowerCaseLetters(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return lower;
}

bool IsPluginFileName(std::string_view lowerCaseName)
{
    size_t dot = lowerCaseName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    // A substring test: ".sv" and ".s" qualify as well as the three
    // extensions themselves.
    constexpr std::string_view extensions = ".svp.uvs.zvp";
    return extensions.find(lowerCaseName.substr(dot)) != std::string_view::npos;
}

bool HasPluginAttributes(unsigned long attributes)
{
    switch (attributes & 0xFF) {
    case 0x00:
    case 0x01:
    case 0x20:
    case 0x21:
    case 0x80:
        return true;
    default:
        return false;
    }
}

std::string StartFolder(std::string_view folder)
{
    size_t end = folder.find_last_not_of('\\');
    std::string start(end == std::string_view::npos ? std::string_view() : folder.substr(0, end + 1));
    start += '\\';
    return start;
}

bool PatternFits(std::string_view folder, std::string_view wildcard)
{
    return PatternLengthFits(folder.size(), wildcard.size());
}

bool PatternLengthFits(size_t folderLength, size_t wildcardLength)
{
    return folderLength <= LongestSearchPattern && wildcardLength <= LongestSearchPattern - folderLength;
}

std::string JoinPluginList(const std::vector<std::string> &entries)
{
    std::string list;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            list += ',';
        list += entries[i];
    }
    return list;
}

} // namespace audiolink
