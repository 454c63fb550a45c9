#include "folder_paths.h"

#include <cstring>

#include "text_trim.h"

namespace foldertree {

std::string_view WithoutTrailingBackslashes(std::string_view path)
{
    return TrimRight(path, "\\");
}

std::string WithOneTrailingBackslash(std::string_view path)
{
    std::string result(WithoutTrailingBackslashes(path));
    result += '\\';
    return result;
}

std::string ChildFolderPath(std::string_view folder, std::string_view name)
{
    std::string path = WithOneTrailingBackslash(folder);
    path.append(name);
    path += '\\';
    if (!FitsPathField(path))
        return std::string();
    return path;
}

bool HasDoubleBackslash(std::string_view path)
{
    return path.find("\\\\") != std::string_view::npos;
}

std::optional<std::string> MessageText(const char *bytes, long count)
{
    if (!bytes || count <= 0)
        return std::string();
    size_t limit = static_cast<size_t>(count) < kMessageTextBytes ? static_cast<size_t>(count) : kMessageTextBytes;
    const void *zero = std::memchr(bytes, 0, limit);
    if (!zero && static_cast<size_t>(count) > kMessageTextBytes && bytes[kMessageTextBytes - 1] != ' ')
        return std::nullopt;
    size_t length = zero ? static_cast<size_t>(static_cast<const char *>(zero) - bytes) : limit;
    return std::string(TrimSpaces(std::string_view(bytes, length)));
}

std::vector<std::string> SplitChain(std::string_view chain)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = chain.find('\\', start);
        parts.emplace_back(chain.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

void AppendChainPart(std::string &chain, std::string_view name)
{
    chain.append(name);
    chain.resize(WithoutTrailingBackslashes(chain).size());
    chain += '\\';
}

} // namespace foldertree
