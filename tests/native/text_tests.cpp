// Text routines of the utilities, natively under the sanitizers.
#include <gtest/gtest.h>

#include "utilities/pure/text.h"

using namespace orvi::text;

namespace {
// The codes code page 1252 gives: Latin-1 as itself, Omega as its best fit
// "O", Greek small omega and the rest of Greek with none that is a letter.
std::string Codes(std::wstring_view word) {
    std::string codes;
    for (wchar_t c : word) codes += c <= 0xFF ? static_cast<char>(c) : c == L'Ω' ? 'O' : '?';
    return codes;
}
std::wstring SoundX(std::wstring_view word, std::uint8_t& accuracy) { return orvi::text::SoundX(word, Codes(word), accuracy); }
std::wstring SoundsLike(std::wstring_view word, int accuracy, bool numeric) {
    return orvi::text::SoundsLike(word, Codes(word), accuracy, numeric);
}
std::wstring Code(const wchar_t* word, int accuracy = 4) {
    std::uint8_t a = static_cast<std::uint8_t>(accuracy);
    return SoundX(word, a);
}
}  // namespace

TEST(SoundX, KnownCodes) {
    struct Row { const wchar_t* word; const wchar_t* code; } rows[] = {
        {L"Robert", L"R163"}, {L"Tymczak", L"T522"}, {L"Pfister", L"P236"}, {L"Lee", L"L000"},
        {L" Smith", L"S530"}, {L"Smith", L"S530"}, {L"1Smith", L"@530"}, {L"", L"000"}, {L"   ", L"000"},
        {L"robert", L"R163"}, {L"Ashcraft", L"A226"}, {L"Ellery", L"E460"}, {L"Euler", L"E460"},
        {L"Bb", L"B000"}, {L"Ab-ba", L"A110"}, {L"O'Brien", L"O165"}, {L"Gauß", L"G000"}, {L"Élan", L"@500"},
        // Letters by their ANSI code: Omega is written "O", omega has no letter.
        {L"Ωmega", L"Ω520"}, {L"ωmega", L"@200"}};
    for (const Row& row : rows) EXPECT_EQ(row.code, Code(row.word)) << row.word;
}

TEST(SoundX, AccuracyIsClampedAndWrittenBack) {
    struct Row { int given; int written; std::size_t length; } rows[] = {
        {12, 9, 10}, {10, 9, 10}, {1, 3, 4}, {0, 3, 4}, {4, 3, 4}, {7, 6, 7}, {255, 9, 10}};
    for (const Row& row : rows) {
        std::uint8_t a = static_cast<std::uint8_t>(row.given);
        EXPECT_EQ(row.length, SoundX(L"Washington", a).size()) << row.given;
        EXPECT_EQ(row.written, a) << row.given;
    }
    std::uint8_t a = 10;
    EXPECT_EQ(L"W252350000", SoundX(L"Washington", a));
    EXPECT_EQ(std::wstring(9, L'0'), SoundX(L"", a = 10));
}

TEST(SoundX, EveryAccuracyLevel) {
    const wchar_t* codes[] = {L"W252", L"W2523", L"W25235", L"W252350", L"W2523500", L"W25235000", L"W252350000"};
    for (int accuracy = 4; accuracy <= 10; ++accuracy) EXPECT_EQ(codes[accuracy - 4], Code(L"Washington", accuracy)) << accuracy;
}

TEST(SoundsLike, EveryAccuracyLevel) {
    const wchar_t* keys[] = {L"", L"W", L"W2", L"W25", L"W252", L"W2523", L"W25235", L"W252350", L"W2523500"};
    const wchar_t* digits[] = {L"", L"2", L"25", L"252", L"2523", L"25235", L"25235", L"25235", L"25235"};
    for (int accuracy = 0; accuracy <= 8; ++accuracy) {
        EXPECT_EQ(keys[accuracy], SoundsLike(L"Washington", accuracy, false)) << accuracy;
        EXPECT_EQ(digits[accuracy], SoundsLike(L"Washington", accuracy, true)) << accuracy;
    }
}

TEST(SoundX, LongWordsStillCode) {
    const std::wstring word(40000, L'b');
    std::uint8_t a = 4;
    EXPECT_EQ(L"B000", SoundX(word, a));
}

TEST(SoundsLike, KnownKeys) {
    struct Row { const wchar_t* word; int accuracy; bool numeric; const wchar_t* key; } rows[] = {
        {L"Robert", 5, false, L"R1630"}, {L"Robert", 5, true, L"163"}, {L"A", 5, false, L""},
        {L"Ab", 5, false, L"A1000"}, {L" A", 5, false, L"A0000"}, {L"Tymczak", 5, false, L"T5220"},
        {L"Robert", 3, false, L"R16"}, {L"Robert", 0, false, L""}, {L"Robert", -1, false, L"*****"},
        {L"Robert", -1, true, L""}, {L"  rob   ert  ", 5, false, L"R1630"}, {L"12", 5, false, L"00000"},
        {L"12", 5, true, L""}, {L"Bbbb", 5, false, L"B0000"}, {L"Bab", 5, false, L"B1000"},
        {L"Robert", 2, true, L"16"}, {L"", 5, false, L""}, {L"Ωmega", 5, false, L"Ω5200"}, {L"Ωmega", 5, true, L"52"},
        {L"ÉΩ", 5, false, L"Ω0000"}, {L"BΩB", 5, false, L"B1000"}};
    for (const Row& row : rows) EXPECT_EQ(row.key, SoundsLike(row.word, row.accuracy, row.numeric)) << row.word << " " << row.accuracy;
}

TEST(Extract, MarkersMissingRepeatedAndOverlapping) {
    struct Row { const wchar_t *text, *start, *end, *piece; } rows[] = {
        {L"name=[abc] rest", L"[", L"]", L"abc"},
        {L"name=[abc] rest", L"{", L"}", L""},
        {L"a<b>c<b>d", L"<b>", L"</b>", L"c"},
        {L"one two three", L" ", L" ", L"two"},
        {L"x<B>Caps</b>y", L"<b>", L"</B>", L"Caps"},
        {L"", L"[", L"]", L""},
        {L"abc", L"", L"]", L""},
        {L"[abc", L"[", L"", L"abc"},
        {L"[abc", L"[", L"]", L"abc"},
        {L"aaa", L"aa", L"x", L"a"},
        {L"[[x]]", L"[", L"]", L""},
        {L"[]", L"[", L"]", L""},
        {L"<<x>>", L"<<", L">>", L"x"},
        // Case folded as the ANSI code pages fold it, and no further.
        {L"aŠbšc", L"š", L"Š", L"b"}, {L"xŒyœ", L"œ", L"Œ", L"y"}, {L"ÿ1Ÿ", L"Ÿ", L"ÿ", L"1"},
        {L"xÀyàz", L"à", L"À", L"y"}, {L"aΣbσc", L"σ", L"Σ", L"b"}, {L"aЖbжc", L"ж", L"Ж", L"b"},
        {L"a×b÷c", L"÷", L"z", L"c"}, {L"aıbIc", L"I", L"ı", L"b"}};
    for (const Row& row : rows) EXPECT_EQ(row.piece, Extract(row.text, row.start, row.end)) << row.text;
}

TEST(Paths, SeparatorAndParts) {
    EXPECT_EQ(L"C:\\x\\", PathWithSeparator(L"C:\\x", L""));
    EXPECT_EQ(L"C:\\x\\", PathWithSeparator(L"C:\\x\\", L""));
    EXPECT_EQ(L"a/b/", PathWithSeparator(L"a/b", L""));
    EXPECT_EQ(L"\\", PathWithSeparator(L"", L""));
    EXPECT_EQ(L"C:|x|", PathWithSeparator(L"C:\\x", L"|"));
    struct Row { const wchar_t* path; int part; const wchar_t* piece; } rows[] = {
        {L"C:/web/site/index.html", 1, L"index"}, {L"C:/web/site/index.html", 0, L"html"},
        {L"C:/web/site/index.html", 2, L"index.html"}, {L"C:/web/site/index.html", 3, L"C:/web/site/"},
        {L"", 1, L""}, {L"C:\\a.txt", 7, L""}, {L"C:\\Data\\a.txt", 3, L"C:\\Data\\"},
        {L"C:\\x\\x", 3, L"C:\\x\\"}, {L"C:\\data\\data", 3, L"C:\\data\\"}, {L"C:\\dir\\", 3, L"C:\\dir\\"},
        {L"C:\\dir\\", 2, L""}, {L"archive.tar.gz", 1, L"archive"}, {L"archive.tar.gz", 0, L"gz"},
        {L"C:\\my.dir\\file", 0, L""}, {L".bashrc", 1, L""}, {L"C:\\t\\*.log", 2, L"*.log"}, {L"a.txt", 3, L""}};
    for (const Row& row : rows) EXPECT_EQ(row.piece, FilePart(row.path, row.part)) << row.path << " " << row.part;
}

TEST(Text, CollapseSpacesKeepsTabs) {
    EXPECT_EQ(L"Good morning", CollapseSpaces(L"  Good    morning  "));
    EXPECT_EQ(L"a\t b", CollapseSpaces(L"a\t  b"));
    EXPECT_EQ(L"", CollapseSpaces(L"    "));
    EXPECT_EQ(L"", CollapseSpaces(L""));
}

TEST(Paths, EndingsFromASeparatorOn) {
    struct Row { const wchar_t *path, *tail; bool ends; } rows[] = {
        {L"C:\\a\\sub\\f.txt", L"sub\\F.TXT", true}, {L"C:\\a\\sub\\f.txt", L"f.txt", true},
        {L"C:\\a\\xf.txt", L"f.txt", false}, {L"C:/a/sub/f.txt", L"sub\\f.txt", true},
        {L"f.txt", L"f.txt", true}, {L"C:\\a\\f.txt", L"\\f.txt", true}, {L"f.txt", L"", false},
        {L"a", L"ba", false}, {L"C:\\Š.txt", L"š.TXT", true}};
    for (const Row& row : rows) EXPECT_EQ(row.ends, PathEndsWith(row.path, row.tail)) << row.path << " " << row.tail;
}

TEST(Masks, WildcardsOnLongNames) {
    struct Row { const wchar_t *name, *mask; bool match; } rows[] = {
        {L"old.txt", L"*.txt", true}, {L"old.txtx", L"*.txt", false}, {L"keep.txt.bak", L"*.txt", false},
        {L"OLD.TXT", L"*.txt", true}, {L"a", L"*.*", true}, {L"ab.c", L"a?.c", true}, {L"abc.c", L"a?.c", false},
        {L"x", L"*", true}, {L"", L"*", true}, {L"abc", L"a*b*c", true}, {L"acb", L"a*b*c", false},
        {L"file.log", L"file.log", true}, {L"file.log2", L"file.log", false}};
    for (const Row& row : rows) EXPECT_EQ(row.match, MatchesMask(row.name, row.mask)) << row.name << " " << row.mask;
}

TEST(Text, GuidDigits) {
    EXPECT_EQ(L"0123456789ABCDEF0123456789ABCDEF", GuidDigits(L"{01234567-89AB-CDEF-0123-456789ABCDEF}"));
}
