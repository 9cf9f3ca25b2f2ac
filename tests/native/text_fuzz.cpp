// Randomized inputs for the text and date routines: no crash, no read or
// write out of bounds (under the sanitizers), results of the promised shape.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "utilities/pure/dates.h"
#include "utilities/pure/text.h"

using namespace orvi;

namespace {

std::wstring RandomText(std::mt19937& random, std::size_t maxLength) {
    static const wchar_t alphabet[] = L"abcAZmnrtBW  .\\/*?[]<>@0123\t\u00e9\u00df\u4e2d\uffff";
    std::uniform_int_distribution<std::size_t> length(0, maxLength), pick(0, sizeof alphabet / sizeof alphabet[0] - 2);
    std::wstring text(length(random), L' ');
    for (wchar_t& c : text) c = alphabet[pick(random)];
    return text;
}

bool Fail(const char* what) {
    std::fprintf(stderr, "failed: %s\n", what);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> anyByte(0, 255), anyPart(-2, 5);
    std::uniform_real_distribution<double> anyDate(-700000, 3000000);
    bool ok = true;
    for (long i = 0; i < rounds && ok; ++i) {
        const std::wstring a = RandomText(random, 24), b = RandomText(random, 3), c = RandomText(random, 3);
        std::uint8_t accuracy = static_cast<std::uint8_t>(anyByte(random));
        const std::wstring code = text::SoundX(a, accuracy);
        if (accuracy < 3 || accuracy > 9) ok = Fail("SoundX accuracy");
        if (code.size() != accuracy + (code.size() > accuracy ? 1u : 0u)) ok = Fail("SoundX length");
        const int keyLength = anyByte(random) % 12 - 2;
        const std::wstring key = text::SoundsLike(a, keyLength, i % 2 == 0);
        if (i % 2 == 1 && a.size() >= 2 && keyLength >= 0 && key.size() != static_cast<std::size_t>(keyLength)) ok = Fail("SoundsLike length");
        const std::wstring piece = text::Extract(a, b, c);
        if (piece.size() > a.size()) ok = Fail("Extract length");
        const std::wstring part = text::FilePart(a, anyPart(random));
        if (part.size() > a.size()) ok = Fail("FilePart length");
        const std::wstring collapsed = text::CollapseSpaces(a);
        if (collapsed.find(L"  ") != std::wstring::npos) ok = Fail("CollapseSpaces");
        text::MatchesMask(a, b + c);
        text::PathWithSeparator(a, c);

        const double first = anyDate(random), second = anyDate(random);
        if (dates::BusinessDays(first, second, i % 3 == 0) < 0) ok = Fail("BusinessDays");
        dates::NextDate(first, anyPart(random) + 2, i % 2 == 0);
        dates::EndOfWeek(first);
        const auto day = dates::Split(first).day;
        if (dates::WeekNo(day) < 1 || dates::WeekNo(day) > 54) ok = Fail("WeekNo");
        dates::HowOld(day, dates::Split(second).day);
        dates::ExactAge(day, dates::Split(second).day);
        dates::BusinessDaysAdd(first, anyByte(random) - 128, i % 2 == 0);
    }
    std::printf("%ld rounds, %s\n", rounds, ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
