// The commands other programs send the viewer with WM_COPYDATA. Win32-free:
// the message's values come in as plain numbers and an address.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace helpview {

constexpr std::uintptr_t COPYDATA_NAVIGATE = 3;
constexpr std::uintptr_t COPYDATA_CLOSE = 10;

// The longest navigation text used; longer texts are cut.
constexpr size_t MaxNavigationText = 255;

struct CopyDataCommand {
    std::uintptr_t code = 0;
    std::string text; // no zero bytes
    bool cut = false; // the sender's text went on past MaxNavigationText bytes
};

// wParam is the text's length as the sender gives it, cbData the number of
// bytes at data. The text is at most the smaller of the two, at most
// MaxNavigationText bytes, and ends before its first zero byte. A sender that
// passes its window handle in wParam (as WM_COPYDATA senders usually do) gets
// no larger buffer than that; a null data address gives an empty text.
CopyDataCommand DecodeCopyData(std::uintptr_t wParam, std::uintptr_t dwData, std::uint32_t cbData,
                               const void *data);

} // namespace helpview
