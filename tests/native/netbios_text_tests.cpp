// The platform-free text routines of the network, BIOS and settings code,
// under the sanitizers; the classes' own tests cover their use.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bios/pure/bios_text.h"
#include "network/pure/address_text.h"
#include "settings/pure/settings_names.h"

using namespace orvi;

TEST(AddressText, HexDottedAndSigned) {
    const std::vector<std::uint8_t> bytes{0x0A, 0x00, 0xBA, 0x0F, 0x10, 0xFF};
    EXPECT_EQ(L"0A00BA0F10FF", network::HexAddressText(bytes));
    EXPECT_EQ(L"10.0.186.15.16.255", network::DottedAddressText(bytes));
    EXPECT_EQ(L"", network::DottedAddressText({}));
    EXPECT_EQ(L" 0", network::SignedNumberText(0));
    EXPECT_EQ(L"-5", network::SignedNumberText(-5));
}

TEST(BiosText, TerminatorsAndMiddle) {
    using namespace std::string_view_literals;
    EXPECT_EQ("abc"sv, bios::WithoutTerminator("abc\0"sv, 1));
    EXPECT_EQ("abc"sv, bios::WithoutTerminator("abc"sv, 1));
    EXPECT_EQ("abc\0"sv, bios::WithoutTerminator("abc\0\0"sv, 1));
    EXPECT_EQ("A\0B"sv, bios::WithoutTerminator("A\0B\0\0"sv, 2));
    EXPECT_EQ("A\0B"sv, bios::WithoutTerminator("A\0B\0"sv, 2));
    EXPECT_EQ(""sv, bios::WithoutTerminator("\0"sv, 2));
    EXPECT_EQ(""sv, bios::WithoutTerminator(""sv, 2));
    EXPECT_EQ(L"AB", bios::MiddleText(L"12345678AB", 9, 8));
    EXPECT_EQ(L"", bios::MiddleText(L"12345678", 9, 8));
    EXPECT_EQ(L"", bios::MiddleText(L"", 0, 8));
    EXPECT_EQ(L"", bios::SplitVersionLines(L"\r\n").copyright);
    EXPECT_EQ(L"", bios::SplitVersionLines(L"").copyright);
}

TEST(SettingsNames, ProductsAndNameChecks) {
    EXPECT_EQ(L"Varnelix", settings::ProductForModule(L"varnelix32").value());
    EXPECT_EQ(L"Peldoran", settings::ProductForModule(L"PeLd").value());
    EXPECT_FALSE(settings::ProductForModule(L"orvilib10"));
    EXPECT_FALSE(settings::ProductForModule(L"VAR"));
    EXPECT_EQ(L"A B", settings::TrimBlanks(L"  A B  "));
    EXPECT_EQ(L"", settings::TrimBlanks(L"   "));
    EXPECT_EQ(L"\tA", settings::TrimBlanks(L"\tA"));  // blanks only

    using namespace std::string_view_literals;
    for (std::wstring_view good : {L""sv, L"A"sv, L"A\\B\\C"sv, L"*"sv, L".."sv})
        EXPECT_TRUE(settings::IsSectionPath(good)) << good.size();
    for (std::wstring_view bad : {L"\\"sv, L"\\A"sv, L"A\\"sv, L"A\\\\B"sv, L"\0"sv, L"A\\\0"sv, L"A\0B"sv})
        EXPECT_FALSE(settings::IsSectionPath(bad)) << bad.size();
    EXPECT_FALSE(settings::IsSingleKeyName(L"A\\B"));
    EXPECT_FALSE(settings::IsValueName(L"a\0"sv));
    EXPECT_TRUE(settings::IsValueName(L"a\\b"));
}
