// Helpers of the audio bridge's Wine tests: folders of test doubles, byte
// strings, scratch folders and the calls the doubles recorded.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "bass_double.h"

namespace altest {

// Argument words and entry names as the doubles record them.
using Args = std::vector<DWORD>;
using Names = std::vector<std::string>;

// A pointer as the 32-bit argument word the doubles record.
inline DWORD Word(const void *pointer)
{
    return DWORD(reinterpret_cast<UINT_PTR>(pointer));
}

inline std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder;
}

// A folder of doubles under <build>/doubles: "full", "bass-only", "bare",
// "none".
inline std::string DoublesFolder(const char *variant)
{
    return ProgramFolder() + "..\\doubles\\" + variant;
}

// Modules loaded by name while this lives come from the variant's folder
// (searched after the program's own folder, before the system's and PATH).
class DoublesOnSearchPath {
public:
    explicit DoublesOnSearchPath(const char *variant)
    {
        EXPECT_TRUE(SetDllDirectoryA(DoublesFolder(variant).c_str()));
    }
    ~DoublesOnSearchPath() { SetDllDirectoryA(nullptr); }
    DoublesOnSearchPath(const DoublesOnSearchPath &) = delete;
    DoublesOnSearchPath &operator=(const DoublesOnSearchPath &) = delete;
};

// A byte string made from bytes, to hand to an export that takes it over.
inline BSTR ByteString(const std::string &bytes)
{
    return SysAllocStringByteLen(bytes.data(), UINT(bytes.size()));
}

// The bytes of a byte string an export returned; frees it.
inline std::string Take(BSTR text)
{
    std::string bytes;
    if (text) {
        bytes.assign(reinterpret_cast<const char *>(text), SysStringByteLen(text));
        SysFreeString(text);
    }
    return bytes;
}

inline bool IsModuleLoaded(const char *name)
{
    return GetModuleHandleA(name) != nullptr;
}

// Calls of entry points, without the modules' loading and unloading.
inline std::vector<bassdouble::CallRecord> EntryCalls()
{
    std::vector<bassdouble::CallRecord> calls;
    for (bassdouble::CallRecord &call : bassdouble::Calls()) {
        if (call.entry[0] != '(')
            calls.push_back(std::move(call));
    }
    return calls;
}

// "(attach) BASS.DLL", "BASS_Free", ... for comparing sequences.
inline std::vector<std::string> CallNames(const std::vector<bassdouble::CallRecord> &calls)
{
    std::vector<std::string> names;
    for (const bassdouble::CallRecord &call : calls)
        names.push_back(call.entry[0] == '(' ? call.entry + " " + call.module : call.entry);
    return names;
}

inline DWORD FloatBits(float value)
{
    DWORD bits = 0;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline void WaitAndClose(HANDLE thread)
{
    ASSERT_NE(thread, nullptr) << "the double started no thread";
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
}

// A fresh folder under the temporary folder, removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        path_ = std::string(temp) + "altest." + std::to_string(GetCurrentProcessId()) + "." +
                std::to_string(++serial);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(path_); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &Path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "\\" + name; }

    // Names in the folder (not "." and "..").
    static std::vector<std::string> Names(const std::string &folder)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

private:
    static void Remove(const std::string &folder)
    {
        for (const std::string &name : Names(folder)) {
            std::string full = folder + "\\" + name;
            DWORD attributes = GetFileAttributesA(full.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                Remove(full);
            else
                DeleteFileA(full.c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};

inline bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The file's bytes, or "<missing>".
inline std::string ReadWholeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file, &bytes[0], DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// True when nobody else holds the file open: an exclusive open succeeds.
inline bool IsClosedByOthers(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace altest
