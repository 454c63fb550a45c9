// The local copy of a download: what is written where, when the copy is
// armed, ended and disarmed, and (in the ThreadSanitizer build) that the
// download thread and the application's thread share nothing unguarded.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "download_copy.h"

using audiolink::CopyFiles;
using audiolink::DownloadCopy;

namespace {

// Files in memory. Every call comes in under the copy's lock, so a call
// made without it shows up as a data race here.
class MemoryFiles final : public CopyFiles {
public:
    struct File {
        std::string bytes;
        bool open = false;
    };

    void Remove(const std::string &path) override
    {
        log.push_back("remove " + path);
        files.erase(path);
    }

    int Create(const std::string &path) override
    {
        log.push_back("create " + path);
        if (path == unopenable)
            return 0;
        files[path] = File{std::string(), true};
        handles[++lastHandle] = path;
        return lastHandle;
    }

    bool Append(int handle, const void *bytes, size_t length) override
    {
        File &file = files.at(handles.at(handle));
        EXPECT_TRUE(file.open);
        if (failWrites)
            return false;
        file.bytes.append(static_cast<const char *>(bytes), length);
        return true;
    }

    void Close(int handle) override
    {
        log.push_back("close " + handles.at(handle));
        files.at(handles.at(handle)).open = false;
        handles.erase(handle);
    }

    std::map<std::string, File> files;
    std::map<int, std::string> handles;
    std::vector<std::string> log;
    std::string unopenable;
    bool failWrites = false;
    int lastHandle = 0;
};

using Log = std::vector<std::string>;

class LocalCopy : public ::testing::Test {
protected:
    void Block(const std::string &bytes) { copy.Deliver(bytes.data(), bytes.size()); }
    void End() { copy.Deliver(nullptr, 0); }

    MemoryFiles files;
    DownloadCopy copy{files};
};

TEST_F(LocalCopy, WritesEveryByteOfEveryBlockIntoANewFile)
{
    files.files["a.mp3"] = {"old and longer content", false};
    copy.Arm("a.mp3");
    EXPECT_EQ(files.log, Log{}) << "nothing happens before the first block";
    Block(std::string("\0\1\0", 3));
    Block("");
    Block("xyz");
    EXPECT_EQ(files.files["a.mp3"].bytes, std::string("\0\1\0xyz", 6));
    End();
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3"}));
    EXPECT_FALSE(files.files["a.mp3"].open);
    EXPECT_FALSE(copy.IsArmed());
}

TEST_F(LocalCopy, AnEndedCopyIsNeverTouchedAgain)
{
    copy.Arm("a.mp3");
    Block("abc");
    End();
    Block("late");
    End();
    EXPECT_EQ(files.files["a.mp3"].bytes, "abc");
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3"}));
}

TEST_F(LocalCopy, ADownloadWithoutBlocksLeavesAnEmptyFile)
{
    copy.Arm("a.mp3");
    End();
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3"}));
    EXPECT_EQ(files.files.count("a.mp3"), 1u);
}

TEST_F(LocalCopy, NothingArmedMeansNothingTouched)
{
    Block("abc");
    End();
    copy.Arm("a.mp3");
    copy.Disarm();
    Block("abc");
    End();
    EXPECT_EQ(files.log, Log{});
}

TEST_F(LocalCopy, DisarmingClosesAnUnfinishedCopyAndDropsLaterBlocks)
{
    copy.Arm("a.mp3");
    Block("abc");
    copy.Disarm();
    EXPECT_FALSE(files.files["a.mp3"].open);
    Block("def");
    End();
    EXPECT_EQ(files.files["a.mp3"].bytes, "abc");
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3"}));
}

TEST_F(LocalCopy, ArmingTheNextCopyClosesThePreviousOne)
{
    copy.Arm("a.mp3");
    Block("abc");
    copy.Arm("b.mp3");
    Block("def");
    End();
    EXPECT_EQ(files.files["a.mp3"].bytes, "abc");
    EXPECT_EQ(files.files["b.mp3"].bytes, "def");
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3", "remove b.mp3",
                              "create b.mp3", "close b.mp3"}));
}

TEST_F(LocalCopy, AFileThatCannotBeCreatedIsTriedOnce)
{
    files.unopenable = "a.mp3";
    copy.Arm("a.mp3");
    Block("abc");
    Block("def");
    End();
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3"}));
}

TEST_F(LocalCopy, AFailedWriteEndsTheCopyWithoutAGap)
{
    copy.Arm("a.mp3");
    Block("abc");
    files.failWrites = true;
    Block("def");
    files.failWrites = false;
    Block("ghi");
    End();
    EXPECT_EQ(files.files["a.mp3"].bytes, "abc");
    EXPECT_FALSE(files.files["a.mp3"].open);
    EXPECT_EQ(files.log, (Log{"remove a.mp3", "create a.mp3", "close a.mp3"}));
}

// The download thread delivers numbered blocks while the application's
// thread arms, disarms and re-arms copies. Afterwards every copy holds
// whole blocks in delivery order, no block is in two copies, and every copy
// is closed.
TEST(LocalCopyThreads, BlocksNeverSplitOrCrossBetweenCopies)
{
    MemoryFiles files;
    DownloadCopy copy(files);
    constexpr int Blocks = 4000;
    std::atomic<bool> started{false};

    std::thread download([&] {
        started = true;
        for (int n = 0; n < Blocks; ++n) {
            std::string block = "<" + std::to_string(n) + ">";
            copy.Deliver(block.data(), block.size());
            if (n % 500 == 499)
                copy.Deliver(nullptr, 0);
        }
        copy.Deliver(nullptr, 0);
    });
    while (!started)
        std::this_thread::yield();
    for (int round = 0; round < 300; ++round) {
        copy.Arm("copy" + std::to_string(round % 7) + ".mp3");
        std::this_thread::yield();
        if (round % 3 == 0)
            copy.Disarm();
    }
    download.join();
    copy.Disarm();

    std::vector<bool> seen(Blocks, false);
    for (const auto &[path, file] : files.files) {
        EXPECT_FALSE(file.open) << path;
        int previous = -1;
        size_t at = 0;
        while (at < file.bytes.size()) {
            ASSERT_EQ(file.bytes[at], '<') << path;
            size_t end = file.bytes.find('>', at);
            ASSERT_NE(end, std::string::npos) << path;
            int n = std::stoi(file.bytes.substr(at + 1, end - at - 1));
            EXPECT_GT(n, previous) << path;
            EXPECT_FALSE(seen[size_t(n)]) << "block " << n << " written twice";
            seen[size_t(n)] = true;
            previous = n;
            at = end + 1;
        }
    }
    EXPECT_TRUE(files.handles.empty());
}

} // namespace
