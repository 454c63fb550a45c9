// The DirectX probe: the major version from the version text DirectX keeps
// in the registry. It needs no audio library.
#include "audiolink.h"

#include <algorithm>
#include <vector>

#include "byte_strings.h"
#include "directx_version.h"
#include "media_state.h"

using namespace audiolink;

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;
    HKEY *Receiver() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The value's first bytes, at most ScratchTextLimit of them, into
// PathBuffer with a terminator after them. False, with PathBuffer empty,
// when the value is missing or cannot be read.
bool ReadVersionIntoPathBuffer(HKEY key)
{
    PathBuffer[0] = '\0';
    DWORD size = 0;
    if (RegQueryValueExA(key, "Version", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // A longer value cannot be read in part: read it whole, keep its start.
    std::vector<BYTE> value(size + 1);
    DWORD read = size;
    if (RegQueryValueExA(key, "Version", nullptr, nullptr, value.data(), &read) != ERROR_SUCCESS)
        return false;
    size_t kept = std::min<size_t>(std::min<DWORD>(read, size), ScratchTextLimit);
    memcpy(PathBuffer, value.data(), kept);
    PathBuffer[kept] = '\0';
    return true;
}

} // namespace

extern "C" {

int __stdcall BASSDIRECTXVERSION(void)
{
    return Shielded(0, [] {
        constexpr REGSAM readAccess = 0x20019; // KEY_READ
        RegistryKey key;
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX", 0, readAccess, key.Receiver());
        // Judged by the handle, which stays null when the key does not open.
        if (!key.Get())
            return 0;
        if (!ReadVersionIntoPathBuffer(key.Get()))
            return 0;
        return DirectXMajorVersion(PathBuffer);
    });
}

} // extern "C"
