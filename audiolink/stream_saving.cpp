// Saving network streams into the download folder: the settings, the
// local copy's preparation and the download procedure.
#include "stream_saving.h"

#include "audiolink.h"
#include "byte_strings.h"
#include "download_copy.h"
#include "saved_stream_names.h"

#include <themekit.h>

#include <string>

namespace audiolink {

namespace {

DWORD SaveStreams = 0;
std::string DownloadFolder;
std::string DownloadedFile;
std::string UrlFileName;

// The copy is written through the skin library's numbered files.
class ThemekitFiles final : public CopyFiles {
public:
    void Remove(const std::string &path) override { THKILLFILE(path.c_str()); }

    int Create(const std::string &path) override
    {
        int handle = 0;
        if (THFOPEN(path.c_str(), THF_WRITE, THF_MODE_APPEND, &handle) != 0)
            return 0;
        return handle;
    }

    bool Append(int handle, const void *bytes, size_t length) override
    {
        // THFPUT writes a byte string: exactly its byte length, zero bytes
        // included.
        BSTR block = NewByteString(std::string_view(static_cast<const char *>(bytes), length));
        if (!block)
            return false;
        int error = THFPUT(handle, block);
        SysFreeString(block);
        return error == 0;
    }

    void Close(int handle) override { THFCLOSE(&handle); }
};

ThemekitFiles CopyFileFunctions;
DownloadCopy LocalCopy(CopyFileFunctions);

std::string DownloadPath()
{
    if (!DownloadFolder.empty())
        THMAKEDIR(DownloadFolder.c_str());
    return DownloadFolder;
}

} // namespace

void BeginPlayback(std::string_view pendingPath) noexcept
{
    Shielded([&] {
        LocalCopy.Disarm();
        UrlFileName.clear();
        DownloadedFile.assign(pendingPath);
    });
}

std::uintptr_t PrepareLocalCopy(std::string_view address) noexcept
{
    // Each stream its own number, never 0; written on the caller's thread.
    static std::uintptr_t lastStream = 0;
    if (++lastStream == 0)
        ++lastStream;
    std::uintptr_t stream = lastStream;
    Shielded([&] {
        LocalCopy.Disarm();
        DownloadedFile.clear();
        UrlFileName.assign(address);
        HostText host = CurrentHostText();
        if (!SaveStreams || !IsAcceptableCopyName(AddressFileName(address), host))
            return;
        std::string path = LocalCopyPath(DownloadPath(), address, host);
        if (path.empty())
            return;
        // Published before the stream exists: the download procedure reads
        // its own copy of the path, never DownloadedFile.
        LocalCopy.Arm(path, stream);
        DownloadedFile.swap(path);
    });
    return stream;
}

void DisarmDownload() noexcept
{
    Shielded([] { LocalCopy.Disarm(); });
}

} // namespace audiolink

using namespace audiolink;

extern "C" {

void __stdcall BASSSTREAMSAVE(DWORD save)
{
    SaveStreams = save;
}

void __stdcall BASSSETDOWNLOADPATH(BSTR folder)
{
    TakenByteString taken(folder);
    Shielded([&] { DownloadFolder.assign(taken.Bytes()); });
}

BSTR __stdcall BASSGETDOWNLOADPATH(void)
{
    return Shielded<BSTR>(nullptr, [] { return NewByteString(DownloadPath()); });
}

BSTR __stdcall BASSGETDOWNLOADEDFILE(void)
{
    return NewByteString(DownloadedFile);
}

BSTR __stdcall BASSGETURLFILENAME(void)
{
    return NewByteString(UrlFileName);
}

void __stdcall DOWNLOADPROC(const void *block, DWORD length, DWORD_PTR user)
{
    Shielded([&] { LocalCopy.Deliver(block, length, user); });
}

} // extern "C"
