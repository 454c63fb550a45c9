// Any bytes through the folder tree's text and item-ID list rules: nothing may
// read outside the input, and every result must keep its promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "folder_paths.h"
#include "id_list_layout.h"
#include "text_trim.h"
#include "fuzz_require.h"

namespace {

void CheckTrim(std::string_view text, std::string_view set)
{
    std::string_view left = foldertree::TrimLeft(text, set);
    std::string_view right = foldertree::TrimRight(text, set);
    Require(text.substr(text.size() - left.size()) == left);
    Require(text.substr(0, right.size()) == right);
    Require(left.empty() || set.find(left.front()) == std::string_view::npos);
    Require(right.empty() || set.find(right.back()) == std::string_view::npos);
    for (size_t i = 0; i < text.size() - left.size(); ++i)
        Require(set.find(text[i]) != std::string_view::npos);
    std::string_view spaces = foldertree::TrimSpaces(text);
    Require(spaces.empty() || (spaces.front() != ' ' && spaces.back() != ' '));
}

void CheckPaths(std::string_view input)
{
    std::string folder = foldertree::WithOneTrailingBackslash(input);
    Require(!folder.empty() && folder.back() == '\\');
    Require(folder.size() < 2 || folder[folder.size() - 2] != '\\');

    size_t split = input.size() / 2;
    std::string child = foldertree::ChildFolderPath(input.substr(0, split), input.substr(split));
    Require(child.empty() || (foldertree::FitsPathField(child) && child.back() == '\\'));

    std::optional<std::string> text = foldertree::MessageText(input.data(), static_cast<long>(input.size()));
    Require(text.has_value() || input.size() > foldertree::kMessageTextBytes);
    Require(!text || (text->size() <= foldertree::kMessageTextBytes && text->find('\0') == std::string::npos));

    std::string chain;
    for (const std::string &part : foldertree::SplitChain(input)) {
        Require(part.find('\\') == std::string::npos);
        foldertree::AppendChainPart(chain, part);
        Require(!chain.empty() && chain.back() == '\\');
    }

    std::string_view a = input.substr(0, split), b = input.substr(split);
    Require(!(foldertree::FolderPathLess(a, b) && foldertree::FolderPathLess(b, a)));
    Require(!foldertree::FolderPathLess(a, a));
}

void CheckIdList(const uint8_t *data, size_t size)
{
    int total = foldertree::IdListSize(data, size);
    Require(total >= 0 && static_cast<size_t>(total) <= size && total <= 32767);
    size_t sum = 0;
    for (const foldertree::IdListItem &item : foldertree::IdListItems(data, size)) {
        Require(item.offset == sum && item.size >= 2);
        sum += item.size;
    }
    Require(total == 0 ? sum == 0 : sum + 2 == static_cast<size_t>(total));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t setLength = size ? data[0] % 8 : 0;
    std::string_view rest = input.substr(size ? 1 : 0);
    CheckTrim(rest.substr(std::min(setLength, rest.size())), rest.substr(0, std::min(setLength, rest.size())));
    CheckPaths(input);
    CheckIdList(data, size);
    return 0;
}
