// A second process for the folder-tree utility test. It opens a window and
// tells the test its handle; every WM_COPYDATA it receives it sends straight
// back to the test's window (wParam, dwData and cbData, then the bytes) and
// answers 1000 + cbData. WM_CLOSE ends it.
//   foldertree_copydata_peer.exe <test window handle in hex>
#include <windows.h>

#include <cstdlib>
#include <vector>

namespace {

HWND TestWindow = nullptr;
constexpr UINT kPeerReady = WM_APP + 1;

LRESULT CALLBACK PeerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA: {
        const auto *received = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        std::vector<char> echo(3 * sizeof(DWORD) + received->cbData);
        DWORD header[3] = {DWORD(wParam), DWORD(received->dwData), received->cbData};
        memcpy(echo.data(), header, sizeof header);
        if (received->cbData)
            memcpy(echo.data() + sizeof header, received->lpData, received->cbData);
        COPYDATASTRUCT reply{1, DWORD(echo.size()), echo.data()};
        SendMessageA(TestWindow, WM_COPYDATA, WPARAM(window), LPARAM(&reply));
        return 1000 + received->cbData;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    TestWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(commandLine, nullptr, 16)));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PeerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "FolderTreeCopyDataPeer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "peer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                  nullptr, instance, nullptr);
    if (!window)
        return 1;
    PostMessageA(TestWindow, kPeerReady, WPARAM(window), 0);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
