#include "shell_rules.h"

#include <cmath>
#include <cwctype>

#include "frame/pure/numeric.h"

namespace orvi::shell {

std::wstring ZeroPad(std::wstring_view number, int width) {
    std::wstring text(number);
    const bool numeric = !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring::npos;
    if (numeric && static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), L'0');
    return text;
}

std::wstring VersionText(long major, long minor, long revision) {
    return numeric::IntegerText(major) + L"." + ZeroPad(numeric::IntegerText(minor), 2) + L"." + ZeroPad(numeric::IntegerText(revision), 4);
}

std::optional<std::wstring> DllBaseAddressFor(float draw) {
    const auto n = numeric::RoundToLong(static_cast<double>(draw) * 32513.0 + 256.0);
    if (!n) return std::nullopt;
    const std::int64_t address = static_cast<std::int64_t>(*n) * 65536;
    if (address > 0x7FFFFFFF || address < -0x7FFFFFFFLL - 1) return std::nullopt;
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring hex;
    for (auto value = static_cast<std::uint32_t>(address); value; value >>= 4) hex.insert(hex.begin(), digits[value & 0xF]);
    return L"&H" + (hex.empty() ? std::wstring(L"0") : hex);
}

std::optional<std::int64_t> PauseMilliseconds(float howLong, bool asMilliseconds) {
    const double product = static_cast<double>(howLong) * (asMilliseconds ? 1.0 : 1000.0);
    if (!std::isfinite(product)) return std::nullopt;
    const double whole = std::floor(product);
    if (whole > 2147483647.0 || whole < -2147483648.0) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

ShellError ShellErrorFor(std::int32_t returned) {
    const auto standard = static_cast<std::int32_t>(0x80040418u + static_cast<std::uint32_t>(returned));
    switch (returned) {
    case 0: case 8: return {7, L"Out of memory"};
    case 2: return {53, L"File not found"};
    case 3: return {76, L"Path not found"};
    case 5: return {75, L"Path/file access error"};
    case 11: return {standard, L"The executable file is invalid or corrupt"};
    case 26: return {75, L"A sharing violation occurred."};
    case 27: return {standard, L"This file type does not have a valid file association."};
    case 28: return {286, L"The file could not be opened due to time out.  Please try again in a moment."};
    case 29: return {285, L"The file could not be opened because the DDE transaction failed.  Please try again in a moment."};
    case 30: return {285, L"The file could not be opened because the target application is busy.  Please try again in a moment."};
    case 31: return {standard, L"No application is associated with this file type."};
    case 32: return {48, L"The specified dynamic-link library was not found."};
    default: return {standard, L"An error occurred occurred whilst trying to open or print the selected file."};
    }
}

int ShellShowState(std::wstring_view file, bool hasParametersOrFolder, int requested) {
    std::wstring upper(file);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    int state = upper.find(L".EXE") != std::wstring::npos ? 0 : requested;
    if (!hasParametersOrFolder) state = 1;
    return state;
}

}  // namespace orvi::shell
