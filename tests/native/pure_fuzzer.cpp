// Coverage-guided fuzzing of the platform-free routines (libFuzzer, under
// AddressSanitizer and UndefinedBehaviorSanitizer): the input is read as a
// stream of numbers and texts, and every routine is called with them. A crash,
// an out-of-bounds access or undefined behaviour is a finding; so is a
// result that breaks the routine's promised shape.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bios/pure/bios_text.h"
#include "frame/pure/numeric.h"
#include "frame/pure/paths.h"
#include "locale/pure/pictures.h"
#include "machine/pure/figures.h"
#include "network/pure/address_text.h"
#include "utilities/pure/dates.h"
#include "utilities/pure/shell_rules.h"
#include "utilities/pure/text.h"

using namespace orvi;

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    template <class T>
    T Number() {
        T value{};
        const std::size_t taken = std::min(sizeof value, size - at);
        std::memcpy(&value, data + at, taken);
        at += taken;
        return value;
    }
    double Date() {
        const double value = Number<double>();
        return std::isfinite(value) ? std::fmod(value, 4e6) : 0.0;
    }
    std::wstring Text() {
        const std::size_t length = std::min<std::size_t>(Number<std::uint8_t>(), (size - at) / 2);
        std::wstring text(length, L' ');
        for (wchar_t& c : text) c = static_cast<wchar_t>(Number<std::uint16_t>());
        return text;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

void Require(bool promise) {
    if (!promise) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::wstring a = in.Text(), b = in.Text(), c = in.Text();
    const double number = in.Number<double>(), first = in.Date(), second = in.Date();
    const std::int32_t choice = in.Number<std::int32_t>();

    std::uint8_t accuracy = in.Number<std::uint8_t>();
    const std::wstring code = text::SoundX(a, accuracy);
    Require(accuracy >= 3 && accuracy <= 9);
    text::SoundsLike(a, choice % 16, choice & 1);
    Require(text::Extract(a, b, c).size() <= a.size());
    Require(text::FilePart(a, choice % 8).size() <= a.size());
    Require(text::CollapseSpaces(a).find(L"  ") == std::wstring::npos);
    text::MatchesMask(a, b);
    text::PathWithSeparator(a, b);
    text::GuidDigits(a);

    dates::BusinessDays(first, second, choice & 1);
    dates::BusinessDaysAdd(first, choice, choice & 2);
    dates::NextDate(first, choice % 10, choice & 4);
    dates::EndOfWeek(first);
    const auto day = dates::Split(first).day;
    if (dates::InRange(day)) {
        const int week = dates::WeekNo(day);
        Require(week >= 1 && week <= 54);
        dates::EndOfMonth(day);
        dates::HowOld(day, dates::Split(second).day);
    }
    dates::IsGoodDate(number, first, choice % 5);
    dates::HasLeapDay(choice);

    machine::RoundHalfAway(number, choice % 20);
    machine::FormatMegabytes(number);
    machine::PixelsThroughTwips(choice, in.Number<std::int32_t>());
    machine::NormaliseDrive(a);
    machine::AppendPathSeparator(a);
    numeric::RoundToLong(number);
    numeric::RoundToInteger(number);
    numeric::RoundHalfEven(number);
    paths::FolderOf(a);
    paths::BaseNameOf(a);
    locale::WithFourDigitYear(a);
    locale::NumberPicture(b, c);
    shell::ZeroPad(a, choice % 64);
    shell::PauseMilliseconds(static_cast<float>(number), choice & 1);
    shell::ShellShowState(a, choice & 1, choice % 12);
    network::SignedNumberText(choice);
    bios::TrimAtNull(a);
    bios::MiddleText(a, static_cast<std::size_t>(choice) % 300, in.Number<std::uint16_t>());
    return 0;
}
