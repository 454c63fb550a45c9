// The test bundle runner's reading of its program list and of the test
// framework's output, and the lines it prints.
#include <gtest/gtest.h>

#include "test-bundle/search_path.h"
#include "test-bundle/test_report.h"

using namespace testbundle;

TEST(ProgramList, NamesWithOptionalLimitsAndNothingElse)
{
    std::vector<ListedProgram> programs = ParseProgramList("# a comment\r\n"
                                                           "first_test.exe 300\r\n"
                                                           "\n"
                                                           "   second_test.exe\t45  \n"
                                                           "bare_test.exe\n"
                                                           "bad_limit.exe 30x\n"
                                                           "zero_limit.exe 0\n"
                                                           "too_long.exe 9999999\n"
                                                           "last.exe 7");
    ASSERT_EQ(programs.size(), 4u);
    EXPECT_EQ(programs[0].name, "first_test.exe");
    EXPECT_EQ(programs[0].limitSeconds, 300);
    EXPECT_EQ(programs[1].name, "second_test.exe");
    EXPECT_EQ(programs[1].limitSeconds, 45);
    EXPECT_EQ(programs[2].name, "bare_test.exe");
    EXPECT_EQ(programs[2].limitSeconds, 0) << "the runner's default";
    EXPECT_EQ(programs[3].name, "last.exe") << "a last line without its line end";
    EXPECT_TRUE(ParseProgramList("").empty());
    EXPECT_TRUE(ParseProgramList("\n\n# only comments\n").empty());
}

TEST(SkippedCases, EachWithTheFirstLineOfItsReasonCountedOnce)
{
    const char *output = "[ RUN      ] Disk.Fills\r\n"
                         "C:\\src\\disk_test.cpp(77): Skipped\r\n"
                         "this program needs its run's file-size limit\r\n"
                         "and a second line\r\n"
                         "[  SKIPPED ] Disk.Fills (0 ms)\r\n"
                         "[ RUN      ] Disk.Plain\n"
                         "[       OK ] Disk.Plain (3 ms)\n"
                         "[ RUN      ] Links.Quiet\n"
                         "/src/links_test.cpp:12: Skipped\n"
                         "\n"
                         "[  SKIPPED ] Links.Quiet (1 ms)\n"
                         "[==========] 3 tests ran.\n"
                         "[  SKIPPED ] 2 tests, listed below:\n"
                         "[  SKIPPED ] Disk.Fills\n"
                         "[  SKIPPED ] Links.Quiet\n";
    std::vector<SkippedCase> cases = SkippedCases(output);
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(cases[0].name, "Disk.Fills");
    EXPECT_EQ(cases[0].reason, "this program needs its run's file-size limit");
    EXPECT_EQ(cases[1].name, "Links.Quiet");
    EXPECT_EQ(cases[1].reason, "") << "skipped without a reason";
    EXPECT_TRUE(SkippedCases("[       OK ] A.B (1 ms)\nSkipped\n").empty());
    EXPECT_TRUE(SkippedCases("").empty());
}

TEST(SearchPath, FoldersInOrderWithoutQuotesOrEmptyEntries)
{
    std::vector<std::wstring> folders =
        SearchPathFolders(L"C:\\Windows\\system32;;\"C:\\Program Files\\Tools\";D:\\a;b\\;\"\";");
    std::vector<std::wstring> expected{L"C:\\Windows\\system32", L"C:\\Program Files\\Tools", L"D:\\a", L"b\\"};
    EXPECT_EQ(folders, expected);
    EXPECT_TRUE(SearchPathFolders(L"").empty());
    EXPECT_TRUE(SearchPathFolders(L";;").empty());
    EXPECT_EQ(SearchPathFolders(L"only"), std::vector<std::wstring>{L"only"});
}

TEST(ReportLines, OutcomesSkipsAndTheSummary)
{
    EXPECT_EQ(ResultLine("win64\\a.exe", Outcome::Passed, 0, 12, 0), "win64\\a.exe: passed (12 s)");
    EXPECT_EQ(ResultLine("a.exe", Outcome::Passed, 0, 0, 1), "a.exe: passed (0 s), 1 case skipped");
    EXPECT_EQ(ResultLine("a.exe", Outcome::Failed, 3221225477ul, 2, 2),
              "a.exe: FAILED (exit code 3221225477, 2 s), 2 cases skipped");
    EXPECT_EQ(ResultLine("a.exe", Outcome::TimedOut, 1, 300, 0), "a.exe: TIMED OUT after 300 s");
    EXPECT_EQ(ResultLine("a.exe", Outcome::NotStarted, 0, 0, 0), "a.exe: FAILED (could not be started)");
    EXPECT_EQ(SummaryLine(28, 0), "28 passed, 0 failed");
}
