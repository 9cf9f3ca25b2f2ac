// Shell, timing and about-box rules, natively under the sanitizers.
#include <gtest/gtest.h>

#include "machine/pure/about_texts.h"
#include "utilities/pure/shell_rules.h"

using namespace orvi;

TEST(ZeroPad, PadsNumbersAndKeepsLongerTexts) {
    EXPECT_EQ(L"0084", shell::ZeroPad(L"84", 4));
    EXPECT_EQ(L"00", shell::ZeroPad(L"0", 2));
    EXPECT_EQ(L"123456", shell::ZeroPad(L"123456", 4));
    EXPECT_EQ(L"ab", shell::ZeroPad(L"ab", 4));
    EXPECT_EQ(L"", shell::ZeroPad(L"", 3));
    EXPECT_EQ(L"1.00.0084", shell::VersionText(1, 0, 84));
    EXPECT_EQ(L"2.10.12345", shell::VersionText(2, 10, 12345));
}

TEST(DllBaseAddress, RangeFormatAndOverflow) {
    EXPECT_EQ(L"&H1000000", shell::DllBaseAddressFor(0.0f));
    // n = 6844 gives 0x1ABC0000.
    EXPECT_EQ(L"&H1abc0000", shell::DllBaseAddressFor(static_cast<float>((6844.0 - 256.0) / 32513.0)));
    EXPECT_EQ(L"&H7fff0000", shell::DllBaseAddressFor(static_cast<float>((32767.0 - 256.0) / 32513.0)));
    EXPECT_FALSE(shell::DllBaseAddressFor(0.99999f));  // n = 32769: beyond the signed range
    for (float draw = 0.0f; draw < 0.9999f; draw += 0.0137f) {
        const auto text = shell::DllBaseAddressFor(draw);
        ASSERT_TRUE(text);
        EXPECT_EQ(L"&H", text->substr(0, 2));
        EXPECT_EQ(L"0000", text->substr(text->size() - 4));
        EXPECT_EQ(std::wstring::npos, text->find_first_not_of(L"&H0123456789abcdef"));
    }
}

TEST(PauseMilliseconds, RoundsDownFromSinglePrecision) {
    EXPECT_EQ(1500, shell::PauseMilliseconds(1.5f, false));
    EXPECT_EQ(0, shell::PauseMilliseconds(0.0005f, false));
    EXPECT_EQ(699, shell::PauseMilliseconds(0.7f, false));
    EXPECT_EQ(250, shell::PauseMilliseconds(250.0f, true));
    EXPECT_EQ(-1000, shell::PauseMilliseconds(-1.0f, false));
    EXPECT_FALSE(shell::PauseMilliseconds(3e6f, false));
}

TEST(ShellErrors, TableAndShowState) {
    EXPECT_EQ(53, shell::ShellErrorFor(2).number);
    EXPECT_STREQ(L"File not found", shell::ShellErrorFor(2).description);
    EXPECT_EQ(static_cast<std::int32_t>(0x80040423u), shell::ShellErrorFor(11).number);
    EXPECT_EQ(-2147220456 + 20, shell::ShellErrorFor(20).number);
    EXPECT_EQ(7, shell::ShellErrorFor(0).number);
    EXPECT_EQ(286, shell::ShellErrorFor(28).number);
    EXPECT_EQ(1, shell::ShellShowState(L"readme.txt", false, 3));
    EXPECT_EQ(0, shell::ShellShowState(L"c:\\tools\\Setup.Exe", true, 3));
    EXPECT_EQ(3, shell::ShellShowState(L"readme.txt", true, 3));
}

TEST(AboutTexts, DefaultsFromTheVersionInformation) {
    about::VersionInformation version{L"Zandrel", L"Orvilib10 Library", L"Orvilib10", 1, 0, 84};
    EXPECT_EQ(L"1.00.0084#Orvilib10 Library", about::DefaultApplicationText(version));
    EXPECT_EQ(L"Orvilib10 are legal trademarks of Zandrel", about::DefaultProductInfo(version, L"Orvilib10"));
    version.legalTrademarks.clear();
    EXPECT_EQ(L"Orvilib10 is a legal trademark of Zandrel", about::DefaultProductInfo(version, L"Orvilib10"));
    version.companyName.clear();
    EXPECT_EQ(L"Orvilib10 is a legal trademark of Corvane Systems", about::DefaultProductInfo(version, L"Orvilib10"));
}
