// Saving network streams: what BASSPLAY and BASSCLOSECHANNEL call.
//
// The local copy is armed only by PrepareLocalCopy, for a network stream
// played with saving on, and disarmed by the end of its download, by
// DisarmDownload, and by the next BeginPlayback or PrepareLocalCopy;
// disarming closes an unfinished copy. While nothing is armed, DOWNLOADPROC
// drops every block, so a stream that BASSPLAY did not prepare (an
// application handing DOWNLOADPROC to the library itself) never touches a
// file.
#pragma once
#include <cstdint>
#include <string_view>

namespace audiolink {

// Before BASSPLAY acts on the pending media, whatever its kind: the download
// of an earlier stream is disarmed, DownloadedFile becomes the pending path
// and UrlFileName empty.
void BeginPlayback(std::string_view pendingPath) noexcept;

// For a network address, before its stream is created: UrlFileName becomes
// the address; with saving on and an acceptable file name in the address,
// DownloadedFile becomes the download folder (created first) followed by
// that name and the copy is armed; otherwise DownloadedFile is empty.
// Returns the user value to create the stream with: the copy takes the
// blocks of that stream only (and of user value 0), so that a stream played
// before and still downloading cannot write into it or end it.
std::uintptr_t PrepareLocalCopy(std::string_view address) noexcept;

// The stream is closed: no further block is saved, an unfinished copy is
// closed as it stands.
void DisarmDownload() noexcept;

} // namespace audiolink
