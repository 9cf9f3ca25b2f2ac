// The summary's display texts and the component's path parts, natively.
#include <gtest/gtest.h>

#include "frame/pure/paths.h"
#include "osinfo/pure/system_summary.h"

using namespace orvi;

TEST(WindowsName, EveryKnownNameEndsWithABlank) {
    struct Row { short major, minor; const wchar_t* name; };
    const Row rows[] = {{3, 0, L"Windows "}, {3, 5, L"Windows NT "}, {3, 50, L"Windows "}, {3, 51, L"Windows "},
                        {4, 0, L"Windows NT "}, {4, 10, L"Windows 98 "}, {4, 90, L"Windows ME "}, {4, 3, L"Windows ME "},
                        {5, 0, L"Windows 2000 "}, {5, 1, L"Windows XP "}, {5, 2, L"Windows 2000 "},
                        {6, 0, L"Windows Unknown Version"}, {10, 0, L"Windows Unknown Version"},
                        {0, 0, L"Windows Unknown Version"}, {-1, 1, L"Windows Unknown Version"}};
    for (const Row& row : rows) EXPECT_EQ(row.name, summary::WindowsName(row.major, row.minor)) << row.major << "." << row.minor;
}

TEST(SummaryTexts, NumbersInPlainDecimal) {
    EXPECT_EQ(L"5.1 (Build 2600)", summary::VersionText(5, 1, 2600));
    EXPECT_EQ(L"4.10 (Build 67766222)", summary::VersionText(4, 10, 0x040A07CE));
    EXPECT_EQ(L"0.0 (Build -1)", summary::VersionText(0, 0, -1));
    EXPECT_EQ(L"Internet Explorer 6.0.2900", summary::BrowserText(6, 0, 2900));
    EXPECT_EQ(L"Intel Pentium", summary::ProcessorName(586));
    EXPECT_EQ(L"(unknown)", summary::ProcessorName(8664));
    EXPECT_EQ(L"(unknown)", summary::ProcessorName(0));
}

TEST(SummaryTexts, KilobytesUnroundedAndBounded) {
    EXPECT_EQ(1.5, summary::Kilobytes(1536));
    EXPECT_EQ(4194303.9990234375, summary::Kilobytes(0xFFFFFFFFu));
    EXPECT_EQ(2147483647.0, summary::Kilobytes(~0ull));
}

TEST(ComponentPath, FolderAndBaseName) {
    EXPECT_EQ(L"C:\\Program Files\\Orvi", paths::FolderOf(L"C:\\Program Files\\Orvi\\orvilib10.dll"));
    EXPECT_EQ(L"C:\\", paths::FolderOf(L"C:\\orvilib10.dll"));
    EXPECT_EQ(L"\\\\server\\share", paths::FolderOf(L"\\\\server\\share\\orvilib10.dll"));
    EXPECT_EQ(L"", paths::FolderOf(L"orvilib10.dll"));
    EXPECT_EQ(L"orvilib10", paths::BaseNameOf(L"C:\\Program Files\\Orvi\\orvilib10.dll"));
    EXPECT_EQ(L"my.lib", paths::BaseNameOf(L"C:\\x.y\\my.lib.dll"));
    EXPECT_EQ(L"noext", paths::BaseNameOf(L"C:\\x.y\\noext"));
}
