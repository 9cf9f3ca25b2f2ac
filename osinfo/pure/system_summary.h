// The display texts of the system summary. Free of the platform headers.
#pragma once
#include <cstdint>
#include <string>

namespace orvi::summary {

// "Windows XP ", "Windows NT ", ... by version; "Windows Unknown Version"
// for a major version the component does not know.
std::wstring WindowsName(std::int16_t major, std::int16_t minor);
// "5.1 (Build 2600)".
std::wstring VersionText(std::int16_t major, std::int16_t minor, std::int32_t build);
// "Intel Pentium", ... by processor-type code; "(unknown)" otherwise.
std::wstring ProcessorName(std::uint32_t processorType);
// "Internet Explorer 6.0.2900".
std::wstring BrowserText(std::int32_t major, std::int32_t minor, std::int32_t build);
// Bytes as kilobytes, unrounded; a figure beyond the 32-bit range reads as
// the largest 32-bit value.
double Kilobytes(std::uint64_t bytes);

}  // namespace orvi::summary
