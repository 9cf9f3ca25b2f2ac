#include "pure_promises.h"

#include "bios/pure/bios_text.h"
#include "frame/pure/numeric.h"
#include "frame/pure/paths.h"
#include "locale/pure/pictures.h"
#include "machine/pure/figures.h"
#include "network/pure/address_text.h"
#include "utilities/pure/dates.h"
#include "utilities/pure/shell_rules.h"
#include "utilities/pure/text.h"

namespace orvi::test {

const char* BrokenPromise(const PureInputs& in) {
    const std::wstring& a = in.text;
    std::uint8_t accuracy = in.accuracy;
    // Any codes at all, one a character or too few.
    std::string codes;
    for (wchar_t c : a.substr(0, a.size() - a.size() % 3)) codes += static_cast<char>(c);
    const std::wstring code = text::SoundX(a, codes, accuracy);
    if (accuracy < 3 || accuracy > 9) return "SoundX accuracy";
    if (code.size() != accuracy + (code.size() > accuracy ? 1u : 0u)) return "SoundX length";
    const std::wstring key = text::SoundsLike(a, codes, in.keyLength, in.flag);
    if (!in.flag && a.size() >= 2 && in.keyLength >= 0 && key.size() != static_cast<std::size_t>(in.keyLength))
        return "SoundsLike length";
    if (text::Extract(a, in.startTag, in.endTag).size() > a.size()) return "Extract length";
    if (text::FilePart(a, in.part).size() > a.size()) return "FilePart length";
    if (text::CollapseSpaces(a).find(L"  ") != std::wstring::npos) return "CollapseSpaces";
    text::MatchesMask(a, in.startTag + in.endTag);
    text::PathWithSeparator(a, in.endTag);
    text::GuidDigits(a);

    if (dates::BusinessDays(in.first, in.second, in.flag) < 0) return "BusinessDays";
    dates::NextDate(in.first, in.weekday, in.flag);
    dates::EndOfWeek(in.first);
    const auto day = dates::Split(in.first).day, other = dates::Split(in.second).day;
    if (dates::WeekNo(day) < 1 || dates::WeekNo(day) > 54) return "WeekNo";
    dates::HowOld(day, other);
    dates::ExactAge(day, other);
    dates::BusinessDaysAdd(in.first, in.days, in.flag);
    dates::IsGoodDate(in.number, in.first, in.choice % 5);
    dates::HasLeapDay(in.choice);
    if (dates::InRange(day)) dates::EndOfMonth(day);

    machine::RoundHalfAway(in.number, in.choice % 20);
    machine::FormatMegabytes(in.number);
    machine::PixelsThroughTwips(in.choice, in.days);
    machine::NormaliseDrive(a);
    machine::AppendPathSeparator(a);
    numeric::RoundToLong(in.number);
    numeric::RoundToInteger(in.number);
    numeric::RoundHalfEven(in.number);
    paths::FolderOf(a);
    paths::BaseNameOf(a);
    locale::WithFourDigitYear(a);
    locale::NumberPicture(in.startTag, in.endTag);
    shell::ZeroPad(a, in.choice % 64);
    shell::PauseMilliseconds(static_cast<float>(in.number), in.flag);
    shell::ShellShowState(a, in.flag, in.choice % 12);
    network::SignedNumberText(in.choice);
    bios::TrimAtNull(a);
    bios::MiddleText(a, static_cast<std::size_t>(static_cast<std::uint32_t>(in.choice)) % 300, in.accuracy);
    return nullptr;
}

}  // namespace orvi::test
