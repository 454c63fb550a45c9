// themekit's file and name functions on real files, in a fresh folder under
// the temporary folder for each test.
#include <gtest/gtest.h>

#include <themekit.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"
#include "whole_file.h"

namespace {

using tempfolder::RemoveTree;

using Text = std::vector<std::string>;

// Owns a byte string handed to the library or handed back by it.
struct ByteString {
    BSTR text = nullptr;
    ByteString() = default;
    explicit ByteString(BSTR from) : text(from) {}
    explicit ByteString(const std::string &bytes)
        : text(SysAllocStringByteLen(bytes.data(), UINT(bytes.size()))) {}
    ~ByteString() { SysFreeString(text); }
    ByteString(const ByteString &) = delete;
    ByteString &operator=(const ByteString &) = delete;
    std::string Bytes() const
    {
        return text ? std::string(reinterpret_cast<const char *>(text), SysStringByteLen(text))
                    : std::string();
    }
};

std::string Bytes(const char *text, size_t size) { return std::string(text, size); }

DWORD Attributes(const std::string &name) { return GetFileAttributesA(name.c_str()); }
bool IsFolder(const std::string &name)
{
    return Attributes(name) != INVALID_FILE_ATTRIBUTES && (Attributes(name) & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(const std::string &name)
{
    return Attributes(name) != INVALID_FILE_ATTRIBUTES && !(Attributes(name) & FILE_ATTRIBUTE_DIRECTORY);
}

// The lines of a THREADSTR array, fetched by index as a caller would.
Text LinesByIndex(SAFEARRAY *array)
{
    Text lines;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG n = low; n <= high; ++n) {
        ByteString line;
        bool got = SUCCEEDED(SafeArrayGetElement(array, &n, &line.text));
        lines.push_back(got ? line.Bytes() : "<no element " + std::to_string(n) + ">");
    }
    return lines;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
        static unsigned serial = 0;
        folder_ = std::string(temp) + "themekit_files_" + std::to_string(GetCurrentProcessId()) +
                  "_" + std::to_string(++serial);
        RemoveTree(folder_);
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
    }

    void TearDown() override
    {
        for (int handle : open_)
            THFCLOSE(&handle);
        RemoveTree(folder_);
    }

    std::string Path(const std::string &name) const { return folder_ + "\\" + name; }

    // Files are made and read back with the system's own calls, so a fault
    // of the library cannot hide itself.
    std::string MakeFile(const std::string &name, const std::string &bytes) const
    {
        std::string path = Path(name);
        EXPECT_TRUE(wholefile::WriteWholeFile(path, bytes)) << path;
        return path;
    }

    static std::string Content(const std::string &path)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes(file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr), '\0');
        DWORD got = 0;
        ReadFile(file, &bytes[0], DWORD(bytes.size()), &got, nullptr);
        CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }

    // Opened through the library; TearDown closes what a test leaves open.
    int Open(const std::string &path, int access, int mode)
    {
        int handle = 0;
        EXPECT_EQ(THFOPEN(path.c_str(), access, mode, &handle), 0)
            << path << " access " << access << " mode " << mode;
        EXPECT_GT(handle, 0) << path;
        open_.push_back(handle);
        return handle;
    }

    std::string folder_;
    std::vector<int> open_;
};

const std::string SevenBytes = Bytes("a\0b\0\0c\xff", 7);

// ---- THFOPEN ----------------------------------------------------------

TEST_F(Files, OpenRefusesMissingFilesOtherModesAndNullArguments)
{
    std::string missing = Path("missing.txt");
    const int pairs[][2] = {{THF_READ, THF_MODE_READ}, {THF_READ, THF_MODE_SHARED},
                            {THF_READ, THF_MODE_APPEND}, {THF_WRITE, THF_MODE_READ},
                            {THF_WRITE, THF_MODE_SHARED}, {2, 0}, {-1, 0}, {0, 3}};
    for (const auto &pair : pairs) {
        int handle = 12345;
        int error = THFOPEN(missing.c_str(), pair[0], pair[1], &handle);
        EXPECT_NE(error, 0) << "access " << pair[0] << " mode " << pair[1];
        EXPECT_EQ(handle, 0) << "access " << pair[0] << " mode " << pair[1];
        if (pair[0] == THF_READ && (pair[1] == THF_MODE_READ || pair[1] == THF_MODE_SHARED)) {
            EXPECT_EQ(error, ERROR_FILE_NOT_FOUND) << "mode " << pair[1];
        }
    }
    EXPECT_FALSE(IsFile(missing)) << "a refused open must not create the file";

    int handle = 12345;
    EXPECT_NE(THFOPEN(nullptr, THF_READ, THF_MODE_READ, &handle), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_NE(THFOPEN("", THF_WRITE, THF_MODE_APPEND, &handle), 0);
    EXPECT_NE(THFOPEN(Path("no folder\\new.txt").c_str(), THF_WRITE, THF_MODE_APPEND, &handle), 0);
    EXPECT_NE(THFOPEN(MakeFile("x", "x").c_str(), THF_READ, THF_MODE_READ, nullptr), 0);
}

TEST_F(Files, ReadersAndTheWriterShareAsTheirModesSay)
{
    std::string path = MakeFile("shared.txt", "abc");
    int handle = 0;

    // Mode 0: others may read, nobody may write or delete.
    int reader = Open(path, THF_READ, THF_MODE_READ);
    int another = Open(path, THF_READ, THF_MODE_READ);
    EXPECT_NE(reader, another);
    EXPECT_EQ(THFOPEN(path.c_str(), THF_WRITE, THF_MODE_APPEND, &handle), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(THKILLFILE(path.c_str()), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(THFCLOSE(&reader), 0);
    EXPECT_EQ(THFCLOSE(&another), 0);

    // Mode 2 lets a writer in; while it writes, mode 2 readers and THREADSTR
    // may look, a mode 0 reader and a second writer may not.
    reader = Open(path, THF_READ, THF_MODE_SHARED);
    int writer = Open(path, THF_WRITE, THF_MODE_APPEND);
    int looker = Open(path, THF_READ, THF_MODE_SHARED);
    EXPECT_EQ(THFOPEN(path.c_str(), THF_READ, THF_MODE_READ, &handle), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(THFOPEN(path.c_str(), THF_WRITE, THF_MODE_APPEND, &handle), ERROR_SHARING_VIOLATION);
    ByteString more(std::string("\ndef"));
    EXPECT_EQ(THFPUT(writer, more.text), 0);
    SAFEARRAY *lines = nullptr;
    int count = 0;
    ASSERT_EQ(THREADSTR(path.c_str(), &lines, &count), 0);
    EXPECT_EQ(LinesByIndex(lines), (Text{"abc", "def"}));
    SafeArrayDestroy(lines);
    EXPECT_EQ(THFCLOSE(&writer), 0);
    EXPECT_EQ(THFCLOSE(&looker), 0);

    // ...and lets the file be deleted under it.
    EXPECT_EQ(THKILLFILE(path.c_str()), 0);
    EXPECT_EQ(THFCLOSE(&reader), 0);
    EXPECT_FALSE(IsFile(path));
}

// ---- THFGET, THFGETAT ---------------------------------------------------

TEST_F(Files, ReadsFillTheWholeBufferInPlaceZeroBytesIncluded)
{
    int handle = Open(MakeFile("data.bin", SevenBytes), THF_READ, THF_MODE_READ);
    struct Case {
        int offset;
        std::string want;
    } cases[] = {{0, SevenBytes}, {2, Bytes("b\0\0", 3)}, {5, "c\xff"}, {0, Bytes("a\0", 2)}};
    for (const Case &c : cases) {
        ByteString buffer(std::string(c.want.size(), 'X'));
        BSTR before = buffer.text;
        // THFGET reads from the start whatever was read before it.
        int error = c.offset == 0 ? THFGET(handle, &buffer.text)
                                  : THFGETAT(handle, c.offset, &buffer.text);
        EXPECT_EQ(error, 0) << "offset " << c.offset;
        EXPECT_EQ(buffer.Bytes(), c.want) << "offset " << c.offset;
        EXPECT_EQ(buffer.text, before) << "the buffer is filled in place";
    }
}

TEST_F(Files, ReadsTheFileCannotSatisfyFailAndLeaveTheBuffer)
{
    int handle = Open(MakeFile("data.bin", SevenBytes), THF_READ, THF_MODE_READ);
    int empty = Open(MakeFile("empty.bin", ""), THF_READ, THF_MODE_READ);
    struct Case {
        int handle, offset;
        size_t size;
        bool ok;
    } cases[] = {
        {handle, 0, 8, false},       {handle, -1, 1, false}, {handle, -1, 0, false},
        {handle, INT_MIN, 3, false}, {handle, 5, 3, false},  {handle, 7, 1, false},
        {handle, 8, 0, false},       {handle, INT_MAX, 1, false},
        {handle, 0, 0, true},        {handle, 7, 0, true},   {handle, 3, 4, true},
        {empty, 0, 0, true},         {empty, 0, 1, false},   {empty, 1, 0, false},
    };
    for (const Case &c : cases) {
        std::string filler(c.size, 'X');
        ByteString buffer(filler);
        int error = THFGETAT(c.handle, c.offset, &buffer.text);
        std::string what = (c.handle == empty ? "empty file" : "7-byte file") +
                           std::string(", offset ") + std::to_string(c.offset) + ", size " +
                           std::to_string(c.size);
        EXPECT_EQ(error == 0, c.ok) << what << ": error " << error;
        if (!c.ok) {
            EXPECT_EQ(buffer.Bytes(), filler) << what;
        }
    }
    ByteString tooLong(std::string(8, 'X'));
    EXPECT_NE(THFGET(handle, &tooLong.text), 0);
    EXPECT_EQ(tooLong.Bytes(), std::string(8, 'X'));
    ByteString none;
    EXPECT_EQ(THFGET(handle, &none.text), 0) << "the null string reads nothing";
    EXPECT_NE(THFGET(handle, nullptr), 0);
}

TEST_F(Files, ReadingWithAWriteHandleAndWritingWithAReadHandleAreRefused)
{
    std::string path = MakeFile("data.bin", SevenBytes);
    int reader = Open(path, THF_READ, THF_MODE_SHARED);
    ByteString text(std::string("more"));
    EXPECT_NE(THFPUT(reader, text.text), 0);

    int writer = Open(path, THF_WRITE, THF_MODE_APPEND);
    ByteString buffer(std::string(3, 'X'));
    EXPECT_NE(THFGET(writer, &buffer.text), 0);
    EXPECT_EQ(buffer.Bytes(), "XXX");
    EXPECT_EQ(THFCLOSE(&writer), 0);
    EXPECT_EQ(Content(path), SevenBytes);
}

// ---- THFPUT, THFLOF -----------------------------------------------------

TEST_F(Files, PutWritesEveryByteAtTheEnd)
{
    std::string created = Path("new.txt");
    int writer = Open(created, THF_WRITE, THF_MODE_APPEND);
    EXPECT_TRUE(IsFile(created)) << "opening for writing creates the file";
    EXPECT_EQ(THFLOF(writer), 0);

    std::string path = MakeFile("log.bin", "head");
    writer = Open(path, THF_WRITE, THF_MODE_APPEND);
    EXPECT_EQ(THFLOF(writer), 4);
    for (const std::string &piece : {Bytes("a\0b", 3), std::string(), Bytes("\0\0", 2)}) {
        ByteString text(piece);
        EXPECT_EQ(THFPUT(writer, text.text), 0);
    }
    EXPECT_EQ(THFPUT(writer, nullptr), 0) << "the null string is the empty text";
    EXPECT_EQ(THFLOF(writer), 9);
    EXPECT_EQ(THFCLOSE(&writer), 0);
    EXPECT_EQ(Content(path), Bytes("heada\0b\0\0", 9));
}

// ---- Handles ------------------------------------------------------------

TEST_F(Files, CloseZeroesTheVariableAndFreesTheFile)
{
    std::string path = MakeFile("data.bin", SevenBytes);
    int handle = Open(path, THF_READ, THF_MODE_READ);
    int number = handle;
    EXPECT_EQ(THFCLOSE(&handle), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(THKILLFILE(path.c_str()), 0) << "the file was still open";

    for (int unknown : {number, 0, -1, 255, 256, 70000, INT_MIN, INT_MAX}) {
        ByteString buffer(std::string(2, 'X')), text(std::string("zz"));
        EXPECT_EQ(THFGET(unknown, &buffer.text), ERROR_INVALID_HANDLE) << "handle " << unknown;
        EXPECT_EQ(THFGETAT(unknown, 0, &buffer.text), ERROR_INVALID_HANDLE) << "handle " << unknown;
        EXPECT_EQ(buffer.Bytes(), "XX") << "handle " << unknown;
        EXPECT_EQ(THFPUT(unknown, text.text), ERROR_INVALID_HANDLE) << "handle " << unknown;
        EXPECT_EQ(THFLOF(unknown), -1) << "handle " << unknown;
        int variable = unknown;
        EXPECT_EQ(THFCLOSE(&variable), ERROR_INVALID_HANDLE) << "handle " << unknown;
    }
    EXPECT_NE(THFCLOSE(nullptr), 0);
}

TEST_F(Files, ThreadsWriteTheirOwnFilesAtOnce)
{
    // Each thread opens, writes and closes over and over, so the table changes
    // all along; a handle given to two threads shows as a size out of step or
    // a record in the wrong file.
    constexpr int Writers = 6, Records = 300;
    std::string common = MakeFile("common.txt", "shared");
    std::vector<std::thread> threads;
    std::vector<int> errors(Writers, 0);
    for (int w = 0; w < Writers; ++w) {
        threads.emplace_back([this, w, &errors, common] {
            std::string path = Path("thread" + std::to_string(w) + ".log");
            for (int r = 0, size = 0; r < Records; ++r) {
                ByteString record(std::to_string(w) + ":" + std::to_string(r) + "\n");
                int writer = 0, reader = 0;
                errors[w] += THFOPEN(path.c_str(), THF_WRITE, THF_MODE_APPEND, &writer) != 0;
                errors[w] += THFOPEN(common.c_str(), THF_READ, THF_MODE_SHARED, &reader) != 0;
                errors[w] += THFLOF(reader) != 6 || THFLOF(writer) != size;
                errors[w] += THFPUT(writer, record.text) != 0;
                size += int(SysStringByteLen(record.text));
                errors[w] += THFCLOSE(&reader) != 0 || THFCLOSE(&writer) != 0;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int w = 0; w < Writers; ++w) {
        EXPECT_EQ(errors[w], 0) << "failed calls of writer " << w;
        std::string expected;
        for (int r = 0; r < Records; ++r)
            expected += std::to_string(w) + ":" + std::to_string(r) + "\n";
        EXPECT_EQ(Content(Path("thread" + std::to_string(w) + ".log")), expected) << "writer " << w;
    }
}

// ---- THKILLFILE, THMAKEDIR ----------------------------------------------

TEST_F(Files, KillFileDeletesFilesOnly)
{
    std::string path = MakeFile("gone.txt", "x");
    EXPECT_EQ(THKILLFILE(path.c_str()), 0);
    EXPECT_FALSE(IsFile(path));
    EXPECT_EQ(THKILLFILE(path.c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(THKILLFILE(Path("no folder\\gone.txt").c_str()), 0);
    EXPECT_NE(THKILLFILE(folder_.c_str()), 0);
    EXPECT_TRUE(IsFolder(folder_));
    EXPECT_NE(THKILLFILE(nullptr), 0);
}

TEST_F(Files, MakeDirCreatesEveryMissingFolderButNotOverAFile)
{
    EXPECT_EQ(THMAKEDIR(Path("a\\b\\c\\").c_str()), 0);
    EXPECT_TRUE(IsFolder(Path("a\\b\\c")));
    EXPECT_EQ(THMAKEDIR(Path("a\\b\\c").c_str()), 0) << "an existing folder is fine";
    EXPECT_EQ(THMAKEDIR(Path("a/x/y").c_str()), 0);
    EXPECT_TRUE(IsFolder(Path("a\\x\\y")));
    EXPECT_EQ(THMAKEDIR(folder_.substr(0, 3).c_str()), 0) << "the drive's root";

    MakeFile("plain", "x");
    EXPECT_NE(THMAKEDIR(Path("plain").c_str()), 0);
    EXPECT_NE(THMAKEDIR(Path("plain\\sub").c_str()), 0);
    EXPECT_TRUE(IsFile(Path("plain")));
    EXPECT_NE(THMAKEDIR(nullptr), 0);
    EXPECT_NE(THMAKEDIR(""), 0);
}

// ---- THREADSTR ----------------------------------------------------------

TEST_F(Files, ReadStrNumbersTheLinesFromOne)
{
    struct Case {
        std::string bytes;
        Text lines;
    } cases[] = {
        {Bytes("one\r\ntwo\nthree\rfour\r\n\r\nsix\0x", 28),
         {"one", "two", "three", "four", "", Bytes("six\0x", 5)}},
        {"", {}}, {"\r\n", {""}}, {"a\n", {"a"}}, {"a\r", {"a"}}, {"a\n\n", {"a", ""}},
    };
    for (const Case &c : cases) {
        std::string path = MakeFile("text.txt", c.bytes);
        SAFEARRAY *lines = nullptr;
        int count = -1;
        ASSERT_EQ(THREADSTR(path.c_str(), &lines, &count), 0);
        ASSERT_NE(lines, nullptr) << "even an empty file gives an array";
        VARTYPE type = VT_EMPTY;
        SafeArrayGetVartype(lines, &type);
        LONG low = 0;
        SafeArrayGetLBound(lines, 1, &low);
        EXPECT_EQ(SafeArrayGetDim(lines), 1u);
        EXPECT_EQ(type, VT_BSTR);
        EXPECT_EQ(low, 1);
        EXPECT_EQ(count, int(c.lines.size())) << "file \"" << c.bytes << "\"";
        EXPECT_EQ(LinesByIndex(lines), c.lines) << "file \"" << c.bytes << "\"";
        SafeArrayDestroy(lines);
    }
}

TEST_F(Files, ReadStrOfWhatIsNoFileGivesNothing)
{
    std::string path = MakeFile("text.txt", "a\n");
    SAFEARRAY *lines = reinterpret_cast<SAFEARRAY *>(1);
    int count = 99;
    EXPECT_EQ(THREADSTR(Path("missing.txt").c_str(), &lines, &count), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lines, nullptr);
    EXPECT_EQ(count, 0);
    count = 99;
    EXPECT_NE(THREADSTR(folder_.c_str(), &lines, &count), 0) << "a folder";
    EXPECT_EQ(lines, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_NE(THREADSTR(nullptr, &lines, &count), 0);
    EXPECT_NE(THREADSTR(path.c_str(), nullptr, &count), 0);
    EXPECT_NE(THREADSTR(path.c_str(), &lines, nullptr), 0);
    EXPECT_EQ(lines, nullptr);
}

// ---- Names --------------------------------------------------------------

TEST(Names, SplitNameCutsAfterTheLastSeparator)
{
    const char *cases[][3] = {
        {"C:\\dir\\sub/file.txt", "C:\\dir\\sub/", "file.txt"},
        {"C:/dir\\sub\\file.txt", "C:/dir\\sub\\", "file.txt"},
        {"file.txt", "", "file.txt"},
        {"C:\\dir\\", "C:\\dir\\", ""},
        {"", "", ""},
    };
    for (const auto &c : cases) {
        // The variables already hold strings: the library frees and replaces them.
        ByteString folder(std::string("old folder")), file(std::string("old file"));
        EXPECT_EQ(THSPLITN(c[0], &folder.text, &file.text), 0);
        EXPECT_EQ(folder.Bytes(), c[1]) << "name \"" << c[0] << "\"";
        EXPECT_EQ(file.Bytes(), c[2]) << "name \"" << c[0] << "\"";
    }
    ByteString folder, file;
    EXPECT_EQ(THSPLITN(nullptr, &folder.text, &file.text), 0);
    EXPECT_EQ(folder.Bytes() + file.Bytes(), "");
    EXPECT_EQ(THSPLITN("C:\\a\\b", nullptr, &file.text), 0);
    EXPECT_EQ(file.Bytes(), "b");
}

TEST_F(Files, ExistIsTrueForFilesOnly)
{
    std::string path = MakeFile("here.txt", "x");
    EXPECT_EQ(THEXIST(path.c_str()), -1);
    for (std::string name : {folder_, folder_ + "\\", Path("missing.txt"), Path("*.txt"),
                             Path("here.tx?"), std::string()})
        EXPECT_EQ(THEXIST(name.c_str()), 0) << "name \"" << name << "\"";
    EXPECT_EQ(THEXIST(nullptr), 0);
}

TEST(Names, TempPathExeNameAndDiskList)
{
    ByteString temp(THGETTEMPPATH());
    ASSERT_FALSE(temp.Bytes().empty());
    EXPECT_EQ(temp.Bytes().back(), '\\') << temp.Bytes();
    EXPECT_TRUE(IsFolder(temp.Bytes())) << temp.Bytes();

    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(ByteString(THEXENAME()).Bytes(), program);

    std::string expected;
    for (int drive = 0; drive < 26; ++drive) {
        char root[] = {char('A' + drive), ':', '\\', 0};
        if (GetLogicalDrives() & (1u << drive))
            expected += GetDriveTypeA(root) == DRIVE_CDROM ? char('a' + drive) : root[0];
    }
    ByteString list(THDSKLIST());
    EXPECT_NE(list.Bytes().find('C'), std::string::npos) << "list \"" << list.Bytes() << "\"";
    EXPECT_EQ(list.Bytes(), expected);
}

TEST(Names, WinErrIsTheSystemTextOnOneLine)
{
    char system[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_FILE_NOT_FOUND, 0, system, sizeof system, nullptr);
    std::string line = ByteString(THWINERR(ERROR_FILE_NOT_FOUND)).Bytes();
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(std::string(system).substr(0, line.size()), line);
    for (int code : {int(ERROR_FILE_NOT_FOUND), int(ERROR_SHARING_VIOLATION), 0, -1}) {
        line = ByteString(THWINERR(code)).Bytes();
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "code " << code << ": " << line;
        EXPECT_TRUE(line.empty() || (line.back() != '.' && line.back() != ' '))
            << "code " << code << ": \"" << line << "\"";
    }
    EXPECT_EQ(ByteString(THWINERR(0x7FFFFF01)).Bytes(), "") << "a code without a system text";
}

} // namespace
