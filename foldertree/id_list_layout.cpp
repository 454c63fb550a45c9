#include "id_list_layout.h"

namespace foldertree {

namespace {

// Item counts are stored in the platform's (little-endian) byte order.
size_t CountAt(const unsigned char *list, size_t offset)
{
    return static_cast<size_t>(list[offset]) | static_cast<size_t>(list[offset + 1]) << 8;
}

} // namespace

int IdListSize(const unsigned char *list, size_t available)
{
    if (!list)
        return 0;
    size_t total = 0;
    for (;;) {
        if (available < 2 || total > available - 2)
            return 0;
        size_t count = CountAt(list, total);
        if (count == 0)
            return static_cast<int>(total + 2);
        if (count == 1 || count > kMaxIdListItemBytes - total)
            return 0;
        total += count;
    }
}

std::vector<IdListItem> IdListItems(const unsigned char *list, size_t available)
{
    std::vector<IdListItem> items;
    if (IdListSize(list, available) == 0)
        return items;
    for (size_t offset = 0;;) {
        size_t count = CountAt(list, offset);
        if (count == 0)
            return items;
        items.push_back({offset, count});
        offset += count;
    }
}

} // namespace foldertree
