// The fixture of the tests that run the real viewer with the recording test
// control as its "Shell.Explorer.2": the control registered while the test
// program runs, and for each test a fresh call log and no placement file.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

    std::wstring log_;

private:
    const wchar_t *logName_;
};

} // namespace hvtest
