// The application manifests of the shipped programs (helpview.exe,
// helpview-send.exe): the text of resource 1 of type RT_MANIFEST, and what
// the system reads from it when it makes the program's activation context.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "module_version.h"

namespace {

const char *const Programs[] = {"helpview.exe", "helpview-send.exe"};

std::string BinFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + "..\\bin\\";
}

// The manifest's text, empty when the program has none.
std::string ManifestText(const std::string &program)
{
    HMODULE module = LoadLibraryExA((BinFolder() + program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded)
        text.assign(static_cast<const char *>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// The activation context the system makes from the program's manifest.
struct ManifestContext {
    explicit ManifestContext(const std::string &program)
    {
        std::string path = BinFolder() + program;
        std::wstring wide(path.begin(), path.end());
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = wide.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        handle = CreateActCtxW(&request);
        error = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    }
    ~ManifestContext()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ReleaseActCtx(handle);
    }
    ManifestContext(const ManifestContext &) = delete;
    ManifestContext &operator=(const ManifestContext &) = delete;

    template <typename T> bool Query(ULONG infoClass, T *info, SIZE_T size = sizeof(T)) const
    {
        return QueryActCtxW(0, handle, nullptr, infoClass, info, size, nullptr) != FALSE;
    }

    // The systems of the compatibility list, in order. Later systems grew
    // the list's element by a 64-bit field, which also aligns the list: its
    // layout follows from the size written.
    std::vector<GUID> SupportedSystems() const
    {
        alignas(8) BYTE buffer[1024] = {};
        SIZE_T written = 0;
        if (!QueryActCtxW(0, handle, nullptr, CompatibilityInformationInActivationContext, buffer, sizeof buffer,
                          &written))
            return {};
        DWORD count = 0;
        std::memcpy(&count, buffer, sizeof count);
        size_t offset = 4, stride = 20; // GUID, type
        if (written != offset + stride * count) {
            offset = 8;
            stride = 32; // GUID, type, highest version tested
        }
        std::vector<GUID> systems;
        for (DWORD n = 0; n < count && offset + stride * (n + 1) <= sizeof buffer; ++n) {
            GUID id;
            DWORD type = 0;
            std::memcpy(&id, buffer + offset + stride * n, sizeof id);
            std::memcpy(&type, buffer + offset + stride * n + sizeof id, sizeof type);
            if (type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
                systems.push_back(id);
        }
        return systems;
    }

    HANDLE handle;
    DWORD error;
};

TEST(ProgramManifest, NamesTheProgramItsVersionAndThisBuildsProcessor)
{
#ifdef _WIN64
    const std::string processor = "processorArchitecture=\"amd64\"";
#else
    const std::string processor = "processorArchitecture=\"x86\"";
#endif
    for (const char *program : Programs) {
        std::string text = ManifestText(program);
        ASSERT_FALSE(text.empty()) << program << " has no manifest (resource 1 of type RT_MANIFEST)";
        std::string name(program, std::string(program).find('.'));
        EXPECT_NE(text.find("name=\"" + name + "\" version=\"" TARN_VERSION_TEXT "\" " + processor), std::string::npos)
            << program << ":\n" << text;
        // No side-by-side assembly: common controls 6 would restyle the viewer.
        EXPECT_EQ(text.find("<dependency"), std::string::npos) << program << ":\n" << text;
        // UTF-8 is the programs' code page, where the system reads it.
        EXPECT_NE(text.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">"
                            "UTF-8</activeCodePage>"),
                  std::string::npos)
            << program;
        // Neither later DPI setting: the programs draw in fixed pixels.
        EXPECT_EQ(text.find("dpiAwareness"), std::string::npos) << program;
        EXPECT_EQ(text.find("gdiScaling"), std::string::npos) << program;
    }
}

TEST(ProgramManifest, TheSystemReadsAsInvokerTheSupportedSystemsNoDpiAwarenessAndUtf8)
{
    // Vista, 7, 8, 8.1, 10 and 11; XP and Server 2003 read no such list.
    const GUID systems[] = {
        {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    // Windows 7 on: XP's kernel32 has no settings to query.
    using QuerySettings = BOOL(WINAPI *)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T *);
    auto querySettings = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    for (const char *program : Programs) {
        ManifestContext context(program);
        ASSERT_NE(context.handle, INVALID_HANDLE_VALUE)
            << "the system refused the manifest of " << program << " (error " << context.error << ")";

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        ASSERT_TRUE(context.Query(RunlevelInformationInActivationContext, &level)) << program;
        EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER) << program;
        EXPECT_EQ(level.UiAccess, 0u) << program;

        std::vector<GUID> listed = context.SupportedSystems();
        ASSERT_EQ(listed.size(), std::size(systems)) << program;
        for (size_t n = 0; n < listed.size(); ++n)
            EXPECT_TRUE(IsEqualGUID(listed[n], systems[n])) << program << ": system " << n;

        if (!querySettings)
            continue;
        wchar_t value[32] = {};
        SIZE_T written = 0;
        ASSERT_TRUE(querySettings(0, context.handle, nullptr, L"dpiAware", value, 32, &written))
            << program << ": no dpiAware setting (error " << GetLastError() << ")";
        EXPECT_STREQ(value, L"false") << program;
        ASSERT_TRUE(querySettings(0, context.handle, L"http://schemas.microsoft.com/SMI/2019/WindowsSettings",
                                  L"activeCodePage", value, 32, &written))
            << program << ": no activeCodePage setting (error " << GetLastError() << ")";
        EXPECT_STREQ(value, L"UTF-8") << program;
    }
}

} // namespace
