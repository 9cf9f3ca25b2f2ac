#include "numeric.h"

#include <cmath>
#include <limits>

namespace orvi::numeric {

double RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1.0;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<std::int64_t> RoundWithin(double value, std::int64_t lowest, std::int64_t highest) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(lowest) || rounded > static_cast<double>(highest)) return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

namespace {
template <class Target>
std::optional<Target> RoundTo(double value) {
    const auto rounded = RoundWithin(value, std::numeric_limits<Target>::min(), std::numeric_limits<Target>::max());
    if (!rounded) return std::nullopt;
    return static_cast<Target>(*rounded);
}
}  // namespace

std::optional<std::int32_t> RoundToLong(double value) { return RoundTo<std::int32_t>(value); }
std::optional<std::int16_t> RoundToInteger(double value) { return RoundTo<std::int16_t>(value); }

std::optional<std::int16_t> NarrowToInteger(std::int32_t value) {
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::wstring IntegerText(std::int64_t value) {
    wchar_t digits[20];
    int count = 0;
    // Negated as unsigned, so the most negative value has its digits too.
    std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do digits[count++] = static_cast<wchar_t>(L'0' + rest % 10);
    while (rest /= 10);
    std::wstring text = value < 0 ? L"-" : L"";
    while (count) text += digits[--count];
    return text;
}

}  // namespace orvi::numeric
