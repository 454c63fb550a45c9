// File functions: numbered file handles, exact-length reads and appends,
// folders and the lines of text files.
#include <themekit.h>

#include <climits>
#include <new>
#include <string>
#include <vector>

#include "byte_string.h"
#include "text_rules.h"

namespace themekit {

namespace {

// More open files than any caller of the library ever keeps; a bound keeps a
// leaking caller from growing the table without end.
constexpr size_t MaxOpenFiles = 256;

// Transfers go in pieces of this size: the system buffers each ReadFile and
// WriteFile of a file opened without FILE_FLAG_NO_BUFFERING as a whole.
constexpr DWORD PieceSize = 1u << 20;

struct TableEntry {
    HANDLE file = INVALID_HANDLE_VALUE;
    bool writing = false;
};

// The table of numbered handles. The audio library's thread writes files
// through it while the program's thread opens and closes others, so every
// use of an entry, the file operation included, happens under the lock:
// a THFCLOSE from one thread cannot close a system handle another thread is
// still reading.
class FileTable {
public:
    FileTable() { InitializeCriticalSection(&lock_); }
    ~FileTable() { DeleteCriticalSection(&lock_); }
    FileTable(const FileTable &) = delete;
    FileTable &operator=(const FileTable &) = delete;

    class Use {
    public:
        explicit Use(FileTable &table) : table_(table) { EnterCriticalSection(&table_.lock_); }
        ~Use() { LeaveCriticalSection(&table_.lock_); }
        Use(const Use &) = delete;
        Use &operator=(const Use &) = delete;

        // The entry of a handle number, nullptr when it is not open.
        TableEntry *Find(int number)
        {
            if (number <= 0 || size_t(number) > table_.slots_.size())
                return nullptr;
            TableEntry &slot = table_.slots_[size_t(number) - 1];
            return slot.file == INVALID_HANDLE_VALUE ? nullptr : &slot;
        }

        // The lowest free number, so numbers stay small.
        int Add(const TableEntry &entry)
        {
            auto &slots = table_.slots_;
            for (size_t i = 0; i < slots.size(); ++i) {
                if (slots[i].file == INVALID_HANDLE_VALUE) {
                    slots[i] = entry;
                    return int(i + 1);
                }
            }
            if (slots.size() >= MaxOpenFiles)
                return 0;
            slots.push_back(entry);
            return int(slots.size());
        }

        void Remove(TableEntry *entry) { *entry = TableEntry(); }

    private:
        FileTable &table_;
    };

private:
    CRITICAL_SECTION lock_;
    std::vector<TableEntry> slots_;
};

FileTable Files;

int LastErrorOr(int fallback)
{
    DWORD error = GetLastError();
    return error ? int(error) : fallback;
}

bool IsFolder(const char *name)
{
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads exactly size bytes at offset, or fails.
int ReadExactly(HANDLE file, LONGLONG offset, char *into, size_t size)
{
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN))
        return LastErrorOr(ERROR_SEEK);
    while (size > 0) {
        DWORD want = size > PieceSize ? PieceSize : DWORD(size);
        DWORD got = 0;
        if (!ReadFile(file, into, want, &got, nullptr))
            return LastErrorOr(ERROR_READ_FAULT);
        if (got == 0)
            return ERROR_HANDLE_EOF; // the file shrank under us
        into += got;
        size -= got;
    }
    return 0;
}

int WriteAll(HANDLE file, const char *from, size_t size)
{
    while (size > 0) {
        DWORD want = size > PieceSize ? PieceSize : DWORD(size);
        DWORD put = 0;
        if (!WriteFile(file, from, want, &put, nullptr))
            return LastErrorOr(ERROR_WRITE_FAULT);
        if (put == 0)
            return ERROR_WRITE_FAULT;
        from += put;
        size -= put;
    }
    return 0;
}

int ReadAt(int number, int offset, BSTR *buffer)
{
    if (!buffer)
        return ERROR_INVALID_PARAMETER;
    FileTable::Use table(Files);
    TableEntry *entry = table.Find(number);
    if (!entry)
        return ERROR_INVALID_HANDLE;
    if (entry->writing)
        return ERROR_ACCESS_DENIED;
    if (offset < 0)
        return ERROR_NEGATIVE_SEEK;

    size_t size = *buffer ? SysStringByteLen(*buffer) : 0;
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(entry->file, &fileSize))
        return LastErrorOr(ERROR_READ_FAULT);
    if (LONGLONG(offset) + LONGLONG(size) > fileSize.QuadPart)
        return ERROR_HANDLE_EOF;
    if (size == 0)
        return 0;

    // Into a copy first: a read that fails half way (the file shrank, a
    // network drive went away) must leave the caller's buffer as it was.
    std::string bytes;
    try {
        bytes.resize(size);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    int error = ReadExactly(entry->file, offset, &bytes[0], size);
    if (error)
        return error;
    CopyMemory(*buffer, bytes.data(), size);
    return 0;
}

// The whole content of a file that may be open for writing elsewhere (a log
// the audio library's thread is still appending to).
int ReadWholeFile(const char *name, std::string &bytes)
{
    HANDLE file = CreateFileA(name, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_FILE_NOT_FOUND);
    int error = 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = LastErrorOr(ERROR_READ_FAULT);
    } else if (size.QuadPart > INT_MAX) {
        error = ERROR_FILE_TOO_LARGE; // more than a 32-bit process can hold
    } else {
        try {
            bytes.resize(size_t(size.QuadPart));
            if (!bytes.empty())
                error = ReadExactly(file, 0, &bytes[0], bytes.size());
        } catch (const std::bad_alloc &) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    CloseHandle(file);
    return error;
}

// A SAFEARRAY of byte strings, element n (from 1) holding lines[n - 1].
SAFEARRAY *MakeLineArray(const std::vector<std::string> &lines)
{
    SAFEARRAY *array = SafeArrayCreateVector(VT_BSTR, 1, ULONG(lines.size()));
    if (!array)
        return nullptr;
    if (lines.empty())
        return array;
    BSTR *elements = nullptr;
    if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void **>(&elements)))) {
        SafeArrayDestroy(array);
        return nullptr;
    }
    bool complete = true;
    for (size_t i = 0; i < lines.size() && complete; ++i) {
        elements[i] = MakeByteString(lines[i]);
        complete = elements[i] != nullptr;
    }
    SafeArrayUnaccessData(array);
    if (!complete) {
        SafeArrayDestroy(array); // frees the strings made so far
        return nullptr;
    }
    return array;
}

} // namespace

} // namespace themekit

using namespace themekit;

extern "C" {

int __stdcall THFOPEN(const char *name, int access, int mode, int *handle)
{
    if (!handle)
        return ERROR_INVALID_PARAMETER;
    *handle = 0;
    if (!name)
        return ERROR_INVALID_PARAMETER;

    DWORD rights, sharing, disposition;
    if (access == THF_READ && mode == THF_MODE_READ) {
        rights = GENERIC_READ;
        sharing = FILE_SHARE_READ;
        disposition = OPEN_EXISTING;
    } else if (access == THF_READ && mode == THF_MODE_SHARED) {
        rights = GENERIC_READ;
        sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        disposition = OPEN_EXISTING;
    } else if (access == THF_WRITE && mode == THF_MODE_APPEND) {
        // Readers may look at a file while it is written (THF_MODE_SHARED and
        // THREADSTR both allow a writer), but a second writer may not.
        rights = GENERIC_WRITE;
        sharing = FILE_SHARE_READ;
        disposition = OPEN_ALWAYS;
    } else {
        return ERROR_INVALID_PARAMETER;
    }

    // Opened outside the lock: a slow network drive must not hold up the
    // writes of other threads.
    HANDLE file = CreateFileA(name, rights, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorOr(ERROR_OPEN_FAILED);
    FileTable::Use table(Files);
    int number = 0;
    int error = ERROR_TOO_MANY_OPEN_FILES;
    try {
        number = table.Add(TableEntry{file, access == THF_WRITE});
    } catch (const std::bad_alloc &) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (number == 0) {
        CloseHandle(file);
        return error;
    }
    *handle = number;
    return 0;
}

int __stdcall THFGET(int handle, BSTR *buffer)
{
    return ReadAt(handle, 0, buffer);
}

int __stdcall THFGETAT(int handle, int offset, BSTR *buffer)
{
    return ReadAt(handle, offset, buffer);
}

int __stdcall THFPUT(int handle, BSTR text)
{
    FileTable::Use table(Files);
    TableEntry *entry = table.Find(handle);
    if (!entry)
        return ERROR_INVALID_HANDLE;
    if (!entry->writing)
        return ERROR_ACCESS_DENIED;
    // OPEN_ALWAYS leaves the position at the start of an existing file.
    LARGE_INTEGER none{};
    if (!SetFilePointerEx(entry->file, none, nullptr, FILE_END))
        return LastErrorOr(ERROR_SEEK);
    std::string_view bytes = ByteStringView(text);
    return WriteAll(entry->file, bytes.data(), bytes.size());
}

int __stdcall THFLOF(int handle)
{
    FileTable::Use table(Files);
    TableEntry *entry = table.Find(handle);
    if (!entry)
        return -1;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(entry->file, &size))
        return -1;
    // The result is an int: larger files report the largest size it holds.
    return size.QuadPart > INT_MAX ? INT_MAX : int(size.QuadPart);
}

int __stdcall THFCLOSE(int *handle)
{
    if (!handle)
        return ERROR_INVALID_PARAMETER;
    FileTable::Use table(Files);
    TableEntry *entry = table.Find(*handle);
    if (!entry)
        return ERROR_INVALID_HANDLE;
    HANDLE file = entry->file;
    table.Remove(entry);
    *handle = 0;
    return CloseHandle(file) ? 0 : LastErrorOr(ERROR_INVALID_HANDLE);
}

int __stdcall THKILLFILE(const char *name)
{
    if (!name)
        return ERROR_INVALID_PARAMETER;
    return DeleteFileA(name) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

int __stdcall THMAKEDIR(const char *path)
{
    if (!path || !*path)
        return ERROR_INVALID_PARAMETER;
    try {
        std::vector<std::string> folders = FoldersToMake(path);
        if (folders.empty()) {
            // A root alone: nothing to make, fine when it is there.
            return IsFolder(path) ? 0 : ERROR_PATH_NOT_FOUND;
        }
        for (const std::string &folder : folders) {
            if (CreateDirectoryA(folder.c_str(), nullptr))
                continue;
            // An existing folder is as good as a new one. The error it gives
            // is not always ERROR_ALREADY_EXISTS (a share or a folder we may
            // not write in can answer otherwise), so look at what is there.
            int error = LastErrorOr(ERROR_CANNOT_MAKE);
            if (!IsFolder(folder.c_str()))
                return error; // a file stands there, or nothing could be made
        }
        return 0;
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

int __stdcall THREADSTR(const char *file, SAFEARRAY **lines, int *count)
{
    if (lines)
        *lines = nullptr;
    if (count)
        *count = 0;
    if (!file || !lines || !count)
        return ERROR_INVALID_PARAMETER;
    try {
        std::string bytes;
        int error = ReadWholeFile(file, bytes);
        if (error)
            return error;
        std::vector<std::string> split = SplitLines(bytes);
        bytes = std::string();
        // An empty file gives an empty array (no elements, lower bound 1),
        // so the caller frees the result of every success the same way.
        SAFEARRAY *array = MakeLineArray(split);
        if (!array)
            return ERROR_NOT_ENOUGH_MEMORY;
        *lines = array;
        *count = int(split.size());
        return 0;
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // extern "C"
