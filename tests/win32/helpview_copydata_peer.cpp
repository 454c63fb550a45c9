// Another program that drives a running viewer with its navigate command
// (WM_COPYDATA 3) as fast as it can: count sends, every seventh with a size
// that does not fit what it carries. The exit code is the number of sends
// that got no answer of 1.
//   helpview_copydata_peer <viewer window, hex> <count> <address>
#include <windows.h>

#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 4)
        return 1000000;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(argv[1], nullptr, 16)));
    int count = std::atoi(argv[2]);
    std::string address = argv[3];
    std::string unterminated(4096, 'u');
    unsigned unanswered = 0;
    for (int i = 0; i < count; ++i) {
        std::string text = address + "?n=" + std::to_string(i);
        COPYDATASTRUCT data{};
        data.dwData = 3;
        data.cbData = DWORD(text.size());
        data.lpData = &text[0];
        WPARAM length = text.size();
        switch (i % 7) {
        case 1: // no data at all, and a length that says there is
            data.cbData = 0;
            data.lpData = nullptr;
            length = 100000;
            break;
        case 3: // bytes with no end, and a length far beyond them
            data.cbData = DWORD(unterminated.size());
            data.lpData = &unterminated[0];
            length = 0xFFFFFFFF;
            break;
        case 5: // a length longer than the bytes sent
            length = text.size() + 5000;
            break;
        default:
            break;
        }
        DWORD_PTR reply = 0;
        if (!SendMessageTimeoutA(window, WM_COPYDATA, length, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000,
                                 &reply) ||
            reply != 1)
            ++unanswered;
    }
    return int(unanswered);
}
