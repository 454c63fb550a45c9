// Name functions: the program's name, splitting names, the temporary folder,
// whether a file exists, error texts and the drive list.
#include <themekit.h>

#include <new>
#include <string>

#include "byte_string.h"
#include "text_rules.h"

namespace themekit {

namespace {

// Beyond this even a "\\?\" name cannot go.
constexpr DWORD LongestName = 32768;

std::string ProgramName()
{
    std::string name(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &name[0], DWORD(name.size()));
        if (length == 0)
            return std::string();
        // A name that does not fit comes back cut to the buffer, its length
        // equal to the buffer's size (and, on XP, without its terminator).
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        if (name.size() >= LongestName)
            return std::string();
        name.resize(name.size() * 2);
    }
}

std::string TempFolder()
{
    std::string folder(MAX_PATH + 1, '\0');
    DWORD length = GetTempPathA(DWORD(folder.size()), &folder[0]);
    if (length >= folder.size()) {
        // Too small: the answer is the size needed, terminator included.
        folder.assign(length, '\0');
        length = GetTempPathA(DWORD(folder.size()), &folder[0]);
        if (length >= folder.size())
            length = 0;
    }
    folder.resize(length);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder.push_back('\\');
    return folder;
}

std::string ErrorText(DWORD code)
{
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    if (length == 0 || !text)
        return std::string(); // a code the system has no text for
    std::string line;
    try {
        line = OneLineMessage(std::string_view(text, length));
    } catch (const std::bad_alloc &) {
    }
    LocalFree(text);
    return line;
}

std::string DriveList()
{
    DWORD present = GetLogicalDrives();
    DWORD cd = 0;
    char root[] = "A:\\";
    for (int drive = 0; drive < 26; ++drive) {
        DWORD bit = DWORD(1) << drive;
        if (!(present & bit))
            continue;
        root[0] = char('A' + drive);
        if (GetDriveTypeA(root) == DRIVE_CDROM)
            cd |= bit;
    }
    return FormatDriveList(present, cd);
}

// The exports below hand texts back as byte strings; none may let an
// allocation failure escape into the host program, which gets the null
// byte string (the empty text) instead.
template <typename Make> BSTR ByteStringOf(Make make)
{
    try {
        return MakeByteString(make());
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

} // namespace themekit

using namespace themekit;

extern "C" {

BSTR __stdcall THEXENAME(void)
{
    return ByteStringOf(ProgramName);
}

int __stdcall THSPLITN(const char *fullName, BSTR *folder, BSTR *fileName)
{
    try {
        NameParts parts = SplitName(TextArgument(fullName));
        StoreByteString(folder, parts.folder);
        StoreByteString(fileName, parts.file);
    } catch (const std::bad_alloc &) {
        StoreByteString(folder, {});
        StoreByteString(fileName, {});
    }
    return 0;
}

BSTR __stdcall THGETTEMPPATH(void)
{
    return ByteStringOf(TempFolder);
}

int __stdcall THEXIST(const char *name)
{
    // A pattern names no single file, whatever a file system makes of '*'
    // and '?' in a name.
    std::string_view text = TextArgument(name);
    if (text.empty() || HasWildcard(text))
        return 0;
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return -1;
}

BSTR __stdcall THWINERR(int code)
{
    return ByteStringOf([code] { return ErrorText(DWORD(code)); });
}

BSTR __stdcall THDSKLIST(void)
{
    return ByteStringOf(DriveList);
}

} // extern "C"
