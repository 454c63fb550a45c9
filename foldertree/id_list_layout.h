// The byte layout of shell item-ID lists: a sequence of items, each a 16-bit
// byte count that includes itself followed by its data, ended by a count of
// 0. Win32-free, so the bounds can be checked natively and fuzzed; the shell
// side (allocation, names, paths) is in item_id_lists.cpp.
#pragma once
#include <cstddef>
#include <vector>

namespace foldertree {

// The items of a list may take at most this many bytes before the
// terminator, so that every size fits a signed 16-bit value.
constexpr size_t kMaxIdListItemBytes = 32765;

// Total bytes of the list including its 2-byte terminator, or 0 when the
// list is missing, when the next item would take the items past
// kMaxIdListItemBytes, when an item claims a count of 1 (shorter than its own
// count field), or when the list runs past the available bytes.
int IdListSize(const unsigned char *list, size_t available);

struct IdListItem {
    size_t offset; // from the start of the list
    size_t size;   // the item's byte count, its count field included
};

// The items of a list in order; none when IdListSize is 0.
std::vector<IdListItem> IdListItems(const unsigned char *list, size_t available);

} // namespace foldertree
