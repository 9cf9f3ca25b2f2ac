// Numeric conversions shared by every class: rounding to even with range
// checks, narrowing, and the signed low word. Free of the platform headers.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace orvi::numeric {

// Nearest integer, ties to the even neighbour; empty when the value is not
// finite or the result does not fit the target type.
std::optional<std::int32_t> RoundToLong(double value);
std::optional<std::int16_t> RoundToInteger(double value);
std::optional<std::int16_t> NarrowToInteger(std::int32_t value);
// The same rounding into any integer range up to 32 bits wide.
std::optional<std::int64_t> RoundWithin(double value, std::int64_t lowest, std::int64_t highest);

// Low 16 bits of a 32-bit value read as a signed 16-bit integer.
constexpr std::int16_t LowWord(std::uint32_t value) {
    const std::int32_t low = static_cast<std::int32_t>(value & 0xFFFFu);
    return static_cast<std::int16_t>(low >= 0x8000 ? low - 0x10000 : low);
}

double RoundHalfEven(double value);

// A whole number in decimal digits, as the component writes numbers into its
// texts (no formatted print, which would bring a wide printf into the DLL).
std::wstring IntegerText(std::int64_t value);

}  // namespace orvi::numeric
