// Helpers of the audio bridge's Wine tests: folders of test doubles, byte
// strings, scratch folders and the calls the doubles recorded.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "bass_double.h"
#include "test-bundle/audio_family.h"
#include "temp_folder.h"
#include "whole_file.h"

namespace altest {

// Argument words (pointer-sized) and entry names as the doubles record them.
using Args = std::vector<bassdouble::ArgWord>;
using Names = std::vector<std::string>;

// A pointer as the argument word the doubles record.
inline bassdouble::ArgWord Word(const void *pointer)
{
    return reinterpret_cast<bassdouble::ArgWord>(pointer);
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

// Modules of the audio library's family that another program put where the
// search for a module by name looks after the doubles' folder: the system
// folders and PATH. Their paths, one a line; empty on a clean machine.
inline std::string OtherAudioModules()
{
    std::vector<std::wstring> folders;
    wchar_t folder[MAX_PATH] = {};
    if (GetSystemDirectoryW(folder, MAX_PATH))
        folders.push_back(folder);
    if (GetWindowsDirectoryW(folder, MAX_PATH)) {
        folders.push_back(std::wstring(folder) + L"\\System");
        folders.push_back(folder);
    }
    for (const std::wstring &entry : testbundle::SearchPathFolders(audiofamily::Path()))
        folders.push_back(entry);
    std::string found;
    for (const std::wstring &where : folders) {
        std::wstring module = audiofamily::ModuleIn(where);
        if (!module.empty())
            found += wholefile::Ansi(where + L"\\" + module) + "\n";
    }
    return found;
}

// Says at the start of the program, as a failure of its own, why the cases
// that leave a module out would fail on this machine.
class NoOtherAudioLibrary : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string found = OtherAudioModules();
        if (!found.empty())
            ADD_FAILURE() << "another program's audio library is on this machine's search path, and it would be "
                             "loaded where a case leaves the test doubles' module out:\n"
                          << found << "Run these tests where those folders are not searched (the bundle's runner "
                                      "leaves PATH folders out by itself; system folders it cannot).";
    }
};

inline ::testing::Environment *const kNoOtherAudioLibrary =
    ::testing::AddGlobalTestEnvironment(new NoOtherAudioLibrary);

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

// audiolink.dll loaded by name, as the application loads it; unloaded when
// this goes. With a search folder, that folder is on the search path while
// the module loads, so the audio library it loads by name comes from there.
// A test's own class adds the exports it calls, from a list of names:
//     class AudioLink : public AudioLinkModule {
//     public:
//         AudioLink() { SOME_EXPORTS(ALTEST_RESOLVE_EXPORT) }
//         SOME_EXPORTS(ALTEST_EXPORT_MEMBER)
//     };
class AudioLinkModule {
public:
    explicit AudioLinkModule(const char *searchFolder = nullptr)
    {
        if (searchFolder) {
            EXPECT_TRUE(SetDllDirectoryA(searchFolder));
        }
        module_ = LoadLibraryA("audiolink.dll");
        if (searchFolder)
            SetDllDirectoryA(nullptr);
        EXPECT_NE(module_, nullptr);
    }
    ~AudioLinkModule() { Unload(); }
    AudioLinkModule(const AudioLinkModule &) = delete;
    AudioLinkModule &operator=(const AudioLinkModule &) = delete;

    void Unload()
    {
        if (module_) {
            FreeLibrary(module_);
            module_ = nullptr;
        }
    }
    HMODULE Handle() const { return module_; }

protected:
    template <typename Entry>
    void Resolve(Entry &entry, const char *name)
    {
        entry = reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module_, name)));
        EXPECT_NE(entry, nullptr) << name;
    }

private:
    HMODULE module_ = nullptr;
};

#define ALTEST_EXPORT_MEMBER(name) decltype(&::name) name = nullptr;
#define ALTEST_RESOLVE_EXPORT(name) Resolve(name, #name);

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
        static int serial = 0;
        path_ = tempfolder::TempPath() + "altest." + std::to_string(GetCurrentProcessId()) + "." +
                std::to_string(++serial);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { tempfolder::RemoveTree(path_); }
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
    std::string path_;
};

using wholefile::ReadWholeFile;
using wholefile::WriteWholeFile;

using wholefile::IsClosedByOthers;

} // namespace altest
