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

}  // namespace orvi::numeric
