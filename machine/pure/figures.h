// Figures of the machine-information class that need no system: rounding of
// megabyte and percentage figures, the OS release from its version numbers,
// screen pixels through twips, and drive and path texts.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace orvi::machine {

// `value` rounded to `decimals` places, halves away from zero, on its
// 15-digit decimal form (as formatting with a picture such as
// "###,###,##0.00" and reading the text back would give).
double RoundHalfAway(double value, int decimals);

// Bytes to megabytes (1 MB = 1,048,576 bytes), two decimals.
double FormatMegabytes(double bytes);

// The OS_VERSION value of a version record's numbers.
std::int32_t ClassifyOsVersion(std::int32_t major, std::int32_t minor, std::int32_t platform);

// A display size in pixels by way of twips: twips per pixel is 1440 divided
// by the pixels per inch; both the size in twips and the twips per pixel
// are rounded (halves to even) and divided with truncation. `error` is the
// error number when the figure cannot be had (6 overflow, 11 division by zero).
struct PixelFigure {
    std::int16_t value = 0;
    long error = 0;
};
PixelFigure PixelsThroughTwips(std::int32_t pixels, std::int32_t pixelsPerInch);

// A drive text as the drive members use it: a lone letter gets ":\", a
// letter and colon gets "\", anything else stays as it is.
std::wstring NormaliseDrive(std::wstring_view drive);

// `path` ending in its separator ("/" when it holds one, else "\"); an
// empty path stays empty.
std::wstring AppendPathSeparator(std::wstring_view path);

}  // namespace orvi::machine
