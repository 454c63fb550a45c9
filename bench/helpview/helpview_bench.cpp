// The viewer's start-up (process start to main window visible) and the
// WM_COPYDATA round trip (send to navigation recorded by the control), each
// over 20 runs, with median and worst.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "helpview_process.h"
#include "testbrowser/test_browser.h"
#include "bench_architecture.h"
#include "bench_clock.h"

using namespace hvtest;

namespace {

constexpr int Runs = 20;

void Report(const char *what, std::vector<double> times)
{
    if (times.empty()) {
        std::printf("%-44s no runs succeeded\n", what);
        return;
    }
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%-44s median %8.1f ms   worst %8.1f ms   (%zu runs)\n", what, median, times.back(), n);
}

bool Close(Viewer &viewer)
{
    HWND window = viewer.Window(0);
    return window && SendCommand(window, 10, "") == 1 && viewer.WaitForExit() == 0;
}

std::vector<double> StartUp(const ViewerFiles &files)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        double start = BenchMilliseconds();
        Viewer viewer(files, "");
        HWND window = viewer.Started() ? viewer.Window() : nullptr;
        double shown = BenchMilliseconds();
        if (window)
            times.push_back(shown - start);
        Close(viewer);
    }
    return times;
}

bool Navigated(const std::wstring &log, DWORD process, const std::wstring &url)
{
    for (const testbrowser::Call &call : testbrowser::CallsOf(testbrowser::ReadLog(log), "Navigate"))
        if (call.process == process && !call.args.empty() && call.args[0] == L"bstr:" + url)
            return true;
    return false;
}

std::vector<double> RoundTrips(const ViewerFiles &files, const std::wstring &log)
{
    std::vector<double> times;
    Viewer viewer(files, "");
    HWND window = viewer.Window();
    if (!window)
        return times;
    for (int run = 0; run < Runs; ++run) {
        // The viewer pauses 50 ms after each navigation; start from idle.
        Sleep(100);
        std::string url = "http://example.org/run" + std::to_string(run);
        std::wstring wide(url.begin(), url.end());
        double start = BenchMilliseconds();
        if (SendCommand(window, 3, url) != 1)
            continue;
        bool seen = false;
        while (!(seen = Navigated(log, viewer.Id(), wide)) && BenchMilliseconds() - start < 5000)
            Sleep(0);
        if (seen)
            times.push_back(BenchMilliseconds() - start);
    }
    Close(viewer);
    return times;
}

} // namespace

int main()
{
    ViewerFiles files = PrepareViewer("bench");
    std::printf("[%s] helpview: %d runs each\n", BenchArchitecture, Runs);
    Report("start-up, platform browser control", StartUp(files));

    testbrowser::Library controls;
    if (!controls.Loaded() || controls.Register(testbrowser::AsWebBrowser) != S_OK) {
        std::printf("the test browser control is not available: no round trips\n");
        return 1;
    }
    std::wstring log = testbrowser::StartLog(L"helpview_bench.log");
    Report("start-up, test browser control", StartUp(files));
    Report("WM_COPYDATA 3 to navigation recorded", RoundTrips(files, log));
    testbrowser::StopLog();
    controls.Unregister();
    DeleteFileA(PlacementPath().c_str());
    return 0;
}
