// The rules that name and type a piece of media from its name, a music
// module's header, an ID3v1 tag or a CD track file. Free of Win32, so that
// they run in the native tests and the fuzzer: every function takes any
// bytes and never reads outside the views it is given.
#pragma once
#include <string>
#include <string_view>

#include "display_text.h"

namespace audiolink {

// Every "/" turned into "\".
std::string WithBackslashes(std::string_view name);

// A file name cut before its last "." (a name without a dot stays whole).
std::string_view CutExtension(std::string_view fileName);

// A name of a network stream: lower-cased, it holds "ftp://" or "http://".
bool IsNetworkName(std::string_view name);

// From the last "." to the end, upper-cased, with one "." appended
// (".MP3." for a name ending in .mp3); empty for a name without a dot.
std::string ExtensionKey(std::string_view workingName);

// The kind of media for an extension key: 1 (music module), 3 (stream),
// 4 (CD track), 5 (Windows Media) or 0 for none.
int KindForExtensionKey(std::string_view key);

// The song title in a music module's header (its first bytes, at most 256
// are read), or baseName when the title reads "MO3". For a UTF-8 host the
// title is valid UTF-8 (DisplayText), and byte 0xE0 is trimmed from its
// start only where it does not begin a character; baseName is given as the
// host reads it.
std::string ModuleTitle(std::string_view header, std::string_view baseName,
                        HostText host = HostText::CodePage);

constexpr size_t Id3v1Size = 128;

// The display name from the last 128 bytes of a stream file: title, artist,
// album, year, comment and track, each followed by a blank, without the
// last blank. baseName when the bytes hold no tag. Each field is read as
// DisplayText reads it before it is compared or joined; baseName is given
// as the host reads it.
std::string Id3v1Name(std::string_view tag, std::string_view baseName, HostText host = HostText::CodePage);

// The track index of a CD track file name (Track05.cda gives 4; a name
// without digits gives -1).
int CdTrackIndex(std::string_view fileName);

// The index of the drive among the CD drives of a drive list (CD drives in
// lower case, others in upper case); 0 when it is not one of them.
int CdDriveIndex(char driveLetter, std::string_view driveList);

} // namespace audiolink
