#include "figures.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "frame/pure/numeric.h"

namespace orvi::machine {
namespace {

// "<whole>E<exponent>", written without a formatted print (one is enough per rounding).
std::array<char, 48> DecimalText(std::int64_t whole, int exponent) {
    std::array<char, 48> text{};
    char digits[24];
    int count = 0;
    for (std::uint64_t rest = static_cast<std::uint64_t>(whole); rest || count == 0; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    std::size_t at = 0;
    while (count) text[at++] = digits[--count];
    text[at++] = 'E';
    if (exponent < 0) text[at++] = '-';
    for (std::uint32_t rest = static_cast<std::uint32_t>(exponent < 0 ? -exponent : exponent); rest || count == 0; rest /= 10)
        digits[count++] = static_cast<char>('0' + rest % 10);
    while (count) text[at++] = digits[--count];
    return text;
}

// FormatMegabytes done in integers for a whole number of bytes from one
// megabyte up: bytes / 2^20 has at most 20 decimals, so its 15 significant
// digits need no formatted print. Empty where the digit after the 15th is an
// exact tie or the rounding carries into a new power of ten; the general
// rounding settles those.
std::optional<double> WholeMegabytes(double bytes) {
    if (!(bytes >= 1048576.0 && bytes < 9007199254740992.0) || bytes != std::floor(bytes)) return std::nullopt;
    const auto count = static_cast<std::uint64_t>(bytes);
    const std::uint64_t whole = count >> 20, part = count & 0xFFFFF;
    int integerDigits = 0;
    for (std::uint64_t rest = whole; rest; rest /= 10) ++integerDigits;
    const int decimals = 15 - integerDigits;  // 5 to 14, as whole < 2^33
    std::uint64_t five = 1, ten = 1;
    for (int i = 0; i < decimals; ++i) five *= 5, ten *= 10;
    // part × 10^decimals / 2^20 = part × 5^decimals / 2^(20 - decimals)
    const std::uint64_t scaled = part * five;
    const int shift = 20 - decimals;
    const std::uint64_t below = scaled & ((std::uint64_t{1} << shift) - 1), half = std::uint64_t{1} << (shift - 1);
    if (below == half) return std::nullopt;
    std::uint64_t digits = whole * ten + (scaled >> shift) + (below > half ? 1 : 0);
    if (digits >= 1000000000000000ull) return std::nullopt;
    // Half away from zero at two decimals.
    const std::uint64_t cut = ten / 100;
    std::uint64_t hundredths = digits / cut;
    if (cut >= 10 && digits / (cut / 10) % 10 >= 5) ++hundredths;
    return std::strtod(DecimalText(static_cast<std::int64_t>(hundredths), -2).data(), nullptr);
}

}  // namespace

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value) || value == 0.0) return value == 0.0 ? 0.0 : value;
    // d.dddddddddddddde±x: the 15 significant digits and the exponent.
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
    const char digits[15] = {text[0], text[2], text[3], text[4], text[5], text[6], text[7], text[8],
                             text[9], text[10], text[11], text[12], text[13], text[14], text[15]};
    const int exponent = std::atoi(text + 17);
    // Digits that stay before the rounding place.
    const int kept = exponent + 1 + decimals;
    if (kept >= 15) return std::copysign(std::strtod(text, nullptr), value);
    if (kept < 0) return 0.0;
    std::int64_t whole = 0;
    for (int i = 0; i < kept; ++i) whole = whole * 10 + (digits[i] - '0');
    if (digits[kept] >= '5') ++whole;
    if (whole == 0) return 0.0;
    // whole × 10^-decimals, read from its decimal text for the nearest double.
    return std::copysign(std::strtod(DecimalText(whole, -decimals).data(), nullptr), value);
}

double FormatMegabytes(double bytes) {
    if (const auto fast = WholeMegabytes(bytes)) return *fast;
    return RoundHalfAway(bytes / 1024.0 / 1024.0, 2);
}

std::int32_t ClassifyOsVersion(std::int32_t major, std::int32_t minor, std::int32_t platform) {
    enum { unknown = 0, windows3x = 1, windows95 = 2, windows98 = 3, nt3x = 4, nt40 = 5, windows2000 = 6 };
    constexpr std::int32_t win32s = 0, nt = 2;
    switch (major) {
    case 3:
        if (platform == win32s) return windows3x;
        return platform == nt ? nt3x : unknown;
    case 4:
        if (platform == nt) return nt40;
        return minor == 0 ? windows95 : windows98;
    case 5: return windows2000;
    default: return unknown;
    }
}

PixelFigure PixelsThroughTwips(std::int32_t pixels, std::int32_t pixelsPerInch) {
    constexpr long overflow = 6, divisionByZero = 11;
    if (pixelsPerInch == 0) return {0, divisionByZero};  // as the metrics class answers a display without density
    const double twipsPerPixel = 1440.0 / pixelsPerInch;
    const auto size = numeric::RoundToLong(pixels * twipsPerPixel);
    const auto perPixel = numeric::RoundToLong(twipsPerPixel);
    if (!size || !perPixel) return {0, overflow};
    if (*perPixel == 0) return {0, divisionByZero};
    const std::int64_t quotient = static_cast<std::int64_t>(*size) / *perPixel;
    if (quotient < std::numeric_limits<std::int16_t>::min() || quotient > std::numeric_limits<std::int16_t>::max())
        return {0, overflow};
    return {static_cast<std::int16_t>(quotient), 0};
}

std::wstring NormaliseDrive(std::wstring_view drive) {
    std::wstring text(drive);
    if (text.size() == 1) text += L':';
    if (text.size() == 2 && text[1] == L':') text += L'\\';
    return text;
}

std::wstring AppendPathSeparator(std::wstring_view path) {
    if (path.empty()) return {};
    const wchar_t separator = path.find(L'/') != std::wstring_view::npos ? L'/' : L'\\';
    std::wstring text(path);
    if (text.back() != separator) text += separator;
    return text;
}

}  // namespace orvi::machine
