#include "address_rules.h"

namespace helpview {

std::string StemOf(std::string_view fileName)
{
    return std::string(fileName.substr(0, fileName.find('.')));
}

std::string BasePathOf(std::string_view folder, std::string_view programFileName)
{
    return std::string(folder) + StemOf(programFileName);
}

std::string FileAddress(std::string_view folder, std::string_view fileName, const CodePageShape &codePage)
{
    std::string address = "file://";
    address.append(folder).append(fileName);
    return AddressText(address, codePage);
}

std::string AddressText(std::string_view text, const CodePageShape &codePage)
{
    return std::string(text.substr(0, WholeCharacters(text, codePage, text.size(), MaxStartAddress)));
}

size_t PdfPosition(std::string_view address)
{
    static constexpr char Pdf[] = ".PDF";
    for (size_t at = 0; at + 4 <= address.size(); ++at) {
        size_t matched = 0;
        while (matched < 4) {
            char c = address[at + matched];
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            if (c != Pdf[matched])
                break;
            ++matched;
        }
        if (matched == 4)
            return at + 1;
    }
    return 0;
}

std::string TitleCaption(std::string_view prefix, std::string_view title)
{
    std::string caption(prefix);
    caption.append(" - ").append(title);
    return caption;
}

} // namespace helpview
