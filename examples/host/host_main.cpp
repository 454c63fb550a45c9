// host.exe: an example of the media application around the three modules.
//   host.exe                          the application, for a person to use
//   host.exe /tour [/short] [/out F]  the scripted tour; pictures and the
//                                     summary go to folder F (default: the
//                                     current folder); exit code 0 when
//                                     every step went as planned; the
//                                     rendering engine's output goes to
//                                     F\tour-output.wav unless
//                                     TARN_ENGINE_OUTPUT names a file
#include "host_app.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

namespace {

std::string Narrow(const wchar_t *text)
{
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size_t(size) : 1, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(result.find('\0'));
    return result;
}

std::string FullFolder(const std::string &folder)
{
    char full[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    std::string result = length > 0 && length < MAX_PATH ? full : folder;
    if (!result.empty() && result.back() != '\\')
        result += '\\';
    return result;
}

host::TourOptions ReadCommandLine()
{
    host::TourOptions options;
    options.outFolder = ".";
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; arguments && i < count; ++i) {
        std::string argument = Narrow(arguments[i]);
        if (lstrcmpiA(argument.c_str(), "/tour") == 0)
            options.enabled = true;
        else if (lstrcmpiA(argument.c_str(), "/short") == 0)
            options.shortRun = true;
        else if (lstrcmpiA(argument.c_str(), "/out") == 0 && i + 1 < count)
            options.outFolder = Narrow(arguments[++i]);
    }
    // "C:\Out\" in quotes reaches us as C:\Out" (the backslash escapes the
    // quote): take the folder meant.
    if (!options.outFolder.empty() && options.outFolder.back() == '"')
        options.outFolder.pop_back();
    LocalFree(arguments);
    options.outFolder = FullFolder(options.outFolder);
    return options;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The folder tree speaks to the shell through COM on this thread.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    host::TourOptions tour = ReadCommandLine();
    if (tour.enabled) {
        CreateDirectoryA(tour.outFolder.c_str(), nullptr);
        // The rendering engine writes what it plays to the file this names,
        // from its first output initialisation on.
        if (!GetEnvironmentVariableA(host::kEngineOutputVariable, nullptr, 0))
            SetEnvironmentVariableA(host::kEngineOutputVariable, (tour.outFolder + "tour-output.wav").c_str());
    }
    int exitCode = 1;
    if (host::CreateMainWindow(instance, tour)) {
        MSG message{};
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exitCode = int(message.wParam);
    }
    OleUninitialize();
    return exitCode;
}
