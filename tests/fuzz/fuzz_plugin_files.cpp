// Any text as a plug-in file name, a start folder or a list of entries: the
// rules never fail, and what they promise holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "plugin_files.h"
#include "fuzz_require.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);

    std::string lower = audiolink::LowerCaseLetters(input);
    Require(lower.size() == input.size());
    for (char c : lower)
        Require(c < 'A' || c > 'Z');
    if (audiolink::IsPluginFileName(lower))
        Require(lower.find('.') != std::string::npos);

    std::string start = audiolink::StartFolder(input);
    Require(!start.empty() && start.back() == '\\');
    Require(start.size() < 2 || start[start.size() - 2] != '\\');
    Require(audiolink::StartFolder(start) == start);

    // Entries split at zero bytes; joined, they read back in order.
    std::vector<std::string> entries;
    size_t from = 0;
    for (size_t i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\0') {
            std::string entry(input.substr(from, i - from));
            if (entry.find(',') == std::string::npos)
                entries.push_back(entry);
            from = i + 1;
        }
    }
    std::string list = audiolink::JoinPluginList(entries);
    size_t commas = 0;
    for (char c : list)
        commas += c == ',';
    Require(commas == (entries.empty() ? 0 : entries.size() - 1));
    return 0;
}
