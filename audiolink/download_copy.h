// The local copy of a network stream, written block by block as the audio
// library downloads it.
//
// The download procedure runs on the audio library's thread while the
// application's thread arms the next copy or closes the stream. The copy's
// path, its file handle and whether it is armed are the only values the two
// threads share; they live here, under one lock that is held only while the
// copy is armed, disarmed, opened, written or closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace audiolink {

// The file operations the copy is written with.
class CopyFiles {
public:
    virtual ~CopyFiles() = default;
    // Deletes the file if present.
    virtual void Remove(const std::string &path) = 0;
    // Creates the file for writing; 0 when it cannot be created.
    virtual int Create(const std::string &path) = 0;
    // Appends exactly length bytes; false when the write failed.
    virtual bool Append(int handle, const void *bytes, size_t length) = 0;
    virtual void Close(int handle) = 0;
};

class DownloadCopy {
public:
    explicit DownloadCopy(CopyFiles &files) : files_(files) {}
    DownloadCopy(const DownloadCopy &) = delete;
    DownloadCopy &operator=(const DownloadCopy &) = delete;

    // The next blocks go to a new file at path (replacing a file of that
    // name when the first block arrives). An unfinished copy is closed first.
    // stream: the user value the library hands back with the blocks of the
    // stream being saved; 0 takes the blocks of any.
    void Arm(std::string path, std::uintptr_t stream = 0);

    // No further block is written; an unfinished copy is closed as it stands.
    void Disarm();

    // One call of the download procedure: a block of length bytes, or the
    // end of the download when block is null. Dropped while nothing is armed,
    // and when user names another stream than the armed one: a stream
    // played earlier may still be downloading, and neither its blocks nor
    // its end belong in this copy.
    void Deliver(const void *block, size_t length, std::uintptr_t user = 0);

    bool IsArmed();

private:
    void CloseLocked();

    CopyFiles &files_;
    std::mutex lock_;
    bool armed_ = false;
    bool opened_ = false;    // the file was created (or tried) for this arming
    std::uintptr_t stream_ = 0;
    std::string path_;
    int DownloadHandle = 0; // 0: no file open
};

} // namespace audiolink
