// Files written and read back whole by the Wine tests, and what names a
// file.
#pragma once
#include <windows.h>

#include <string>

namespace wholefile {

// Writes the bytes as the file's whole content; false when any of it failed.
inline bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// The file's bytes, or "<missing>" when it cannot be opened. Others may
// hold it open for writing meanwhile.
inline std::string ReadWholeFile(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
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

// The file (or folder) a path names, however the path is written: its
// volume and file index, "" when it names none.
inline std::string IdentityOfHandle(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION information{};
    std::string identity;
    if (file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &information))
        identity = std::to_string(information.dwVolumeSerialNumber) + ":" +
                   std::to_string(information.nFileIndexHigh) + ":" + std::to_string(information.nFileIndexLow);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return identity;
}

constexpr DWORD kAnyShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

inline std::string IdentityOf(const std::string &path)
{
    if (path.empty())
        return "";
    return IdentityOfHandle(
        CreateFileA(path.c_str(), 0, kAnyShare, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

inline std::string IdentityOf(const std::wstring &path)
{
    return IdentityOfHandle(
        CreateFileW(path.c_str(), 0, kAnyShare, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Code-page text and wide text, as the platform converts them.
inline std::wstring Wide(const std::string &ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], int(wide.size()))));
    return wide;
}

inline std::string Ansi(const std::wstring &wide)
{
    // Up to three bytes a unit in UTF-8.
    std::string ansi(wide.size() * 3, '\0');
    ansi.resize(size_t(
        WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &ansi[0], int(ansi.size()), nullptr, nullptr)));
    return ansi;
}

} // namespace wholefile
