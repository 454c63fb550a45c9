#include "download_copy.h"

#include <utility>

namespace audiolink {

void DownloadCopy::Arm(std::string path, std::uintptr_t stream)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        CloseLocked();
        path_.swap(path);
        stream_ = stream;
        opened_ = false;
        armed_ = true;
    }
    // The old path is released here, outside the lock.
}

void DownloadCopy::Disarm()
{
    std::lock_guard<std::mutex> hold(lock_);
    CloseLocked();
    armed_ = false;
}

void DownloadCopy::Deliver(const void *block, size_t length, std::uintptr_t user)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (!armed_ || (user && stream_ && user != stream_))
        return;
    // The file is created once per arming, on the first call: a copy that
    // could not be created, or has ended, is never deleted or created again
    // by later blocks.
    if (!opened_) {
        opened_ = true;
        files_.Remove(path_);
        DownloadHandle = files_.Create(path_);
    }
    if (!block) {
        CloseLocked();
        armed_ = false;
        return;
    }
    // After a failed write the rest of the stream would follow a gap: the
    // copy ends with what was written whole.
    if (DownloadHandle && !files_.Append(DownloadHandle, block, length))
        CloseLocked();
}

bool DownloadCopy::IsArmed()
{
    std::lock_guard<std::mutex> hold(lock_);
    return armed_;
}

void DownloadCopy::CloseLocked()
{
    if (DownloadHandle) {
        files_.Close(DownloadHandle);
        DownloadHandle = 0;
    }
}

} // namespace audiolink
