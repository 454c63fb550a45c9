// The modules of the audio library's family, which the test doubles stand
// in for, looked for where a module loaded by name is searched for. A case
// that leaves one out on purpose ("none", "bass-only") expects the search to
// find nothing else: another program's module of the same name would be
// loaded instead. The bundle's runner keeps such folders off the programs'
// PATH; the test programs name what is left at their start.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "search_path.h"

namespace audiofamily {

// The first of the family's modules in the folder, as its file name, or
// empty.
inline std::wstring ModuleIn(const std::wstring &folder)
{
    for (const wchar_t *name : {L"BASS.DLL", L"BASSCD.DLL", L"BASSENC.DLL", L"BASSWMA.DLL", L"BASS_VIS.DLL"}) {
        DWORD attributes = GetFileAttributesW((folder + L"\\" + name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return name;
    }
    return {};
}

// The process's PATH, as it stands.
inline std::wstring Path()
{
    std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), DWORD(path.size())));
    return path;
}

} // namespace audiofamily
