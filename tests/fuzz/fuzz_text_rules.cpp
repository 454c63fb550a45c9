// Any bytes through the name and line rules: nothing may read outside the
// input, and the results must be pieces of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text_rules.h"
#include "fuzz_require.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

void CheckSplitName(std::string_view input)
{
    auto parts = themekit::SplitName(input);
    Require(parts.folder + parts.file == input);
    Require(parts.folder.empty() || IsSeparator(parts.folder.back()));
    Require(parts.file.find_first_of("\\/") == std::string::npos);
}

void CheckSplitLines(std::string_view input)
{
    auto lines = themekit::SplitLines(input);
    Require(lines.size() <= input.size());
    Require(input.empty() == lines.empty());
    // Every line is found in order, each followed by exactly one line end
    // (or the end of the input for the last).
    size_t at = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        Require(line.find_first_of("\r\n") == std::string::npos);
        Require(input.substr(at, line.size()) == line);
        at += line.size();
        if (at < input.size()) {
            Require(input[at] == '\r' || input[at] == '\n');
            at += input.compare(at, 2, "\r\n") == 0 ? 2 : 1;
        } else {
            Require(i + 1 == lines.size());
        }
    }
    Require(at == input.size());
}

void CheckFoldersToMake(std::string_view input)
{
    auto folders = themekit::FoldersToMake(input);
    size_t previous = 0;
    for (const std::string &folder : folders) {
        Require(input.substr(0, folder.size()) == folder);
        Require(folder.size() > previous);
        Require(!IsSeparator(folder.back()));
        previous = folder.size();
    }
}

void CheckOneLineMessage(std::string_view input)
{
    std::string line = themekit::OneLineMessage(input);
    Require(line.size() <= input.size());
    Require(line.find_first_of("\r\n") == std::string::npos);
    Require(line.empty() || (line.back() != '.' && line.back() != ' ' && line.back() != '\t'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    CheckSplitName(input);
    CheckSplitLines(input);
    CheckFoldersToMake(input);
    CheckOneLineMessage(input);
    themekit::HasWildcard(input);
    return 0;
}
