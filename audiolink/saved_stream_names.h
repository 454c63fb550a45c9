// Where the local copy of a network stream is saved, and which names are
// refused.
#pragma once
#include <string>
#include <string_view>

#include "display_text.h"

namespace audiolink {

// The file-name part of an address: what follows its last "/" or "\"
// (every "/" counts as a "\"). An address ending in a separator gives the
// empty text.
std::string_view AddressFileName(std::string_view address);

// Whether a copy may be written under this file name. Refused: the empty
// name, "." and "..", names ending in a dot or blank (the file system would
// drop them and write another name), names with characters that
// cannot stand in a file name (a ":" would reach another file's data
// stream), reserved device names with or without an extension, and names
// whose extension Windows loads or runs as code: an address must not be
// able to plant a library or program beside the application. The host's
// code page matters to the device names only: "COM" with a superscript
// digit is one byte longer in UTF-8.
bool IsAcceptableCopyName(std::string_view name, HostText host = HostText::CodePage);

// The folder text followed by the address's file name, or the empty text
// when that name is refused or the result could not be handed on as a
// zero-terminated text (a zero byte in the folder).
std::string LocalCopyPath(std::string_view folder, std::string_view address, HostText host = HostText::CodePage);

} // namespace audiolink
