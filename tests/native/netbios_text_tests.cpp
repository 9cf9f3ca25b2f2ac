// The platform-free text routines of the network, BIOS and settings code.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bios/pure/bios_text.h"
#include "network/pure/address_text.h"
#include "settings/pure/settings_names.h"

using namespace orvi;

TEST(AddressText, HexIsTwoUppercaseDigitsPerByte) {
    const std::vector<std::uint8_t> address{0x00, 0x50, 0xBA, 0x3C, 0x12, 0xEF};
    EXPECT_EQ(L"0050BA3C12EF", network::HexAddressText(address));
    const std::vector<std::uint8_t> small{0x0A, 0x01, 0x0F, 0x10, 0x00, 0xFF};
    EXPECT_EQ(L"0A010F1000FF", network::HexAddressText(small));
    EXPECT_EQ(L"", network::HexAddressText({}));
}

TEST(AddressText, DottedDecimal) {
    const std::vector<std::uint8_t> address{192, 168, 0, 7};
    EXPECT_EQ(L"192.168.0.7", network::DottedAddressText(address));
    const std::vector<std::uint8_t> one{255};
    EXPECT_EQ(L"255", network::DottedAddressText(one));
}

TEST(AddressText, SignedNumberHasABlankForItsSign) {
    EXPECT_EQ(L" 10093", network::SignedNumberText(10093));
    EXPECT_EQ(L" 0", network::SignedNumberText(0));
    EXPECT_EQ(L"-5", network::SignedNumberText(-5));
}

TEST(BiosText, TrimAtNullAndTerminators) {
    EXPECT_EQ(L"ab", bios::TrimAtNull(std::wstring_view(L"ab\0cd", 5)));
    EXPECT_EQ(L"abc", bios::TrimAtNull(L"abc"));
    EXPECT_EQ(L"", bios::TrimAtNull(std::wstring_view(L"\0", 1)));
    struct {
        std::string_view data;
        int terminators;
        std::string_view expected;
    } const rows[] = {
        {std::string_view("abc\0", 4), 1, "abc"},
        {"abc", 1, "abc"},
        {"", 1, ""},
        {std::string_view("\0", 1), 1, ""},
        {std::string_view("A\0B\0\0", 5), 2, std::string_view("A\0B", 3)},
        {std::string_view("A\0B\0", 4), 2, std::string_view("A\0B", 3)},
        {std::string_view("\0", 1), 2, ""},
        {std::string_view("abc\0\0", 5), 1, std::string_view("abc\0", 4)},
    };
    for (const auto& row : rows) EXPECT_EQ(row.expected, bios::WithoutTerminator(row.data, row.terminators));
}

TEST(BiosText, MiddleAndVersionLines) {
    EXPECT_EQ(L"ABCDEFGH", bios::MiddleText(L"12345678ABCDEFGHIJ", 9, 8));
    EXPECT_EQ(L"AB", bios::MiddleText(L"12345678AB", 9, 8));
    EXPECT_EQ(L"", bios::MiddleText(L"12345678", 9, 8));
    EXPECT_EQ(L"", bios::MiddleText(L"", 1, 8));
    auto lines = bios::SplitVersionLines(L"Version 1\r\n(C) Maker\r\nmore");
    EXPECT_EQ(L"Version 1", lines.version);
    EXPECT_EQ(L"(C) Maker\r\nmore", lines.copyright);
    lines = bios::SplitVersionLines(L"Version");
    EXPECT_EQ(L"Version", lines.version);
    EXPECT_EQ(L"ersion", lines.copyright);
    lines = bios::SplitVersionLines(L"\r\n");
    EXPECT_EQ(L"", lines.version);
    EXPECT_EQ(L"", lines.copyright);
}

TEST(SettingsNames, ProductByModulePrefix) {
    EXPECT_EQ(L"Varnelix", settings::ProductForModule(L"varnelix32").value());
    EXPECT_EQ(L"Koltavine", settings::ProductForModule(L"KOLT").value());
    EXPECT_EQ(L"Ruskemar", settings::ProductForModule(L"RuSkX").value());
    EXPECT_EQ(L"Peldoran", settings::ProductForModule(L"peld").value());
    EXPECT_FALSE(settings::ProductForModule(L"orvilib10"));
    EXPECT_FALSE(settings::ProductForModule(L"VAR"));
    EXPECT_FALSE(settings::ProductForModule(L""));
}

TEST(SettingsNames, TrimmingAndNameChecks) {
    EXPECT_EQ(L"Acme", settings::TrimBlanks(L"  Acme  "));
    EXPECT_EQ(L"A B", settings::TrimBlanks(L" A B "));
    EXPECT_EQ(L"", settings::TrimBlanks(L"   "));
    EXPECT_EQ(L"\tA", settings::TrimBlanks(L"\tA"));  // blanks only

    EXPECT_TRUE(settings::IsSingleKeyName(L"Acme"));
    EXPECT_FALSE(settings::IsSingleKeyName(L""));
    EXPECT_FALSE(settings::IsSingleKeyName(L"A\\B"));
    EXPECT_FALSE(settings::IsSingleKeyName(std::wstring_view(L"A\0", 2)));

    for (std::wstring_view good : {std::wstring_view(L""), std::wstring_view(L"A"), std::wstring_view(L"A\\B\\C"),
                                   std::wstring_view(L"*"), std::wstring_view(L"..")})
        EXPECT_TRUE(settings::IsSectionPath(good)) << good.size();
    for (std::wstring_view bad : {std::wstring_view(L"\\"), std::wstring_view(L"\\A"), std::wstring_view(L"A\\"),
                                  std::wstring_view(L"A\\\\B"), std::wstring_view(L"\0", 1), std::wstring_view(L"A\\\0", 3)})
        EXPECT_FALSE(settings::IsSectionPath(bad)) << bad.size();

    EXPECT_TRUE(settings::IsValueName(L""));
    EXPECT_TRUE(settings::IsValueName(L"a\\b"));
    EXPECT_FALSE(settings::IsValueName(std::wstring_view(L"a\0", 2)));
    EXPECT_TRUE(settings::IsDefaultValueMark(L"*"));
    EXPECT_FALSE(settings::IsDefaultValueMark(L"**"));
}
