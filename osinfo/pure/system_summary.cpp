#include "system_summary.h"
#include "frame/pure/numeric.h"

#include <algorithm>

namespace orvi::summary {

std::wstring WindowsName(std::int16_t major, std::int16_t minor) {
    switch (major) {
    case 3: return minor == 5 ? L"Windows NT " : L"Windows ";
    case 4:
        if (minor == 0) return L"Windows NT ";
        return minor == 10 ? L"Windows 98 " : L"Windows ME ";
    case 5: return minor == 1 ? L"Windows XP " : L"Windows 2000 ";
    default: return L"Windows Unknown Version";
    }
}

std::wstring VersionText(std::int16_t major, std::int16_t minor, std::int32_t build) {
    return numeric::IntegerText(major) + L"." + numeric::IntegerText(minor) + L" (Build " + numeric::IntegerText(build) + L")";
}

std::wstring ProcessorName(std::uint32_t processorType) {
    switch (processorType) {
    case 386: return L"Intel 386";
    case 486: return L"Intel 486";
    case 586: return L"Intel Pentium";
    case 4000: return L"MIPS R4000";
    case 21064: return L"DEC Alpha 21064";
    default: return L"(unknown)";
    }
}

std::wstring BrowserText(std::int32_t major, std::int32_t minor, std::int32_t build) {
    return L"Internet Explorer " + numeric::IntegerText(major) + L"." + numeric::IntegerText(minor) + L"." + numeric::IntegerText(build);
}

double Kilobytes(std::uint64_t bytes) {
    return std::min(static_cast<double>(bytes) / 1024.0, 2147483647.0);
}

}  // namespace orvi::summary
