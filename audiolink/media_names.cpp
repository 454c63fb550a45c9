// Names and kinds of media, from file names, module headers and ID3v1 tags.
#include "media_names.h"

#include <cmath>

#include "utf8_text.h"

namespace audiolink {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string UpperText(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper)
        c = Upper(c);
    return upper;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    }
    return true;
}

bool IsOneOf(char c, std::string_view set)
{
    return set.find(c) != std::string_view::npos;
}

std::string_view TrimEnd(std::string_view text, std::string_view set)
{
    while (!text.empty() && IsOneOf(text.back(), set))
        text.remove_suffix(1);
    return text;
}

std::string_view TrimBoth(std::string_view text, std::string_view set)
{
    while (!text.empty() && IsOneOf(text.front(), set))
        text.remove_prefix(1);
    return TrimEnd(text, set);
}

void RemoveEvery(std::string &text, std::string_view what)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
}

// A field of the tag: fixed width, as stored.
std::string_view Field(std::string_view tag, size_t offset, size_t length)
{
    return tag.substr(offset, length);
}

} // namespace

std::string WithBackslashes(std::string_view name)
{
    std::string result(name);
    for (char &c : result) {
        if (c == '/')
            c = '\\';
    }
    return result;
}

std::string_view CutExtension(std::string_view fileName)
{
    size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

bool IsNetworkName(std::string_view name)
{
    std::string lower(name);
    for (char &c : lower)
        c = Lower(c);
    return lower.find("ftp://") != std::string::npos || lower.find("http://") != std::string::npos;
}

std::string ExtensionKey(std::string_view workingName)
{
    size_t dot = workingName.rfind('.');
    if (dot == std::string_view::npos)
        return std::string();
    return UpperText(workingName.substr(dot)) + ".";
}

int KindForExtensionKey(std::string_view key)
{
    if (key.empty())
        return 0;
    if (std::string_view(".XM.IT.MOD.MO3.MTM.S3M.").find(key) != std::string_view::npos)
        return 1;
    if (std::string_view(".MP1.MP2.MP3.WAV.OGG.").find(key) != std::string_view::npos)
        return 3;
    if (key == ".CDA.")
        return 4;
    if (key == ".WMA.")
        return 5;
    return 0;
}

std::string ModuleTitle(std::string_view header, std::string_view baseName, HostText host)
{
    header = header.substr(0, 256);
    size_t end = header.find_first_of(std::string_view("\0\x1a", 2));
    std::string title(header.substr(0, end));
    RemoveEvery(title, "Extended Module:");
    RemoveEvery(title, "IMPM");
    RemoveEvery(title, std::string_view("MTM\x10", 4));

    // Byte 0xE0 pads the field. In UTF-8 it also begins the characters from
    // U+0800 to U+0FFF (Devanagari, Thai, ...): a title that starts with one
    // keeps it. At the end it can only be padding.
    std::string_view trimmed = TrimEnd(title, std::string_view(" \xe0", 2));
    auto startsWithPadding = [host](std::string_view text) {
        return text.front() == ' ' ||
               (text.front() == '\xe0' && (host != HostText::Utf8 || !utf8::CharacterLength(text)));
    };
    while (!trimmed.empty() && startsWithPadding(trimmed))
        trimmed.remove_prefix(1);
    if (!trimmed.empty() && trimmed.front() == '"' && trimmed.back() == '"')
        trimmed = TrimBoth(trimmed, " \"");
    if (EqualIgnoringCase(trimmed, "MO3"))
        return std::string(baseName);
    return DisplayText(trimmed, host);
}

std::string Id3v1Name(std::string_view tag, std::string_view baseName, HostText host)
{
    if (tag.size() < Id3v1Size || tag.substr(0, 3) != "TAG")
        return std::string(baseName);
    const std::string_view blanks(" \0", 2);

    // Each field is read as the host reads it before it is compared: a
    // Latin-1 title is then compared with a UTF-8 base name in UTF-8.
    std::string title = DisplayText(TrimBoth(Field(tag, 3, 30), blanks), host);
    if (UpperText(title) == UpperText(baseName.substr(0, title.size())))
        title = std::string(baseName);
    std::string artist = DisplayText(TrimEnd(Field(tag, 33, 30), blanks), host);
    if (EqualIgnoringCase(artist, "ARTIST"))
        artist.clear();
    std::string album = DisplayText(TrimEnd(Field(tag, 63, 30), blanks), host);
    if (EqualIgnoringCase(album, "TITLE"))
        album.clear();
    std::string year = DisplayText(TrimEnd(Field(tag, 93, 4), blanks), host);

    std::string_view comment = Field(tag, 97, 30);
    std::string track;
    if (comment[28] == '\0') {
        track = "#" + std::to_string(static_cast<unsigned char>(comment[29]));
        comment = comment.substr(0, 28);
    }
    std::string commentText = DisplayText(TrimEnd(comment, blanks), host);

    std::string name;
    for (const std::string *item : {&title, &artist, &album, &year, &commentText, &track}) {
        if (!item->empty()) {
            name += *item;
            name += ' ';
        }
    }
    return std::string(TrimEnd(name, " "));
}

int CdTrackIndex(std::string_view fileName)
{
    std::string rest = UpperText(fileName);
    RemoveEvery(rest, ".CDA");
    RemoveEvery(rest, "TRACK");

    // Its leading number: blanks, a sign, digits and a fraction.
    size_t at = 0;
    while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < rest.size() && (rest[at] == '-' || rest[at] == '+'))
        negative = rest[at++] == '-';
    double number = 0;
    for (; at < rest.size() && rest[at] >= '0' && rest[at] <= '9'; ++at) {
        if (number < 1e12)
            number = number * 10 + (rest[at] - '0');
    }
    if (at < rest.size() && rest[at] == '.') {
        double scale = 0.1;
        for (++at; at < rest.size() && rest[at] >= '0' && rest[at] <= '9'; ++at, scale /= 10)
            number += (rest[at] - '0') * scale;
    }
    double index = std::nearbyint((negative ? -number : number) - 1);
    if (index > 2147483647.0)
        return 2147483647;
    if (index < -2147483647.0)
        return -2147483647;
    return int(index);
}

int CdDriveIndex(char driveLetter, std::string_view driveList)
{
    std::string cdDrives;
    for (char c : driveList) {
        if (c < 'A' || c > 'Z')
            cdDrives += c;
    }
    size_t at = cdDrives.find(Lower(driveLetter));
    return at == std::string::npos ? 0 : int(at);
}

} // namespace audiolink
