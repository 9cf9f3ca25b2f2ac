// The service-pack number that decides whether terminal-services sessions
// can be asked about on NT 4.
#include <gtest/gtest.h>

#include "metrics/pure/service_pack.h"

using orvi::metrics::ServicePackNumber;

TEST(ServicePackNumber, ReadsTheNumberAfterTheWords) {
    const struct {
        const wchar_t* text;
        double number;
    } rows[] = {
        {L"Service Pack 6", 6},     {L"Service Pack 6a", 6},   {L"service pack 4", 4},
        {L"SERVICE PACK 3", 3},     {L"Service Pack 12", 12},  {L"  Service Pack   5", 5},
        {L"Service Pack", 0},       {L"", 0},                  {L"Beta", 0},
        {L" B", 0},                 {L"7", 7},                 {L"Service Pack 4.5", 4.5},
        {L"Service Pack\t6", 6},   {L"Update Service Pack 6", 0},
        {L"Service PackService Pack 5", 5},
        // Removal is one pass: the joined-up words are not removed again.
        {L"ServiceService Pack Pack 6", 0},
    };
    for (const auto& row : rows) EXPECT_DOUBLE_EQ(row.number, ServicePackNumber(row.text)) << row.text;
}

TEST(ServicePackNumber, ShortTextsNearTheWordsAreSafe) {
    // Texts shorter than the words, or ending inside them, must not read past their end.
    for (const wchar_t* text : {L"S", L"Service Pac", L"Service Pack6", L"xService Pa"}) {
        std::wstring copy(text);
        EXPECT_GE(ServicePackNumber(copy), 0);
    }
    EXPECT_DOUBLE_EQ(6, ServicePackNumber(L"Service Pack6"));
}
