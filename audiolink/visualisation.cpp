// Visualisation plug-ins: the search for plug-in files, and the exports that
// hand the calls of "BASS_VIS.DLL" through.
#include "visualisation.h"

#include "audiolink.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "bass_binding.h"
#include "byte_strings.h"
#include "plugin_files.h"
#include "pointer_text.h"

namespace audiolink {

namespace {

// What a folder is, however it was reached: a directory link (a symbolic
// link, a junction, under Wine a Unix symlink) leads to the same volume and
// file index as the folder it points to.
using FolderIdentity = std::tuple<DWORD, DWORD, DWORD>;

bool ReadFolderIdentity(const std::string &folder, FolderIdentity &identity)
{
    // Backup semantics are what let CreateFile open a directory at all.
    HANDLE handle = CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information{};
    BOOL known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known)
        return false;
    identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
    return true;
}

#ifndef WC_ERR_INVALID_CHARS
#define WC_ERR_INVALID_CHARS 0x00000080 // Windows Vista and later
#endif

std::wstring WideFromAnsi(const std::string &ansi)
{
    int size = ansi.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], size);
    return wide;
}

// The ANSI form of a file name when it converts exactly to the code page
// (no best-fit and no default character, and back to the same name). The
// list holds ANSI paths that the audio library loads: a lossy conversion
// would name another file, or none.
bool ExactAnsi(const WCHAR *wide, std::string &ansi)
{
    ansi.clear();
    int length = int(wcslen(wide));
    if (!length)
        return false;
    UINT codePage = GetACP();
    bool utf8 = codePage == CP_UTF8; // takes neither flag, and holds every valid name
    DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *used = utf8 ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, used);
    if (size <= 0 || usedDefault)
        return false;
    std::string converted(size_t(size), '\0');
    if (WideCharToMultiByte(codePage, flags, wide, length, &converted[0], size, nullptr, used) != size ||
        usedDefault || WideFromAnsi(converted) != std::wstring(wide, size_t(length)))
        return false;
    ansi.swap(converted);
    return true;
}

// Whether the folder's search pattern fits, counted as the system counts
// it: in bytes of an 8-bit code page; for a UTF-8 host in the UTF-16 units
// the pattern becomes, of which 259 fit however many bytes they take.
bool SearchPatternFits(const std::string &folder)
{
    constexpr std::string_view wildcard = "*.*";
    if (CurrentHostText() != HostText::Utf8)
        return PatternFits(folder, wildcard);
    return PatternLengthFits(WideFromAnsi(folder).size(), wildcard.size());
}

// An entry's name for an ANSI path: its own when that converts exactly,
// else its short (8.3) name, which is ASCII; empty when it has neither.
std::string EntryName(const WIN32_FIND_DATAW &found)
{
    std::string name;
    if (ExactAnsi(found.cFileName, name) || ExactAnsi(found.cAlternateFileName, name))
        return name;
    return std::string();
}

// The walk over a folder tree: the folder list in depth-first pre-order
// and, when asked for, the plug-in files of each listed folder, both from
// one search of each folder.
class FolderWalk {
public:
    FolderWalk(std::vector<std::string> &list, std::vector<std::vector<std::string>> *pluginsByFolder)
        : list_(list), pluginsByFolder_(pluginsByFolder)
    {
        if (pluginsByFolder_)
            pluginsByFolder_->resize(list_.size());
    }

    // folder is entry index of the list, depth levels below its first entry.
    void Collect(const std::string &folder, size_t index, int depth)
    {
        // A pattern that does not fit would be cut short into some other
        // folder's pattern: such a folder is skipped.
        if (!SearchPatternFits(folder))
            return;
        // Read wide: each entry is listed by a name that names it.
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((WideFromAnsi(folder) + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            if (found.cFileName[0] == L'.')
                continue;
            std::string entry = EntryName(found);
            if (entry.empty())
                continue; // outside the code page, with no short name
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (depth < DeepestPluginFolder)
                    Descend(folder + entry + "\\", found.dwFileAttributes, depth + 1);
            } else if (pluginsByFolder_ && HasPluginAttributes(found.dwFileAttributes)) {
                std::string name = LowerCaseLetters(entry);
                if (IsPluginFileName(name))
                    (*pluginsByFolder_)[index].push_back(folder + name);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

private:
    void Descend(const std::string &entry, DWORD attributes, int depth)
    {
        if (!SearchPatternFits(entry))
            return;
        // Only through a directory link (a symbolic link, a junction, a
        // mount point; under Wine a Unix symlink) can the walk come back to
        // a folder already listed, and it would then never end: from the
        // first link on, every folder's identity is compared with those
        // listed. A tree without links costs no more calls than its
        // searches.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            linkSeen_ = true;
        if (linkSeen_) {
            IdentifyListedFolders();
            FolderIdentity identity;
            if (ReadFolderIdentity(entry, identity) && !seen_.insert(identity).second)
                return;
            // Listed below with its identity already known.
            ++identified_;
        }
        list_.push_back(entry);
        if (pluginsByFolder_)
            pluginsByFolder_->emplace_back();
        size_t index = list_.size() - 1;
        // A copy: list_ moves as it grows.
        std::string folder = list_[index];
        Collect(folder, index, depth);
    }

    // The identities of the folders listed before the first link. One whose
    // identity cannot be read stays unknown; the depth limit bounds any
    // loop it closes.
    void IdentifyListedFolders()
    {
        for (; identified_ < list_.size(); ++identified_) {
            FolderIdentity identity;
            if (ReadFolderIdentity(list_[identified_], identity))
                seen_.insert(identity);
        }
    }

    std::vector<std::string> &list_;
    std::vector<std::vector<std::string>> *pluginsByFolder_;
    std::set<FolderIdentity> seen_;
    size_t identified_ = 0; // entries of list_ whose identities are in seen_
    bool linkSeen_ = false;
};

} // namespace

void CollectSubfolders(std::string folder, std::vector<std::string> &list)
{
    // folder is a copy: it may be an entry of list, which moves as it grows.
    // Its depth below the first entry: one level for every "\" it adds.
    int depth = 0;
    if (!list.empty() && folder.compare(0, list.front().size(), list.front()) == 0) {
        for (size_t i = list.front().size(); i < folder.size(); ++i)
            depth += folder[i] == '\\';
    }
    size_t index = size_t(std::find(list.begin(), list.end(), folder) - list.begin());
    FolderWalk(list, nullptr).Collect(folder, index, depth);
}

std::vector<std::string> FindPluginFiles(const std::string &folder)
{
    std::vector<std::string> folders{StartFolder(folder)};
    std::vector<std::vector<std::string>> pluginsByFolder;
    std::string start = folders.front();
    FolderWalk(folders, &pluginsByFolder).Collect(start, 0, 0);
    // Folder by folder, in the order of the list.
    std::vector<std::string> plugins;
    for (std::vector<std::string> &inFolder : pluginsByFolder) {
        for (std::string &path : inFolder)
            plugins.push_back(std::move(path));
    }
    return plugins;
}

} // namespace audiolink

using namespace audiolink;
using namespace audiolink::bass;

extern "C" {

BSTR __stdcall BASSVISFINDPLUGINS(const char *folder, DWORD)
{
    return Shielded<BSTR>(nullptr, [&] {
        // A folder text this long could never be searched; reading stops
        // there rather than at a zero byte that may never come.
        constexpr size_t longestFolderText = 32767;
        std::string start(LeadingText(folder, longestFolderText));
        return NewByteString(JoinPluginList(FindPluginFiles(start)));
    });
}

DWORD __stdcall BASSSONIQUECREATEVIS(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3, DWORD_PTR value4, DWORD_PTR value5)
{
    return CallOr<entry::BASS_SONIQUEVIS_CreateVis>(0, value1, value2, value3, value4, value5);
}

void __stdcall BASSSONIQUEFREE(DWORD vis)
{
    Call<entry::BASS_SONIQUEVIS_Free>(vis);
}

const char *__stdcall BASSSONIQUEGETNAME(DWORD vis)
{
    return CallOr<entry::BASS_SONIQUEVIS_GetName>(nullptr, vis);
}

DWORD __stdcall BASSSONIQUECLICKED(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3)
{
    return CallOr<entry::BASS_SONIQUEVIS_Clicked>(0, value1, value2, value3);
}

void __stdcall BASSSONIQUERESIZE(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3)
{
    Call<entry::BASS_SONIQUEVIS_Resize>(value1, value2, value3);
}

DWORD __stdcall BASSSONIQUERENDER(DWORD_PTR value1, DWORD_PTR value2, DWORD_PTR value3)
{
    return CallOr<entry::BASS_SONIQUEVIS_Render>(0, value1, value2, value3);
}

DWORD __stdcall BASSVISGETCONFIG(DWORD option)
{
    return CallOr<entry::BASS_VIS_GetConfig>(0, option);
}

void __stdcall BASSVISSETCONFIG(DWORD option, DWORD value)
{
    Call<entry::BASS_VIS_SetConfig>(option, value);
}

} // extern "C"
