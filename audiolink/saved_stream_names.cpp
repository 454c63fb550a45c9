#include "saved_stream_names.h"

namespace audiolink {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view text, std::string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (Upper(text[i]) != upper[i])
            return false;
    }
    return true;
}

bool CannotStandInName(unsigned char c)
{
    if (c < 32)
        return true;
    switch (c) {
    case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
        return true;
    default:
        return false;
    }
}

bool IsSuperscriptDigit(unsigned char c)
{
    return c == 0xB9 || c == 0xB2 || c == 0xB3;
}

// COM and LPT take a digit 1 to 9, or (on newer systems) a superscript one,
// two or three, which the 8-bit code page holds at 0xB9, 0xB2 and 0xB3, and
// UTF-8 as 0xC2 followed by the same byte.
bool IsPortNumber(std::string_view number, HostText host)
{
    if (number.size() == 1)
        return (number[0] >= '1' && number[0] <= '9') || IsSuperscriptDigit(static_cast<unsigned char>(number[0]));
    return host == HostText::Utf8 && number.size() == 2 && number[0] == '\xc2' &&
           IsSuperscriptDigit(static_cast<unsigned char>(number[1]));
}

// The system treats a name as the device when the part before the first dot,
// blanks at its end left aside, is a device name: "nul.mp3" and "con .txt"
// open the device, not a file.
bool IsDeviceName(std::string_view name, HostText host)
{
    std::string_view stem = name.substr(0, name.find('.'));
    size_t end = stem.find_last_not_of(' ');
    stem = end == std::string_view::npos ? std::string_view() : stem.substr(0, end + 1);
    size_t start = stem.find_first_not_of(' ');
    if (start != std::string_view::npos)
        stem.remove_prefix(start);

    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (EqualsUpper(stem, device))
            return true;
    }
    if (stem.size() > 3 && (EqualsUpper(stem.substr(0, 3), "COM") || EqualsUpper(stem.substr(0, 3), "LPT")))
        return IsPortNumber(stem.substr(3), host);
    return false;
}

bool HasCodeExtension(std::string_view name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view extension = name.substr(dot + 1);
    for (std::string_view code : {"DLL", "EXE", "COM", "SCR", "OCX", "CPL", "SYS", "DRV", "BAT", "CMD"}) {
        if (EqualsUpper(extension, code))
            return true;
    }
    return false;
}

} // namespace

std::string_view AddressFileName(std::string_view address)
{
    size_t separator = address.find_last_of("/\\");
    return separator == std::string_view::npos ? address : address.substr(separator + 1);
}

bool IsAcceptableCopyName(std::string_view name, HostText host)
{
    for (char c : name) {
        if (CannotStandInName(static_cast<unsigned char>(c)))
            return false;
    }
    // The file system drops dots and blanks at the end of a name: "tune.dll."
    // would be written as "tune.dll", ".." is the folder above and "..." is
    // nothing at all.
    if (name.empty() || name.back() == '.' || name.back() == ' ')
        return false;
    return !IsDeviceName(name, host) && !HasCodeExtension(name);
}

std::string LocalCopyPath(std::string_view folder, std::string_view address, HostText host)
{
    std::string_view name = AddressFileName(address);
    if (!IsAcceptableCopyName(name, host) || folder.find('\0') != std::string_view::npos)
        return std::string();
    std::string path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    return path;
}

} // namespace audiolink
