// Any folder and address: a local copy's path is either refused or the
// folder followed by a name that cannot leave it, reach a device or a data
// stream, or end in an extension that runs as code.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "saved_stream_names.h"
#include "fuzz_require.h"

namespace {

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first line is the folder, the rest the address.
    std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t split = input.find('\n');
    std::string_view folder = split == std::string_view::npos ? std::string_view() : input.substr(0, split);
    std::string_view address = split == std::string_view::npos ? input : input.substr(split + 1);

    std::string_view name = audiolink::AddressFileName(address);
    Require(name.find_first_of("/\\") == std::string_view::npos);
    Require(address.substr(address.size() - name.size()) == name);

    std::string path = audiolink::LocalCopyPath(folder, address);
    if (path.empty())
        return 0;
    Require(audiolink::IsAcceptableCopyName(name));
    Require(path == std::string(folder) + std::string(name));
    Require(path.find('\0') == std::string::npos);
    Require(name.find(':') == std::string_view::npos);
    Require(name != "." && name != ".." && name.back() != '.' && name.back() != ' ');
    std::string upper = Upper(name);
    for (const char *code : {".DLL", ".EXE", ".COM", ".SCR", ".OCX", ".CPL", ".SYS", ".DRV", ".BAT", ".CMD"}) {
        std::string_view extension(code);
        Require(upper.size() < extension.size() ||
                upper.compare(upper.size() - extension.size(), extension.size(), extension) != 0);
    }
    std::string stem = upper.substr(0, upper.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    Require(stem != "CON" && stem != "NUL" && stem != "PRN" && stem != "AUX");
    return 0;
}
