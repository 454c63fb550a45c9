// A network stream saved while the disk fills. The run gives this program a
// file-size limit (tools/wine-run --file-size-limit): past it every write
// fails as on a full volume, with the part before it written. The library's
// download thread (the test doubles') delivers the stream's blocks to the
// DOWNLOADPROC that BASSPLAY handed it, as the audio library does.
#include <windows.h>
#include <oleauto.h>

#define AUDIOLINK_DECLARE_DOWNLOADPROC
#include <audiolink.h>

#include "audiolink_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using altest::ByteString;
using altest::Take;
using wholefile::IsClosedByOthers;
using wholefile::ReadWholeFile;

// Bytes that show where they came from: no two 4-byte windows of the first
// megabytes are alike, so a block written twice or out of place is seen.
std::string StreamBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned value = seed;
    for (size_t at = 0; at < size; ++at) {
        value = value * 1664525u + 1013904223u;
        bytes[at] = char(value >> 24);
    }
    return bytes;
}

// Whether a file of more than limit bytes can be written here.
bool WritingPastIsRefused(const std::string &path, size_t limit)
{
    std::string bytes(limit + 4096, 'x');
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD total = 0;
    for (;;) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + total, DWORD(bytes.size() - total), &written, nullptr) || !written)
            break;
        total += written;
        if (total == bytes.size())
            break;
    }
    CloseHandle(file);
    DeleteFileA(path.c_str());
    return total <= limit;
}

class FullDisk : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // audiolink.dll came with the program, before the doubles were on
        // the search path: the family is loaded again from them.
        SetDllDirectoryA(altest::DoublesFolder("full").c_str());
        BASSUNLOAD();
        BASSLOAD();
    }
    static void TearDownTestSuite()
    {
        BASSUNLOAD();
        SetDllDirectoryA(nullptr);
    }
    void SetUp() override
    {
        const char *limit = std::getenv("TARN_FILE_SIZE_LIMIT");
        if (!limit)
            GTEST_SKIP() << "needs a disk that fills up: only the project's own Wine runs give this program one "
                            "(a file-size limit, tools/wine-run --file-size-limit)";
        limit_ = size_t(std::strtoull(limit, nullptr, 10));
        folder_ = tempfolder::FreshFolder("full-disk");
        ASSERT_TRUE(WritingPastIsRefused(folder_ + "\\probe.bin", limit_))
            << "a file of more than " << limit_ << " bytes was written: the limit is not in force";
        bassdouble::Reset();
        ASSERT_EQ(BASSAVAILABLE(), -1) << "the doubles did not load";
        bassdouble::SetResult("BASS_Init", 1);
        bassdouble::SetResult("BASS_Start", 1);
        bassdouble::SetResult("BASS_StreamCreateURL", 0x71);
        bassdouble::SetResult("BASS_StreamPlay", 1);
        BASSSETDOWNLOADPATH(ByteString(folder_ + "\\"));
        BASSSTREAMSAVE(1);
    }
    void TearDown() override
    {
        BASSCLOSE();
        BASSSTREAMSAVE(0);
        BASSSETDOWNLOADPATH(nullptr);
        if (!folder_.empty())
            tempfolder::RemoveTree(folder_);
    }

    // BASSOPEN and BASSPLAY of the address; then the library's thread
    // delivers the bytes in blocks of the given sizes (repeated), and the
    // end of the download.
    void PlayAndDownload(const std::string &address, const std::string &bytes, const std::vector<DWORD> &sizes)
    {
        ASSERT_EQ(BASSOPEN(nullptr, ByteString(address)), 0);
        ASSERT_EQ(BASSPLAY(0, 0), 0);
        std::vector<DWORD> lengths;
        for (size_t at = 0, n = 0; at < bytes.size(); ++n) {
            DWORD length = DWORD(std::min<size_t>(sizes[n % sizes.size()], bytes.size() - at));
            lengths.push_back(length);
            at += length;
        }
        HANDLE thread = bassdouble::DeliverDownload(bytes.data(), lengths.data(), DWORD(lengths.size()), TRUE);
        ASSERT_NE(thread, nullptr);
        EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        CloseHandle(thread);
    }

    size_t limit_ = 0;
    std::string folder_;
};

TEST_F(FullDisk, TheSavedPartIsAPrefixOfTheStreamAndTheStreamPlaysOn)
{
    // Odd block sizes, so that the block which meets the full disk is cut
    // inside itself.
    std::string stream = StreamBytes(3 * limit_ + 1234, 7);
    PlayAndDownload("http://radio.example/music/long.mp3", stream, {4096, 1000, 65536, 17});
    std::string copyPath = folder_ + "\\long.mp3";
    std::string copy = ReadWholeFile(copyPath);
    EXPECT_GT(copy.size(), 0u);
    EXPECT_LE(copy.size(), limit_);
    EXPECT_TRUE(copy == stream.substr(0, copy.size())) << "the saved part is not the stream's first "
                                                       << copy.size() << " bytes";
    EXPECT_TRUE(IsClosedByOthers(copyPath)) << "the copy stays open after its failed write";
    // A failed write is not reported: the stream is still the current one.
    EXPECT_EQ(BASSHANDLEINUSE(), 0x71u);
    EXPECT_EQ(Take(BASSGETDOWNLOADEDFILE()), copyPath);

    // With room again (a stream that fits), the next copy of the same name
    // replaces the cut one and is whole.
    std::string shortStream = StreamBytes(limit_ / 2, 11);
    PlayAndDownload("http://radio.example/other/long.mp3", shortStream, {4096});
    EXPECT_TRUE(ReadWholeFile(copyPath) == shortStream);
    EXPECT_TRUE(IsClosedByOthers(copyPath));
}

TEST_F(FullDisk, ACopyThatFillsTheDiskLeavesOtherCopiesWhole)
{
    std::string first = StreamBytes(limit_ / 3, 3);
    PlayAndDownload("http://radio.example/first.mp3", first, {4096});
    std::string big = StreamBytes(2 * limit_, 5);
    PlayAndDownload("http://radio.example/big.mp3", big, {DWORD(limit_ / 2 + 1)});
    std::string cut = ReadWholeFile(folder_ + "\\big.mp3");
    EXPECT_LE(cut.size(), limit_);
    EXPECT_TRUE(cut == big.substr(0, cut.size()));
    EXPECT_TRUE(ReadWholeFile(folder_ + "\\first.mp3") == first) << "an earlier copy was touched";
    std::string after = StreamBytes(4000, 9);
    PlayAndDownload("http://radio.example/after.mp3", after, {333});
    EXPECT_TRUE(ReadWholeFile(folder_ + "\\after.mp3") == after);
}

} // namespace
