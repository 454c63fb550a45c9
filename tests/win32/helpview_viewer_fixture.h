// The fixture of the tests that run the real viewer with the recording test
// control as its "Shell.Explorer.2": the control registered while the test
// program runs, and for each test a fresh call log and no placement file.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "helpview_process.h"
#include "testbrowser/test_browser.h"

namespace hvtest {

inline testbrowser::Library &TestControls()
{
    static testbrowser::Library library;
    return library;
}

// The recorded text in 7-bit characters, '?' for any other.
inline std::string Narrow(const std::wstring &text)
{
    std::string bytes;
    for (wchar_t c : text)
        bytes += c < 0x80 ? char(c) : '?';
    return bytes;
}

// The skinned window that holds the viewer's buttons, status line and control.
inline HWND HolderOf(HWND main)
{
    return FindWindowExA(main, nullptr, "THCLIP", nullptr);
}

// Closes the viewer with its command and gives the exit code.
inline DWORD CloseViewer(Viewer &viewer)
{
    HWND window = viewer.Window();
    if (!window)
        return STILL_ACTIVE;
    EXPECT_EQ(SendCommand(window, 10, ""), 1);
    return viewer.WaitForExit();
}

class ViewerTest : public ::testing::Test {
protected:
    // The call log's file name, in the temporary folder.
    explicit ViewerTest(const wchar_t *logName) : logName_(logName) {}

    static void SetUpTestSuite()
    {
        ASSERT_TRUE(TestControls().Loaded());
        ASSERT_EQ(TestControls().Register(testbrowser::AsWebBrowser), S_OK);
    }
    static void TearDownTestSuite() { TestControls().Unregister(); }

    void SetUp() override
    {
        DeleteFileA(PlacementPath().c_str());
        log_ = testbrowser::StartLog(logName_);
    }
    void TearDown() override
    {
        testbrowser::StopLog();
        DeleteFileA(PlacementPath().c_str());
    }

    // The addresses the viewer navigated to so far, once there are at least
    // count: each as the control was given it.
    std::vector<std::wstring> Navigations(const Viewer &viewer, size_t count = 1, DWORD milliseconds = 5000) const
    {
        DWORD start = GetTickCount();
        std::vector<testbrowser::Call> calls;
        do {
            calls.clear();
            for (const testbrowser::Call &call : testbrowser::CallsOf(testbrowser::ReadLog(log_), "Navigate"))
                if (call.process == viewer.Id())
                    calls.push_back(call);
            if (calls.size() >= count)
                break;
            Sleep(10);
        } while (GetTickCount() - start < milliseconds);
        std::vector<std::wstring> urls;
        for (const testbrowser::Call &call : calls) {
            // The control writes a string argument as "bstr:" and its text.
            std::wstring url = call.args.empty() ? L"(none)" : call.args[0];
            urls.push_back(url.compare(0, 5, L"bstr:") == 0 ? url.substr(5) : L"(not a string) " + url);
            // URL, then the four optional arguments, all missing.
            EXPECT_EQ(call.args.size(), 5u);
            for (size_t i = 1; i < call.args.size(); ++i)
                EXPECT_EQ(Narrow(call.args[i]), "missing") << "argument " << i;
        }
        return urls;
    }

    std::wstring log_;

private:
    const wchar_t *logName_;
};

} // namespace hvtest
